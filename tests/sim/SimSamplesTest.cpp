// The simulated ECU's sample lists: filled while the engine runs with vacuum acquisition
// enabled, into the list of the fuel in use, one sample per 20-mbar class (the newest),
// the oldest slot given up once all 60 are used; and the wire form of both sets.
#include <gtest/gtest.h>

#include "sim/SimSamples.h"

using namespace gw;

namespace {

int Filled(const std::array<SimMemory::Sample, SimMemory::SampleSlots>& list) {
    int n = 0;
    for (const auto& s : list) n += s.vacuumMbar > 0;
    return n;
}

struct Sampler {
    SimMemory mem;
    SimSamples samples{mem};
    Sampler() {
        mem.petrolSamples.fill({});
        mem.gasSamples.fill({});
    }
    // One sample period at this point.
    void At(int fuel, double vacuum, double ms, bool running = true) {
        for (double t = 0; t < SimSamples::PeriodMs; t += 10) samples.Step(running, fuel, vacuum, ms, 10);
    }
};

}  // namespace

TEST(SimSamples, FillTheListOfTheFuelInUseOnePerVacuumClass) {
    Sampler s;
    s.At(0, 400, 3.0);
    s.At(0, 405, 3.2);  // same class: replaces
    s.At(0, 430, 3.5);
    s.At(3, 400, 3.6);
    s.At(0, 500, 4.0, false);  // engine stopped: nothing
    EXPECT_EQ(Filled(s.mem.petrolSamples), 2);
    EXPECT_EQ(Filled(s.mem.gasSamples), 1);
    EXPECT_EQ(s.mem.petrolSamples[0].vacuumMbar, 405);
    EXPECT_EQ(s.mem.petrolSamples[0].timeCounts, 400);  // 3.2 ms in 8 us counts
    EXPECT_EQ(s.mem.gasSamples[0].timeCounts, 450);

    s.mem.block2[11] = s.mem.block2[12] = 0;  // acquisition disabled
    s.At(0, 700, 5.0);
    EXPECT_EQ(Filled(s.mem.petrolSamples), 2);
}

TEST(SimSamples, SixtyClassesThenTheOldestGoes) {
    Sampler s;
    for (int k = 0; k < 61; ++k) s.At(0, 200 + 20 * k, 2.0);
    EXPECT_EQ(Filled(s.mem.petrolSamples), 60);
    EXPECT_EQ(s.mem.petrolSamples[0].vacuumMbar, 200 + 20 * 60);  // took the oldest slot

    // The answer: the set's count of filled slots, then time and vacuum per slot.
    s.mem.petrolSamples[31] = {};
    const SimBytes set1 = SimSamples::Answer(s.mem.petrolSamples, 1);
    ASSERT_EQ(set1.size(), 121u);
    EXPECT_EQ(set1[0], 29);
    EXPECT_EQ(set1[1] | set1[2] << 8, 250);
    EXPECT_EQ(set1[3] | set1[4] << 8, 200 + 20 * 30);
}
