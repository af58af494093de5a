#pragma once
// frame-timing.png, drawn by gnuplot with scripts/frame-timing.gp from frame-timing.csv.
#include <filesystem>
#include <string>
#include <vector>

namespace sandbox {

struct TimingPlot {
    std::filesystem::path csv;
    std::filesystem::path png;
    std::string heading;
    std::vector<std::string> cardTitles;  // in card order: the rows of "#0", "#1", ...
    double blankPeriodMs = 0.0;
    double seconds = 0.0;  // the run's length: the time axis
};

// Runs gnuplot with the script found beside `program` or in the source tree; false
// (and `error` says why) when there is no script, no gnuplot or it fails.
bool drawTimingPlot(const TimingPlot& plot, const std::filesystem::path& program, std::string& error);

}  // namespace sandbox
