// The cluster messages: nodes report their frame sync port to the master, the master
// sends its port table to its backups, and a new master restores every link.
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "common/log.h"
#include "renderctrllink/renderctrllink_impl.h"

namespace qorva::mediadispatch {

namespace {

constexpr int kProgramDispatches[] = {0x1000, 0x1001};
constexpr int kResyncState = 2;

bool presentWithAllFlags(const ServerNodeInfo& node) {
    return node.statusC != 0 && node.statusA != 0 && node.statusB != 0;
}

}  // namespace

void RenderCtrlLink::Impl::notifyReportPort() {
    const auto rc = _renderCtrl.lock();
    if (!rc) {
        QRC_WARN("sharedRenderCtrl is nullptr!");
        return;
    }
    const int port = rc->getNetPort();
    tarsel::link::ILinkMgr* linkMgr = _linkMgr;
    if (!linkMgr) {
        QRC_WARN("sharedLinkMgr is nullptr!");
        return;
    }
    tarsel::link::LinkRequest request;
    request.method = makeMethodName(40, reportPort);
    request.args = std::to_string(port);
    request.toMaster = 1;
    linkMgr->sendRequest(request);
}

// Acts on the master only. A repeated report dislinks the stored port and links the
// reported one.
void RenderCtrlLink::Impl::handleReportPort(const std::string& args, const std::string& fromIp) {
    const auto rc = _renderCtrl.lock();
    if (!rc) {
        QRC_WARN("sharedRenderCtrl is nullptr!");
        return;
    }
    tarsel::link::ILinkMgr* linkMgr = _linkMgr;
    if (!linkMgr || linkMgr->getLocalNodeInfo().type != kMaster) return;
    const int port = std::atoi(args.c_str());
    std::optional<int> stored;
    {
        std::lock_guard lock(_stateMutex);
        if (const auto it = portMap.find(fromIp); it != portMap.end())
            stored = it->second;
        else
            portMap.emplace(fromIp, port);
    }
    if (stored) {
        QRC_INFO("RenderCtrlLink dislinkTarget handleReportPort ip:{}, port:{}", fromIp, *stored);
        rc->dislinkTarget(fromIp.c_str(), *stored);
        std::lock_guard lock(_stateMutex);
        portMap[fromIp] = port;
    }
    sendPortDatasToBackup({});
    QRC_INFO("RenderCtrlLink linkTarget handleReportPort ip:{}, port:{}", fromIp, port);
    rc->linkTarget(fromIp.c_str(), port);
}

// Sent by the master only, never while a restore is pending, and only when there is
// a recipient: an empty recipient means every backup of this node.
void RenderCtrlLink::Impl::sendPortDatasToBackup(const std::string& recipient) {
    QRC_INFO("RenderCtrlLink sendPortDatasToBackup  masterBackup added ip:{}", recipient);
    const auto rc = _renderCtrl.lock();
    if (!rc) {
        QRC_WARN("sharedRenderCtrl is nullptr!");
        return;
    }
    tarsel::link::ILinkMgr* linkMgr = _linkMgr;
    if (!linkMgr) {
        QRC_WARN("sharedLinkMgr is nullptr!");
        return;
    }
    const ServerNodeInfo local = linkMgr->getLocalNodeInfo();
    PortTable table;
    {
        std::lock_guard lock(_stateMutex);
        if (local.type != kMaster || restoreTimerId != -1) return;
        table = portMap;
    }
    if (!table.count(local.ip)) table.emplace(local.ip, rc->getNetPort());
    tarsel::link::LinkRequest request;
    request.method = makeMethodName(40, reportPorts);
    request.args = encodePortTable(table);
    request.targets = recipient.empty() ? linkMgr->getBackupIps(local.ip) : std::vector<std::string>{recipient};
    if (request.targets.empty()) return;
    {
        std::lock_guard lock(_stateMutex);
        backupPortMap = table;
    }
    for (const auto& [ip, port] : table) QRC_INFO("RenderCtrlLink sendPortDatasToBackup Ip:{},port:{}", ip, port);
    linkMgr->sendRequest(request);
}

// Acts on a master backup only. A payload that is not a port table throws
// std::invalid_argument to the link manager's dispatcher and changes nothing.
void RenderCtrlLink::Impl::handlePortDatasToBackup(const std::string& args, const std::string& /*fromIp*/) {
    const auto rc = _renderCtrl.lock();
    if (!rc) {
        QRC_WARN("sharedRenderCtrl is nullptr!");
        return;
    }
    tarsel::link::ILinkMgr* linkMgr = _linkMgr;
    if (!linkMgr) {
        QRC_WARN("sharedLinkMgr is nullptr!");
        return;
    }
    if (linkMgr->getLocalNodeInfo().type != kMasterBackup) return;
    const PortTable table = decodePortTable(args);
    {
        std::lock_guard lock(_stateMutex);
        backupPortMap = table;
    }
    for (const auto& [ip, port] : table) QRC_INFO("RenderCtrlLink handlePortDatasToBackup Ip:{},port:{}", ip, port);
}

// One second after this node became master: link its own port and every node of the
// received table that is still present, and publish the table again.
void RenderCtrlLink::Impl::backupRestorePorts(uint64_t generation) {
    {
        // Only the pending timer's own callback forgets it: one that fired just before
        // a restart leaves the new timer stoppable.
        std::lock_guard lock(_stateMutex);
        if (generation == restoreGeneration) {
            restoreTimerId = -1;
            ++restoreGeneration;
        }
    }
    const auto rc = _renderCtrl.lock();
    if (!rc) {
        QRC_WARN("sharedRenderCtrl is nullptr!");
        return;
    }
    tarsel::link::ILinkMgr* linkMgr = _linkMgr;
    if (!linkMgr) {
        QRC_WARN("_linkMgr is nullptr!");
        return;
    }
    const ServerNodeInfo local = linkMgr->getLocalNodeInfo();
    rc->keepMasterTime(false);
    const int ownPort = rc->getNetPort();
    QRC_INFO("RenderCtrlLink linkTarget backupRestorePorts local ip:{}, port:{}", local.ip, ownPort);
    rc->linkTarget(local.ip.c_str(), ownPort);
    const std::vector<ServerNodeInfo> nodes = linkMgr->getClusterNodes();
    PortTable received;
    {
        std::lock_guard lock(_stateMutex);
        received = backupPortMap;
    }
    for (const auto& [ip, port] : received) {
        const bool stillPresent = std::any_of(nodes.begin(), nodes.end(), [&, &ip = ip](const ServerNodeInfo& node) {
            return presentWithAllFlags(node) && node.ip == ip;
        });
        if (!stillPresent) continue;
        QRC_INFO("RenderCtrlLink linkTarget backupRestorePorts other ip:{}, port:{}", ip, port);
        rc->linkTarget(ip.c_str(), port);
        std::lock_guard lock(_stateMutex);
        portMap.emplace(ip, port);
    }
    if (tarsel::IMediaMgr* mediaMgr = _mediaMgr) mediaMgr->notifyMasterRole(true);
    if (const auto program = _programDispatch.lock()) {
        for (const int id : kProgramDispatches) {
            if (program->getDispatchState(id) != kResyncState) continue;
            program->dispatchResyncFirst(id, 0.0);
            program->dispatchResyncSecond(id, 0.0);
        }
    }
    bool publish = false;
    {
        std::lock_guard lock(_stateMutex);
        publish = !portMap.empty();
    }
    if (publish) sendPortDatasToBackup({});
}

}  // namespace qorva::mediadispatch
