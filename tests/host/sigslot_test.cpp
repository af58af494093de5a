// The signals and slots the host interfaces are built on, in the forms the library
// connects and disconnects with.
#include <functional>
#include <memory>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sigslot/signal.hpp"

namespace {

using ::testing::ElementsAre;

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
    const FormCase cases[] = {
        {"pmf + raw, by pmf and object", [](Env& e) { return e.sig.connect(&Receiver::on_value, e.receiver.get()); },
         [](Env& e) { return e.sig.disconnect(&Receiver::on_value, e.receiver.get()); }},
        {"pmf + shared_ptr", [](Env& e) { return e.sig.connect(&Receiver::on_value, e.receiver); },
         [](Env& e) { return e.sig.disconnect(&Receiver::on_value, e.receiver); }},
        {"pmf + weak_ptr", [&](Env& e) { return e.sig.connect(&Receiver::on_value, weak(e)); },
         [&](Env& e) { return e.sig.disconnect(&Receiver::on_value, weak(e)); }},
        {"tracked pmf, by raw pointer", [](Env& e) { return e.sig.connect(&Receiver::on_value, e.receiver); },
         [](Env& e) { return e.sig.disconnect(&Receiver::on_value, e.receiver.get()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Env env;
        env.conn = c.connect(env);
        EXPECT_EQ(env.sig.slot_count(), 1u);
        env.sig(7);
        EXPECT_EQ(c.disconnect(env), 1u);
        EXPECT_EQ(c.disconnect(env), 0u) << "a second disconnect finds nothing";
        env.sig(8);
        EXPECT_THAT(env.seen, ElementsAre(7));
        EXPECT_EQ(env.sig.slot_count(), 0u);
    }
}

TEST(SigslotSignal, DisconnectRemovesOnlyWhatMatches) {
    Env env;
    std::vector<int> other_sink;
    Receiver other{&other_sink};
    env.sig.connect(&Receiver::on_value, env.receiver.get());
    env.sig.connect(&Receiver::on_value, &other);
    env.sig.connect(&Receiver::on_other, &other);
    EXPECT_EQ(env.sig.disconnect(&Receiver::on_other, env.receiver.get()), 0u) << "pmf bound elsewhere";
    EXPECT_EQ(env.sig.disconnect(&Receiver::on_value, &other), 1u);
    EXPECT_EQ(env.sig.slot_count(), 2u);
    env.sig(3);
    EXPECT_THAT(env.seen, ElementsAre(3));
    EXPECT_TRUE(other_sink.empty());
}

TEST(SigslotSignal, TrackedSlotsNeverKeepTheirObjectAlive) {
    Env env;
    const std::weak_ptr<Receiver> weak = env.receiver;
    long use_count_in_call = 0;
    const auto member = env.sig.connect(&Receiver::on_value, env.receiver);
    {
        const sigslot::scoped_connection probe =
            env.sig.connect([&](int) { use_count_in_call = weak.use_count(); }, weak);
        EXPECT_EQ(weak.use_count(), 1);
        env.sig(1);
    }
    EXPECT_EQ(use_count_in_call, 2) << "the object is locked for the call";
    EXPECT_THAT(env.seen, ElementsAre(1));

    env.receiver.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(env.sig.slot_count(), 1u) << "a dead slot stays listed until an emission";
    env.sig.connect(&Receiver::on_value, weak);
    EXPECT_EQ(env.sig.slot_count(), 2u) << "an expired object is accepted";
    std::size_t count_in_emission = 0;
    env.sig.connect([&](int) { count_in_emission = env.sig.slot_count(); });
    EXPECT_TRUE(member.valid());
    env.sig(2);
    EXPECT_THAT(env.seen, ElementsAre(1));
    EXPECT_EQ(count_in_emission, 1u) << "each dead slot is dropped when the emission meets it";
    EXPECT_FALSE(member.valid());
}

// Slot 0 takes slot 1, later in the same emission, off the signal.
TEST(SigslotSignal, OnlyAConnectionsDisconnectStopsAnEmissionUnderWay) {
    struct Case {
        const char* name;
        std::function<void(Env&)> disconnect;
        bool still_called;
    };
    const Case cases[] = {
        {"pmf + raw", [](Env& e) { e.sig.disconnect(&Receiver::on_value, e.receiver.get()); }, true},
        {"raw object", [](Env& e) { e.sig.disconnect(e.receiver.get()); }, true},
        {"pmf alone", [](Env& e) { e.sig.disconnect(&Receiver::on_value); }, true},
        {"all", [](Env& e) { e.sig.disconnect_all(); }, true},
        {"connection", [](Env& e) { e.conn.disconnect(); }, false},
    };
    for (const auto& c : cases) {
        for (const bool tracked : {false, true}) {
            SCOPED_TRACE(::testing::Message() << c.name << (tracked ? ", tracked" : ""));
            Env env;
            bool connected_after = false;
            env.sig.connect([&](int v) {
                if (v != 1) return;
                c.disconnect(env);
                connected_after = env.conn.connected();
            });
            env.conn = tracked ? env.sig.connect(&Receiver::on_value, env.receiver)
                               : env.sig.connect(&Receiver::on_value, env.receiver.get());
            env.sig(1);
            env.sig(2);
            EXPECT_EQ(env.seen.size(), c.still_called ? 1u : 0u) << "called by that emission only";
            EXPECT_EQ(connected_after, c.still_called);
        }
    }
}

// A tracked slot whose object is gone, a plain callable and a member slot on a live object.
TEST(SigslotSignal, DisconnectByObjectComparesTheObjectsCurrentAddress) {
    struct Case {
        const char* name;
        std::function<std::size_t(Env&, Receiver*, const std::weak_ptr<Receiver>&)> disconnect;
        std::size_t removed;
    };
    const Case cases[] = {
        {"pmf + raw", [](Env& e, Receiver* raw, auto&) { return e.sig.disconnect(&Receiver::on_value, raw); }, 0},
        {"raw", [](Env& e, Receiver* raw, auto&) { return e.sig.disconnect(raw); }, 0},
        {"pmf + expired", [](Env& e, Receiver*, auto& w) { return e.sig.disconnect(&Receiver::on_value, w); }, 1},
        {"expired: every slot without an object", [](Env& e, Receiver*, auto& w) { return e.sig.disconnect(w); }, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Env env;
        Receiver live{&env.seen};
        env.sig.connect(&Receiver::on_value, env.receiver);
        env.sig.connect([](int) {});
        env.sig.connect(&Receiver::on_value, &live);
        Receiver* const raw = env.receiver.get();
        const std::weak_ptr<Receiver> weak = env.receiver;
        env.receiver.reset();
        EXPECT_EQ(c.disconnect(env, raw, weak), c.removed);
    }
}

// Slot 1 of group 0 goes; groups -1 and 1 frame the group.
TEST(SigslotSignal, ARemovalMovesTheLastSlotOfItsGroupIntoItsPlace) {
    struct Case {
        const char* name;
        std::function<void(Env&, std::shared_ptr<Receiver>&)> remove;
    };
    const Case cases[] = {
        {"connection", [](Env& e, auto&) { e.conn.disconnect(); }},
        {"signal", [](Env& e, auto& r) { e.sig.disconnect(&Receiver::on_value, r.get()); }},
        {"dead tracked slot met by an emission",
         [](Env& e, auto& r) {
             r.reset();
             e.sig(0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Env env;
        auto tagged = [&](int id, sigslot::group_id group = 0) {
            return env.sig.connect([&env, id](int v) { env.seen.push_back(v + id); }, group);
        };
        auto second = std::make_shared<Receiver>(Receiver{&env.seen});
        tagged(0);
        tagged(9, 1);
        env.conn = env.sig.connect(&Receiver::on_value, second);
        tagged(-9, -1);
        tagged(2);
        tagged(3);
        c.remove(env, second);
        env.seen.clear();
        env.sig(10);
        EXPECT_THAT(env.seen, ElementsAre(1, 10, 13, 12, 19));
    }
}

}  // namespace
