#include "sim/SimErrors.h"

namespace gw {

void SimErrors::Add(int error, std::uint8_t state, double fromUs, double untilUs) {
    if (error < 0 || error >= 32 || !(untilUs > fromUs)) return;
    events_.push_back({error, state, fromUs, untilUs});
}

void SimErrors::AddIntermittent(int error, std::uint8_t state, double firstUs, double onUs, double periodUs,
                                int count) {
    for (int k = 0; k < count; ++k) Add(error, state, firstUs + k * periodUs, firstUs + k * periodUs + onUs);
}

void SimErrors::Update(double nowUs, std::array<std::uint8_t, 64>& table) {
    std::array<bool, 32> scheduled{};
    std::array<std::uint8_t, 32> present{};
    for (const auto& e : events_) {
        const auto i = static_cast<std::size_t>(e.error);
        scheduled[i] = true;
        if (e.fromUs <= nowUs && nowUs < e.untilUs) present[i] = e.state;
        // Held at some moment in (lastUs_, nowUs]: the ECU noticed it and memorised it.
        if (e.fromUs <= nowUs && e.untilUs > lastUs_) table[i + 32] = e.state;
    }
    for (std::size_t i = 0; i < 32; ++i)
        if (scheduled[i]) table[i] = present[i];
    lastUs_ = nowUs;
}

}  // namespace gw
