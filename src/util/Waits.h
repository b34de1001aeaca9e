// The microsecond clock and the waits that keep events running (timer ticks, arriving
// bytes). All time comes from the Host; how a wait is spent (spinning for the last part
// of a short pause, blocking for longer ones) is the host's choice, not this file's.
#pragma once

#include "util/Host.h"

namespace gw {

// Microseconds on the host's high-resolution counter; 0 when there is none.
double MicroClock(Host& host);
// Lets events run until the clock has advanced by us microseconds. Zero, negative, NaN
// and infinite amounts return at once.
void WaitMicroseconds(Host& host, double us);   // RunEventsUntil(MicroClock()+us)
// Lets events run until the seconds-since-midnight clock has advanced by the given
// amount. Midnight is crossed correctly; the wall clock being set back, or standing
// still, cannot stretch the wait beyond one second more than asked (the microsecond
// clock bounds it). Zero, negative, NaN and infinite amounts return at once.
void WaitSeconds(Host& host, double seconds);   // against SecondsSinceMidnight, handles midnight wrap sanely

}  // namespace gw
