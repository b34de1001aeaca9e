#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "util/EventHost.h"
#include "util/Waits.h"

using namespace gw;

TEST(Waits, WaitMicrosecondsLetsTimersRunUntilTheClockHasAdvanced) {
    VirtualHost host(0);
    int ticks = 0;
    auto timer = host.CreateTimer([&] { ++ticks; });
    timer->SetIntervalMs(1);
    timer->SetEnabled(true);
    WaitMicroseconds(host, 5000);
    EXPECT_EQ(MicroClock(host), 5000);
    EXPECT_EQ(ticks, 5);

    const double inf = std::numeric_limits<double>::infinity();
    for (double none : {0.0, -10.0, std::nan(""), inf, -inf}) {
        WaitMicroseconds(host, none);
        EXPECT_EQ(MicroClock(host), 5000) << none;
    }
}

TEST(Waits, WaitSecondsCountsOnTheSecondsClockAcrossMidnight) {
    for (double midnightOffset : {36000.0, 86399.5, 86398.0, 0.0}) {
        VirtualHost host(0, midnightOffset);
        int ticks = 0;
        auto timer = host.CreateTimer([&] { ++ticks; });
        timer->SetIntervalMs(14);
        timer->SetEnabled(true);
        WaitSeconds(host, 2.0);
        EXPECT_GE(host.MicroClock(), 2'000'000 - 1) << midnightOffset;
        EXPECT_LE(host.MicroClock(), 2'001'000) << midnightOffset;
        EXPECT_EQ(ticks, 142) << midnightOffset;
    }
}

namespace {

// A wall clock that can be stopped or set back while the steady clock runs on.
class WallClockHost : public VirtualHost {
public:
    WallClockHost() : VirtualHost(0) {}
    double SecondsSinceMidnight() override {
        if (stopped) return 43200.0;
        const double s = 43200.0 + MicroClock() / 1e6;
        return MicroClock() > 500'000 ? s - 3600.0 : s;  // set back an hour after 0.5 s
    }
    bool stopped = false;
};

}  // namespace

TEST(Waits, WaitSecondsEndsWhenTheWallClockStopsOrGoesBack) {
    WallClockHost stoppedClock;
    stoppedClock.stopped = true;
    WaitSeconds(stoppedClock, 3.0);
    EXPECT_EQ(stoppedClock.MicroClock(), 4'000'000);

    WallClockHost setBack;
    WaitSeconds(setBack, 1.0);
    EXPECT_GE(setBack.MicroClock(), 1'000'000);
    EXPECT_LE(setBack.MicroClock(), 2'000'000);

    VirtualHost host(0);
    WaitSeconds(host, -1);
    WaitSeconds(host, std::nan(""));
    WaitSeconds(host, std::numeric_limits<double>::infinity());
    EXPECT_EQ(host.MicroClock(), 0);
}
