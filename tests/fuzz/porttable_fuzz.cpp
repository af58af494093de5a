// Any bytes a cluster node may send as a port table: the decoder returns a table or
// throws its one std::invalid_argument, and a table it returns survives a round trip.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "renderctrllink/porttable.h"

using qorva::mediadispatch::decodePortTable;
using qorva::mediadispatch::encodePortTable;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    qorva::mediadispatch::PortTable table;
    try {
        table = decodePortTable(bytes);
    } catch (const std::invalid_argument& e) {
        if (std::string(e.what()) != "unpack failed: Args not match!") std::abort();
        return 0;
    }
    if (decodePortTable(encodePortTable(table)) != table) std::abort();
    return 0;
}
