#pragma once
// A thread cannot join itself. A library thread whose owner was destroyed from one of
// the thread's own callbacks ends right after; its handle is kept here and joined by the
// next such thread or when the library is unloaded, so that no thread is ever detached.
// So is a thread that ends a frame sync object for an owner destroyed on the frame sync
// library's thread.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

namespace qorva::renderctrl {

// Whether the caller runs on `thread` (false when there is none).
bool isCallingThread(const std::unique_ptr<std::thread>& thread);

// Joins `thread`, or keeps it when the caller is that thread.
void joinOrKeep(std::thread& thread);

// Joins `thread` if it is joinable. Called on that thread itself, it throws the
// standard resource-deadlock error without asking the thread library to join: a
// self-join is not handled alike everywhere (ThreadSanitizer forgets the thread).
void joinFromOtherThread(std::thread& thread);

// Keeps `thread`, which ends by itself but may first wait for the caller: it is joined
// once `ended` is set (by the next thread kept after that), by joinKeptThreads, or at
// exit.
void keepUntilEnded(std::thread thread, std::shared_ptr<const std::atomic<bool>> ended);

// How many threads were kept so far.
uint64_t keptThreadCount();

// Waits until `count` threads were kept so far, then joins every kept thread: lets a
// caller (a test) wait until such a thread has really ended. False on timeout.
bool joinKeptThreads(uint64_t count, std::chrono::milliseconds timeout);

}  // namespace qorva::renderctrl
