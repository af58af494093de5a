#include "node.h"

#include <signal.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include <fmt/format.h>
#include <spdlog/sinks/base_sink.h>

#include "hostwiring.h"
#include "logging.h"
#include "nodereport.h"
#include "qorvahost/jtspdlog.h"
#include "qorvarenderctrl/renderctrllink.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/framesynclinks.h"
#include "qorvasim/host.h"
#include "qorvasim/zmqlinkmgr.h"

namespace sandbox {

namespace {

using namespace std::chrono_literals;

constexpr auto kReportEvery = 50ms;
const std::string kCard = "#0(NVIDIA RTX A4000)";

// Lines to the launcher, whole and at once, from any thread.
class LauncherOutput {
public:
    void line(const std::string& text) {
        std::lock_guard lock(_mutex);
        std::fputs((text + "\n").c_str(), stdout);
        std::fflush(stdout);
    }
    void event(const std::string& text) { line(fmt::format("ev {} {}", steadyNowMs(), text)); }

private:
    std::mutex _mutex;
};

// Passes the cluster link's log lines on as events, without the source suffix.
class LinkLogForwarder : public spdlog::sinks::base_sink<std::mutex> {
public:
    explicit LinkLogForwarder(LauncherOutput& out) : _out(out) {}

protected:
    void sink_it_(const spdlog::details::log_msg& msg) override {
        const std::string text(msg.payload.data(), msg.payload.size());
        if (text.rfind("RenderCtrlLink", 0) != 0) return;
        _out.event(text.substr(0, text.find(" \n //")));
    }
    void flush_() override {}

private:
    LauncherOutput& _out;
};

// The node's host and the library's objects, wired as a host wires them; the link
// manager starts last and stops first.
class NodeHost {
public:
    NodeHost(qorva::sim::ZmqLinkConfig config, LauncherOutput& out)
        : _linkMgr(std::move(config), [&out](const std::string& event) { out.event(event); }) {
        _host.addCard(kCard);
        wireAsHost(*_mgr, _host);
        _link.setMediaMgr(&_host.mediaMgr);
        _link.setZQRuntime(&_host.runtime);
        _link.setRenderCtrl(_mgr);
        _link.setProgramDispatch(_host.programDispatch);
        _link.setLinkMgr(&_linkMgr);
        _linkMgr.deliverOn(&_host.runtime);
        _linkMgr.start();
    }
    ~NodeHost() { stop(); }
    NodeHost(const NodeHost&) = delete;
    NodeHost& operator=(const NodeHost&) = delete;

    int netPort() { return _mgr->getNetPort(); }

    NodeReport report() {
        NodeReport report;
        report.atMs = steadyNowMs();
        report.role = _linkMgr.getLocalNodeInfo().type;
        report.links = qorva::sim::frameSyncLinkedTargets(_host.mediaMgr.frameSync());
        report.beacons = qorva::sim::frameSyncBeacons(_host.mediaMgr.frameSync());
        report.missedBlanks = _host.facade->card(kCard)->vblank().missed();
        return report;
    }

    void stop() {
        if (_stopped) return;
        _stopped = true;
        _link.unsetLinkMgr();
        _linkMgr.stop();
        unwireAsHost(*_mgr);
    }

private:
    qorva::sim::SimHost _host;
    qorva::sim::ZmqLinkMgr _linkMgr;  // outlives the link, whose restore timer may still call it
    std::shared_ptr<qorva::mediadispatch::RenderCtrlMgr> _mgr = std::make_shared<qorva::mediadispatch::RenderCtrlMgr>();
    qorva::mediadispatch::RenderCtrlLink _link;
    bool _stopped = false;
};

// SIGTERM and SIGINT are blocked in every thread and taken by the main thread.
sigset_t terminationSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

bool terminationWithin(std::chrono::milliseconds wait) {
    const sigset_t signals = terminationSignals();
    const timespec timeout{0, static_cast<long>(std::chrono::nanoseconds(wait).count())};
    return sigtimedwait(&signals, nullptr, &timeout) > 0;
}

std::vector<std::string> clusterIps(int count) {
    std::vector<std::string> ips;
    for (int i = 0; i < count; ++i) ips.push_back(nodeIp(i));
    return ips;
}

}  // namespace

int runNode(const Options& options, const std::filesystem::path& outDir) {
    const int64_t startMs = steadyNowMs();
    const sigset_t signals = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before any thread starts
    const auto dir = outDir / fmt::format("node-{}", options.nodeIndex);
    std::filesystem::create_directories(dir);
    const SandboxLog log(options, dir);
    LauncherOutput out;
    JT::SpdlogApplication::instance().logger()->sinks().push_back(std::make_shared<LinkLogForwarder>(out));

    const std::string ip = nodeIp(options.nodeIndex);
    if (!qorva::sim::setFrameSyncBindAddress(ip)) {
        fmt::print(stderr, "node {}: no frame sync module in the working directory\n", ip);
        return 1;
    }
    NodeHost node({.ips = clusterIps(options.clusterNodes),
                   .localIp = ip,
                   .port = options.clusterPort,
                   .joinedMs = startMs,
                   .duties = !options.noDuties,
                   .acceptFaults = options.acceptFaults,
                   .faultSeed = static_cast<uint64_t>(startMs) * 31 + static_cast<uint64_t>(options.nodeIndex)},
                  out);
    out.line(fmt::format("ready {} {} {}", ip, startMs, node.netPort()));
    while (!terminationWithin(kReportEvery)) out.line(formatReport(node.report()));
    node.stop();
    out.line("bye");
    return 0;
}

}  // namespace sandbox
