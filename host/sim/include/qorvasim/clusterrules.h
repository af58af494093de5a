#pragma once
// The host's cluster rules, shared by the in-process cluster and the link manager
// over sockets: who is present, which role each node gets, who receives a request.
#include <cstdint>
#include <string>
#include <vector>

#include "qorvahost/ilinkmgr.h"

namespace qorva::sim {

// A node counts as present when both of its status flags are set.
bool isPresent(const tarsel::link::ServerNodeInfo& node);

// A node as the membership knows it: present or not, and since when it has been in
// the cluster (lower is longer; ties go by list position).
struct Member {
    bool present = false;
    int64_t joinedMs = 0;
};

// The role of every member, in list order: the present member in the cluster longest
// is master, the next its master backup, the other present ones slaves; absent
// members have no role. A node that joins later never takes a role from one that is
// already there.
std::vector<tarsel::link::ServerType> assignRoles(const std::vector<Member>& members);

// Roles 1, 2 and 3 (slave, master backup, slave backup): the ones whose announcement
// makes a node report its port to the master.
bool reportsToMaster(int type);

// The IPs of the present master backups.
std::vector<std::string> backupIps(const std::vector<tarsel::link::ServerNodeInfo>& nodes);

// Who receives a request sent from `senderIp`: the present master when `toMaster`,
// every other present node when `toAll`, and each named target; in that order,
// without repeats.
std::vector<std::string> requestRecipients(const tarsel::link::LinkRequest& request,
                                           const std::vector<tarsel::link::ServerNodeInfo>& nodes,
                                           const std::string& senderIp);

}  // namespace qorva::sim
