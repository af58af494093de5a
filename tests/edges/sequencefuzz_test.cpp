// Seeded random sequences of host operations on a whole show (world.h): three host
// threads at once, operations run from inside the library's callbacks, and short random
// pauses at the simulated host's call boundaries. Every operation keeps the host's
// documented duties (README, "Integrating the library" and "Signals: what the host must
// do"; the public headers); the comment at its precondition names the duty. Each sequence
// must end in the documented teardown with no hang, no timer and no thread left, and a
// round of emissions after it must reach nothing that is gone.
// QRC_FUZZ_SEQUENCES and QRC_FUZZ_SECONDS bound a run, QRC_FUZZ_SEED is its first seed,
// QRC_FUZZ_TRACE=1 prints each sequence's operations.
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
using namespace qorva::sim;
using tarsel::EditingMode;

// Known library defects stepped around; turn each on once it is fixed.
constexpr bool kTeardownOnFrameSyncThread = false;   // release() or the manager's drop in the frame sync thread's tap
constexpr bool kTimerTaskAgainstUnset = false;       // setRenderFacade's posted timer task racing unsetZQRuntime
constexpr bool kStopInRenderTapWhileJoined = false;  // a render thread stopping itself while a host thread joins it

constexpr int kHostThreads = 3;
constexpr int kOpsPerThread = 30;
constexpr int kDefaultSequences = 20;
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

void report(int seed, const char* what) {
    std::unique_lock lock(trace().mutex, std::try_to_lock);
    for (size_t i = 0; lock && i < trace().ops.size(); ++i) std::fprintf(stderr, "  %s\n", trace().ops[i].c_str());
    const std::string preset = QRC_FUZZ_PRESET;
    std::fprintf(stderr, "fuzz-api: seed %d %s; replay: make fuzz-api SEED=%d%s\n", seed, what, seed,
                 preset == "default" ? "" : (" PRESET=" + preset).c_str());
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

// The host's emission fence: counts each emission (a signal, a registered callback)
// from its start to its return, so that a drop can wait for those begun before it.
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
// Duty: the host sets and unsets one service of an object from one thread at a time.
enum Lane { kNoLane, kLayout, kDispatch, kRuntime, kMedia, kInputServices, kLinkMgr, kLinkServices, kLanes };
// kAlone: holds its object exclusively. kSeldom and kRare are picked a quarter and an eighth
// as often (the show keeps running most of the time), kLate only in a thread's last third.
// kJoins: waits for the object's threads.
enum Flags { kAlone = 1, kEmission = 2, kHostOnly = 4, kSeldom = 8, kRare = 16, kLate = 32, kJoins = 64 };

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
    Obj obj;
    Lane lane;
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
    std::mutex lanes[kLanes], crossWait;
    std::atomic<bool> closed[kObjects] = {};  // dropped: no operation on it any more
    std::atomic<bool> frameSyncAlive{true}, released{false};
    std::mutex dispatchMutex;
    std::vector<std::shared_ptr<SimTimelineDispatch>> extraDispatches, removedDispatches;
    std::mutex tapMutex;
    std::vector<std::shared_ptr<std::atomic<bool>>> taps;  // the manager's taps handed in: cleared yet?
    std::atomic<int> clearedTapCalls{0};
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

// Whether the manager may be stopped (released, its tap cleared, dropped) from here yet.
bool mayStopHere(Ctx& c) {
    return (kTeardownOnFrameSyncThread || c.inside != Callback::frameSyncTap) &&
           (kStopInRenderTapWhileJoined || c.inside != Callback::renderTap);
}
// Duty: the input source controller's callbacks do not call back into it (its release
// is documented to throw there, its drop to end the thread after the pass).
bool notInItsCallback(Ctx& c) { return c.inside != Callback::inputTap; }

// Duty: a plain-slot service is unset, and the emissions begun before have returned,
// before another takes its place; the host drops that one at once, so it expires.
template <class Unset, class Set>
void replaceWithExpired(Ctx& c, Unset unset, Set set) {
    unset();
    c.f.fence.await();
    set();
}

// Duty: unset first (in the documented teardown order), let every emission begun
// before return, then drop the last reference.
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
// From inside its own callback only the drop itself, which lets its thread end after the
// pass; its connections and event handlers hold it weakly.
void dropInputs(Ctx& c) {
    c.f.closed[kInputs] = true;
    if (notInItsCallback(c)) {
        c.w.inputs->release();
        c.w.inputs->unsetZQRuntime();
        c.w.inputs->unsetMediaDispatchMgr();
        c.w.inputs->unsetMediaMgr();
    }
    c.w.inputs.reset();
}
void dropLink(Ctx& c) {
    c.f.closed[kLink] = true;
    c.w.link->unsetLinkMgr();
    c.f.fence.await();
    c.w.link.reset();
}

// The show's tap, noting a call that enters it once a clear that followed its hand-in
// has returned: a clear returns only once no pass can call the old tap.
void setTap(Ctx& c) {
    auto cleared = std::make_shared<std::atomic<bool>>(false);
    c.w.mgr->setFrameDataCallBack([tap = c.w.managerTap(), cleared, &f = c.f](const auto& info, const auto* frame) {
        if (*cleared) ++f.clearedTapCalls;
        tap(info, frame);
    });
    std::lock_guard lock(c.f.tapMutex);
    c.f.taps.push_back(std::move(cleared));
}
void clearTap(Ctx& c) {
    std::unique_lock lock(c.f.tapMutex);
    const auto before = c.f.taps;
    lock.unlock();
    c.w.mgr->setFrameDataCallBack({});
    for (const auto& cleared : before) *cleared = true;
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
            return void(call(c.w.dispatch->layoutPropertyCallback()));
        default:
            return void(call(c.w.dispatch->patchSelectStatusCallback()));
    }
}
void addOrRemoveDispatch(Ctx& c) {
    std::lock_guard lock(c.f.dispatchMutex);
    auto& extra = c.f.extraDispatches;
    if (extra.size() < 3 && c.rng() % 2) {
        extra.push_back(std::make_shared<SimTimelineDispatch>());
        c.w.host.dispatchMgr->addDispatch(extra.back());
    } else if (!extra.empty()) {
        c.w.host.dispatchMgr->removeDispatch(extra.back());
        c.f.removedDispatches.push_back(extra.back());  // the host's objects outlive the library's
        extra.pop_back();
    }
}

const std::vector<Op> kOps = {
    {"mgr.release", kMgr, kNoLane, kLate | kJoins, mayStopHere,
     [](Ctx& c) { releaseFrom(c, *c.w.mgr), c.f.frameSyncAlive = false, c.f.released = true; }},
    // Duty: createFrameSync makes a new object and does not end one that is alive.
    {"mgr.createFrameSync", kMgr, kNoLane, kAlone | kLate, [](Ctx& c) { return !c.f.frameSyncAlive; },
     [](Ctx& c) { c.w.mgr->createFrameSync(), c.f.frameSyncAlive = true; }},
    {"mgr.setRenderFacade", kMgr, kNoLane, 0, nullptr,
     [](Ctx& c) {
         c.w.mgr->setFrameSyncLocalCheck(kTimerTaskAgainstUnset ? 1 : 0);
         c.w.mgr->setRenderFacade(c.w.host.facade);
     }},
    {"mgr.setTap", kMgr, kNoLane, 0, nullptr, setTap},
    {"mgr.clearTap", kMgr, kNoLane, kLate | kJoins, mayStopHere, clearTap},
    {"mgr.setOthers", kMgr, kNoLane, 0, nullptr,
     [](Ctx& c) {
         c.w.mgr->setSenderMgr(&c.w.host.senderMgr);
         c.w.mgr->setPhysicsOutputMgr(c.w.host.physicsOutputMgr);
         c.w.mgr->setFrameDataSwitch(c.rng() % 8 != 0);
         c.w.mgr->setLinkState(c.rng() % 8 == 0);
     }},
    {"mgr.facadeAndPhysicsExpire", kMgr, kNoLane, kRare, nullptr,
     [](Ctx& c) {
         c.w.mgr->setRenderFacade(std::make_shared<SimRenderFacade>());
         c.w.mgr->setPhysicsOutputMgr(std::make_shared<SimPhysicsOutputMgr>());
     }},
    {"mgr.setZQRuntime", kMgr, kRuntime, 0, nullptr, [](Ctx& c) { c.w.mgr->setZQRuntime(&c.w.host.runtime); }},
    {"mgr.unsetZQRuntime", kMgr, kRuntime, kSeldom, nullptr, [](Ctx& c) { c.w.mgr->unsetZQRuntime(); }},
    {"mgr.setMediaMgr", kMgr, kMedia, 0, nullptr, [](Ctx& c) { c.w.mgr->setMediaMgr(&c.w.host.mediaMgr); }},
    // Duty: the media manager is unset after release().
    {"mgr.unsetMediaMgr", kMgr, kMedia, 0, [](Ctx& c) { return c.f.released.load(); },
     [](Ctx& c) { c.w.mgr->unsetMediaMgr(); }},
    {"mgr.setOutPutLayoutMgr", kMgr, kLayout, 0, nullptr,
     [](Ctx& c) { c.w.mgr->setOutPutLayoutMgr(c.w.host.layoutMgr); }},
    {"mgr.unsetOutPutLayoutMgr", kMgr, kLayout, kSeldom, nullptr, [](Ctx& c) { c.w.mgr->unsetOutPutLayoutMgr(); }},
    {"mgr.layoutMgrExpires", kMgr, kLayout, kRare, nullptr,
     [](Ctx& c) {
         replaceWithExpired(
             c, [&] { c.w.mgr->unsetOutPutLayoutMgr(); },
             [&] { c.w.mgr->setOutPutLayoutMgr(std::make_shared<SimLayoutMgr>()); });
     }},
    {"mgr.setMediaDispatchMgr", kMgr, kDispatch, 0, nullptr,
     [](Ctx& c) {
         c.w.mgr->setMediaDispatchMgr(c.w.host.dispatchMgr);
         c.f.fence.emit([&] { c.w.host.dispatchMgr->sigDispatchAdded(std::weak_ptr<IDispatch>(c.w.dispatch)); });
     }},
    {"mgr.unsetMediaDispatchMgr", kMgr, kDispatch, kSeldom, nullptr, [](Ctx& c) { c.w.mgr->unsetMediaDispatchMgr(); }},
    {"mgr.dispatchMgrExpires", kMgr, kDispatch, kRare, nullptr,
     [](Ctx& c) {
         replaceWithExpired(
             c, [&] { c.w.mgr->unsetMediaDispatchMgr(); },
             [&] { c.w.mgr->setMediaDispatchMgr(std::make_shared<SimMediaDispatchMgr>()); });
     }},
    // Duty: the cluster link goes first out.
    {"mgr.drop", kMgr, kNoLane, kAlone | kLate | kJoins, [](Ctx& c) { return c.f.closed[kLink] && mayStopHere(c); },
     dropManager},
    {"inputs.release", kInputs, kNoLane, kSeldom | kJoins, nullptr, [](Ctx& c) { releaseFrom(c, *c.w.inputs); }},
    {"inputs.setRenderFacade", kInputs, kNoLane, 0, notInItsCallback,
     [](Ctx& c) { c.w.inputs->setRenderFacade(c.w.host.facade); }},
    {"inputs.setServices", kInputs, kInputServices, 0, notInItsCallback,
     [](Ctx& c) {
         c.w.inputs->setMediaDispatchMgr(c.w.host.dispatchMgr);
         c.w.inputs->setMediaMgr(&c.w.host.mediaMgr);
         c.w.inputs->setZQRuntime(&c.w.host.runtime);
     }},
    {"inputs.unsetServices", kInputs, kInputServices, kSeldom, notInItsCallback,
     [](Ctx& c) { c.w.inputs->unsetZQRuntime(), c.w.inputs->unsetMediaDispatchMgr(); }},
    {"inputs.dispatchMgrExpires", kInputs, kInputServices, kRare, notInItsCallback,
     [](Ctx& c) { c.w.inputs->setMediaDispatchMgr(std::make_shared<SimMediaDispatchMgr>()); }},
    {"inputs.setTaps", kInputs, kNoLane, 0, notInItsCallback,
     [](Ctx& c) {
         c.w.inputs->setFrameDataCallBack(c.w.inputFrameTap());
         c.w.inputs->setInputFrameDataUpdateCallBack(c.w.inputUpdateTap());
     }},
    // Duty: the input taps' receivers are freed only after release(); these live on.
    {"inputs.clearTaps", kInputs, kNoLane, kSeldom, notInItsCallback,
     [](Ctx& c) { c.w.inputs->setFrameDataCallBack({}), c.w.inputs->setInputFrameDataUpdateCallBack({}); }},
    {"inputs.drop", kInputs, kNoLane, kAlone | kLate | kJoins, nullptr, dropInputs},
    {"link.setLinkMgr", kLink, kLinkMgr, 0, nullptr, [](Ctx& c) { c.w.link->setLinkMgr(c.w.node); }},
    {"link.unsetLinkMgr", kLink, kLinkMgr, 0, nullptr, [](Ctx& c) { c.w.link->unsetLinkMgr(); }},
    {"link.setServices", kLink, kLinkServices, 0, nullptr,
     [](Ctx& c) {
         c.w.link->setZQRuntime(&c.w.host.runtime);
         c.w.link->setMediaMgr(&c.w.host.mediaMgr);
         c.w.link->setRenderCtrl(c.f.mgr);
         c.w.link->setProgramDispatch(c.w.host.programDispatch);
     }},
    {"link.programDispatchExpires", kLink, kLinkServices, kRare, nullptr,
     [](Ctx& c) { c.w.link->setProgramDispatch(std::make_shared<SimProgramDispatch>()); }},
    {"link.drop", kLink, kNoLane, kAlone | kLate, nullptr, dropLink},
    {"emit.dispatch", kFree, kNoLane, kEmission, nullptr, emitOnDispatch},
    {"emit.dispatchAddedOrRemoved", kFree, kNoLane, kEmission, nullptr, addOrRemoveDispatch},
    {"emit.layoutAndView", kFree, kNoLane, kEmission, nullptr, emitOnLayout},
    {"emit.callback", kFree, kNoLane, kEmission, nullptr, callCallback},
    {"emit.mediaMgr", kFree, kNoLane, kEmission, nullptr,
     [](Ctx& c) {
         c.w.host.mediaMgr.sigMediaDisplayCardsChanged(9, std::vector{kOwnThreadCard}, EditingMode::Local);
         c.w.host.mediaMgr.sigFrameTimeChanged(0.02 * (c.rng() % 100));
     }},
    {"emit.runtimeEvent", kFree, kNoLane, kEmission, nullptr,
     [](Ctx& c) {
         if (c.rng() % 2) c.w.host.runtime.fireEvent("OnEditDisconnect");
         c.w.host.runtime.fireEvent("OnEditConnected");  // cards tap only while the editor is connected
     }},
    {"emit.roleChange", kFree, kNoLane, kEmission, nullptr,
     [](Ctx& c) {
         const int role = static_cast<int>(c.rng() % 5);  // a node with a role does not tap: mostly the peer
         c.w.cluster.setRole(c.rng() % 4 ? kPeerIp : kNodeIp, role);
     }},
    {"emit.clusterNodes", kFree, kNoLane, kEmission, nullptr,
     [](Ctx& c) { c.rng() % 2 ? c.w.cluster.announceNodes() : c.w.cluster.announceBackup(kNodeIp); }},
    {"emit.linkRequest", kFree, kNoLane, kEmission, nullptr,
     [](Ctx& c) { c.w.node->deliver(c.rng() % 2 ? "40reportPort" : "40reportPorts", "7000", kPeerIp); }},
    {"runtime.advance", kFree, kNoLane, kHostOnly, nullptr,
     [](Ctx& c) { c.w.host.runtime.advance(std::chrono::milliseconds(100 + c.rng() % 6000), kLimit); }},
};

template <class Lock, class Mutex>
Lock hold(Mutex& mutex, bool inside) {
    return inside ? Lock(mutex, std::try_to_lock) : Lock(mutex);
}

// Inside a library callback a host lock is only tried: a callback that waited for a
// host thread that waits for the callback's pass would deadlock by the host's own hand.
void Fuzz::run(const Op& op, Ctx& c, const std::string& who) {
    if ((op.flags & kHostOnly && c.inside) || (op.flags & kLate && !c.late)) return;
    std::unique_lock<std::shared_mutex> alone;
    std::shared_lock<std::shared_mutex> shared;
    if (op.obj != kFree && op.flags & kAlone) alone = hold<decltype(alone)>(holds[op.obj], c.inside.has_value());
    if (op.obj != kFree && !(op.flags & kAlone)) shared = hold<decltype(shared)>(holds[op.obj], c.inside.has_value());
    if (op.obj != kFree && (!(alone || shared) || closed[op.obj])) return;
    auto lane = op.lane ? hold<std::unique_lock<std::mutex>>(lanes[op.lane], c.inside.has_value())
                        : std::unique_lock<std::mutex>();
    // Duty (or the host deadlocks by its own hand): callbacks of two controllers do not
    // wait for each other's threads at once.
    const bool cross = c.inside && op.flags & kJoins && (*c.inside == Callback::inputTap) != (op.obj == kInputs);
    std::unique_lock<std::mutex> crossing =
        cross ? std::unique_lock(crossWait, std::try_to_lock) : std::unique_lock<std::mutex>();
    if ((op.lane && !lane) || (cross && !crossing) || (op.pre && !op.pre(c))) return;
    {
        std::lock_guard lock(trace().mutex);
        trace().ops.push_back(who + op.name);
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
    run(op, c, std::vector<std::string>{"renderTap: ", "frameSyncTap: ", "inputTap: "}[static_cast<int>(where)]);
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
