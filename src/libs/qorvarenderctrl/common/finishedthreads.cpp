#include "common/finishedthreads.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <system_error>
#include <vector>

namespace qorva::renderctrl {

namespace {

class FinishedThreads {
public:
    // The threads kept before that are past their loops are joined here, outside the
    // lock, so that handles do not pile up while the library stays loaded. One that
    // has not ended yet may be waiting for the caller: it stays.
    void keep(std::thread thread, std::shared_ptr<const std::atomic<bool>> ended) {
        std::vector<Kept> finished;
        {
            std::lock_guard lock(_mutex);
            const auto running = std::partition(_threads.begin(), _threads.end(),
                                                [](const Kept& kept) { return !kept.ended || *kept.ended; });
            finished.assign(std::make_move_iterator(_threads.begin()), std::make_move_iterator(running));
            _threads.erase(_threads.begin(), running);
            _threads.push_back(Kept{std::move(thread), std::move(ended)});
            ++_keptCount;
        }
        _kept.notify_all();
        for (auto& kept : finished) kept.thread.join();
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
            std::vector<Kept> kept;
            {
                std::lock_guard lock(_mutex);
                kept.swap(_threads);
            }
            if (kept.empty()) return;
            for (auto& finished : kept) finished.thread.join();
        }
    }

private:
    struct Kept {
        std::thread thread;
        std::shared_ptr<const std::atomic<bool>> ended;  // none: past its loop already
    };

    std::mutex _mutex;
    std::condition_variable _kept;
    std::vector<Kept> _threads;
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

void keepUntilEnded(std::thread thread, std::shared_ptr<const std::atomic<bool>> ended) {
    finishedThreads().keep(std::move(thread), std::move(ended));
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
        finishedThreads().keep(std::move(thread), nullptr);
    else
        thread.join();
}

}  // namespace qorva::renderctrl
