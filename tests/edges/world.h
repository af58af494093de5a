#pragma once
// A whole show on the simulated host, every exported object alive and every thread
// running: a card the frame sync library drives and one with a render thread of its
// own, a player on each, the manager's frame data tap, the input source controller
// with a capture input and both taps, and the cluster link of a master backup node.
// The tests that tear it down or rewire it at awkward moments act on it.
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "qorvarenderctrl/inputsourcerenderctrl.h"
#include "qorvarenderctrl/renderctrllink.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/cluster.h"
#include "qorvasim/host.h"

namespace qrc::edges {

using namespace qorva::mediadispatch;

inline const std::string kFrameSyncCard = "#0(NVIDIA RTX A4000)";
inline const std::string kOwnThreadCard = "#1(Intel UHD Graphics 770)";
inline const std::string kInputs;  // the input source controller's card text
inline const std::string kNodeIp = "10.0.0.1";
inline const std::string kPeerIp = "10.0.0.2";

// Where a host callback of the library runs; an action can be run inside its next call.
enum class Callback { renderTap, frameSyncTap, inputTap };

class World {
public:
    World();
    // The host's documented teardown of whatever is still alive.
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Waits until each card and the input thread made `passes` more passes.
    bool awaitPasses(uint64_t passes);
    // The host's documented teardown of whatever is still alive: the link manager unset,
    // the manager released and unset, the input source controller released and unset,
    // then each object dropped. Idempotent.
    void teardown();

    // Runs `action` inside the next call of `callback`, on that callback's thread.
    std::future<void> runInside(Callback callback, std::function<void()> action);
    // From now on a host call `call` (at `where`, or anywhere when empty) is a violation.
    void close(const std::string& call, const std::string& where = {});
    std::vector<std::string> violations() const;
    // The taps the show hands in (the manager's, the input controller's two), to hand
    // them in again after a test cleared them.
    FrameDataCallBack managerTap();
    FrameDataCallBack inputFrameTap();
    InputFrameDataUpdateCallBack inputUpdateTap();

    qorva::sim::SimHost host;
    std::shared_ptr<qorva::sim::SimRenderFacade> frameSyncCard;
    std::shared_ptr<qorva::sim::SimRenderFacade> ownThreadCard;
    std::shared_ptr<qorva::sim::SimTimelineDispatch> dispatch = std::make_shared<qorva::sim::SimTimelineDispatch>();
    qorva::sim::SimCluster cluster;
    qorva::sim::SimLinkMgr* node = nullptr;
    std::shared_ptr<RenderCtrlMgr> mgr = std::make_shared<RenderCtrlMgr>();
    std::optional<InputSourceRenderCtrl> inputs{std::in_place};
    std::shared_ptr<RenderCtrlLink> link = std::make_shared<RenderCtrlLink>();

private:
    void wireInputs();
    void wireLink();
    void onCallback(Callback callback);
    void watch(const char* call, const std::string& where);

    mutable std::mutex _mutex;
    std::vector<std::pair<Callback, std::packaged_task<void()>>> _actions;
    std::set<std::pair<std::string, std::string>> _closed;
    std::vector<std::string> _violations;
};

}  // namespace qrc::edges
