#pragma once
// Input sources beside the manager: an input source controller on the simulated
// host with a capture input, a live stream and a stream that is silent from the
// start, so that a run of 10.001 s or more sees it declared offline.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qorvarenderctrl/inputsourcerenderctrl.h"
#include "qorvasim/host.h"
#include "taps.h"

namespace sandbox {

struct InputRow {
    uint64_t placementId = 0;
    std::string name;
    std::string kind;
    uint64_t frames = 0;  // frames the player delivered
    uint64_t taps = 0;    // 150x84 frames the frame data tap received
    bool online = true;
};

struct InputsReport {
    uint64_t passes = 0;
    std::vector<InputRow> rows;
};

class InputSources {
public:
    // Adds the inputs to the host and starts the controller, which taps into `taps`.
    InputSources(qorva::sim::SimHost& host, TapRecorder& taps);
    InputSources(const InputSources&) = delete;
    InputSources& operator=(const InputSources&) = delete;

    // Stops the controller, takes its services back and reports.
    InputsReport stop();

private:
    struct Input {
        std::string kind;
        std::shared_ptr<qorva::sim::SimPlayer> player;
        uint64_t placementId = 0;
    };

    qorva::sim::SimHost& _host;
    const TapRecorder& _taps;
    std::vector<Input> _inputs;
    qorva::mediadispatch::InputSourceRenderCtrl _ctrl;  // last: its thread stops first
};

void printInputsReport(const InputsReport& report);

}  // namespace sandbox
