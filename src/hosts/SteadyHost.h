// SteadyHost: real time on the steady clock for the hosts without a window system (the
// command-line tool and the simulator program). Lives outside the core's libraries, so that
// their link graph shows the core never reads a real clock.
#pragma once

#include <chrono>

#include "util/EventHost.h"

namespace gw {

// Real time on the steady clock; waits sleep until the next due event and spin only for
// the last sub-millisecond part of a pause.
class SteadyHost : public TimerHost {
public:
    SteadyHost();

    double MicroClock() override;
    double SecondsSinceMidnight() override;
    void DoEvents() override;
    void RunEventsUntil(double deadlineUs) override;

private:
    std::chrono::steady_clock::time_point start_;
};

}  // namespace gw
