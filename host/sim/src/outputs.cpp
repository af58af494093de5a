#include "qorvasim/outputs.h"
#include "qorvasim/pausepoints.h"

#include <fmt/format.h>

namespace qorva::sim {

void SimOutputMgr::startLayoutFade(const LayoutStartFadeParam& param) {
    pausePoint("startLayoutFade");
    _calls.record(fmt::format("startLayoutFade({},{})", param.layoutId, param.durationMs));
}

void SimOutputMgr::stopLayoutFade(uint64_t layoutId) { _calls.record(fmt::format("stopLayoutFade({})", layoutId)); }

void SimSenderMgr::updateSenderTexture(uint64_t key, uint64_t texture) {
    pausePoint("updateSenderTexture");
    ++_updates;
    {
        std::lock_guard lock(_mutex);
        _last[key] = texture;
        ++_perKey[key];
    }
    if (_recording) _calls.record(fmt::format("updateSenderTexture({},{})", key, texture));
}

std::map<uint64_t, uint64_t> SimSenderMgr::lastTextures() const {
    std::lock_guard lock(_mutex);
    return _last;
}

std::map<uint64_t, uint64_t> SimSenderMgr::updatesPerKey() const {
    std::lock_guard lock(_mutex);
    return _perKey;
}

}  // namespace qorva::sim
