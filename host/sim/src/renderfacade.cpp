#include "qorvasim/renderfacade.h"
#include "qorvasim/pausepoints.h"

#include <fmt/format.h>

#include "qorvasim/picture.h"

namespace qorva::sim {

SimRenderFacade::SimRenderFacade(std::string cardText) : _cardText(std::move(cardText)) {}

SimRenderFacade::SimRenderFacade(std::string cardText, std::chrono::nanoseconds vblankPeriod)
    : _cardText(std::move(cardText)), _vblank(vblankPeriod) {}

std::shared_ptr<SimRenderFacade> SimRenderFacade::addCard(const std::string& text) {
    return keepCard(std::make_shared<SimRenderFacade>(text));
}

std::shared_ptr<SimRenderFacade> SimRenderFacade::addCard(const std::string& text,
                                                          std::chrono::nanoseconds vblankPeriod) {
    return keepCard(std::make_shared<SimRenderFacade>(text, vblankPeriod));
}

std::shared_ptr<SimRenderFacade> SimRenderFacade::keepCard(std::shared_ptr<SimRenderFacade> card) {
    std::lock_guard lock(_mutex);
    _cards.push_back(card);
    return card;
}

std::shared_ptr<SimRenderFacade> SimRenderFacade::card(const std::string& text) const {
    std::lock_guard lock(_mutex);
    for (const auto& c : _cards)
        if (c->cardText() == text) return c;
    return nullptr;
}

void SimRenderFacade::record(std::string call) {
    if (_recording) _calls.record(std::move(call));
}

void SimRenderFacade::render() {
    pausePoint("render", _cardText);
    std::function<void()> hook;
    {
        std::lock_guard lock(_mutex);
        hook = _renderHook;
    }
    const SpanScope span(_timing, SpanKind::Render, _timingCard);
    if (hook) hook();
    ++_renders;
    record("render()");
}

void SimRenderFacade::scaleInto(const LayerFrameInfo& info, zq::mediacore::IFrame* target, int32_t width,
                                int32_t height) {
    if (!target || !info.frame) return;
    const auto source = info.frame->kframe();
    if (!source) return;
    target->attachPicture(scalePicture(*source, width, height));
    target->setTime(info.frame->getTime());
}

void SimRenderFacade::scaleLayerFrame(LayerFrameInfo& info, zq::mediacore::IFrame* target, uint32_t width,
                                      uint32_t height, const std::string& scaleKey, bool flag) {
    pausePoint("scaleLayerFrame", _cardText);
    const SpanScope span(_timing, SpanKind::Scale, _timingCard);
    ++_scales;
    scaleInto(info, target, static_cast<int32_t>(width), static_cast<int32_t>(height));
    record(fmt::format("scaleLayerFrame({},{},{},{},{})", info.layerId, width, height, scaleKey, flag));
}

void SimRenderFacade::catchLayerFrame(LayerFrameInfo& info) {
    pausePoint("catchLayerFrame", _cardText);
    record(fmt::format("catchLayerFrame({})", info.layerId));
}

void SimRenderFacade::endFrame() {
    pausePoint("endFrame", _cardText);
    TimingRecorder* const timing = _timing;
    {
        const SpanScope span(timing, SpanKind::EndFrame, _timingCard);
        ++_endFrames;
        record("endFrame()");
    }
    if (timing) timing->passEnds(_timingCard);
}

void SimRenderFacade::scaleInputFrame(LayerFrameInfo& info, zq::mediacore::IFrame* target, int32_t width,
                                      int32_t height, const std::string& scaleKey) {
    pausePoint("scaleInputFrame", _cardText);
    const SpanScope span(_timing, SpanKind::InputScale);
    ++_scales;
    scaleInto(info, target, width, height);
    record(fmt::format("scaleInputFrame({},{},{},{})", info.layerId, width, height, scaleKey));
}

void SimRenderFacade::endInputPass() {
    pausePoint("endInputPass", _cardText);
    if (TimingRecorder* const timing = _timing) timing->inputPassEnds();
    {
        std::lock_guard lock(_inputPassMutex);
        ++_endInputPasses;
    }
    _inputPassEnded.notify_all();
    record("endInputPass()");
}

bool SimRenderFacade::awaitInputPasses(uint64_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(_inputPassMutex);
    return _inputPassEnded.wait_for(lock, timeout, [&] { return _endInputPasses >= count; });
}

void SimRenderFacade::beginInputPass() {
    pausePoint("beginInputPass", _cardText);
    if (TimingRecorder* const timing = _timing) timing->inputPassBegins();
    record("beginInputPass()");
}

void SimRenderFacade::waitForVBlank() {
    pausePoint("waitForVBlank", _cardText);
    const SpanScope span(_timing, SpanKind::VBlankWait, _timingCard);
    record("waitForVBlank()");
    _vblank.wait();
}

void SimRenderFacade::setInputMediaActive(uint64_t mediaId, bool active) {
    _calls.record(fmt::format("setInputMediaActive({},{})", mediaId, active));
}

void SimRenderFacade::getDisplayCards(std::vector<DisplayCardInfo>& out) {
    pausePoint("getDisplayCards");
    std::lock_guard lock(_mutex);
    uint32_t index = 0;
    for (const auto& c : _cards) out.push_back(DisplayCardInfo{c->cardText(), index++});
}

void SimRenderFacade::getCardRenderFacade(std::weak_ptr<IRenderFacade>& out, const DisplayCardInfo& card) {
    pausePoint("getCardRenderFacade");
    std::lock_guard lock(_mutex);
    if (card.adapterIndex < _cards.size()) out = _cards[card.adapterIndex];
}

void SimRenderFacade::getOutputTextures(const std::string& cardName, std::map<uint64_t, uint64_t>& out) {
    pausePoint("getOutputTextures", cardName);
    const SpanScope span(_timing, SpanKind::OutputTextures, _timingCard);
    std::lock_guard lock(_mutex);
    out = _textures;
    record(fmt::format("getOutputTextures({})", cardName));
}

void SimRenderFacade::setTimingRecorder(TimingRecorder* recorder, int32_t card) {
    _timingCard = card;
    _timing = recorder;
}

void SimRenderFacade::setOutputTextures(std::map<uint64_t, uint64_t> textures) {
    std::lock_guard lock(_mutex);
    _textures = std::move(textures);
}

void SimRenderFacade::setRenderHook(std::function<void()> hook) {
    std::lock_guard lock(_mutex);
    _renderHook = std::move(hook);
}

}  // namespace qorva::sim
