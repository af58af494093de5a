// A short run of the sandbox with --trace: trace.json parses, and each card's passes
// lie one after the other on the track of the thread that drives it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

using nlohmann::json;

TEST(SandboxTrace, EveryCardHasPassSpansInTimeOrderOnTheTrackOfItsThread) {
    const std::filesystem::path out = QRC_TRACE_TEST_OUT;
    std::filesystem::remove_all(out);
    const std::string command = std::string(QRC_SANDBOX) + " --seconds 3 --cards 4 --players 1 --trace --out " +
                                out.string() + " > " + (out.parent_path() / "sandbox-trace.txt").string();
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream file(out / "trace.json");
    const json trace = json::parse(file);
    std::map<int, std::string> trackNames;
    std::map<std::string, std::vector<json>> passes;  // per card text
    for (const json& event : trace.at("traceEvents")) {
        if (event.at("ph") == "M") {
            trackNames[event.at("tid")] = event.at("args").at("name");
            continue;
        }
        ASSERT_EQ(event.at("ph"), "X");
        ASSERT_GE(event.at("dur").get<double>(), 0.0);
        if (event.at("cat") == "pass") passes[event.at("args").at("card")].push_back(event);
    }
    const std::vector<std::pair<std::string, std::string>> cards = {
        {"#0(NVIDIA RTX A4000)", "frame sync thread, #0 #3"},
        {"#1(NVIDIA T400)", "render thread, #1"},
        {"#2(Intel UHD Graphics 770)", "render thread, #2"},
        {"#3(NVIDIA RTX A4000)", "frame sync thread, #0 #3"}};
    for (const auto& [card, track] : cards) {
        const std::vector<json>& spans = passes[card];
        ASSERT_GE(spans.size(), 2u) << card;  // a sanitizer build makes few passes
        EXPECT_EQ(trackNames[spans.front().at("tid")], track) << card;
        for (size_t i = 1; i < spans.size(); ++i) {
            EXPECT_EQ(spans[i].at("tid"), spans[0].at("tid")) << card;
            EXPECT_GE(spans[i].at("ts").get<double>(),
                      spans[i - 1].at("ts").get<double>() + spans[i - 1].at("dur").get<double>())
                << card << " pass " << i;
        }
    }
    size_t inputTracks = 0;
    for (const auto& [tid, name] : trackNames) inputTracks += name == "input source thread";
    EXPECT_EQ(inputTracks, 1u);
}

}  // namespace
