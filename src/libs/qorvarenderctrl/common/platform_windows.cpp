#include <windows.h>

#include <ctime>

#include "common/platform.h"
#include "common/platform_native.h"

namespace qorva::renderctrl::platform {

void* openLibrary(const char* path) { return reinterpret_cast<void*>(LoadLibraryA(path)); }

void* findSymbol(void* library, const char* name) {
    if (!library) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

namespace native {
int64_t systemSeconds() { return static_cast<int64_t>(_time64(nullptr)); }
}  // namespace native

}  // namespace qorva::renderctrl::platform
