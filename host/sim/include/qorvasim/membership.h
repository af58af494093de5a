#pragma once
// The membership a node's link manager keeps: when each node was last heard, who
// is present and which role the cluster rule gives each. Thread-safe.
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

#include "qorvahost/ilinkmgr.h"
#include "qorvasim/zmqlinkmgr.h"

namespace qorva::sim {

class Membership {
public:
    using Clock = std::chrono::steady_clock;

    // What a review found, for the manager to emit in this order: the local node's
    // new role, the node list, the backups new to a master, and a master that took
    // over from a role other than backup.
    struct Review {
        std::vector<std::string> events;
        bool localChanged = false;
        tarsel::link::ServerNodeInfo local;
        bool nodesChanged = false;
        std::vector<tarsel::link::ServerNodeInfo> nodes;
        std::vector<std::string> backupsAdded;
        std::string replacedMaster;       // set when the local node took over from it
        std::vector<std::string> joined;  // nodes present again, or for the first time
        std::vector<std::string> gone;
    };

    // Listens for the first missedBeats beats from `start` before it assigns roles.
    Membership(const ZmqLinkConfig& config, Clock::time_point start);
    // Starts the listen period again, from when the manager begins to beat.
    void listenFrom(Clock::time_point start);

    // A heartbeat; false when the IP is no node of the cluster.
    bool heard(const std::string& ip, int64_t joinedMs, Clock::time_point now);
    // The local node stood still so long that the others have counted it gone: it
    // leaves (its next review reports the local role null), joins again as the newest
    // node with `joinedMs` after listening anew, and hears everyone from `now` on
    // before it counts anyone gone.
    void rejoinAfterStall(Clock::time_point now, int64_t joinedMs);
    int64_t localJoinedMs() const;
    // A port table of the master arrived (ms on the steady clock). With the duties, a
    // node that joined too shortly before the last table to have its current port in
    // it is listed without statusC, so that a restore from that table skips it.
    void tableReceived(int64_t atMs);
    // The IP of the master as the local node sees it; empty when there is none.
    std::string master() const;
    // Marks nodes silent for too long as gone and assigns roles afresh.
    Review review(Clock::time_point now);

    std::vector<tarsel::link::ServerNodeInfo> nodes() const;
    tarsel::link::ServerNodeInfo local() const;

private:
    struct Node {
        tarsel::link::ServerNodeInfo info;
        int64_t joinedMs = 0;
        bool heard = false;
        Clock::time_point lastHeard;
    };

    bool updatePresence(Clock::time_point now, Review& review);
    void assign(Review& review);
    std::vector<tarsel::link::ServerNodeInfo> nodesLocked() const;

    const size_t _local;
    const bool _duties;
    int64_t _tableMs = 0;
    const Clock::duration _silence;
    const Clock::duration _listen;
    Clock::time_point _listenEnd;
    bool _listening = true;
    bool _rankChanged = false;  // a node's join time changed: roles are assigned afresh
    bool _left = false;         // the local node left after a stall and has not said so
    mutable std::mutex _mutex;
    std::vector<Node> _nodes;
};

}  // namespace qorva::sim
