// The card's output side: textures to the senders, vertical-blank pacing, and the
// output-side setters.
#include <gmock/gmock.h>

#include "common/log.h"
#include "mocks/hostmocks.h"
#include "qorvasim/host.h"
#include "renderctrl/renderctrl.h"
#include "support/clocks.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch {
namespace {

using namespace qrc::test;
using renderctrl::log::Info;
using renderctrl::log::Warn;
using ::testing::_;
using ::testing::InSequence;
using ::testing::Return;
using ::testing::StrEq;
using ::testing::StrictMock;

constexpr const char* kCard = "#0(Test Card)";

// The thread runs before the runtime and the sender manager are handed in.
TEST(Textures, AreSentOnlyWithARuntimeNotInClientModeAndASender) {
    ManualClocks clocks;
    sim::SimHost host;
    const auto card = host.addCard(kCard);
    card->setOutputTextures({{1, 10}, {3, 30}});
    RenderCtrl ctrl;
    ctrl.setCardName(kCard);
    ctrl.setRenderFacade(card);
    ctrl.setZQRuntime(&host.runtime);
    ctrl.updateFrameData(0);  // no sender
    ctrl.setSenderMgr(&host.senderMgr);
    host.runtime.setClientMode(true);
    ctrl.updateFrameData(0);
    ctrl.unsetZQRuntime();
    ctrl.updateFrameData(0);  // no runtime
    EXPECT_EQ(host.senderMgr.updates(), 0u);
    host.runtime.setClientMode(false);
    ctrl.setZQRuntime(&host.runtime);
    ctrl.updateFrameData(0);
    EXPECT_EQ(host.senderMgr.updates(), 2u);
}

std::vector<unsigned> sleeps;

// Neither the facade's signal nor the runtime's events reach a controller once it
// is gone.
TEST(VBlank, AfterTheFacadeGivesUpOnItEveryWaitIsA16MsSleep) {
    auto facade = std::make_shared<::testing::NiceMock<MockRenderFacade>>();
    sim::SimRuntime runtime;
    EXPECT_CALL(*facade, waitForVBlank()).Times(1);
    zqcutils::control::setSleepHook([](unsigned ms) { sleeps.push_back(ms); });
    {
        RenderCtrl ctrl;
        ctrl.setRenderFacade(facade);
        ctrl.setZQRuntime(&runtime);
        ctrl.waitForVBlank();
        facade->vblankUnavailable();
        ctrl.waitForVBlank();
        ctrl.waitForVBlank();
    }
    facade->vblankUnavailable();
    runtime.fireEvent("OnEditDisconnect");
    zqcutils::control::setSleepHook(nullptr);
    EXPECT_EQ(sleeps, (std::vector<unsigned>{16, 16}));
}

TEST(EditClientEvents, AreRegisteredInServerModeOnlyAndUnregisteredInOrder) {
    StrictMock<MockRuntime> runtime;
    {
        InSequence order;
        EXPECT_CALL(runtime, isServerMode()).WillOnce(Return(false));
        EXPECT_CALL(runtime, isServerMode()).WillOnce(Return(true));
        EXPECT_CALL(runtime, registerEventHandler(StrEq("OnEditDisconnect"),
                                                  StrEq("RenderCtrl::Impl::onRpcClientDisconnect"), _, _, 3));
        EXPECT_CALL(runtime, registerEventHandler(StrEq("OnEditConnected"),
                                                  StrEq("RenderCtrl::Impl::onRpcClientConnected"), _, _, 3));
        EXPECT_CALL(runtime, isServerMode()).WillOnce(Return(true));
        EXPECT_CALL(runtime, unregisterEventHandler(StrEq("OnEditDisconnect"),
                                                    StrEq("RenderCtrl::Impl::onRpcClientDisconnect"), _));
        EXPECT_CALL(runtime, unregisterEventHandler(StrEq("OnEditConnected"),
                                                    StrEq("RenderCtrl::Impl::onRpcClientConnected"), _));
    }
    RenderCtrl ctrl;
    ctrl.setZQRuntime(&runtime);
    ctrl.setZQRuntime(&runtime);
    ctrl.unsetZQRuntime();
    ctrl.unsetZQRuntime();  // none set: only clears
}

TEST(OutputManagers, ExpiredOnesAreReportedAndTheOldOnesKept) {
    LogCapture log;
    sim::SimHost host;
    const std::weak_ptr<qorva::mediaoutput::IMediaOutputLayoutMgr> goneLayoutMgr =
        std::make_shared<sim::SimLayoutMgr>();
    const std::weak_ptr<qorva::mediaoutput::IPhysicsOutputMgr> goneOutputMgr =
        std::make_shared<sim::SimPhysicsOutputMgr>();
    RenderCtrl ctrl;
    ctrl.setCardName(kCard);
    ctrl.setRenderFacade(host.addCard(kCard));
    ctrl.setMediaMgr(&host.mediaMgr);
    ctrl.setOutPutLayoutMgr(host.layoutMgr);
    ctrl.setOutPutLayoutMgr(goneLayoutMgr);
    ctrl.setPhysicsOutputMgr(goneOutputMgr);
    ctrl.updateFrameData(0);
    EXPECT_EQ(host.layoutMgr->layerSizeQueries(kCard), 1u);
    const auto records = log.records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(std::pair(records[0].level, records[0].message), std::pair(int{Warn}, std::string("layoutMgr is null")));
    EXPECT_EQ(std::pair(records[1].level, records[1].message),
              std::pair(int{Info}, std::string("physicsOutputMgr is invaild.")));
}

}  // namespace
}  // namespace qorva::mediadispatch
