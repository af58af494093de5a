#pragma once
// The host runtime: tasks, timers, RPC events and the node's mode.
#include <functional>

#include "qorvahost/export.h"

namespace tarsel {

class QORVAHOST_INTERFACE IZQRuntime {
public:
    virtual ~IZQRuntime() = default;

    // Runs `task` later on the runtime's own thread.
    virtual void postTask(const std::function<void()>& task, const char* functionName, const char* sourcePath,
                          int line) = 0;
    // repeat 1 fires once, -1 forever. Returns the timer id.
    virtual int startTimer(int intervalMs, const std::function<void(int)>& callback, int repeat) = 0;
    // Any id is accepted, also -1 or a stale one.
    virtual void stopTimer(int id) = 0;
    virtual void registerEventHandler(const char* event, const char* handlerName,
                                      const std::function<void(void*)>& handler, void* owner, int mode) = 0;
    virtual void unregisterEventHandler(const char* event, const char* handlerName, void* owner) = 0;
    virtual bool isServerMode() = 0;
    virtual bool isClientMode() = 0;
};

}  // namespace tarsel
