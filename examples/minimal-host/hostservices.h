#pragma once
// The smallest host services the library runs with: one display card paced at 60 Hz,
// a media manager with one player on the card and one input source, a runtime that
// keeps what it is given, and a link manager of two nodes in one process. A real host
// passes its own services; these only do what the library asks of them.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <qorvarenderctrl/qorvarenderctrl.h>

namespace minimalhost {

using namespace qorva::mediadispatch;
using namespace qorva::mediaoutput;
using zq::mediacore::IFrame;
using zq::mediacore::STAVFrame;

// What main waits for: every check flag set by a host service or tap, on any thread.
class Progress {
public:
    void mark(std::atomic<bool>& flag) {
        std::lock_guard lock(_mutex);
        flag = true;
        _changed.notify_all();
    }
    template <typename Done>
    bool waitFor(std::chrono::seconds limit, Done done) {
        std::unique_lock lock(_mutex);
        return _changed.wait_for(lock, limit, done);
    }

private:
    std::mutex _mutex;
    std::condition_variable _changed;
};

inline std::shared_ptr<STAVFrame> picture(int32_t width, int32_t height) {
    return std::make_shared<STAVFrame>(
        STAVFrame{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, 0xff336699u)});
}

class Meta : public zq::mediacore::IMeta {
public:
    std::string getId() const override { return "camera-1"; }
    std::string getUrl() const override { return {}; }
    int32_t getSourceType() const override { return 0; }
    std::shared_ptr<IFrame> getCurrentFrame() override { return nullptr; }
    std::shared_ptr<IFrame> getOrgThumbFrame() override { return nullptr; }
    void destroyOrgThumbnail() override {}
};

// A player whose every frame is the same 640x360 picture at 25 frames a second.
class Player : public tarsel::IPlayer {
public:
    Player() {
        _frame.attachPicture(picture(640, 360));
        _frame.setFps(25);
    }
    std::shared_ptr<zq::mediacore::IMeta> getMeta() override { return _meta; }
    IFrame* getFrame(double clock) override {
        _frame.setTime(clock);
        return &_frame;
    }
    void frameConsumed() override {}

private:
    std::shared_ptr<Meta> _meta = std::make_shared<Meta>();
    IFrame _frame;
};

// The facade that lists the cards, and each card's own: drawing is a no-op, scaling
// attaches a picture of the asked size, the vertical blank comes every 16.7 ms.
class Facade : public IRenderFacade {
public:
    explicit Facade(std::shared_ptr<Facade> card = nullptr) : _card(std::move(card)) {}

    void render() override {}
    void scaleLayerFrame(LayerFrameInfo&, IFrame* target, uint32_t width, uint32_t height, const std::string&,
                         bool) override {
        target->attachPicture(picture(static_cast<int32_t>(width), static_cast<int32_t>(height)));
    }
    void catchLayerFrame(LayerFrameInfo&) override {}
    void endFrame() override {}
    void scaleInputFrame(LayerFrameInfo&, IFrame* target, int32_t width, int32_t height, const std::string&) override {
        target->attachPicture(picture(width, height));
    }
    void endInputPass() override {}
    void beginInputPass() override {}
    void waitForVBlank() override {
        _nextVBlank = std::max(_nextVBlank, std::chrono::steady_clock::now()) + std::chrono::microseconds(16667);
        std::this_thread::sleep_until(_nextVBlank);  // a display card blocks here
    }
    void setInputMediaActive(uint64_t, bool) override {}
    void getDisplayCards(std::vector<DisplayCardInfo>& out) override {
        if (_card) out.push_back({"#0(Example card)", 0});
    }
    void getCardRenderFacade(std::weak_ptr<IRenderFacade>& out, const DisplayCardInfo&) override { out = _card; }
    void getOutputTextures(const std::string&, std::map<uint64_t, uint64_t>&) override {}

private:
    std::shared_ptr<Facade> _card;
    std::chrono::steady_clock::time_point _nextVBlank{};  // the card's render thread only
};

// One player on layer 7 of the card, tapped; one input source placed on layer 90.
class MediaMgr : public tarsel::IMediaMgr {
public:
    static constexpr uint64_t kLayerId = 7;
    static constexpr uint64_t kInputLayerId = 90;

    MediaMgr(Progress& progress) : _progress(progress) {
        _onCard.sharedPlayer = _cardPlayer;
        _onCard.placements = {{kLayerId, 0.f, 0.f, 1920.f, 1080.f}};
        _onCard.name = "camera";
        _onCard.tapEnabled = true;
        _input.sharedPlayer = _inputPlayer;
        _input.placements = {{kInputLayerId, 0.f, 0.f, 640.f, 360.f}};
        _input.name = "stream";
    }
    // Asked by the card's render thread for its card, by the input thread for "".
    void getInputSources(std::vector<tarsel::InputSourceItem>& out, const std::string& card, bool) override {
        out = {card.empty() ? _input : _onCard};
    }
    void notifyMediaUpdateDisplayCards(const std::multimap<uint64_t, tarsel::EditingMode>&) override {}
    void setFrameSync(IFrameSync*) override {}
    void* getFrameSyncCodexCtx() override { return nullptr; }
    void mediaMgrDetached() override {}
    void notifyMasterRole(bool master) override {
        if (master) _progress.mark(masterRole);
    }
    void setMasterFrameTime(const std::string&, double) override {}

    std::atomic<bool> masterRole{false};

private:
    Progress& _progress;
    std::shared_ptr<Player> _cardPlayer = std::make_shared<Player>();
    std::shared_ptr<Player> _inputPlayer = std::make_shared<Player>();
    tarsel::InputSourceItem _onCard;
    tarsel::InputSourceItem _input;
};

// Keeps posted tasks for the host's main thread (runPosted) and the edit client event
// handlers. This show loads no frame sync module and changes no master, so the library
// starts no timer; a real runtime runs timers on a thread of its own.
class Runtime : public tarsel::IZQRuntime {
public:
    void postTask(const std::function<void()>& task, const char*, const char*, int) override {
        std::lock_guard lock(_mutex);
        _posted.push_back(task);
    }
    int startTimer(int, const std::function<void(int)>&, int) override {
        std::lock_guard lock(_mutex);
        _timers.insert(++_lastTimer);
        return _lastTimer;
    }
    void stopTimer(int id) override {
        std::lock_guard lock(_mutex);
        _timers.erase(id);
    }
    void registerEventHandler(const char* event, const char* name, const std::function<void(void*)>&, void* owner,
                              int) override {
        std::lock_guard lock(_mutex);
        _handlers.insert({std::string(event) + "/" + name, owner});
    }
    void unregisterEventHandler(const char* event, const char* name, void* owner) override {
        std::lock_guard lock(_mutex);
        _handlers.erase({std::string(event) + "/" + name, owner});
    }
    bool isServerMode() override { return true; }
    bool isClientMode() override { return false; }

    void runPosted() {
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard lock(_mutex);
            tasks.swap(_posted);
        }
        for (const auto& task : tasks) task();
    }
    // Nothing left registered or running.
    bool idle() {
        std::lock_guard lock(_mutex);
        return _timers.empty() && _handlers.empty();
    }

private:
    std::mutex _mutex;
    std::vector<std::function<void()>> _posted;
    std::set<int> _timers;
    int _lastTimer = 0;
    std::set<std::pair<std::string, void*>> _handlers;
};

class LayoutMgr : public IMediaOutputLayoutMgr {
public:
    class View : public IRenderView {
    public:
        void setCurrentLayoutUsableLayerCallback(const std::function<uint64_t()>&) override {}
        void setRenderCtrlMgrCallBackCommon(
            const std::function<qorva::RenderCtrlMgrCallBackCommon(qorva::RenderCtrlMgrCallBackType)>&) override {}
        void setLayerLockStateCallback(const std::function<bool(uint64_t)>&) override {}
        std::vector<std::shared_ptr<IOutputPatch>> getSelectedPatches() override { return {}; }
    };
    using Mode = tarsel::EditingMode;

    // Layer sizes: none, so the tap has its preset size. Drawn layers are counted.
    void getOutputLayerSizes(std::list<OutputLayerSize>&, const std::string&, bool*, bool*) override {}
    void updateLayerFrame(const LayerFrameInfo&) override { ++layersDrawn; }
    std::weak_ptr<IRenderView> getRenderView() override { return _view; }

    void clearMediaOutput() override {}
    std::weak_ptr<IOutputLayout> addLayout(uint64_t, const std::string&, int32_t, qorva::DispatchType) override {
        return {};
    }
    std::weak_ptr<IOutputLayout> findLayout(uint64_t, int32_t) override { return {}; }
    std::vector<LayoutAttribute> getLayoutAttributes() override { return {}; }
    void deleteLayout(uint64_t, qorva::DispatchType) override {}
    void setLayoutKeep(bool) override {}
    void loadLayout(uint64_t, qorva::DispatchType, Mode) override {}
    void unLoadLayout(uint64_t, qorva::DispatchType, Mode) override {}
    void changeLayoutName(uint64_t, const std::string&, uint32_t) override {}
    void setAllLayoutProperty(uint64_t, bool, Mode, bool) override {}
    void setLayoutProperty(uint64_t, uint64_t, Mode) override {}
    void createLayoutCopy(uint64_t, uint64_t, const std::string&, Mode) override {}
    void changeLayoutLock(uint64_t, bool, Mode) override {}
    void addLayer(const std::vector<uint64_t>&, uint64_t, const std::string&) override {}
    void removeLayer(const std::vector<uint64_t>&, uint64_t, bool) override {}
    void setLayerSource(uint64_t, uint64_t, uint64_t, Mode, int32_t) override {}
    void restoreLayerSource(uint64_t, uint64_t, uint64_t, Mode) override {}
    void setMediaLayerId(uint64_t, uint64_t, Mode) override {}
    void setLayerName(uint64_t, uint64_t, const std::string&) override {}
    void addMedias(const std::vector<qorva::MediaInfo>&) override {}
    void replaceMedias(uint64_t, Mode) override {}
    void removeMedia(uint64_t, uint64_t, Mode) override {}
    void setMediaVisible(uint64_t, bool, uint32_t) override {}
    void setMediaColorProperty(const std::vector<std::pair<uint64_t, tarsel::ColorProperty>>&, const Mode&) override {}
    void setMediaDisplayCards(uint64_t, const std::vector<std::string>&, const Mode&) override {}
    void setMediaBorderProperty(const std::vector<uint64_t>&, const tarsel::BorderProperty&, const Mode&) override {}
    void setMediaPickProperty(const std::vector<uint64_t>&, const tarsel::PickProperty&, const Mode&) override {}
    void setMediaEffectProperty(const std::vector<uint64_t>&, const tarsel::EffectType&, const tarsel::EffectProperty&,
                                const Mode&) override {}
    void toggleMediaFade(const qorva::STMediaFadeInfo&) override {}
    void releaseMedias(const std::vector<qorva::MediaInfo>&) override {}
    void forceUpdateMedia(uint64_t, Mode, bool) override {}
    void syncPreeditDatas(uint64_t) override {}
    void setCurrentLayoutUsableLayerCallback(const std::function<uint64_t()>&) override {}
    void setLayerLockStateCallback(const std::function<bool(uint64_t)>&) override {}
    void setMediaPlayState(const qorva::STMediaPlayStateInfo&, int32_t) override {}
    void selectLayer(uint64_t, uint64_t) override {}
    void resetLayoutKeep() override {}
    void loadPreviewLayout() override {}

    std::atomic<int> layersDrawn{0};

private:
    std::shared_ptr<View> _view = std::make_shared<View>();
};

// A dispatch manager without dispatches: no editing events in this show.
class DispatchMgr : public IMediaDispatchMgr {
public:
    std::vector<std::weak_ptr<IDispatch>> getDispatches() override { return {}; }
    void takeCut(bool, bool) override {}
    void outputDelMedias(const std::vector<qorva::MediaInfo>&, bool) override {}
    void outputAddMedias(const std::vector<qorva::MediaInfo>&) override {}
    uint64_t getCurrentLayoutUsableLayer() override { return 0; }
    void fillRenderCtrlMgrCallBackCommon(qorva::RenderCtrlMgrCallBackCommon&) override {}
    bool getLayerLockState(uint64_t) override { return false; }
    void setLayoutName(uint64_t, const std::string&) override {}
    void setLayoutLocked(uint64_t, bool) override {}
    void getCheckLayerName(std::string&, int32_t, uint64_t, uint32_t) override {}
};

class OutputMgr : public IOutputMgr {
public:
    void startLayoutFade(const qorva::LayoutStartFadeParam&) override {}
    void stopLayoutFade(uint64_t) override {}
};
class SenderMgr : public IVirtualSenderMgr {
public:
    void updateSenderTexture(uint64_t, uint64_t) override {}
};
class PhysicsOutputMgr : public IPhysicsOutputMgr {};
class ProgramDispatch : public IProgramDispatch {
public:
    int getDispatchState(int) override { return 0; }
    void dispatchResyncSecond(int, double) override {}
    void dispatchResyncFirst(int, double) override {}
};

// Two nodes in one process: a master and a slave. Requests and the nodes' status
// signals go through one dispatcher thread, where the registered methods run.
class LocalCluster;

class LinkNode : public tarsel::link::ILinkMgr {
public:
    LinkNode(LocalCluster& cluster, tarsel::link::ServerNodeInfo info) : _cluster(cluster), _info(std::move(info)) {}

    std::vector<tarsel::link::ServerNodeInfo> getClusterNodes() override;
    tarsel::link::ServerNodeInfo getLocalNodeInfo() override { return _info; }
    const std::string& ip() const { return _info.ip; }
    void registerMethod(const std::string& method,
                        const std::function<void(std::string, std::string)>& handler) override {
        std::lock_guard lock(_mutex);
        _methods[method] = handler;
    }
    void unregisterMethod(const std::string& method) override {
        std::lock_guard lock(_mutex);
        _methods.erase(method);
    }
    void sendRequest(const tarsel::link::LinkRequest& request) override;
    void setBackupMethods(const std::vector<std::string>&) override {}
    std::vector<std::string> getBackupIps(const std::string&) override { return {}; }  // no backups

    std::function<void(std::string, std::string)> method(const std::string& name) {
        std::lock_guard lock(_mutex);
        const auto it = _methods.find(name);
        return it == _methods.end() ? nullptr : it->second;
    }
    size_t methodCount() {
        std::lock_guard lock(_mutex);
        return _methods.size();
    }

private:
    LocalCluster& _cluster;
    const tarsel::link::ServerNodeInfo _info;
    std::mutex _mutex;
    std::map<std::string, std::function<void(std::string, std::string)>> _methods;
};

class LocalCluster {
public:
    static tarsel::link::ServerNodeInfo node(tarsel::link::ServerType type, const std::string& ip) {
        tarsel::link::ServerNodeInfo info;
        info.type = static_cast<uint8_t>(type);
        info.statusA = info.statusB = info.statusC = 1;
        info.ip = ip;
        info.clusterIp = "10.0.0.100";
        return info;
    }

    explicit LocalCluster(Progress& progress) : _progress(progress) {}
    ~LocalCluster() { stop(); }

    // Runs a task on the dispatcher thread.
    void post(std::function<void()> task) {
        std::lock_guard lock(_mutex);
        _tasks.push_back(std::move(task));
        _wake.notify_one();
    }
    // A request reaches the method the receiving node registered, if any.
    void send(const LinkNode& from, const tarsel::link::LinkRequest& request) {
        const std::string fromIp = from.ip();
        for (LinkNode* to : {&master, &slave}) {
            const auto& targets = request.targets;
            const bool addressed =
                request.toMaster ? to == &master : std::count(targets.begin(), targets.end(), to->ip()) > 0;
            if (!addressed || to == &from) continue;
            post([this, to, request, fromIp] {
                if (const auto handler = to->method(request.method)) {
                    handler(request.args, fromIp);
                    if (to == &master && request.method == "40reportPort") _progress.mark(masterHeardReport);
                }
            });
        }
    }
    // Runs what was posted, then ends the dispatcher thread.
    void stop() {
        {
            std::lock_guard lock(_mutex);
            _stopping = true;
            _wake.notify_one();
        }
        if (_dispatcher.joinable()) _dispatcher.join();
    }

    LinkNode master{*this, node(tarsel::link::ServerType_Master, "10.0.0.1")};
    LinkNode slave{*this, node(tarsel::link::ServerType_Slave, "10.0.0.2")};
    std::atomic<bool> masterHeardReport{false};

private:
    void run() {
        std::unique_lock lock(_mutex);
        for (;;) {
            _wake.wait(lock, [this] { return _stopping || !_tasks.empty(); });
            if (_tasks.empty()) return;
            const auto task = std::move(_tasks.front());
            _tasks.pop_front();
            lock.unlock();
            try {
                task();
            } catch (const std::exception&) {
                // a handler's failure ends that request only
            }
            lock.lock();
        }
    }

    Progress& _progress;
    std::mutex _mutex;
    std::condition_variable _wake;
    std::deque<std::function<void()>> _tasks;
    bool _stopping = false;
    std::thread _dispatcher{[this] { run(); }};
};

inline std::vector<tarsel::link::ServerNodeInfo> LinkNode::getClusterNodes() {
    return {_cluster.master.getLocalNodeInfo(), _cluster.slave.getLocalNodeInfo()};
}
inline void LinkNode::sendRequest(const tarsel::link::LinkRequest& request) { _cluster.send(*this, request); }

}  // namespace minimalhost
