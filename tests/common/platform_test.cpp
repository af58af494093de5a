#include "common/platform.h"

#include <gtest/gtest.h>

namespace qorva::renderctrl::platform {
namespace {

// qrc_testmodule.dll is built beside the test executables, which run from there.
constexpr const char* testModule = "./qrc_testmodule.dll";

TEST(Platform, AMissingLibraryIsNotLoaded) {
    EXPECT_EQ(openLibrary("./no-such-library.dll"), nullptr);
    EXPECT_EQ(openLibrary("./missing/qrc_testmodule.dll"), nullptr);
    EXPECT_EQ(findSymbol(nullptr, "createFrameSync"), nullptr);
}

TEST(Platform, AModuleBesideTheProgramIsLoadedAndItsFunctionCalled) {
    void* module = openLibrary(testModule);
    ASSERT_NE(module, nullptr);
    using Answer = int (*)();
    const auto answer = reinterpret_cast<Answer>(findSymbol(module, "qrcTestModuleAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(findSymbol(module, "createFrameSync"), nullptr);
}

TEST(Platform, OpeningAModuleAgainGivesTheSameModule) { EXPECT_EQ(openLibrary(testModule), openLibrary(testModule)); }

}  // namespace
}  // namespace qorva::renderctrl::platform
