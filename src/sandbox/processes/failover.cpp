#include "failover.h"

#include <random>
#include <stdexcept>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "launcher.h"
#include "qorvahost/ilinkmgr.h"
#include "qorvasim/zmqlinkmgr.h"
#include "timeline.h"

namespace sandbox {

namespace {

using namespace std::chrono_literals;

constexpr auto kPhaseDeadline = 15s;
constexpr auto kSettle = 300ms;  // reports that show the state after a change
const std::string kReportPorts = "40reportPorts";

class FailoverRun {
public:
    explicit FailoverRun(const FailoverOptions& options)
        : _count(options.nodes),
          _port(freePort(nodeIp(0))),
          _nodes(options.executable,
                 {"--cluster", std::to_string(options.nodes), "--cluster-port", std::to_string(_port), "--out",
                  options.outDir.string(), "--log-level", options.logLevel},
                 options.nodes) {}

    FailoverResult run() {
        fmt::print("Cluster of {} node processes on 127.0.0.2-{}, link managers on port {}, heartbeat 100 ms.\n",
                   _count, _count + 1, _port);
        form();
        printTables("after the cluster formed");
        if (_result.formed) sendBadInput();
        if (_result.formed) failOver();
        printTables("after the failover");
        if (_result.failedOver) rejoin();
        printTables("after the rejoin");
        collectOutcomes();
        _result.allEndedCleanly = endNodes();
        printSummary();
        return _result;
    }

private:
    std::string ip(int index) const { return nodeIp(index); }
    const NodeReport& report(int index) const { return _nodes.node(index).last; }

    void form() {
        for (int i = 0; i < _count; ++i) _nodes.start(i, ip(i));  // in order: the first is in the cluster longest
        _result.formed = _nodes.waitUntil(
            [&] {
                for (int i = 0; i < _count; ++i)
                    if (!report(i).receivesFrom(ip(0))) return false;
                return report(0).role == 0;
            },
            kPhaseDeadline);
        if (!_result.formed) fmt::print("\nThe cluster did not form within {} s.\n", kPhaseDeadline.count());
    }

    // Garbage to every node, and a port table that does not decode to the backup.
    void sendBadInput() {
        std::mt19937 random(17);
        std::string noise(16, '\0');
        for (auto& c : noise) c = static_cast<char>(random());
        const std::vector<std::vector<std::string>> garbage = {
            {noise},
            {"rq", ip(0)},
            {"rq", ip(0), "40reportPort", std::string(100 * 1024, '7')},
            {"rq", ip(0), "99noSuchMethod", "1"}};
        for (int i = 0; i < _count; ++i)
            for (const auto& frames : garbage) qorva::sim::sendRawFrames(ip(i), _port, frames);
        qorva::sim::sendRawFrames(ip(1), _port, {"rq", ip(0), kReportPorts, "\x85\xa1x"});
        const size_t expected = garbage.size() * static_cast<size_t>(_count);
        _nodes.waitUntil([&] { return countBadInput() >= expected && tableRejected(); }, 5s);
        _result.badInputNoticed = static_cast<int>(countBadInput());
        _result.tableRejected = tableRejected();
        fmt::print("\nBad input sent to every node ({} messages noticed and ignored):\n", _result.badInputNoticed);
        for (const auto& event : _nodes.events())
            if (isBadInput(event) || event.text.find("rejected") != std::string::npos)
                fmt::print("  {:<10} {}\n", _nodes.node(event.node).ip, event.text);
    }
    static bool isBadInput(const NodeEvent& event) { return event.text.rfind("bad input ignored", 0) == 0; }
    size_t countBadInput() const {
        size_t count = 0;
        for (const auto& event : _nodes.events()) count += isBadInput(event) ? 1 : 0;
        return count;
    }
    bool tableRejected() const {
        for (const auto& event : _nodes.events())
            if (event.node == 1 && event.text.find("rejected: unpack failed: Args not match!") != std::string::npos)
                return true;
        return false;
    }

    // Every survivor receives the new master's beacons, and none from the dead one.
    bool survivorsFollow(const std::string& master, int64_t sinceMs) const {
        for (int i = 1; i < _count; ++i) {
            const auto* from = report(i).beaconsFrom(master);
            if (!report(i).receivesFrom(master) || from->sinceMs < sinceMs || report(i).receivesFrom(ip(0)))
                return false;
        }
        return true;
    }

    void failOver() {
        const int64_t killMs = _nodes.kill(0);
        fmt::print("\nSIGKILL to the master {}.\n", ip(0));
        _result.failedOver = _nodes.waitUntil([&] { return survivorsFollow(ip(1), killMs); }, kPhaseDeadline);
        Timeline timeline(killMs);
        timeline.addEvents(_nodes, {"gone ", "role ", "request 40reportPort ", "linkTarget", "masterBackup added"});
        std::vector<int> survivors;
        for (int i = 1; i < _count; ++i) survivors.push_back(i);
        _result.failoverMs = _result.failedOver ? timeline.addFirstBeacons(_nodes, survivors, ip(1)) : -1;
        _result.detectionMs = timeline.first("gone " + ip(0));
        _result.promotedMs = timeline.first(fmt::format("role {} 2->0", ip(1)), ip(1));
        _result.restoreMs = timeline.first("backupRestorePorts local", ip(1));
        timeline.print(fmt::format("Timeline from the kill of {} (ms):", ip(0)));
        settle();
    }

    // The newest node: a slave, or the backup when it is one of two.
    int rejoinedRole() const {
        return _count == 2 ? tarsel::link::ServerType_MasterBackup : tarsel::link::ServerType_Slave;
    }

    void rejoin() {
        const int64_t restartMs = steadyNowMs();
        fmt::print("\n{} starts again.\n", ip(0));
        _nodes.start(0, ip(0));
        _result.rejoinReadyMs = _nodes.node(0).readyMs - restartMs;
        _result.rejoined = _nodes.waitUntil(
            [&] { return report(0).role == rejoinedRole() && report(0).receivesFrom(ip(1)); }, kPhaseDeadline);
        Timeline timeline(restartMs);
        timeline.add(_nodes.node(0).readyMs, ip(0), "process up, listening for 500 ms before taking a role");
        timeline.addEvents(_nodes, {"joined ", "role ", "request 40reportPort ", "linkTarget", "masterBackup added"});
        _result.rejoinMs = _result.rejoined ? timeline.addFirstBeacons(_nodes, {0}, ip(1)) : -1;
        timeline.print(fmt::format("Timeline from the restart of {} (ms):", ip(0)));
        settle();
    }

    // Lets every node report once more after the last change settled.
    void settle() {
        const int64_t from = steadyNowMs() + kSettle.count();
        _nodes.waitUntil(
            [&] {
                for (int i = 0; i < _count; ++i)
                    if (_nodes.node(i).running && report(i).atMs < from) return false;
                return true;
            },
            kSettle * 4);
    }

    void printTables(const std::string& when) const { printLinkTables(_nodes, when); }

    void collectOutcomes() {
        for (int i = 0; i < _count; ++i) {
            NodeOutcome outcome{
                .ip = ip(i), .role = report(i).role, .netPort = _nodes.node(i).netPort, .links = report(i).links};
            for (const auto& from : report(i).beacons)
                if (report(i).receivesFrom(from.ip)) outcome.receivingFrom.push_back(from.ip);
            _result.final.push_back(outcome);
        }
    }

    bool endNodes() {
        const bool clean = _nodes.endAll(5s);
        for (int i = 0; i < _count; ++i) _result.final[static_cast<size_t>(i)].exitCode = _nodes.node(i).exitCode;
        return clean;
    }

    void printSummary() const {
        const auto ms = [](int64_t value) {
            return value < 0 ? std::string("not reached") : fmt::format("{} ms", value);
        };
        fmt::print("\nSummary\n");
        fmt::print("  failover (kill -> beacons from the new master at every survivor): {}\n", ms(_result.failoverMs));
        fmt::print("    silence detected {}, backup promoted {}, restore timer fired {}\n", ms(_result.detectionMs),
                   ms(_result.promotedMs), ms(_result.restoreMs));
        fmt::print("  rejoin (restart -> beacons from the master at the restarted node): {}\n", ms(_result.rejoinMs));
        fmt::print("    process up {}\n", ms(_result.rejoinReadyMs));
        fmt::print("  nodes ended on SIGTERM with exit code 0: {}\n", _result.allEndedCleanly ? "all" : "not all");
    }

    const int _count;
    const int _port;
    NodeProcesses _nodes;
    FailoverResult _result;
};

}  // namespace

FailoverResult runFailover(const FailoverOptions& options) { return FailoverRun(options).run(); }

int runProcessCluster(const Options& options, const std::filesystem::path& outDir) {
    installInterruptHandler();
    const auto result = runFailover({.executable = std::filesystem::read_symlink("/proc/self/exe").string(),
                                     .nodes = options.clusterNodes,
                                     .outDir = outDir,
                                     .logLevel = std::string(spdlog::level::to_string_view(options.logLevel).data())});
    return result.formed && result.failedOver && result.rejoined && result.allEndedCleanly ? 0 : 1;
}

}  // namespace sandbox
