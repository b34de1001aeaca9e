#include "ui/QtHost.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QMessageBox>
#include <QThread>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "ui/QtText.h"

namespace gw {

struct QtHost::TimerState {
    std::function<void()> onTick;
    int intervalMs = 0;
    bool enabled = false;
    bool alive = true;
    double due = 0;
    QtHost* host = nullptr;
};

class QtTimer : public Timer {
public:
    explicit QtTimer(std::shared_ptr<QtHost::TimerState> s) : s_(std::move(s)) {}
    ~QtTimer() override {
        s_->alive = false;
        s_->enabled = false;
    }
    void SetIntervalMs(int ms) override {
        s_->intervalMs = ms < 0 ? 0 : ms;
        if (s_->enabled) Restart();
    }
    int IntervalMs() const override { return s_->intervalMs; }
    void SetEnabled(bool on) override {
        if (on && !s_->enabled) {
            s_->enabled = true;
            Restart();
        } else if (!on) {
            s_->enabled = false;  // the driver finds no tick due for it
        }
    }
    bool Enabled() const override { return s_->enabled; }

private:
    void Restart() {
        if (!s_->host) return;
        s_->due = s_->host->MicroClock() + s_->host->TickUs(s_->intervalMs);
        s_->host->ArmDriver();
    }
    std::shared_ptr<QtHost::TimerState> s_;
};

namespace {

char CharOf(const QString& s, char fallback) {
    if (s.size() != 1 || s.at(0).unicode() > 0x7F) return fallback;
    return static_cast<char>(s.at(0).unicode());
}

}  // namespace

NumberLocale NumberLocaleFrom(const QLocale& locale) {
    NumberLocale l;
    l.decimal = CharOf(locale.decimalPoint(), '.');
    l.group = CharOf(locale.groupSeparator(), l.decimal == ',' ? '.' : ',');
    if (l.group == l.decimal) l.group = l.decimal == ',' ? '.' : ',';
    return l;
}

QtHost::QtHost() : locale_(NumberLocaleFrom(QLocale::system())) {
    clock_.start();
    driver_.setSingleShot(true);
    driver_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&driver_, &QTimer::timeout, [this] { RunDueTimers(); });
}

QtHost::~QtHost() {
    for (const auto& t : timers_) t->host = nullptr;
}

double QtHost::TickUs(int intervalMs) const { return (intervalMs > kMinTickMs ? intervalMs : kMinTickMs) * 1000.0; }

void QtHost::ArmDriver() {
    double next = -1;
    for (const auto& t : timers_)
        if (t->alive && t->enabled && (next < 0 || t->due < next)) next = t->due;
    if (next < 0) {
        driver_.stop();
        return;
    }
    const double waitMs = std::ceil((next - MicroClock()) / 1000.0);
    driver_.start(waitMs > 0 ? static_cast<int>(waitMs) : 0);
}

void QtHost::RunDueTimers() {
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [](const auto& t) { return !t->alive; }),
                  timers_.end());
    const double now = MicroClock();
    // Every timer due now or within the coalescing window is rescheduled first and the
    // driver armed for the next tick, so that a handler that lets events run (an exchange
    // waiting for its answer) still gets the following ticks; then the handlers run, in
    // order, each skipped when its timer was stopped by an earlier one.
    std::vector<std::shared_ptr<TimerState>> due;
    for (const auto& t : timers_) {
        if (!t->enabled || t->due > now + kCoalesceUs) continue;
        const double step = TickUs(t->intervalMs);
        t->due += step;
        if (t->due <= now) t->due = now + step;  // no burst after a stall
        due.push_back(t);
    }
    ArmDriver();
    for (const auto& t : due)
        if (t->alive && t->enabled) t->onTick();
}


double QtHost::MicroClock() {
    // Offset so that the clock never reads 0, which would mean "no counter".
    return 1.0 + static_cast<double>(clock_.nsecsElapsed()) / 1000.0;
}

double QtHost::SecondsSinceMidnight() { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

void QtHost::DoEvents() {
    // Runs what is pending; when nothing is, blocks until the next event (a timer tick,
    // input, a posted event), at most one tick, so that a loop waiting on a condition
    // that only a tick can change sleeps instead of spinning.
    if (driver_.isActive() && driver_.remainingTime() <= kMinTickMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return;
    }
    QTimer guard;
    guard.setSingleShot(true);
    guard.start(kMinTickMs);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtHost::RunEventsUntil(double deadlineUs) {
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const double remaining = deadlineUs - MicroClock();
        if (remaining <= 0) return;
        if (remaining < 1000.0) {
            // The last sub-millisecond part of a pause (timers count whole milliseconds):
            // one nap to the deadline instead of spinning.
            QThread::usleep(static_cast<unsigned long>(remaining) + 1);
            continue;
        }
        // Block on the event loop until something happens (a timer tick, input) or the
        // whole milliseconds of the pause are over, whichever comes first.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(static_cast<int>(remaining / 1000.0));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

std::unique_ptr<Timer> QtHost::CreateTimer(std::function<void()> onTick) {
    auto s = std::make_shared<TimerState>();
    s->onTick = std::move(onTick);
    s->host = this;
    timers_.push_back(s);
    return std::make_unique<QtTimer>(s);
}

MsgAnswer QtHost::MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                             MsgButtons buttons) {
    MsgAnswer answer = MsgAnswer::Ok;
    if (scripted_) {
        if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
        } else if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) {
            answer = MsgAnswer::Yes;
        } else if (buttons == MsgButtons::RetryCancel) {
            answer = MsgAnswer::Retry;
        }
        messages_.push_back({text, title, icon, buttons, answer});
        return answer;
    }
    QMessageBox box(parent_);
    box.setWindowTitle(ToQ(title));
    box.setText(ToQ(text));
    switch (icon) {
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MsgButtons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    }
    switch (box.exec()) {
        case QMessageBox::Cancel: answer = MsgAnswer::Cancel; break;
        case QMessageBox::Yes: answer = MsgAnswer::Yes; break;
        case QMessageBox::No: answer = MsgAnswer::No; break;
        case QMessageBox::Retry: answer = MsgAnswer::Retry; break;
        default:
            // Closed with the window's close box: the safe answer of each set.
            answer = buttons == MsgButtons::Ok ? MsgAnswer::Ok
                     : buttons == MsgButtons::YesNo ? MsgAnswer::No
                                                    : MsgAnswer::Cancel;
            break;
    }
    return answer;
}

}  // namespace gw
