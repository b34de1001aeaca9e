#include "util/EventHost.h"

#include <algorithm>

namespace gw {

struct TimerHost::TimerState {
    std::function<void()> onTick;
    int intervalMs = 0;
    bool enabled = false;
    double due = 0;
    bool alive = true;
    TimerHost* host = nullptr;
};

namespace {

class HostTimer : public Timer {
public:
    explicit HostTimer(std::shared_ptr<TimerHost::TimerState> s) : s_(std::move(s)) {}
    ~HostTimer() override { s_->alive = false; s_->enabled = false; }

    void SetIntervalMs(int ms) override {
        s_->intervalMs = std::max(0, ms);
        if (s_->enabled) Restart();
    }
    int IntervalMs() const override { return s_->intervalMs; }
    void SetEnabled(bool on) override {
        if (on && !s_->enabled) {
            s_->enabled = true;
            Restart();
        } else if (!on) {
            s_->enabled = false;
        }
    }
    bool Enabled() const override { return s_->enabled; }

private:
    void Restart() { s_->due = s_->host->MicroClock() + s_->host->TickUs(s_->intervalMs); }
    std::shared_ptr<TimerHost::TimerState> s_;
};

}  // namespace

TimerHost::TimerHost() = default;
TimerHost::~TimerHost() = default;

std::unique_ptr<Timer> TimerHost::CreateTimer(std::function<void()> onTick) {
    auto s = std::make_shared<TimerState>();
    s->onTick = std::move(onTick);
    s->host = this;
    timers_.push_back(s);
    return std::make_unique<HostTimer>(s);
}

void TimerHost::ScheduleAt(double atUs, std::function<void()> fn) {
    scheduled_.push_back({atUs, seq_++, std::move(fn)});
}

double TimerHost::NextDue() const {
    double next = std::numeric_limits<double>::infinity();
    for (const auto& t : timers_)
        if (t->alive && t->enabled) next = std::min(next, t->due);
    for (const auto& s : scheduled_) next = std::min(next, s.at);
    return next;
}

void TimerHost::RunDue() {
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [](const auto& t) { return !t->alive; }),
                  timers_.end());
    const double now = MicroClock();
    // One-shot events first, in the order they were scheduled.
    for (;;) {
        auto it = std::min_element(scheduled_.begin(), scheduled_.end(),
                                   [](const Scheduled& a, const Scheduled& b) {
                                       return a.at != b.at ? a.at < b.at : a.seq < b.seq;
                                   });
        if (it == scheduled_.end() || it->at > now) break;
        auto fn = std::move(it->fn);
        scheduled_.erase(it);
        fn();
    }
    // A copy: handlers may create timers, and nested event processing may run here too.
    auto timers = timers_;
    for (const auto& t : timers) {
        if (!t->alive || !t->enabled || t->due > MicroClock()) continue;
        const double step = TickUs(t->intervalMs);
        t->due += step;
        if (t->due <= MicroClock()) t->due = MicroClock() + step;  // no burst after a stall
        auto keep = t;                                              // alive during its tick
        keep->onTick();
    }
}

MsgAnswer TimerHost::MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                                MsgButtons buttons) {
    MsgAnswer a;
    if (!answers_.empty()) {
        a = answers_.front();
        answers_.pop_front();
    } else {
        switch (buttons) {
            case MsgButtons::YesNo:
            case MsgButtons::YesNoCancel: a = MsgAnswer::Yes; break;
            case MsgButtons::RetryCancel: a = MsgAnswer::Retry; break;
            default: a = MsgAnswer::Ok; break;
        }
    }
    messages_.push_back({text, title, icon, buttons, a});
    if (sink_) sink_(messages_.back());
    return a;
}

// ---- virtual time ----

VirtualHost::VirtualHost(double startUs, double midnightOffsetS)
    : now_(startUs), midnightOffsetS_(midnightOffsetS) {}

double VirtualHost::SecondsSinceMidnight() {
    double s = midnightOffsetS_ + now_ / 1e6;
    while (s >= 86400.0) s -= 86400.0;
    return s;
}

void VirtualHost::DoEvents() {
    const double target = std::min(NextDue(), now_ + maxStepUs_);
    if (target > now_) now_ = target;
    RunDue();
}

void VirtualHost::RunEventsUntil(double deadlineUs) {
    RunDue();
    while (now_ < deadlineUs) {
        now_ = std::min(NextDue(), deadlineUs);
        RunDue();
    }
}

// ---- real time ----

}  // namespace gw
