// The simulated ECU's errors on a schedule (present while they last, memorised until the
// memory is cleared) and its working-time counters advancing with engine time.
#include <gtest/gtest.h>

#include "sim/SimEngine.h"
#include "sim/SimErrors.h"
#include "sim/SimMemory.h"

using namespace gw;

TEST(SimErrors, ComeAndGoAndStayMemorisedUntilCleared) {
    SimErrors e;
    std::array<std::uint8_t, 64> t{};
    t[20] = 7;  // an error with no schedule is left alone
    e.Add(3, 1, 1e6, 2e6);
    e.AddIntermittent(9, 2, 0, 0.5e6, 3e6, 3);  // present 0-0.5, 3-3.5, 6-6.5 s
    e.Add(40, 1, 0);                            // no such error: ignored

    e.Update(0.2e6, t);
    EXPECT_EQ(t[9], 2);
    EXPECT_EQ(t[41], 2);
    EXPECT_EQ(t[3], 0);
    e.Update(1.5e6, t);
    EXPECT_EQ(t[3], 1);
    EXPECT_EQ(t[35], 1);
    EXPECT_EQ(t[9], 0);
    EXPECT_EQ(t[41], 2);  // memorised
    e.Update(2.5e6, t);
    EXPECT_EQ(t[3], 0);
    EXPECT_EQ(t[35], 1);

    // Cleared: what was before is forgotten; what held in between (9 at 3-3.5 s) is
    // memorised even though it is gone by the next read.
    t.fill(0);
    e.Cleared(2.6e6);
    e.Update(4e6, t);
    EXPECT_EQ(t[35], 0);
    EXPECT_EQ(t[9], 0);
    EXPECT_EQ(t[41], 2);
    EXPECT_EQ(t[20], 0);
    EXPECT_EQ(t[8], 0);
}

TEST(SimEngine, WorkingTimeCountersCountThirtyTwoBitMinutesWithTheKeyOn) {
    SimMemory mem;
    // Counter 1 just below a 16-bit carry.
    mem.block2[3] = 0xFF;
    mem.block2[4] = 0xFF;
    mem.block2[5] = 0x00;
    mem.block2[6] = 0x00;
    SimEngine engine(mem, 1, SimScenario::Idle);
    engine.AdvanceTo(0);
    engine.AdvanceTo(61e6);
    EXPECT_EQ(mem.block2[3], 0x00);
    EXPECT_EQ(mem.block2[4], 0x00);
    EXPECT_EQ(mem.block2[5], 0x01);  // 65536 minutes
    engine.SetKey(false);
    engine.AdvanceTo(300e6);
    EXPECT_EQ(mem.block2[5], 0x01);
    EXPECT_EQ(mem.block2[3], 0x00);  // no key, no time
}
