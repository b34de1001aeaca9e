// QtHost: the window program's Host. Steady clock on QElapsedTimer; the core's timers run
// from one Qt timer armed for the earliest due tick, at most one tick every kMinTickMs, and
// timers due close together tick in the same wake-up; "let events run" through the Qt
// event loop, blocking until the next event instead of polling (DoEvents runs what is
// pending or waits for the next event, one tick at most; waits block until their last
// millisecond and nap through the rest); message boxes through QMessageBox; the number
// format of the system locale. It holds no behaviour of the workbench itself.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "util/EventHost.h"
#include "util/Host.h"

namespace gw {

class QtHost : public Host {
public:
    // Timers never tick more often than this. Waking a thousand times a second for a 1 ms
    // timer cost far more processor time than the whole link; the link's timings need a
    // tick at least every 20 ms. 14 ms is the display timer's own interval, so that the
    // communication tick and the display tick share one wake-up.
    static constexpr int kMinTickMs = 14;
    // A timer due within this much after the earliest one ticks in the same wake-up, a
    // little early; its later ticks keep their own pace.
    static constexpr double kCoalesceUs = kMinTickMs * 1000.0 / 2;

    QtHost();
    ~QtHost() override;

    double MicroClock() override;
    double SecondsSinceMidnight() override;
    void DoEvents() override;
    void RunEventsUntil(double deadlineUs) override;
    std::unique_ptr<Timer> CreateTimer(std::function<void()> onTick) override;
    MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                         MsgButtons buttons) override;
    const NumberLocale& Locale() const override { return locale_; }

    // The window message boxes belong to (the main window once it exists).
    void SetDialogParent(QWidget* parent) { parent_ = parent; }
    // Scripted message boxes (window tests): nothing is shown; boxes are recorded and
    // answered from the queue, or with their first button.
    void SetScripted(bool on) { scripted_ = on; }
    void QueueAnswer(MsgAnswer a) { answers_.push_back(a); }
    const std::vector<ShownMessage>& Messages() const { return messages_; }

    struct TimerState;

private:
    friend class QtTimer;
    double TickUs(int intervalMs) const;
    // Runs the timers that are due (or nearly), then arms the driver for the next.
    void RunDueTimers();
    void ArmDriver();

    std::vector<std::shared_ptr<TimerState>> timers_;
    QTimer driver_;
    QElapsedTimer clock_;
    NumberLocale locale_;
    QWidget* parent_ = nullptr;
    bool scripted_ = false;
    std::deque<MsgAnswer> answers_;
    std::vector<ShownMessage> messages_;
};

// The user's number format from a Qt locale (decimal point and group separator).
NumberLocale NumberLocaleFrom(const class QLocale& locale);

}  // namespace gw
