#pragma once
// The cluster messages: their method names and the wire format of the port table.
#include <cstdint>
#include <map>
#include <string>

namespace qorva::mediadispatch {

// Node IP → frame sync port, ordered by IP.
using PortTable = std::map<std::string, int>;

extern const std::string reportPort;
extern const std::string reportPorts;

// The module number in decimal followed by the name: makeMethodName(40, "reportPort")
// is "40reportPort".
std::string makeMethodName(uint16_t module, const std::string& name);

// MessagePack map of str → int, keys ascending, each value in its shortest form.
std::string encodePortTable(const PortTable& table);
// Anything but such a map (truncated, oversized, other types, values beyond int)
// throws std::invalid_argument("unpack failed: Args not match!").
PortTable decodePortTable(const std::string& bytes);

}  // namespace qorva::mediadispatch
