#include "cluster.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <msgpack.hpp>

#include "framesyncmodule.h"
#include "qorvarenderctrl/renderctrllink.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/cluster.h"
#include "qorvasim/dispatchmgr.h"
#include "qorvasim/framesynclinks.h"
#include "qorvasim/mediamgr.h"
#include "qorvasim/runtime.h"
#include "roles.h"

namespace sandbox {

namespace {

using namespace std::chrono_literals;
using tarsel::link::ServerType;

// The cluster's messages: a node's port to the master, the master's table to backups.
const std::string kReportPort = "40reportPort";
const std::string kReportPorts = "40reportPorts";
constexpr auto kRestoreDeadline = 5s;

// One playout node: a manager with its own frame sync object and a cluster link
// wired to the node's link manager, as a host wires them.
struct Node {
    Node(qorva::sim::SimCluster& cluster, qorva::sim::SimRuntime& runtime, std::string nodeIp)
        : ip(std::move(nodeIp)), linkMgr(cluster.addNode(ip)) {
        mgr->setMediaMgr(&mediaMgr);
        mgr->createFrameSync();
        link.setMediaMgr(&mediaMgr);
        link.setZQRuntime(&runtime);
        link.setRenderCtrl(mgr);
        link.setProgramDispatch(program);
        link.setLinkMgr(&linkMgr);
    }
    ~Node() { stop(); }
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // The node goes down: its link stops listening and its frame sync object ends.
    void stop() {
        if (stopped) return;
        stopped = true;
        link.unsetLinkMgr();
        mgr->release();
    }
    std::vector<std::string> linkedTargets() const { return qorva::sim::frameSyncLinkedTargets(mediaMgr.frameSync()); }
    // The requests this node sent with `method`.
    std::vector<tarsel::link::LinkRequest> sent(const std::string& method) const {
        std::vector<tarsel::link::LinkRequest> requests;
        for (auto& request : linkMgr.sentRequests())
            if (request.method == method) requests.push_back(request);
        return requests;
    }

    const std::string ip;
    qorva::sim::SimMediaMgr mediaMgr;
    std::shared_ptr<qorva::mediadispatch::RenderCtrlMgr> mgr = std::make_shared<qorva::mediadispatch::RenderCtrlMgr>();
    std::shared_ptr<qorva::sim::SimProgramDispatch> program = std::make_shared<qorva::sim::SimProgramDispatch>();
    qorva::mediadispatch::RenderCtrlLink link;
    qorva::sim::SimLinkMgr& linkMgr;
    bool stopped = false;
};

// The port table as the master packed it (a MessagePack map of IP to port).
std::map<std::string, int> decodePortTable(const std::string& args) {
    try {
        return msgpack::unpack(args.data(), args.size()).get().as<std::map<std::string, int>>();
    } catch (const std::exception&) {
        return {};
    }
}

class ClusterRun {
public:
    explicit ClusterRun(int nodes) {
        for (int i = 0; i < nodes; ++i) _nodes.push_back(std::make_unique<Node>(_cluster, _runtime, ipOf(i)));
    }

    void run() {
        const bool synced = std::all_of(_nodes.begin(), _nodes.end(),
                                        [](const auto& node) { return node->mediaMgr.frameSync() != nullptr; });
        if (synced)
            fmt::print(
                "Cluster of {} nodes in one process, each a manager with its own frame sync object and a cluster "
                "link.\n",
                _nodes.size());
        else
            fmt::print(
                "Cluster of {} nodes in one process, each a manager and a cluster link, but {}: the nodes have no "
                "frame sync object, so every port is 0 and no link is made.\n",
                _nodes.size(), frameSyncModuleMissing());
        assignRoles();
        printReportedPorts();
        printTableToBackup();
        printLinkTables("before the failure");
        failMaster();
        printLinkTables("after the restore");
        if (!synced)
            fmt::print("\nNo node had a frame sync object ({}): the ports above are 0 and the link tables empty.\n",
                       frameSyncModuleMissing());
    }

private:
    static std::string ipOf(int index) { return fmt::format("127.0.1.{}", index + 1); }
    Node& master() { return *_nodes[0]; }
    Node& backup() { return *_nodes[1]; }
    std::string role(const Node& node) const { return roleName(_cluster.info(node.ip).type); }

    // The host's rule: the first node is master, the second its backup, the others
    // slaves; each role is reported to its node as the link manager does.
    void assignRoles() {
        _cluster.applyRoleRule();
        fmt::print("\n{:<12} {:<14} {:>16}\n", "node", "role", "frame sync port");
        for (const auto& node : _nodes)
            fmt::print("{:<12} {:<14} {:>16}\n", node->ip, role(*node), node->mgr->getNetPort());
    }

    void printReportedPorts() {
        fmt::print("\nPorts reported to the master ({}):\n", kReportPort);
        for (const auto& node : _nodes)
            for (const auto& request : node->sent(kReportPort)) fmt::print("  {} -> {}\n", node->ip, request.args);
    }

    void printTableToBackup() {
        const auto tables = master().sent(kReportPorts);
        if (tables.empty()) {
            fmt::print("\nThe master sent no port table.\n");
            return;
        }
        const auto& last = tables.back();
        fmt::print("\nPort table sent to the backup ({}, {} sent, the last to {}):\n", kReportPorts, tables.size(),
                   fmt::join(last.targets, ", "));
        for (const auto& [ip, port] : decodePortTable(last.args)) fmt::print("  {:<12} {}\n", ip, port);
    }

    void printLinkTables(const std::string& when) {
        fmt::print("\nLink tables {} (what each node's frame sync object is linked to):\n", when);
        for (const auto& node : _nodes) {
            if (node->stopped) {
                fmt::print("  {:<12} {:<14} down\n", node->ip, "");
                continue;
            }
            const auto targets = node->linkedTargets();
            fmt::print("  {:<12} {:<14} {}\n", node->ip, role(*node),
                       targets.empty() ? std::string("-") : fmt::format("{}", fmt::join(targets, " ")));
        }
    }

    // The master goes down and leaves the cluster; by the rule the backup takes over
    // and the next node becomes backup. The new master dislinks its own port at once
    // and restores every link when its restore timer fires.
    void failMaster() {
        fmt::print("\nThe master {} fails; {} becomes master.\n", master().ip, backup().ip);
        master().stop();
        _cluster.setPresent(master().ip, false);
        const auto start = std::chrono::steady_clock::now();
        _cluster.applyRoleRule();
        _cluster.announceNodes();
        fmt::print("  right after taking over, {} is linked to {} targets\n", backup().ip,
                   backup().linkedTargets().size());
        // The restore ends by telling the media manager that the node is master.
        const bool restored = backup().mediaMgr.calls().waitForCount("notifyMasterRole", 1, kRestoreDeadline);
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        _runtime.settle();
        fmt::print("  {} {} ms after the takeover\n", restored ? "links restored" : "no restore within",
                   elapsed.count());
    }

    qorva::sim::SimCluster _cluster;
    qorva::sim::SimRuntime _runtime;            // before the nodes, whose restore timers it runs
    std::vector<std::unique_ptr<Node>> _nodes;  // last: they unwire first
};

}  // namespace

void runCluster(int nodes) { ClusterRun(nodes).run(); }

}  // namespace sandbox
