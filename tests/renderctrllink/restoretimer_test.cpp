// The restore timer against the host's threads: a callback the runtime runs just after
// a stop.
#include <gtest/gtest.h>

#include <algorithm>
#include "qorvasim/pausepoints.h"
#include "renderctrllink/linknode.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

constexpr const char* kIp = "10.0.0.1";

class RestoreTimer : public ::testing::Test {
protected:
    void SetUp() override { runtime.useManualClock(); }
    // Backup to master: a restore timer is started.
    void takeOver() {
        cluster.setRole(kIp, 2);
        cluster.setRole(kIp, 0);
    }
    size_t restores() const {
        const auto messages = log.messages();
        return static_cast<size_t>(std::count_if(messages.begin(), messages.end(), [](const std::string& m) {
            return m.rfind("RenderCtrlLink linkTarget backupRestorePorts local", 0) == 0;
        }));
    }

    qrc::test::LogCapture log;
    sim::SimCluster cluster;
    sim::SimRuntime runtime;
};

// The runtime has taken the timer and is about to run its callback when the host acts.
class LateCallback : public RestoreTimer {
protected:
    void SetUp() override {
        RestoreTimer::SetUp();
        takeOver();
        runtime.advance(1000ms, 0ms);
        ASSERT_TRUE(late->awaitEntered());
    }
    qrc::test::LinkNode node{cluster, runtime, kIp};
    const std::shared_ptr<sim::Parking> late = sim::armPause("runTimer");
};

// The old callback runs after a restart: the new timer stays the pending one, so giving
// the role up stops it.
TEST_F(LateCallback, RunAfterARestartLeavesTheNewTimerStoppable) {
    node.linkMgr.sigMasterUpdate("", kIp);
    late->release();
    ASSERT_TRUE(runtime.settle());
    EXPECT_EQ(restores(), 1u);
    runtime.calls().clear();
    cluster.setRole(kIp, 1);
    EXPECT_EQ(runtime.calls().calls(), Lines{"stopTimer(2)"});
    EXPECT_EQ(runtime.activeTimers(), 0u);
}

}  // namespace
}  // namespace qorva::mediadispatch
