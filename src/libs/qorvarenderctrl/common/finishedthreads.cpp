#include "common/finishedthreads.h"

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <vector>

namespace qorva::renderctrl {

namespace {

class FinishedThreads {
public:
    // The threads kept before are past their loops: they are joined here, outside the
    // lock, so that handles do not pile up while the library stays loaded.
    void keep(std::thread thread) {
        std::vector<std::thread> earlier;
        {
            std::lock_guard lock(_mutex);
            earlier.swap(_threads);
            _threads.push_back(std::move(thread));
            ++_keptCount;
        }
        _kept.notify_all();
        for (auto& finished : earlier) finished.join();
    }
    uint64_t keptCount() {
        std::lock_guard lock(_mutex);
        return _keptCount;
    }
    bool awaitKept(uint64_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(_mutex);
        return _kept.wait_for(lock, timeout, [&] { return _keptCount >= count; });
    }
    // Until none is left: a thread joined here may have kept another one meanwhile.
    void joinAll() {
        for (;;) {
            std::vector<std::thread> kept;
            {
                std::lock_guard lock(_mutex);
                kept.swap(_threads);
            }
            if (kept.empty()) return;
            for (auto& finished : kept) finished.join();
        }
    }

private:
    std::mutex _mutex;
    std::condition_variable _kept;
    std::vector<std::thread> _threads;
    uint64_t _keptCount = 0;
};

// Joined at exit, but never destroyed: a thread that ends while the process exits may
// still hand in its handle, and must find the list alive.
FinishedThreads& finishedThreads() {
    static FinishedThreads* const threads = [] {
        auto* created = new FinishedThreads;
        std::atexit([] { finishedThreads().joinAll(); });
        return created;
    }();
    return *threads;
}

}  // namespace

bool isCallingThread(const std::unique_ptr<std::thread>& thread) {
    return thread && thread->get_id() == std::this_thread::get_id();
}

uint64_t keptThreadCount() { return finishedThreads().keptCount(); }

bool joinKeptThreads(uint64_t count, std::chrono::milliseconds timeout) {
    if (!finishedThreads().awaitKept(count, timeout)) return false;
    finishedThreads().joinAll();
    return true;
}

void joinFromOtherThread(std::thread& thread) {
    if (!thread.joinable()) return;
    if (thread.get_id() == std::this_thread::get_id())
        throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur));
    thread.join();
}

void joinOrKeep(std::thread& thread) {
    if (!thread.joinable()) return;
    if (thread.get_id() == std::this_thread::get_id())
        finishedThreads().keep(std::move(thread));
    else
        thread.join();
}

}  // namespace qorva::renderctrl
