#pragma once
// Implemented once per platform (platform_posix.cpp, platform_windows.cpp).
#include <cstdint>

namespace qorva::renderctrl::platform::native {

int64_t systemSeconds();

}  // namespace qorva::renderctrl::platform::native
