// The core's typed signal: several listeners in order, a listener destroyed before the
// emitter, an emitter destroyed before its connections, and listeners that disconnect
// during an emission.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "util/Query.h"
#include "util/Signal.h"

using namespace gw;

TEST(Signal, TwoListenersHearEveryEmissionInOrder) {
    Signal<int, const std::string&> changed;
    std::vector<std::string> heard;
    Connection a = changed.Connect([&](int n, const std::string& s) { heard.push_back("a" + std::to_string(n) + s); });
    Connection b = changed.Connect([&](int n, const std::string& s) { heard.push_back("b" + std::to_string(n) + s); });
    changed.Emit(1, "x");
    changed.Emit(2, "y");
    EXPECT_EQ(heard, (std::vector<std::string>{"a1x", "b1x", "a2y", "b2y"}));
}

TEST(Signal, AListenerGoneBeforeTheEmitterIsNeverCalled) {
    Signal<> tick;
    int first = 0, second = 0;
    Connection kept = tick.Connect([&] { ++first; });
    {
        Connection scoped = tick.Connect([&] { ++second; });
        tick.Emit();
        EXPECT_EQ(tick.ListenerCount(), 2u);
    }
    tick.Emit();
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(tick.ListenerCount(), 1u);
    // A moved connection keeps the listener; the moved-from one owns nothing.
    Connection moved = std::move(kept);
    EXPECT_FALSE(kept.Connected());
    tick.Emit();
    EXPECT_EQ(first, 3);
}

TEST(Signal, AnEmitterGoneFirstLeavesItsConnectionsHarmless) {
    auto tick = std::make_unique<Signal<>>();
    int calls = 0;
    Connection c = tick->Connect([&] { ++calls; });
    tick.reset();
    c.Disconnect();  // nothing to reach any more
    EXPECT_EQ(calls, 0);
}

TEST(Signal, ListenersMayDisconnectDuringAnEmission) {
    Signal<> tick;
    std::vector<int> order;
    Connection second;
    Connection first = tick.Connect([&] {
        order.push_back(1);
        second.Disconnect();  // not called in this emission any more
    });
    second = tick.Connect([&] { order.push_back(2); });
    Connection third = tick.Connect([&] {
        order.push_back(3);
        third.Disconnect();  // itself
    });
    tick.Emit();
    tick.Emit();
    EXPECT_EQ(order, (std::vector<int>{1, 3, 1}));

    // A listener may also destroy the signal it listens to.
    auto owned = std::make_unique<Signal<>>();
    Connection killer = owned->Connect([&] { owned.reset(); });
    owned->Emit();
    EXPECT_EQ(owned, nullptr);
}

// A query answers with its latest live binding; when that answerer goes, the earlier one
// answers again, and with none left the default does.
TEST(Query, LatestLiveBindingAnswersAndUnbindsWithItsOwner) {
    Query<int(int)> ask(-1);
    EXPECT_EQ(ask(3), -1);
    Connection first = ask.Bind([](int n) { return n * 10; });
    {
        Connection second = ask.Bind([](int n) { return n + 1; });
        EXPECT_EQ(ask(3), 4);
    }
    EXPECT_EQ(ask(3), 30);
    first.Disconnect();
    EXPECT_FALSE(ask.Bound());
    EXPECT_EQ(ask(3), -1);
    {
        auto owner = std::make_unique<Query<bool()>>();
        Connection c = owner->Bind([] { return true; });
        owner.reset();  // the query goes first: its binding's end does nothing
    }
}
