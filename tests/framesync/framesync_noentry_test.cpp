// A library file without the "createFrameSync" entry point counts as a failed load.
// This executable runs in a process of its own.
#include <cstdio>
#include <filesystem>
#include <random>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"

namespace qorva::mediadispatch {
namespace {

namespace fs = std::filesystem;

TEST(FrameSyncLoad, ALibraryWithoutTheEntryPointFails) {
    const fs::path origin = fs::current_path();
    const fs::path folder = fs::temp_directory_path() / fmt::format("qrc-framesync-noentry-{}", std::random_device{}());
    fs::create_directories(folder);
    // Any shared library of the build without the entry point will do.
    fs::copy_file(origin / QRC_LIBRARY_WITHOUT_ENTRY_POINT, folder / "zqframesync.dll");
    fs::current_path(folder);

    sim::SimHost host;
    RenderCtrlMgr mgr;
    mgr.setMediaMgr(&host.mediaMgr);
    ::testing::internal::CaptureStdout();
    mgr.createFrameSync();
    std::fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "framesync load failed\n");
    EXPECT_EQ(host.mediaMgr.frameSync(), nullptr);

    fs::current_path(origin);
    std::error_code ignored;  // a module in use cannot be removed on Windows
    fs::remove_all(folder, ignored);
}

}  // namespace
}  // namespace qorva::mediadispatch
