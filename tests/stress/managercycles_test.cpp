// Start/release cycles of a manager with four cards (two driven by frame sync, two by
// threads of their own) while a host thread emits editing events and the test's
// thread sets and unsets the services. QRC_STRESS_CYCLES sets the cycle count.
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "common/log.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"
#include "stress/stresssupport.h"
#include "support/managerfixture.h"

namespace qorva::mediadispatch {
namespace {

using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using tarsel::EditingMode;

constexpr int kDefaultCycles = 1000;
constexpr auto kVBlankPeriod = 1ms;  // a quick blank: release() returns after one
constexpr auto kCycleLimit = 60s;
constexpr auto kWaitLimit = 10s;
constexpr auto kRoundPause = 200us;  // the host's editing rhythm: busy, yet leaving the cards some time
const Strings kCards = {"#0(NVIDIA A)", "#1(NVIDIA B)", "#2(Card C)", "#3(Card D)"};

// A host with four cards, a small player on each, and a timeline dispatch. Each
// card's render hook reports its passes.
struct Scene {
    Scene() {
        for (size_t i = 0; i < kCards.size(); ++i) {
            cards.push_back(host.facade->addCard(kCards[i], kVBlankPeriod));
            cards.back()->setRenderHook([this] { passed.notify_all(); });
            host.addPlayer(kCards[i], {.name = "player" + std::to_string(i), .width = 32, .height = 18}, 100 + i,
                           static_cast<uint32_t>(i + 1));
        }
    }
    // Waits until every card has made `more` passes from now on.
    bool awaitPasses(uint64_t more) {
        std::vector<uint64_t> targets;
        for (const auto& card : cards) targets.push_back(card->renders() + more);
        std::unique_lock lock(passMutex);
        return passed.wait_for(lock, kWaitLimit, [&] {
            for (size_t i = 0; i < cards.size(); ++i)
                if (cards[i]->renders() < targets[i]) return false;
            return true;
        });
    }

    sim::SimHost host;
    std::vector<std::shared_ptr<sim::SimRenderFacade>> cards;
    std::shared_ptr<sim::SimTimelineDispatch> dispatch = std::make_shared<sim::SimTimelineDispatch>();
    std::mutex passMutex;
    std::condition_variable passed;
};

// The host's editing side: every kind of event the manager listens to, round after
// round on a thread of its own, until it is destroyed.
class Emitter {
public:
    explicit Emitter(Scene& scene) : _scene(scene), _thread([this] { run(); }) {}
    ~Emitter() {
        _stop = true;
        _thread.join();
    }
    Emitter(const Emitter&) = delete;
    Emitter& operator=(const Emitter&) = delete;

    // Waits until `more` rounds have been emitted from now on.
    bool awaitRounds(uint64_t more) {
        std::unique_lock lock(_mutex);
        const uint64_t target = _rounds + more;
        return _roundDone.wait_for(lock, kWaitLimit, [&] { return _rounds >= target; });
    }

private:
    void run() {
        for (uint64_t round = 0; !_stop; ++round) {
            emitRound(round);
            {
                std::lock_guard lock(_mutex);
                ++_rounds;
            }
            _roundDone.notify_all();
            std::this_thread::sleep_for(kRoundPause);
        }
    }
    void emitRound(uint64_t round) {
        const bool even = round % 2 == 0;
        const std::vector<uint64_t> ids{1, 2};
        const std::vector<qorva::MediaInfo> medias{qorva::MediaInfo{.mediaId = 9}};
        sim::SimTimelineDispatch& dispatch = *_scene.dispatch;
        dispatch.sigLayerAdded(ids, 7, "layer", "");
        dispatch.sigLayerNameChanged(7, "layer");
        dispatch.sigMediaAboutToBeRemoved(1, 9, EditingMode::Local);
        dispatch.sigMediaForceUpdate(9, EditingMode::Local, even);
        dispatch.sigLayoutKeepChanged(even);
        dispatch.sigLayoutVisibleChanged(qorva::DispatchType::Program, 3, even, EditingMode::Local);
        dispatch.sigLayoutStopFade(3);
        sim::SimLayoutMgr& layoutMgr = *_scene.host.layoutMgr;
        layoutMgr.sigTakeCutTriggered(even, !even);
        layoutMgr.sigLayoutNameChanged(3, "layout");
        layoutMgr.sigNotifyMediaUpdateDisplayCards(std::multimap<uint64_t, EditingMode>{{9, EditingMode::Local}});
        const auto view = layoutMgr.renderView();
        view->sigOutputAddMedias(medias);
        bool hasMedia = false;
        view->sigIsSelectedOutputPatchHasMedia(ids, hasMedia);
        _scene.host.mediaMgr.sigMediaDisplayCardsChanged(9, Strings{kCards[2]}, EditingMode::Local);
        _scene.host.mediaMgr.sigFrameTimeChanged(static_cast<double>(round) * 0.02);
        _scene.host.runtime.fireEvent(even ? "OnEditDisconnect" : "OnEditConnected");
    }

    Scene& _scene;
    std::atomic<bool> _stop{false};
    std::mutex _mutex;
    std::condition_variable _roundDone;
    uint64_t _rounds = 0;
    std::thread _thread;
};

// Calls named in `names` that a call log received between "#<service> unset" and the
// next "#<service> set": slots called after the disconnect that removed them returned.
Strings callsWhileDisconnected(const Strings& calls, const std::string& service, const std::set<std::string>& names) {
    bool disconnected = false;
    Strings found;
    for (const auto& call : calls) {
        if (call == "#" + service + " unset")
            disconnected = true;
        else if (call == "#" + service + " set")
            disconnected = false;
        else if (disconnected && names.count(call.substr(0, call.find('('))))
            found.push_back(call);
    }
    return found;
}

// Slots still connected to the host's signals.
size_t connectedSlots(Scene& scene) {
    auto& dispatchMgr = *scene.host.dispatchMgr;
    auto& d = *scene.dispatch;
    auto& layoutMgr = *scene.host.layoutMgr;
    auto& view = *layoutMgr.renderView();
    auto& mediaMgr = scene.host.mediaMgr;
    size_t slots = dispatchMgr.sigDispatchAdded.slot_count() + dispatchMgr.sigDispatchRemoved.slot_count() +
                   d.sigLayerAdded.slot_count() + d.sigMediaAboutToBeRemoved.slot_count() +
                   d.sigMediaVisibleChanged.slot_count() + d.sigLayoutKeepChanged.slot_count() +
                   d.sigChangeLayoutName.slot_count() + d.sigMediaPlayStateChanged.slot_count() +
                   layoutMgr.sigLayerAdded.slot_count() + layoutMgr.sigTakeCutTriggered.slot_count() +
                   layoutMgr.sigNotifyMediaUpdateDisplayCards.slot_count() + view.sigOutputAddMedias.slot_count() +
                   view.sigIsSelectedOutputPatchHasMedia.slot_count() +
                   mediaMgr.sigMediaDisplayCardsChanged.slot_count() + mediaMgr.sigFrameTimeChanged.slot_count();
    for (const auto& card : scene.cards) slots += card->vblankUnavailable.slot_count();
    return slots;
}

class ManagerCycles : public ::testing::Test {
protected:
    // Takes a service away for one round of events, marking in `calls` when every
    // emission begun before the unset has returned (a disconnect does not wait for
    // them) and when the set operation starts.
    template <class Unset, class Set>
    void fenced(sim::CallLog& calls, const std::string& service, Emitter& emitter, Unset unset, Set set) {
        unset();
        ASSERT_TRUE(emitter.awaitRounds(1));
        calls.record("#" + service + " unset");
        ASSERT_TRUE(emitter.awaitRounds(1));
        calls.record("#" + service + " set");
        set();
    }
    void rewire(RenderCtrlMgr& mgr, Scene& scene, Emitter& emitter) {
        sim::SimHost& host = scene.host;
        fenced(
            host.dispatchMgr->calls(), "layoutMgr", emitter, [&] { mgr.unsetOutPutLayoutMgr(); },
            [&] { mgr.setOutPutLayoutMgr(host.layoutMgr); });
        fenced(
            host.layoutMgr->calls(), "mediaMgr", emitter, [&] { mgr.unsetMediaMgr(); },
            [&] { mgr.setMediaMgr(&host.mediaMgr); });
        fenced(
            host.layoutMgr->calls(), "dispatchMgr", emitter, [&] { mgr.unsetMediaDispatchMgr(); },
            [&] {
                mgr.setMediaDispatchMgr(host.dispatchMgr);
                host.dispatchMgr->sigDispatchAdded(std::weak_ptr<IDispatch>(scene.dispatch));
            });
        mgr.unsetZQRuntime();
        mgr.setZQRuntime(&host.runtime);
        mgr.setFrameDataSwitch(false);
        mgr.setLinkState(true);
        mgr.setFrameDataCallBack(tap);
        mgr.setFrameDataSwitch(true);
        mgr.setLinkState(false);
        mgr.setSenderMgr(&host.senderMgr);
        mgr.setFrameSyncFlag(true);
        mgr.setFrameSyncCheckLayerIndex(2);
        mgr.updateGetFrameTime(0.5);
    }
    void expectNoSlotCalledWhileDisconnected(Scene& scene) {
        const Strings dispatchMgrCalls = scene.host.dispatchMgr->calls().calls();
        const Strings layoutMgrCalls = scene.host.layoutMgr->calls().calls();
        EXPECT_EQ(
            callsWhileDisconnected(dispatchMgrCalls, "layoutMgr", {"takeCut", "setLayoutName", "outputAddMedias"}),
            Strings{});
        EXPECT_EQ(callsWhileDisconnected(layoutMgrCalls, "mediaMgr", {"setMediaDisplayCards"}), Strings{});
        EXPECT_EQ(callsWhileDisconnected(layoutMgrCalls, "dispatchMgr",
                                         {"addLayer", "setLayerName", "removeMedia", "forceUpdateMedia",
                                          "setLayoutKeep", "loadLayout", "unLoadLayout"}),
                  Strings{});
    }
    void runCycle() {
        errors.clear();
        Scene scene;
        auto mgr = std::make_shared<RenderCtrlMgr>();
        qrc::test::wire(*mgr, scene.host, scene.dispatch, tap);
        {
            Emitter emitter(scene);
            ASSERT_TRUE(scene.awaitPasses(1));
            rewire(*mgr, scene, emitter);
            ASSERT_TRUE(scene.awaitPasses(1));
            qrc::test::unwire(*mgr);
            // The host's duty before dropping the manager: let the emissions begun
            // before the unsets return.
            ASSERT_TRUE(emitter.awaitRounds(1));
            mgr.reset();
            // The host goes on emitting to a manager that is gone.
            ASSERT_TRUE(emitter.awaitRounds(2));
        }
        EXPECT_EQ(connectedSlots(scene), 0u);
        EXPECT_EQ(scene.host.runtime.handlerCount("OnEditConnected"), 0u);
        expectNoSlotCalledWhileDisconnected(scene);
        for (const auto& record : errors.records()) ADD_FAILURE() << record.line;
    }

    static void tap(const qorva::MediaInfo&, const zq::mediacore::IFrame* frame) { EXPECT_GT(frame->getWidth(), 0); }

    qrc::test::LogCapture errors{renderctrl::log::Err};
};

TEST_F(ManagerCycles, StartAndReleaseWhileTheHostEmitsAndRewires) {
    const int cycles = qrc::test::stressCycles(kDefaultCycles);
    qrc::test::Watchdog watchdog(kCycleLimit);
    const std::optional<size_t> threadsBefore = qrc::test::processThreads();
    for (int cycle = 0; cycle < cycles && !HasFailure(); ++cycle) {
        watchdog.arm(cycle);
        runCycle();
        watchdog.disarm();
        if (HasFailure()) {
            ADD_FAILURE() << "in cycle " << cycle << " of " << cycles;
        }
    }
    if (threadsBefore) {
        EXPECT_EQ(qrc::test::settledThreads(*threadsBefore, 5s), threadsBefore);
    } else {
        std::puts("thread count not checked: this system does not list a process's threads");
    }
    RecordProperty("cycles", cycles);
}

}  // namespace
}  // namespace qorva::mediadispatch
