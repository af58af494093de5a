#pragma once
// A stand-in for the frame sync library: the least that the render control library
// asks of it. One thread drives every registered render context in step: its cards
// are genlocked, so a cycle draws one scene per card and waits for one vertical
// blank, the master card's. Link targets and the master-time flag are recorded; the
// port is a real UDP socket on a loopback address. Each cycle sends a small beacon to
// every link target, and every beacon received is counted per sender, so that
// "linked" can be seen on the wire.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "qorvahost/iframesync.h"
#include "qorvarenderctrl/iframesyncrenderctx.h"
#include "udpport.h"

namespace zqframesync {

class StandInFrameSync final : public IFrameSync {
public:
    StandInFrameSync(FrameSyncLogCallback log, std::string version);

    void destroy() override;
    void init(int a, int b, void* codecCtx, uint32_t flags, void* reserved) override;
    void addRenderCtx(IFrameSyncRenderCtx* ctx, int cardIndex, const char* cardName) override;
    void setMasterCard(int cardIndex) override;
    int getNetPort() override { return _port.port(); }
    bool linkTarget(const char* ip, int port) override;
    bool dislinkTarget(const char* ip, int port) override;
    void setSyncMode(int mode) override;
    bool keepMasterTime(bool isClear) override;

    // "ip:port" lines, ascending.
    std::string linkedTargets();
    // "ip count sinceMs lastMs" lines per sender, ascending: all beacons, when the
    // present run of them began (after a pause of 250 ms or more) and the last one;
    // times on the steady clock.
    std::string beaconsReceived();

    // The address objects created from now on bind their port to (127.0.0.1 when empty).
    static void setBindAddress(const std::string& ip);

private:
    struct Card {
        IFrameSyncRenderCtx* context;
        int index;
        std::string name;
    };

    struct Received {
        uint64_t count = 0;
        int64_t sinceMs = 0;
        int64_t lastMs = 0;
    };

    struct Cycle {
        std::vector<Card> cards;
        size_t master = 0;  // the card whose blank the cycle waits for
    };

    ~StandInFrameSync();
    void run();
    void sendBeacons(uint32_t cycle);
    void receive();
    Cycle cardsToDrive();
    template <class... Args>
    void log(int level, const char* format, Args... args);

    const FrameSyncLogCallback _log;
    const std::string _version;
    UdpPort _port;
    std::mutex _mutex;
    std::condition_variable _changed;
    std::vector<Card> _cards;
    std::set<std::pair<std::string, int>> _targets;
    int _masterCard = -1;
    bool _keepMasterTime = false;
    bool _running = false;
    std::map<std::string, Received> _received;
    std::thread _thread;
    std::atomic<bool> _receiving{true};
    std::thread _receiver;  // last: it uses everything above
};

}  // namespace zqframesync
