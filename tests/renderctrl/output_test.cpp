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
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::SaveArg;
using ::testing::StrEq;
using ::testing::StrictMock;

constexpr const char* kCard = "#0(Test Card)";

std::vector<unsigned> sleeps;

struct TextureCase {
    bool runtime;
    bool clientMode;
    bool sender;
    uint64_t forwarded;
};

class Textures : public ::testing::TestWithParam<TextureCase> {};

// The thread runs before the runtime and the sender manager are handed in.
TEST_P(Textures, AreSentOnlyWithARuntimeNotInClientModeAndASender) {
    ManualClocks clocks;
    sim::SimHost host;
    const auto card = host.addCard(kCard);
    card->setOutputTextures({{1, 10}, {2, 0}, {3, 30}});
    host.runtime.setClientMode(GetParam().clientMode);
    RenderCtrl ctrl;
    ctrl.setCardName(kCard);
    ctrl.setRenderFacade(card);
    if (GetParam().runtime) ctrl.setZQRuntime(&host.runtime);
    if (GetParam().sender) ctrl.setSenderMgr(&host.senderMgr);
    ctrl.updateFrameData(0);
    EXPECT_EQ(host.senderMgr.updates(), GetParam().forwarded);
}

INSTANTIATE_TEST_SUITE_P(Table, Textures,
                         ::testing::Values(TextureCase{true, false, true, 2}, TextureCase{true, true, true, 0},
                                           TextureCase{false, false, true, 0}, TextureCase{true, false, false, 0}));

TEST(VBlank, AfterTheFacadeGivesUpOnItEveryWaitIsA16MsSleep) {
    auto facade = std::make_shared<NiceMock<MockRenderFacade>>();
    EXPECT_CALL(*facade, waitForVBlank()).Times(1);
    sleeps.clear();
    zqcutils::control::setSleepHook([](unsigned ms) { sleeps.push_back(ms); });
    {
        RenderCtrl ctrl;
        ctrl.setRenderFacade(facade);
        ctrl.waitForVBlank();
        facade->vblankUnavailable();
        ctrl.waitForVBlank();
        ctrl.waitForVBlank();
    }
    facade->vblankUnavailable();  // reaches no controller once it is gone
    zqcutils::control::setSleepHook(nullptr);
    EXPECT_EQ(sleeps, (std::vector<unsigned>{16, 16}));
}

TEST(EditClientEvents, AreRegisteredInServerModeAndUnregisteredInOrder) {
    StrictMock<MockRuntime> runtime;
    void* owner = nullptr;
    {
        InSequence order;
        EXPECT_CALL(runtime, isServerMode()).WillOnce(Return(true));
        EXPECT_CALL(runtime, registerEventHandler(StrEq("OnEditDisconnect"),
                                                  StrEq("RenderCtrl::Impl::onRpcClientDisconnect"), _, _, 3))
            .WillOnce(SaveArg<3>(&owner));
        EXPECT_CALL(runtime, registerEventHandler(StrEq("OnEditConnected"),
                                                  StrEq("RenderCtrl::Impl::onRpcClientConnected"), _, _, 3));
        EXPECT_CALL(runtime, isServerMode()).WillOnce(Return(true));
        EXPECT_CALL(runtime, unregisterEventHandler(StrEq("OnEditDisconnect"),
                                                    StrEq("RenderCtrl::Impl::onRpcClientDisconnect"), _))
            .WillOnce([&](const char*, const char*, void* o) { EXPECT_EQ(o, owner); });
        EXPECT_CALL(runtime, unregisterEventHandler(StrEq("OnEditConnected"),
                                                    StrEq("RenderCtrl::Impl::onRpcClientConnected"), _));
    }
    RenderCtrl ctrl;
    ctrl.setZQRuntime(&runtime);
    ctrl.unsetZQRuntime();
    ctrl.unsetZQRuntime();  // none set: only clears
}

TEST(EditClientEvents, ClientModeRuntimesRegisterNothingAndLateEventsReachNothing) {
    sim::SimRuntime runtime(false);
    RenderCtrl().setZQRuntime(&runtime);
    EXPECT_EQ(runtime.handlerCount("OnEditDisconnect"), 0u);
    runtime.setServerMode(true);
    RenderCtrl().setZQRuntime(&runtime);
    runtime.fireEvent("OnEditDisconnect");
    EXPECT_EQ(runtime.handlerCount("OnEditDisconnect"), 1u);
}

TEST(OutputManagers, ExpiredOnesAreReportedAndTheOldOnesKept) {
    LogCapture log;
    sim::SimHost host;
    RenderCtrl ctrl;
    ctrl.setCardName(kCard);
    ctrl.setRenderFacade(host.addCard(kCard));
    ctrl.setMediaMgr(&host.mediaMgr);
    const std::weak_ptr<qorva::mediaoutput::IMediaOutputLayoutMgr> goneLayoutMgr =
        std::make_shared<sim::SimLayoutMgr>();
    const std::weak_ptr<qorva::mediaoutput::IPhysicsOutputMgr> goneOutputMgr =
        std::make_shared<sim::SimPhysicsOutputMgr>();
    ctrl.setOutPutLayoutMgr(host.layoutMgr);
    ctrl.setOutPutLayoutMgr(goneLayoutMgr);
    ctrl.setPhysicsOutputMgr(goneOutputMgr);
    ctrl.updateFrameData(0);
    EXPECT_EQ(host.layoutMgr->layerSizeQueries(kCard), 1u);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"layoutMgr is null", "physicsOutputMgr is invaild."}));
    EXPECT_TRUE(log.contains(Warn, "layoutMgr is null"));
    EXPECT_TRUE(log.contains(Info, "physicsOutputMgr is invaild."));
}

}  // namespace
}  // namespace qorva::mediadispatch
