#include <windows.h>

#include "module.h"

namespace qorva::sim {

void* findModuleFunction(const char* path, const char* name) {
    HMODULE module = LoadLibraryA(path);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace qorva::sim
