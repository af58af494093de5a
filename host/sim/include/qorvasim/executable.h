#pragma once
// The folder of the running program: a host keeps the modules it loads beside it.
#include <filesystem>

namespace qorva::sim {

// Empty when the platform cannot tell.
std::filesystem::path executableFolder();

}  // namespace qorva::sim
