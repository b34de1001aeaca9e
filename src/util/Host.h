// Host: what the core needs from the program that runs it: a microsecond clock, a way
// to let pending events run, timers, message boxes and the user's number format.
// The window program, the command-line tool and the tests each provide one; the core
// never reads a real clock, sleeps or shows anything by itself.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "util/NumberLocale.h"

namespace gw {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry };

// A periodic timer owned by whoever created it. Ticks are delivered by the host's event
// processing, so a tick can run inside another handler's wait: handlers guard themselves
// with busy flags, exactly as on a window system.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void SetIntervalMs(int ms) = 0;
    virtual int IntervalMs() const = 0;
    virtual void SetEnabled(bool on) = 0;
    virtual bool Enabled() const = 0;
};

class Host {
public:
    virtual ~Host() = default;

    // Microseconds on a steady high-resolution counter; 0 when the system has none.
    virtual double MicroClock() = 0;
    // Local wall-clock seconds since midnight.
    virtual double SecondsSinceMidnight() = 0;

    // Lets pending events run once (timer ticks, arriving bytes). On virtual time this
    // moves the clock to the next due event, at most a millisecond ahead.
    virtual void DoEvents() = 0;
    // Lets events run until MicroClock() has reached the deadline. Pauses under a
    // millisecond may spin; longer ones block until the next due event.
    virtual void RunEventsUntil(double deadlineUs) = 0;

    virtual std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) = 0;

    virtual MsgAnswer MessageBox(const std::string& text, const std::string& title,
                                 MsgIcon icon, MsgButtons buttons) = 0;

    // The user's number format, for configuration files and exports.
    virtual const NumberLocale& Locale() const = 0;
};

}  // namespace gw
