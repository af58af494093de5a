#include "common/finishedthreads.h"

#include <mutex>
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
        }
        for (auto& finished : earlier) finished.join();
    }
    ~FinishedThreads() {
        for (auto& thread : _threads) thread.join();
    }

private:
    std::mutex _mutex;
    std::vector<std::thread> _threads;
};

FinishedThreads& finishedThreads() {
    static FinishedThreads threads;
    return threads;
}

}  // namespace

void keepFinishedThread(std::thread thread) { finishedThreads().keep(std::move(thread)); }

void joinOrKeep(std::thread& thread) {
    if (!thread.joinable()) return;
    if (thread.get_id() == std::this_thread::get_id())
        keepFinishedThread(std::move(thread));
    else
        thread.join();
}

}  // namespace qorva::renderctrl
