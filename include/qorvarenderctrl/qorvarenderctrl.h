#pragma once
// Everything the render control library exports.
#include "qorvarenderctrl/export.h"
#include "qorvarenderctrl/iframesyncrenderctx.h"
#include "qorvarenderctrl/inputsourcerenderctrl.h"
#include "qorvarenderctrl/irenderctrl.h"
#include "qorvarenderctrl/irenderctrllink.h"
#include "qorvarenderctrl/renderctrllink.h"
#include "qorvarenderctrl/renderctrlmgr.h"
