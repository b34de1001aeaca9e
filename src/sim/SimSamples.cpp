#include "sim/SimSamples.h"

#include <cmath>

namespace gw {

namespace {

std::uint16_t Clamp16(double v) {
    if (!(v > 0)) return 0;
    if (v > 65535) return 65535;
    return static_cast<std::uint16_t>(std::lround(v));
}

}  // namespace

void SimSamples::Step(bool running, int fuel, double vacuumMbar, double injectionMs, double stepMs) {
    const bool enabled = mem_.block2.size() > 12 && (mem_.block2[11] || mem_.block2[12]);
    if (!running || !enabled || injectionMs <= 0) return;
    if ((sinceMs_ += stepMs) < PeriodMs) return;
    sinceMs_ = 0;
    const bool gas = fuel == 3;
    auto& list = gas ? mem_.gasSamples : mem_.petrolSamples;
    auto& age = age_[gas ? 1 : 0];
    const SimMemory::Sample s{Clamp16(injectionMs / 0.008), Clamp16(vacuumMbar)};
    const long cls = std::lround(s.vacuumMbar / 20.0);
    std::size_t slot = list.size(), empty = list.size(), oldest = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].vacuumMbar == 0) {
            if (empty == list.size()) empty = i;
        } else if (std::lround(list[i].vacuumMbar / 20.0) == cls) {
            slot = i;
            break;
        }
        if (age[i] < age[oldest]) oldest = i;
    }
    if (slot == list.size()) slot = empty != list.size() ? empty : oldest;
    list[slot] = s;
    age[slot] = ++written_;
}

SimBytes SimSamples::Answer(const std::array<SimMemory::Sample, SimMemory::SampleSlots>& list, int set) {
    SimBytes d;
    const std::size_t first = set == 1 ? 30 : 0;
    int filled = 0;
    for (std::size_t i = 0; i < 30; ++i) filled += list[first + i].vacuumMbar > 0;
    d.push_back(static_cast<std::uint8_t>(filled));
    for (std::size_t i = 0; i < 30; ++i) {
        const auto& s = list[first + i];
        d.push_back(static_cast<std::uint8_t>(s.timeCounts & 0xFF));
        d.push_back(static_cast<std::uint8_t>(s.timeCounts >> 8));
        d.push_back(static_cast<std::uint8_t>(s.vacuumMbar & 0xFF));
        d.push_back(static_cast<std::uint8_t>(s.vacuumMbar >> 8));
    }
    return d;
}

}  // namespace gw
