#include "qorvasim/zmqlinkmgr.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <thread>

#include <fmt/format.h>
#include <zmq.hpp>
#include <zmq_addon.hpp>

#include "deliverygate.h"
#include "qorvasim/clusterrules.h"
#include "qorvasim/linkfaults.h"
#include "qorvasim/membership.h"

namespace qorva::sim {

namespace {

using Clock = std::chrono::steady_clock;
using tarsel::link::LinkRequest;
using tarsel::link::ServerNodeInfo;

// The two messages on the wire, as multipart frames:
//   "hb" | sender IP | sender's start time in ms      (heartbeat)
//   "rq" | sender IP | method | args                  (request)
//   "an" | sender IP                                  (a master asks for the role again)
//   "ft" | see linkfaults.h                           (a fault to apply, in chaos runs)
const std::string kHeartbeat = "hb";
const std::string kRequest = "rq";
const std::string kAnnounce = "an";
const std::string kFault = "ft";
constexpr auto kAskAgain = std::chrono::milliseconds(300);
constexpr size_t kMaxMethod = 64;
constexpr size_t kMaxArgs = 64 * 1024;
constexpr int64_t kMaxWireMessage = 1024 * 1024;  // ZeroMQ drops the peer beyond this
constexpr int kSendQueue = 100;

std::string endpoint(const std::string& ip, int port) { return fmt::format("tcp://{}:{}", ip, port); }

std::optional<int64_t> parseMs(const std::string& text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool announcesAnything(const Membership::Review& review) {
    return review.localChanged || review.nodesChanged || !review.backupsAdded.empty() || !review.replacedMaster.empty();
}

std::string printable(const std::string& text) {
    std::string out;
    for (const char c : text.substr(0, 32)) out += (c >= 0x20 && c < 0x7f) ? c : '.';
    return out;
}

}  // namespace

struct ZmqLinkMgr::Impl {
    Impl(ZmqLinkConfig c, EventSink e)
        : config(std::move(c)), events(std::move(e)), membership(config, Clock::now()), faults(config.faultSeed) {
        pull.set(zmq::sockopt::linger, 0);
        pull.set(zmq::sockopt::maxmsgsize, kMaxWireMessage);
        try {
            pull.bind(endpoint(config.localIp, config.port));
        } catch (const zmq::error_t& e) {
            throw std::runtime_error(
                fmt::format("cannot listen on {}: {}", endpoint(config.localIp, config.port), e.what()));
        }
        for (const auto& ip : config.ips) {
            zmq::socket_t push(context, zmq::socket_type::push);
            push.set(zmq::sockopt::linger, 0);
            push.set(zmq::sockopt::immediate, true);  // nothing queues for a node that is not there
            push.set(zmq::sockopt::sndhwm, kSendQueue);
            push.connect(endpoint(ip, config.port));
            pushes.emplace(ip, std::move(push));
        }
    }

    void note(const std::string& event) {
        if (events) events(event);
    }

    // Sends on the socket to `ip`; false when the node is not connected or unknown.
    bool send(const std::string& ip, const std::vector<std::string>& frames) {
        std::lock_guard lock(sendMutex);
        const auto it = pushes.find(ip);
        if (it == pushes.end()) return false;
        std::vector<zmq::const_buffer> buffers;
        for (const auto& frame : frames) buffers.push_back(zmq::buffer(frame));
        try {
            return zmq::send_multipart(it->second, buffers, zmq::send_flags::dontwait).has_value();
        } catch (const zmq::error_t&) {
            return false;
        }
    }

    void run();
    void beat();
    bool stalled(Clock::time_point now);
    void emit(const Membership::Review& review);
    void askForReports(const Membership::Review& review, Clock::time_point now);
    void receiveAll();
    void admit(std::vector<std::string> frames);
    void handleDelayed();
    void handle(const std::vector<std::string>& frames);
    void announceAgain(const std::string& sender);
    void dispatch(const std::string& sender, const std::string& method, const std::string& args);
    void handleRequest(const std::string& sender, const std::string& method, const std::string& args);
    // The handler of `method` and whether it takes the master's port table.
    std::pair<Handler, bool> lookup(const std::string& method);
    void deliver(std::function<void()> work);

    const ZmqLinkConfig config;
    const EventSink events;
    Membership membership;
    zmq::context_t context{1};
    zmq::socket_t pull{context, zmq::socket_type::pull};
    std::mutex sendMutex;
    std::map<std::string, zmq::socket_t> pushes;
    std::mutex methodMutex;
    std::map<std::string, Handler> methods;
    std::vector<std::string> backupMethods;
    std::atomic<bool> running{false};
    std::thread thread;
    tarsel::IZQRuntime* runtime = nullptr;     // set before start
    std::shared_ptr<DeliveryGate> deliveries;  // a new one at each start
    // Only on the manager's thread:
    LinkFaults faults;
    std::multimap<Clock::time_point, std::vector<std::string>> delayed;
    Clock::time_point nextBeat;
    std::optional<Clock::time_point> lastBeat;
    std::map<std::string, Clock::time_point> awaitingReport;  // node -> when to ask it again
    ZmqLinkMgr* owner = nullptr;
};

// A due beat comes before any input: a node that stood still reviews the silence it
// saw before it reads what queued meanwhile.
void ZmqLinkMgr::Impl::run() {
    nextBeat = Clock::now();
    membership.listenFrom(nextBeat);
    while (running) {
        const auto now = Clock::now();
        if (now >= nextBeat) {
            beat();
            nextBeat += config.heartbeat;
            if (nextBeat < now) nextBeat = now + config.heartbeat;  // after a stall, no burst
            continue;
        }
        handleDelayed();
        zmq::pollitem_t item{pull.handle(), 0, ZMQ_POLLIN, 0};
        const auto until = delayed.empty() ? nextBeat : std::min(nextBeat, delayed.begin()->first);
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        try {
            zmq::poll(&item, 1, std::max(wait, std::chrono::milliseconds(1)));
        } catch (const zmq::error_t& e) {
            note(fmt::format("poll failed: {}", e.what()));
            continue;
        }
        if (item.revents & ZMQ_POLLIN) receiveAll();
    }
}

void ZmqLinkMgr::Impl::beat() {
    const auto now = Clock::now();
    if (stalled(now)) membership.rejoinAfterStall(now, steadyMs(now));
    const std::vector<std::string> heartbeat = {kHeartbeat, config.localIp, std::to_string(membership.localJoinedMs())};
    for (const auto& ip : config.ips)
        if (ip != config.localIp) send(ip, heartbeat);
    const auto review = membership.review(now);
    for (const auto& event : review.events) note(event);
    if (announcesAnything(review)) deliver([this, review] { emit(review); });
    askForReports(review, now);
}

// Beats so far apart that the others may have counted this node gone: the node
// stood still (a stopped process, a paused machine), not everyone else. It does not
// count the others gone for it, and it joins again as the newest node so that it
// takes no role back from the node that replaced it.
bool ZmqLinkMgr::Impl::stalled(Clock::time_point now) {
    const auto last = std::exchange(lastBeat, now);
    const auto limit = config.heartbeat * (config.missedBeats - 1);
    if (!config.duties || !last || now - *last <= limit) return false;
    note(fmt::format("own stall of {} ms: joining again as a newcomer",
                     std::chrono::duration_cast<std::chrono::milliseconds>(now - *last).count()));
    return true;
}

// As a link manager announces changes: the local role (status, then type), the node
// list, then what only a master hears.
void ZmqLinkMgr::Impl::emit(const Membership::Review& review) {
    if (review.localChanged) {
        auto local = review.local;
        // A master that goes straight to another role keeps its targets linked: it
        // passes through master backup, which dislinks them.
        if (config.duties && local.lastType == tarsel::link::ServerType_Master &&
            local.type != tarsel::link::ServerType_MasterBackup) {
            auto step = local;
            step.type = tarsel::link::ServerType_MasterBackup;
            note(fmt::format("master demoted through master backup to {}", local.type));
            owner->sigLinkedStatusChanged(step);
            local.lastType = tarsel::link::ServerType_MasterBackup;
        }
        owner->sigLinkedStatusChanged(local);
        owner->sigLocalTypeChanged(static_cast<tarsel::link::ServerType>(local.type));
    }
    if (review.nodesChanged) owner->sigClusterNodeChanged(review.nodes);
    for (const auto& ip : review.backupsAdded) owner->sigMasterBackupAdded(ip);
    if (!review.replacedMaster.empty()) owner->sigMasterUpdate(review.replacedMaster, review.local.ip);
}

// A master asks every node that has not reported its port since the master took
// the role, or since the node came back, to announce its role again, until a
// request of the node arrives: the library reports a port only when a role changes.
void ZmqLinkMgr::Impl::askForReports(const Membership::Review& review, Clock::time_point now) {
    if (!config.duties || membership.local().type != tarsel::link::ServerType_Master) return awaitingReport.clear();
    if (review.localChanged)
        for (const auto& node : review.nodes)
            if (isPresent(node) && node.ip != config.localIp) awaitingReport[node.ip] = now;
    for (const auto& ip : review.joined) awaitingReport[ip] = now;
    for (const auto& ip : review.gone) awaitingReport.erase(ip);
    for (auto& [ip, next] : awaitingReport)
        if (now >= next) {
            send(ip, {kAnnounce, config.localIp});
            next = now + kAskAgain;
        }
}

void ZmqLinkMgr::Impl::receiveAll() {
    while (Clock::now() < nextBeat) {
        std::vector<zmq::message_t> parts;
        try {
            if (!zmq::recv_multipart(pull, std::back_inserter(parts), zmq::recv_flags::dontwait)) return;
        } catch (const zmq::error_t& e) {
            note(fmt::format("bad input ignored: cannot receive ({})", e.what()));
            return;
        }
        std::vector<std::string> frames;
        for (const auto& part : parts) frames.push_back(part.to_string());
        admit(std::move(frames));
    }
}

// Applies the fault in force: the message is dropped, handled now or kept for later.
void ZmqLinkMgr::Impl::admit(std::vector<std::string> frames) {
    if (config.acceptFaults && !frames.empty() && frames[0] == kFault) {
        if (const auto fault = parseFaultMessage(frames)) return faults.set(*fault);
    }
    const auto now = Clock::now();
    const auto due = faults.admit(frames.size() > 1 ? frames[1] : std::string(), now);
    if (!due) return;
    if (*due <= now) return handle(frames);
    delayed.emplace(*due, std::move(frames));
}

void ZmqLinkMgr::Impl::handleDelayed() {
    while (!delayed.empty() && delayed.begin()->first <= Clock::now()) {
        const auto frames = std::move(delayed.begin()->second);
        delayed.erase(delayed.begin());
        handle(frames);
    }
}

void ZmqLinkMgr::Impl::handle(const std::vector<std::string>& frames) {
    const auto reject = [&](const std::string& why) {
        note(fmt::format("bad input ignored: {} ({} frames, first \"{}\")", why, frames.size(),
                         frames.empty() ? std::string() : printable(frames[0])));
    };
    if (frames.size() < 2 || (frames[0] != kHeartbeat && frames[0] != kRequest && frames[0] != kAnnounce))
        return reject("unknown message");
    const std::string& sender = frames[1];
    if (frames[0] == kAnnounce) return frames.size() == 2 ? announceAgain(sender) : reject("malformed message");
    if (frames[0] == kHeartbeat) {
        const auto joined = frames.size() == 3 ? parseMs(frames[2]) : std::nullopt;
        if (!joined) return reject("malformed heartbeat");
        if (!membership.heard(sender, *joined, Clock::now())) return reject("heartbeat from no node of the cluster");
        return;
    }
    if (frames.size() != 4) return reject("malformed request");
    if (frames[2].size() > kMaxMethod || frames[3].size() > kMaxArgs) return reject("oversized request");
    dispatch(sender, frames[2], frames[3]);
}

// The master asks for the local role again: announced only to the node that is
// master here too, so that the port report the library sends reaches it.
void ZmqLinkMgr::Impl::announceAgain(const std::string& sender) {
    const auto local = membership.local();
    if (!config.duties || !reportsToMaster(local.type) || membership.master() != sender) return;
    note(fmt::format("role announced again, asked by {}", sender));
    deliver([this, type = local.type] { owner->sigLocalTypeChanged(static_cast<tarsel::link::ServerType>(type)); });
}

// Hands a request to the handler registered for its method, where signals are
// delivered.
void ZmqLinkMgr::Impl::dispatch(const std::string& sender, const std::string& method, const std::string& args) {
    if (!lookup(method).first)
        return note(fmt::format("bad input ignored: no handler for method \"{}\" from {}", printable(method), sender));
    note(fmt::format("request {} from {}", method, sender));
    awaitingReport.erase(sender);
    deliver([this, sender, method, args] { handleRequest(sender, method, args); });
}

// The handler is looked up again here: one unregistered meanwhile is not called. A
// handler that throws has its request dropped.
void ZmqLinkMgr::Impl::handleRequest(const std::string& sender, const std::string& method, const std::string& args) {
    const auto [handler, table] = lookup(method);
    if (!handler) return note(fmt::format("request {} from {} dropped: no handler any more", method, sender));
    try {
        handler(args, sender);
        if (table) membership.tableReceived(steadyMs(Clock::now()));
    } catch (const std::exception& e) {
        note(fmt::format("request {} from {} rejected: {}", method, sender, e.what()));
    }
}

std::pair<ZmqLinkMgr::Handler, bool> ZmqLinkMgr::Impl::lookup(const std::string& method) {
    std::lock_guard lock(methodMutex);
    const auto it = methods.find(method);
    return {it != methods.end() ? it->second : Handler(),
            std::find(backupMethods.begin(), backupMethods.end(), method) != backupMethods.end()};
}

// The library's restore runs on the runtime's thread and links the node's own port
// and its targets; a role change on this thread stops the restore timer but cannot
// stop a restore already running, and its dislinks could come first. Posted to the
// runtime, which runs its tasks and timers on one thread, the two are ordered; in
// the order posted, and without holding up this thread's heartbeats.
void ZmqLinkMgr::Impl::deliver(std::function<void()> work) {
    if (!runtime || !config.duties) return work();
    runtime->postTask([gate = deliveries, work = std::move(work)] { gate->run(work); }, "ZmqLinkMgr::deliver", __FILE__,
                      __LINE__);
}

ZmqLinkMgr::ZmqLinkMgr(ZmqLinkConfig config, EventSink events)
    : _impl(std::make_unique<Impl>(std::move(config), std::move(events))) {
    _impl->owner = this;
}

ZmqLinkMgr::~ZmqLinkMgr() { stop(); }

void ZmqLinkMgr::deliverOn(tarsel::IZQRuntime* runtime) { _impl->runtime = runtime; }

void ZmqLinkMgr::start() {
    if (_impl->running.exchange(true)) return;
    _impl->deliveries = std::make_shared<DeliveryGate>();
    _impl->thread = std::thread([this] { _impl->run(); });
}

void ZmqLinkMgr::stop() {
    _impl->running = false;
    if (_impl->deliveries) _impl->deliveries->close();
    if (_impl->thread.joinable()) _impl->thread.join();
}

std::vector<ServerNodeInfo> ZmqLinkMgr::getClusterNodes() { return _impl->membership.nodes(); }

ServerNodeInfo ZmqLinkMgr::getLocalNodeInfo() { return _impl->membership.local(); }

void ZmqLinkMgr::registerMethod(const std::string& method, const Handler& handler) {
    std::lock_guard lock(_impl->methodMutex);
    _impl->methods[method] = handler;
}

void ZmqLinkMgr::unregisterMethod(const std::string& method) {
    std::lock_guard lock(_impl->methodMutex);
    _impl->methods.erase(method);
}

// Every request goes through the sockets, the local node's own included, so that
// handlers always run where signals are delivered, never inside sendRequest.
void ZmqLinkMgr::sendRequest(const LinkRequest& request) {
    const std::string& local = _impl->config.localIp;
    for (const auto& ip : requestRecipients(request, getClusterNodes(), local))
        if (!_impl->send(ip, {kRequest, local, request.method, request.args}))
            _impl->note(fmt::format("request {} to {} not sent: not connected", request.method, ip));
}

void ZmqLinkMgr::setBackupMethods(const std::vector<std::string>& methods) {
    std::lock_guard lock(_impl->methodMutex);
    _impl->backupMethods = methods;
}

std::vector<std::string> ZmqLinkMgr::getBackupIps(const std::string& /*localIp*/) {
    return backupIps(getClusterNodes());
}

void sendRawFrames(const std::string& ip, int port, const std::vector<std::string>& frames) {
    zmq::context_t context{1};
    zmq::socket_t push(context, zmq::socket_type::push);
    push.set(zmq::sockopt::linger, 1000);  // until the frames are out
    push.connect(endpoint(ip, port));
    std::vector<zmq::const_buffer> buffers;
    for (const auto& frame : frames) buffers.push_back(zmq::buffer(frame));
    (void)zmq::send_multipart(push, buffers);
}

}  // namespace qorva::sim
