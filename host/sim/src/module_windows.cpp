#include <windows.h>

#include <vector>

#include "module.h"
#include "qorvasim/executable.h"

namespace qorva::sim {

void* findModuleFunction(const char* path, const char* name) {
    HMODULE module = LoadLibraryA(path);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

// The program's path, in a buffer grown until the name fits.
std::filesystem::path executableFolder() {
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<wchar_t> path(size);
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) return {};
        if (length < size) return std::filesystem::path(path.data(), path.data() + length).parent_path();
    }
    return {};
}

}  // namespace qorva::sim
