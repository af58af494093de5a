#pragma once
// The render facade: one lists the display cards, each card has one of its own.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sigslot/signal.hpp>

#include "qorvahost/export.h"
#include "qorvahost/zqmediacore.h"

namespace qorva::mediaoutput {

// One display card. The card text reads like "#0(NVIDIA RTX A4000)": a leading
// character, the card index, "(", the card name, a closing character.
struct DisplayCardInfo {
    std::string text;
    uint32_t adapterIndex = 0;
};

// The record of one drawn layer; field order and widths are part of the contract.
struct LayerFrameInfo {
    uint64_t firstId = 0;
    uint64_t secondId = 0;
    uint64_t layerId = 0;
    uint64_t fourthId = 0;
    uint8_t isStatic = 0;
    uint8_t noNewFrame = 0;
    zq::mediacore::IFrame* frame = nullptr;
    float x = 0.f;
    float y = 0.f;
    float width = 1920.f;
    float height = 1080.f;
    uint32_t layerNumber = 0;
    uint64_t fps = 0;
    std::string scaleKey;
    uint32_t syncValue = 0;
    uint32_t syncTag = 0;
};

class QORVAHOST_INTERFACE IRenderFacade {
public:
    virtual ~IRenderFacade() = default;

    virtual void render() = 0;
    virtual void scaleLayerFrame(LayerFrameInfo& info, zq::mediacore::IFrame* target, uint32_t width, uint32_t height,
                                 const std::string& scaleKey, bool flag) = 0;
    virtual void catchLayerFrame(LayerFrameInfo& info) = 0;
    virtual void endFrame() = 0;
    virtual void scaleInputFrame(LayerFrameInfo& info, zq::mediacore::IFrame* target, int32_t width, int32_t height,
                                 const std::string& scaleKey) = 0;
    virtual void endInputPass() = 0;
    virtual void beginInputPass() = 0;
    virtual void waitForVBlank() = 0;
    virtual void setInputMediaActive(uint64_t mediaId, bool active) = 0;
    virtual void getDisplayCards(std::vector<DisplayCardInfo>& out) = 0;
    virtual void getCardRenderFacade(std::weak_ptr<IRenderFacade>& out, const DisplayCardInfo& card) = 0;
    virtual void getOutputTextures(const std::string& cardName, std::map<uint64_t, uint64_t>& out) = 0;

    // The card cannot wait for its vertical blank.
    sigslot::signal<> vblankUnavailable;
};

}  // namespace qorva::mediaoutput
