#include "framesync.h"

#include <chrono>
#include <cstdio>

#include "qorvahost/export.h"

namespace zqframesync {

namespace {
constexpr int kInfo = 1;
constexpr int kWarn = 2;
constexpr int kError = 3;
}  // namespace

StandInFrameSync::StandInFrameSync(FrameSyncLogCallback log, std::string version)
    : _log(log), _version(std::move(version)) {
    this->log(kInfo, "frame sync %s created, port %d", _version.c_str(), _port.port());
    if (_port.port() == 0) this->log(kError, "no UDP port on the loopback address");
}

StandInFrameSync::~StandInFrameSync() = default;

template <class... Args>
void StandInFrameSync::log(int level, const char* format, Args... args) {
    if (!_log) return;
    char text[256];
    if constexpr (sizeof...(Args) == 0)
        std::snprintf(text, sizeof text, "%s", format);
    else
        std::snprintf(text, sizeof text, format, args...);
    _log(level, text);
}

void StandInFrameSync::destroy() {
    {
        std::lock_guard lock(_mutex);
        _running = false;
    }
    _changed.notify_all();
    if (_thread.joinable()) _thread.join();
    log(kInfo, "frame sync destroyed");
    delete this;
}

void StandInFrameSync::init(int, int, void* codecCtx, uint32_t, void*) {
    if (!codecCtx) log(kWarn, "init without a codec context");
    std::lock_guard lock(_mutex);
    if (_running) return;
    _running = true;
    _thread = std::thread([this] { run(); });
}

void StandInFrameSync::addRenderCtx(IFrameSyncRenderCtx* ctx, int cardIndex, const char* cardName) {
    const std::string name = cardName ? cardName : "";  // the text is valid only during the call
    {
        std::lock_guard lock(_mutex);
        _cards.push_back(Card{ctx, cardIndex, name});
    }
    _changed.notify_all();
    log(kInfo, "render context %d (%s) added", cardIndex, name.c_str());
}

void StandInFrameSync::setMasterCard(int cardIndex) {
    log(kInfo, "master card %d", cardIndex);
    std::lock_guard lock(_mutex);
    _masterCard = cardIndex;
}

bool StandInFrameSync::linkTarget(const char* ip, int port) {
    const std::string target = ip ? ip : "";
    log(kInfo, "link target %s:%d", target.c_str(), port);
    std::lock_guard lock(_mutex);
    _targets.emplace(target, port);
    return true;
}

bool StandInFrameSync::dislinkTarget(const char* ip, int port) {
    const std::string target = ip ? ip : "";
    log(kInfo, "dislink target %s:%d", target.c_str(), port);
    std::lock_guard lock(_mutex);
    return _targets.erase({target, port}) > 0;
}

void StandInFrameSync::setSyncMode(int mode) { log(kInfo, "sync mode %d", mode); }

bool StandInFrameSync::keepMasterTime(bool isClear) {
    log(kInfo, "keep master time %s", isClear ? "on" : "off");
    std::lock_guard lock(_mutex);
    _keepMasterTime = isClear;
    return true;
}

std::string StandInFrameSync::linkedTargets() {
    std::lock_guard lock(_mutex);
    std::string text;
    for (const auto& [ip, port] : _targets) text += ip + ":" + std::to_string(port) + "\n";
    return text;
}

// The master is the card the library named, or the first one until it names one.
StandInFrameSync::Cycle StandInFrameSync::cardsToDrive() {
    std::unique_lock lock(_mutex);
    _changed.wait(lock, [&] { return !_running || !_cards.empty(); });
    if (!_running) return {};
    Cycle cycle{_cards, 0};
    for (size_t i = 0; i < _cards.size(); ++i)
        if (_cards[i].index == _masterCard) cycle.master = i;
    return cycle;
}

// Each cycle draws every card, then waits for the master card's vertical blank: the
// cards share its phase, so one wait paces them all. A cycle takes at least a
// millisecond, so that cards that cannot wait do not spin.
void StandInFrameSync::run() {
    uint32_t number = 0;
    for (auto cycle = cardsToDrive(); !cycle.cards.empty(); cycle = cardsToDrive()) {
        const auto start = std::chrono::steady_clock::now();
        ++number;
        for (const auto& card : cycle.cards) card.context->renderScene(static_cast<int>(number));
        cycle.cards[cycle.master].context->waitForVBlank();
        std::this_thread::sleep_until(start + std::chrono::milliseconds(1));
    }
}

}  // namespace zqframesync

extern "C" QORVAHOST_EXPORT int zqframesyncLinkedTargets(IFrameSync* object, char* out, int size) {
    if (!object) return 0;
    const std::string text = static_cast<zqframesync::StandInFrameSync*>(object)->linkedTargets();
    if (out && size > 0) std::snprintf(out, static_cast<size_t>(size), "%s", text.c_str());
    return static_cast<int>(text.size());
}

extern "C" QORVAHOST_EXPORT IFrameSync* createFrameSync(FrameSyncLogCallback logCallback, const char* version) {
    return new zqframesync::StandInFrameSync(logCallback, version ? version : "");
}
