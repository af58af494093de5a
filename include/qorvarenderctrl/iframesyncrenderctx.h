#pragma once
// What the frame sync library calls back to drive one display card. The order of
// the virtual operations is part of the contract with that library.
#include "qorvarenderctrl/export.h"

class QORVARENDERCTRL_API IFrameSyncRenderCtx {
public:
    virtual void waitForVBlank() = 0;
    virtual void renderScene(int value) = 0;
    virtual ~IFrameSyncRenderCtx() = default;
};
