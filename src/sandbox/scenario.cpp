#include "scenario.h"

#include <chrono>
#include <thread>

#include <fmt/format.h>

#include "qorvarenderctrl/qorvarenderctrl.h"
#include "qorvasim/host.h"

namespace sandbox {

namespace {

using qorva::mediadispatch::RenderCtrlMgr;

const std::vector<std::string> kCards = {"#0(Intel UHD Graphics 770)", "#1(AMD Radeon Pro W6600)"};

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

}  // namespace

Report runScenario(const Options& options) {
    qorva::sim::SimHost host;
    for (const auto& text : kCards) host.addCard(text)->setOutputTextures({{1, 0x100}, {2, 0x200}});
    addPlayers(host);

    auto mgr = std::make_shared<RenderCtrlMgr>();
    const auto start = std::chrono::steady_clock::now();
    wire(*mgr, host);
    const EditingReport editing = runEditing(host);
    std::this_thread::sleep_for(std::chrono::duration<double>(options.seconds));
    unwire(*mgr);

    Report report;
    report.editing = editing;
    report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const auto& text : kCards) {
        const auto card = host.facade->card(text);
        report.cards.push_back(
            {text, card->renders(), card->endFrames(), card->vblank().waits(), card->vblank().missed()});
    }
    return report;
}

void printReport(const Report& report) {
    fmt::print("\n{:<28} {:>8} {:>10} {:>8} {:>8} {:>8}\n", "card", "passes", "passes/s", "render", "endFrame",
               "missed");
    for (const auto& c : report.cards)
        fmt::print("{:<28} {:>8} {:>10.1f} {:>8} {:>8} {:>8}\n", c.card, c.renders, c.renders / report.seconds,
                   c.renders, c.endFrames, c.missedVBlanks);
    printEditingReport(report.editing);
}

}  // namespace sandbox
