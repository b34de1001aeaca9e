// The simulated gas tank: the level sensor's reading in block 1 falls with the gas burnt,
// stands still on petrol, follows the sensor's direction and range, and stops at empty.
#include <gtest/gtest.h>

#include "sim/SimEcu.h"

using namespace gw;

namespace {

int LevelAt(SimEcu& ecu, double atUs) {
    auto a = ecu.Responder().Handle(SimCodec::BuildRequest(simcmd::ReadMem1, {}), atUs);
    const SimBytes d(a->begin() + 5, a->end() - 1);
    return d[83] | (d[84] << 8);
}

TEST(SimLevel, ReadingFallsWithTheGasBurntAndOnlyOnGas) {
    SimEcu ecu;
    EXPECT_EQ(LevelAt(ecu, 0), 716);  // 70 % of 1023
    // Idling on petrol (too slow to switch over): nothing is burnt from the tank.
    EXPECT_EQ(LevelAt(ecu, 20e6), 716);
    // On gas at 2500 rpm the tank empties visibly within a minute or two.
    ecu.Engine().SetTargetRpm(2500);
    int last = LevelAt(ecu, 60e6);
    ASSERT_EQ(ecu.Engine().Fuel(), 3);
    for (double t = 80e6; t <= 200e6; t += 20e6) {
        const int now = LevelAt(ecu, t);
        EXPECT_LT(now, last) << t;
        last = now;
    }
    EXPECT_LT(last, 716 - 100);
    // Running longer empties it and the reading stops at 0.
    EXPECT_EQ(LevelAt(ecu, 1200e6), 0);
    EXPECT_EQ(ecu.Engine().TankFill(), 0.0);
}

TEST(SimLevel, SensorDirectionRangeAndFill) {
    struct Case {
        int fullScale;
        bool inverted;
        double fill;
        int reading;
    } cases[] = {
        {1023, false, 0.5, 512}, {1023, true, 0.25, 767}, {511, false, 1.0, 511},
        {511, true, 1.0, 0},     {1023, false, 2.0, 1023}, {1023, false, -1.0, 0},
    };
    for (const Case& c : cases) {
        SimEcu ecu;
        ecu.Engine().SetLevelSensor(c.fullScale, c.inverted);
        ecu.Engine().SetTankFill(c.fill);
        EXPECT_EQ(LevelAt(ecu, 0), c.reading) << c.fullScale << " " << c.inverted << " " << c.fill;
    }
    // An inverted sensor's reading rises as the tank empties.
    SimEcu ecu;
    ecu.Engine().SetLevelSensor(1023, true);
    ecu.Engine().SetTargetRpm(2500);
    const int start = LevelAt(ecu, 60e6);
    EXPECT_GT(LevelAt(ecu, 160e6), start);
}

}  // namespace
