// A minimal host: wires the render control library to its services in the documented
// order, runs one card with a frame data tap, the input source controller and the
// cluster link of two nodes, then shuts everything down. It exits 0 only when every
// check held: the taps were called, the master heard the slave's port report, the
// library's threads ended and it let go of everything the host had given it.
#include <cstdio>
#include <memory>
#include <optional>

#include "hostservices.h"

using namespace minimalhost;

namespace {

int failures = 0;

void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++failures;
}

// The host's services; they outlive every object of the library.
struct Services {
    Progress progress;
    std::shared_ptr<Facade> card = std::make_shared<Facade>();
    std::shared_ptr<Facade> facade = std::make_shared<Facade>(card);
    std::shared_ptr<LayoutMgr> layoutMgr = std::make_shared<LayoutMgr>();
    std::shared_ptr<DispatchMgr> dispatchMgr = std::make_shared<DispatchMgr>();
    std::shared_ptr<PhysicsOutputMgr> physicsOutputMgr = std::make_shared<PhysicsOutputMgr>();
    std::shared_ptr<ProgramDispatch> programDispatch = std::make_shared<ProgramDispatch>();
    MediaMgr mediaMgr{progress};
    Runtime runtime;
    OutputMgr outputMgr;
    SenderMgr senderMgr;
    LocalCluster cluster{progress};
};

// What the taps saw. The taps hold it: once the library let go of them, only main does.
struct Seen {
    std::atomic<bool> cardTap{false};
    std::atomic<bool> inputTap{false};
    std::atomic<bool> tapSized{false};
};

void runShow(Services& s, const std::shared_ptr<Seen>& seen) {
    FrameDataCallBack tap = [&s, seen](const qorva::MediaInfo& info, const IFrame* frame) {
        // Called on the card's render thread with a down-scaled copy valid for this call.
        if (info.mediaId != MediaMgr::kLayerId) return;
        seen->tapSized = frame->getWidth() == 320 && frame->getHeight() == 180;
        s.progress.mark(seen->cardTap);
    };
    InputFrameDataUpdateCallBack inputTap = [&s, seen](uint64_t layerId, const IFrame* frame) {
        if (layerId == MediaMgr::kInputLayerId && frame) s.progress.mark(seen->inputTap);
    };

    // Start-up, in the documented order.
    auto mgr = std::make_shared<RenderCtrlMgr>();
    mgr->setZQRuntime(&s.runtime);
    mgr->setMediaMgr(&s.mediaMgr);
    // A host with a frame sync library calls mgr->createFrameSync() here.
    mgr->setOutPutMgr(&s.outputMgr);
    mgr->setOutPutLayoutMgr(s.layoutMgr);
    mgr->setMediaDispatchMgr(s.dispatchMgr);
    mgr->setRenderFacade(s.facade);  // the card's render thread starts
    mgr->setSenderMgr(&s.senderMgr);
    mgr->setPhysicsOutputMgr(s.physicsOutputMgr);
    mgr->setFrameDataCallBack(tap);
    s.runtime.runPosted();  // the host's runtime runs what the library posted

    std::optional<InputSourceRenderCtrl> inputs(std::in_place);
    inputs->setMediaDispatchMgr(s.dispatchMgr);
    inputs->setMediaMgr(&s.mediaMgr);
    inputs->setZQRuntime(&s.runtime);
    inputs->setInputFrameDataUpdateCallBack(inputTap);
    inputs->setRenderFacade(s.facade);  // the input thread starts

    const bool tapped = s.progress.waitFor(std::chrono::seconds(20), [&] { return seen->cardTap && seen->inputTap; });
    check(tapped, "the card's tap and the input tap were called within 20 s");

    // This node is the cluster's master; the slave node runs the library too (here, in
    // the same process, with a manager of its own and no services).
    RenderCtrlLink link;
    link.setMediaMgr(&s.mediaMgr);
    link.setZQRuntime(&s.runtime);
    link.setRenderCtrl(mgr);
    link.setProgramDispatch(s.programDispatch);
    link.setLinkMgr(&s.cluster.master);
    auto slaveMgr = std::make_shared<RenderCtrlMgr>();
    RenderCtrlLink slaveLink;
    slaveLink.setRenderCtrl(slaveMgr);
    slaveLink.setLinkMgr(&s.cluster.slave);

    // The link managers report the roles: the master's link takes the role (a node with
    // a role stops the manager's frame data taps), the slave's reports its frame sync
    // port to the master.
    s.cluster.post([&s] {
        auto info = s.cluster.master.getLocalNodeInfo();
        s.cluster.master.sigLinkedStatusChanged(info);
    });
    s.cluster.post([&s] { s.cluster.slave.sigLocalTypeChanged(tarsel::link::ServerType_Slave); });
    const bool linked = s.progress.waitFor(std::chrono::seconds(20),
                                           [&] { return s.cluster.masterHeardReport && s.mediaMgr.masterRole; });
    check(linked, "the master took its role and heard the slave's port report within 20 s");
    check(seen->tapSized, "the tap had the layer's frame scaled to 320x180");
    check(s.layoutMgr->layersDrawn > 0, "the card's layer reached the layout manager");

    // Shutdown, in the documented order: the links first, the manager last.
    slaveLink.unsetLinkMgr();
    link.unsetLinkMgr();
    s.cluster.stop();  // no link handler runs any more
    check(s.cluster.master.methodCount() == 0 && s.cluster.slave.methodCount() == 0,
          "the links unregistered their methods");
    inputs->release();
    inputs->unsetZQRuntime();
    inputs->unsetMediaDispatchMgr();
    inputs->unsetMediaMgr();
    mgr->release();
    check(s.card.use_count() == 2, "the card's render thread ended (it held the card's facade)");
    check(s.facade.use_count() == 1, "the input thread ended (it held the facade)");
    mgr->unsetOutPutLayoutMgr();
    mgr->unsetMediaDispatchMgr();
    mgr->unsetMediaMgr();
    mgr->unsetZQRuntime();
    slaveMgr->release();
    // No host signal is being emitted now, so the library's objects can go.
    inputs.reset();
    slaveMgr.reset();
    mgr.reset();
}

}  // namespace

int main() {
    Services services;
    auto seen = std::make_shared<Seen>();
    runShow(services, seen);
    check(seen.use_count() == 1, "the library let go of both taps");
    check(services.runtime.idle(), "no timer or event handler is left with the runtime");
    check(services.layoutMgr.use_count() == 1 && services.dispatchMgr.use_count() == 1,
          "the library holds none of the host's services");
    std::printf("%s\n", failures == 0 ? "minimal host: all checks passed" : "minimal host: checks failed");
    return failures == 0 ? 0 : 1;
}
