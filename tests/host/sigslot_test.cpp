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
    EXPECT_TRUE(member.valid());
    env.sig(2);
    EXPECT_THAT(env.seen, ElementsAre(1));
    EXPECT_FALSE(member.valid()) << "the dead slot is dropped by the emission";
    EXPECT_EQ(env.sig.slot_count(), 0u);
}

TEST(SigslotSignal, ASlotDisconnectedEarlierInTheEmissionIsNotCalled) {
    Env env;
    env.sig.connect([&](int) { env.conn.disconnect(); });
    env.conn = env.sig.connect(&Receiver::on_value, env.receiver.get());
    env.sig(1);
    EXPECT_TRUE(env.seen.empty());
    EXPECT_EQ(env.sig.slot_count(), 1u);
}

}  // namespace
