// The sandbox host: runs the simulated host for a while and reports what it saw.
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "qorvasim/host.h"

namespace {

// Until the render control library drives them, each card runs a plain host loop.
void driveCard(qorva::sim::SimHost& host, const std::string& cardText,
               const std::shared_ptr<qorva::sim::SimRenderFacade>& card, const std::atomic<bool>& running) {
    while (running) {
        std::vector<tarsel::InputSourceItem> items;
        host.mediaMgr.getInputSources(items, cardText, true);
        std::vector<std::shared_ptr<tarsel::IPlayer>> consumed;
        for (const auto& item : items)
            if (auto player = item.sharedPlayer.lock(); player && player->getFrame(0.0)) consumed.push_back(player);
        card->render();
        for (const auto& player : consumed) player->frameConsumed();
        card->endFrame();
        card->waitForVBlank();
    }
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 3.0;
    std::string out = "out/sandbox";
    CLI::App app{"Runs the simulated playout host."};
    app.add_option("--seconds", seconds, "How long to run")->check(CLI::Range(0.1, 3600.0));
    app.add_option("--out", out, "Folder for the output files");
    CLI11_PARSE(app, argc, argv);

    qorva::sim::SimHost host;
    const std::vector<std::string> cards = {"#0(NVIDIA RTX A4000)", "#1(Intel UHD 770)"};
    for (const auto& text : cards) host.addCard(text);
    host.addPlayer(cards[0], {.name = "clip-a", .rgba = 0xFF2040C0u}, 101, 1);
    host.addPlayer(cards[0], {.name = "clip-b", .rgba = 0xFF20A040u}, 102, 2);
    host.addPlayer(cards[1], {.name = "camera", .rgba = 0xFFC04020u}, 201, 1);

    std::atomic<bool> running{true};
    std::vector<std::thread> threads;
    for (const auto& text : cards)
        threads.emplace_back(driveCard, std::ref(host), text, host.facade->card(text), std::cref(running));
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    running = false;
    for (const auto& text : cards) host.facade->card(text)->vblank().open();
    for (auto& t : threads) t.join();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    fmt::print("{:<24} {:>8} {:>10} {:>8} {:>8}\n", "card", "renders", "per second", "vblanks", "missed");
    for (const auto& text : cards) {
        const auto card = host.facade->card(text);
        fmt::print("{:<24} {:>8} {:>10.1f} {:>8} {:>8}\n", text, card->renders(), card->renders() / elapsed,
                   card->vblank().waits(), card->vblank().missed());
    }
    for (const auto& player : host.players)
        fmt::print("player {:<10} frames made {:>6}, consumed {:>6}\n", player->options().name, player->framesMade(),
                   player->framesConsumed());
    return 0;
}
