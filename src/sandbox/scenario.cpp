#include "scenario.h"

#include <chrono>
#include <thread>

#include <fmt/format.h>

#include "qorvarenderctrl/qorvarenderctrl.h"
#include "qorvasim/host.h"

namespace sandbox {

namespace {

using qorva::mediadispatch::RenderCtrlMgr;

// The NVIDIA card is handed to the frame sync library; the other runs its own thread.
const std::vector<std::string> kCards = {"#0(NVIDIA RTX A4000)", "#1(Intel UHD Graphics 770)"};

void addPlayers(qorva::sim::SimHost& host) {
    host.addPlayer(kCards[0], {.name = "clip-a", .width = 640, .height = 360, .rgba = 0xFFC04020u}, 101, 1);
    host.addPlayer(kCards[0], {.name = "clip-b", .width = 640, .height = 360, .rgba = 0xFF20A040u}, 102, 2);
    host.addPlayer(kCards[1], {.name = "camera", .width = 640, .height = 360, .rgba = 0xFF2040C0u}, 201, 1);
}

// The services in the order a host hands them in.
void wire(RenderCtrlMgr& mgr, qorva::sim::SimHost& host) {
    mgr.setMediaDispatchMgr(host.dispatchMgr);
    mgr.setMediaMgr(&host.mediaMgr);
    mgr.setZQRuntime(&host.runtime);
    mgr.createFrameSync();
    mgr.setRenderFacade(host.facade);
    mgr.setOutPutLayoutMgr(host.layoutMgr);
    mgr.setOutPutMgr(&host.outputMgr);
    mgr.setPhysicsOutputMgr(host.physicsOutputMgr);
    mgr.setSenderMgr(&host.senderMgr);
}

// Stops the render threads, then takes the services back.
void unwire(RenderCtrlMgr& mgr) {
    mgr.release();
    mgr.unsetOutPutLayoutMgr();
    mgr.unsetMediaDispatchMgr();
    mgr.unsetMediaMgr();
    mgr.unsetZQRuntime();
}

// The frame sync library numbers the passes it drives; a card's own thread passes 0.
std::string drivenBy(const qorva::sim::SimHost& host, const std::string& card) {
    for (const auto& item : host.mediaMgr.inputSources(card))
        for (const auto& placement : item.placements)
            if (host.layoutMgr->lastSyncValue(placement.id) != 0) return "frame sync";
    return "own thread";
}

}  // namespace

Report runScenario(const Options& options) {
    qorva::sim::SimHost host;
    for (size_t i = 0; i < kCards.size(); ++i) host.addCard(kCards[i])->setOutputTextures(cardTextures(i));
    addPlayers(host);

    TapCounter taps;
    auto mgr = std::make_shared<RenderCtrlMgr>();
    const auto start = std::chrono::steady_clock::now();
    wire(*mgr, host);
    taps.install(*mgr);
    InputSources inputs(host);
    const EditingReport editing = runEditing(host);
    std::this_thread::sleep_for(std::chrono::duration<double>(options.seconds));
    unwire(*mgr);

    Report report;
    report.inputs = inputs.stop();
    report.editing = editing;
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const auto& text : kCards) {
        const auto card = host.facade->card(text);
        report.cards.push_back({text, drivenBy(host, text), card->renders(), card->endFrames(), card->vblank().waits(),
                                card->vblank().missed()});
    }
    report.taps = taps.report(host.senderMgr, kCards);
    return report;
}

void printReport(const Report& report) {
    fmt::print("\n{:<28} {:<11} {:>8} {:>10} {:>8} {:>8} {:>8}\n", "card", "driven by", "passes", "passes/s", "render",
               "endFrame", "missed");
    for (const auto& c : report.cards)
        fmt::print("{:<28} {:<11} {:>8} {:>10.1f} {:>8} {:>8} {:>8}\n", c.card, c.driver, c.renders,
                   c.renders / report.seconds, c.renders, c.endFrames, c.missedVBlanks);
    printTaps(report.taps);
    printInputsReport(report.inputs);
    printEditingReport(report.editing);
}

}  // namespace sandbox
