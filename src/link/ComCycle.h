// ComCycle: the communication cycle driven by the main window's 1 ms timer. One step per
// tick over the connection state: open the port, send the keep-alive after 4 s of silence,
// collect and judge answers, resend, declare the link lost, search the port the ECU is on.
// Also the port menu's commands. What the window shows of it (status-bar fields, checked
// menu items) is ConnectionPresenter's; what the display asks the ECU is not decided here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "link/ClsComm.h"
#include "util/Signal.h"

namespace gw {

// Port positions the user can choose: USB (0) and COM1 to COM9.
inline constexpr int kPortPositions = 10;

class ComCycle {
public:
    explicit ComCycle(ClsComm& comm);

    // What the program around the cycle does at the cycle's request.
    // Tick step 3: the link is closed (0) or off-line (8): reset polling and live values,
    // clear RequestsEnabled; off-line also runs its clean-up.
    Signal<std::uint8_t> ClosedOrOffLine;
    // SelezionaCom stops and restarts both window timers around a port change.
    Signal<bool> TimersSwitched;
    // Hourglass pointer on/off.
    Signal<bool> BusyPointer;
    // At the end of every tick, with whether a parameter write is pending: the status
    // fields follow the link's state.
    Signal<bool /*writePending*/> StatusDue;
    // A search opens its next position (shown while the open runs, not only after it).
    Signal<> SearchPositionOpening;
    // The search found the ECU and ends on this port.
    Signal<> SearchEnded;

    // The whole Timer1 tick: busy guard, off-line request, hook, GestioneCom, status.
    // writePending: a parameter write to the ECU is pending or running (shown as "UPGRADE").
    void OnTimer1(bool writePending = false);
    void GestioneCom();

    // Port menu.
    void MnuDevCom_Click(int index);
    void MnuOffLine_Click();
    void MnuSearcCom_Click();
    void MnuSimulated_Click();
    void SelezionaCom(int portIndex, bool usb);
    // The identity check accepted the ECU: the search ends on this port, which is kept.
    void EcuAccepted();
    // The identity check refused the ECU: close, and during a search try the next position.
    void EcuRefused();


    bool SearchRunning() const { return comm_.FlagRicercaCom != 255; }
    static std::string StateText(std::uint8_t comState);
    std::string SearchText() const;  // "SEARCH COMUNICATION PORT: " and the position

    bool CommBusy = false;
    bool OffLine = false;
    bool RichiestaOffLine = false;
    int UltimoComState = -1;
    // A port change (SelezionaCom) is running, to this port.
    bool Selecting = false;
    int SelectingIndex = 0;
    bool SelectingUsb = false;

private:
    void SendKeepAlive();
    void StepOpen();
    void StepWaiting();
    ClsComm& comm_;
};


}  // namespace gw
