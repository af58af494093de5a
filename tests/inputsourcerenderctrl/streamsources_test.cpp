// Offline detection of stream sources, dispatch media events and edit client events.
#include "inputsourcerenderctrl/inputfixture.h"

namespace qorva::mediadispatch::test {
namespace {

constexpr int64_t kSecond = 1'000'000'000;
constexpr int64_t kMs = 1'000'000;

std::string offlineLine(const std::string& name, uint64_t id) {
    return fmt::format(
        "InputSourceRenderCtrl::Impl::checkStreamSourceOnlineStatus set Meta.isOnline = false url:rtsp://{}, id:{}",
        name, id);
}

TEST_F(InputCtrl, ASilentSourceIsDeclaredOfflineOnceEvery10001MsByItsFirstPlacement) {
    const auto silent = addInput("cam", {7, 8});
    silent->setLive(false);
    start();
    passAt(10 * kSecond);
    EXPECT_EQ(log.count(Info, offlineLine("cam", 7)), 0u);
    passAt(10 * kSecond + kMs);
    EXPECT_EQ(log.count(Info, offlineLine("cam", 7)), 1u);
    EXPECT_FALSE(silent->meta()->isOnline());
    silent->meta()->setIsOnline(true);
    passAt(20 * kSecond + kMs);
    EXPECT_TRUE(silent->meta()->isOnline());
    passAt(20 * kSecond + 2 * kMs);
    EXPECT_EQ(log.count(Info, offlineLine("cam", 7)), 2u);
    EXPECT_FALSE(silent->meta()->isOnline());
    EXPECT_EQ(log.count(Info, offlineLine("cam", 8)), 0u);
}

TEST_F(InputCtrl, AFrameRestartsTheSourcesClockAndADroppedSourceStartsAfresh) {
    const auto source = addInput("cam", {7});
    source->setLive(false);
    start();  // tracked from 0
    source->setLive(true);
    passAt(6 * kSecond);
    source->setLive(false);
    passAt(10 * kSecond + kMs);
    host.mediaMgr.setInputSources("", {});
    passAt(12 * kSecond);
    host.mediaMgr.setInputSources("", items);
    passAt(14 * kSecond);  // tracked afresh
    passAt(16 * kSecond + kMs);
    passAt(24 * kSecond);
    EXPECT_EQ(log.count(Info, offlineLine("cam", 7)), 0u);
    passAt(24 * kSecond + kMs);
    EXPECT_EQ(log.count(Info, offlineLine("cam", 7)), 1u);
}

// Source type 7, or the input-frame tap set.
class Untracked : public InputCtrl, public ::testing::WithParamInterface<std::pair<int32_t, bool>> {};

TEST_P(Untracked, SourcesAreNeverDeclaredOffline) {
    const auto silent = addInput("cam", {7}, GetParam().first);
    silent->setLive(false);
    if (GetParam().second) recordTaps(false);
    start();
    passAt(30 * kSecond);
    EXPECT_EQ(log.size(), 1u);  // the thread's start
    EXPECT_TRUE(silent->meta()->isOnline());
}

INSTANTIATE_TEST_SUITE_P(Cases, Untracked, ::testing::Values(std::pair{7, false}, std::pair{0, true}));

TEST_F(InputCtrl, DispatchMediaEventsSwitchInputMediaOnTheFacade) {
    ctrl.setMediaDispatchMgr(std::weak_ptr<IMediaDispatchMgr>());
    ctrl.unsetMediaDispatchMgr();
    EXPECT_EQ(log.count(Info, "mediaDispatchMgr is null."), 2u);
    ctrl.setMediaDispatchMgr(host.dispatchMgr);
    auto dispatch = std::make_shared<sim::SimPlainDispatch>();
    host.dispatchMgr->addDispatch(dispatch);
    dispatch->sigMediasAdded(std::vector{MediaInfo{.mediaId = 5}});
    EXPECT_TRUE(log.contains(Warn, "renderFacade is null"));
    start();
    facade->calls().clear();
    dispatch->sigMediasAdded(std::vector{MediaInfo{.mediaId = 5}, MediaInfo{.mediaId = 6}});
    dispatch->sigMediaAboutToBeRemoved(1, 42, tarsel::EditingMode{});
    EXPECT_EQ(facade->calls().calls(),
              (Strings{"setInputMediaActive(5,true)", "setInputMediaActive(6,true)", "setInputMediaActive(42,false)"}));
    ctrl.unsetMediaDispatchMgr();
    EXPECT_EQ(dispatch->sigMediasAdded.slot_count() + dispatch->sigMediaAboutToBeRemoved.slot_count() +
                  host.dispatchMgr->sigDispatchAdded.slot_count() + host.dispatchMgr->sigDispatchRemoved.slot_count(),
              0u);
}

TEST_F(InputCtrl, EditClientEventsAreRegisteredInServerModeOnly) {
    ctrl.setZQRuntime(&host.runtime);
    ctrl.unsetZQRuntime();
    EXPECT_EQ(host.runtime.calls().calls(),
              (Strings{"registerEventHandler(OnEditDisconnect,InputSourceRenderCtrl::Impl::onRpcClientDisconnect,3)",
                       "registerEventHandler(OnEditConnected,InputSourceRenderCtrl::Impl::onRpcClientConnected,3)",
                       "unregisterEventHandler(OnEditDisconnect,InputSourceRenderCtrl::Impl::onRpcClientDisconnect)",
                       "unregisterEventHandler(OnEditConnected,InputSourceRenderCtrl::Impl::onRpcClientConnected)"}));
    EXPECT_EQ(host.runtime.handlerCount("OnEditConnected") + host.runtime.handlerCount("OnEditDisconnect"), 0u);
    sim::SimRuntime client(false);
    ctrl.setZQRuntime(&client);
    ctrl.unsetZQRuntime();
    EXPECT_EQ(client.calls().size(), 0u);
}

}  // namespace
}  // namespace qorva::mediadispatch::test
