#include <dlfcn.h>

#include <system_error>

#include "module.h"
#include "qorvasim/executable.h"

namespace qorva::sim {

void* findModuleFunction(const char* path, const char* name) {
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    return module ? dlsym(module, name) : nullptr;
}

std::filesystem::path executableFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

}  // namespace qorva::sim
