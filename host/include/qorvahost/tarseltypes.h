#pragma once
// Host records and enumerations of namespace tarsel, passed through unread.
#include <cstdint>

namespace tarsel {

enum class EditingMode : int32_t { Local = 0, Remote = 1, Preedit = 2 };

struct ColorProperty {
    float brightness = 0.f;
    float contrast = 0.f;
    float saturation = 0.f;
};

struct BorderProperty {
    uint32_t width = 0;
    uint32_t color = 0;
};

struct PickProperty {
    uint32_t color = 0;
    float tolerance = 0.f;
};

enum class EffectType : int32_t { None = 0, Blur = 1, Mosaic = 2 };

struct EffectProperty {
    float strength = 0.f;
};

}  // namespace tarsel
