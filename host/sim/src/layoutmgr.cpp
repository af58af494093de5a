#include "qorvasim/layoutmgr.h"
#include "qorvasim/pausepoints.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

namespace qorva::sim {

namespace {

class SimLayout : public qorva::mediaoutput::IOutputLayout {
public:
    explicit SimLayout(uint64_t id) : _id(id) {}
    uint64_t id() const override { return _id; }

private:
    uint64_t _id;
};

int m(tarsel::EditingMode mode) { return static_cast<int>(mode); }
int t(DispatchType type) { return static_cast<int>(type); }

std::string ids(const std::vector<uint64_t>& v) { return fmt::format("[{}]", fmt::join(v, ",")); }

std::string medias(const std::vector<MediaInfo>& v) {
    std::vector<uint64_t> mediaIds;
    for (const auto& info : v) mediaIds.push_back(info.mediaId);
    return ids(mediaIds);
}

}  // namespace

// Render view.

void SimRenderView::setCurrentLayoutUsableLayerCallback(const std::function<uint64_t()>& callback) {
    std::lock_guard lock(_mutex);
    _usableLayer = callback;
    _calls.record(fmt::format("setCurrentLayoutUsableLayerCallback({})", static_cast<bool>(callback)));
}

void SimRenderView::setRenderCtrlMgrCallBackCommon(
    const std::function<RenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackType)>& callback) {
    std::lock_guard lock(_mutex);
    _common = callback;
    _calls.record(fmt::format("setRenderCtrlMgrCallBackCommon({})", static_cast<bool>(callback)));
}

void SimRenderView::setLayerLockStateCallback(const std::function<bool(uint64_t)>& callback) {
    std::lock_guard lock(_mutex);
    _lockState = callback;
    _calls.record(fmt::format("setLayerLockStateCallback({})", static_cast<bool>(callback)));
}

std::vector<std::shared_ptr<qorva::mediaoutput::IOutputPatch>> SimRenderView::getSelectedPatches() {
    std::vector<std::shared_ptr<qorva::mediaoutput::IOutputPatch>> patches;
    for (size_t i = 0; i < _selectedPatches; ++i)
        patches.push_back(std::make_shared<qorva::mediaoutput::IOutputPatch>());
    return patches;
}

std::function<uint64_t()> SimRenderView::usableLayerCallback() const {
    std::lock_guard lock(_mutex);
    return _usableLayer;
}

std::function<bool(uint64_t)> SimRenderView::layerLockStateCallback() const {
    std::lock_guard lock(_mutex);
    return _lockState;
}

std::function<RenderCtrlMgrCallBackCommon(RenderCtrlMgrCallBackType)> SimRenderView::callBackCommon() const {
    std::lock_guard lock(_mutex);
    return _common;
}

// Layout manager.

SimLayoutMgr::SimLayoutMgr() : _renderView(std::make_shared<SimRenderView>()) {}

void SimLayoutMgr::clearMediaOutput() { _calls.record("clearMediaOutput()"); }

std::weak_ptr<qorva::mediaoutput::IOutputLayout> SimLayoutMgr::addLayout(uint64_t layoutId, const std::string& name,
                                                                         int32_t index, DispatchType type) {
    _calls.record(fmt::format("addLayout({},{},{},{})", layoutId, name, index, t(type)));
    std::lock_guard lock(_mutex);
    auto& layout = _layouts[layoutId];
    if (!layout) layout = std::make_shared<SimLayout>(layoutId);
    return layout;
}

std::weak_ptr<qorva::mediaoutput::IOutputLayout> SimLayoutMgr::findLayout(uint64_t layoutId, int32_t index) {
    _calls.record(fmt::format("findLayout({},{})", layoutId, index));
    std::lock_guard lock(_mutex);
    const auto it = _layouts.find(layoutId);
    return it == _layouts.end() ? std::weak_ptr<qorva::mediaoutput::IOutputLayout>() : it->second;
}

std::vector<qorva::mediaoutput::LayoutAttribute> SimLayoutMgr::getLayoutAttributes() {
    _calls.record("getLayoutAttributes()");
    std::lock_guard lock(_mutex);
    std::vector<qorva::mediaoutput::LayoutAttribute> attributes;
    for (const auto& [id, layout] : _layouts) attributes.push_back({id, false, true});
    return attributes;
}

void SimLayoutMgr::deleteLayout(uint64_t layoutId, DispatchType type) {
    _calls.record(fmt::format("deleteLayout({},{})", layoutId, t(type)));
    std::lock_guard lock(_mutex);
    _layouts.erase(layoutId);
}

void SimLayoutMgr::setLayoutKeep(bool keep) { _calls.record(fmt::format("setLayoutKeep({})", keep)); }

void SimLayoutMgr::loadLayout(uint64_t layoutId, DispatchType type, EditingMode mode) {
    pausePoint("loadLayout");
    _calls.record(fmt::format("loadLayout({},{},{})", layoutId, t(type), m(mode)));
}

void SimLayoutMgr::unLoadLayout(uint64_t layoutId, DispatchType type, EditingMode mode) {
    pausePoint("unLoadLayout");
    _calls.record(fmt::format("unLoadLayout({},{},{})", layoutId, t(type), m(mode)));
}

void SimLayoutMgr::changeLayoutName(uint64_t layoutId, const std::string& name, uint32_t flags) {
    _calls.record(fmt::format("changeLayoutName({},{},{})", layoutId, name, flags));
}

void SimLayoutMgr::setAllLayoutProperty(uint64_t id, bool flag, EditingMode mode, bool extra) {
    _calls.record(fmt::format("setAllLayoutProperty({},{},{},{})", id, flag, m(mode), extra));
}

void SimLayoutMgr::setLayoutProperty(uint64_t a, uint64_t b, EditingMode mode) {
    _calls.record(fmt::format("setLayoutProperty({},{},{})", a, b, m(mode)));
}

void SimLayoutMgr::createLayoutCopy(uint64_t a, uint64_t b, const std::string& name, EditingMode mode) {
    _calls.record(fmt::format("createLayoutCopy({},{},{},{})", a, b, name, m(mode)));
}

void SimLayoutMgr::changeLayoutLock(uint64_t layoutId, bool lock, EditingMode mode) {
    _calls.record(fmt::format("changeLayoutLock({},{},{})", layoutId, lock, m(mode)));
}

void SimLayoutMgr::addLayer(const std::vector<uint64_t>& layerIds, uint64_t id, const std::string& name) {
    pausePoint("addLayer");
    _calls.record(fmt::format("addLayer({},{},{})", ids(layerIds), id, name));
}

void SimLayoutMgr::removeLayer(const std::vector<uint64_t>& layerIds, uint64_t item, bool flag) {
    _calls.record(fmt::format("removeLayer({},{},{})", ids(layerIds), item, flag));
}

void SimLayoutMgr::setLayerSource(uint64_t layoutId, uint64_t layerId, uint64_t mediaId, EditingMode mode,
                                  int32_t value) {
    _calls.record(fmt::format("setLayerSource({},{},{},{},{})", layoutId, layerId, mediaId, m(mode), value));
}

void SimLayoutMgr::restoreLayerSource(uint64_t layoutId, uint64_t layerId, uint64_t mediaId, EditingMode mode) {
    _calls.record(fmt::format("restoreLayerSource({},{},{},{})", layoutId, layerId, mediaId, m(mode)));
}

void SimLayoutMgr::setMediaLayerId(uint64_t mediaId, uint64_t layerId, EditingMode mode) {
    _calls.record(fmt::format("setMediaLayerId({},{},{})", mediaId, layerId, m(mode)));
}

void SimLayoutMgr::setLayerName(uint64_t first, uint64_t id, const std::string& name) {
    _calls.record(fmt::format("setLayerName({},{},{})", first, id, name));
}

void SimLayoutMgr::addMedias(const std::vector<MediaInfo>& v) {
    _calls.record(fmt::format("addMedias({})", medias(v)));
}

void SimLayoutMgr::replaceMedias(uint64_t id, EditingMode mode) {
    _calls.record(fmt::format("replaceMedias({},{})", id, m(mode)));
}

void SimLayoutMgr::removeMedia(uint64_t a, uint64_t b, EditingMode mode) {
    _calls.record(fmt::format("removeMedia({},{},{})", a, b, m(mode)));
}

void SimLayoutMgr::setMediaVisible(uint64_t mediaId, bool visible, uint32_t flags) {
    pausePoint("setMediaVisible");
    _calls.record(fmt::format("setMediaVisible({},{},{})", mediaId, visible, flags));
}

void SimLayoutMgr::setMediaColorProperty(const std::vector<std::pair<uint64_t, tarsel::ColorProperty>>& colors,
                                         const EditingMode& mode) {
    _calls.record(fmt::format("setMediaColorProperty({},{})", colors.size(), m(mode)));
}

void SimLayoutMgr::setMediaDisplayCards(uint64_t id, const std::vector<std::string>& cards, const EditingMode& mode) {
    _calls.record(fmt::format("setMediaDisplayCards({},[{}],{})", id, fmt::join(cards, ","), m(mode)));
}

void SimLayoutMgr::setMediaBorderProperty(const std::vector<uint64_t>& layerIds, const tarsel::BorderProperty& border,
                                          const EditingMode& mode) {
    _calls.record(fmt::format("setMediaBorderProperty({},{},{})", ids(layerIds), border.width, m(mode)));
}

void SimLayoutMgr::setMediaPickProperty(const std::vector<uint64_t>& layerIds, const tarsel::PickProperty& pick,
                                        const EditingMode& mode) {
    _calls.record(fmt::format("setMediaPickProperty({},{},{})", ids(layerIds), pick.color, m(mode)));
}

void SimLayoutMgr::setMediaEffectProperty(const std::vector<uint64_t>& layerIds, const tarsel::EffectType& type,
                                          const tarsel::EffectProperty& effect, const EditingMode& mode) {
    _calls.record(fmt::format("setMediaEffectProperty({},{},{},{})", ids(layerIds), static_cast<int>(type),
                              effect.strength, m(mode)));
}

void SimLayoutMgr::toggleMediaFade(const STMediaFadeInfo& fade) {
    pausePoint("toggleMediaFade");
    _calls.record(fmt::format("toggleMediaFade({},{})", fade.mediaId, fade.durationMs));
}

void SimLayoutMgr::updateLayerFrame(const LayerFrameInfo& info) {
    pausePoint("updateLayerFrame");
    TimingRecorder* const timing = _timing;
    const SpanScope span(timing, SpanKind::UpdateLayerFrame);
    if (timing && info.syncValue != 0) timing->sawFrameSyncValue();
    {
        std::lock_guard lock(_mutex);
        ++_framesPerLayer[info.layerId];
        _syncValues[info.layerId] = info.syncValue;
    }
    if (!_recordFrames) return;
    const std::string frame =
        info.frame ? fmt::format("{}x{}", info.frame->getWidth(), info.frame->getHeight()) : std::string("null");
    _calls.record(fmt::format("updateLayerFrame({},{},static={},noNew={},{})", info.layerId, info.layerNumber,
                              info.isStatic, info.noNewFrame, frame));
}

void SimLayoutMgr::releaseMedias(const std::vector<MediaInfo>& v) {
    _calls.record(fmt::format("releaseMedias({})", medias(v)));
}

void SimLayoutMgr::forceUpdateMedia(uint64_t id, EditingMode mode, bool flag) {
    _calls.record(fmt::format("forceUpdateMedia({},{},{})", id, m(mode), flag));
}

void SimLayoutMgr::syncPreeditDatas(uint64_t id) { _calls.record(fmt::format("syncPreeditDatas({})", id)); }

void SimLayoutMgr::setCurrentLayoutUsableLayerCallback(const std::function<uint64_t()>& callback) {
    std::lock_guard lock(_mutex);
    _usableLayer = callback;
    _calls.record(fmt::format("setCurrentLayoutUsableLayerCallback({})", static_cast<bool>(callback)));
}

void SimLayoutMgr::setLayerLockStateCallback(const std::function<bool(uint64_t)>& callback) {
    std::lock_guard lock(_mutex);
    _lockState = callback;
    _calls.record(fmt::format("setLayerLockStateCallback({})", static_cast<bool>(callback)));
}

std::weak_ptr<qorva::mediaoutput::IRenderView> SimLayoutMgr::getRenderView() {
    pausePoint("getRenderView");
    std::lock_guard lock(_mutex);
    return _renderView;
}

void SimLayoutMgr::setMediaPlayState(const STMediaPlayStateInfo& info, int32_t state) {
    _calls.record(fmt::format("setMediaPlayState({},{})", info.mediaId, state));
}

void SimLayoutMgr::selectLayer(uint64_t a, uint64_t b) { _calls.record(fmt::format("selectLayer({},{})", a, b)); }

void SimLayoutMgr::resetLayoutKeep() { _calls.record("resetLayoutKeep()"); }

void SimLayoutMgr::loadPreviewLayout() { _calls.record("loadPreviewLayout()"); }

void SimLayoutMgr::getOutputLayerSizes(std::list<OutputLayerSize>& out, const std::string& cardName, bool* changed,
                                       bool* minSizeExempt) {
    pausePoint("getOutputLayerSizes", cardName);
    TimingRecorder* const timing = _timing;
    if (timing) timing->passBegins(timing->cardNumber(cardName));
    const SpanScope span(timing, SpanKind::LayerSizes);
    std::lock_guard lock(_mutex);
    ++_sizeQueries[cardName];
    auto it = _sizes.find(cardName);
    if (it == _sizes.end() || !it->second.pending) return;
    out = it->second.sizes;
    *changed = true;
    *minSizeExempt = it->second.exempt;
    it->second.pending = false;
}

void SimLayoutMgr::setLayerSizes(const std::string& cardName, std::list<OutputLayerSize> sizes, bool minSizeExempt) {
    std::lock_guard lock(_mutex);
    _sizes[cardName] = CardSizes{std::move(sizes), minSizeExempt, true};
}

void SimLayoutMgr::setRenderView(std::shared_ptr<SimRenderView> view) {
    std::lock_guard lock(_mutex);
    _renderView = std::move(view);
}

std::shared_ptr<SimRenderView> SimLayoutMgr::renderView() const {
    std::lock_guard lock(_mutex);
    return _renderView;
}

uint64_t SimLayoutMgr::layerSizeQueries(const std::string& cardName) const {
    std::lock_guard lock(_mutex);
    const auto it = _sizeQueries.find(cardName);
    return it == _sizeQueries.end() ? 0 : it->second;
}

uint32_t SimLayoutMgr::lastSyncValue(uint64_t layerId) const {
    std::lock_guard lock(_mutex);
    const auto it = _syncValues.find(layerId);
    return it == _syncValues.end() ? 0 : it->second;
}

std::map<uint64_t, uint64_t> SimLayoutMgr::framesPerLayer() const {
    std::lock_guard lock(_mutex);
    return _framesPerLayer;
}

std::function<uint64_t()> SimLayoutMgr::usableLayerCallback() const {
    std::lock_guard lock(_mutex);
    return _usableLayer;
}

std::function<bool(uint64_t)> SimLayoutMgr::layerLockStateCallback() const {
    std::lock_guard lock(_mutex);
    return _lockState;
}

}  // namespace qorva::sim
