// TimeTable: the layout of the ECU's correction tables (the correction table and the
// adaptation table): 192 entries, 0-183 indexed by petrol injection time in 0.128 ms steps,
// 184-191 the model's offset, ratio and point places.
#pragma once

#include <array>

namespace gw {

inline constexpr int kTimeTableSize = 192;
using TimeTable = std::array<double, kTimeTableSize>;

}  // namespace gw
