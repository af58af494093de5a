#include <dlfcn.h>

#include "module.h"

namespace qorva::sim {

void* findModuleFunction(const char* path, const char* name) {
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    return module ? dlsym(module, name) : nullptr;
}

}  // namespace qorva::sim
