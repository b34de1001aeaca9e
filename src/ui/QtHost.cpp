#include "ui/QtHost.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QMessageBox>
#include <QThread>
#include <QTime>
#include <QTimer>

#include "ui/QtText.h"

namespace gw {

namespace {

class QtTimer : public Timer {
public:
    explicit QtTimer(std::function<void()> onTick) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [fn = std::move(onTick)] { fn(); });
    }
    void SetIntervalMs(int ms) override {
        interval_ = ms < 0 ? 0 : ms;
        timer_.setInterval(interval_ < 1 ? 1 : interval_);
    }
    int IntervalMs() const override { return interval_; }
    void SetEnabled(bool on) override {
        if (on && !timer_.isActive())
            timer_.start();
        else if (!on)
            timer_.stop();
    }
    bool Enabled() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    int interval_ = 0;
};

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

QtHost::QtHost() : locale_(NumberLocaleFrom(QLocale::system())) { clock_.start(); }

QtHost::~QtHost() = default;

double QtHost::MicroClock() {
    // Offset so that the clock never reads 0, which would mean "no counter".
    return 1.0 + static_cast<double>(clock_.nsecsElapsed()) / 1000.0;
}

double QtHost::SecondsSinceMidnight() { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

void QtHost::DoEvents() {
    // Runs what is pending; when nothing is, waits for the next event, at most about a
    // millisecond, so that loops waiting on a condition do not spin a whole core.
    QTimer guard;
    guard.setSingleShot(true);
    guard.setTimerType(Qt::PreciseTimer);
    guard.start(1);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtHost::RunEventsUntil(double deadlineUs) {
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const double remaining = deadlineUs - MicroClock();
        if (remaining <= 0) return;
        if (remaining <= 1000.0) {
            // The last sub-millisecond part of a pause: short naps, events still run.
            if (remaining > 200.0) QThread::usleep(100);
            continue;
        }
        // Block on the event loop until something happens (a timer tick, input) or the
        // pause is a millisecond short of its end, whichever comes first.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(static_cast<int>((remaining - 1000.0) / 1000.0));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

std::unique_ptr<Timer> QtHost::CreateTimer(std::function<void()> onTick) {
    return std::make_unique<QtTimer>(std::move(onTick));
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
