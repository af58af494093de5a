#pragma once
// An input source controller on the simulated host. The thread's 16 ms sleep waits
// on a manual gate, so a test lets one iteration through at a time and sets the
// steady clock in between.
#include <atomic>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "common/log.h"
#include "common/platform.h"
#include "qorvahost/zqcutils_control.h"
#include "qorvarenderctrl/inputsourcerenderctrl.h"
#include "qorvasim/host.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch::test {

using renderctrl::log::Info;
using renderctrl::log::Warn;
using Strings = std::vector<std::string>;
using qorva::mediaoutput::LayerFrameInfo;
using zq::mediacore::IFrame;

inline std::atomic<sim::VBlank*> sleepGate{nullptr};
inline std::atomic<unsigned> lastSleepMs{0};

// Keeps the record of the last scaling. Tests read what the thread records here and
// in the taps while it waits at the gate, whose lock orders the two.
class InputFacade : public sim::SimRenderFacade {
public:
    void scaleInputFrame(LayerFrameInfo& info, IFrame* target, int32_t width, int32_t height,
                         const std::string& scaleKey) override {
        lastScaled = info;
        if (fill) SimRenderFacade::scaleInputFrame(info, target, width, height, scaleKey);
    }
    LayerFrameInfo lastScaled;
    bool fill = true;  // false leaves the target without a picture
};

// Writes its frameConsumed calls into the facade's call record.
class InputPlayer : public sim::SimPlayer {
public:
    InputPlayer(Options options, sim::CallLog& log) : SimPlayer(std::move(options)), _log(log) {}
    void frameConsumed() override {
        _log.record("frameConsumed(" + options().name + ")");
        SimPlayer::frameConsumed();
    }

private:
    sim::CallLog& _log;
};

class InputCtrl : public ::testing::Test {
protected:
    void SetUp() override {
        gate.setManual(true);
        sleepGate = &gate;
        zqcutils::control::setSleepHook([](unsigned ms) {
            lastSleepMs = ms;
            sleepGate.load()->wait();
        });
        setClock(0);
        facade->setRecording(true);
        ctrl.setMediaMgr(&host.mediaMgr);
    }
    void TearDown() override {
        gate.open();
        ctrl.release();
        zqcutils::control::setSleepHook(nullptr);
        renderctrl::platform::testing::setSteadyNanoseconds(std::nullopt);
    }
    // The throttle is process-wide and outlives earlier tests of this process: each
    // test runs its clock far beyond the last one.
    static int64_t freshEpoch() {
        static int64_t epoch = 1'000'000'000'000'000'000;
        return epoch += 1'000'000'000'000'000;
    }
    void setClock(int64_t ns) { renderctrl::platform::testing::setSteadyNanoseconds(t0 + ns); }
    // Starts the thread and waits until its first iteration is done.
    void start() {
        ctrl.setRenderFacade(facade);
        ASSERT_TRUE(gate.awaitWait(1));
    }
    // One more iteration with the clock at t0 + ns.
    void passAt(int64_t ns) {
        setClock(ns);
        const uint64_t waits = gate.waits();
        gate.step();
        ASSERT_TRUE(gate.awaitWait(waits + 1));
    }
    std::shared_ptr<InputPlayer> addInput(const std::string& name, std::vector<uint64_t> ids, int32_t type = 0) {
        auto player = std::make_shared<InputPlayer>(
            sim::SimPlayer::Options{.name = name, .sourceType = type, .url = "rtsp://" + name}, facade->calls());
        tarsel::InputSourceItem item{.sharedPlayer = player, .thumbnailMeta = player->meta()};
        for (uint64_t id : ids) item.placements.push_back({id, 10.f, 20.f, 640.f, 360.f});
        item.layerNumber = 3;
        item.scaleKey = name;
        items.push_back(item);
        players.push_back(player);
        host.mediaMgr.setInputSources("", items);
        return player;
    }

    // The taps record the placement id or media info and the size of each frame.
    void recordTaps(bool frameTap) {
        if (frameTap) {
            ctrl.setFrameDataCallBack([this](const MediaInfo& i, const IFrame* frame) {
                frameTaps.push_back(fmt::format("{} {} {} {} {} {} {}:{}x{}", i.firstId, i.secondId, i.mediaId,
                                                i.reserved, i.layerNumber, i.kind, i.active, frame->getWidth(),
                                                frame->getHeight()));
            });
        }
        ctrl.setInputFrameDataUpdateCallBack([this](uint64_t id, const IFrame* frame) {
            inputTaps.push_back(fmt::format("{}:{}x{}", id, frame->getWidth(), frame->getHeight()));
        });
    }

    const int64_t t0 = freshEpoch();
    Strings frameTaps;
    Strings inputTaps;
    qrc::test::LogCapture log;
    sim::SimHost host;
    std::shared_ptr<InputFacade> facade = std::make_shared<InputFacade>();
    std::vector<tarsel::InputSourceItem> items;
    std::vector<std::shared_ptr<InputPlayer>> players;
    sim::VBlank gate;
    InputSourceRenderCtrl ctrl;
};

}  // namespace qorva::mediadispatch::test
