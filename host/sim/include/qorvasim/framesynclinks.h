#pragma once
// What a frame sync object of the stand-in library is linked to, asked through the
// query that the loaded "./zqframesync.dll" exports.
#include <string>
#include <vector>

class IFrameSync;

namespace qorva::sim {

// The object's link targets as "ip:port" texts, ascending; empty without an object or
// when the module cannot be opened.
std::vector<std::string> frameSyncLinkedTargets(IFrameSync* object);

}  // namespace qorva::sim
