#include "util/Waits.h"

#include <algorithm>
#include <cmath>

namespace gw {

namespace {
constexpr double kDaySeconds = 86400.0;
}

double MicroClock(Host& host) { return host.MicroClock(); }

void WaitMicroseconds(Host& host, double us) {
    if (!std::isfinite(us) || us <= 0.0) return;
    host.RunEventsUntil(host.MicroClock() + us);
}

void WaitSeconds(Host& host, double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0.0) return;
    const double startUs = host.MicroClock();
    const double limitUs = startUs + (seconds + 1.0) * 1e6;
    double previous = host.SecondsSinceMidnight();
    double elapsed = 0.0;
    for (;;) {
        const double now = host.SecondsSinceMidnight();
        double step = now - previous;
        if (step < -kDaySeconds / 2) step += kDaySeconds;  // passed midnight
        if (step > 0.0) elapsed += step;                   // a clock set back counts nothing
        previous = now;
        if (elapsed >= seconds - 1e-6) return;  // rounding of the clock's seconds
        const double clock = host.MicroClock();
        if (clock >= limitUs) return;
        const double nextUs = clock + std::max((seconds - elapsed) * 1e6, 1000.0);
        host.RunEventsUntil(std::min(nextUs, limitUs));
    }
}

}  // namespace gw
