#pragma once
// Starts the sandbox's node processes and follows what each reports on its standard
// output. Every child is killed and reaped when the launcher goes, also when the
// sandbox is interrupted; a child whose launcher dies is killed by the system.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "nodereport.h"

namespace sandbox {

struct NodeEvent {
    int64_t ms = 0;
    int node = 0;
    std::string text;
};

struct NodeProcess {
    pid_t pid = -1;
    int output = -1;  // read end of the child's standard output
    std::string pending;
    std::string ip;
    int64_t startedMs = 0;  // when the launcher started it
    int64_t readyMs = 0;    // when it reported ready
    int netPort = 0;        // its frame sync port
    bool running = false;
    bool saidBye = false;
    bool paused = false;  // stopped by SIGSTOP
    int exitCode = -1;    // -1 while running or when killed by a signal
    int endSignal = 0;    // the signal that killed it, if one did
    NodeReport last;
};

class NodeProcesses {
public:
    // `arguments` go to every node after the executable; each gets "--node <index>".
    NodeProcesses(std::string executable, std::vector<std::string> arguments, int count);
    ~NodeProcesses();
    NodeProcesses(const NodeProcesses&) = delete;
    NodeProcesses& operator=(const NodeProcesses&) = delete;

    // Starts node `index` and waits until it reports ready; throws when it does not.
    void start(int index, const std::string& ip);
    // SIGKILL, then reaps it; returns when it happened (steady clock ms).
    int64_t kill(int index);
    // SIGSTOP and SIGCONT: the node stands still, as on a machine that hangs.
    void pause(int index);
    void resume(int index);
    // SIGTERM to every running node; true when all ended within the timeout (those
    // that did not are killed).
    bool terminateAll(std::chrono::milliseconds timeout);
    // As terminateAll; true when moreover every node said bye and exited with code 0.
    bool endAll(std::chrono::milliseconds timeout);

    // Reads what the nodes report until `done` holds; false on timeout. Throws
    // std::runtime_error when the sandbox is interrupted.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    int count() const { return static_cast<int>(_nodes.size()); }
    const NodeProcess& node(int index) const { return _nodes.at(static_cast<size_t>(index)); }
    const std::vector<NodeEvent>& events() const { return _events; }

private:
    void readFrom(int index);
    void handleLine(int index, const std::string& line);
    void reap(int index);  // waits for it to end

    const std::string _executable;
    const std::vector<std::string> _arguments;
    std::vector<NodeProcess> _nodes;
    std::vector<NodeEvent> _events;
};

// A TCP port free on `ip`, for every node's link manager to listen on.
int freePort(const std::string& ip);

// SIGINT and SIGTERM of the sandbox end the waits of every launcher (which then
// kill and reap their nodes) instead of the sandbox.
void installInterruptHandler();

}  // namespace sandbox
