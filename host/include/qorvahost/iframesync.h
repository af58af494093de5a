#pragma once
// The object of the frame sync library, loaded at run time as "./zqframesync.dll".
#include <cstdint>

class IFrameSyncRenderCtx;

// The operations in the order of the library's interface. The object belongs to
// the library and ends with destroy().
class IFrameSync {
public:
    virtual void destroy() = 0;
    virtual void init(int a, int b, void* codecCtx, uint32_t flags, void* reserved) = 0;
    virtual void addRenderCtx(IFrameSyncRenderCtx* ctx, int cardIndex, const char* cardName) = 0;
    virtual void setMasterCard(int cardIndex) = 0;
    virtual int getNetPort() = 0;
    virtual bool linkTarget(const char* ip, int port) = 0;
    virtual bool dislinkTarget(const char* ip, int port) = 0;
    virtual void setSyncMode(int mode) = 0;
    virtual bool keepMasterTime(bool isClear) = 0;

protected:
    ~IFrameSync() = default;
};

// The library's log callback and its entry point "createFrameSync".
using FrameSyncLogCallback = void (*)(int level, const char* text);
using CreateFrameSyncFunc = IFrameSync* (*)(FrameSyncLogCallback logCallback, const char* version);
