#pragma once
// What the sandbox process holds: resident memory and threads.
#include <cstdint>

namespace sandbox {

struct ProcessStats {
    bool known = false;  // false where the platform does not tell (then both are 0)
    uint64_t residentBytes = 0;
    int threads = 0;
};

ProcessStats processStats();

}  // namespace sandbox
