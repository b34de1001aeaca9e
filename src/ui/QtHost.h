// QtHost: the window program's Host. Steady clock on QElapsedTimer, timers on precise
// QTimers, "let events run" through the Qt event loop (DoEvents runs what is pending or
// waits for the next event, a millisecond at most; waits block until the next event and
// spin only for the last sub-millisecond part),
// message boxes through QMessageBox, the number format of the system locale. It holds no
// behaviour of the workbench itself.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

#include "util/EventHost.h"
#include "util/Host.h"

namespace gw {

class QtHost : public Host {
public:
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

private:
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
