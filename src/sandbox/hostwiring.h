#pragma once
// The manager wired to the simulated host in a host's order, and unwired in its
// shutdown order; the cards run and the node processes share it.
#include "qorvarenderctrl/renderctrlmgr.h"
#include "qorvasim/host.h"

namespace sandbox {

// Dispatch manager, media manager, runtime, createFrameSync, layout manager (before
// the facade, so that each controller has it from its creation on), render facade,
// output, physical output and sender managers.
void wireAsHost(qorva::mediadispatch::RenderCtrlMgr& mgr, qorva::sim::SimHost& host);

// Stops the render threads and the frame sync object, then takes the services back.
void unwireAsHost(qorva::mediadispatch::RenderCtrlMgr& mgr);

}  // namespace sandbox
