// ExchangeDriver: the waiting-for-an-answer step of the communication cycle on a 1 ms
// virtual timer, so that link tests can run SendMsgWait (whose answer is collected and
// judged by timer ticks). Nested ticks return at once, as the cycle's busy flag makes them.
#pragma once

#include <memory>

#include "link/ClsComm.h"
#include "util/EventHost.h"

namespace gwtest {

class ExchangeDriver {
public:
    ExchangeDriver(gw::VirtualHost& host, gw::ClsComm& comm) : comm_(comm) {
        timer_ = host.CreateTimer([this] { Tick(); });
        timer_->SetIntervalMs(1);
        timer_->SetEnabled(true);
    }
    void SetEnabled(bool on) { timer_->SetEnabled(on); }
    int Ticks() const { return ticks_; }

private:
    void Tick() {
        if (busy_) return;
        busy_ = true;
        ++ticks_;
        if (comm_.ComState == gw::kComWaiting) {
            if (comm_.CkWDogSend()) {
                comm_.ReciveMsg();
                if (comm_.CtrlEndRecive()) comm_.VerificaRisposta();
            } else if (!comm_.ReinviaMsg(comm_.OutBuffer)) {
                // Resends used up on a fixed port: the link is lost.
                comm_.InBuffer.clear();
                comm_.WDogPresente = true;
                ++comm_.NumWDogSend;
                comm_.TimeCom_RSet();
                comm_.ComState = gw::kComLost;
            }
        }
        busy_ = false;
    }

    gw::ClsComm& comm_;
    std::unique_ptr<gw::Timer> timer_;
    bool busy_ = false;
    int ticks_ = 0;
};

}  // namespace gwtest
