// Seeded random sequences of host operations on a whole show (world.h): three host
// threads at once, operations run from inside the library's callbacks, and short random
// pauses at the simulated host's call boundaries. Every operation keeps the host's
// documented duties (README, "Integrating the library" and "Signals: what the host must
// do"; the public headers); a comment names each duty where the table or the runner
// encodes it. Each sequence must end in the documented teardown with no hang, no timer
// and no thread left, no cleared tap called, and a round of emissions after it must reach
// nothing that is gone. QRC_FUZZ_SEQUENCES and QRC_FUZZ_SECONDS bound a run,
// QRC_FUZZ_SEED is its first seed, QRC_FUZZ_TRACE=1 prints each sequence's operations.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <shared_mutex>
#include <thread>

#include <gtest/gtest.h>

#include "common/finishedthreads.h"
#include "edges/world.h"
#include "qorvasim/pausepoints.h"
#include "stress/stresssupport.h"
#include "support/managerfixture.h"

namespace qrc::edges {
namespace {

using namespace std::chrono_literals;
using namespace qorva::sim;
using tarsel::EditingMode;

constexpr int kHostThreads = 3;
constexpr int kOpsPerThread = 30;
constexpr int kDefaultSequences = 20;
constexpr auto kInsideWait = 20ms;  // a callback that still runs comes within this
constexpr auto kLimit = 60s;

// The running sequence's operations, for the report of a failure or a hang.
std::mutex traceMutex;
std::vector<std::string> traceOps;

void report(int seed, const char* what) {
    std::unique_lock lock(traceMutex, std::try_to_lock);  // the watchdog reports while a thread hangs
    for (size_t i = 0; lock && i < traceOps.size(); ++i) std::fprintf(stderr, "  %s\n", traceOps[i].c_str());
    const std::string preset = QRC_FUZZ_PRESET == std::string("default") ? "" : " PRESET=" QRC_FUZZ_PRESET;
    std::fprintf(stderr, "fuzz-api: seed %d %s; replay: make fuzz-api SEED=%d%s\n", seed, what, seed, preset.c_str());
}

// At a host call boundary, now and then a yield or a sleep of a few microseconds, so
// that the threads interleave otherwise; it never waits for another thread.
std::atomic<uint32_t> pauseSeed{0};
void perturb(const char*, const std::string&) {
    thread_local std::minstd_rand rng;
    thread_local uint32_t seeded = 0;
    if (seeded != pauseSeed) rng.seed((seeded = pauseSeed) ^ std::hash<std::thread::id>{}(std::this_thread::get_id()));
    const auto roll = rng() % 64;
    if (roll < 8) std::this_thread::yield();
    if (roll < 2) std::this_thread::sleep_for(std::chrono::microseconds(1 + rng() % 200));
}

// The host's emission fence: counts each emission (a signal, a registered callback)
// from its start to its return, so that a drop can wait for those begun before it.
class Fence {
public:
    template <class F>
    void emit(F&& emission) {
        std::unique_lock lock(_mutex);
        const uint64_t epoch = _epoch;
        ++_inFlight[epoch];
        lock.unlock();
        emission();
        lock.lock();
        if (--_inFlight[epoch] == 0) _inFlight.erase(epoch);
        _returned.notify_all();
    }
    void await() {
        std::unique_lock lock(_mutex);
        const uint64_t mine = _epoch++;
        _returned.wait(lock, [&] { return _inFlight.empty() || _inFlight.begin()->first > mine; });
    }

private:
    std::mutex _mutex;
    std::condition_variable _returned;
    uint64_t _epoch = 0;
    std::map<uint64_t, int> _inFlight;
};

enum Obj { kFree, kMgr, kInputs, kLink, kObjects };
// Duty: the host sets and unsets each service of an object from one thread at a time.
enum Lane { kNoLane, kLayout, kDispatch, kRuntime, kMedia, kInputServices, kLinkMgr, kLinkServices, kLanes };
// kAlone holds the object exclusively, kJoins waits for its threads. kSeldom and kRare are
// picked a quarter and an eighth as often (the show runs most of the time), kLate only in
// the second half of a thread's operations.
enum Flags { kAlone = 1, kEmission = 2, kHostOnly = 4, kSeldom = 8, kRare = 16, kLate = 32, kJoins = 64 };

struct Fuzz;
struct Ctx {
    Fuzz& f;
    World& w;
    std::mt19937& rng;
    std::optional<Callback> inside;  // the library callback it runs in, if any
    bool late;
    RenderCtrlMgr& mgr() { return *w.mgr; }
    InputSourceRenderCtrl& in() { return *w.inputs; }
    RenderCtrlLink& link() { return *w.link; }
    SimHost& h() { return w.host; }
    bool one(unsigned n) { return rng() % n == 0; }
};
struct Op {
    const char* name;
    Obj obj;
    Lane lane;
    int flags;
    bool (*pre)(Ctx&);  // the duty that allows it now (null: none)
    void (*act)(Ctx&);
};

struct Fuzz {
    explicit Fuzz(World& w) : w(w) {}
    void host(int thread, uint32_t seed);
    void run(const Op& op, Ctx& c, const std::string& who);

    World& w;
    Fence fence;
    std::shared_mutex holds[kObjects];
    std::mutex lanes[kLanes], crossWait, mutex;
    std::atomic<bool> closed[kObjects] = {};  // dropped: no operation on it any more
    std::atomic<bool> frameSyncAlive{true}, released{false}, stopping{false};
    std::vector<std::shared_ptr<SimTimelineDispatch>> dispatches, removed;  // the host's, outliving the library
    std::vector<std::shared_ptr<std::atomic<bool>>> taps;  // the manager's taps handed in: cleared yet?
    std::atomic<int> clearedTapCalls{0};
    std::shared_mutex insideGate;
    std::weak_ptr<RenderCtrlMgr> weakMgr = w.mgr;
};

// release() on the caller's own library thread throws, as documented; the caller goes on.
template <class T>
void releaseFrom(Ctx& c, T& object) {
    try {
        object.release();
    } catch (const std::system_error&) {
        if (!c.inside) throw;
    }
}
// Duty: the input source controller's callbacks do not call back into it (its release
// is documented to throw there, its drop to end the thread after the pass).
bool notInItsCallback(Ctx& c) { return c.inside != Callback::inputTap; }

// Duty: a service with plain slots is unset, and the emissions begun before have
// returned, before another takes its place; the host drops that one at once: it expires.
void replaced(Ctx& c, void (RenderCtrlMgr::*unset)()) { (c.mgr().*unset)(), c.f.fence.await(); }
// Duty: unset in the documented teardown order, let every emission begun before return,
// then drop the last reference. The input source controller, from inside its own
// callback, is only dropped; its connections and event handlers hold it weakly.
void drop(Ctx& c, Obj obj) {
    c.f.closed[obj] = true;
    if (obj == kLink) c.link().unsetLinkMgr();
    if (obj == kMgr) releaseFrom(c, c.mgr()), c.mgr().unsetOutPutLayoutMgr(), c.mgr().unsetMediaDispatchMgr();
    if (obj == kMgr) c.mgr().unsetMediaMgr(), c.mgr().unsetZQRuntime();
    if (obj == kInputs && notInItsCallback(c)) test::unwire(c.in());
    c.f.fence.await();
    obj == kMgr ? c.w.mgr.reset() : obj == kLink ? c.w.link.reset() : c.w.inputs.reset();
}

// The show's tap, counting a call that enters it after a clear that followed its hand-in
// returned: a clear returns only once no pass can call the old tap.
void setTap(Ctx& c) {
    auto cleared = std::make_shared<std::atomic<bool>>(false);
    c.mgr().setFrameDataCallBack([tap = c.w.managerTap(), cleared, &f = c.f](const auto& info, const auto* frame) {
        f.clearedTapCalls += *cleared ? 1 : 0;
        tap(info, frame);
    });
    std::lock_guard lock(c.f.mutex);
    c.f.taps.push_back(std::move(cleared));
}
void clearTap(Ctx& c) {
    std::unique_lock lock(c.f.mutex);
    const auto before = c.f.taps;
    lock.unlock();
    c.mgr().setFrameDataCallBack({});
    for (const auto& cleared : before) *cleared = true;
}

// Editing events of a dispatch, the layout manager and its render view.
void emitEditing(Ctx& c) {
    const auto all = c.h().dispatchMgr->getDispatches();
    const auto d = all.empty() ? nullptr : all[c.rng() % all.size()].lock();
    const bool on = c.one(2);
    if (d && c.one(2)) d->sigLayoutVisibleChanged(qorva::DispatchType::Program, 3, on, EditingMode::Local);
    if (d && c.one(2)) d->sigLayerAdded(std::vector<uint64_t>{1, 2}, 7, "layer", "");
    if (d) d->sigMediaForceUpdate(9, EditingMode::Local, on), d->sigLayoutStopFade(3);
    auto& layout = *c.h().layoutMgr;
    bool hasMedia = false;
    if (c.one(2)) layout.sigTakeCutTriggered(true, false);
    if (c.one(2)) layout.sigNotifyMediaUpdateDisplayCards(std::multimap<uint64_t, EditingMode>{{9, {}}});
    if (c.one(2)) layout.renderView()->sigOutputAddMedias(std::vector<qorva::MediaInfo>{{.mediaId = 9}});
    layout.renderView()->sigIsSelectedOutputPatchHasMedia(std::vector<uint64_t>{1}, hasMedia);
}
// The registered callbacks, called as the host does: each from a copy taken before.
void callCallbacks(Ctx& c) {
    const auto view = c.h().layoutMgr->renderView();
    if (const auto callback = c.h().layoutMgr->usableLayerCallback(); callback && c.one(2)) callback();
    if (const auto callback = view->layerLockStateCallback(); callback && c.one(2)) callback(11);
    if (const auto callback = view->callBackCommon(); callback) callback(qorva::RenderCtrlMgrCallBack_CurrentLayout);
    if (const auto callback = c.w.dispatch->layoutPropertyCallback(); callback && c.one(2)) callback();
    if (const auto callback = c.w.dispatch->patchSelectStatusCallback(); callback) callback();
}
void addOrRemoveDispatch(Ctx& c) {
    std::lock_guard lock(c.f.mutex);
    auto& extra = c.f.dispatches;
    if (extra.size() < 3 && c.one(2)) {
        c.h().dispatchMgr->addDispatch(extra.emplace_back(std::make_shared<SimTimelineDispatch>()));
    } else if (!extra.empty()) {
        c.h().dispatchMgr->removeDispatch(c.f.removed.emplace_back(extra.back()));
        extra.pop_back();
    }
}

// Each operation's variants (an expiring service, a switch turned off) come at random.
const std::vector<Op> kOps = {
    {"mgr.release", kMgr, kNoLane, kLate | kJoins, nullptr,
     [](Ctx& c) { releaseFrom(c, c.mgr()), c.f.frameSyncAlive = false, c.f.released = true; }},
    // Duty: createFrameSync makes a new object and does not end one that is alive.
    {"mgr.createFrameSync", kMgr, kNoLane, kAlone | kLate, [](Ctx& c) { return !c.f.frameSyncAlive; },
     [](Ctx& c) { c.mgr().createFrameSync(), c.f.frameSyncAlive = true; }},
    {"mgr.setRenderFacade", kMgr, kNoLane, 0, nullptr,
     [](Ctx& c) {
         c.mgr().setFrameSyncLocalCheck(true);
         c.mgr().setRenderFacade(c.one(8) ? std::make_shared<SimRenderFacade>() : c.h().facade);
     }},
    {"mgr.setTap", kMgr, kNoLane, 0, nullptr, setTap},
    {"mgr.clearTap", kMgr, kNoLane, kLate | kJoins, nullptr, clearTap},
    {"mgr.setOthers", kMgr, kNoLane, 0, nullptr,
     [](Ctx& c) {
         c.mgr().setPhysicsOutputMgr(c.one(8) ? std::make_shared<SimPhysicsOutputMgr>() : c.h().physicsOutputMgr);
         c.mgr().setFrameDataSwitch(!c.one(8)), c.mgr().setLinkState(c.one(8)), c.mgr().setSenderMgr(&c.h().senderMgr);
     }},
    {"mgr.setZQRuntime", kMgr, kRuntime, 0, nullptr, [](Ctx& c) { c.mgr().setZQRuntime(&c.h().runtime); }},
    {"mgr.unsetZQRuntime", kMgr, kRuntime, kSeldom, nullptr, [](Ctx& c) { c.mgr().unsetZQRuntime(); }},
    {"mgr.setMediaMgr", kMgr, kMedia, 0, nullptr, [](Ctx& c) { c.mgr().setMediaMgr(&c.h().mediaMgr); }},
    // Duty: the media manager is unset after release().
    {"mgr.unsetMediaMgr", kMgr, kMedia, 0, [](Ctx& c) { return c.f.released.load(); },
     [](Ctx& c) { c.mgr().unsetMediaMgr(); }},
    {"mgr.setOutPutLayoutMgr", kMgr, kLayout, 0, nullptr, [](Ctx& c) { c.mgr().setOutPutLayoutMgr(c.h().layoutMgr); }},
    {"mgr.unsetOutPutLayoutMgr", kMgr, kLayout, kSeldom, nullptr, [](Ctx& c) { c.mgr().unsetOutPutLayoutMgr(); }},
    {"mgr.layoutMgrExpires", kMgr, kLayout, kRare, nullptr,
     [](Ctx& c) {
         replaced(c, &RenderCtrlMgr::unsetOutPutLayoutMgr);
         c.mgr().setOutPutLayoutMgr(std::make_shared<SimLayoutMgr>());
     }},
    {"mgr.setMediaDispatchMgr", kMgr, kDispatch, 0, nullptr,
     [](Ctx& c) {
         c.mgr().setMediaDispatchMgr(c.h().dispatchMgr);
         c.f.fence.emit([&] { c.h().dispatchMgr->sigDispatchAdded(std::weak_ptr<IDispatch>(c.w.dispatch)); });
     }},
    {"mgr.unsetMediaDispatchMgr", kMgr, kDispatch, kSeldom, nullptr, [](Ctx& c) { c.mgr().unsetMediaDispatchMgr(); }},
    {"mgr.dispatchMgrExpires", kMgr, kDispatch, kRare, nullptr,
     [](Ctx& c) {
         replaced(c, &RenderCtrlMgr::unsetMediaDispatchMgr);
         c.mgr().setMediaDispatchMgr(std::make_shared<SimMediaDispatchMgr>());
     }},
    // Duty: the cluster link goes first out.
    {"mgr.drop", kMgr, kNoLane, kAlone | kLate | kJoins, [](Ctx& c) { return c.f.closed[kLink].load(); },
     [](Ctx& c) { drop(c, kMgr); }},
    {"inputs.release", kInputs, kNoLane, kSeldom | kJoins, nullptr, [](Ctx& c) { releaseFrom(c, c.in()); }},
    {"inputs.setRenderFacade", kInputs, kNoLane, 0, notInItsCallback,
     [](Ctx& c) { c.in().setRenderFacade(c.h().facade); }},
    {"inputs.setServices", kInputs, kInputServices, 0, notInItsCallback,
     [](Ctx& c) {
         c.in().setMediaDispatchMgr(c.one(8) ? std::make_shared<SimMediaDispatchMgr>() : c.h().dispatchMgr);
         c.in().setMediaMgr(&c.h().mediaMgr), c.in().setZQRuntime(&c.h().runtime);
     }},
    {"inputs.unsetServices", kInputs, kInputServices, kSeldom, notInItsCallback,
     [](Ctx& c) { c.in().unsetZQRuntime(), c.in().unsetMediaDispatchMgr(); }},
    {"inputs.setTaps", kInputs, kNoLane, 0, notInItsCallback,
     [](Ctx& c) {
         c.in().setFrameDataCallBack(c.w.inputFrameTap()), c.in().setInputFrameDataUpdateCallBack(c.w.inputUpdateTap());
     }},
    // Duty: an input tap's receiver is freed only after release(); these live on.
    {"inputs.clearTaps", kInputs, kNoLane, kSeldom, notInItsCallback,
     [](Ctx& c) { c.in().setFrameDataCallBack({}), c.in().setInputFrameDataUpdateCallBack({}); }},
    {"inputs.drop", kInputs, kNoLane, kAlone | kLate | kJoins, nullptr, [](Ctx& c) { drop(c, kInputs); }},
    {"link.setLinkMgr", kLink, kLinkMgr, 0, nullptr, [](Ctx& c) { c.link().setLinkMgr(c.w.node); }},
    {"link.unsetLinkMgr", kLink, kLinkMgr, 0, nullptr, [](Ctx& c) { c.link().unsetLinkMgr(); }},
    {"link.setServices", kLink, kLinkServices, 0, nullptr,
     [](Ctx& c) {
         c.link().setZQRuntime(&c.h().runtime), c.link().setMediaMgr(&c.h().mediaMgr);
         c.link().setRenderCtrl(c.f.weakMgr);
         c.link().setProgramDispatch(c.one(8) ? std::make_shared<SimProgramDispatch>() : c.h().programDispatch);
     }},
    {"link.drop", kLink, kNoLane, kAlone | kLate, nullptr, [](Ctx& c) { drop(c, kLink); }},
    {"emit.editing", kFree, kNoLane, kEmission, nullptr, emitEditing},
    {"emit.dispatchAddedOrRemoved", kFree, kNoLane, kEmission, nullptr, addOrRemoveDispatch},
    {"emit.callbacks", kFree, kNoLane, kEmission, nullptr, callCallbacks},
    {"emit.mediaMgr", kFree, kNoLane, kEmission, nullptr,
     [](Ctx& c) {
         c.h().mediaMgr.sigMediaDisplayCardsChanged(9, std::vector{kOwnThreadCard}, EditingMode::Local);
         c.h().mediaMgr.sigFrameTimeChanged(0.02 * (c.rng() % 100));
     }},
    // Cards tap only while the editor is connected: a disconnect is followed by a connect.
    {"emit.runtimeEvent", kFree, kNoLane, kEmission, nullptr,
     [](Ctx& c) {
         if (c.one(2)) c.h().runtime.fireEvent("OnEditDisconnect");
         c.h().runtime.fireEvent("OnEditConnected");
     }},
    // A node with a role does not tap: mostly the peer's role changes.
    {"emit.cluster", kFree, kNoLane, kEmission, nullptr,
     [](Ctx& c) {
         c.w.cluster.setRole(c.one(4) ? kNodeIp : kPeerIp, static_cast<int>(c.rng() % 5));
         c.one(2) ? c.w.cluster.announceNodes() : c.w.cluster.announceBackup(kNodeIp);
         c.w.node->deliver(c.one(2) ? "40reportPort" : "40reportPorts", "7000", kPeerIp);
     }},
    {"runtime.advance", kFree, kNoLane, kHostOnly, nullptr,
     [](Ctx& c) { c.h().runtime.advance(std::chrono::milliseconds(100 + c.rng() % 6000), kLimit); }},
};

// Inside a library callback a host lock is only tried: a callback that waited for a host
// thread that waits for the callback's pass would deadlock by the host's own hand.
template <class Lock, class Mutex>
Lock hold(Mutex& mutex, bool inside, bool wanted = true) {
    return !wanted ? Lock() : inside ? Lock(mutex, std::try_to_lock) : Lock(mutex);
}

void Fuzz::run(const Op& op, Ctx& c, const std::string& who) {
    if ((op.flags & kHostOnly && c.inside) || (op.flags & kLate && !c.late)) return;
    const bool in = c.inside.has_value(), object = op.obj != kFree;
    auto alone = hold<std::unique_lock<std::shared_mutex>>(holds[op.obj], in, object && op.flags & kAlone);
    auto shared = hold<std::shared_lock<std::shared_mutex>>(holds[op.obj], in, object && !(op.flags & kAlone));
    if (object && (!(alone || shared) || closed[op.obj])) return;
    auto lane = hold<std::unique_lock<std::mutex>>(lanes[op.lane], in, op.lane != kNoLane);
    // Duty (or the host deadlocks by its own hand): callbacks of two controllers do not
    // wait for each other's threads at once.
    const bool cross = in && op.flags & kJoins && (*c.inside == Callback::inputTap) != (op.obj == kInputs);
    auto crossing = hold<std::unique_lock<std::mutex>>(crossWait, in, cross);
    if ((op.lane && !lane) || (cross && !crossing) || (op.pre && !op.pre(c))) return;
    {
        std::lock_guard lock(traceMutex);
        traceOps.push_back(who + op.name);
    }
    if (op.flags & kEmission)
        fence.emit([&] { op.act(c); });
    else
        op.act(c);
}

void Fuzz::host(int thread, uint32_t seed) {
    std::mt19937 rng(seed * kHostThreads + thread);
    for (int i = 0; i < kOpsPerThread; ++i) {
        const Op& op = kOps[rng() % kOps.size()];
        if ((op.flags & kSeldom && rng() % 4) || (op.flags & kRare && rng() % 8)) continue;
        const bool late = i >= kOpsPerThread / 2;
        if (rng() % 3 != 0 || op.flags & kHostOnly) {
            Ctx c{*this, w, rng, std::nullopt, late};
            run(op, c, "t" + std::to_string(thread) + " ");
            continue;
        }
        const auto where = static_cast<Callback>(rng() % 3);
        const auto inside = [this, &op, where, late, seed = rng()] {
            std::shared_lock gate(insideGate, std::try_to_lock);
            std::mt19937 rng(seed);
            Ctx c{*this, w, rng, where, late};
            if (gate && !stopping) run(op, c, std::vector{"renderTap: ", "frameSyncTap: ", "inputTap: "}[int(where)]);
        };
        w.runInside(where, inside).wait_for(kInsideWait);
    }
}

// One sequence: the show, the host threads and callbacks, the teardown, the checks.
void runSequence(int seed) {
    std::printf("seed %d\n", seed);
    std::fflush(stdout);
    traceOps.clear();
    const auto threads = test::processThreads();
    std::unique_ptr<Fuzz> f;  // outlives the show: a thread that ends late may still look at it
    {
        World w;
        pauseSeed = static_cast<uint32_t>(seed) | 1u;
        watchCalls(perturb);
        ASSERT_TRUE(w.host.runtime.settle());  // the timer task of the show's setRenderFacade has run
        ASSERT_TRUE(w.awaitPasses(1));
        f = std::make_unique<Fuzz>(w);
        std::mt19937 rng(seed);
        Ctx c{*f, w, rng, std::nullopt, true};
        setTap(c);
        std::vector<std::thread> hosts;
        for (int t = 0; t < kHostThreads; ++t) hosts.emplace_back([&f, t, seed] { f->host(t, seed); });
        for (auto& host : hosts) host.join();
        f->stopping = true;
        std::unique_lock gate(f->insideGate);  // no operation runs inside a callback from now on
        w.teardown();
        EXPECT_EQ(w.host.runtime.activeTimers(), 0u);
        EXPECT_EQ(f->clearedTapCalls, 0) << "a cleared tap was called";
        for (auto& gone : f->closed) gone = true;
        for (const Op& op : kOps)
            if (op.flags & kEmission) f->run(op, c, "after the teardown: ");
    }
    if (std::getenv("QRC_FUZZ_TRACE"))
        for (const auto& op : traceOps) std::printf("  %s\n", op.c_str());
    qorva::renderctrl::joinKeptThreads(qorva::renderctrl::keptThreadCount(), 0s);
    if (threads) {
        EXPECT_EQ(test::settledThreads(*threads, 10s), threads) << "threads left";
    }
}

int envInt(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

TEST(SequenceFuzz, SeededHostSequencesEndInTheTeardown) {
    const int first = envInt("QRC_FUZZ_SEED", 1), seconds = envInt("QRC_FUZZ_SECONDS", 0);
    const int count = envInt("QRC_FUZZ_SEQUENCES", seconds > 0 ? INT32_MAX : kDefaultSequences);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    test::LogCapture quiet{5};  // critical only: a sequence logs thousands of lines
    test::Watchdog watchdog(kLimit, [](int seed) { report(seed, "hung"); });
    int seed = first;
    for (; seed - first < count && (seconds == 0 || std::chrono::steady_clock::now() < end); ++seed) {
        watchdog.arm(seed);
        runSequence(seed);
        watchdog.disarm();
        if (HasFailure()) return report(seed, "failed");
    }
    std::printf("fuzz-api: %d sequences from seed %d passed\n", seed - first, first);
}

}  // namespace
}  // namespace qrc::edges
