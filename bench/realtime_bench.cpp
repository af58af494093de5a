// Render threads at 60 Hz over the simulated host: how long release takes with four
// cards running, and how many vertical blanks each card misses beside a CPU-bound
// thread.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"
#include "renderctrl/renderctrl.h"
#include "report.h"

namespace qrc::bench {
namespace {

using qorva::mediadispatch::FrameDataCallBack;
using qorva::mediadispatch::RenderCtrl;
using qorva::mediadispatch::RenderCtrlMgr;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr int kCards = 4;
constexpr Seconds kBlank{1.0 / 60};
constexpr int kReleases = 20;
const FrameDataCallBack kTap = [](const qorva::MediaInfo&, const zq::mediacore::IFrame*) {};

// Four cards with two players each and the frame data tap on, wired as a host wires
// a manager; every render thread is stopped and the services taken back at the end.
class FourCards {
public:
    FourCards() {
        for (int c = 0; c < kCards; ++c) {
            cards.push_back(fmt::format("#{}(Sim Card {})", c, c));
            host.addCard(cards.back())->setOutputTextures({{1, 10u + c}});
            for (uint32_t p = 1; p <= 2; ++p)
                host.addPlayer(cards.back(), {.name = fmt::format("clip-{}-{}", c, p)}, 100u * c + p, p);
        }
    }
    ~FourCards() {
        mgr->release();
        mgr->unsetOutPutLayoutMgr();
        mgr->unsetMediaDispatchMgr();
        mgr->unsetMediaMgr();
        mgr->unsetZQRuntime();
    }

    void start() {
        mgr->setMediaDispatchMgr(host.dispatchMgr);
        mgr->setMediaMgr(&host.mediaMgr);
        mgr->setZQRuntime(&host.runtime);
        mgr->setRenderFacade(host.facade);
        mgr->setOutPutLayoutMgr(host.layoutMgr);
        mgr->setSenderMgr(&host.senderMgr);
        mgr->setFrameDataCallBack(kTap);
    }

    // The mean time of one pass on the first card, with no render thread running.
    double meanPass() {
        RenderCtrl ctrl;
        ctrl.setCardName(cards[0]);
        ctrl.setRenderFacade(host.facade->card(cards[0]));
        ctrl.setMediaDispatchMgr(host.dispatchMgr);
        ctrl.setMediaMgr(&host.mediaMgr);
        ctrl.setOutPutLayoutMgr(host.layoutMgr);
        ctrl.setZQRuntime(&host.runtime);
        ctrl.setSenderMgr(&host.senderMgr);
        ctrl.setFrameDataCallBack(kTap);
        constexpr int kPasses = 50;  // fewer than the 76 a second that turn on a sleep per pass
        const auto start = Clock::now();
        for (int i = 0; i < kPasses; ++i) ctrl.updateFrameData(0);
        const double seconds = Seconds(Clock::now() - start).count() / kPasses;
        ctrl.unsetZQRuntime();
        return seconds;
    }

    qorva::sim::VBlank& vblank(int card) { return host.facade->card(cards[card])->vblank(); }

    qorva::sim::SimHost host;
    std::vector<std::string> cards;
    std::shared_ptr<RenderCtrlMgr> mgr = std::make_shared<RenderCtrlMgr>();
};

// Each release comes at another point of the blank interval.
void release(benchmark::State& state) {
    std::vector<double> times;
    double pass = 0;
    for (auto _ : state) {
        FourCards scene;
        if (times.empty()) pass = scene.meanPass();
        scene.start();
        std::this_thread::sleep_for(6 * kBlank + kBlank * times.size() / kReleases);
        const auto start = Clock::now();
        scene.mgr->release();
        times.push_back(Seconds(Clock::now() - start).count());
        state.SetIterationTime(times.back());
    }
    std::sort(times.begin(), times.end());
    const double bound = pass + kBlank.count();
    addRow({fmt::format("release, 4 cards at 60 Hz (worst of {})", times.size()), formatSeconds(times.back()),
            fmt::format("pass+blank {}", formatSeconds(bound)), times.back() / bound,
            fmt::format("median {}", formatSeconds(times[times.size() / 2])), 1});
}

double pacingSeconds() {
    const char* text = std::getenv("QRC_PACING_SECONDS");
    return text ? std::atof(text) : 60;
}

// A thread that keeps one core busy until stopped.
class CpuHog {
public:
    CpuHog()
        : _thread([this] {
              uint64_t x = 1;
              while (!_stop.load(std::memory_order_relaxed)) benchmark::DoNotOptimize(x = x * 6364136223846793005u + 1);
          }) {}
    ~CpuHog() {
        _stop = true;
        _thread.join();
    }

private:
    std::atomic<bool> _stop{false};
    std::thread _thread;
};

// Counted after one second of warm-up, in which threads start and pages fault in.
void pacing(benchmark::State& state) {
    for (auto _ : state) {
        FourCards scene;
        const CpuHog hog;
        scene.start();
        std::this_thread::sleep_for(Seconds(1));
        std::vector<uint64_t> missed;
        std::vector<uint64_t> waits;
        for (int c = 0; c < kCards; ++c) {
            missed.push_back(scene.vblank(c).missed());
            waits.push_back(scene.vblank(c).waits());
        }
        std::this_thread::sleep_for(Seconds(pacingSeconds()));
        for (int c = 0; c < kCards; ++c) {
            const uint64_t miss = scene.vblank(c).missed() - missed[c];
            const uint64_t blanks = scene.vblank(c).waits() - waits[c] + miss;
            addRow({fmt::format("pacing, card {}: missed per 3600 blanks", c), fmt::format("missed {}", miss),
                    fmt::format("of {} blanks", blanks), 3600.0 * miss / blanks,
                    fmt::format("{:.1f} passes/s", (blanks - miss) / pacingSeconds()), 1});
        }
    }
}

BENCHMARK(release)->UseManualTime()->Iterations(kReleases)->Repetitions(1)->Unit(benchmark::kMillisecond);
BENCHMARK(pacing)->Iterations(1)->Repetitions(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace qrc::bench
