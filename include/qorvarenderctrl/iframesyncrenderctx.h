#pragma once
// What the frame sync library calls back to drive one display card. The order of
// the virtual operations is part of the contract with that library, which is built
// on its own: the interface is header-only and imports nothing from this library.

class IFrameSyncRenderCtx {
public:
    virtual void waitForVBlank() = 0;
    virtual void renderScene(int value) = 0;
    virtual ~IFrameSyncRenderCtx() = default;
};
