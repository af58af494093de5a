// Every host operation that tears down or rewires, run while a thread of the show is
// parked inside a host call or a library callback (or from inside a callback itself),
// then let go. Each pair must end: no hang, no call into a host object after the
// operation that ends such calls, no timer or thread left; the sanitizer builds run it
// too. A hang ends the process with the pair's name.
#include <cstdio>

#include <gtest/gtest.h>

#include "common/finishedthreads.h"
#include "edges/world.h"
#include "qorvasim/pausepoints.h"
#include "stress/stresssupport.h"
#include "support/managerfixture.h"

namespace qrc::edges {
namespace {

using namespace std::chrono_literals;
using Calls = std::vector<std::pair<std::string, std::string>>;
using Step = std::function<void(World&)>;
constexpr auto kLimit = 10s;

// Where a thread is parked: the pause point, and what makes a thread enter it (null:
// the show's threads enter it by themselves). A host thread inside a plain slot or a
// registered callback is let go before an object is dropped, as the host must.
struct Place {
    std::string name, call, where;
    std::function<std::future<void>(World&)> trigger;
    bool hostEmission = false;
};

struct Operation {
    std::string name;
    Step unwire;
    Step drop;   // after the host's emissions under way have returned
    Calls ends;  // host calls that must not come once it returned on a host thread
};

std::future<void> onHostThread(std::function<void()> job) { return std::async(std::launch::async, std::move(job)); }

const Calls kPasses = {{"getInputSources", kFrameSyncCard}, {"getInputSources", kOwnThreadCard}, {"tap", ""}};
const Calls kInputPasses = {{"beginInputPass", kInputs}, {"inputTap", ""}, {"inputFrameTap", ""}};
const Calls kLinkCalls = {{"notifyMasterRole", ""},
                          {"getDispatchState", ""},
                          {"sendRequest", kNodeIp},
                          {"getLocalNodeInfo", kNodeIp},
                          {"getClusterNodes", kNodeIp}};

const std::vector<Operation> kOperations = {
    {"release", [](World& w) { w.mgr->release(); }, {}, kPasses},
    {"clearTheTap", [](World& w) { w.mgr->setFrameDataCallBack({}); }, {}, {{"tap", ""}}},
    {"setRenderFacadeAgain", [](World& w) { w.mgr->setRenderFacade(w.host.facade); }, {}, {}},
    {"unsetMediaDispatchMgr", [](World& w) { w.mgr->unsetMediaDispatchMgr(); }, {}, {}},
    {"unsetOutPutLayoutMgr", [](World& w) { w.mgr->unsetOutPutLayoutMgr(); }, {}, {}},
    {"unsetMediaMgr", [](World& w) { w.mgr->unsetMediaMgr(); }, {}, {}},
    {"unsetZQRuntime", [](World& w) { w.mgr->unsetZQRuntime(); }, {}, {}},
    {"managerDropped", [](World& w) { test::unwire(*w.mgr); }, [](World& w) { w.mgr.reset(); }, kPasses},
    {"inputRelease", [](World& w) { w.inputs->release(); }, {}, kInputPasses},
    {"inputUnsets", [](World& w) { w.inputs->unsetZQRuntime(), w.inputs->unsetMediaDispatchMgr(); }, {}, {}},
    {"inputsDropped", [](World& w) { test::unwire(*w.inputs); }, [](World& w) { w.inputs.reset(); }, kInputPasses},
    {"unsetLinkMgr", [](World& w) { w.link->unsetLinkMgr(); }, {}, kLinkCalls},
    {"linkDropped", [](World& w) { w.link->unsetLinkMgr(); }, [](World& w) { w.link.reset(); }, kLinkCalls},
};

const std::vector<Place> kPlaces = {
    {"nothing parked", "", ""},
    {"render pass in getInputSources", "getInputSources", kOwnThreadCard},
    {"render pass in the tap", "tap", kOwnThreadCard},
    {"render thread in its blank wait", "waitForVBlank", kOwnThreadCard},
    {"frame sync pass in getInputSources", "getInputSources", kFrameSyncCard},
    {"frame sync pass in the tap", "tap", kFrameSyncCard},
    {"frame sync thread in its blank wait", "waitForVBlank", kFrameSyncCard},
    {"input pass in scaleInputFrame", "scaleInputFrame", kInputs},
    {"input pass in its tap", "inputTap", ""},
    {"restore timer in getClusterNodes", "getClusterNodes", kNodeIp,
     [](World& w) {
         w.cluster.setRole(kNodeIp, tarsel::link::ServerType_MasterBackup);
         w.cluster.setRole(kNodeIp, tarsel::link::ServerType_Master);
         return onHostThread([&w] { w.host.runtime.advance(1000ms, kLimit); });
     }},
    {"editing handler in loadLayout", "loadLayout", "",
     [](World& w) {
         return onHostThread([&w] {
             w.dispatch->sigLayoutVisibleChanged(qorva::DispatchType::Program, 3, true, tarsel::EditingMode::Local);
         });
     },
     true},
    {"new dispatch being wired", "setLayoutPropertyCallback", "",
     [](World& w) {
         return onHostThread(
             [&w] { w.host.dispatchMgr->addDispatch(std::make_shared<qorva::sim::SimPlainDispatch>()); });
     },
     true},
    {"port report handler in getLocalNodeInfo", "getLocalNodeInfo", kNodeIp,
     [](World& w) { return onHostThread([&w] { w.node->deliver("40reportPort", "7000", kPeerIp); }); }, true},
};

const std::vector<std::pair<std::string, Callback>> kCallers = {
    {"render thread's tap", Callback::renderTap},
    {"frame sync thread's tap", Callback::frameSyncTap},
    {"input thread's tap", Callback::inputTap},
};

class Explorer : public ::testing::TestWithParam<Operation> {
protected:
    // One pair: the show, the parked thread, the operation, then the show's teardown.
    void explore(const std::string& pair, const std::function<void(World&)>& act) {
        std::printf("pair: %s\n", pair.c_str());
        std::fflush(stdout);
        watchdog.arm(++pairs);
        const auto threads = test::processThreads();
        {
            World w;
            ASSERT_TRUE(w.awaitPasses(2)) << pair;
            act(w);
            w.teardown();
            EXPECT_EQ(w.violations(), std::vector<std::string>{}) << pair;
            EXPECT_EQ(w.host.runtime.activeTimers(), 0u) << pair;
        }
        qorva::renderctrl::joinKeptThreads(qorva::renderctrl::keptThreadCount(), 0s);
        if (threads) {
            EXPECT_EQ(test::settledThreads(*threads, kLimit), threads) << pair << ": threads left";
        }
        watchdog.disarm();
    }
    void runOnHostThread(World& w, const Operation& op, const Place& place) {
        const auto parking = place.call.empty() ? nullptr : qorva::sim::armPause(place.call, place.where);
        std::future<void> triggered = place.trigger ? place.trigger(w) : std::future<void>{};
        if (parking) {
            ASSERT_TRUE(parking->awaitEntered(kLimit)) << place.name;
        }
        auto done = onHostThread([&] {
            op.unwire(w);
            if (op.drop && place.hostEmission) triggered.wait_for(kLimit);
            if (op.drop) op.drop(w);
            for (const auto& [call, where] : op.ends) w.close(call, where);
        });
        done.wait_for(50ms);  // an operation that does not wait for the parked thread ends meanwhile
        if (parking) parking->release();
        ASSERT_EQ(done.wait_for(kLimit), std::future_status::ready) << place.name;
        if (triggered.valid()) {
            ASSERT_EQ(triggered.wait_for(kLimit), std::future_status::ready) << place.name;
        }
    }
    void runInside(World& w, const Operation& op, Callback callback) {
        auto done = w.runInside(callback, [&] {
            op.unwire(w);
            if (op.drop) op.drop(w);
        });
        ASSERT_EQ(done.wait_for(kLimit), std::future_status::ready);
        try {
            done.get();
        } catch (const std::system_error&) {
            // release() on the input thread itself: documented to throw
        }
    }

    test::LogCapture log{4};  // errors only: a pair makes thousands of lines
    test::Watchdog watchdog{60s};
    int pairs = 0;
};

TEST_P(Explorer, EveryPlaceAndCaller) {
    const Operation& op = GetParam();
    for (const Place& place : kPlaces)
        explore(op.name + " while " + place.name, [&](World& w) { runOnHostThread(w, op, place); });
    for (const auto& [name, callback] : kCallers)
        explore(op.name + " from inside the " + name, [&](World& w) { runInside(w, op, callback); });
    std::printf("explored %d pairs\n", pairs);
}

void PrintTo(const Operation& op, std::ostream* out) { *out << op.name; }

INSTANTIATE_TEST_SUITE_P(Operations, Explorer, ::testing::ValuesIn(kOperations),
                         [](const ::testing::TestParamInfo<Operation>& info) { return info.param.name; });

// Teardowns that meet in the taps: two taps tearing down at once, on the frame sync
// thread and on a render thread (each waits for the other's pass only while that one is
// not tearing down itself), or a host thread that joins a thread while that thread's tap
// stops it (the tap must not wait for the lock the join holds). Every side ends.
struct Clash {
    std::string name;
    std::vector<std::pair<Callback, Step>> inside;  // each run in its tap once every tap is parked
    Step host;                                      // meanwhile on a host thread, if any
};

class TapClash : public ::testing::TestWithParam<Clash> {};

std::shared_ptr<qorva::sim::Parking> parkIn(Callback tap) {
    if (tap == Callback::inputTap) return qorva::sim::armPause("inputTap");
    return qorva::sim::armPause("tap", tap == Callback::frameSyncTap ? kFrameSyncCard : kOwnThreadCard);
}

TEST_P(TapClash, EverySideEnds) {
    test::LogCapture log{4};
    World w;
    ASSERT_TRUE(w.awaitPasses(1));
    std::vector<std::shared_ptr<qorva::sim::Parking>> parked;
    std::vector<std::future<void>> sides;
    for (const auto& [tap, step] : GetParam().inside) {
        parked.push_back(parkIn(tap));
        ASSERT_TRUE(parked.back()->awaitEntered(kLimit));
        sides.push_back(w.runInside(tap, [&w, act = step] { act(w); }));
    }
    if (GetParam().host) {
        sides.push_back(onHostThread([&w] { GetParam().host(w); }));
        sides.back().wait_for(50ms);  // the host's join is under way
    }
    for (const auto& parking : parked) parking->release();
    for (auto& side : sides) EXPECT_EQ(side.wait_for(kLimit), std::future_status::ready);
}

const Step kClear = [](World& w) { w.mgr->setFrameDataCallBack({}); };
const Step kRelease = [](World& w) { w.mgr->release(); };
const Step kInputRelease = [](World& w) {
    try {
        w.inputs->release();
    } catch (const std::system_error&) {
        // on the input thread itself: documented to throw
    }
};

INSTANTIATE_TEST_SUITE_P(
    Clashes, TapClash,
    ::testing::Values(Clash{"clearAndClear", {{Callback::frameSyncTap, kClear}, {Callback::renderTap, kClear}}},
                      Clash{"releaseAndClear", {{Callback::frameSyncTap, kRelease}, {Callback::renderTap, kClear}}},
                      Clash{"clearAndRelease", {{Callback::frameSyncTap, kClear}, {Callback::renderTap, kRelease}}},
                      Clash{"releaseAgainstAClear", {{Callback::renderTap, kClear}}, kRelease},
                      Clash{"clearAgainstARelease", {{Callback::renderTap, kRelease}}, kClear},
                      Clash{"inputReleaseAgainstItsTap", {{Callback::inputTap, kInputRelease}}, kInputRelease}),
    [](const ::testing::TestParamInfo<Clash>& info) { return info.param.name; });

// A clear that waits for a pass holds no lock of the card table meanwhile: with a
// writer-preferring lock (the Windows thread libraries'), a pass or tap that takes it
// again while setRenderFacade waits for it would otherwise wait for ever.
TEST(CardTable, IsNotHeldWhileAClearWaitsForAPass) {
    test::LogCapture log{4};
    World w;
    ASSERT_TRUE(w.awaitPasses(1));
    const auto parked = qorva::sim::armPause("tap", kOwnThreadCard);
    ASSERT_TRUE(parked->awaitEntered(kLimit));
    auto cleared = onHostThread([&w] { w.mgr->setFrameDataCallBack({}); });
    EXPECT_EQ(cleared.wait_for(50ms), std::future_status::timeout);  // waits for the parked pass
    w.host.facade->addCard("#2(Intel Arc A380)", 2ms);
    auto rewired = onHostThread([&w] { w.mgr->setRenderFacade(w.host.facade); });
    EXPECT_EQ(rewired.wait_for(kLimit), std::future_status::ready);
    parked->release();
    EXPECT_EQ(cleared.wait_for(kLimit), std::future_status::ready);
    rewired.wait();
}

// A host thread's clear waits also for a frame sync pass that releases from its tap
// (there is no thread to join): that pass goes on after its release and may call the
// old tap again.
TEST(HostClear, WaitsForAPassReleasingFromItsTap) {
    test::LogCapture log{4};
    World w;
    ASSERT_TRUE(w.awaitPasses(1));
    w.mgr->startFrameSyncTimer();  // its stop is where the release is held
    const auto parked = qorva::sim::armPause("stopTimer", "");
    auto released = w.runInside(Callback::frameSyncTap, [&w] { w.mgr->release(); });
    ASSERT_TRUE(parked->awaitEntered(kLimit));
    auto cleared = onHostThread([&w] { w.mgr->setFrameDataCallBack({}); });
    EXPECT_EQ(cleared.wait_for(50ms), std::future_status::timeout);  // waits for that pass
    parked->release();
    EXPECT_EQ(released.wait_for(kLimit), std::future_status::ready);
    EXPECT_EQ(cleared.wait_for(kLimit), std::future_status::ready);
}

}  // namespace
}  // namespace qrc::edges
