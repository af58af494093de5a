#pragma once
// The state of the cluster link: this node's view of the frame sync ports of the
// other nodes, and the handlers of the link manager's signals and messages.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/guarded.h"
#include "qorvarenderctrl/renderctrllink.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "renderctrllink/porttable.h"
#include "renderctrllink/restoregate.h"

namespace qorva::mediadispatch {

using tarsel::link::ServerNodeInfo;
using tarsel::link::ServerType;

// The roles the link compares (ServerType values).
constexpr int kMaster = tarsel::link::ServerType_Master;
constexpr int kMasterBackup = tarsel::link::ServerType_MasterBackup;
constexpr int kNoRole = tarsel::link::ServerType_Null;

class RenderCtrlLink::Impl : public std::enable_shared_from_this<RenderCtrlLink::Impl> {
public:
    explicit Impl(RenderCtrlLink* owner);
    // Unwires what the host left wired, stops a pending restore timer and waits for a
    // restore in progress on another thread.
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // Wiring (linkwiring.cpp).
    void setLinkMgr(tarsel::link::ILinkMgr* linkMgr);
    void unsetLinkMgr();
    void setZQRuntime(tarsel::IZQRuntime* runtime);
    void setRenderCtrl(std::weak_ptr<IRenderCtrl> renderCtrl);

    // Role tracking (roletracking.cpp).
    void onLinkedStatusChanged(const ServerNodeInfo& info);
    void onLocalTypeChanged(const ServerType& type);
    void onClusterNodeChanged(const std::vector<ServerNodeInfo>& nodes);
    void onMasterUpdate(const std::string& first, const std::string& second);
    void onMasterBackupAdded(const std::string& ip);

    // Port reports and the backup exchange (portexchange.cpp).
    void notifyReportPort();
    void handleReportPort(const std::string& args, const std::string& fromIp);
    void sendPortDatasToBackup(const std::string& recipient);
    void handlePortDatasToBackup(const std::string& args, const std::string& fromIp);
    // `generation` names the timer that fired.
    void backupRestorePorts(uint64_t generation);

    RenderCtrlLink* const owner;
    std::atomic<tarsel::link::ILinkMgr*> _linkMgr{nullptr};
    std::atomic<tarsel::IZQRuntime*> _zqRuntime{nullptr};
    std::atomic<tarsel::IMediaMgr*> _mediaMgr{nullptr};
    renderctrl::Guarded<std::weak_ptr<IProgramDispatch>> _programDispatch;
    renderctrl::Guarded<std::weak_ptr<RenderCtrlMgr>> _renderCtrl;

    // Guarded by _stateMutex, which is never held across a call into the host or the
    // manager: a link manager may deliver a request to this node from inside
    // sendRequest.
    std::mutex _stateMutex;
    PortTable portMap;
    PortTable backupPortMap;
    int32_t restoreTimerId = -1;
    uint64_t restoreGeneration = 0;  // changes when a restore timer starts, fires or is stopped
    std::string clusterIp;

    const std::vector<std::string> backupMethods;

private:
    std::string recordedClusterIp();
    void recordClusterIp(const std::string& ip);
    // The transitions of the role state machine.
    void gainRole(RenderCtrlMgr& rc, const ServerNodeInfo& info);
    void loseRole(RenderCtrlMgr& rc, const ServerNodeInfo& info);
    void changeCluster(RenderCtrlMgr& rc, const ServerNodeInfo& info);
    void takeOver(RenderCtrlMgr& rc, const ServerNodeInfo& info);
    void giveUpMaster(RenderCtrlMgr& rc, const ServerNodeInfo& info);
    // Logs a missing runtime under the caller's name.
    void restartRestoreTimer(const char* caller);
    std::function<void(int)> restoreCallback(uint64_t generation);
    void stopRestoreTimer();
    // Forgets the pending restore timer and returns its id (-1 if none).
    int forgetRestoreTimer();
    void unwire(tarsel::link::ILinkMgr& linkMgr);
    // Stops a pending restore timer, lets no restore start any more, and waits for a
    // restore in progress on another thread.
    void endRestores();

    // Orders the start of a restore timer against the operations that take its runtime
    // or its gate away. Held across startTimer and stopTimer only: the runtime just
    // registers or drops the timer there and runs callbacks later on its own thread,
    // and a callback never takes this mutex.
    std::mutex _timerMutex;
    std::shared_ptr<RestoreGate> _restoreGate = std::make_shared<RestoreGate>();
    // Set by setLinkMgr, cleared by unsetLinkMgr; read by the destructor, which may run on
    // the runtime's thread at the end of a restore.
    std::atomic<bool> _wired{false};
};

}  // namespace qorva::mediadispatch
