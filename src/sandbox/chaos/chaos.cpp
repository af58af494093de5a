#include "chaos.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "chaosreport.h"
#include "convergence.h"
#include "launcher.h"
#include "qorvasim/linkfaults.h"
#include "qorvasim/zmqlinkmgr.h"
#include "timeline.h"

namespace sandbox {

namespace {

using namespace std::chrono_literals;

// The check holds this long before it counts: longer than the library's 1000 ms
// restore timer, so that a restore pending when the check first holds is seen.
constexpr int64_t kStableMs = 1200;
constexpr int64_t kFormDeadlineMs = 20000;
const std::vector<std::string> kTimelineMarks = {
    "gone ", "joined ", "role ", "own stall", "demoted", "announced again", "request 40reportPort", "Target"};

struct Action {
    int64_t atMs = 0;
    std::function<void()> run;
};

std::vector<std::string> nodeArguments(const ChaosOptions& o, int port) {
    std::vector<std::string> arguments = {
        "--cluster",       std::to_string(o.nodes), "--cluster-port", std::to_string(port), "--out",
        o.outDir.string(), "--log-level",           o.logLevel,       "--accept-faults"};
    if (!o.duties) arguments.push_back("--no-duties");
    return arguments;
}

class ChaosRun {
public:
    explicit ChaosRun(const ChaosOptions& options)
        : _options(options),
          _port(freePort(nodeIp(0))),
          _random(options.seed),
          _nodes(options.executable, nodeArguments(options, _port), options.nodes) {}

    ChaosResult run() {
        fmt::print(
            "Chaos over {} node processes (127.0.0.2-{}), seed {}, link manager duties {}; a schedule "
            "converges within {} ms of its last fault's end and holds for {} ms.\n",
            _options.nodes, _options.nodes + 1, _options.seed, _options.duties ? "on" : "off", kConvergenceBoundMs,
            kStableMs);
        form();
        const size_t total = _options.fixed.empty() ? static_cast<size_t>(_options.schedules) : _options.fixed.size();
        for (size_t i = 0; i < total; ++i) {
            const auto schedule = _options.fixed.empty() ? randomSchedule(_random, _options.nodes) : _options.fixed[i];
            _result.schedules.push_back(runSchedule(static_cast<int>(i) + 1, schedule));
            if (!_result.schedules.back().converged) reform();
        }
        _result.allEndedCleanly = endNodes();
        printChaosTable(_result, _options);
        return _result;
    }

private:
    std::string ip(int index) const { return nodeIp(index); }
    bool up(int index) const { return _nodes.node(index).running && !_nodes.node(index).paused; }
    // A node that ended unasked says how: the exit code or the signal.
    std::string howEnded(int index) const {
        const NodeProcess& node = _nodes.node(index);
        if (node.running) return {};
        return node.endSignal ? fmt::format(" (ended by signal {})", node.endSignal)
                              : fmt::format(" (ended with exit code {})", node.exitCode);
    }
    uint64_t missed(int index) const { return _nodes.node(index).last.missedBlanks; }
    std::string master() const {
        for (int i = 0; i < _options.nodes; ++i)
            if (up(i) && _nodes.node(i).last.role == 0) return ip(i);
        return {};
    }
    void note(int index, const std::string& what) { _notes.push_back({steadyNowMs(), ip(index), what}); }

    void form() {
        for (int i = 0; i < _options.nodes; ++i) _nodes.start(i, ip(i));  // the first is in the cluster longest
        if (awaitConvergence(steadyNowMs(), steadyNowMs() + kFormDeadlineMs) < 0) {
            printLinkTables(_nodes, "when the cluster did not form");
            throw std::runtime_error("the cluster did not form");
        }
    }

    void reform() {
        _nodes.terminateAll(std::chrono::milliseconds(3000));
        fmt::print("  the cluster starts afresh\n");
        form();
    }

    void waitFor(int64_t ms) {
        if (ms > 0) _nodes.waitUntil([] { return false; }, std::chrono::milliseconds(ms));
    }

    std::optional<std::string> currentFault(int64_t fromMs) const {
        std::vector<PresentNode> present;
        for (int i = 0; i < _options.nodes; ++i) {
            if (!up(i)) return fmt::format("{} is not up{}", ip(i), howEnded(i));
            if (_nodes.node(i).last.atMs < fromMs) return fmt::format("no report from {} yet", ip(i));
            present.push_back({ip(i), _nodes.node(i).netPort, &_nodes.node(i).last});
        }
        return convergenceFault(present);
    }

    // When the check began to hold for good (held kStableMs), or -1 by the deadline.
    int64_t awaitConvergence(int64_t fromMs, int64_t deadlineMs) {
        int64_t since = -1;
        const bool held = _nodes.waitUntil(
            [&] {
                const auto fault = currentFault(fromMs);
                _lastFault = fault.value_or("");
                if (fault) since = -1;
                if (!fault && since < 0) since = steadyNowMs();
                return since >= 0 && steadyNowMs() - since >= kStableMs;
            },
            std::chrono::milliseconds(std::max<int64_t>(deadlineMs - steadyNowMs(), 1)));
        return held ? since : -1;
    }

    int resolve(FaultTarget target) {
        std::vector<int> candidates, fitting;
        for (int i = 0; i < _options.nodes; ++i)
            if (up(i)) candidates.push_back(i);
        if (candidates.empty()) return -1;
        for (const int i : candidates) {
            const int role = _nodes.node(i).last.role;
            if ((target == FaultTarget::Master && role == 0) || (target == FaultTarget::Backup && role == 2) ||
                (target == FaultTarget::Slave && (role == 1 || role == 3)))
                fitting.push_back(i);
        }
        const auto& pool = fitting.empty() ? candidates : fitting;
        return pool[std::uniform_int_distribution<size_t>(0, pool.size() - 1)(_random)];
    }

    void sendFault(int index, qorva::sim::LinkFault fault) {
        if (up(index)) qorva::sim::sendRawFrames(ip(index), _port, qorva::sim::faultMessage(fault));
    }

    void partition(int target, const Fault& fault, int64_t untilMs) {
        std::vector<int> others;
        for (int i = 0; i < _options.nodes; ++i)
            if (i != target) others.push_back(i);
        std::shuffle(others.begin(), others.end(), _random);
        std::vector<std::string> side = {ip(target)}, rest;
        for (size_t k = 0; k < others.size(); ++k)
            (static_cast<int>(k) + 1 < fault.sideSize ? side : rest).push_back(ip(others[k]));
        for (int i = 0; i < _options.nodes; ++i) {
            const bool onSide = std::find(side.begin(), side.end(), ip(i)) != side.end();
            sendFault(i, {.untilMs = untilMs, .blocked = onSide ? rest : side});
        }
        note(target, fmt::format("partition [{}] | [{}] until +{} ms", fmt::join(side, " "), fmt::join(rest, " "),
                                 fault.durationMs));
    }

    void inject(const Fault& fault, std::vector<Action>& actions, std::set<int>& hit) {
        const int target = resolve(fault.target);
        if (target < 0) return;
        const int64_t endMs = steadyNowMs() + fault.durationMs;
        switch (fault.kind) {
            case FaultKind::Kill:
                _nodes.kill(target);
                hit.insert(target);
                note(target, "SIGKILL");
                actions.push_back({endMs, [this, target] {
                                       _nodes.start(target, ip(target));
                                       note(target, "started again");
                                   }});
                return;
            case FaultKind::Stall:
                _nodes.pause(target);
                hit.insert(target);
                note(target, "SIGSTOP");
                actions.push_back({endMs, [this, target] {
                                       _nodes.resume(target);
                                       note(target, "SIGCONT");
                                   }});
                return;
            case FaultKind::Partition:
                partition(target, fault, endMs);
                break;
            case FaultKind::Lossy:
                for (int i = 0; i < _options.nodes; ++i)
                    sendFault(i, {.untilMs = endMs, .loss = fault.loss, .maxDelayMs = fault.maxDelayMs});
                note(target, describe(fault));
                break;
        }
        actions.push_back({endMs, [] {}});
    }

    ScheduleOutcome runSchedule(int number, const Schedule& schedule) {
        ScheduleOutcome outcome{.faults = describe(schedule), .masterBefore = master()};
        const int64_t startMs = steadyNowMs();
        std::vector<uint64_t> missedAtStart;
        for (int i = 0; i < _options.nodes; ++i) missedAtStart.push_back(missed(i));
        std::set<int> hit;
        std::vector<Action> actions;
        for (const auto& fault : schedule.faults)
            actions.push_back({startMs + fault.startMs, [&, fault] { inject(fault, actions, hit); }});
        while (!actions.empty()) {
            const auto next = std::min_element(actions.begin(), actions.end(),
                                               [](const auto& a, const auto& b) { return a.atMs < b.atMs; });
            const Action action = *next;
            actions.erase(next);
            waitFor(action.atMs - steadyNowMs());
            action.run();
        }
        const int64_t endMs = steadyNowMs();
        outcome.faultWindowMs = endMs - startMs;
        std::vector<int> survivors;
        for (int i = 0; i < _options.nodes; ++i)
            if (!hit.count(i)) survivors.push_back(i);
        outcome.survivors = static_cast<int>(survivors.size());
        for (const int i : survivors) outcome.missedInFault += missed(i) - missedAtStart[static_cast<size_t>(i)];
        const int64_t convergedAt = awaitConvergence(endMs, endMs + kConvergenceBoundMs + kStableMs);
        outcome.converged = convergedAt >= 0 && convergedAt - endMs <= kConvergenceBoundMs;
        outcome.convergeMs = convergedAt >= 0 ? convergedAt - endMs : -1;
        outcome.masterAfter = master();
        if (outcome.converged && _options.measureCalm)
            outcome.missedInCalm = calmMissed(survivors, outcome.faultWindowMs);
        printScheduleLine(number, outcome);
        if (!outcome.converged) explainFailure(startMs, endMs);
        return outcome;
    }

    uint64_t calmMissed(const std::vector<int>& survivors, int64_t lengthMs) {
        std::vector<uint64_t> before;
        for (const int i : survivors) before.push_back(missed(i));
        waitFor(lengthMs);
        uint64_t total = 0;
        for (size_t k = 0; k < survivors.size(); ++k) total += missed(survivors[k]) - before[k];
        return total;
    }

    void explainFailure(int64_t startMs, int64_t endMs) {
        fmt::print("    not converged {} ms after the faults ended: {}\n", kConvergenceBoundMs, _lastFault);
        Timeline timeline(startMs);
        for (const auto& entry : _notes)
            if (entry.ms >= startMs) timeline.add(entry.ms, entry.node, entry.what);
        timeline.add(endMs, "launcher", "faults over");
        timeline.addEvents(_nodes, kTimelineMarks);
        timeline.print("    Timeline from the first fault (ms):");
        printLinkTables(_nodes, "at the deadline");
    }

    bool endNodes() { return _nodes.endAll(std::chrono::milliseconds(5000)); }

    const ChaosOptions _options;
    const int _port;
    std::mt19937_64 _random;
    NodeProcesses _nodes;
    ChaosResult _result;
    std::vector<TimelineEntry> _notes;  // the launcher's own steps, ms on the steady clock
    std::string _lastFault;
};

}  // namespace

ChaosResult runChaos(const ChaosOptions& options) { return ChaosRun(options).run(); }

int runChaosCommand(const Options& options, const std::filesystem::path& outDir) {
    installInterruptHandler();
    const auto result = runChaos({.executable = std::filesystem::read_symlink("/proc/self/exe").string(),
                                  .nodes = options.clusterNodes,
                                  .schedules = options.chaos,
                                  .seed = options.seed,
                                  .duties = !options.noDuties,
                                  .outDir = outDir,
                                  .logLevel = std::string(spdlog::level::to_string_view(options.logLevel).data())});
    const bool allConverged = std::all_of(result.schedules.begin(), result.schedules.end(),
                                          [](const auto& schedule) { return schedule.converged; });
    return allConverged && result.allEndedCleanly ? 0 : 1;
}

}  // namespace sandbox
