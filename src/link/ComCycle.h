// ComCycle: the communication cycle driven by the main window's 1 ms timer. One step per
// tick over the connection state: open the port, send the keep-alive after 4 s of silence,
// collect and judge answers, resend, declare the link lost, search the port the ECU is on.
// Also the port menu's logic and the connection fields of the status bar (as a presenter:
// texts, colours, which item is checked). What the display asks the ECU is not decided here.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "link/ClsComm.h"
#include "util/Signal.h"

namespace gw {

// Colour values as the window system writes them (&HBBGGRR).
inline constexpr std::uint32_t kColRed = 255;
inline constexpr std::uint32_t kColGreen = 65280;
inline constexpr std::uint32_t kColWhite = 16777215;
inline constexpr std::uint32_t kColBlack = 0;
inline constexpr std::uint32_t kColButtonFace = 0x8000000F;  // the system's button face

// The port menu: " USB", " COM1", "  COM 2" ... "  COM 9", " OFFLINE", " SEARCH COM", and the
// built-in simulated ECU.
struct PortMenu {
    static constexpr int kItems = 10;
    std::array<bool, kItems> devChecked{};
    bool offLineChecked = false;
    bool simulatedChecked = false;
    bool deviceEnabled = true;
    static std::string Caption(int index);  // caption of MnuDevCom(index)
    void UncheckAll() { devChecked.fill(false); simulatedChecked = false; }
};

// Fields 0 and 1 of the status bar.
struct ConnectionStatus {
    std::string text0;
    std::uint32_t back0 = kColButtonFace;
    std::string text1;
    std::uint32_t back1 = kColButtonFace;
    std::uint32_t fore1 = kColBlack;
};

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

    // The whole Timer1 tick: busy guard, off-line request, hook, GestioneCom, status.
    // writePending: a parameter write to the ECU is pending or running (shown as "UPGRADE").
    void OnTimer1(bool writePending = false);
    void GestioneCom();
    void AggiornaStatoCom(bool writePending);

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

    // Checks the item of the configured port (at window load).
    void CheckConfiguredPort();

    bool SearchRunning() const { return comm_.FlagRicercaCom != 255; }
    static std::string StateText(std::uint8_t comState);
    std::string SearchText() const;  // "SEARCH COMUNICATION PORT: " and the position

    bool CommBusy = false;
    bool OffLine = false;
    bool RichiestaOffLine = false;
    int UltimoComState = -1;
    PortMenu menu;
    ConnectionStatus status;

private:
    void SendKeepAlive();
    void StepOpen();
    void StepWaiting();
    ClsComm& comm_;
};

// The small waiting window shown while the port is searched or the ECU's data are first
// read: which message, whether it shows, and its moving marker.
class FrmInitLogic {
public:
    // type0Text: the first dictionary entry after "[FrmInit]".
    explicit FrmInitLogic(std::string type0Text = {});

    // On every display tick. offLine: the user chose off-line; searchRunning: a port search;
    // dataToRead: the ECU's data are still to be read after a (re)connection.
    void ElaboraMsgCom(bool offLine, bool searchRunning, bool dataToRead);
    // Its own 100 ms timer: shows the message and moves the marker.
    void OnTimer();

    int TipoMessaggio() const { return tipo_; }
    void SetTipoMessaggio(int t);  // 0, 1 or 3; other values ignored
    std::string MessageText(int tipo) const;

    bool visible = false;
    bool timerEnabled = false;
    std::string LblMsg;
    // Marker (Shape1) inside its track (Label1), in twips.
    int trackWidth = 3000;
    int shapeWidth = 600;
    int shapeLeft = 0;

private:
    std::string type0Text_;
    int tipo_ = 0;
    int direction_ = 1;
};

}  // namespace gw
