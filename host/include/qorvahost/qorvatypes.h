#pragma once
// Host records and enumerations of namespace qorva. The library reads only the
// fields it names; the rest is passed through.
#include <cstdint>

namespace qorva {

// Describes one media item (for a tapped layer: the layer; for an input source:
// the stream source, in mediaId).
struct MediaInfo {
    uint64_t firstId = 0;
    uint64_t secondId = 0;
    uint64_t mediaId = 0;
    uint64_t reserved = 0;
    uint32_t layerNumber = 0;
    uint32_t kind = 0;
    bool active = false;
};

enum class DispatchType : int32_t { Unknown = 0, Program = 1, Preview = 2, Timeline = 3 };

struct LayoutStartFadeParam {
    uint64_t layoutId = 0;
    uint32_t durationMs = 0;
};

struct STMediaPlayStateInfo {
    uint64_t mediaId = 0;
    int32_t state = 0;
};

struct STMediaFadeInfo {
    uint64_t mediaId = 0;
    uint32_t durationMs = 0;
};

struct STDispatchMediaFadeInfo {
    bool fade = false;
    STMediaFadeInfo info;
};

enum RenderCtrlMgrCallBackType : int32_t {
    RenderCtrlMgrCallBack_None = 0,
    RenderCtrlMgrCallBack_CurrentLayout = 1,
    RenderCtrlMgrCallBack_PreviewLayout = 2,
};

struct RenderCtrlMgrCallBackCommon {
    RenderCtrlMgrCallBackType type = RenderCtrlMgrCallBack_None;
    uint64_t value0 = 0;
    uint64_t value1 = 0;
};

}  // namespace qorva
