// Event forwarding: a dispatch signal through the manager's handler into a layout
// manager that does nothing, against a direct virtual call of the same operation;
// and the signal header's emission against Boost.Signals2 with the same slots.
#include <memory>

#include <fmt/format.h>

#include <boost/signals2/signal.hpp>
#include <sigslot/signal.hpp>

#include "nullhost.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "report.h"

namespace qrc::bench {
namespace {

using qorva::mediadispatch::RenderCtrlMgr;

// A manager wired to the do-nothing layout manager and one dispatch.
struct ForwardingScene {
    ForwardingScene() {
        mgr->setMediaDispatchMgr(dispatchMgr);
        mgr->setOutPutLayoutMgr(layoutMgr);
        dispatchMgr->sigDispatchAdded(dispatch);
    }
    ~ForwardingScene() {
        mgr->unsetOutPutLayoutMgr();
        dispatchMgr->sigDispatchRemoved(dispatch);
        mgr->unsetMediaDispatchMgr();
    }

    std::shared_ptr<NullDispatchMgr> dispatchMgr = std::make_shared<NullDispatchMgr>();
    std::shared_ptr<NullDispatch> dispatch = std::make_shared<NullDispatch>();
    std::shared_ptr<NullLayoutMgr> layoutMgr = std::make_shared<NullLayoutMgr>();
    std::shared_ptr<RenderCtrlMgr> mgr = std::make_shared<RenderCtrlMgr>();
};

// sigMediasReplaced reaches its handler through a slot tracked on the manager.
void forwardTracked(benchmark::State& state) {
    ForwardingScene scene;
    for (auto _ : state) scene.dispatch->sigMediasReplaced(7, EditingMode::Local);
}

// sigSyncPreeditDatas reaches its handler through a plain slot.
void forwardPlain(benchmark::State& state) {
    ForwardingScene scene;
    for (auto _ : state) scene.dispatch->sigSyncPreeditDatas(7);
}

// The pointer is laundered so that the call stays a virtual call.
qorva::mediaoutput::IMediaOutputLayoutMgr* opaqueLayoutMgr(NullLayoutMgr& mgr) {
    qorva::mediaoutput::IMediaOutputLayoutMgr* layout = &mgr;
    benchmark::DoNotOptimize(layout);
    return layout;
}

void directReplace(benchmark::State& state) {
    NullLayoutMgr mgr;
    auto* layout = opaqueLayoutMgr(mgr);
    for (auto _ : state) layout->replaceMedias(7, EditingMode::Local);
}

void directSync(benchmark::State& state) {
    NullLayoutMgr mgr;
    auto* layout = opaqueLayoutMgr(mgr);
    for (auto _ : state) layout->syncPreeditDatas(7);
}

// The same slot for both libraries: it adds the emitted value to a sum.
struct Sum {
    void operator()(int value) { total += value; }
    int64_t total = 0;
};

void sigslotEmit(benchmark::State& state, int slots) {
    Sum sum;
    sigslot::signal<int> signal;
    for (int i = 0; i < slots; ++i) signal.connect([&sum](int v) { sum(v); });
    for (auto _ : state) signal(1);
    benchmark::DoNotOptimize(sum.total);
}

void boostEmit(benchmark::State& state, int slots) {
    Sum sum;
    boost::signals2::signal<void(int)> signal;
    for (int i = 0; i < slots; ++i) signal.connect([&sum](int v) { sum(v); });
    for (auto _ : state) signal(1);
    benchmark::DoNotOptimize(sum.total);
}

const bool registered = [] {
    compare("forwarding, tracked slot vs direct call", 10, forwardTracked, directReplace);
    compare("forwarding, plain slot vs direct call", 10, forwardPlain, directSync);
    for (const int slots : {1, 10}) {
        compare(
            fmt::format("sigslot vs Boost.Signals2, {} slot{}", slots, slots == 1 ? "" : "s"), 0.5,
            [slots](benchmark::State& s) { sigslotEmit(s, slots); },
            [slots](benchmark::State& s) { boostEmit(s, slots); });
    }
    return true;
}();

}  // namespace
}  // namespace qrc::bench
