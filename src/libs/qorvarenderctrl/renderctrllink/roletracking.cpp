// The node's role in the cluster: which frame sync targets are linked or dislinked on
// each role change, the restore timer, and the cluster IP last recorded.
#include "common/log.h"
#include "renderctrllink/renderctrllink_impl.h"

namespace qorva::mediadispatch {

namespace {

bool present(const ServerNodeInfo& node) { return node.statusA != 0 && node.statusB != 0; }

}  // namespace

// The role state machine: exactly one transition applies to a status report.
void RenderCtrlLink::Impl::onLinkedStatusChanged(const ServerNodeInfo& info) {
    const auto rc = _renderCtrl.lock();
    if (!rc) {
        QRC_WARN("sharedRenderCtrl is nullptr!");
        return;
    }
    const int last = info.lastType;
    const int now = info.type;
    rc->setFrameSyncFlag(now != kNoRole);
    rc->setLinkState(now != kNoRole);
    if (last == kNoRole && now != kNoRole)
        gainRole(*rc, info);
    else if (last != kNoRole && now == kNoRole)
        loseRole(*rc, info);
    else if (last == now && now != kNoRole && recordedClusterIp() != info.clusterIp)
        changeCluster(*rc, info);
    else if (last == kMasterBackup && now == kMaster)
        takeOver(*rc, info);
    else if (last == kMaster && now != kMaster && now != kNoRole)
        giveUpMaster(*rc, info);
    if (last != now && now == kMasterBackup) rc->keepMasterTime(true);
}

std::string RenderCtrlLink::Impl::recordedClusterIp() {
    std::lock_guard lock(_stateMutex);
    return clusterIp;
}

void RenderCtrlLink::Impl::recordClusterIp(const std::string& ip) {
    std::lock_guard lock(_stateMutex);
    clusterIp = ip;
}

void RenderCtrlLink::Impl::gainRole(RenderCtrlMgr& rc, const ServerNodeInfo& info) {
    QRC_INFO_AS("onLinkedStatusChanged", "RenderCtrlLink record clusterIp {}", info.clusterIp);
    recordClusterIp(info.clusterIp);
    if (info.type != kMaster) return;
    QRC_INFO_AS("onLinkedStatusChanged", "RenderCtrlLink linkTarget  localtype null->master ip:{}, port:{}", info.ip,
                rc.getNetPort());
    rc.linkTarget(info.ip.c_str(), rc.getNetPort());
    if (tarsel::IMediaMgr* mediaMgr = _mediaMgr) mediaMgr->notifyMasterRole(true);
}

// A pending restore timer is left as it is.
void RenderCtrlLink::Impl::loseRole(RenderCtrlMgr& rc, const ServerNodeInfo& info) {
    {
        std::lock_guard lock(_stateMutex);
        clusterIp.clear();
        portMap.clear();
        backupPortMap.clear();
    }
    QRC_INFO_AS("onLinkedStatusChanged", "RenderCtrlLink dislinkTarget localtype -> null ip:{}, port:{}", info.ip,
                rc.getNetPort());
    rc.dislinkTarget(info.ip.c_str(), rc.getNetPort());
}

void RenderCtrlLink::Impl::changeCluster(RenderCtrlMgr& rc, const ServerNodeInfo& info) {
    QRC_INFO_AS("onLinkedStatusChanged",
                "RenderCtrlLink dislinkTarget clusterIp changed!  newclusterIp:{}, dislinkIp:{},port:{}",
                info.clusterIp, info.ip, rc.getNetPort());
    recordClusterIp(info.clusterIp);
    rc.dislinkTarget(info.ip.c_str(), rc.getNetPort());
}

void RenderCtrlLink::Impl::takeOver(RenderCtrlMgr& rc, const ServerNodeInfo& info) {
    QRC_INFO_AS("onLinkedStatusChanged", "RenderCtrlLink dislinkTarget masterBackup->master! dislinkIp:{},port:{}",
                info.ip, rc.getNetPort());
    recordClusterIp(info.clusterIp);
    rc.dislinkTarget(info.ip.c_str(), rc.getNetPort());
    restartRestoreTimer("onLinkedStatusChanged");
}

void RenderCtrlLink::Impl::giveUpMaster(RenderCtrlMgr& rc, const ServerNodeInfo& info) {
    recordClusterIp(info.clusterIp);
    QRC_INFO_AS("onLinkedStatusChanged", "RenderCtrlLink  master->other! delTimer");
    stopRestoreTimer();
    if (info.type != kMasterBackup) return;
    QRC_INFO_AS("onLinkedStatusChanged", "RenderCtrlLink dislinkTarget master->masterBackup local ip:{}, port is {}",
                info.ip, rc.getNetPort());
    rc.dislinkTarget(info.ip.c_str(), rc.getNetPort());
    PortTable targets;
    {
        std::lock_guard lock(_stateMutex);
        targets = portMap;
    }
    for (const auto& [ip, port] : targets) {
        QRC_INFO_AS("onLinkedStatusChanged",
                    "RenderCtrlLink dislinkTarget master->masterBackup other ip:{}, port is {}", ip, port);
        rc.dislinkTarget(ip.c_str(), port);
    }
    std::lock_guard lock(_stateMutex);
    portMap.clear();
}

// Roles 1, 2 and 3 report their port to the master; master and no role do not.
void RenderCtrlLink::Impl::onLocalTypeChanged(const ServerType& type) {
    if (static_cast<unsigned>(type) - 1 < 3) notifyReportPort();
}

// The backup's address is not needed: the table goes to every backup.
void RenderCtrlLink::Impl::onMasterBackupAdded(const std::string& /*ip*/) { sendPortDatasToBackup({}); }

void RenderCtrlLink::Impl::onMasterUpdate(const std::string& /*first*/, const std::string& second) {
    const auto rc = _renderCtrl.lock();
    if (!rc) {
        QRC_WARN("sharedRenderCtrl is nullptr!");
        return;
    }
    const int port = rc->getNetPort();
    QRC_INFO("RenderCtrlLink dislinkTarget onMasterUpdate! local Ip:{},port:{}", second, port);
    rc->dislinkTarget(second.c_str(), port);
    PortTable targets;
    {
        std::lock_guard lock(_stateMutex);
        targets = portMap;
    }
    for (const auto& [ip, targetPort] : targets) {
        QRC_INFO("RenderCtrlLink dislinkTarget onMasterUpdate! other Ip:{},port:{}", ip, targetPort);
        rc->dislinkTarget(ip.c_str(), targetPort);
    }
    {
        std::lock_guard lock(_stateMutex);
        backupPortMap = portMap;
    }
    restartRestoreTimer(__func__);
}

// Drops the targets whose node has left. Only present nodes of role 1 (and their
// present sub-nodes) and of role 2 keep their entry; the master's never does.
void RenderCtrlLink::Impl::onClusterNodeChanged(const std::vector<ServerNodeInfo>& nodes) {
    const auto rc = _renderCtrl.lock();
    if (!rc) {
        QRC_WARN("sharedRenderCtrl is nullptr!");
        return;
    }
    if (!_linkMgr) {
        QRC_WARN("_linkMgr is nullptr!");
        return;
    }
    PortTable stale;
    {
        std::lock_guard lock(_stateMutex);
        stale = portMap;
    }
    for (const auto& node : nodes) {
        if (node.type == tarsel::link::ServerType_Slave) {
            if (present(node)) stale.erase(node.ip);
            for (const auto& sub : node.subNodes)
                if (present(sub)) stale.erase(sub.ip);
        } else if (node.type == kMasterBackup && present(node)) {
            stale.erase(node.ip);
        }
    }
    bool erased = false;
    for (const auto& [ip, staleport] : stale) {
        int port = 0;
        {
            std::lock_guard lock(_stateMutex);
            const auto it = portMap.find(ip);
            if (it == portMap.end()) continue;
            port = it->second;
            portMap.erase(it);
        }
        QRC_INFO("RenderCtrlLink dislinkTarget onClusterNodeChanged ip:{}, port:{}", ip, port);
        rc->dislinkTarget(ip.c_str(), port);
        erased = true;
    }
    if (erased) sendPortDatasToBackup({});
}

}  // namespace qorva::mediadispatch
