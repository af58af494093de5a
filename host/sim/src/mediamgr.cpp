#include "qorvasim/mediamgr.h"
#include "qorvasim/pausepoints.h"

#include <fmt/format.h>

#include "qorvasim/picture.h"

namespace qorva::sim {

namespace {
int codecContextToken = 0;
}

SimMeta::SimMeta(std::string id, std::string url, int32_t sourceType)
    : _id(std::move(id)), _url(std::move(url)), _sourceType(sourceType) {}

std::shared_ptr<zq::mediacore::IFrame> SimMeta::getCurrentFrame() {
    std::lock_guard lock(_mutex);
    return _current;
}

std::shared_ptr<zq::mediacore::IFrame> SimMeta::getOrgThumbFrame() {
    std::lock_guard lock(_mutex);
    return _orgThumb;
}

void SimMeta::destroyOrgThumbnail() { ++_destroyed; }

void SimMeta::setCurrentFrame(std::shared_ptr<zq::mediacore::IFrame> frame) {
    std::lock_guard lock(_mutex);
    _current = std::move(frame);
}

void SimMeta::setOrgThumbFrame(std::shared_ptr<zq::mediacore::IFrame> frame) {
    std::lock_guard lock(_mutex);
    _orgThumb = std::move(frame);
}

SimPlayer::SimPlayer(Options options)
    : _options(std::move(options)),
      _meta(std::make_shared<SimMeta>(_options.name, _options.url, _options.sourceType)) {}

zq::mediacore::IFrame* SimPlayer::getFrame(double clock) {
    pausePoint("getFrame");
    _lastClock = clock;
    if (!_live) return nullptr;
    const uint64_t number = ++_framesMade;
    auto frame = std::make_unique<zq::mediacore::IFrame>();
    frame->attachPicture(makeTestPattern(_options.width, _options.height, number, _options.rgba, _options.name));
    frame->setFps(_options.fps);
    frame->setTime(clock);
    std::lock_guard lock(_mutex);
    _outstanding.push_back(std::move(frame));
    return _outstanding.back().get();
}

void SimPlayer::frameConsumed() {
    pausePoint("frameConsumed");
    ++_framesConsumed;
    std::lock_guard lock(_mutex);
    if (!_outstanding.empty()) _outstanding.pop_front();
}

SimMediaMgr::SimMediaMgr() : _codecCtx(&codecContextToken) {}

void SimMediaMgr::getInputSources(std::vector<tarsel::InputSourceItem>& out, const std::string& cardName,
                                  bool /*flag*/) {
    pausePoint("getInputSources", cardName);
    const SpanScope span(_timing, SpanKind::PlayersFetched);
    std::lock_guard lock(_mutex);
    const auto it = _items.find(cardName);
    if (it != _items.end()) out = it->second;
}

void SimMediaMgr::notifyMediaUpdateDisplayCards(const std::multimap<uint64_t, tarsel::EditingMode>& medias) {
    _calls.record(fmt::format("notifyMediaUpdateDisplayCards({})", medias.size()));
}

void SimMediaMgr::setFrameSync(IFrameSync* frameSync) {
    pausePoint("setFrameSync");
    _frameSync = frameSync;
    _calls.record("setFrameSync()");
}

void SimMediaMgr::mediaMgrDetached() {
    pausePoint("mediaMgrDetached");
    _calls.record("mediaMgrDetached()");
}

void SimMediaMgr::notifyMasterRole(bool master) {
    pausePoint("notifyMasterRole");
    _calls.record(fmt::format("notifyMasterRole({})", master));
}

void SimMediaMgr::setMasterFrameTime(const std::string& layerName, double time) {
    pausePoint("setMasterFrameTime");
    _calls.record(fmt::format("setMasterFrameTime({},{})", layerName, time));
}

void SimMediaMgr::setInputSources(const std::string& cardName, std::vector<tarsel::InputSourceItem> items) {
    std::lock_guard lock(_mutex);
    _items[cardName] = std::move(items);
}

std::vector<tarsel::InputSourceItem> SimMediaMgr::inputSources(const std::string& cardName) const {
    std::lock_guard lock(_mutex);
    const auto it = _items.find(cardName);
    return it == _items.end() ? std::vector<tarsel::InputSourceItem>{} : it->second;
}

}  // namespace qorva::sim
