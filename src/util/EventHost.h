// Hosts without a window system. TimerHost keeps timers and one-shot events and runs
// those that are due; VirtualHost runs them on a virtual clock that jumps to the next
// due event (the tests); the real-time hosts live outside the core (hosts/SteadyHost.h,
// ui/QtHost.h). Message boxes are recorded and answered
// from a script instead of being shown.
#pragma once

#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "util/Host.h"

namespace gw {

struct ShownMessage {
    std::string text;
    std::string title;
    MsgIcon icon;
    MsgButtons buttons;
    MsgAnswer answer;
};

class TimerHost : public Host {
public:
    TimerHost();
    ~TimerHost() override;

    std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
    // Runs fn once when the clock reaches atUs (from within event processing).
    void ScheduleAt(double atUs, std::function<void()> fn);

    // Timers never tick more often than this (the platform's timer resolution).
    void SetMinTimerIntervalMs(int ms) { minIntervalMs_ = ms < 1 ? 1 : ms; }
    double TickUs(int intervalMs) const { return (intervalMs > minIntervalMs_ ? intervalMs : minIntervalMs_) * 1000.0; }

    // Earliest due time of an enabled timer or scheduled event; +infinity when none.
    double NextDue() const;
    // Runs every timer and scheduled event that is due now. Handlers may let events run
    // again; a timer is rescheduled before its handler runs, as on a window system.
    void RunDue();

    MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                         MsgButtons buttons) override;
    const NumberLocale& Locale() const override { return locale_; }
    void SetLocale(const NumberLocale& l) { locale_ = l; }

    // Answers for the next message boxes, in order; without one a box gets its first
    // button (Ok, Yes or Retry).
    void QueueAnswer(MsgAnswer a) { answers_.push_back(a); }
    const std::vector<ShownMessage>& Messages() const { return messages_; }
    void ClearMessages() { messages_.clear(); }
    // Where shown messages are also echoed (the command-line tool prints them).
    void SetMessageSink(std::function<void(const ShownMessage&)> sink) { sink_ = std::move(sink); }

    struct TimerState;


private:
    struct Scheduled {
        double at;
        unsigned long long seq;
        std::function<void()> fn;
    };
    std::vector<std::shared_ptr<TimerState>> timers_;
    std::vector<Scheduled> scheduled_;
    unsigned long long seq_ = 0;
    int minIntervalMs_ = 1;
    NumberLocale locale_;
    std::deque<MsgAnswer> answers_;
    std::vector<ShownMessage> messages_;
    std::function<void(const ShownMessage&)> sink_;
};

// Virtual time: the clock only moves when events are let run.
class VirtualHost : public TimerHost {
public:
    explicit VirtualHost(double startUs = 1'000'000.0, double midnightOffsetS = 36000.0);

    double MicroClock() override { return now_; }
    double SecondsSinceMidnight() override;
    void DoEvents() override;
    void RunEventsUntil(double deadlineUs) override;

    // Moves the clock by the given microseconds, running every event due on the way.
    void Advance(double us) { RunEventsUntil(now_ + us); }
    // Moves the clock without running events (time spent inside a blocking call).
    void Elapse(double us) { now_ += us; }
    // How far DoEvents moves the clock when nothing is due sooner.
    void SetMaxStep(double us) { maxStepUs_ = us; }

private:
    double now_;
    double midnightOffsetS_;
    double maxStepUs_ = 1000.0;
};


}  // namespace gw
