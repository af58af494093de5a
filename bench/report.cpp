// The benchmark executable's entry: runs the benchmarks with the console reporter,
// collecting each repetition's time, then prints the table of ratios.
#include "report.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <mutex>
#include <string_view>
#include <vector>

#include <unistd.h>

#include <fmt/format.h>
#include <spdlog/sinks/null_sink.h>

#include "qorvahost/jtspdlog.h"

namespace qrc::bench {

namespace {

struct Comparison {
    std::string title;
    double goal;
};

struct Registry {
    std::mutex mutex;
    std::vector<Comparison> comparisons;
    std::vector<Row> rows;
    // Seconds per iteration of each repetition, by benchmark name.
    std::map<std::string, std::vector<double>> times;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

class Collector : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal: run-bench.sh keeps the console output in a file.
    Collector() : ConsoleReporter(isatty(STDERR_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        std::lock_guard lock(registry().mutex);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
            registry().times[run.run_name.function_name].push_back(run.real_accumulated_time /
                                                                   static_cast<double>(run.iterations));
        }
    }
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Repetition i of the library against repetition i of the baseline.
Row compared(const Comparison& c, const std::vector<double>& library, const std::vector<double>& baseline) {
    std::vector<double> ratios;
    for (size_t i = 0; i < std::min(library.size(), baseline.size()); ++i) ratios.push_back(library[i] / baseline[i]);
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    return Row{c.title,
               formatSeconds(median(library)),
               formatSeconds(median(baseline)),
               median(ratios),
               ratios.size() > 1 ? fmt::format("{:.2f}-{:.2f} ({})", *low, *high, ratios.size()) : "",
               c.goal};
}

void printRow(std::string_view measure, std::string_view library, std::string_view baseline, std::string_view ratio,
              std::string_view spread, std::string_view goal, std::string_view met) {
    fmt::print("| {:<44} | {:>10} | {:>18} | {:>6} | {:<20} | {:>6} | {:<4} |\n", measure, library, baseline, ratio,
               spread, goal, met);
}

void printTable() {
    std::vector<Row> table;
    for (const Comparison& c : registry().comparisons) {
        const auto& library = registry().times[c.title + "/library"];
        const auto& baseline = registry().times[c.title + "/baseline"];
        if (!library.empty() && !baseline.empty()) table.push_back(compared(c, library, baseline));
    }
    table.insert(table.end(), registry().rows.begin(), registry().rows.end());
    printRow("measure", "library", "baseline", "ratio", "spread (runs), note", "goal", "met");
    fmt::print("|{:-<46}|{:->12}|{:->20}|{:->8}|{:-<22}|{:->8}|{:-<6}|\n", "", "", "", "", "", "", "");
    for (const Row& r : table)
        printRow(r.title, r.library, r.baseline, fmt::format("{:.2f}", r.ratio), r.spread,
                 fmt::format("<={:g}", r.goal), r.ratio <= r.goal ? "yes" : "no");
}

// Log lines are still built at every site, as in a host; they only go nowhere.
void silenceLog() {
    JT::SpdlogApplication::instance().setLogger(
        std::make_shared<spdlog::logger>("bench", std::make_shared<spdlog::sinks::null_sink_mt>()));
}

}  // namespace

void compare(const std::string& title, double goal, Body library, Body baseline) {
    registry().comparisons.push_back({title, goal});
    benchmark::RegisterBenchmark((title + "/library").c_str(), std::move(library));
    benchmark::RegisterBenchmark((title + "/baseline").c_str(), std::move(baseline));
}

void addRow(Row row) {
    std::lock_guard lock(registry().mutex);
    registry().rows.push_back(std::move(row));
}

std::string formatSeconds(double seconds) {
    if (seconds < 1e-6) return fmt::format("{:.1f} ns", seconds * 1e9);
    if (seconds < 1e-3) return fmt::format("{:.2f} us", seconds * 1e6);
    return fmt::format("{:.1f} ms", seconds * 1e3);
}

}  // namespace qrc::bench

// The console output goes to stderr, the table to stdout.
int main(int argc, char** argv) {
    qrc::bench::silenceLog();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    qrc::bench::Collector collector;
    collector.SetOutputStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&collector);
    qrc::bench::printTable();
    benchmark::Shutdown();
    return 0;
}
