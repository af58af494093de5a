#pragma once
// A manager wired to the simulated host with one timeline dispatch announced, and
// every call the simulated services received, as text prefixed by who received it.
#include <memory>
#include <string>
#include <vector>

#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"
#include "support/logcapture.h"

namespace qorva::mediadispatch::test {

using Strings = std::vector<std::string>;

enum class Service { none, layoutMgr, dispatchMgr, mediaMgr, outputMgr };

struct EditingScene {
    // Wires every service but `absent`. An absent layout manager is one that was
    // handed in after the host's and went away at once.
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
        for (sim::CallLog* calls : callLogs()) calls->clear();
        log.clear();
    }
    void unwire() {
        if (_absent == Service::layoutMgr) mgr->setOutPutLayoutMgr(host.layoutMgr);
        mgr->unsetOutPutLayoutMgr();
        if (_absent != Service::dispatchMgr) mgr->unsetMediaDispatchMgr();
        if (_absent != Service::mediaMgr) mgr->unsetMediaMgr();
    }
    Strings allCalls() {
        Strings all;
        const char* owners[] = {"layout.", "dispatchMgr.", "timeline.", "media.", "output."};
        for (size_t i = 0; i < callLogs().size(); ++i)
            for (const auto& call : callLogs()[i]->calls()) all.push_back(owners[i] + call);
        return all;
    }

    qrc::test::LogCapture log;
    sim::SimHost host;
    std::shared_ptr<sim::SimTimelineDispatch> dispatch = std::make_shared<sim::SimTimelineDispatch>();
    std::shared_ptr<RenderCtrlMgr> mgr = std::make_shared<RenderCtrlMgr>();

private:
    std::vector<sim::CallLog*> callLogs() {
        return {&host.layoutMgr->calls(), &host.dispatchMgr->calls(), &dispatch->calls(), &host.mediaMgr.calls(),
                &host.outputMgr.calls()};
    }
    Service _absent = Service::none;
};

}  // namespace qorva::mediadispatch::test
