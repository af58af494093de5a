#include "launcher.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>

namespace sandbox {

namespace {

volatile std::sig_atomic_t interrupted = 0;
int interruptPipe[2] = {-1, -1};

void onInterrupt(int) {
    interrupted = 1;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(interruptPipe[1], &byte, 1);
}

// In the child, between fork and exec: only async-signal-safe calls.
[[noreturn]] void execNode(const std::vector<char*>& argv, int output, pid_t parent) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(output, STDOUT_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

}  // namespace

// A TCP port free on the first node's address, for every node to listen on.
int freePort(const std::string& ip) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr(ip.c_str());
    socklen_t length = sizeof address;
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (fd >= 0) ::close(fd);
    if (!bound) throw std::runtime_error(fmt::format("no free port on {}", ip));
    return ntohs(address.sin_port);
}

void installInterruptHandler() {
    if (interruptPipe[0] >= 0) return;
    if (::pipe2(interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("no pipe for interrupts");
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

NodeProcesses::NodeProcesses(std::string executable, std::vector<std::string> arguments, int count)
    : _executable(std::move(executable)), _arguments(std::move(arguments)), _nodes(static_cast<size_t>(count)) {}

NodeProcesses::~NodeProcesses() {
    for (int i = 0; i < count(); ++i)
        if (_nodes[static_cast<size_t>(i)].running) kill(i);
}

void NodeProcesses::start(int index, const std::string& ip) {
    NodeProcess& node = _nodes.at(static_cast<size_t>(index));
    if (node.running) throw std::logic_error("node already running");
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe for a node");
    std::vector<std::string> words = {_executable};
    words.insert(words.end(), _arguments.begin(), _arguments.end());
    words.insert(words.end(), {"--node", std::to_string(index)});
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    node = NodeProcess{.ip = ip, .startedMs = steadyNowMs()};
    const pid_t pid = ::fork();
    if (pid == 0) execNode(argv, pipeEnds[1], parent);
    ::close(pipeEnds[1]);
    if (pid < 0) {
        ::close(pipeEnds[0]);
        throw std::runtime_error("cannot start a node process");
    }
    node.pid = pid;
    node.output = pipeEnds[0];
    node.running = true;
    if (!waitUntil([&] { return node.readyMs != 0 || !node.running; }, std::chrono::seconds(10)) || !node.running)
        throw std::runtime_error(fmt::format("node {} did not start", ip));
}

int64_t NodeProcesses::kill(int index) {
    NodeProcess& node = _nodes.at(static_cast<size_t>(index));
    ::kill(node.pid, SIGKILL);
    const int64_t at = steadyNowMs();
    reap(index);
    return at;
}

void NodeProcesses::pause(int index) {
    NodeProcess& node = _nodes.at(static_cast<size_t>(index));
    if (node.running && ::kill(node.pid, SIGSTOP) == 0) node.paused = true;
}

void NodeProcesses::resume(int index) {
    NodeProcess& node = _nodes.at(static_cast<size_t>(index));
    if (node.running) ::kill(node.pid, SIGCONT);
    node.paused = false;
}

bool NodeProcesses::terminateAll(std::chrono::milliseconds timeout) {
    for (int i = 0; i < count(); ++i) resume(i);  // a stopped node takes SIGTERM only once continued
    for (const auto& node : _nodes)
        if (node.running) ::kill(node.pid, SIGTERM);
    const auto allEnded = [&] {
        for (const auto& node : _nodes)
            if (node.running) return false;
        return true;
    };
    const bool ended = waitUntil(allEnded, timeout);
    for (int i = 0; i < count(); ++i)
        if (_nodes[static_cast<size_t>(i)].running) kill(i);
    return ended;
}

bool NodeProcesses::endAll(std::chrono::milliseconds timeout) {
    const bool ended = terminateAll(timeout);
    return ended && std::all_of(_nodes.begin(), _nodes.end(),
                                [](const NodeProcess& node) { return node.exitCode == 0 && node.saidBye; });
}

bool NodeProcesses::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (interrupted) throw std::runtime_error("interrupted");
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        std::vector<pollfd> fds;
        std::vector<int> owners;
        for (int i = 0; i < count(); ++i)
            if (_nodes[static_cast<size_t>(i)].running) {
                fds.push_back({_nodes[static_cast<size_t>(i)].output, POLLIN, 0});
                owners.push_back(i);
            }
        if (interruptPipe[0] >= 0) fds.push_back({interruptPipe[0], POLLIN, 0});
        if (::poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 && errno != EINTR)
            throw std::runtime_error("poll failed");
        for (size_t i = 0; i < owners.size(); ++i)
            if (fds[i].revents != 0) readFrom(owners[i]);
    }
    return true;
}

void NodeProcesses::readFrom(int index) {
    NodeProcess& node = _nodes[static_cast<size_t>(index)];
    char buffer[4096];
    const ssize_t got = ::read(node.output, buffer, sizeof buffer);
    if (got <= 0) return reap(index);  // the node closed its output: it is ending
    node.pending.append(buffer, static_cast<size_t>(got));
    for (size_t end; (end = node.pending.find('\n')) != std::string::npos;) {
        handleLine(index, node.pending.substr(0, end));
        node.pending.erase(0, end + 1);
    }
}

void NodeProcesses::handleLine(int index, const std::string& line) {
    NodeProcess& node = _nodes[static_cast<size_t>(index)];
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "state") {
        if (auto report = parseReport(line)) node.last = *report;
    } else if (kind == "ev") {
        NodeEvent event{.node = index};
        words >> event.ms;
        std::getline(words >> std::ws, event.text);
        _events.push_back(event);
    } else if (kind == "ready") {
        std::string ip;
        int64_t startMs = 0;
        words >> ip >> startMs >> node.netPort;
        node.readyMs = steadyNowMs();
    } else if (kind == "bye") {
        node.saidBye = true;
    }
}

void NodeProcesses::reap(int index) {
    NodeProcess& node = _nodes[static_cast<size_t>(index)];
    if (!node.running) return;
    int status = 0;
    if (::waitpid(node.pid, &status, 0) <= 0) return;
    node.running = false;
    node.paused = false;
    node.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    node.endSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    ::close(node.output);
    node.output = -1;
}

}  // namespace sandbox
