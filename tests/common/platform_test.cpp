#include "common/platform.h"

#include <gtest/gtest.h>

namespace qorva::renderctrl::platform {
namespace {

TEST(Platform, AMissingLibraryIsNotLoaded) {
    EXPECT_EQ(openLibrary("./no-such-library.dll"), nullptr);
    EXPECT_EQ(findSymbol(nullptr, "createFrameSync"), nullptr);
}

TEST(Platform, ClockOverridesReplaceTheSystemClocksUntilCleared) {
    testing::setWallClockSeconds(1000);
    testing::setSteadyNanoseconds(42);
    EXPECT_EQ(wallClockSeconds(), 1000);
    EXPECT_EQ(steadyNanoseconds(), 42);
    testing::setWallClockSeconds(std::nullopt);
    testing::setSteadyNanoseconds(std::nullopt);
    EXPECT_GT(wallClockSeconds(), 1'600'000'000);  // a real date
    const auto a = steadyNanoseconds();
    EXPECT_LE(a, steadyNanoseconds());
}

}  // namespace
}  // namespace qorva::renderctrl::platform
