#include "qorvasim/cluster.h"
#include "qorvasim/pausepoints.h"

#include "qorvasim/clusterrules.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

namespace qorva::sim {

SimLinkMgr::SimLinkMgr(SimCluster& cluster, std::string ip) : _cluster(cluster), _ip(std::move(ip)) {}

std::vector<ServerNodeInfo> SimLinkMgr::getClusterNodes() {
    pausePoint("getClusterNodes", _ip);
    return _cluster.nodes();
}

ServerNodeInfo SimLinkMgr::getLocalNodeInfo() {
    pausePoint("getLocalNodeInfo", _ip);
    return _cluster.info(_ip);
}

void SimLinkMgr::registerMethod(const std::string& method, const Handler& handler) {
    pausePoint("registerMethod");
    {
        std::lock_guard lock(_mutex);
        _methods[method] = handler;
    }
    _calls.record(fmt::format("registerMethod({})", method));
}

void SimLinkMgr::unregisterMethod(const std::string& method) {
    pausePoint("unregisterMethod");
    {
        std::lock_guard lock(_mutex);
        _methods.erase(method);
    }
    _calls.record(fmt::format("unregisterMethod({})", method));
}

void SimLinkMgr::sendRequest(const LinkRequest& request) {
    pausePoint("sendRequest", _ip);
    {
        std::lock_guard lock(_mutex);
        _sent.push_back(request);
    }
    _calls.record(
        fmt::format("sendRequest({},{},[{}])", request.method, request.toMaster, fmt::join(request.targets, ",")));
    _cluster.route(_ip, request);
}

void SimLinkMgr::setBackupMethods(const std::vector<std::string>& methods) {
    std::lock_guard lock(_mutex);
    _backupMethods = methods;
}

std::vector<std::string> SimLinkMgr::getBackupIps(const std::string& localIp) { return _cluster.backupsOf(localIp); }

void SimLinkMgr::deliver(const std::string& method, const std::string& args, const std::string& senderIp) {
    Handler handler;
    {
        std::lock_guard lock(_mutex);
        const auto it = _methods.find(method);
        if (it == _methods.end()) return;
        handler = it->second;
    }
    try {
        handler(args, senderIp);
    } catch (const std::exception& e) {
        _calls.record(fmt::format("rejected({},{})", method, e.what()));
    }
}

size_t SimLinkMgr::methodCount() const {
    std::lock_guard lock(_mutex);
    return _methods.size();
}

std::vector<std::string> SimLinkMgr::backupMethods() const {
    std::lock_guard lock(_mutex);
    return _backupMethods;
}

std::vector<LinkRequest> SimLinkMgr::sentRequests() const {
    std::lock_guard lock(_mutex);
    return _sent;
}

SimLinkMgr& SimCluster::addNode(const std::string& ip, const std::string& clusterIp) {
    std::lock_guard lock(_mutex);
    ServerNodeInfo info;
    info.ip = ip;
    info.clusterIp = clusterIp;
    info.statusA = info.statusB = info.statusC = 1;
    _infos[ip] = info;
    _order.push_back(ip);
    auto& link = _links[ip];
    link = std::make_unique<SimLinkMgr>(*this, ip);
    return *link;
}

SimLinkMgr& SimCluster::node(const std::string& ip) {
    std::lock_guard lock(_mutex);
    return *_links.at(ip);
}

void SimCluster::setRole(const std::string& ip, int type) {
    ServerNodeInfo info;
    {
        std::lock_guard lock(_mutex);
        auto& stored = _infos.at(ip);
        stored.lastType = stored.type;
        stored.type = static_cast<uint8_t>(type);
        info = stored;
    }
    SimLinkMgr& link = node(ip);
    link.sigLinkedStatusChanged(info);
    link.sigLocalTypeChanged(static_cast<tarsel::link::ServerType>(type));
}

void SimCluster::applyRoleRule() {
    std::vector<std::string> order;
    std::vector<Member> members;
    bool duties = false;
    {
        std::lock_guard lock(_mutex);
        order = _order;
        duties = _duties;
        for (const auto& ip : _order) members.push_back({isPresent(_infos.at(ip)), 0});
    }
    const std::string oldMaster = masterIp();
    const auto roles = assignRoles(members);
    for (size_t i = 0; i < order.size(); ++i) {
        const int type = info(order[i]).type;
        if (type == roles[i]) continue;
        if (duties && type == tarsel::link::ServerType_Master && roles[i] != tarsel::link::ServerType_MasterBackup)
            passThroughBackup(order[i]);
        setRole(order[i], roles[i]);
    }
    const std::string newMaster = masterIp();
    if (duties && !oldMaster.empty() && !newMaster.empty() && newMaster != oldMaster) announceRolesTo(newMaster);
}

void SimCluster::setDuties(bool on) {
    std::lock_guard lock(_mutex);
    _duties = on;
}

std::string SimCluster::masterIp() const {
    std::lock_guard lock(_mutex);
    for (const auto& [ip, info] : _infos)
        if (info.type == tarsel::link::ServerType_Master) return ip;
    return {};
}

// The status report of a master's step to master backup, which dislinks its targets.
void SimCluster::passThroughBackup(const std::string& ip) {
    ServerNodeInfo info;
    {
        std::lock_guard lock(_mutex);
        auto& stored = _infos.at(ip);
        stored.lastType = stored.type;
        stored.type = tarsel::link::ServerType_MasterBackup;
        info = stored;
    }
    node(ip).sigLinkedStatusChanged(info);
}

void SimCluster::announceRolesTo(const std::string& master) {
    for (const auto& info : nodes()) {
        if (reportsToMaster(info.type) && isPresent(info) && info.ip != master)
            node(info.ip).sigLocalTypeChanged(static_cast<tarsel::link::ServerType>(info.type));
    }
}

void SimCluster::setPresent(const std::string& ip, bool present) { setFlags(ip, present, present, present); }

void SimCluster::setFlags(const std::string& ip, bool statusA, bool statusB, bool statusC) {
    std::lock_guard lock(_mutex);
    auto& info = _infos.at(ip);
    info.statusA = statusA ? 1 : 0;
    info.statusB = statusB ? 1 : 0;
    info.statusC = statusC ? 1 : 0;
}

void SimCluster::announceNodes() {
    const auto list = nodes();
    std::vector<SimLinkMgr*> links;
    {
        std::lock_guard lock(_mutex);
        for (const auto& ip : _order) links.push_back(_links.at(ip).get());
    }
    for (auto* link : links) link->sigClusterNodeChanged(list);
}

void SimCluster::announceBackup(const std::string& backupIp) {
    for (const auto& info : nodes())
        if (info.type == tarsel::link::ServerType_Master) node(info.ip).sigMasterBackupAdded(backupIp);
}

std::vector<ServerNodeInfo> SimCluster::nodes() const {
    std::lock_guard lock(_mutex);
    std::vector<ServerNodeInfo> list;
    for (const auto& ip : _order) list.push_back(_infos.at(ip));
    return list;
}

ServerNodeInfo SimCluster::info(const std::string& ip) const {
    std::lock_guard lock(_mutex);
    return _infos.at(ip);
}

std::vector<std::string> SimCluster::backupsOf(const std::string& /*ip*/) const { return backupIps(nodes()); }

// Synchronous, like a link manager that delivers a request to its own node at once.
void SimCluster::route(const std::string& senderIp, const LinkRequest& request) {
    for (const auto& ip : requestRecipients(request, nodes(), senderIp)) {
        SimLinkMgr* link = nullptr;
        {
            std::lock_guard lock(_mutex);
            const auto it = _links.find(ip);
            if (it == _links.end() || !_infos.at(ip).statusA) continue;
            link = it->second.get();
        }
        link->deliver(request.method, request.args, senderIp);
    }
}

}  // namespace qorva::sim
