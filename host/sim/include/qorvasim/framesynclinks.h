#pragma once
// What a frame sync object of the stand-in library is linked to, asked through the
// query that the loaded "./zqframesync.dll" exports.
#include <cstdint>
#include <string>
#include <vector>

class IFrameSync;

namespace qorva::sim {

// The object's link targets as "ip:port" texts, ascending; empty without an object or
// when the module cannot be opened.
std::vector<std::string> frameSyncLinkedTargets(IFrameSync* object);

// The beacons an object received from one sender: how many, since when they arrive
// without a pause of 250 ms or more, and the last; times in ms on the steady clock.
struct BeaconsFrom {
    std::string ip;
    uint64_t count = 0;
    int64_t sinceMs = 0;
    int64_t lastMs = 0;
};
std::vector<BeaconsFrom> frameSyncBeacons(IFrameSync* object);

// Makes the objects created from now on bind their port to `ip`; false when the
// module cannot be opened.
bool setFrameSyncBindAddress(const std::string& ip);

}  // namespace qorva::sim
