// The wire format of the cluster's port table and the message names.
#include "renderctrllink/porttable.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace qorva::mediadispatch {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

std::string hex(const std::string& data) {
    std::string out;
    for (unsigned char c : data) out += "0123456789abcdef"[c >> 4], out += "0123456789abcdef"[c & 15];
    return out;
}

TEST(PortTable, MethodNamesAreTheModuleNumberAndTheName) {
    EXPECT_EQ(makeMethodName(40, reportPort), "40reportPort");
    EXPECT_EQ(makeMethodName(40, reportPorts), "40reportPorts");
}

struct GoldenCase {
    PortTable table;
    std::string expectedHex;
};

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, EncodesShortestFormsInKeyOrder) {
    EXPECT_EQ(hex(encodePortTable(GetParam().table)), GetParam().expectedHex);
    EXPECT_EQ(decodePortTable(encodePortTable(GetParam().table)), GetParam().table);
}

const std::string kLongKey(40, 'k');  // str8

INSTANTIATE_TEST_SUITE_P(
    Bytes, Golden,
    ::testing::Values(GoldenCase{{}, "80"},
                      // fixmap, fixstr keys ascending, negative fixint, uint16
                      GoldenCase{{{"10.0.0.2", 5000}, {"10.0.0.1", -3}},
                                 "82a831302e302e302e31fda831302e302e302e32cd1388"},
                      // positive fixint 127, uint8 128, int8 -33, uint32, int16, int32
                      GoldenCase{{{"a", 127}, {"b", 128}, {"c", -33}, {"d", 70000}, {"e", -200}, {"f", -40000}},
                                 "86a1617fa162cc80a163d0dfa164ce00011170a165d1ff38a166d2ffff63c0"},
                      GoldenCase{{{kLongKey, 1}}, "81d928" + hex(kLongKey) + "01"}));

TEST(PortTable, SixteenEntriesTakeAMap16Header) {
    PortTable table;
    for (int i = 0; i < 16; ++i) table[fmt::format("10.0.0.{:02}", i)] = i;
    const std::string encoded = encodePortTable(table);
    EXPECT_EQ(hex(encoded.substr(0, 3)), "de0010");
    EXPECT_EQ(decodePortTable(encoded), table);
}

class BadPayload : public ::testing::TestWithParam<std::string> {};

TEST_P(BadPayload, IsRejectedWithTheOneMessage) {
    try {
        decodePortTable(GetParam());
        FAIL() << "decoded " << hex(GetParam());
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "unpack failed: Args not match!");
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, BadPayload,
                         ::testing::Values(std::string(),                    // nothing
                                           bytes({0x82, 0xa1, 0x61, 0x01}),  // truncated: one entry of two
                                           bytes({0x81, 0xa2, 0x61}),        // truncated key
                                           bytes({0x81, 0x01, 0x02}),        // a map of integers
                                           bytes({0x92, 0x01, 0x02}),        // an array
                                           bytes({0x81, 0xa1, 0x61, 0xcb, 0, 0, 0, 0, 0, 0, 0, 0}),  // a float value
                                           bytes({0x81, 0xa1, 0x61, 0xc3}),                          // a bool value
                                           bytes({0x81, 0xa1, 0x61, 0xa1, 0x62}),                    // a string value
                                           bytes({0x81, 0xa1, 0x61, 0xce, 0xff, 0xff, 0xff, 0xff}),  // beyond int
                                           bytes({0x81, 0xa1, 0x61, 0xd3, 0x80, 0, 0, 0, 0, 0, 0, 0}),  // below int
                                           bytes({0x81, 0xc4, 0x01, 0x61, 0x01}),                       // a bin key
                                           bytes({0x80, 0x80}),                    // trailing bytes
                                           bytes({0xc0}),                          // nil
                                           bytes({0xdf, 0xff, 0xff, 0xff, 0xff}),  // 4 billion entries announced
                                           bytes({0x81, 0xdb, 0xff, 0xff, 0xff, 0xff, 0x61})));  // a 4 GB key announced

}  // namespace
}  // namespace qorva::mediadispatch
