#pragma once
// A thread cannot join itself. A library thread whose owner was destroyed from one of
// the thread's own callbacks ends right after; its handle is kept here and joined by the
// next such thread or when the library is unloaded, so that no thread is ever detached.
#include <thread>

namespace qorva::renderctrl {

// Keeps `thread` (the calling thread's own handle) to be joined later.
void keepFinishedThread(std::thread thread);

// Joins `thread`, or keeps it when the caller is that thread.
void joinOrKeep(std::thread& thread);

}  // namespace qorva::renderctrl
