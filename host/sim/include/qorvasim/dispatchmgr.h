#pragma once
// A media dispatch manager with plain and timeline dispatches, and a program dispatch.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "qorvahost/imediadispatchmgr.h"
#include "qorvasim/calllog.h"
#include "qorvasim/pausepoints.h"

namespace qorva::sim {

using qorva::mediadispatch::LayoutAttribute;

// Keeps the callbacks a dispatch is given; the signals are the interface's.
template <class Interface>
class SimDispatchBase : public Interface {
public:
    void setLayoutPropertyCallback(std::function<std::vector<LayoutAttribute>()> callback) override {
        pausePoint("setLayoutPropertyCallback");
        std::lock_guard lock(_mutex);
        _layoutProperty = std::move(callback);
    }
    void setPatchSelectStatusCallback(std::function<bool()> callback) override {
        std::lock_guard lock(_mutex);
        _patchSelectStatus = std::move(callback);
    }
    std::function<std::vector<LayoutAttribute>()> layoutPropertyCallback() const {
        std::lock_guard lock(_mutex);
        return _layoutProperty;
    }
    std::function<bool()> patchSelectStatusCallback() const {
        std::lock_guard lock(_mutex);
        return _patchSelectStatus;
    }
    CallLog& calls() { return _calls; }

protected:
    CallLog _calls;

private:
    mutable std::mutex _mutex;
    std::function<std::vector<LayoutAttribute>()> _layoutProperty;
    std::function<bool()> _patchSelectStatus;
};

// A dispatch that is not a timeline dispatch: a dynamic cast to the timeline
// interface fails on it.
class SimPlainDispatch : public SimDispatchBase<qorva::mediadispatch::IDispatch> {};

class SimTimelineDispatch : public SimDispatchBase<qorva::mediadispatch::ITimelineDispatch> {
public:
    void deleteSelectedOutputPatch(const std::vector<uint64_t>& ids) override;
    // Answers true and records the call.
    void isSelectedOutputPatchHasMedia(const std::vector<uint64_t>& ids, bool& out) override;
};

class SimMediaDispatchMgr : public qorva::mediadispatch::IMediaDispatchMgr {
public:
    using IDispatch = qorva::mediadispatch::IDispatch;

    std::vector<std::weak_ptr<IDispatch>> getDispatches() override;
    void takeCut(bool a, bool b) override;
    void outputDelMedias(const std::vector<MediaInfo>& medias, bool flag) override;
    void outputAddMedias(const std::vector<MediaInfo>& medias) override;
    uint64_t getCurrentLayoutUsableLayer() override;
    void fillRenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackCommon& record) override;
    bool getLayerLockState(uint64_t layerId) override;
    void setLayoutName(uint64_t layoutId, const std::string& name) override;
    void setLayoutLocked(uint64_t layoutId, bool locked) override;
    void getCheckLayerName(std::string& out, int32_t index, uint64_t layerId, uint32_t layerNumber) override;

    // Adds a dispatch and announces it (sigDispatchAdded).
    void addDispatch(std::shared_ptr<IDispatch> dispatch);
    // Removes a dispatch after announcing it (sigDispatchRemoved).
    void removeDispatch(const std::shared_ptr<IDispatch>& dispatch);

    void setUsableLayer(uint64_t layer) { _usableLayer = layer; }
    void setLockedLayer(uint64_t layer) { _lockedLayer = layer; }
    // getCheckLayerName answers this name for the layer, "" for the others.
    void setCheckLayerName(uint64_t layerId, std::string name);
    CallLog& calls() { return _calls; }

private:
    std::mutex _mutex;
    std::vector<std::shared_ptr<IDispatch>> _dispatches;
    std::map<uint64_t, std::string> _checkLayerNames;
    std::atomic<uint64_t> _usableLayer{0};
    std::atomic<uint64_t> _lockedLayer{~uint64_t{0}};
    CallLog _calls;
};

class SimProgramDispatch : public qorva::mediadispatch::IProgramDispatch {
public:
    int getDispatchState(int id) override;
    void dispatchResyncSecond(int id, double time) override;
    void dispatchResyncFirst(int id, double time) override;

    void setState(int id, int state);
    CallLog& calls() { return _calls; }

private:
    std::mutex _mutex;
    std::map<int, int> _states;
    CallLog _calls;
};

}  // namespace qorva::sim
