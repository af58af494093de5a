#include "renderctrllink/porttable.h"

#include <limits>
#include <span>
#include <stdexcept>

#include <msgpack.hpp>

namespace qorva::mediadispatch {

const std::string reportPort = "reportPort";
const std::string reportPorts = "reportPorts";

namespace {

[[noreturn]] void argsNotMatch() { throw std::invalid_argument("unpack failed: Args not match!"); }

// No container may announce more entries, and no string more bytes, than the
// payload holds: a forged header cannot make the decoder allocate beyond it.
msgpack::unpack_limit limitsFor(const std::string& bytes) {
    const std::size_t size = bytes.size();
    return msgpack::unpack_limit(size, size, size, size, size, 2);
}

int portOf(const msgpack::object& value) {
    if (value.type == msgpack::type::POSITIVE_INTEGER) {
        if (value.via.u64 > static_cast<uint64_t>(std::numeric_limits<int>::max())) argsNotMatch();
        return static_cast<int>(value.via.u64);
    }
    if (value.type == msgpack::type::NEGATIVE_INTEGER) {
        if (value.via.i64 < std::numeric_limits<int>::min()) argsNotMatch();
        return static_cast<int>(value.via.i64);
    }
    argsNotMatch();
}

PortTable tableOf(const msgpack::object& object) {
    if (object.type != msgpack::type::MAP) argsNotMatch();
    PortTable table;
    for (const msgpack::object_kv& entry : std::span(object.via.map.ptr, object.via.map.size)) {
        if (entry.key.type != msgpack::type::STR) argsNotMatch();
        table[std::string(entry.key.via.str.ptr, entry.key.via.str.size)] = portOf(entry.val);
    }
    return table;
}

}  // namespace

std::string makeMethodName(uint16_t module, const std::string& name) { return std::to_string(module) + name; }

std::string encodePortTable(const PortTable& table) {
    msgpack::sbuffer buffer;
    msgpack::pack(buffer, table);
    return std::string(buffer.data(), buffer.size());
}

PortTable decodePortTable(const std::string& bytes) {
    try {
        std::size_t offset = 0;
        const msgpack::object_handle handle =
            msgpack::unpack(bytes.data(), bytes.size(), offset, nullptr, nullptr, limitsFor(bytes));
        if (offset != bytes.size()) argsNotMatch();
        return tableOf(handle.get());
    } catch (const std::invalid_argument&) {
        throw;
    } catch (const std::exception&) {
        // Malformed input, a limit exceeded or no memory for a forged size.
        argsNotMatch();
    }
}

}  // namespace qorva::mediadispatch
