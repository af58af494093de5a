#pragma once
// Finds a function in a module opened by its file name (dlopen / LoadLibraryA); null
// when the module or the function is missing. The module stays open.

namespace qorva::sim {

void* findModuleFunction(const char* path, const char* name);

}  // namespace qorva::sim
