// The simulator's noise: a stateless 64-bit mix of a seed and a counter, so that a run is
// the same on every machine and every replay.
#pragma once

#include <cstdint>

namespace gw {

inline std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace gw
