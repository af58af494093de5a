#pragma once
// The render context the frame sync library drives a display card through.

/// What the frame sync library calls back, on its own thread, to drive one display card
/// that RenderCtrlMgr::setRenderFacade() gave it. The order of the virtual operations is
/// part of the contract with that library, which is built on its own: the interface is
/// header-only and imports nothing from this library. No exception leaves its calls.
class IFrameSyncRenderCtx {
public:
    /// Waits for the card's vertical blank; a wait that throws is logged ("vertical blank wait
    /// failed: " and the exception's text) and replaced by a 16 ms pause.
    virtual void waitForVBlank() = 0;
    /// Runs one draw pass of the card with the library's sync value; a host call that throws is
    /// logged ("render pass failed: " and the exception's text) and ends only that pass.
    virtual void renderScene(int value) = 0;
    /// The manager owns each context and the library only borrows it: the frame sync object is
    /// destroyed first.
    virtual ~IFrameSyncRenderCtx() = default;
};
