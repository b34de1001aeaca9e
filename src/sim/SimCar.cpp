#include "sim/SimCar.h"

#include <algorithm>
#include <cmath>

namespace gw {

namespace {

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace

double SimCar::DeliveredGasMs(double petrolMs) const {
    if (petrolMs <= 0) return 0;
    const long idx = std::clamp(std::lround(petrolMs / 0.128), 0L, 183L);
    return petrolMs + (mem_.corTable[static_cast<std::size_t>(idx)] + mem_.InjOffset(0)) * kEcuCountMs;
}

double SimCar::Step(double basePetrolMs, bool onGas, double stepS, std::uint64_t tick) {
    if (basePetrolMs <= 0) {
        trimMs_ = 0;
        return 0;
    }
    const double commanded = std::max(0.0, basePetrolMs + trimMs_);
    if (onGas) {
        // Lean gives more petrol time, rich less, until the gas delivered is the gas needed.
        const double error = GasNeedMs(basePetrolMs) - DeliveredGasMs(commanded);
        trimMs_ += error * stepS / kLoopTauS;
        trimMs_ = std::clamp(trimMs_, -basePetrolMs, 20.0);
    } else {
        trimMs_ -= trimMs_ * stepS / kLoopTauS;
    }
    const std::uint64_t h = Mix(seed_ ^ Mix(tick * 64 + 40));
    const double noise = static_cast<double>(h >> 11) / 9007199254740992.0 * 2.0 - 1.0;
    return std::max(0.0, basePetrolMs + trimMs_ + kNoiseMs * noise);
}

}  // namespace gw
