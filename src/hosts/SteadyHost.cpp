#include "hosts/SteadyHost.h"

#include <algorithm>
#include <ctime>
#include <thread>

#include "util/LocalTime.h"

namespace gw {

SteadyHost::SteadyHost() : start_(std::chrono::steady_clock::now()) {
    // Waking a thousand times a second to find nothing to do would cost more processor
    // time than the whole link; the link's timings only need a tick every few ms.
    SetMinTimerIntervalMs(10);
}

double SteadyHost::MicroClock() {
    // Offset so that the clock never reads 0, which would mean "no counter".
    return 1.0 + std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start_)
                     .count();
}

double SteadyHost::SecondsSinceMidnight() {
    std::time_t t = std::time(nullptr);
    const std::tm local = LocalTime(t);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
}

void SteadyHost::DoEvents() {
    // Called in loops that wait for a condition: yield the processor until the next
    // event is due (at most a millisecond), then run what is due.
    const double now = MicroClock();
    const double wait = std::min(NextDue() - now, 1000.0);
    if (wait > 50.0) std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(wait)));
    RunDue();
}

void SteadyHost::RunEventsUntil(double deadlineUs) {
    for (;;) {
        RunDue();
        const double now = MicroClock();
        const double remaining = deadlineUs - now;
        if (remaining <= 0) return;
        const double untilEvent = NextDue() - now;
        if (remaining <= 1000.0 && untilEvent >= remaining) {
            std::this_thread::yield();  // the last sub-millisecond of a pause
            continue;
        }
        double sleepUs = std::min(untilEvent, remaining > 1000.0 ? remaining - 1000.0 : remaining);
        if (sleepUs > 50.0)
            std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>(sleepUs)));
        else
            std::this_thread::yield();
    }
}

}  // namespace gw
