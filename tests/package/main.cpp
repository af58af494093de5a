// A host that links the installed library: creates, wires and releases its objects.
#include <qorvarenderctrl/qorvarenderctrl.h>
int main() {
    auto mgr = std::make_shared<qorva::mediadispatch::RenderCtrlMgr>();
    qorva::mediadispatch::InputSourceRenderCtrl inputs;
    auto link = std::make_shared<qorva::mediadispatch::RenderCtrlLink>();
    link->setRenderCtrl(mgr);
    mgr->release();
    return mgr->getNetPort();  // 0 without frame sync
}
