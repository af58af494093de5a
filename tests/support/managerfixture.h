#pragma once
// A manager on the simulated host with cards whose vertical blanks the test steps, and
// the host's documented teardown of the library's objects.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qorvarenderctrl/inputsourcerenderctrl.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"
#include "support/logcapture.h"

namespace qrc::test {

// Every service of the host handed in, `dispatch` announced and the tap set.
inline void wire(qorva::mediadispatch::RenderCtrlMgr& mgr, qorva::sim::SimHost& host,
                 const std::shared_ptr<qorva::sim::SimTimelineDispatch>& dispatch,
                 const qorva::mediadispatch::FrameDataCallBack& tap, int32_t frameSyncLocalCheck = 0) {
    mgr.setZQRuntime(&host.runtime);
    mgr.setMediaMgr(&host.mediaMgr);
    mgr.createFrameSync();
    mgr.setOutPutMgr(&host.outputMgr);
    mgr.setOutPutLayoutMgr(host.layoutMgr);
    mgr.setMediaDispatchMgr(host.dispatchMgr);
    host.dispatchMgr->addDispatch(dispatch);
    mgr.setFrameSyncLocalCheck(frameSyncLocalCheck);  // 1: a frame time timer on the runtime
    mgr.setRenderFacade(host.facade);
    mgr.setSenderMgr(&host.senderMgr);
    mgr.setPhysicsOutputMgr(host.physicsOutputMgr);
    mgr.setFrameDataCallBack(tap);
}

// Release, then every service unset.
inline void unwire(qorva::mediadispatch::RenderCtrlMgr& mgr) {
    mgr.release();
    mgr.unsetOutPutLayoutMgr();
    mgr.unsetMediaDispatchMgr();
    mgr.unsetMediaMgr();
    mgr.unsetZQRuntime();
}

inline void unwire(qorva::mediadispatch::InputSourceRenderCtrl& inputs) {
    inputs.release();
    inputs.unsetZQRuntime();
    inputs.unsetMediaDispatchMgr();
    inputs.unsetMediaMgr();
}

// A manager on the simulated host, with the cards the test adds.
class ManagerScene : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& card : cards) card->vblank().open();
        if (mgr) mgr->release();
    }
    std::shared_ptr<qorva::sim::SimRenderFacade> addCard(const std::string& text) {
        auto card = host.addCard(text);
        card->vblank().setManual(true);
        cards.push_back(card);
        return card;
    }
    // One more pass of the card's thread: waits until it waits for a blank, steps one
    // and waits until it waits for the next.
    static void pass(qorva::sim::SimRenderFacade& card) {
        const uint64_t waits = std::max<uint64_t>(card.vblank().waits(), 1);
        ASSERT_TRUE(card.vblank().awaitWait(waits));
        card.vblank().step();
        ASSERT_TRUE(card.vblank().awaitWait(waits + 1));
    }

    LogCapture log;
    qorva::sim::SimHost host;
    std::vector<std::shared_ptr<qorva::sim::SimRenderFacade>> cards;
    std::shared_ptr<qorva::mediadispatch::RenderCtrlMgr> mgr = std::make_shared<qorva::mediadispatch::RenderCtrlMgr>();
};

}  // namespace qrc::test
