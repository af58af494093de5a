#pragma once
// A value that one thread may replace while others read it: readers get a copy
// taken under a lock, never a reference into the value.
#include <mutex>
#include <utility>

namespace qorva::renderctrl {

template <class T>
class Guarded {
public:
    Guarded() = default;
    explicit Guarded(T value) : _value(std::move(value)) {}

    T get() const {
        std::lock_guard lock(_mutex);
        return _value;
    }
    void set(T value) {
        std::lock_guard lock(_mutex);
        _value = std::move(value);
    }
    // The stored value, locked: a weak reference held for the caller's use.
    auto lock() const { return get().lock(); }

private:
    mutable std::mutex _mutex;
    T _value{};
};

}  // namespace qorva::renderctrl
