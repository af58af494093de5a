#include "common/dispatchwiring.h"

#include <algorithm>
#include <utility>

namespace qorva::renderctrl {

using mediadispatch::IDispatch;

void DispatchWiring::open() {
    const std::lock_guard lock(_mutex);
    _open = true;
}

void DispatchWiring::add(const std::shared_ptr<IDispatch>& dispatch, const Visit& wire) {
    const std::lock_guard lock(_mutex);
    if (!_open) return;  // an emission that began before the unset
    wire(*dispatch);
    _wired.push_back(dispatch);
}

void DispatchWiring::remove(const std::shared_ptr<IDispatch>& dispatch, const Visit& unwire) {
    const std::lock_guard lock(_mutex);
    std::erase_if(_wired, [&](const std::weak_ptr<IDispatch>& wired) {
        const auto alive = wired.lock();
        return !alive || alive == dispatch;
    });
    unwire(*dispatch);
}

void DispatchWiring::close(std::vector<std::shared_ptr<IDispatch>> listed, const Visit& unwire) {
    const std::lock_guard lock(_mutex);
    _open = false;
    for (const auto& wired : std::exchange(_wired, {})) {
        auto alive = wired.lock();
        if (alive && std::find(listed.begin(), listed.end(), alive) == listed.end()) listed.push_back(std::move(alive));
    }
    for (const auto& dispatch : listed) unwire(*dispatch);
}

std::vector<std::shared_ptr<IDispatch>> liveDispatches(mediadispatch::IMediaDispatchMgr& mgr) {
    std::vector<std::shared_ptr<IDispatch>> live;
    for (const auto& dispatch : mgr.getDispatches())
        if (auto alive = dispatch.lock()) live.push_back(std::move(alive));
    return live;
}

}  // namespace qorva::renderctrl
