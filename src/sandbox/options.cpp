#include "options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include <CLI/CLI.hpp>

namespace sandbox {

namespace {

constexpr int kMaxCards = 8;
constexpr int kMaxPlayers = 6;
constexpr int kMaxClusterNodes = 16;

// A finite number within [min, max]: CLI::Range alone lets "nan" through, since
// every comparison with it is false.
CLI::Validator finiteRange(double min, double max) {
    CLI::Range range(min, max);
    return CLI::Validator(
        [range](std::string& text) mutable {
            double value = 0.0;
            if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value))
                return "Value " + text + " is not a number";
            return range(text);
        },
        range.get_description());
}

const std::vector<std::string> kLogLevels = {"trace", "debug", "info", "warn", "err", "critical", "off"};

}  // namespace

std::optional<int> parseOptions(int argc, char** argv, Options& o) {
    CLI::App app{
        "Runs the render control library on a simulated playout host: display cards with synthetic players, "
        "input sources and an editing script, or with --cluster the cluster link over in-process nodes. Prints a "
        "status line per second and a summary, and writes the library's log, a PNG contact sheet of the tapped "
        "frames and the frame timing each card's passes had on the host's clock (frame-timing.csv and "
        "frame-timing.png) to the output folder."};
    app.get_formatter()->column_width(24);
    auto* seconds =
        app.add_option("--seconds", o.seconds,
                       "How long the cards run; over 300 s the per-second line gives way to the report lines")
            ->check(finiteRange(0.1, 3600.0))
            ->capture_default_str();
    auto* cards =
        app.add_option("--cards", o.cards,
                       "Display cards, in turn an NVIDIA card driven by the frame sync library, an NVIDIA T400 and "
                       "another card (each with a render thread of its own)")
            ->check(CLI::Range(1, kMaxCards))
            ->capture_default_str();
    auto* players = app.add_option("--players", o.players, "Players per card, each on a layer of its own")
                        ->check(CLI::Range(1, kMaxPlayers))
                        ->capture_default_str();
    app.add_option("--out", o.out, "Folder for the log and the contact sheet (created if missing)")
        ->capture_default_str();
    auto* reportEvery =
        app.add_option("--report-every", o.reportEvery,
                       "Seconds between report lines (resident memory, threads, per card pass duration p50/p99/max "
                       "and missed blanks); 60 by default for runs over 5 minutes, none for shorter ones")
            ->check(CLI::Range(1, 3600));
    auto* trace = app.add_flag("--trace", o.trace,
                               "Write trace.json (Chrome trace events of the host calls of every pass) to the output "
                               "folder");
    auto* cluster =
        app.add_option(
               "--cluster", o.clusterNodes,
               "Runs the cluster link scenario with N nodes instead of the cards: ports reported, the table sent "
               "to the backup, a master failure and the restore")
            ->check(CLI::Range(2, kMaxClusterNodes))
            ->excludes(seconds, cards, players, reportEvery, trace);
    app.add_flag("--processes", o.processes,
                 "With --cluster: N node processes over ZeroMQ on 127.0.0.2 and up; the master is killed, the "
                 "backup takes over, the killed node rejoins; prints the timeline and the failover and rejoin times")
        ->needs(cluster);
    auto* chaos =
        app.add_option("--chaos", o.chaos,
                       "With --cluster 3..6 --processes: N random fault schedules (kills, stalls, partitions, "
                       "lossy links, a second fault inside the restore window), each checked for convergence on "
                       "the wire; prints a line per schedule and a table")
            ->needs(cluster)
            ->check(CLI::Range(1, 10000));
    app.add_option("--seed", o.seed, "Seed of the --chaos schedules")->needs(chaos)->capture_default_str();
    app.add_flag("--no-duties", o.noDuties,
                 "With --chaos: link managers without their duties toward the cluster link (see README)");
    // The node mode, started by --processes.
    app.add_flag("--accept-faults", o.acceptFaults)->group("");
    app.add_option("--node", o.nodeIndex)->group("")->needs(cluster)->check(CLI::Range(0, kMaxClusterNodes - 1));
    app.add_option("--cluster-port", o.clusterPort)->group("")->check(CLI::Range(1, 65535));
    app.callback([&] {
        if (o.reportEvery > o.seconds) throw CLI::ValidationError("--report-every", "longer than --seconds");
        if (o.chaos > 0 && (!o.processes || o.clusterNodes < 3 || o.clusterNodes > 6))
            throw CLI::ValidationError("--chaos", "needs --cluster 3..6 --processes");
#ifndef QRC_SANDBOX_TRACE
        if (o.trace) throw CLI::ValidationError("--trace", "this build has no JSON library to write it with");
#endif
    });
    std::string logLevel = "info";
    app.add_option("--log-level", logLevel, "Lowest level of the library's log lines that are written")
        ->check(CLI::IsMember(kLogLevels, CLI::ignore_case))
        ->capture_default_str();
    app.add_flag("--log-stderr", o.logStderr, "Log to standard error instead of the log file");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    std::transform(logLevel.begin(), logLevel.end(), logLevel.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    o.logLevel = spdlog::level::from_str(logLevel);
    o.program = argc > 0 ? argv[0] : "";
    if (o.reportEvery == 0 && o.seconds > kLongRunSeconds) o.reportEvery = kLongRunReportSeconds;
    return std::nullopt;
}

}  // namespace sandbox
