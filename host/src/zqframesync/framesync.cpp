#include "framesync.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "qorvahost/export.h"

namespace zqframesync {

namespace {
constexpr int kInfo = 1;
constexpr char kBeaconMagic[4] = {'Q', 'F', 'S', 'B'};
constexpr size_t kBeaconSize = 8;      // magic and cycle number
constexpr int64_t kBeaconGapMs = 250;  // a pause this long starts a new run of beacons

std::mutex bindAddressMutex;
std::string bindAddress;

std::string currentBindAddress() {
    std::lock_guard lock(bindAddressMutex);
    return bindAddress;
}

int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
constexpr int kWarn = 2;
constexpr int kError = 3;
}  // namespace

StandInFrameSync::StandInFrameSync(FrameSyncLogCallback log, std::string version)
    : _log(log), _version(std::move(version)), _port(currentBindAddress()) {
    this->log(kInfo, "frame sync %s created, port %d", _version.c_str(), _port.port());
    if (_port.port() == 0) this->log(kError, "no UDP port on the loopback address");
    _receiver = std::thread([this] { receive(); });
}

void StandInFrameSync::setBindAddress(const std::string& ip) {
    std::lock_guard lock(bindAddressMutex);
    bindAddress = ip;
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
    _receiving = false;
    const char wake = 0;  // not a beacon: the receiver wakes, sees the flag and ends
    _port.sendTo(_port.ip(), _port.port(), &wake, sizeof wake);
    _receiver.join();
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

std::string StandInFrameSync::beaconsReceived() {
    std::lock_guard lock(_mutex);
    std::string text;
    for (const auto& [ip, received] : _received)
        text += ip + " " + std::to_string(received.count) + " " + std::to_string(received.sinceMs) + " " +
                std::to_string(received.lastMs) + "\n";
    return text;
}

void StandInFrameSync::sendBeacons(uint32_t cycle) {
    std::vector<std::pair<std::string, int>> targets;
    {
        std::lock_guard lock(_mutex);
        targets.assign(_targets.begin(), _targets.end());
    }
    unsigned char beacon[kBeaconSize];
    std::memcpy(beacon, kBeaconMagic, sizeof kBeaconMagic);
    for (size_t i = 0; i < 4; ++i) beacon[4 + i] = static_cast<unsigned char>(cycle >> (8 * i));
    // Nothing leaves the loopback range: the tests link made-up addresses too.
    for (const auto& [ip, port] : targets)
        if (ip.rfind("127.", 0) == 0) _port.sendTo(ip, port, beacon, sizeof beacon);
}

// Counts the beacons that arrive, per sender; anything else on the port is ignored.
void StandInFrameSync::receive() {
    unsigned char buffer[64];
    std::string from;
    while (_receiving) {
        const int size = _port.receive(buffer, sizeof buffer, from);
        if (size != static_cast<int>(kBeaconSize) || std::memcmp(buffer, kBeaconMagic, sizeof kBeaconMagic) != 0)
            continue;
        const int64_t now = steadyMs();
        std::lock_guard lock(_mutex);
        Received& received = _received[from];
        if (received.count++ == 0 || now - received.lastMs >= kBeaconGapMs) received.sinceMs = now;
        received.lastMs = now;
    }
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
        sendBeacons(number);
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

extern "C" QORVAHOST_EXPORT int zqframesyncBeaconsReceived(IFrameSync* object, char* out, int size) {
    if (!object) return 0;
    const std::string text = static_cast<zqframesync::StandInFrameSync*>(object)->beaconsReceived();
    if (out && size > 0) std::snprintf(out, static_cast<size_t>(size), "%s", text.c_str());
    return static_cast<int>(text.size());
}

extern "C" QORVAHOST_EXPORT void zqframesyncSetBindAddress(const char* ip) {
    zqframesync::StandInFrameSync::setBindAddress(ip ? ip : "");
}

extern "C" QORVAHOST_EXPORT IFrameSync* createFrameSync(FrameSyncLogCallback logCallback, const char* version) {
    return new zqframesync::StandInFrameSync(logCallback, version ? version : "");
}
