#pragma once
// Host side of the media core stand-in: count the frames made, so that tests see the
// frames the library makes for itself.
#include <cstdint>

#include "qorvahost/export.h"

namespace zq::mediacore::control {

// How many IFrame objects were constructed so far in this process.
ZQMEDIACORE_API uint64_t framesConstructed();

}  // namespace zq::mediacore::control
