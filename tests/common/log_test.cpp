#include "common/log.h"

#include <gtest/gtest.h>

#include "support/logcapture.h"

namespace qorva::renderctrl::log {
namespace {

struct BaseNameCase {
    const char* path;
    const char* expected;
};

class BaseName : public ::testing::TestWithParam<BaseNameCase> {};

TEST_P(BaseName, TakesThePartAfterTheLastSeparator) { EXPECT_EQ(baseName(GetParam().path), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Paths, BaseName,
                         ::testing::Values(BaseNameCase{"renderctrl.cpp", "renderctrl.cpp"},
                                           BaseNameCase{"/src/libs/renderctrl/renderctrl.cpp", "renderctrl.cpp"},
                                           BaseNameCase{"D:\\build\\src\\renderctrlmgr.cpp", "renderctrlmgr.cpp"},
                                           BaseNameCase{"D:\\build/src\\mixed/a.cpp", "a.cpp"},
                                           BaseNameCase{"dir/", ""}));

// A lambda's operator is named with a space.
TEST(LogLine, HasTheMessageThenTheLocationSuffix) {
    EXPECT_EQ(buildLine("draw fps:61", "/x/renderctrl.cpp", "run", 120), "draw fps:61 \n //renderctrl.cpp:run()#120.");
    EXPECT_EQ(buildLine("m", "a.cpp", "operator()", 7), "m \n //a.cpp:operator ()()#7.");
}

TEST(LogWrite, LogsAtTheNumericLevelWithTheSiteLocation) {
    qrc::test::LogCapture capture;
    const int line = __LINE__ + 1;
    QRC_WARN("renderFacade is null.");
    auto records = capture.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].level, Warn);
    EXPECT_EQ(records[0].line, fmt::format("renderFacade is null. \n //log_test.cpp:TestBody()#{}.", line));
}

TEST(LogWrite, FormatsArgumentsWithFmt) {
    qrc::test::LogCapture capture;
    QRC_INFO("{} frame fps:{}", "clip", uint64_t{25});
    QRC_ERR("{}", "[FrameSync] {braces} stay");
    EXPECT_TRUE(capture.contains(Info, "clip frame fps:25"));
    EXPECT_TRUE(capture.contains(Err, "[FrameSync] {braces} stay"));
}

}  // namespace
}  // namespace qorva::renderctrl::log
