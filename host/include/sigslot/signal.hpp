#pragma once
// Thread-safe signals and slots, call-compatible with the subset of the sigslot library used by the host interfaces:
// sigslot::signal<T...>, sigslot::connection and sigslot::scoped_connection. It gives the guarantees of the host's
// signal library and no more, so that what holds here holds with the host's library:
//  * A signal keeps its slots in an immutable list shared by pointer (copy on write). An emission takes the current
//    list under the signal's mutex and calls the slots without holding it, so a slot may connect, disconnect or emit
//    again, and other threads may do the same at any time. A slot connected during an emission is called from the
//    next emission on.
//  * An emission checks each slot's connected flag right before calling it. A disconnect clears the flag, removes
//    the slot from the list and returns at once: it does not wait for a thread inside the slot, and a slot an
//    emission in progress has already checked may still be called once after the disconnect returned.
//  * A tracked slot holds its object by weak_ptr and locks it for the length of each call, so the object cannot die
//    during the call. Once the object is gone the slot is skipped; it stays listed (and counted by slot_count) until
//    an emission drops it. A slot connected to an object already gone is accepted and dropped the same way.
//  * An exception thrown by a slot reaches the emitter; the slots after it are not called by that emission.
//  * A signal must outlive its emissions: a slot must not destroy the signal that calls it.

#include <algorithm>
#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

namespace sigslot {

// Slots are called in ascending group order, and in connection order within a group.
using group_id = std::int32_t;

template <class... T>
class signal;

namespace detail {

template <class P>
struct is_std_smart_ptr : std::false_type {};
template <class U>
struct is_std_smart_ptr<std::shared_ptr<U>> : std::true_type {};
template <class U>
struct is_std_smart_ptr<std::weak_ptr<U>> : std::true_type {};

// A shared_ptr or weak_ptr: a slot bound to it is tracked by the object's lifetime.
template <class P>
concept trackable = is_std_smart_ptr<P>::value;

template <class P>
concept object_pointer = std::is_pointer_v<P> && std::is_object_v<std::remove_pointer_t<P>>;

// What disconnect(object) accepts, as opposed to disconnect(callable).
template <class P>
concept object_handle = object_pointer<P> || trackable<P>;

template <class Pmf>
concept member_function = std::is_member_function_pointer_v<Pmf>;

template <trackable P>
std::weak_ptr<typename P::element_type> to_weak(const P& object) noexcept {
    return object;
}

template <class A, class B>
bool same_owner(const std::weak_ptr<A>& a, const std::weak_ptr<B>& b) noexcept {
    return !a.owner_before(b) && !b.owner_before(a);
}

// The object given to disconnect: a live object is matched by address, an expired one by its shared owner.
struct object_key {
    const void* address = nullptr;
    std::weak_ptr<const void> owner;
};

template <object_handle P>
object_key make_object_key(const P& object) {
    if constexpr (object_pointer<P>) {
        return {static_cast<const void*>(object), {}};
    } else {
        if (const auto alive = to_weak(object).lock()) return {static_cast<const void*>(alive.get()), {}};
        return {nullptr, to_weak(object)};
    }
}

// A callable matches the one given to disconnect when it has the same type and, if the type has an operator==,
// compares equal. A lambda is thus identified by its type.
template <class F>
bool same_callable(const F& mine, const std::type_info& type, const void* other) {
    if (type != typeid(F)) return false;
    if constexpr (std::equality_comparable<F>) {
        return mine == *static_cast<const F*>(other);
    } else {
        return true;
    }
}

// Holds the object of a tracked slot without keeping it alive.
template <class T>
class tracker {
public:
    explicit tracker(std::weak_ptr<T> object)
        : object_(std::move(object)), address_(static_cast<const void*>(object_.lock().get())) {}

    std::shared_ptr<T> lock() const noexcept { return object_.lock(); }
    bool expired() const noexcept { return object_.expired(); }

    bool bound_to(const object_key& key) const noexcept {
        if (key.address != nullptr) return key.address == address_;
        return same_owner(object_, key.owner) && !same_owner(key.owner, std::weak_ptr<const void>{});
    }

private:
    std::weak_ptr<T> object_;
    const void* address_;  // captured at connect time, when the object was alive
};

class slot_state;

// The signal of a slot, as its connection sees it.
class slot_owner {
public:
    // Returns whether this call disconnected the slot.
    virtual bool disconnect_slot(const std::shared_ptr<slot_state>& slot) noexcept = 0;

protected:
    ~slot_owner() = default;
};

// Connection state of a slot, independent of the signal's argument types.
class slot_state {
public:
    slot_state(group_id group, std::weak_ptr<slot_owner> owner) noexcept : group_(group), owner_(std::move(owner)) {}
    slot_state(const slot_state&) = delete;
    slot_state& operator=(const slot_state&) = delete;
    virtual ~slot_state() = default;

    group_id group() const noexcept { return group_; }
    bool connected() const noexcept { return marked_connected() && !expired(); }
    // The flag alone, as emissions read it.
    bool marked_connected() const noexcept { return connected_.load(std::memory_order_acquire); }

    virtual bool expired() const noexcept { return false; }
    virtual bool holds_callable(const std::type_info&, const void*) const { return false; }
    virtual bool bound_to(const object_key&) const noexcept { return false; }

    // Stops new calls; returns whether this call did it.
    bool mark_disconnected() noexcept { return connected_.exchange(false, std::memory_order_acq_rel); }

    std::shared_ptr<slot_owner> owner() const noexcept { return owner_.lock(); }

private:
    const group_id group_;
    const std::weak_ptr<slot_owner> owner_;
    std::atomic<bool> connected_{true};
};

template <class... T>
class slot_base : public slot_state {
public:
    using slot_state::slot_state;

    // Runs the slot; false if its tracked object is gone.
    virtual bool invoke(T... args) = 0;
};

template <class F, class... T>
class callable_slot final : public slot_base<T...> {
public:
    callable_slot(F func, group_id group, std::weak_ptr<slot_owner> owner)
        : slot_base<T...>(group, std::move(owner)), func_(std::move(func)) {}

    bool holds_callable(const std::type_info& type, const void* callable) const override {
        return same_callable(func_, type, callable);
    }

private:
    bool invoke(T... args) override {
        std::invoke(func_, args...);
        return true;
    }

    F func_;
};

template <class Pmf, class Obj, class... T>
class member_slot final : public slot_base<T...> {
public:
    member_slot(Pmf pmf, Obj* object, group_id group, std::weak_ptr<slot_owner> owner)
        : slot_base<T...>(group, std::move(owner)), pmf_(pmf), object_(object) {}

    bool holds_callable(const std::type_info& type, const void* callable) const override {
        return same_callable(pmf_, type, callable);
    }
    bool bound_to(const object_key& key) const noexcept override {
        return key.address != nullptr && key.address == static_cast<const void*>(object_);
    }

private:
    bool invoke(T... args) override {
        std::invoke(pmf_, object_, args...);
        return true;
    }

    Pmf pmf_;
    Obj* object_;
};

template <class Pmf, class Obj, class... T>
class tracked_member_slot final : public slot_base<T...> {
public:
    tracked_member_slot(Pmf pmf, std::weak_ptr<Obj> object, group_id group, std::weak_ptr<slot_owner> owner)
        : slot_base<T...>(group, std::move(owner)), pmf_(pmf), object_(std::move(object)) {}

    bool expired() const noexcept override { return object_.expired(); }
    bool holds_callable(const std::type_info& type, const void* callable) const override {
        return same_callable(pmf_, type, callable);
    }
    bool bound_to(const object_key& key) const noexcept override { return object_.bound_to(key); }

private:
    bool invoke(T... args) override {
        const auto object = object_.lock();
        if (!object) return false;
        std::invoke(pmf_, object.get(), args...);
        return true;
    }

    Pmf pmf_;
    tracker<Obj> object_;
};

template <class F, class... T>
class tracked_callable_slot final : public slot_base<T...> {
public:
    tracked_callable_slot(F func, std::weak_ptr<const void> object, group_id group, std::weak_ptr<slot_owner> owner)
        : slot_base<T...>(group, std::move(owner)), func_(std::move(func)), object_(std::move(object)) {}

    bool expired() const noexcept override { return object_.expired(); }
    bool holds_callable(const std::type_info& type, const void* callable) const override {
        return same_callable(func_, type, callable);
    }
    bool bound_to(const object_key& key) const noexcept override { return object_.bound_to(key); }

private:
    bool invoke(T... args) override {
        const auto keep_alive = object_.lock();
        if (!keep_alive) return false;
        std::invoke(func_, args...);
        return true;
    }

    F func_;
    tracker<const void> object_;
};

// The slot list of one signal. Held by shared_ptr so that slots can reach it weakly.
template <class... T>
class signal_core final : public slot_owner {
public:
    using slot_ptr = std::shared_ptr<slot_base<T...>>;
    using slot_list = std::vector<slot_ptr>;

    // Lets an emission skip the mutex when there is nothing to call. A slot connected concurrently may be missed, as if
    // the emission had come first; one connected before (in happens-before order) is seen.
    bool empty() const noexcept { return !has_slots_.load(std::memory_order_acquire); }

    std::shared_ptr<const slot_list> snapshot() const {
        const std::lock_guard lock(mutex_);
        return slots_;
    }

    void insert(slot_ptr slot) {
        auto next = std::make_shared<slot_list>();
        std::shared_ptr<const slot_list> previous;  // released after unlocking: it may run slot destructors
        const std::lock_guard lock(mutex_);
        next->reserve(slots_->size() + 1);
        for (const auto& existing : *slots_) {
            if (slot && existing->group() > slot->group()) next->push_back(std::move(slot));
            next->push_back(existing);
        }
        if (slot) next->push_back(std::move(slot));
        previous = replace_slots(std::move(next));
    }

    // Disconnects and removes the matching slots; returns how many this call disconnected.
    template <class Predicate>
    std::size_t remove_if(Predicate matches) {
        std::size_t disconnected = 0;
        std::shared_ptr<const slot_list> previous;
        auto kept = std::make_shared<slot_list>();
        const std::lock_guard lock(mutex_);
        for (const auto& slot : *slots_) {
            if (!matches(*slot)) {
                kept->push_back(slot);
            } else if (slot->mark_disconnected()) {
                ++disconnected;
            }
        }
        if (kept->size() != slots_->size()) previous = replace_slots(std::move(kept));
        return disconnected;
    }

    // Listed slots, dead tracked ones an emission has not dropped yet included.
    std::size_t count() const {
        const std::lock_guard lock(mutex_);
        return slots_->size();
    }

    // Drops dead slots (disconnected, or tracking an object that is gone) from the list.
    void sweep() noexcept {
        std::shared_ptr<const slot_list> previous;
        try {
            auto kept = std::make_shared<slot_list>();
            const std::lock_guard lock(mutex_);
            std::copy_if(slots_->begin(), slots_->end(), std::back_inserter(*kept),
                         [](const slot_ptr& slot) { return slot->connected(); });
            if (kept->size() != slots_->size()) previous = replace_slots(std::move(kept));
        } catch (const std::bad_alloc&) {
            // Dead slots are skipped by emissions anyway; a later sweep removes them.
        }
    }

    bool disconnect_slot(const std::shared_ptr<slot_state>& slot) noexcept override {
        const bool disconnected = slot->mark_disconnected();
        sweep();
        return disconnected;
    }

private:
    // With mutex_ held; returns the previous list, to be released after unlocking as it may run slot destructors.
    std::shared_ptr<const slot_list> replace_slots(std::shared_ptr<const slot_list> next) noexcept {
        has_slots_.store(!next->empty(), std::memory_order_release);
        return std::exchange(slots_, std::move(next));
    }

    mutable std::mutex mutex_;
    std::shared_ptr<const slot_list> slots_ = std::make_shared<const slot_list>();
    std::atomic<bool> has_slots_{false};
};

// Calls the slots of a snapshot of the list that are still connected; returns whether some tracked object was gone,
// so that the caller can sweep the list.
template <class... T, class... A>
bool emit(const signal_core<T...>& core, A&... args) {
    bool found_dead = false;
    const auto slots = core.snapshot();
    for (const auto& slot : *slots) {
        if (slot->marked_connected() && !slot->invoke(args...)) found_dead = true;
    }
    return found_dead;
}

}  // namespace detail

// A handle on a connected slot. It does not keep the slot connected: dropping it changes nothing.
class connection {
public:
    connection() noexcept = default;

    // Whether the slot still exists: listed in its signal (a dead tracked slot too, until an emission drops it), or
    // held by an emission in progress.
    bool valid() const noexcept { return !slot_.expired(); }

    bool connected() const noexcept {
        const auto slot = slot_.lock();
        return slot && slot->connected();
    }

    // Returns whether this call disconnected the slot. Like signal::disconnect, it returns at once.
    bool disconnect() noexcept {
        const auto slot = slot_.lock();
        if (!slot) return false;
        if (const auto owner = slot->owner()) return owner->disconnect_slot(slot);
        return slot->mark_disconnected();
    }

protected:
    explicit connection(std::weak_ptr<detail::slot_state> slot) noexcept : slot_(std::move(slot)) {}

    std::weak_ptr<detail::slot_state> slot_;

    template <class... T>
    friend class signal;
};

// A connection that disconnects its slot when destroyed.
class scoped_connection : public connection {
public:
    scoped_connection() noexcept = default;
    // Implicit, so that `scoped_connection c = sig.connect(...)` works.
    scoped_connection(const connection& other) noexcept : connection(other) {}        // NOLINT
    scoped_connection(connection&& other) noexcept : connection(std::move(other)) {}  // NOLINT
    scoped_connection(const scoped_connection&) = delete;
    scoped_connection& operator=(const scoped_connection&) = delete;
    scoped_connection(scoped_connection&& other) noexcept : connection(std::exchange(other.slot_, {})) {}

    scoped_connection& operator=(scoped_connection&& other) noexcept {
        if (this != &other) {
            disconnect();
            slot_ = std::exchange(other.slot_, {});
        }
        return *this;
    }

    ~scoped_connection() { disconnect(); }

    // Gives up ownership: the slot stays connected.
    connection release() noexcept {
        connection released = *this;
        slot_.reset();
        return released;
    }
};

template <class... T>
class signal {
    using core = detail::signal_core<T...>;

    template <class F>
    static constexpr bool slot_callable = std::is_invocable_v<F&, T&...>;

    template <class Pmf, class Obj>
    static constexpr bool member_callable = detail::member_function<Pmf>&& std::is_invocable_v<Pmf, Obj*, T&...>;

public:
    signal() : core_(std::make_shared<core>()) {}
    ~signal() { disconnect_all(); }

    signal(const signal&) = delete;
    signal& operator=(const signal&) = delete;

    // Not thread-safe; the moved-from signal is left empty and usable.
    signal(signal&& other) : core_(std::exchange(other.core_, std::make_shared<core>())) {}
    signal& operator=(signal&& other) {
        if (this != &other) {
            auto fresh = std::make_shared<core>();
            disconnect_all();
            core_ = std::exchange(other.core_, std::move(fresh));
        }
        return *this;
    }

    // Calls every connected slot with the arguments as lvalues, in group order.
    template <class... U>
    void operator()(U&&... args) {
        if (core_->empty()) return;
        if (detail::emit<T...>(*core_, args...)) core_->sweep();
    }

    template <class Callable>
    requires slot_callable<std::decay_t<Callable>> connection connect(Callable&& callable, group_id group = 0) {
        using F = std::decay_t<Callable>;
        return insert(
            std::make_shared<detail::callable_slot<F, T...>>(std::forward<Callable>(callable), group, weak_core()));
    }

    template <class Pmf, class Obj>
    requires member_callable<Pmf, Obj> connection connect(Pmf pmf, Obj* object, group_id group = 0) {
        return insert(std::make_shared<detail::member_slot<Pmf, Obj, T...>>(pmf, object, group, weak_core()));
    }

    // Tracked member slot: holds the object weakly, locks it for each call; skipped and dropped by an emission once the
    // object is gone (also when it is gone already).
    template <class Pmf, detail::trackable Ptr>
    requires member_callable<Pmf, typename Ptr::element_type> connection connect(Pmf pmf, const Ptr& object,
                                                                                 group_id group = 0) {
        using Obj = typename Ptr::element_type;
        auto weak = detail::to_weak(object);
        return insert(
            std::make_shared<detail::tracked_member_slot<Pmf, Obj, T...>>(pmf, std::move(weak), group, weak_core()));
    }

    // Callable tracked by the lifetime of an object.
    template <class Callable, detail::trackable Ptr>
    requires(!detail::member_function<std::decay_t<Callable>> && slot_callable<std::decay_t<Callable>>) connection
        connect(Callable&& callable, const Ptr& tracked, group_id group = 0) {
        using F = std::decay_t<Callable>;
        std::weak_ptr<const void> weak = detail::to_weak(tracked);
        return insert(std::make_shared<detail::tracked_callable_slot<F, T...>>(std::forward<Callable>(callable),
                                                                               std::move(weak), group, weak_core()));
    }

    // Disconnects the slots holding this callable, whatever object a member function is bound to.
    template <class Callable>
    requires(!detail::object_handle<std::decay_t<Callable>>) std::size_t disconnect(const Callable& callable) {
        using F = std::decay_t<Callable>;
        const F& key = callable;  // a function decays to a pointer here
        return core_->remove_if(
            [&](const detail::slot_state& slot) { return slot.holds_callable(typeid(F), std::addressof(key)); });
    }

    // Disconnects every slot bound to the object (raw pointer, shared_ptr or weak_ptr), tracked or not.
    template <detail::object_handle Obj>
    std::size_t disconnect(const Obj& object) {
        const auto key = detail::make_object_key(object);
        return core_->remove_if([&](const detail::slot_state& slot) { return slot.bound_to(key); });
    }

    template <detail::member_function Pmf, detail::object_handle Obj>
    std::size_t disconnect(const Pmf& pmf, const Obj& object) {
        const auto key = detail::make_object_key(object);
        return core_->remove_if([&](const detail::slot_state& slot) {
            return slot.holds_callable(typeid(Pmf), std::addressof(pmf)) && slot.bound_to(key);
        });
    }

    std::size_t disconnect_all() {
        return core_->remove_if([](const detail::slot_state&) { return true; });
    }

    // Listed slots: a tracked slot whose object is gone counts until an emission drops it.
    std::size_t slot_count() const { return core_->count(); }

private:
    std::weak_ptr<detail::slot_owner> weak_core() const noexcept { return core_; }

    connection insert(std::shared_ptr<detail::slot_base<T...>> slot) {
        connection handle(slot);
        core_->insert(std::move(slot));
        return handle;
    }

    std::shared_ptr<core> core_;
};

}  // namespace sigslot
