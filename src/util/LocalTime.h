// The local calendar time of a moment, the same way on every system (the C library's
// thread-safe call differs between POSIX and Windows). Reading the clock is the hosts'
// business, not this file's.
#pragma once

#include <ctime>

namespace gw {

// t in the local time zone; all fields 0 when the system cannot convert it.
std::tm LocalTime(std::time_t t);

}  // namespace gw
