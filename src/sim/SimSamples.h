// SimSamples: how the simulated ECU fills its petrol and gas sample lists while the engine
// runs, and the wire form of a sample-list answer. A sample (vacuum, injection time) goes
// into the list of the fuel in use every half second while vacuum acquisition is enabled;
// each 20-mbar vacuum class keeps its newest sample, a new class takes the first empty slot
// and, once all 60 are used, the oldest one. The lists themselves live in SimMemory.
#pragma once

#include <array>
#include <cstdint>

#include "sim/SimMemory.h"

namespace gw {

class SimSamples {
public:
    static constexpr double PeriodMs = 500;

    explicit SimSamples(SimMemory& memory) : mem_(memory) {}

    // One engine step of stepMs: running engine, fuel in use (0 petrol, 3 gas), the
    // manifold vacuum (mbar) and the injection time (ms) now.
    void Step(bool running, int fuel, double vacuumMbar, double injectionMs, double stepMs);

    // Answer data of set 0 (slots 0-29) or set 1 (slots 30-59): the count of filled slots
    // of the set, then per slot the time (8 us counts) and the vacuum (mbar), 16-bit
    // little-endian each.
    static SimBytes Answer(const std::array<SimMemory::Sample, SimMemory::SampleSlots>& list, int set);

private:
    SimMemory& mem_;
    double sinceMs_ = 0;
    std::uint64_t written_ = 0;
    // When each slot was last written (0: never), per list.
    std::array<std::array<std::uint64_t, SimMemory::SampleSlots>, 2> age_{};
};

}  // namespace gw
