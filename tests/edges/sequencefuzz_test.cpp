// Seeded random sequences of host operations on a whole show (world.h): three host
// threads at once, operations run from inside the library's callbacks, and short random
// pauses at the simulated host's call boundaries. Every operation keeps the host's
// documented duties (README, "Integrating the library" and "Signals: what the host must
// do"); the comment at its precondition names the duty. Each sequence must end in the
// documented teardown with no hang, no timer and no thread left, and a round of
// emissions after it must reach nothing that is gone; the sanitizer builds run it too.
// QRC_FUZZ_SEQUENCES and QRC_FUZZ_SECONDS bound a run, QRC_FUZZ_SEED is its first seed.
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
#include "support/logcapture.h"

namespace qrc::edges {
namespace {

using namespace std::chrono_literals;
using qorva::sim::SimTimelineDispatch;
using tarsel::EditingMode;

// Known library defects stepped around; turn each on once it is fixed.
constexpr bool kTeardownOnFrameSyncThread = false;   // release() or the manager's drop in the frame sync thread's tap
constexpr bool kTimerTaskAgainstUnset = false;       // setRenderFacade's posted timer task racing unsetZQRuntime
constexpr bool kStopInRenderTapWhileJoined = false;  // a render thread's tap stops it while a host thread joins it

constexpr int kHostThreads = 3;
constexpr int kOpsPerThread = 30;
constexpr int kDefaultSequences = 40;
constexpr int kMaxExtraDispatches = 3;
constexpr auto kInsideWait = 20ms;  // a callback that still runs comes within this
constexpr auto kLimit = 60s;

// The operations of the running sequence, for the report of a failure or a hang; never
// destroyed, since the watchdog may read it while the process ends.
struct Trace {
    std::mutex mutex;
    std::vector<std::string> ops;
};
Trace& trace() {
    static auto* const instance = new Trace;
    return *instance;
}

std::string replay(int seed) {
    const std::string preset = QRC_FUZZ_PRESET;
    return "make fuzz-api SEED=" + std::to_string(seed) + (preset == "default" ? "" : " PRESET=" + preset);
}

void report(int seed, const char* what) {
    std::unique_lock lock(trace().mutex, std::try_to_lock);
    for (size_t i = 0; lock && i < trace().ops.size(); ++i) std::fprintf(stderr, "  %s\n", trace().ops[i].c_str());
    std::fprintf(stderr, "fuzz-api: seed %d %s; replay: %s\n", seed, what, replay(seed).c_str());
}

// At a host call boundary, now and then a yield or a sleep of a few microseconds, so
// that the threads interleave otherwise; it never waits for another thread.
std::atomic<uint32_t> pauseSeed{0};
void perturb(const char*, const std::string&) {
    thread_local std::minstd_rand rng;
    thread_local uint32_t seeded = 0;
    if (seeded != pauseSeed) rng.seed((seeded = pauseSeed) ^ std::hash<std::thread::id>{}(std::this_thread::get_id()));
    const auto roll = rng() % 64;
    if (roll < 6) std::this_thread::yield();
    if (roll == 6) std::this_thread::sleep_for(std::chrono::microseconds(1 + rng() % 20));
}

// Counts each host emission (signal or registered callback) from its start to its
// return, so that a drop can wait for every one that began before it.
class Fence {
public:
    template <class F>
    void emit(F&& emission) {
        uint64_t epoch = 0;
        {
            std::lock_guard lock(_mutex);
            ++_inFlight[epoch = _epoch];
        }
        emission();
        {
            std::lock_guard lock(_mutex);
            if (--_inFlight[epoch] == 0) _inFlight.erase(epoch);
        }
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
// kSeldom and kRare ops are picked a quarter and an eighth as often (the show keeps running
// most of the time); kLate ones only in the last third of a thread's operations.
enum Flags { kHostOnly = 1, kEmission = 2, kSeldom = 4, kRare = 8, kLate = 16 };
struct Fuzz;
struct Ctx {
    Fuzz& f;
    World& w;
    std::mt19937& rng;
    std::optional<Callback> inside;  // the library callback it runs in, if any
    bool late;
};
struct Op {
    const char* name;
    Obj obj;  // held shared, or alone when `alone`, for the whole operation
    bool alone;
    int flags;
    bool (*pre)(Ctx&);  // the duty that allows it now (null: none)
    void (*act)(Ctx&);
};

struct Fuzz {
    explicit Fuzz(World& w) : w(w) {}
    void host(int thread, uint32_t seed);
    void inside(const Op& op, Callback where, bool late, uint32_t seed);
    void run(const Op& op, Ctx& c, const std::string& who);

    World& w;
    Fence fence;
    std::shared_mutex holds[kObjects];
    std::atomic<bool> closed[kObjects] = {};  // dropped: no operation on it any more
    std::atomic<bool> frameSyncAlive{true};
    std::mutex dispatchMutex;
    std::vector<std::shared_ptr<SimTimelineDispatch>> extraDispatches, removedDispatches;
    std::shared_mutex insideGate;
    std::atomic<bool> stopping{false};
    std::weak_ptr<RenderCtrlMgr> mgr = w.mgr;
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

// Whether the manager may be stopped (release, tap cleared, drop) from here yet.
bool mayStopHere(Ctx& c) {
    return (kTeardownOnFrameSyncThread || c.inside != Callback::frameSyncTap) &&
           (kStopInRenderTapWhileJoined || c.inside != Callback::renderTap);
}

// Duty (a plain-slot service is unset, and the emissions begun before have returned,
// before another takes its place): the replaced service is taken away first.
template <class Unset, class Set>
void replaceWithExpired(Ctx& c, Unset unset, Set set) {
    unset();
    c.f.fence.await();
    set();  // with a host object that the host drops right after: its weak_ptr expires
}

// Duty (unset first, let the emissions begun before return, then drop the last
// reference): the documented teardown, the fence, then the drop.
void dropManager(Ctx& c) {
    c.f.closed[kMgr] = true;
    releaseFrom(c, *c.w.mgr);
    c.w.mgr->unsetOutPutLayoutMgr();
    c.w.mgr->unsetMediaDispatchMgr();
    c.w.mgr->unsetMediaMgr();
    c.w.mgr->unsetZQRuntime();
    c.f.fence.await();
    c.w.mgr.reset();
}
void dropInputs(Ctx& c) {
    c.f.closed[kInputs] = true;
    releaseFrom(c, *c.w.inputs);
    c.w.inputs->unsetZQRuntime();
    c.w.inputs->unsetMediaDispatchMgr();
    c.w.inputs->unsetMediaMgr();
    c.f.fence.await();  // its runtime event handlers are plain too
    c.w.inputs.reset();
}
void dropLink(Ctx& c) {
    c.f.closed[kLink] = true;
    c.w.link->unsetLinkMgr();
    c.f.fence.await();
    c.w.link.reset();
}

void emitOnDispatch(Ctx& c) {
    const auto dispatches = c.w.host.dispatchMgr->getDispatches();
    const auto d = dispatches.empty() ? nullptr : dispatches[c.rng() % dispatches.size()].lock();
    if (!d) return;
    const bool on = c.rng() % 2;
    const std::vector<uint64_t> ids{1, 2};
    switch (c.rng() % 5) {
        case 0:
            return d->sigLayoutVisibleChanged(qorva::DispatchType::Program, 3, on, EditingMode::Local);
        case 1:
            return d->sigLayerAdded(ids, 7, "layer", "");
        case 2:
            return d->sigMediaForceUpdate(9, EditingMode::Local, on);
        case 3:
            return d->sigLayoutKeepChanged(on);
        default:
            return d->sigLayoutStopFade(3);
    }
}
void emitOnLayout(Ctx& c) {
    auto& layout = *c.w.host.layoutMgr;
    const auto view = layout.renderView();
    bool hasMedia = false;
    const std::vector<uint64_t> ids{1};
    switch (c.rng() % 5) {
        case 0:
            return layout.sigTakeCutTriggered(true, false);
        case 1:
            return layout.sigLayoutNameChanged(3, "layout");
        case 2:
            return layout.sigNotifyMediaUpdateDisplayCards(std::multimap<uint64_t, EditingMode>{{9, {}}});
        case 3:
            return view->sigOutputAddMedias(std::vector<qorva::MediaInfo>{{.mediaId = 9}});
        default:
            return view->sigIsSelectedOutputPatchHasMedia(ids, hasMedia);
    }
}
// A registered callback, called as the host does: from a copy taken before the call.
void callCallback(Ctx& c) {
    auto& layout = *c.w.host.layoutMgr;
    const auto view = layout.renderView();
    const auto dispatch = c.w.dispatch;
    const auto call = [](const auto& callback, auto... args) { return callback ? (callback(args...), 0) : 0; };
    switch (c.rng() % 6) {
        case 0:
            return void(call(layout.usableLayerCallback()));
        case 1:
            return void(call(view->layerLockStateCallback(), uint64_t{11}));
        case 2:
            return void(call(view->callBackCommon(), qorva::RenderCtrlMgrCallBack_CurrentLayout));
        case 3:
            return void(call(view->usableLayerCallback()));
        case 4:
            return void(call(dispatch->layoutPropertyCallback()));
        default:
            return void(call(dispatch->patchSelectStatusCallback()));
    }
}

const std::vector<Op> kOps = {
    {"mgr.release", kMgr, false, kLate, mayStopHere,
     [](Ctx& c) { releaseFrom(c, *c.w.mgr), c.f.frameSyncAlive = false; }},
    // Duty: createFrameSync makes a new object and does not end one that is alive.
    {"mgr.createFrameSync", kMgr, true, kLate, [](Ctx& c) { return !c.f.frameSyncAlive; },
     [](Ctx& c) { c.w.mgr->createFrameSync(), c.f.frameSyncAlive = true; }},
    {"mgr.setRenderFacade", kMgr, false, 0, nullptr,
     [](Ctx& c) {
         c.w.mgr->setFrameSyncLocalCheck(kTimerTaskAgainstUnset ? 1 : 0);
         c.w.mgr->setRenderFacade(c.w.host.facade);
     }},
    {"mgr.setTap", kMgr, false, 0, nullptr, [](Ctx& c) { c.w.mgr->setFrameDataCallBack(c.w.managerTap()); }},
    {"mgr.clearTap", kMgr, false, kLate, mayStopHere, [](Ctx& c) { c.w.mgr->setFrameDataCallBack({}); }},
    {"mgr.setZQRuntime", kMgr, false, 0, nullptr, [](Ctx& c) { c.w.mgr->setZQRuntime(&c.w.host.runtime); }},
    {"mgr.unsetZQRuntime", kMgr, false, kSeldom, nullptr, [](Ctx& c) { c.w.mgr->unsetZQRuntime(); }},
    {"mgr.setMediaMgr", kMgr, false, 0, nullptr, [](Ctx& c) { c.w.mgr->setMediaMgr(&c.w.host.mediaMgr); }},
    {"mgr.unsetMediaMgr", kMgr, false, kSeldom, nullptr, [](Ctx& c) { c.w.mgr->unsetMediaMgr(); }},
    {"mgr.setOutPutLayoutMgr", kMgr, false, 0, nullptr,
     [](Ctx& c) { c.w.mgr->setOutPutLayoutMgr(c.w.host.layoutMgr); }},
    {"mgr.unsetOutPutLayoutMgr", kMgr, false, kSeldom, nullptr, [](Ctx& c) { c.w.mgr->unsetOutPutLayoutMgr(); }},
    {"mgr.setMediaDispatchMgr", kMgr, false, kEmission, nullptr,
     [](Ctx& c) {
         c.w.mgr->setMediaDispatchMgr(c.w.host.dispatchMgr);
         c.w.host.dispatchMgr->sigDispatchAdded(std::weak_ptr<IDispatch>(c.w.dispatch));
     }},
    {"mgr.unsetMediaDispatchMgr", kMgr, false, kSeldom, nullptr, [](Ctx& c) { c.w.mgr->unsetMediaDispatchMgr(); }},
    {"mgr.setOthers", kMgr, false, 0, nullptr,
     [](Ctx& c) {
         c.w.mgr->setSenderMgr(&c.w.host.senderMgr);
         c.w.mgr->setPhysicsOutputMgr(c.w.host.physicsOutputMgr);
         c.w.mgr->setFrameDataSwitch(c.rng() % 8 != 0);
         c.w.mgr->setLinkState(c.rng() % 8 == 0);
     }},
    {"mgr.layoutMgrExpires", kMgr, true, kRare, nullptr,
     [](Ctx& c) {
         replaceWithExpired(
             c, [&] { c.w.mgr->unsetOutPutLayoutMgr(); },
             [&] { c.w.mgr->setOutPutLayoutMgr(std::make_shared<qorva::sim::SimLayoutMgr>()); });
     }},
    {"mgr.dispatchMgrExpires", kMgr, true, kRare, nullptr,
     [](Ctx& c) {
         replaceWithExpired(
             c, [&] { c.w.mgr->unsetMediaDispatchMgr(); },
             [&] { c.w.mgr->setMediaDispatchMgr(std::make_shared<qorva::sim::SimMediaDispatchMgr>()); });
     }},
    {"mgr.facadeAndPhysicsExpire", kMgr, false, kRare, nullptr,
     [](Ctx& c) {
         c.w.mgr->setRenderFacade(std::make_shared<qorva::sim::SimRenderFacade>());
         c.w.mgr->setPhysicsOutputMgr(std::make_shared<qorva::sim::SimPhysicsOutputMgr>());
     }},
    // Duty: the cluster link goes first out.
    {"mgr.drop", kMgr, true, kLate, [](Ctx& c) { return c.f.closed[kLink] && mayStopHere(c); }, dropManager},
    {"inputs.release", kInputs, false, kSeldom, nullptr, [](Ctx& c) { releaseFrom(c, *c.w.inputs); }},
    {"inputs.setRenderFacade", kInputs, false, 0, nullptr,
     [](Ctx& c) { c.w.inputs->setRenderFacade(c.w.host.facade); }},
    {"inputs.setServices", kInputs, false, 0, nullptr,
     [](Ctx& c) {
         c.w.inputs->setMediaDispatchMgr(c.w.host.dispatchMgr);
         c.w.inputs->setMediaMgr(&c.w.host.mediaMgr);
         c.w.inputs->setZQRuntime(&c.w.host.runtime);
     }},
    {"inputs.unsetServices", kInputs, false, kSeldom, nullptr,
     [](Ctx& c) {
         c.w.inputs->unsetZQRuntime();
         c.w.inputs->unsetMediaDispatchMgr();
         c.w.inputs->unsetMediaMgr();
     }},
    {"inputs.setTaps", kInputs, false, 0, nullptr,
     [](Ctx& c) {
         c.w.inputs->setFrameDataCallBack(c.w.inputFrameTap());
         c.w.inputs->setInputFrameDataUpdateCallBack(c.w.inputUpdateTap());
     }},
    {"inputs.clearTaps", kInputs, false, kSeldom, nullptr,
     [](Ctx& c) {
         c.w.inputs->setFrameDataCallBack({});
         c.w.inputs->setInputFrameDataUpdateCallBack({});
     }},
    {"inputs.dispatchMgrExpires", kInputs, false, kRare, nullptr,
     [](Ctx& c) { c.w.inputs->setMediaDispatchMgr(std::make_shared<qorva::sim::SimMediaDispatchMgr>()); }},
    {"inputs.drop", kInputs, true, kLate, nullptr, dropInputs},
    {"link.setLinkMgr", kLink, false, 0, nullptr, [](Ctx& c) { c.w.link->setLinkMgr(c.w.node); }},
    {"link.unsetLinkMgr", kLink, false, 0, nullptr, [](Ctx& c) { c.w.link->unsetLinkMgr(); }},
    {"link.setServices", kLink, false, 0, nullptr,
     [](Ctx& c) {
         c.w.link->setZQRuntime(&c.w.host.runtime);
         c.w.link->setMediaMgr(&c.w.host.mediaMgr);
         c.w.link->setRenderCtrl(c.f.mgr);
         c.w.link->setProgramDispatch(c.w.host.programDispatch);
     }},
    {"link.programDispatchExpires", kLink, false, kRare, nullptr,
     [](Ctx& c) { c.w.link->setProgramDispatch(std::make_shared<qorva::sim::SimProgramDispatch>()); }},
    {"link.drop", kLink, true, kLate, nullptr, dropLink},
    {"emit.dispatch", kFree, false, kEmission, nullptr, emitOnDispatch},
    {"emit.layoutAndView", kFree, false, kEmission, nullptr, emitOnLayout},
    {"emit.mediaMgr", kFree, false, kEmission, nullptr,
     [](Ctx& c) {
         c.w.host.mediaMgr.sigMediaDisplayCardsChanged(9, std::vector{kOwnThreadCard}, EditingMode::Local);
         c.w.host.mediaMgr.sigFrameTimeChanged(0.02 * (c.rng() % 100));
     }},
    {"emit.runtimeEvent", kFree, false, kEmission, nullptr,
     [](Ctx& c) {
         if (c.rng() % 2) c.w.host.runtime.fireEvent("OnEditDisconnect");
         c.w.host.runtime.fireEvent("OnEditConnected");  // cards tap only while the editor is connected
     }},
    {"emit.roleChange", kFree, false, kEmission, nullptr,
     [](Ctx& c) {
         const int role = static_cast<int>(c.rng() % 5);  // a node with a role does not tap: mostly the peer
         c.w.cluster.setRole(kPeerIp, role);
     }},
    {"emit.clusterNodes", kFree, false, kEmission, nullptr,
     [](Ctx& c) { c.rng() % 2 ? c.w.cluster.announceNodes() : c.w.cluster.announceBackup(kNodeIp); }},
    {"emit.linkRequest", kFree, false, kEmission, nullptr,
     [](Ctx& c) { c.w.node->deliver(c.rng() % 2 ? "40reportPort" : "40reportPorts", "7000", kPeerIp); }},
    {"emit.callback", kFree, false, kEmission, nullptr, callCallback},
    {"emit.dispatchAddedOrRemoved", kFree, false, kEmission, nullptr,
     [](Ctx& c) {
         std::lock_guard lock(c.f.dispatchMutex);
         auto& extra = c.f.extraDispatches;
         if (extra.size() < kMaxExtraDispatches && c.rng() % 2) {
             extra.push_back(std::make_shared<SimTimelineDispatch>());
             c.w.host.dispatchMgr->addDispatch(extra.back());
         } else if (!extra.empty()) {
             c.w.host.dispatchMgr->removeDispatch(extra.back());
             c.f.removedDispatches.push_back(extra.back());  // the host's objects outlive the library's
             extra.pop_back();
         }
     }},
    {"runtime.advance", kFree, false, kHostOnly, nullptr,
     [](Ctx& c) { c.w.host.runtime.advance(std::chrono::milliseconds(100 + c.rng() % 6000), kLimit); }},
};

void Fuzz::run(const Op& op, Ctx& c, const std::string& who) {
    if ((op.flags & kHostOnly && c.inside) || (op.flags & kLate && !c.late)) return;
    std::unique_lock<std::shared_mutex> alone;
    std::shared_lock<std::shared_mutex> shared;
    // Inside a library callback a host lock is only tried: a callback that waited for
    // a host thread waiting for the callback's pass would deadlock by the host's hand.
    if (op.obj != kFree) {
        auto& hold = holds[op.obj];
        if (op.alone)
            alone = c.inside ? std::unique_lock(hold, std::try_to_lock) : std::unique_lock(hold);
        else
            shared = c.inside ? std::shared_lock(hold, std::try_to_lock) : std::shared_lock(hold);
        if (!(alone || shared) || closed[op.obj]) return;
    }
    if (op.pre && !op.pre(c)) return;
    {
        std::lock_guard lock(trace().mutex);
        trace().ops.push_back(who + op.name);
    }
    if (op.flags & kEmission)
        fence.emit([&] { op.act(c); });
    else
        op.act(c);
}

const Op& pick(std::mt19937& rng) {
    for (;;) {
        const Op& op = kOps[rng() % kOps.size()];
        if ((op.flags & kSeldom && rng() % 4) || (op.flags & kRare && rng() % 8)) continue;
        return op;
    }
}

void Fuzz::host(int thread, uint32_t seed) {
    std::mt19937 rng(seed * kHostThreads + thread);
    for (int i = 0; i < kOpsPerThread; ++i) {
        const Op& op = pick(rng);
        const bool late = i >= kOpsPerThread * 2 / 3;
        if (rng() % 3 != 0 || op.flags & kHostOnly) {
            Ctx c{*this, w, rng, std::nullopt, late};
            run(op, c, "t" + std::to_string(thread) + " ");
            continue;
        }
        const auto where = static_cast<Callback>(rng() % 3);
        w.runInside(where, [this, &op, where, late, s = rng()] { inside(op, where, late, s); }).wait_for(kInsideWait);
    }
}

void Fuzz::inside(const Op& op, Callback where, bool late, uint32_t seed) {
    std::shared_lock gate(insideGate, std::try_to_lock);
    if (!gate || stopping) return;
    std::mt19937 rng(seed);
    Ctx c{*this, w, rng, where, late};
    const char* names[] = {"renderTap: ", "frameSyncTap: ", "inputTap: "};
    run(op, c, names[static_cast<int>(where)]);
}

// One sequence: the show, the host threads and callbacks, the teardown, the checks.
void runSequence(int seed) {
    std::printf("seed %d\n", seed);
    std::fflush(stdout);
    trace().ops.clear();
    const auto threads = test::processThreads();
    std::unique_ptr<Fuzz> f;  // outlives the show: a thread that ends late may still look at it
    {
        World w;
        pauseSeed = static_cast<uint32_t>(seed) | 1u;
        qorva::sim::watchCalls(perturb);
        ASSERT_TRUE(w.host.runtime.settle());  // the timer task of the show's setRenderFacade has run
        ASSERT_TRUE(w.awaitPasses(1));
        f = std::make_unique<Fuzz>(w);
        std::vector<std::thread> hosts;
        for (int t = 0; t < kHostThreads; ++t) hosts.emplace_back([&f, t, seed] { f->host(t, seed); });
        for (auto& host : hosts) host.join();
        f->stopping = true;
        std::unique_lock gate(f->insideGate);  // no operation runs inside a callback from now on
        w.teardown();
        for (auto& gone : f->closed) gone = true;
        EXPECT_EQ(w.host.runtime.activeTimers(), 0u);
        std::mt19937 rng(seed);
        Ctx c{*f, w, rng, std::nullopt, true};
        for (const Op& op : kOps)
            if (op.flags & kEmission) f->run(op, c, "after teardown: ");
    }
    if (std::getenv("QRC_FUZZ_TRACE"))
        for (const auto& op : trace().ops) std::printf("  %s\n", op.c_str());
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
    const int first = envInt("QRC_FUZZ_SEED", 1);
    const int seconds = envInt("QRC_FUZZ_SECONDS", 0);
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
