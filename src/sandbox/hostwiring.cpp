#include "hostwiring.h"

namespace sandbox {

void wireAsHost(qorva::mediadispatch::RenderCtrlMgr& mgr, qorva::sim::SimHost& host) {
    mgr.setMediaDispatchMgr(host.dispatchMgr);
    mgr.setMediaMgr(&host.mediaMgr);
    mgr.setZQRuntime(&host.runtime);
    mgr.createFrameSync();
    mgr.setOutPutLayoutMgr(host.layoutMgr);
    mgr.setRenderFacade(host.facade);
    mgr.setOutPutMgr(&host.outputMgr);
    mgr.setPhysicsOutputMgr(host.physicsOutputMgr);
    mgr.setSenderMgr(&host.senderMgr);
}

void unwireAsHost(qorva::mediadispatch::RenderCtrlMgr& mgr) {
    mgr.release();
    mgr.unsetOutPutLayoutMgr();
    mgr.unsetMediaDispatchMgr();
    mgr.unsetMediaMgr();
    mgr.unsetZQRuntime();
}

}  // namespace sandbox
