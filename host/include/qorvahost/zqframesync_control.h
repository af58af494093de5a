#pragma once
// Host side of the frame sync stand-in: what an object is linked to, for tests and
// the sandbox. Found in the loaded module under the name below.
class IFrameSync;

// Writes the object's link targets as "ip:port" lines, ascending; returns the length
// of the whole text (which may exceed `size`), like snprintf.
using FrameSyncLinkedTargetsFunc = int (*)(IFrameSync* object, char* out, int size);
inline constexpr const char* kFrameSyncLinkedTargets = "zqframesyncLinkedTargets";
