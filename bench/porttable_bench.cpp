// The port table's encoding and decoding against the bare msgpack-c calls.
#include <map>
#include <string>

#include <fmt/format.h>
#include <msgpack.hpp>

#include "renderctrllink/porttable.h"
#include "report.h"

namespace qrc::bench {
namespace {

using qorva::mediadispatch::PortTable;

PortTable makeTable(int entries) {
    PortTable table;
    for (int i = 0; i < entries; ++i) table[fmt::format("10.0.{}.{}", i / 250, i % 250 + 1)] = 5000 + i;
    return table;
}

void libraryEncode(benchmark::State& state, int entries) {
    const PortTable table = makeTable(entries);
    for (auto _ : state) benchmark::DoNotOptimize(qorva::mediadispatch::encodePortTable(table));
}

void bareEncode(benchmark::State& state, int entries) {
    const PortTable table = makeTable(entries);
    for (auto _ : state) {
        msgpack::sbuffer buffer;
        msgpack::pack(buffer, table);
        benchmark::DoNotOptimize(buffer.data());
    }
}

void libraryDecode(benchmark::State& state, int entries) {
    const std::string bytes = qorva::mediadispatch::encodePortTable(makeTable(entries));
    for (auto _ : state) benchmark::DoNotOptimize(qorva::mediadispatch::decodePortTable(bytes));
}

void bareDecode(benchmark::State& state, int entries) {
    const std::string bytes = qorva::mediadispatch::encodePortTable(makeTable(entries));
    for (auto _ : state) {
        const msgpack::object_handle handle = msgpack::unpack(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(handle.get().as<PortTable>());
    }
}

const bool registered = [] {
    for (const int entries : {16, 1000}) {
        compare(
            fmt::format("port table encode, {} entries", entries), 1.2,
            [entries](benchmark::State& s) { libraryEncode(s, entries); },
            [entries](benchmark::State& s) { bareEncode(s, entries); });
        compare(
            fmt::format("port table decode, {} entries", entries), 1.2,
            [entries](benchmark::State& s) { libraryDecode(s, entries); },
            [entries](benchmark::State& s) { bareDecode(s, entries); });
    }
    return true;
}();

}  // namespace
}  // namespace qrc::bench
