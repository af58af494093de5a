#pragma once
// The media manager, its players and the input source records.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sigslot/signal.hpp>

#include "qorvahost/export.h"
#include "qorvahost/tarseltypes.h"
#include "qorvahost/zqmediacore.h"

class IFrameSync;

namespace tarsel {

class QORVAHOST_INTERFACE IPlayer {
public:
    virtual ~IPlayer() = default;
    virtual std::shared_ptr<zq::mediacore::IMeta> getMeta() = 0;
    // The frame for `clock`, null when there is none; valid until frameConsumed().
    virtual zq::mediacore::IFrame* getFrame(double clock) = 0;
    virtual void frameConsumed() = 0;
};

// One placement of a player: a layer of the card and its rectangle.
struct InputSourceEntry {
    uint64_t id = 0;
    float x = 0.f;
    float y = 0.f;
    float width = 0.f;
    float height = 0.f;
};

// One player shown on a card (or one input source), with its placements.
struct InputSourceItem {
    bool isStatic = false;
    std::weak_ptr<IPlayer> sharedPlayer;
    std::weak_ptr<zq::mediacore::IMeta> thumbnailMeta;
    bool thumbnailOnline = false;
    std::vector<InputSourceEntry> placements;
    std::string name;
    uint32_t layerNumber = 0;
    std::string scaleKey;
    bool tapEnabled = false;
    uint32_t syncTag = 0;
    bool tapUnscaled = false;
};

class QORVAHOST_INTERFACE IMediaMgr {
public:
    virtual ~IMediaMgr() = default;

    virtual void getInputSources(std::vector<InputSourceItem>& out, const std::string& cardName, bool flag) = 0;
    virtual void notifyMediaUpdateDisplayCards(const std::multimap<uint64_t, EditingMode>& medias) = 0;
    virtual void setFrameSync(IFrameSync* frameSync) = 0;
    virtual void* getFrameSyncCodexCtx() = 0;
    virtual void mediaMgrDetached() = 0;
    virtual void notifyMasterRole(bool master) = 0;
    virtual void setMasterFrameTime(const std::string& layerName, double time) = 0;

    sigslot::signal<uint64_t, const std::vector<std::string>&, const EditingMode&> sigMediaDisplayCardsChanged;
    sigslot::signal<double> sigFrameTimeChanged;
};

}  // namespace tarsel
