#pragma once
// Thread-safe signals and slots, call-compatible with the subset of the sigslot library used by the host interfaces:
// sigslot::signal<T...>, sigslot::connection and sigslot::scoped_connection. It behaves as the host's signal library
// does, so that what holds here holds with the host's library:
//  * A signal keeps its slots in an immutable list shared by pointer (copy on write). An emission takes the current
//    list under the signal's mutex and calls the slots without holding it, so a slot may connect, disconnect or emit
//    again, and other threads may do the same at any time. A slot connected during an emission is called from the
//    next emission on.
//  * Slots are called in ascending group order. Taking a slot off the list moves the last slot of its group into its
//    place: within a group, connection order holds only until the group's first removal.
//  * An emission calls each slot of its list whose connected flag is still set. Only connection::disconnect (and
//    scoped_connection) clears the flag before taking the slot off; the signal's disconnect forms, disconnect_all and
//    its destructor only take slots off the list, so an emission under way still calls them, later slots of the same
//    emission included. No disconnect waits for a thread inside the slot, and a slot an emission has already checked
//    may still be called after connection::disconnect returned.
//  * A tracked slot holds its object by weak_ptr and locks it for the length of each call. An emission that finds the
//    object gone skips the slot and disconnects it like connection::disconnect; until then it stays listed (counted by
//    slot_count). A slot connected to an object already gone is accepted.
//  * Disconnecting by object compares the object's current address: a tracked slot whose object is gone no longer
//    matches a raw pointer to it, and an expired or null handle matches every slot without a live object.
//  * An exception thrown by a slot reaches the emitter; the slots after it are not called by that emission.
//  * A signal must outlive its emissions: a slot must not destroy the signal that calls it.

#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

namespace sigslot {

// Slots are called in ascending group order.
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

// The address disconnect compares: a raw pointer as it is, a shared_ptr's or weak_ptr's object while alive, else null.
template <object_handle P>
const void* object_address(const P& object) noexcept {
    if constexpr (object_pointer<P>) {
        return object;
    } else if constexpr (std::is_same_v<P, std::weak_ptr<typename P::element_type>>) {
        return object.lock().get();
    } else {
        return object.get();
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
    // The object the slot is bound to as disconnect sees it: null for a plain callable or a tracked object gone.
    virtual const void* object() const noexcept { return nullptr; }

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

    // Runs the slot unless its flag was cleared meanwhile; false if its tracked object is gone.
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
    const void* object() const noexcept override { return object_; }

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
    const void* object() const noexcept override { return object_.lock().get(); }

private:
    bool invoke(T... args) override {
        const auto object = object_.lock();
        if (!object) return false;
        if (this->marked_connected()) std::invoke(pmf_, object.get(), args...);
        return true;
    }

    Pmf pmf_;
    std::weak_ptr<Obj> object_;
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
    const void* object() const noexcept override { return object_.lock().get(); }

private:
    bool invoke(T... args) override {
        const auto keep_alive = object_.lock();
        if (!keep_alive) return false;
        if (this->marked_connected()) std::invoke(func_, args...);
        return true;
    }

    F func_;
    std::weak_ptr<const void> object_;
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

    // Takes the matching slots off the list, leaving their flags as they are; returns how many.
    template <class Predicate>
    std::size_t remove_if(Predicate matches) {
        std::shared_ptr<const slot_list> previous;  // released after unlocking: it may run slot destructors
        const std::lock_guard lock(mutex_);
        auto next = std::make_shared<slot_list>(*slots_);
        std::size_t removed = 0;
        for (std::size_t i = 0; i < next->size();) {
            if (matches(*(*next)[i])) {
                take_off(*next, i);
                ++removed;
            } else {
                ++i;
            }
        }
        if (removed != 0) previous = replace_slots(std::move(next));
        return removed;
    }

    // Listed slots, dead tracked ones no emission has met yet included.
    std::size_t count() const {
        const std::lock_guard lock(mutex_);
        return slots_->size();
    }

    bool disconnect_slot(const std::shared_ptr<slot_state>& slot) noexcept override {
        if (!slot->mark_disconnected()) return false;
        try {
            remove_if([&](const slot_state& listed) { return &listed == slot.get(); });
        } catch (const std::bad_alloc&) {
            // It stays listed; emissions skip it by its flag.
        }
        return true;
    }

private:
    // The last slot of the group moves into the gap.
    static void take_off(slot_list& list, std::size_t index) {
        std::size_t last = index;
        while (last + 1 < list.size() && list[last + 1]->group() == list[index]->group()) ++last;
        std::swap(list[index], list[last]);
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(last));
    }

    // With mutex_ held; returns the previous list, to be released after unlocking as it may run slot destructors.
    std::shared_ptr<const slot_list> replace_slots(std::shared_ptr<const slot_list> next) noexcept {
        has_slots_.store(!next->empty(), std::memory_order_release);
        return std::exchange(slots_, std::move(next));
    }

    mutable std::mutex mutex_;
    std::shared_ptr<const slot_list> slots_ = std::make_shared<const slot_list>();
    std::atomic<bool> has_slots_{false};
};

// Calls the slots of a snapshot of the list whose flag is set; disconnects those whose tracked object is gone.
template <class... T, class... A>
void emit(signal_core<T...>& core, A&... args) {
    const auto slots = core.snapshot();
    for (const auto& slot : *slots) {
        if (slot->marked_connected() && !slot->invoke(args...)) core.disconnect_slot(slot);
    }
}

}  // namespace detail

// A handle on a connected slot. It does not keep the slot connected: dropping it changes nothing.
class connection {
public:
    connection() noexcept = default;

    // Whether the slot still exists: listed in its signal (a dead tracked slot too, until an emission meets it), or
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
        detail::emit<T...>(*core_, args...);
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

    // Tracked member slot: holds the object weakly, locks it for each call; an emission that finds the object gone
    // (also when it is gone already) disconnects it.
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

    // Disconnects every slot bound to the object (raw pointer, shared_ptr or weak_ptr), tracked or not, as found by
    // its current address.
    template <detail::object_handle Obj>
    std::size_t disconnect(const Obj& object) {
        const void* address = detail::object_address(object);
        return core_->remove_if([&](const detail::slot_state& slot) { return slot.object() == address; });
    }

    template <detail::member_function Pmf, detail::object_handle Obj>
    std::size_t disconnect(const Pmf& pmf, const Obj& object) {
        const void* address = detail::object_address(object);
        return core_->remove_if([&](const detail::slot_state& slot) {
            return slot.holds_callable(typeid(Pmf), std::addressof(pmf)) && slot.object() == address;
        });
    }

    std::size_t disconnect_all() {
        return core_->remove_if([](const detail::slot_state&) { return true; });
    }

    // Listed slots: a tracked slot whose object is gone counts until an emission meets it.
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
