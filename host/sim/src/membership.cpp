#include "qorvasim/membership.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include <fmt/format.h>

#include "qorvasim/clusterrules.h"

namespace qorva::sim {

using tarsel::link::ServerNodeInfo;
using tarsel::link::ServerType;

namespace {

size_t indexOf(const std::vector<std::string>& ips, const std::string& ip) {
    const auto it = std::find(ips.begin(), ips.end(), ip);
    if (it == ips.end()) throw std::invalid_argument("the local IP is not among the cluster's");
    return static_cast<size_t>(it - ips.begin());
}

void setPresent(ServerNodeInfo& info, bool present) {
    const uint8_t flag = present ? 1 : 0;
    info.statusA = info.statusB = info.statusC = flag;
}

}  // namespace

Membership::Membership(const ZmqLinkConfig& config, Clock::time_point start)
    : _local(indexOf(config.ips, config.localIp)),
      _duties(config.duties),
      _silence(config.heartbeat * config.missedBeats),
      _listen(config.heartbeat * config.missedBeats),
      _listenEnd(start + _listen) {
    for (const auto& ip : config.ips) {
        Node node;
        node.info.ip = ip;
        node.info.clusterIp = config.clusterIp;
        _nodes.push_back(node);
    }
    _nodes[_local].joinedMs = config.joinedMs;
    _nodes[_local].heard = true;
}

void Membership::listenFrom(Clock::time_point start) {
    std::lock_guard lock(_mutex);
    _listenEnd = start + _listen;
}

bool Membership::heard(const std::string& ip, int64_t joinedMs, Clock::time_point now) {
    std::lock_guard lock(_mutex);
    for (size_t i = 0; i < _nodes.size(); ++i) {
        if (_nodes[i].info.ip != ip) continue;
        if (i == _local) return true;
        if (_nodes[i].heard && _nodes[i].joinedMs != joinedMs) _rankChanged = true;
        _nodes[i].heard = true;
        _nodes[i].joinedMs = joinedMs;
        _nodes[i].lastHeard = now;
        return true;
    }
    return false;
}

Membership::Review Membership::review(Clock::time_point now) {
    Review review;
    std::lock_guard lock(_mutex);
    bool changed = updatePresence(now, review);
    if (_listening && now >= _listenEnd) {
        _listening = false;
        setPresent(_nodes[_local].info, true);
        changed = true;
    }
    changed = std::exchange(_rankChanged, false) || changed;
    if (std::exchange(_left, false)) {
        review.localChanged = true;
    } else {
        if (!changed || _listening) return review;
        assign(review);
    }
    review.nodesChanged = true;
    review.nodes = nodesLocked();
    review.local = _nodes[_local].info;
    return review;
}

void Membership::rejoinAfterStall(Clock::time_point now, int64_t joinedMs) {
    std::lock_guard lock(_mutex);
    for (auto& node : _nodes)
        if (node.heard) node.lastHeard = now;
    Node& local = _nodes[_local];
    local.joinedMs = joinedMs;
    local.info.lastType = local.info.type;
    local.info.type = tarsel::link::ServerType_Null;
    setPresent(local.info, false);
    _listening = true;
    _listenEnd = now + _listen;
    _left = true;
}

int64_t Membership::localJoinedMs() const {
    std::lock_guard lock(_mutex);
    return _nodes[_local].joinedMs;
}

std::string Membership::master() const {
    std::lock_guard lock(_mutex);
    for (const auto& node : _nodes)
        if (node.info.type == tarsel::link::ServerType_Master && isPresent(node.info)) return node.info.ip;
    return {};
}

bool Membership::updatePresence(Clock::time_point now, Review& review) {
    bool changed = false;
    for (size_t i = 0; i < _nodes.size(); ++i) {
        if (i == _local) continue;
        Node& node = _nodes[i];
        const bool present = node.heard && now - node.lastHeard <= _silence;
        if (present == isPresent(node.info)) continue;
        setPresent(node.info, present);
        review.events.push_back(fmt::format("{} {}", present ? "joined" : "gone", node.info.ip));
        (present ? review.joined : review.gone).push_back(node.info.ip);
        changed = true;
    }
    return changed;
}

void Membership::assign(Review& review) {
    std::vector<Member> members;
    for (const auto& node : _nodes) members.push_back({isPresent(node.info), node.joinedMs});
    const auto roles = assignRoles(members);
    std::string oldMaster;
    for (const auto& node : _nodes)
        if (node.info.type == tarsel::link::ServerType_Master) oldMaster = node.info.ip;
    std::vector<bool> changed(_nodes.size(), false);
    for (size_t i = 0; i < _nodes.size(); ++i) {
        ServerNodeInfo& info = _nodes[i].info;
        if (info.type == roles[i]) continue;
        changed[i] = true;
        info.lastType = info.type;
        info.type = static_cast<uint8_t>(roles[i]);
        review.events.push_back(fmt::format("role {} {}->{}", info.ip, info.lastType, info.type));
        if (i == _local) review.localChanged = true;
    }
    const ServerNodeInfo& local = _nodes[_local].info;
    if (local.type != tarsel::link::ServerType_Master) return;
    for (size_t i = 0; i < _nodes.size(); ++i)
        if (_nodes[i].info.type == tarsel::link::ServerType_MasterBackup && changed[i])
            review.backupsAdded.push_back(_nodes[i].info.ip);
    if (review.localChanged && local.lastType != tarsel::link::ServerType_MasterBackup && !oldMaster.empty() &&
        oldMaster != local.ip)
        review.replacedMaster = oldMaster;
}

// A node reports its port once it has listened; a table made less than two listen
// periods after the node joined may still hold the port of its previous run. The
// local node's own port does not change while it runs.
std::vector<ServerNodeInfo> Membership::nodesLocked() const {
    const auto margin = 2 * std::chrono::duration_cast<std::chrono::milliseconds>(_listen).count();
    std::vector<ServerNodeInfo> list;
    for (size_t i = 0; i < _nodes.size(); ++i) {
        const Node& node = _nodes[i];
        if (!node.heard) continue;
        list.push_back(node.info);
        if (_duties && i != _local && node.joinedMs + margin > _tableMs) list.back().statusC = 0;
    }
    return list;
}

void Membership::tableReceived(int64_t atMs) {
    std::lock_guard lock(_mutex);
    _tableMs = atMs;
}

std::vector<ServerNodeInfo> Membership::nodes() const {
    std::lock_guard lock(_mutex);
    return nodesLocked();
}

ServerNodeInfo Membership::local() const {
    std::lock_guard lock(_mutex);
    return _nodes[_local].info;
}

}  // namespace qorva::sim
