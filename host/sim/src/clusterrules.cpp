#include "qorvasim/clusterrules.h"

#include <algorithm>

namespace qorva::sim {

using tarsel::link::ServerNodeInfo;
using tarsel::link::ServerType;

bool isPresent(const ServerNodeInfo& node) { return node.statusA != 0 && node.statusB != 0; }

bool reportsToMaster(int type) {
    return type == tarsel::link::ServerType_Slave || type == tarsel::link::ServerType_MasterBackup ||
           type == tarsel::link::ServerType_SlaveBackup;
}

std::vector<ServerType> assignRoles(const std::vector<Member>& members) {
    std::vector<size_t> ranked;
    for (size_t i = 0; i < members.size(); ++i)
        if (members[i].present) ranked.push_back(i);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&](size_t a, size_t b) { return members[a].joinedMs < members[b].joinedMs; });
    std::vector<ServerType> roles(members.size(), tarsel::link::ServerType_Null);
    for (size_t rank = 0; rank < ranked.size(); ++rank)
        roles[ranked[rank]] = rank == 0   ? tarsel::link::ServerType_Master
                              : rank == 1 ? tarsel::link::ServerType_MasterBackup
                                          : tarsel::link::ServerType_Slave;
    return roles;
}

std::vector<std::string> backupIps(const std::vector<ServerNodeInfo>& nodes) {
    std::vector<std::string> backups;
    for (const auto& node : nodes)
        if (node.type == tarsel::link::ServerType_MasterBackup && isPresent(node)) backups.push_back(node.ip);
    return backups;
}

std::vector<std::string> requestRecipients(const tarsel::link::LinkRequest& request,
                                           const std::vector<ServerNodeInfo>& nodes, const std::string& senderIp) {
    std::vector<std::string> recipients;
    const auto add = [&](const std::string& ip) {
        if (std::find(recipients.begin(), recipients.end(), ip) == recipients.end()) recipients.push_back(ip);
    };
    for (const auto& node : nodes) {
        if (!isPresent(node)) continue;
        if (request.toMaster && node.type == tarsel::link::ServerType_Master) add(node.ip);
        if (request.toAll && node.ip != senderIp) add(node.ip);
    }
    for (const auto& ip : request.targets) add(ip);
    return recipients;
}

}  // namespace qorva::sim
