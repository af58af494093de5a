#pragma once
// Output manager, virtual sender manager and physical output manager.
#include <cstdint>

#include "qorvahost/export.h"
#include "qorvahost/qorvatypes.h"

namespace qorva::mediaoutput {

class QORVAHOST_INTERFACE IOutputMgr {
public:
    virtual ~IOutputMgr() = default;
    virtual void startLayoutFade(const LayoutStartFadeParam& param) = 0;
    virtual void stopLayoutFade(uint64_t layoutId) = 0;
};

class QORVAHOST_INTERFACE IVirtualSenderMgr {
public:
    virtual ~IVirtualSenderMgr() = default;
    virtual void updateSenderTexture(uint64_t key, uint64_t texture) = 0;
};

// Stored by the library, never called.
class QORVAHOST_INTERFACE IPhysicsOutputMgr {
public:
    virtual ~IPhysicsOutputMgr() = default;
};

}  // namespace qorva::mediaoutput
