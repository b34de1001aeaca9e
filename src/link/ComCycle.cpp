#include "link/ComCycle.h"

#include "link/ModComm.h"

namespace gw {

namespace {
constexpr double kSilenceMs = 4000;
constexpr double kCloseWaitUs = 400'000;
constexpr double kSearchStepWaitUs = 200'000;
constexpr double kSelectWaitUs = 4'000'000;
constexpr const char* kSetComIni = "\\BIN\\SetCom.ini";
}  // namespace

ComCycle::ComCycle(ClsComm& comm) : comm_(comm) {}

void ComCycle::OnTimer1(bool writePending) {
    if (CommBusy) return;
    CommBusy = true;
    if (RichiestaOffLine) {
        comm_.ComState = kComOffLine;
        comm_.NumWDogSend = 0;
        RichiestaOffLine = false;
        OffLine = true;
    }
    if (comm_.ComState == kComClosed || comm_.ComState == kComOffLine) ClosedOrOffLine.Emit(comm_.ComState);
    GestioneCom();
    StatusDue.Emit(writePending);
    CommBusy = false;
}

void ComCycle::SendKeepAlive() {
    comm_.CleanInputCom();
    comm_.CleanOutputCom();
    comm_.InBuffer.clear();
    comm_.OutBuffer.clear();
    comm_.SendMsg(ComponiMsg(0x41, 0x02, 9, "ECO"));
}

void ComCycle::GestioneCom() {
    if (comm_.ComState != UltimoComState) {
        comm_.ScriviLogRxTx("C ", std::to_string(comm_.ComState));
        UltimoComState = comm_.ComState;
    }
    switch (comm_.ComState) {
        case kComClosed:
            comm_.CloseComPort();
            comm_.host().RunEventsUntil(comm_.host().MicroClock() + kCloseWaitUs);
            comm_.ComState = kComOpening;
            comm_.WDogPresente = true;
            break;
        case kComOpening:
            StepOpen();
            break;
        case kComIdle:
            if (comm_.Silenzio(kSilenceMs, false) && (comm_.EcuState == 0 || comm_.EcuState == 1)) {
                SendKeepAlive();
                comm_.Silenzio(kSilenceMs, true);
            }
            break;
        case kComWaiting:
            StepWaiting();
            break;
        case kComLost:
            comm_.ComState = kComClosed;
            break;
        case kComOffLine:
            if (!comm_.CloseComPort()) comm_.host().RunEventsUntil(comm_.host().MicroClock() + kCloseWaitUs);
            comm_.WDogPresente = false;
            comm_.InBuffer.clear();
            comm_.OutBuffer.clear();
            break;
        default:
            break;
    }
}

void ComCycle::StepOpen() {
    if (SearchRunning()) {
        // Every USB cable is tried before COM1.
        if (comm_.FlagRicercaCom == 1 && comm_.UsbDeviceIndex < comm_.UsbDeviceCount - 1)
            comm_.FlagRicercaCom = 0;
        comm_.Simulated = false;
        if (comm_.FlagRicercaCom == 0) {
            comm_.UsbCom = true;
            comm_.ComPortValue = 0;
        } else {
            comm_.UsbCom = false;
            comm_.ComPortValue = comm_.FlagRicercaCom;
        }
        // The position being tried shows while its open runs and during the pause after
        // a failure, not only once the cycle has moved on.
        SearchPositionOpening.Emit();
    }
    if (comm_.UsbCom && !comm_.Simulated) {
        const int count = comm_.CountUsbDevices();
        if (count <= 0) {
            comm_.UsbDeviceCount = comm_.UsbDeviceIndex = comm_.UsbDeviceCountLast = 0;
        } else {
            comm_.UsbDeviceCount = count;
            if (comm_.UsbDeviceIndex < count - 1 && count == comm_.UsbDeviceCountLast) {
                ++comm_.UsbDeviceIndex;
            } else {
                comm_.UsbDeviceIndex = 0;
                comm_.UsbDeviceCountLast = count;
            }
            comm_.NumReSendState = 0;
        }
    }
    if (comm_.SetComm()) {
        comm_.ComState = kComIdle;
        SendKeepAlive();
        comm_.Silenzio(kSilenceMs, true);
    } else {
        comm_.ComState = kComClosed;
        if (SearchRunning()) {
            comm_.host().RunEventsUntil(comm_.host().MicroClock() + kSearchStepWaitUs);
            comm_.FlagRicercaCom = comm_.FlagRicercaCom < 9 ? comm_.FlagRicercaCom + 1 : 0;
        }
    }
}

void ComCycle::StepWaiting() {
    if (comm_.CkWDogSend()) {
        comm_.ReciveMsg();
        if (comm_.CtrlEndRecive()) {
            comm_.VerificaRisposta();
            comm_.Silenzio(kSilenceMs, true);
        }
        return;
    }
    comm_.NoteUnanswered();
    if (comm_.ReinviaMsg(comm_.OutBuffer)) return;
    if (SearchRunning()) {
        // Past 9 the next failed open wraps the position to USB.
        if (comm_.FlagRicercaCom < 255) ++comm_.FlagRicercaCom;
        if (comm_.FlagRicercaCom == 255) comm_.FlagRicercaCom = 0;
        comm_.CloseComPort();
        comm_.ComState = kComOpening;
        return;
    }
    if (comm_.ServiceMode)
        comm_.host().MessageBox(kErrWdog, "", MsgIcon::Critical, MsgButtons::Ok);
    comm_.InBuffer.clear();
    comm_.WDogPresente = true;
    ++comm_.NumWDogSend;
    comm_.TimeCom_RSet();
    comm_.ComState = kComLost;
}

std::string ComCycle::StateText(std::uint8_t comState) {
    switch (comState) {
        case kComClosed: return "COM CLOSED";
        case kComIdle: return "COM OK   ";
        case kComSending: return "COM OK...";
        case kComLost: return "COM WDOG";
        case kComOpening: return "COM INI";
        case kComOffLine: return "COM STOP";
        default: return "Text....";
    }
}

std::string ComCycle::SearchText() const {
    std::string t = "SEARCH COMUNICATION PORT: ";
    if (comm_.FlagRicercaCom == 0) return t + "USB";
    return t + "COM " + std::to_string(comm_.FlagRicercaCom);
}

void ComCycle::SelezionaCom(int portIndex, bool usb) {
    BusyPointer.Emit(true);
    Selecting = true;
    SelectingIndex = portIndex;
    SelectingUsb = usb;

    Host& host = comm_.host();
    const double deadline = host.MicroClock() + kSelectWaitUs;
    while (comm_.ComState != kComIdle && host.MicroClock() < deadline) host.DoEvents();

    TimersSwitched.Emit(false);
    comm_.CloseComPort();
    comm_.UsbCom = usb;
    comm_.Simulated = false;
    if (!usb) comm_.SetComPort(static_cast<std::int16_t>(portIndex));
    comm_.ComState = kComClosed;
    TimersSwitched.Emit(true);
    Selecting = false;
    BusyPointer.Emit(false);
}

void ComCycle::MnuDevCom_Click(int index) {
    if (index < 0 || index >= kPortPositions) return;
    comm_.host().DoEvents();
    comm_.FlagRicercaCom = 255;
    OffLine = false;
    SelezionaCom(index, index == 0);
    comm_.WriteSetCom(kSetComIni);
}

void ComCycle::MnuSimulated_Click() {
    comm_.host().DoEvents();
    comm_.FlagRicercaCom = 255;
    OffLine = false;
    // The port choice itself is kept: the settings file is not rewritten for the simulator.
    const bool usb = comm_.UsbCom;
    SelezionaCom(comm_.ComPortValue, usb);
    comm_.Simulated = true;
}

void ComCycle::MnuOffLine_Click() {
    RichiestaOffLine = true;
}

void ComCycle::MnuSearcCom_Click() {
    comm_.FlagRicercaCom = 0;
    comm_.FirmwareEcu.clear();
    comm_.Simulated = false;
    OffLine = false;
    comm_.ComState = kComClosed;
}

void ComCycle::EcuAccepted() {
    if (SearchRunning()) {
        comm_.FlagRicercaCom = 255;
        comm_.WriteSetCom(kSetComIni);
        SearchEnded.Emit();
    }
}

void ComCycle::EcuRefused() {
    comm_.ComState = kComClosed;
    if (SearchRunning()) comm_.FlagRicercaCom = comm_.FlagRicercaCom < 9 ? comm_.FlagRicercaCom + 1 : 0;
}

}  // namespace gw
