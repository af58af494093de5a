#include "timingplot.h"

#include <cstdlib>

#include <fmt/format.h>

namespace sandbox {

namespace {

constexpr const char* kScript = "frame-timing.gp";

// Linux names the running executable in /proc; elsewhere the command line has to do.
std::filesystem::path programFolder(const std::filesystem::path& program) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::absolute(program, error).parent_path() : self.parent_path();
}

std::filesystem::path findScript(const std::filesystem::path& program) {
    std::error_code ignored;
    const auto beside = programFolder(program) / kScript;
    if (std::filesystem::exists(beside, ignored)) return beside;
    const auto inSources = std::filesystem::path(QRC_SANDBOX_SCRIPTS_DIR) / kScript;
    if (std::filesystem::exists(inSources, ignored)) return inSources;
    return {};
}

// A text for a single-quoted gnuplot string inside a double-quoted shell word.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        if (c != '\'' && c != '"' && c != '\\' && c != '$' && c != '`') out += c;
    return out + "'";
}

}  // namespace

bool drawTimingPlot(const TimingPlot& plot, const std::filesystem::path& program, std::string& error) {
    const std::filesystem::path script = findScript(program);
    if (script.empty()) {
        error = fmt::format("{} found neither beside the program nor in the sources", kScript);
        return false;
    }
    std::string settings = fmt::format("csv={}; png={}; cards={}; seconds={:.3f}; period={:.4f}; heading={}",
                                       quoted(plot.csv.string()), quoted(plot.png.string()), plot.cardTitles.size(),
                                       plot.seconds, plot.blankPeriodMs, quoted(plot.heading));
    for (size_t i = 0; i < plot.cardTitles.size(); ++i)
        settings += fmt::format("; title{}={}", i, quoted(plot.cardTitles[i]));
    std::error_code ignored;
    std::filesystem::remove(plot.png, ignored);
    const std::string command = fmt::format("gnuplot -e \"{}\" \"{}\" 2>&1", settings, script.string());
    const int status = std::system(command.c_str());
    if (status != 0 || !std::filesystem::exists(plot.png, ignored)) {
        error = fmt::format("gnuplot failed (status {}): {}", status, command);
        return false;
    }
    return true;
}

}  // namespace sandbox
