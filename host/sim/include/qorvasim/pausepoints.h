#pragma once
// Pause points: the simulated host's calls announce themselves here, so that a test
// can park the next thread that enters a chosen call (a render thread inside
// getInputSources, the runtime's thread inside notifyMasterRole, ...) until it lets
// the thread go. Waits are bounded, so a failing test still ends.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace qorva::sim {

// Called by the simulated host at the entry of each call it offers. `where` narrows it
// (a card text, a node IP); costs one atomic load when nothing is armed.
void pausePoint(const char* call, const std::string& where = {});

// One armed call: parks the first thread that enters it (after `skip` others passed).
class Parking {
public:
    Parking(std::string call, std::string where, int skip)
        : call(std::move(call)), where(std::move(where)), skip(skip) {}
    Parking(const Parking&) = delete;
    Parking& operator=(const Parking&) = delete;
    // Lets the parked thread (or the next one to come) go.
    ~Parking();

    // Waits until a thread is parked here; false on timeout.
    bool awaitEntered(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Lets the parked thread go and disarms; a thread that comes later passes.
    void release();
    // Whether a thread is parked here now.
    bool parked() const;
    // The parked (or last parked) thread.
    std::thread::id thread() const;

    const std::string call;
    const std::string where;  // empty: any detail

private:
    friend void pausePoint(const char* call, const std::string& where);
    bool take(const char* call, const std::string& where);
    void park();

    int skip;
    bool _entered = false;
    bool _parked = false;
    bool _released = false;
    std::thread::id _thread;
};

// Arms `call` (with `where`, a detail such as the card text, if not empty). At most a
// few parkings are armed at once; each is disarmed when released or destroyed.
std::shared_ptr<Parking> armPause(const std::string& call, const std::string& where = {}, int skip = 0);

// Calls `watcher` at every pause point from now on (an empty one stops it): a test
// notes which host calls arrive, and on which thread, without arming any.
void watchCalls(std::function<void(const char* call, const std::string& where)> watcher);

// How long a parked thread waits at most before it goes on by itself.
constexpr std::chrono::seconds kParkLimit{20};

}  // namespace qorva::sim
