// The stand-ins of the host's closed libraries.
#include <atomic>

#include <gtest/gtest.h>

#include "qorvahost/tavcore.h"
#include "qorvahost/zqcutils.h"
#include "qorvahost/zqcutils_control.h"
#include "qorvahost/zqmediacore.h"
#include "support/sleephook.h"

namespace {

TEST(ZqCutils, ManualClockMovesOnlyWhenAdvanced) {
    zqcutils::control::setManualTimeMs(5000);
    EXPECT_EQ(getLocalTimeMs(), 5000u);
    zqcutils::control::advanceTimeMs(150);
    EXPECT_EQ(getLocalTimeMs(), 5150u);
    zqcutils::control::useRealTime();
    const auto a = getLocalTimeMs();
    EXPECT_LE(a, getLocalTimeMs());
}

std::atomic<unsigned> sleptMs{0};

TEST(ZqCutils, SleepHookReceivesTheSleepsInsteadOfSleeping) {
    sleptMs = 0;
    {
        const qrc::test::SleepHookScope hook([](unsigned ms) { sleptMs += ms; });
        zqSleep(16);
        zqSleep(1);
    }
    EXPECT_EQ(sleptMs.load(), 17u);
}

TEST(TavCore, ExternalClockIsWhatTheHostSet) {
    const double previous = zq::avcore::PlayerGlobalSettings::getExtClock();
    zq::avcore::PlayerGlobalSettings::setExtClock(12.5);
    EXPECT_DOUBLE_EQ(zq::avcore::PlayerGlobalSettings::getExtClock(), 12.5);
    zq::avcore::PlayerGlobalSettings::setExtClock(previous);
}

TEST(ZqMediaCore, AnEmptyFrameHasNoPictureUntilOneIsAttached) {
    zq::mediacore::IFrame frame;
    frame.setFps(50);
    EXPECT_EQ(frame.kframe(), nullptr);
    EXPECT_EQ(frame.getWidth(), 0);
    auto picture = std::make_shared<zq::mediacore::STAVFrame>();
    picture->width = 320;
    picture->height = 180;
    frame.attachPicture(picture);
    EXPECT_EQ(frame.kframe(), picture);
    EXPECT_EQ(frame.getWidth(), 320);
    EXPECT_EQ(frame.getHeight(), 180);
    EXPECT_EQ(frame.getFps(), 50u);
}

}  // namespace
