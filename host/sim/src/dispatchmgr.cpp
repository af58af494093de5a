#include "qorvasim/dispatchmgr.h"
#include "qorvasim/pausepoints.h"

#include <algorithm>

#include <fmt/format.h>
#include <fmt/ranges.h>

namespace qorva::sim {

void SimTimelineDispatch::deleteSelectedOutputPatch(const std::vector<uint64_t>& ids) {
    _calls.record(fmt::format("deleteSelectedOutputPatch([{}])", fmt::join(ids, ",")));
}

void SimTimelineDispatch::isSelectedOutputPatchHasMedia(const std::vector<uint64_t>& ids, bool& out) {
    out = true;
    _calls.record(fmt::format("isSelectedOutputPatchHasMedia([{}])", fmt::join(ids, ",")));
}

std::vector<std::weak_ptr<qorva::mediadispatch::IDispatch>> SimMediaDispatchMgr::getDispatches() {
    pausePoint("getDispatches");
    std::lock_guard lock(_mutex);
    return {_dispatches.begin(), _dispatches.end()};
}

void SimMediaDispatchMgr::takeCut(bool a, bool b) { _calls.record(fmt::format("takeCut({},{})", a, b)); }

void SimMediaDispatchMgr::outputDelMedias(const std::vector<MediaInfo>& medias, bool flag) {
    _calls.record(fmt::format("outputDelMedias({},{})", medias.size(), flag));
}

void SimMediaDispatchMgr::outputAddMedias(const std::vector<MediaInfo>& medias) {
    _calls.record(fmt::format("outputAddMedias({})", medias.size()));
}

uint64_t SimMediaDispatchMgr::getCurrentLayoutUsableLayer() {
    _calls.record("getCurrentLayoutUsableLayer()");
    return _usableLayer;
}

void SimMediaDispatchMgr::fillRenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackCommon& record) {
    _calls.record(fmt::format("fillRenderCtrlMgrCallBackCommon({},{},{})", static_cast<int>(record.type), record.value0,
                              record.value1));
    record.value0 = 11;
    record.value1 = 22;
}

bool SimMediaDispatchMgr::getLayerLockState(uint64_t layerId) {
    _calls.record(fmt::format("getLayerLockState({})", layerId));
    return layerId == _lockedLayer;
}

void SimMediaDispatchMgr::setLayoutName(uint64_t layoutId, const std::string& name) {
    _calls.record(fmt::format("setLayoutName({},{})", layoutId, name));
}

void SimMediaDispatchMgr::setLayoutLocked(uint64_t layoutId, bool locked) {
    _calls.record(fmt::format("setLayoutLocked({},{})", layoutId, locked));
}

void SimMediaDispatchMgr::getCheckLayerName(std::string& out, int32_t index, uint64_t layerId, uint32_t layerNumber) {
    pausePoint("getCheckLayerName");
    std::lock_guard lock(_mutex);
    const auto it = _checkLayerNames.find(layerId);
    out = it == _checkLayerNames.end() ? std::string() : it->second;
    _calls.record(fmt::format("getCheckLayerName({},{},{})", index, layerId, layerNumber));
}

void SimMediaDispatchMgr::addDispatch(std::shared_ptr<IDispatch> dispatch) {
    {
        std::lock_guard lock(_mutex);
        _dispatches.push_back(dispatch);
    }
    sigDispatchAdded(std::weak_ptr<IDispatch>(dispatch));
}

void SimMediaDispatchMgr::removeDispatch(const std::shared_ptr<IDispatch>& dispatch) {
    sigDispatchRemoved(std::weak_ptr<IDispatch>(dispatch));
    std::lock_guard lock(_mutex);
    _dispatches.erase(std::remove(_dispatches.begin(), _dispatches.end(), dispatch), _dispatches.end());
}

void SimMediaDispatchMgr::setCheckLayerName(uint64_t layerId, std::string name) {
    std::lock_guard lock(_mutex);
    _checkLayerNames[layerId] = std::move(name);
}

int SimProgramDispatch::getDispatchState(int id) {
    pausePoint("getDispatchState");
    std::lock_guard lock(_mutex);
    const auto it = _states.find(id);
    return it == _states.end() ? 0 : it->second;
}

void SimProgramDispatch::dispatchResyncSecond(int id, double time) {
    _calls.record(fmt::format("dispatchResyncSecond({},{})", id, time));
}

void SimProgramDispatch::dispatchResyncFirst(int id, double time) {
    _calls.record(fmt::format("dispatchResyncFirst({},{})", id, time));
}

void SimProgramDispatch::setState(int id, int state) {
    std::lock_guard lock(_mutex);
    _states[id] = state;
}

}  // namespace qorva::sim
