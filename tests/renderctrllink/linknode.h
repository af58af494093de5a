#pragma once
// One cluster node for the link tests: a render control manager with its own frame
// sync object and a cluster link wired to the node's simulated link manager.
#include <memory>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "common/platform.h"
#include "qorvahost/zqframesync_control.h"
#include "qorvarenderctrl/renderctrllink.h"
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/cluster.h"
#include "qorvasim/dispatchmgr.h"
#include "qorvasim/mediamgr.h"
#include "qorvasim/runtime.h"
#include "support/logcapture.h"

namespace qrc::test {

// The frame sync object's link targets as "ip:port" texts.
inline std::set<std::string> linkedTargets(IFrameSync* frameSync) {
    namespace platform = qorva::renderctrl::platform;
    const auto query = reinterpret_cast<FrameSyncLinkedTargetsFunc>(
        platform::findSymbol(platform::openLibrary("./zqframesync.dll"), kFrameSyncLinkedTargets));
    if (!query || !frameSync) return {};
    std::string text(static_cast<size_t>(query(frameSync, nullptr, 0)) + 1, '\0');
    query(frameSync, text.data(), static_cast<int>(text.size()));
    std::set<std::string> targets;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        targets.insert(text.substr(start, end - start));
    return targets;
}

struct LinkNode {
    LinkNode(qorva::sim::SimCluster& cluster, qorva::sim::SimRuntime& runtime, const std::string& nodeIp)
        : ip(nodeIp), linkMgr(cluster.addNode(nodeIp)) {
        mgr->setMediaMgr(&mediaMgr);
        mgr->createFrameSync();
        link.setMediaMgr(&mediaMgr);
        link.setZQRuntime(&runtime);
        link.setRenderCtrl(mgr);
        link.setProgramDispatch(program);
        link.setLinkMgr(&linkMgr);
    }
    ~LinkNode() {
        link.unsetLinkMgr();
        mgr->release();
    }
    LinkNode(const LinkNode&) = delete;
    LinkNode& operator=(const LinkNode&) = delete;

    int port() { return mgr->getNetPort(); }
    std::string target() { return ip + ":" + std::to_string(port()); }
    std::set<std::string> targets() { return linkedTargets(mediaMgr.frameSync()); }

    std::string ip;
    qorva::sim::SimMediaMgr mediaMgr;
    std::shared_ptr<qorva::mediadispatch::RenderCtrlMgr> mgr = std::make_shared<qorva::mediadispatch::RenderCtrlMgr>();
    std::shared_ptr<qorva::sim::SimProgramDispatch> program = std::make_shared<qorva::sim::SimProgramDispatch>();
    qorva::mediadispatch::RenderCtrlLink link;
    qorva::sim::SimLinkMgr& linkMgr;
};

// The cluster and the runtime of the link tests, the runtime on a manual clock.
class LinkScene : public ::testing::Test {
protected:
    void SetUp() override { runtime.useManualClock(); }
    // Master backup, then master: a restore timer starts.
    void takeOver(const std::string& nodeIp) {
        cluster.setRole(nodeIp, 2);
        cluster.setRole(nodeIp, 0);
    }

    LogCapture log;
    qorva::sim::SimCluster cluster;
    qorva::sim::SimRuntime runtime;
};

}  // namespace qrc::test
