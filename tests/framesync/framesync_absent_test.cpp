// The frame sync library is loaded once per process: a load that failed is not tried
// again, even once the file is there. This executable runs in a process of its own.
#include <cstdio>
#include <filesystem>
#include <random>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch {
namespace {

namespace fs = std::filesystem;

std::string createFrameSyncOutput(RenderCtrlMgr& mgr) {
    ::testing::internal::CaptureStdout();
    mgr.createFrameSync();
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

// Runs in an empty folder of its own, then puts the library there.
TEST(FrameSyncLoad, AMissingLibraryFailsOnceAndForAll) {
    const fs::path origin = fs::current_path();
    const fs::path empty = fs::temp_directory_path() / fmt::format("qrc-no-framesync-{}", std::random_device{}());
    fs::create_directories(empty);
    fs::current_path(empty);

    qrc::test::LogCapture log;
    sim::SimHost host;
    RenderCtrlMgr mgr;
    mgr.setMediaMgr(&host.mediaMgr);
    EXPECT_EQ(createFrameSyncOutput(mgr), "framesync load failed\n");
    EXPECT_EQ(host.mediaMgr.frameSync(), nullptr);
    EXPECT_EQ(host.mediaMgr.calls().count("setFrameSync"), 0u);
    EXPECT_EQ(mgr.getNetPort(), 0);
    EXPECT_TRUE(log.contains(2, "_impl->_frameSync is null."));

    fs::copy_file(origin / "zqframesync.dll", empty / "zqframesync.dll");
    EXPECT_EQ(createFrameSyncOutput(mgr), "framesync load failed\n");
    EXPECT_EQ(host.mediaMgr.frameSync(), nullptr);

    fs::current_path(origin);
    std::error_code ignored;  // a module in use cannot be removed on Windows
    fs::remove_all(empty, ignored);
}

}  // namespace
}  // namespace qorva::mediadispatch
