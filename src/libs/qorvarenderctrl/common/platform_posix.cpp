#include <dlfcn.h>

#include <ctime>

#include "common/platform.h"
#include "common/platform_native.h"

namespace qorva::renderctrl::platform {

void* openLibrary(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

void* findSymbol(void* library, const char* name) { return library ? dlsym(library, name) : nullptr; }

namespace native {
// time_t is 64-bit on every platform we build for.
int64_t systemSeconds() { return static_cast<int64_t>(std::time(nullptr)); }
}  // namespace native

}  // namespace qorva::renderctrl::platform
