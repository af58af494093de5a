#pragma once
// A cluster link manager over ZeroMQ, one per node process. Every node listens on
// tcp://<its ip>:<port> and sends to the others' addresses; heartbeats tell the
// others it is alive, and roles follow the cluster rule from the nodes it hears.
// Signals are emitted and requests handled on the manager's own thread, or with the
// duties on the runtime's thread (deliverOn).
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qorvahost/ilinkmgr.h"
#include "qorvahost/izqruntime.h"

namespace qorva::sim {

struct ZmqLinkConfig {
    std::vector<std::string> ips;  // every node's IP, the local one among them
    std::string localIp;
    int port = 0;
    std::string clusterIp = "239.0.0.1";
    std::chrono::milliseconds heartbeat{100};
    int missedBeats = 5;   // silence of this many beats: the node is gone
    int64_t joinedMs = 0;  // when the local node started, on the machine's steady clock
    // The duties toward the cluster link that bring every node back into sync after a
    // fault (README, "The link manager's duties"): suspect an own stall, demote a
    // master through master backup, ask each node without a port report to announce
    // its role again, deliver on the runtime's thread (given by deliverOn). Off only to
    // show what goes wrong without them.
    bool duties = true;
    // Obeys fault messages ("ft", see linkfaults.h) from any peer: for chaos runs only.
    bool acceptFaults = false;
    uint64_t faultSeed = 1;  // for the random loss and delay
};

class ZmqLinkMgr : public tarsel::link::ILinkMgr {
public:
    using Handler = std::function<void(std::string args, std::string senderIp)>;
    // What the manager notices (membership, roles, rejected input), one line each, on
    // its own thread and, for what the handlers do, where signals are delivered.
    using EventSink = std::function<void(const std::string& event)>;

    // Binds the local address; throws std::runtime_error when it cannot.
    ZmqLinkMgr(ZmqLinkConfig config, EventSink events);
    ~ZmqLinkMgr() override;
    ZmqLinkMgr(const ZmqLinkMgr&) = delete;
    ZmqLinkMgr& operator=(const ZmqLinkMgr&) = delete;

    // With the duties, every signal and request handler is posted to this runtime and
    // runs on its thread, in order, where the library runs its restore timer: a role
    // change comes wholly before or after a restore, never inside one. The manager's
    // thread does not wait for it, so a busy runtime holds back the signals, not the
    // heartbeats. Without a runtime given, the duties deliver on the manager's thread.
    // Call before start(); the runtime outlives stop().
    void deliverOn(tarsel::IZQRuntime* runtime);
    // Starts the manager's thread. A node takes no role for its first missedBeats
    // beats, while it learns who is there.
    void start();
    // Joins the thread; nothing is emitted or handled afterwards (deliveries still
    // queued on the runtime are dropped, one under way is waited for). Not from a
    // signal's slot or a request's handler.
    void stop();

    std::vector<tarsel::link::ServerNodeInfo> getClusterNodes() override;
    tarsel::link::ServerNodeInfo getLocalNodeInfo() override;
    void registerMethod(const std::string& method, const Handler& handler) override;
    void unregisterMethod(const std::string& method) override;
    void sendRequest(const tarsel::link::LinkRequest& request) override;
    void setBackupMethods(const std::vector<std::string>& methods) override;
    std::vector<std::string> getBackupIps(const std::string& localIp) override;

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

// Sends one message of raw frames to a node's address, as any peer could: for
// probing a node with input it must survive.
void sendRawFrames(const std::string& ip, int port, const std::vector<std::string>& frames);

}  // namespace qorva::sim
