#pragma once
// Everything that differs between Windows and other systems: loading a library at
// run time and the clocks. Only the platform_*.cpp files include system headers.
#include <cstdint>
#include <optional>

namespace qorva::renderctrl::platform {

// Opens a dynamic library (LoadLibraryA / dlopen); null when it cannot be loaded.
// Libraries are never closed: their code may run until the process ends.
void* openLibrary(const char* path);
// The address of an exported function (GetProcAddress / dlsym), or null.
void* findSymbol(void* library, const char* name);

// Wall-clock seconds, as _time64(nullptr) gives them.
int64_t wallClockSeconds();
// Steady-clock nanoseconds.
int64_t steadyNanoseconds();

// A seam for tests: while set, the clocks above report these values.
namespace testing {
void setWallClockSeconds(std::optional<int64_t> seconds);
void setSteadyNanoseconds(std::optional<int64_t> nanoseconds);
}  // namespace testing

}  // namespace qorva::renderctrl::platform
