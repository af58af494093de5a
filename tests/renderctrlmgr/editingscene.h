#pragma once
// A manager wired to the simulated host with one timeline dispatch announced, and
// every call the simulated services received, as text; calls on services other than
// the layout manager carry their receiver as a prefix.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/managerfixture.h"

namespace qorva::mediadispatch::test {

using Strings = std::vector<std::string>;
using Ids = std::vector<uint64_t>;

enum class Service { none, layoutMgr, dispatchMgr, mediaMgr, outputMgr };

class EditingScene : public qrc::test::ManagerScene {
protected:
    // Wires every service but `absent`. An absent layout manager is one handed in
    // after the host's that went away at once.
    void wire(Service absent = Service::none) {
        _absent = absent;
        host.runtime.setServerMode(false);
        host.runtime.setClientMode(true);
        mgr->setZQRuntime(&host.runtime);
        if (absent != Service::outputMgr) mgr->setOutPutMgr(&host.outputMgr);
        if (absent != Service::mediaMgr) mgr->setMediaMgr(&host.mediaMgr);
        mgr->setOutPutLayoutMgr(host.layoutMgr);
        if (absent == Service::layoutMgr) mgr->setOutPutLayoutMgr(std::make_shared<sim::SimLayoutMgr>());
        if (absent != Service::dispatchMgr) mgr->setMediaDispatchMgr(host.dispatchMgr);
        host.dispatchMgr->addDispatch(dispatch);
        for (const auto& [prefix, calls] : callLogs()) calls->clear();
        log.clear();
    }
    void TearDown() override {
        if (_absent == Service::layoutMgr) mgr->setOutPutLayoutMgr(host.layoutMgr);
        mgr->unsetOutPutLayoutMgr();
        if (_absent != Service::dispatchMgr) mgr->unsetMediaDispatchMgr();
        if (_absent != Service::mediaMgr) mgr->unsetMediaMgr();
    }
    Strings allCalls() {
        Strings all;
        for (const auto& [prefix, calls] : callLogs())
            for (const auto& call : calls->calls()) all.push_back(prefix + call);
        return all;
    }

    std::shared_ptr<sim::SimTimelineDispatch> dispatch = std::make_shared<sim::SimTimelineDispatch>();
    sim::SimTimelineDispatch& d = *dispatch;

private:
    std::vector<std::pair<std::string, sim::CallLog*>> callLogs() {
        return {{"", &host.layoutMgr->calls()},
                {"dispatchMgr.", &host.dispatchMgr->calls()},
                {"timeline.", &dispatch->calls()},
                {"media.", &host.mediaMgr.calls()},
                {"output.", &host.outputMgr.calls()}};
    }
    Service _absent = Service::none;
};

}  // namespace qorva::mediadispatch::test
