#pragma once
// The cluster link manager: node roles, cluster membership and messages.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <sigslot/signal.hpp>

#include "qorvahost/export.h"

namespace tarsel::link {

// The role of a node in the cluster.
enum ServerType : int32_t {
    ServerType_Master = 0,
    ServerType_Slave = 1,
    ServerType_MasterBackup = 2,
    ServerType_SlaveBackup = 3,
    ServerType_Null = 4,
};

struct ServerNodeInfo {
    uint8_t type = ServerType_Null;
    uint8_t statusA = 0;
    uint8_t statusB = 0;
    std::string ip;
    std::string clusterIp;
    uint8_t lastType = ServerType_Null;
    std::vector<ServerNodeInfo> subNodes;
    uint8_t statusC = 0;
};

struct LinkRequest {
    std::string method;
    std::string args;
    uint8_t toMaster = 0;
    uint8_t toAll = 0;
    std::vector<std::string> targets;
    uint8_t needReply = 0;
};

class QORVAHOST_INTERFACE ILinkMgr {
public:
    virtual ~ILinkMgr() = default;

    virtual std::vector<ServerNodeInfo> getClusterNodes() = 0;
    virtual ServerNodeInfo getLocalNodeInfo() = 0;
    virtual void registerMethod(const std::string& method,
                                const std::function<void(std::string args, std::string senderIp)>& handler) = 0;
    virtual void unregisterMethod(const std::string& method) = 0;
    virtual void sendRequest(const LinkRequest& request) = 0;
    virtual void setBackupMethods(const std::vector<std::string>& methods) = 0;
    virtual std::vector<std::string> getBackupIps(const std::string& localIp) = 0;

    sigslot::signal<const ServerNodeInfo&> sigLinkedStatusChanged;
    sigslot::signal<const ServerType&> sigLocalTypeChanged;
    sigslot::signal<const std::vector<ServerNodeInfo>&> sigClusterNodeChanged;
    sigslot::signal<const std::string&, const std::string&> sigMasterUpdate;
    sigslot::signal<const std::string&> sigMasterBackupAdded;
};

}  // namespace tarsel::link
