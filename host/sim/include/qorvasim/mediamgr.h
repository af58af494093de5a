#pragma once
// A media manager with synthetic players that produce numbered test-pattern frames.
#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "qorvahost/imediamgr.h"
#include "qorvasim/calllog.h"
#include "qorvasim/timing.h"

namespace qorva::sim {

class SimMeta : public zq::mediacore::IMeta {
public:
    SimMeta(std::string id, std::string url, int32_t sourceType);

    std::string getId() const override { return _id; }
    std::string getUrl() const override { return _url; }
    int32_t getSourceType() const override { return _sourceType; }
    std::shared_ptr<zq::mediacore::IFrame> getCurrentFrame() override;
    std::shared_ptr<zq::mediacore::IFrame> getOrgThumbFrame() override;
    void destroyOrgThumbnail() override;

    void setCurrentFrame(std::shared_ptr<zq::mediacore::IFrame> frame);
    void setOrgThumbFrame(std::shared_ptr<zq::mediacore::IFrame> frame);
    uint64_t thumbnailsDestroyed() const { return _destroyed; }

private:
    const std::string _id;
    const std::string _url;
    const int32_t _sourceType;
    mutable std::mutex _mutex;
    std::shared_ptr<zq::mediacore::IFrame> _current;
    std::shared_ptr<zq::mediacore::IFrame> _orgThumb;
    std::atomic<uint64_t> _destroyed{0};
};

// A player that makes a new numbered frame on every getFrame while it is live.
class SimPlayer : public tarsel::IPlayer {
public:
    struct Options {
        std::string name = "player";
        int32_t width = 320;
        int32_t height = 180;
        uint64_t fps = 50;
        uint32_t rgba = 0xFF804020u;
        int32_t sourceType = 0;
        std::string url;
    };

    explicit SimPlayer(Options options);

    std::shared_ptr<zq::mediacore::IMeta> getMeta() override { return _meta; }
    zq::mediacore::IFrame* getFrame(double clock) override;
    void frameConsumed() override;

    // A silent player returns no frame.
    void setLive(bool live) { _live = live; }
    std::shared_ptr<SimMeta> meta() const { return _meta; }
    const Options& options() const { return _options; }
    uint64_t framesMade() const { return _framesMade; }
    uint64_t framesConsumed() const { return _framesConsumed; }
    double lastClock() const { return _lastClock; }

private:
    const Options _options;
    std::shared_ptr<SimMeta> _meta;
    std::atomic<bool> _live{true};
    std::atomic<uint64_t> _framesMade{0};
    std::atomic<uint64_t> _framesConsumed{0};
    std::atomic<double> _lastClock{0.0};
    std::mutex _mutex;
    std::deque<std::unique_ptr<zq::mediacore::IFrame>> _outstanding;
};

class SimMediaMgr : public tarsel::IMediaMgr {
public:
    SimMediaMgr();

    void getInputSources(std::vector<tarsel::InputSourceItem>& out, const std::string& cardName, bool flag) override;
    void notifyMediaUpdateDisplayCards(const std::multimap<uint64_t, tarsel::EditingMode>& medias) override;
    void setFrameSync(IFrameSync* frameSync) override;
    void* getFrameSyncCodexCtx() override { return _codecCtx; }
    void mediaMgrDetached() override;
    void notifyMasterRole(bool master) override;
    void setMasterFrameTime(const std::string& layerName, double time) override;

    // The items reported for a card (the input source controller asks with "").
    void setInputSources(const std::string& cardName, std::vector<tarsel::InputSourceItem> items);
    std::vector<tarsel::InputSourceItem> inputSources(const std::string& cardName) const;
    void setCodecCtx(void* ctx) { _codecCtx = ctx; }
    IFrameSync* frameSync() const { return _frameSync; }
    CallLog& calls() { return _calls; }
    // Reports the player queries to `recorder` (borrowed; null stops it).
    void setTimingRecorder(TimingRecorder* recorder) { _timing = recorder; }

private:
    mutable std::mutex _mutex;
    std::atomic<TimingRecorder*> _timing{nullptr};
    std::map<std::string, std::vector<tarsel::InputSourceItem>> _items;
    std::atomic<void*> _codecCtx;
    std::atomic<IFrameSync*> _frameSync{nullptr};
    CallLog _calls;
};

}  // namespace qorva::sim
