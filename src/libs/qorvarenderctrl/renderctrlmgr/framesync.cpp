// The frame sync library: loading it, its object, its settings, link targets, master
// time and the frame time distribution.
#include <cstdio>
#include <string>
#include <utility>

#include "common/log.h"
#include "common/platform.h"
#include "renderctrlmgr/renderctrlmgr_impl.h"

namespace qorva::mediadispatch {

namespace {

constexpr const char* kFrameSyncLibrary = "./zqframesync.dll";
constexpr const char* kFrameSyncVersion = "1.0.5";
constexpr int kFrameSyncTimerMs = 5000;

// Loaded once per process, never retried after a failure and never unloaded: the
// library's threads may run until the process ends.
CreateFrameSyncFunc frameSyncEntryPoint() {
    static void* const module = renderctrl::platform::openLibrary(kFrameSyncLibrary);
    return reinterpret_cast<CreateFrameSyncFunc>(renderctrl::platform::findSymbol(module, "createFrameSync"));
}

// printf-style, into a string of the size needed.
std::string printfText(const char* text) {
    const char* safe = text ? text : "";
    const int size = std::snprintf(nullptr, 0, "[FrameSync] %s", safe);
    if (size <= 0) return {};
    std::string out(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(out.data(), out.size(), "[FrameSync] %s", safe);
    out.resize(static_cast<size_t>(size));
    return out;
}

}  // namespace

// The frame sync library's log callback: its levels 1, 2 and 3 are info, warn and err;
// other levels are not logged.
void FSLogCallbackFunc(int level, const char* text) {
    int logLevel = 0;
    switch (level) {
        case 1:
            logLevel = renderctrl::log::Info;
            break;
        case 2:
            logLevel = renderctrl::log::Warn;
            break;
        case 3:
            logLevel = renderctrl::log::Err;
            break;
        default:
            return;
    }
    QRC_LOG(logLevel, "{}", printfText(text));
}

void RenderCtrlMgr::Impl::createFrameSync() {
    tarsel::IMediaMgr* mediaMgr = _mediaMgr;
    if (!mediaMgr) {
        QRC_WARN("_mediaMgr is null");
        return;
    }
    void* codexCtx = mediaMgr->getFrameSyncCodexCtx();
    if (!codexCtx) {
        QRC_WARN("frameSyncCodexCtx is null");
        return;
    }
    // A module without the entry point counts as a failed load.
    const CreateFrameSyncFunc entryPoint = frameSyncEntryPoint();
    IFrameSync* frameSync = nullptr;
    if (entryPoint)
        frameSync = entryPoint(&FSLogCallbackFunc, kFrameSyncVersion);
    else
        std::printf("framesync load failed\n");
    // An earlier object is replaced, not destroyed: every call makes a new one. The
    // earlier one is kept, to be ended with the newest, before the render contexts its
    // thread calls go.
    {
        std::unique_lock lock(frameSyncMutex);
        if (_frameSync) replacedFrameSyncs.push_back(_frameSync);
        _frameSync = frameSync;
    }
    if (!frameSync) return;
    frameSync->init(0, 0, codexCtx, 0, nullptr);
    mediaMgr->setFrameSync(frameSync);
}

void RenderCtrlMgr::Impl::setFrameSyncCheckLayerIndex(int32_t index) {
    std::shared_lock lock(renderCtrlsMutex);
    walkControllers([&](const std::string&, RenderCtrl& c) { c.setFrameSyncCheckLayerIndex(index); });
    frameSyncCheckLayerIndex = index;
}

void RenderCtrlMgr::Impl::setFrameSyncFlag(bool flag) {
    const auto controller = _frameSyncRenderCtrl.lock();
    if (!controller) {
        QRC_WARN("_frameSyncRenderCtrl is null");
        return;
    }
    controller->setFrameSyncFlag(flag);
}

bool RenderCtrlMgr::Impl::linkTarget(const char* ip, int port) {
    QRC_INFO("Link linkTarget ip:{}", ip ? ip : "");
    std::shared_lock lock(frameSyncMutex);
    IFrameSync* frameSync = _frameSync;
    if (!frameSync) {
        QRC_INFO("_impl->_frameSync is null.");
        return false;
    }
    return frameSync->linkTarget(ip, port);
}

bool RenderCtrlMgr::Impl::dislinkTarget(const char* ip, int port) {
    QRC_INFO("Link dislinkTarget ip:{}", ip ? ip : "");
    std::shared_lock lock(frameSyncMutex);
    IFrameSync* frameSync = _frameSync;
    if (!frameSync) {
        QRC_INFO("_impl->_frameSync is null.");
        return false;
    }
    return frameSync->dislinkTarget(ip, port);
}

bool RenderCtrlMgr::Impl::keepMasterTime(bool isClear) {
    QRC_INFO("Link keepMasterTime isClear:{}", isClear);
    std::shared_lock lock(frameSyncMutex);
    IFrameSync* frameSync = _frameSync;
    if (!frameSync) {
        QRC_INFO("_impl->_frameSync is null.");
        return false;
    }
    return frameSync->keepMasterTime(isClear);
}

int RenderCtrlMgr::Impl::getNetPort() {
    std::shared_lock lock(frameSyncMutex);
    IFrameSync* frameSync = _frameSync;
    if (!frameSync) {
        QRC_INFO("_impl->_frameSync is null.");
        return 0;
    }
    return frameSync->getNetPort();
}

// Logs every card's frame times every 5000 ms on the runtime's timer thread. The timer
// holds only a weak reference to this Impl, and release(), unsetZQRuntime() and the
// destructor stop it, so no tick ever runs on a manager that is gone.
void RenderCtrlMgr::Impl::startFrameSyncTimer() {
    auto tick = [weak = weak_from_this()](int) {
        const auto self = weak.lock();
        if (!self) return;
        self->forEachController([](const std::string& card, RenderCtrl& controller) {
            double frameTime = 0.0;
            double getFrameTime = 0.0;
            controller.getFrameTimes(frameTime, getFrameTime);
            QRC_INFO("[framesync_mulcard] {} {} {}", card, frameTime, getFrameTime);
        });
    };
    // The runtime read under the lock stays set until the timer's id is kept, where
    // unsetZQRuntime finds it. Holding the lock across startTimer and stopTimer is safe:
    // the runtime only registers or drops a timer there, its callbacks run later on its
    // own thread, and a tick never takes this lock.
    std::lock_guard lock(runtimeMutex);
    tarsel::IZQRuntime* runtime = _zqRuntime;
    if (!runtime) return;
    // Started again, it replaces the timer it started before.
    const int previous = frameSyncTimerId.exchange(runtime->startTimer(kFrameSyncTimerMs, tick, -1));
    if (previous != -1) runtime->stopTimer(previous);
}

// The media manager keeps the pointers it was handed until the host detaches it
// (unsetMediaMgr). It is not handed a null object here: its interface has no call that
// withdraws one, and a null object would be a call that a host keeping the calling order
// never got before. Every object handed to it stays alive until release, replaced ones
// included; the host does not use them after that.
void RenderCtrlMgr::Impl::destroyFrameSync() {
    const bool onFrameSyncThread = FrameSyncRenderCtx::onFrameSyncThread();
    std::vector<IFrameSync*> objects;
    std::vector<std::unique_ptr<FrameSyncEnd>> finished;
    {
        std::unique_lock lock(frameSyncMutex);
        objects = std::exchange(replacedFrameSyncs, {});
        if (_frameSync) objects.push_back(std::exchange(_frameSync, nullptr));
        if (!onFrameSyncThread) finished.swap(frameSyncEnds);
    }
    // A frame sync library cannot end itself on its own thread.
    if (onFrameSyncThread) {
        if (objects.empty()) return;
        auto end = std::make_unique<FrameSyncEnd>(std::move(objects), frameSyncRenderCtxs);
        std::unique_lock lock(frameSyncMutex);
        frameSyncEnds.push_back(std::move(end));
        return;
    }
    finished.clear();  // waits for the ends begun on that thread
    for (IFrameSync* frameSync : objects) frameSync->destroy();
}

// The id is taken under the lock, so each timer is stopped once, outside it.
void RenderCtrlMgr::Impl::stopFrameSyncTimer() {
    int id = -1;
    tarsel::IZQRuntime* runtime = nullptr;
    {
        std::lock_guard lock(runtimeMutex);
        id = frameSyncTimerId.exchange(-1);
        runtime = _zqRuntime;
    }
    if (id != -1 && runtime) runtime->stopTimer(id);
}

// The host's new frame time: every controller asks its players for frames at it from
// its next pass on.
void RenderCtrlMgr::Impl::updateGetFrameTime(double time) {
    forEachController([&](const std::string&, RenderCtrl& c) { c.updateGetFrameTime(time); });
}

}  // namespace qorva::mediadispatch
