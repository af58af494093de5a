#include "scenario.h"

#include <chrono>

#include <fmt/format.h>

#include "cards.h"
#include "contactsheet.h"
#include "editing.h"
#include "framesyncmodule.h"
#include "frametiming.h"
#include "hostwiring.h"
#include "inputs.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "report.h"
#include "status.h"
#include "taps.h"
#include "thumbnail.h"
#include "timingrun.h"

namespace sandbox {

namespace {

using qorva::mediadispatch::RenderCtrlMgr;

// The manager, wired as a host wires it and unwired when it goes.
class WiredManager {
public:
    WiredManager(qorva::sim::SimHost& host, TapRecorder& taps) : _mgr(std::make_shared<RenderCtrlMgr>()) {
        wireAsHost(*_mgr, host);
        _mgr->setFrameDataCallBack(taps.callback());
    }
    ~WiredManager() { unwire(); }
    WiredManager(const WiredManager&) = delete;
    WiredManager& operator=(const WiredManager&) = delete;

    RenderCtrlMgr& mgr() { return *_mgr; }

    void unwire() {
        if (!_wired) return;
        _wired = false;
        unwireAsHost(*_mgr);
    }

private:
    std::shared_ptr<RenderCtrlMgr> _mgr;
    bool _wired = true;
};

}  // namespace

namespace {
// Spans kept for a trace: about 17 minutes of the default run (2000 a second).
constexpr size_t kMaxTraceSpans = 2'000'000;
}  // namespace

std::string runCards(const Options& options, const std::filesystem::path& outDir) {
    ContactSheet sheet(outDir / "contact-sheet.png");
    qorva::sim::TimingRecorder recorder(options.trace, kMaxTraceSpans);
    qorva::sim::SimHost host;
    const std::vector<Card> cards = addCards(host, options.cards, options.players);
    attachRecorder(host, cards, &recorder);
    TapRecorder taps;
    std::vector<Layer> hostLayers;
    EditingReport editing;
    InputsReport inputsReport;
    std::string frameSyncMissing;  // empty when the manager made a frame sync object

    fmt::print("{} cards, {} players each, for {} s\n", cards.size(), options.players, options.seconds);
    const auto start = std::chrono::steady_clock::now();
    FrameTiming timing(recorder, outDir / "frame-timing.csv", start, options.seconds);
    {
        WiredManager wiring(host, taps);
        if (!host.mediaMgr.frameSync()) {
            frameSyncMissing = frameSyncModuleMissing();
            fmt::print("No frame sync: {}; every card runs on its own thread.\n", frameSyncMissing);
        }
        InputSources inputs(host, taps);
        hostLayers.push_back(showOrgThumbnail(wiring.mgr()));
        editing = runEditing(host);
        const StatusSchedule schedule{options.seconds <= kLongRunSeconds, options.reportEvery};
        StatusLine(cards, taps, recorder, timing).runFor(start, options.seconds, schedule);
        wiring.unwire();
        inputsReport = inputs.stop();
    }
    attachRecorder(host, cards, nullptr);
    timing.finish();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Report report = collectReport(host, cards, hostLayers, taps, seconds);
    for (size_t i = 0; i < report.cards.size(); ++i)
        report.cards[i].missedVBlanks = recorder.missed(static_cast<uint32_t>(i));
    report.inputs = inputsReport;
    report.editing = editing;
    report.frameSyncMissing = frameSyncMissing;
    printReport(report);
    writeTimingOutputs(recorder, report, options, timing.csv(), timing.csvWritten(), start);

    sheet.write(contactSheetTiles(report));
    fmt::print("\ncontact sheet: {}\n", sheet.path().string());
    return timing.verdict();
}

}  // namespace sandbox
