#pragma once
// A software render facade. The root facade lists the display cards; each card is a
// facade of its own with a vertical blank, counters and a record of its calls.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "qorvahost/irenderfacade.h"
#include "qorvasim/calllog.h"
#include "qorvasim/timing.h"
#include "qorvasim/vblank.h"

namespace qorva::sim {

class SimRenderFacade : public qorva::mediaoutput::IRenderFacade {
public:
    using LayerFrameInfo = qorva::mediaoutput::LayerFrameInfo;
    using DisplayCardInfo = qorva::mediaoutput::DisplayCardInfo;

    explicit SimRenderFacade(std::string cardText = {});
    SimRenderFacade(std::string cardText, std::chrono::nanoseconds vblankPeriod);

    // Root facade: adds a display card with this text and returns its facade.
    std::shared_ptr<SimRenderFacade> addCard(const std::string& text);
    // The same with a vertical blank of another rate than 60 Hz.
    std::shared_ptr<SimRenderFacade> addCard(const std::string& text, std::chrono::nanoseconds vblankPeriod);
    std::shared_ptr<SimRenderFacade> card(const std::string& text) const;
    const std::string& cardText() const { return _cardText; }

    void render() override;
    void scaleLayerFrame(LayerFrameInfo& info, zq::mediacore::IFrame* target, uint32_t width, uint32_t height,
                         const std::string& scaleKey, bool flag) override;
    void catchLayerFrame(LayerFrameInfo& info) override;
    void endFrame() override;
    void scaleInputFrame(LayerFrameInfo& info, zq::mediacore::IFrame* target, int32_t width, int32_t height,
                         const std::string& scaleKey) override;
    void endInputPass() override;
    void beginInputPass() override;
    void waitForVBlank() override;
    void setInputMediaActive(uint64_t mediaId, bool active) override;
    void getDisplayCards(std::vector<DisplayCardInfo>& out) override;
    void getCardRenderFacade(std::weak_ptr<IRenderFacade>& out, const DisplayCardInfo& card) override;
    void getOutputTextures(const std::string& cardName, std::map<uint64_t, uint64_t>& out) override;

    VBlank& vblank() { return _vblank; }
    CallLog& calls() { return _calls; }
    // Record every call in calls() (off by default: the draw path is hot).
    void setRecording(bool on) { _recording = on; }
    void setOutputTextures(std::map<uint64_t, uint64_t> textures);
    // Reports the calls to `recorder` (borrowed; null stops it), as the recorder's `card`
    // (-1 for the root facade, whose calls are the input source passes).
    void setTimingRecorder(TimingRecorder* recorder, int32_t card = -1);

    // A hook run inside render(), for tests that need to act during a pass.
    void setRenderHook(std::function<void()> hook);

    uint64_t renders() const { return _renders; }
    uint64_t endFrames() const { return _endFrames; }
    uint64_t scales() const { return _scales; }
    uint64_t inputPasses() const { return _endInputPasses; }
    // Waits until `count` input passes have ended; false on timeout.
    bool awaitInputPasses(uint64_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    std::shared_ptr<SimRenderFacade> keepCard(std::shared_ptr<SimRenderFacade> card);
    void record(std::string call);
    static void scaleInto(const LayerFrameInfo& info, zq::mediacore::IFrame* target, int32_t width, int32_t height);

    const std::string _cardText;
    VBlank _vblank;
    CallLog _calls;
    std::atomic<bool> _recording{false};
    std::atomic<TimingRecorder*> _timing{nullptr};
    std::atomic<int32_t> _timingCard{-1};
    std::atomic<uint64_t> _renders{0};
    std::atomic<uint64_t> _endFrames{0};
    std::atomic<uint64_t> _scales{0};
    std::atomic<uint64_t> _endInputPasses{0};
    std::mutex _inputPassMutex;
    std::condition_variable _inputPassEnded;
    mutable std::mutex _mutex;
    std::vector<std::shared_ptr<SimRenderFacade>> _cards;
    std::map<uint64_t, uint64_t> _textures;
    std::function<void()> _renderHook;
};

}  // namespace qorva::sim
