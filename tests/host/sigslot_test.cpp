// The signals and slots the host interfaces are built on.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sigslot/signal.hpp"

namespace {

using ::testing::ElementsAre;
using namespace std::chrono_literals;

// Counts arrivals; waits are bounded so that a broken implementation fails instead of hanging the suite.
class Countdown {
public:
    explicit Countdown(int count) : count_(count) {}
    void count_down() {
        const std::lock_guard lock(mutex_);
        if (--count_ <= 0) cv_.notify_all();
    }
    [[nodiscard]] bool wait() {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, 5s, [&] { return count_ <= 0; });
    }
    [[nodiscard]] bool arrive_and_wait() {
        count_down();
        return wait();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    int count_;
};

// Runs `body` on a helper thread and aborts if it does not return in time: a deadlock cannot be reported as a plain
// failure, since the stuck thread could not be joined.
template <class Body>
void run_or_abort(const char* what, Body body) {
    Countdown done(1);
    std::jthread runner([&] {
        body();
        done.count_down();
    });
    if (done.wait()) return;
    std::fprintf(stderr, "sigslot_test: %s did not finish within 5 s\n", what);
    std::abort();
}

std::vector<int>* g_sink = nullptr;
void append_free(int v) { g_sink->push_back(v); }
void ignore_free(int) {}
const auto append_lambda = [](int v) { g_sink->push_back(v); };

struct Appender {
    std::vector<int>* sink;
    void operator()(int v) const { sink->push_back(v); }
    bool operator==(const Appender&) const = default;
};

struct Receiver {
    std::vector<int>* sink;
    void on_value(int v) { sink->push_back(v); }
    void on_other(int) {}
};

struct Env {
    sigslot::signal<int> sig;
    std::vector<int> seen;
    std::shared_ptr<Receiver> receiver = std::make_shared<Receiver>(Receiver{&seen});
    sigslot::connection conn;
};

struct FormCase {
    const char* name;
    std::function<sigslot::connection(Env&)> connect;
    std::function<std::size_t(Env&)> disconnect;
};

TEST(SigslotSignal, EveryConnectFormIsCalledAndEveryDisconnectFormRemovesIt) {
    const auto weak = [](Env& e) { return std::weak_ptr<Receiver>(e.receiver); };
    const auto record = [](Env& e) { return [&e](int v) { e.seen.push_back(v); }; };
    const FormCase cases[] = {
        {"function pointer", [](Env& e) { return e.sig.connect(append_free); },
         [](Env& e) { return e.sig.disconnect(&append_free); }},
        {"lambda", [](Env& e) { return e.sig.connect(append_lambda); },
         [](Env& e) { return e.sig.disconnect(append_lambda); }},
        {"std::function", [](Env& e) { return e.sig.connect(std::function<void(int)>(append_free)); },
         [](Env& e) { return e.sig.disconnect(std::function<void(int)>(append_free)); }},
        {"functor", [](Env& e) { return e.sig.connect(Appender{&e.seen}); },
         [](Env& e) { return e.sig.disconnect(Appender{&e.seen}); }},
        {"pmf + raw, by pmf and object", [](Env& e) { return e.sig.connect(&Receiver::on_value, e.receiver.get()); },
         [](Env& e) { return e.sig.disconnect(&Receiver::on_value, e.receiver.get()); }},
        {"pmf + raw, by object", [](Env& e) { return e.sig.connect(&Receiver::on_value, e.receiver.get()); },
         [](Env& e) { return e.sig.disconnect(e.receiver.get()); }},
        {"pmf + raw, by pmf", [](Env& e) { return e.sig.connect(&Receiver::on_value, e.receiver.get()); },
         [](Env& e) { return e.sig.disconnect(&Receiver::on_value); }},
        {"pmf + shared_ptr", [](Env& e) { return e.sig.connect(&Receiver::on_value, e.receiver); },
         [](Env& e) { return e.sig.disconnect(&Receiver::on_value, e.receiver); }},
        {"pmf + weak_ptr", [&](Env& e) { return e.sig.connect(&Receiver::on_value, weak(e)); },
         [&](Env& e) { return e.sig.disconnect(&Receiver::on_value, weak(e)); }},
        {"tracked pmf, by shared_ptr", [](Env& e) { return e.sig.connect(&Receiver::on_value, e.receiver); },
         [](Env& e) { return e.sig.disconnect(e.receiver); }},
        {"tracked pmf, by raw pointer", [](Env& e) { return e.sig.connect(&Receiver::on_value, e.receiver); },
         [](Env& e) { return e.sig.disconnect(&Receiver::on_value, e.receiver.get()); }},
        {"callable tracked by shared_ptr", [&](Env& e) { return e.sig.connect(record(e), e.receiver); },
         [](Env& e) { return e.sig.disconnect(e.receiver); }},
        {"callable tracked by weak_ptr", [&](Env& e) { return e.sig.connect(record(e), weak(e)); },
         [&](Env& e) { return e.sig.disconnect(weak(e)); }},
        {"connection", [](Env& e) { return e.sig.connect(append_free, 3); },
         [](Env& e) -> std::size_t { return e.conn.disconnect() ? 1 : 0; }},
        {"disconnect_all", [](Env& e) { return e.sig.connect(Appender{&e.seen}); },
         [](Env& e) { return e.sig.disconnect_all(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Env env;
        g_sink = &env.seen;
        env.conn = c.connect(env);
        EXPECT_TRUE(env.conn.connected());
        EXPECT_EQ(env.sig.slot_count(), 1u);
        env.sig(7);
        EXPECT_EQ(c.disconnect(env), 1u);
        EXPECT_EQ(c.disconnect(env), 0u) << "a second disconnect finds nothing";
        env.sig(8);
        EXPECT_THAT(env.seen, ElementsAre(7));
        EXPECT_EQ(env.sig.slot_count(), 0u);
        EXPECT_FALSE(env.conn.connected());
    }
}

TEST(SigslotSignal, DisconnectRemovesOnlyWhatMatches) {
    Env env;
    std::vector<int> other_sink;
    Receiver other{&other_sink};
    env.sig.connect(Appender{&env.seen});
    env.sig.connect(&Receiver::on_value, env.receiver.get());
    env.sig.connect(&Receiver::on_value, &other);
    env.sig.connect(&Receiver::on_other, &other);

    EXPECT_EQ(env.sig.disconnect(Appender{&other_sink}), 0u) << "unequal functor";
    EXPECT_EQ(env.sig.disconnect(&ignore_free), 0u);
    EXPECT_EQ(env.sig.disconnect(&Receiver::on_other, env.receiver.get()), 0u) << "pmf bound elsewhere";
    EXPECT_EQ(env.sig.disconnect(&Receiver::on_value), 2u) << "a pmf alone matches every object";
    EXPECT_EQ(env.sig.slot_count(), 2u);
    EXPECT_EQ(env.sig.disconnect(&other), 1u);
    EXPECT_EQ(env.sig.disconnect(Appender{&env.seen}), 1u);
}

TEST(SigslotSignal, ExpiredWeakPtrDisconnectsByOwner) {
    Env env;
    const std::weak_ptr<Receiver> gone = env.receiver;
    const std::weak_ptr<Receiver> unrelated = std::make_shared<Receiver>();
    env.sig.connect(&Receiver::on_value, env.receiver);
    env.receiver.reset();
    EXPECT_EQ(env.sig.disconnect(&Receiver::on_value, unrelated), 0u);
    EXPECT_EQ(env.sig.disconnect(&Receiver::on_value, gone), 1u);
}

TEST(SigslotSignal, SlotsRunInGroupOrderThenConnectionOrder) {
    sigslot::signal<> sig;
    std::vector<int> order;
    const std::pair<int, sigslot::group_id> slots[] = {{1, 5}, {2, -2}, {3, 0}, {4, 5}, {5, -2}, {6, 0}};
    for (const auto& [id, group] : slots) sig.connect([&order, id = id] { order.push_back(id); }, group);
    sig();
    EXPECT_THAT(order, ElementsAre(2, 5, 3, 6, 1, 4));
}

TEST(SigslotSignal, ArgumentsArePassedAsLvaluesWithoutCopies) {
    sigslot::signal<const std::vector<int>&, bool&> sig;
    const std::vector<int> cards{1, 2};
    std::vector<bool> seen_by_second;
    sig.connect([&](const std::vector<int>& v, bool& found) { found = &v == &cards; });
    sig.connect([&](const std::vector<int>&, bool& found) { seen_by_second.push_back(found); });
    bool found = false;
    sig(cards, found);
    EXPECT_TRUE(found);
    EXPECT_THAT(seen_by_second, ElementsAre(true));
}

TEST(SigslotSignal, TrackedSlotsNeverKeepTheirObjectAlive) {
    Env env;
    const std::weak_ptr<Receiver> weak = env.receiver;
    long use_count_in_call = 0;
    const auto member = env.sig.connect(&Receiver::on_value, env.receiver);
    env.sig.connect([&](int) { use_count_in_call = weak.use_count(); }, weak);
    EXPECT_EQ(weak.use_count(), 1);
    env.sig(1);
    EXPECT_EQ(use_count_in_call, 2) << "the object is locked for the call";
    EXPECT_THAT(env.seen, ElementsAre(1));

    env.receiver.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(env.sig.slot_count(), 0u);
    EXPECT_TRUE(member.valid());
    env.sig(2);
    EXPECT_THAT(env.seen, ElementsAre(1));
    EXPECT_FALSE(member.valid()) << "the dead slot is dropped by the emission";
}

TEST(SigslotSignal, ReentrantDisconnectDuringEmission) {
    sigslot::signal<int> sig;
    std::vector<std::string> calls;
    sigslot::connection self;
    sigslot::connection victim;
    self = sig.connect([&](int depth) {
        calls.push_back("self" + std::to_string(depth));
        if (depth == 0) sig(1);  // the nested call disconnects: the slot runs twice on this thread
        if (depth == 1) {
            EXPECT_TRUE(self.disconnect());
        }
    });
    sig.connect([&](int depth) {
        calls.push_back("killer" + std::to_string(depth));
        victim.disconnect();
    });
    victim = sig.connect([&](int depth) { calls.push_back("victim" + std::to_string(depth)); });
    run_or_abort("an emission whose slot disconnects itself", [&] { sig(0); });
    EXPECT_THAT(calls, ElementsAre("self0", "self1", "killer1", "killer0"));
    EXPECT_EQ(sig.slot_count(), 1u);
}

TEST(SigslotSignal, SlotConnectedDuringEmissionRunsFromTheNextOne) {
    sigslot::signal<> sig;
    int late_calls = 0;
    sigslot::scoped_connection once = sig.connect([&] {
        sig.connect([&] { ++late_calls; });
        once.disconnect();
    });
    sig();
    EXPECT_EQ(late_calls, 0);
    sig();
    EXPECT_EQ(late_calls, 1);
}

TEST(SigslotSignal, ExceptionReachesEmitterAndSignalStaysUsable) {
    sigslot::signal<> sig;
    bool fail = true;
    int later_calls = 0;
    const auto thrower = [&] {
        if (fail) throw std::runtime_error("slot failed");
    };
    sig.connect(thrower);
    sig.connect([&] { ++later_calls; });
    EXPECT_THROW(sig(), std::runtime_error);
    EXPECT_EQ(later_calls, 0);
    fail = false;
    sig();
    EXPECT_EQ(later_calls, 1);
    EXPECT_EQ(sig.disconnect(thrower), 1u) << "an aborted call must not stay registered as running";
}

TEST(SigslotSignal, MovedSignalTakesItsSlotsAlong) {
    sigslot::signal<> source;
    int calls = 0;
    const auto conn = source.connect([&] { ++calls; });
    sigslot::signal<> target(std::move(source));
    source();
    target();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(source.slot_count(), 0u);
    EXPECT_TRUE(conn.connected());
    source = std::move(target);
    source();
    EXPECT_EQ(calls, 2);
}

TEST(SigslotConnection, ScopedConnectionOwnsItsSlot) {
    sigslot::signal<> sig;
    sigslot::scoped_connection outer;
    {
        sigslot::scoped_connection inner = sig.connect([] {});
        sigslot::scoped_connection moved = sig.connect([] {});
        outer = std::move(moved);
        EXPECT_EQ(sig.slot_count(), 2u);
    }
    EXPECT_EQ(sig.slot_count(), 1u);
    const sigslot::connection kept = outer.release();
    outer = sig.connect([] {});
    outer = sigslot::scoped_connection{};
    EXPECT_EQ(sig.slot_count(), 1u);
    EXPECT_TRUE(kept.connected());
}

TEST(SigslotConnection, OutlivingTheSignalIsHarmless) {
    sigslot::connection conn;
    {
        sigslot::signal<> sig;
        conn = sig.connect([] {});
    }
    EXPECT_FALSE(conn.valid());
    EXPECT_FALSE(conn.disconnect());
}

TEST(SigslotThreads, ConcurrentConnectDisconnectAndEmit) {
    constexpr int kEmitters = 2;
    constexpr int kEmissions = 2000;
    sigslot::signal<int> sig;
    std::atomic<int> permanent_calls{0};
    sig.connect([&](int) { permanent_calls.fetch_add(1); });
    Countdown start(kEmitters + 2);
    std::vector<std::jthread> threads;
    for (int i = 0; i < kEmitters; ++i) {
        threads.emplace_back([&] {
            EXPECT_TRUE(start.arrive_and_wait());
            for (int n = 0; n < kEmissions; ++n) sig(n);
        });
    }
    const auto churn = [](int) {};
    threads.emplace_back([&] {  // plain slots, removed by signal and by connection
        EXPECT_TRUE(start.arrive_and_wait());
        for (int n = 0; n < kEmissions; ++n) {
            auto conn = sig.connect(churn, n % 3);
            if (n % 2 == 0) {
                conn.disconnect();
            } else {
                sig.disconnect(churn);
            }
        }
    });
    threads.emplace_back([&] {  // tracked slots whose objects come and go
        EXPECT_TRUE(start.arrive_and_wait());
        for (int n = 0; n < kEmissions; ++n) {
            auto object = std::make_shared<Receiver>(Receiver{nullptr});
            sig.connect(&Receiver::on_other, object, -1);
            if (n % 2 == 0) sig.disconnect(&Receiver::on_other, object);
        }
    });
    threads.clear();
    EXPECT_EQ(permanent_calls.load(), kEmitters * kEmissions);
    EXPECT_EQ(sig.slot_count(), 1u);
}

// Counts emissions of a background emitter so that a test can wait for emissions that started after some point.
class EmissionCounter {
public:
    void bump() {
        const std::lock_guard lock(mutex_);
        ++count_;
        cv_.notify_all();
    }
    long count() {
        const std::lock_guard lock(mutex_);
        return count_;
    }
    [[nodiscard]] bool wait_for_count(long target) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, 5s, [&] { return count_ >= target; });
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    long count_ = 0;
};

// Destroyed right after its slot is disconnected: a call still running then would read freed memory (reported by
// AddressSanitizer) or find the object marked dead. The first call holds on until the test starts disconnecting.
struct Watched {
    Countdown* first_call_inside;
    Countdown* disconnecting;
    std::atomic<int>* calls;
    std::atomic<bool>* touched_dead;
    std::atomic<bool> alive{true};

    void on_emit() {
        if (calls->fetch_add(1) == 0) {
            first_call_inside->count_down();
            EXPECT_TRUE(disconnecting->wait());
        }
        for (int i = 0; i < 1000; ++i) {
            if (!alive.load()) touched_dead->store(true);
        }
    }
};

TEST(SigslotThreads, NoCallRunsOrStartsAfterDisconnectReturns) {
    sigslot::signal<> sig;
    EmissionCounter emissions;
    std::atomic<int> calls{0};
    std::atomic<bool> touched_dead{false};
    std::jthread emitter([&](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            sig();
            emissions.bump();
        }
    });
    for (int round = 0; round < 100 && !touched_dead; ++round) {
        Countdown first_call_inside(1);
        Countdown disconnecting(1);
        calls = 0;
        auto* watched = new Watched{&first_call_inside, &disconnecting, &calls, &touched_dead};
        auto conn = sig.connect(&Watched::on_emit, watched);
        ASSERT_TRUE(first_call_inside.wait());
        disconnecting.count_down();
        if (round % 2 == 0) {
            EXPECT_TRUE(conn.disconnect());
        } else {
            EXPECT_EQ(sig.disconnect(&Watched::on_emit, watched), 1u);
        }
        const int calls_at_disconnect = calls.load();
        watched->alive = false;
        delete watched;
        ASSERT_TRUE(emissions.wait_for_count(emissions.count() + 2));
        EXPECT_EQ(calls.load(), calls_at_disconnect);
    }
    EXPECT_FALSE(touched_dead);
}

TEST(SigslotThreads, DisconnectWaitsForASlotThatAnotherDisconnectRemoved) {
    for (int round = 0; round < 20; ++round) {
        sigslot::signal<> sig;
        Countdown first_call_inside(1);
        Countdown disconnecting(1);
        Countdown other_disconnecting(1);
        std::atomic<int> calls{0};
        std::atomic<bool> touched_dead{false};
        auto* watched = new Watched{&first_call_inside, &disconnecting, &calls, &touched_dead};
        sig.connect(&Watched::on_emit, watched);
        std::jthread emitter([&] { sig(); });
        ASSERT_TRUE(first_call_inside.wait());
        std::jthread other([&] {
            other_disconnecting.count_down();
            sig.disconnect_all();
        });
        ASSERT_TRUE(other_disconnecting.wait());
        disconnecting.count_down();
        sig.disconnect(watched);  // usually finds the slot removed already, but must wait for its call all the same
        watched->alive = false;
        delete watched;
        emitter.join();
        EXPECT_FALSE(touched_dead);
    }
}

TEST(SigslotThreads, SelfDisconnectWaitsForTheSameSlotOnOtherThreads) {
    sigslot::signal<bool> sig;
    Countdown helper_inside(1);
    Countdown release_helper(1);
    std::atomic<bool> helper_finished{false};
    sigslot::connection conn;
    conn = sig.connect([&](bool is_helper) {
        if (is_helper) {
            helper_inside.count_down();
            EXPECT_TRUE(release_helper.wait());
            helper_finished = true;
            return;
        }
        release_helper.count_down();
        EXPECT_TRUE(conn.disconnect());
        EXPECT_TRUE(helper_finished) << "disconnect returned while the slot still ran on another thread";
    });
    std::jthread helper([&] { sig(true); });
    ASSERT_TRUE(helper_inside.wait());
    sig(false);
}

TEST(SigslotThreads, SlotDisconnectingItselfOnTwoThreadsAtOnceDoesNotDeadlock) {
    sigslot::signal<> sig;
    Countdown both_inside(2);
    sigslot::connection conn;
    conn = sig.connect([&] {
        EXPECT_TRUE(both_inside.arrive_and_wait());
        sigslot::connection(conn).disconnect();
    });
    run_or_abort("two threads disconnecting the slot they both run", [&] {
        std::jthread first([&] { sig(); });
        std::jthread second([&] { sig(); });
    });
    EXPECT_EQ(sig.slot_count(), 0u);
}

}  // namespace
