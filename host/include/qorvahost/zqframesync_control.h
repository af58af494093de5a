#pragma once
// Host side of the frame sync stand-in: what an object is linked to, for tests and
// the sandbox. Found in the loaded module under the name below.
class IFrameSync;

// Writes the object's link targets as "ip:port" lines, ascending; returns the length
// of the whole text (which may exceed `size`), like snprintf.
using FrameSyncLinkedTargetsFunc = int (*)(IFrameSync* object, char* out, int size);
inline constexpr const char* kFrameSyncLinkedTargets = "zqframesyncLinkedTargets";

// Writes the beacons the object received as "ip count sinceMs lastMs" lines, one per
// sender, ascending: the count, the start of the present run of beacons (after a
// pause of 250 ms or more) and the last, in ms on the steady clock; returns the whole
// length.
using FrameSyncBeaconsReceivedFunc = int (*)(IFrameSync* object, char* out, int size);
inline constexpr const char* kFrameSyncBeaconsReceived = "zqframesyncBeaconsReceived";

// The address the objects created from then on bind their port to (127.0.0.1 when
// empty or null).
using FrameSyncSetBindAddressFunc = void (*)(const char* ip);
inline constexpr const char* kFrameSyncSetBindAddress = "zqframesyncSetBindAddress";
