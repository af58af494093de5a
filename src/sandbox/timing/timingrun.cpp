#include "timingrun.h"

#include <fmt/format.h>

#include "timingplot.h"
#ifdef QRC_SANDBOX_TRACE
#include "trace.h"
#endif

namespace sandbox {

void attachRecorder(qorva::sim::SimHost& host, const std::vector<Card>& cards, qorva::sim::TimingRecorder* recorder) {
    for (size_t i = 0; i < cards.size(); ++i) {
        if (recorder && recorder->cards() <= i) recorder->addCard(cards[i].text, cards[i].facade->vblank());
        cards[i].facade->setTimingRecorder(recorder, static_cast<int32_t>(i));
    }
    host.facade->setTimingRecorder(recorder);
    host.layoutMgr->setTimingRecorder(recorder);
    host.mediaMgr.setTimingRecorder(recorder);
}

namespace {

void writePlot(const Report& report, const Options& options, const std::filesystem::path& csv, double blankPeriodMs) {
    TimingPlot plot{csv,
                    csv.parent_path() / "frame-timing.png",
                    fmt::format("Frame timing measured by the simulated host: {} cards, {} players each, {:.0f} s",
                                report.cards.size(), options.players, report.seconds),
                    {},
                    blankPeriodMs,
                    report.seconds};
    for (const CardRow& card : report.cards)
        plot.cardTitles.push_back(fmt::format("{}, {}: {:.1f} passes/s, {} missed blanks", card.card, card.driver,
                                              card.passesPerSecond, card.missedVBlanks));
    std::string error;
    if (drawTimingPlot(plot, options.program, error))
        fmt::print("frame timing picture: {}\n", plot.png.string());
    else
        fmt::print("frame timing picture not written: {}\n", error);
}

void writeTraceFile(const qorva::sim::TimingRecorder& recorder, const std::filesystem::path& path,
                    std::chrono::steady_clock::time_point start) {
#ifdef QRC_SANDBOX_TRACE
    std::string error;
    if (writeTrace(recorder, path, start, error))
        fmt::print("trace: {}{}\n", path.string(),
                   recorder.spansDropped() ? " (the run had more spans than kept: the trace ends early)" : "");
    else
        fmt::print("trace not written: {}\n", error);
#else
    (void)recorder;
    (void)start;
    fmt::print("trace not written: {}: this build has no JSON library\n", path.string());
#endif
}

}  // namespace

void writeTimingOutputs(const qorva::sim::TimingRecorder& recorder, const Report& report, const Options& options,
                        const std::filesystem::path& csv, bool csvWritten,
                        std::chrono::steady_clock::time_point start) {
    const double periodMs =
        recorder.cards() > 0 ? std::chrono::duration<double, std::milli>(recorder.blankPeriod(0)).count() : 0.0;
    fmt::print("\nframe timing: {}{}\n", csv.string(), csvWritten ? "" : " could not be written");
    if (csvWritten)
        writePlot(report, options, csv, periodMs);
    else
        fmt::print("frame timing picture not written: it is drawn from the file above\n");
    if (options.trace) writeTraceFile(recorder, csv.parent_path() / "trace.json", start);
}

}  // namespace sandbox
