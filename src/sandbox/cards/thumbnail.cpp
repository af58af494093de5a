#include "thumbnail.h"

#include "qorvasim/picture.h"

namespace sandbox {

namespace {
constexpr uint64_t kLayerId = 950;
constexpr uint64_t kMediaId = 9500;
}  // namespace

Layer showOrgThumbnail(qorva::mediadispatch::RenderCtrlMgr& mgr) {
    const std::string name = "thumbnail";
    auto meta = std::make_shared<qorva::sim::SimMeta>(name, "file:///media/thumbnail.mov", 0);
    auto frame = std::make_shared<zq::mediacore::IFrame>();
    frame->attachPicture(qorva::sim::makeTestPattern(320, 180, 0, 0xFF606060u, name));
    meta->setOrgThumbFrame(frame);
    mgr.showOrgThumbnail(kLayerId, kMediaId, meta);
    return {kLayerId, name, "org thumbnail", nullptr};
}

}  // namespace sandbox
