#pragma once
// The host shows a media's original thumbnail on a layer through the manager.
#include "cards.h"
#include "qorvarenderctrl/renderctrlmgr.h"

namespace sandbox {

// Shows it once; the layer is not on a card, and the library does not tap it.
Layer showOrgThumbnail(qorva::mediadispatch::RenderCtrlMgr& mgr);

}  // namespace sandbox
