#pragma once
// A cluster of playout nodes in one process: each node has a link manager, the
// cluster routes requests by IP (to the master, or to named targets) and announces
// role and membership changes through the link managers' signals.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "qorvahost/ilinkmgr.h"
#include "qorvasim/calllog.h"

namespace qorva::sim {

using tarsel::link::LinkRequest;
using tarsel::link::ServerNodeInfo;

class SimCluster;

class SimLinkMgr : public tarsel::link::ILinkMgr {
public:
    using Handler = std::function<void(std::string args, std::string senderIp)>;

    SimLinkMgr(SimCluster& cluster, std::string ip);

    std::vector<ServerNodeInfo> getClusterNodes() override;
    ServerNodeInfo getLocalNodeInfo() override;
    void registerMethod(const std::string& method, const Handler& handler) override;
    void unregisterMethod(const std::string& method) override;
    void sendRequest(const LinkRequest& request) override;
    void setBackupMethods(const std::vector<std::string>& methods) override;
    std::vector<std::string> getBackupIps(const std::string& localIp) override;

    // Calls the handler registered for the method, as the link manager's dispatcher
    // does; a handler that throws has its request dropped and recorded as rejected.
    void deliver(const std::string& method, const std::string& args, const std::string& senderIp);

    const std::string& ip() const { return _ip; }
    size_t methodCount() const;
    std::vector<std::string> backupMethods() const;
    std::vector<LinkRequest> sentRequests() const;
    CallLog& calls() { return _calls; }

private:
    SimCluster& _cluster;
    const std::string _ip;
    mutable std::mutex _mutex;
    std::map<std::string, Handler> _methods;
    std::vector<std::string> _backupMethods;
    std::vector<LinkRequest> _sent;
    CallLog _calls;
};

class SimCluster {
public:
    SimLinkMgr& addNode(const std::string& ip, const std::string& clusterIp = "239.0.0.1");
    SimLinkMgr& node(const std::string& ip);

    // Gives a node a new role and reports it to that node (status, then local type).
    void setRole(const std::string& ip, int type);
    // Gives every node whose role differs the role the cluster rule assigns (nodes
    // ranked in the order they were added), each reported as by setRole. With the
    // link manager's duties (the default) a master that loses the role passes through
    // master backup, and when the master changes every other node with a role
    // announces it again, so that the new master gets every port at once.
    void applyRoleRule();
    void setDuties(bool on);
    // Marks a node present (all three flags) or gone, without announcing it.
    void setPresent(const std::string& ip, bool present);
    void setFlags(const std::string& ip, bool statusA, bool statusB, bool statusC);
    // Announces the node list to every node.
    void announceNodes();
    // Tells the master that a backup joined.
    void announceBackup(const std::string& backupIp);

    std::vector<ServerNodeInfo> nodes() const;
    ServerNodeInfo info(const std::string& ip) const;
    std::vector<std::string> backupsOf(const std::string& ip) const;
    void route(const std::string& senderIp, const LinkRequest& request);

private:
    std::string masterIp() const;
    void passThroughBackup(const std::string& ip);
    void announceRolesTo(const std::string& master);

    mutable std::mutex _mutex;
    bool _duties = true;
    std::vector<std::string> _order;
    std::map<std::string, ServerNodeInfo> _infos;
    std::map<std::string, std::unique_ptr<SimLinkMgr>> _links;
};

}  // namespace qorva::sim
