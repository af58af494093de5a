// Random and mutated payloads of the cluster's port table, from a fixed seed: the
// "40reportPorts" decoder yields a table or rejects the payload with its one message.
#include <iterator>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "renderctrllink/porttable.h"

namespace qorva::mediadispatch {
namespace {

constexpr uint32_t kSeed = 9;
constexpr int kDecoderPayloads = 100'000;
constexpr const char* kArgsNotMatch = "unpack failed: Args not match!";

std::string hex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) out += fmt::format("{:02x}", c);
    return out;
}

// Makes the payloads: well-formed tables, the same mutated, and plain random bytes.
class Payloads {
public:
    explicit Payloads(uint32_t seed) : _random(seed) {}

    std::string next() {
        switch (below(4)) {
            case 0:
                return randomBytes(below(40));
            case 1:
                return encodePortTable(table());
            default:
                return mutate(encodePortTable(table()));
        }
    }
    int32_t port() {
        switch (below(4)) {
            case 0:
                return std::numeric_limits<int32_t>::min() + static_cast<int32_t>(below(3));
            case 1:
                return std::numeric_limits<int32_t>::max() - static_cast<int32_t>(below(3));
            default:
                return static_cast<int32_t>(below(140'000)) - 70'000;
        }
    }
    std::string randomBytes(size_t size) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(below(256));
        return bytes;
    }
    size_t below(size_t bound) { return std::uniform_int_distribution<size_t>(0, bound - 1)(_random); }

private:
    PortTable table() {
        PortTable table;
        for (size_t i = below(20); i > 0; --i) table[randomBytes(below(3) == 0 ? below(40) : 8)] = port();
        return table;
    }
    // One to four edits: a flipped bit, a byte set to a MessagePack header or an
    // edge value, an inserted or erased byte, a cut, a repeated slice.
    std::string mutate(std::string bytes) {
        static constexpr unsigned char kEdgeBytes[] = {0x00, 0x7f, 0x80, 0x8f, 0x90, 0xa0, 0xbf, 0xc0,
                                                       0xc1, 0xc4, 0xca, 0xcb, 0xcc, 0xcf, 0xd0, 0xd3,
                                                       0xd9, 0xdb, 0xdc, 0xdd, 0xde, 0xdf, 0xe0, 0xff};
        for (size_t edits = 1 + below(4); edits > 0 && !bytes.empty(); --edits) {
            const size_t at = below(bytes.size());
            switch (below(6)) {
                case 0:
                    bytes[at] = static_cast<char>(bytes[at] ^ (1 << below(8)));
                    break;
                case 1:
                    bytes[at] = static_cast<char>(kEdgeBytes[below(std::size(kEdgeBytes))]);
                    break;
                case 2:
                    bytes.insert(at, 1, static_cast<char>(below(256)));
                    break;
                case 3:
                    bytes.erase(at, 1);
                    break;
                case 4:
                    bytes.resize(at);
                    break;
                default:
                    bytes.insert(at, bytes.substr(at, below(8)));
                    break;
            }
        }
        return bytes;
    }

    std::mt19937 _random;
};

TEST(BadInput, EveryPortTablePayloadDecodesOrIsRejectedWithTheOneMessage) {
    Payloads payloads(kSeed);
    int decoded = 0;
    int rejected = 0;
    for (int i = 0; i < kDecoderPayloads; ++i) {
        const std::string payload = payloads.next();
        try {
            const PortTable table = decodePortTable(payload);
            ++decoded;
            ASSERT_EQ(decodePortTable(encodePortTable(table)), table) << hex(payload);
        } catch (const std::invalid_argument& e) {
            ++rejected;
            ASSERT_STREQ(e.what(), kArgsNotMatch) << hex(payload);
        }
    }
    // Both outcomes are well exercised.
    EXPECT_GT(decoded, kDecoderPayloads / 10);
    EXPECT_GT(rejected, kDecoderPayloads / 10);
}

}  // namespace
}  // namespace qorva::mediadispatch
