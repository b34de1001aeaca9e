#include "app/ConnectionPresenter.h"

namespace gw {

namespace {
constexpr const char* kWaitTexts[3] = {"COM OK.  ", "COM OK.. ", "COM OK..."};
}  // namespace

std::string PortMenu::Caption(int index) {
    if (index == 0) return " USB";
    if (index == 1) return " COM1";
    return "  COM " + std::to_string(index);
}

ConnectionPresenter::ConnectionPresenter(ComCycle& cycle, ClsComm& comm) : cycle_(cycle), comm_(comm) {
    due_ = cycle_.StatusDue.Connect([this](bool writePending) { AggiornaStatoCom(writePending); });
    opening_ = cycle_.SearchPositionOpening.Connect([this] { status.text0 = cycle_.SearchText(); });
    ended_ = cycle_.SearchEnded.Connect([this] { status.text0.clear(); });
}

void ConnectionPresenter::AggiornaStatoCom(bool writePending) {
    const std::uint8_t s = comm_.ComState;
    switch (s) {
        case kComWaiting:
            if (status.text1 == kWaitTexts[0])
                status.text1 = kWaitTexts[1];
            else if (status.text1 == kWaitTexts[1])
                status.text1 = kWaitTexts[2];
            else
                status.text1 = kWaitTexts[0];
            status.back1 = kColGreen;
            status.fore1 = kColBlack;
            break;
        case kComIdle:
        case kComSending:
            status.text1 = ComCycle::StateText(s);  // colours stay as they are
            break;
        case kComOpening:
            status.text1 = ComCycle::StateText(s);
            status.back1 = kColGreen;
            status.fore1 = kColBlack;
            break;
        default:
            status.text1 = ComCycle::StateText(s);
            status.back1 = kColRed;
            status.fore1 = kColWhite;
            break;
    }

    if (writePending) {
        status.text0 = "UPGRADE";
        status.back0 = status.back0 == kColRed ? kColButtonFace : kColRed;
    } else {
        status.text0.clear();
        status.back0 = kColButtonFace;
    }
    if (cycle_.SearchRunning()) {
        status.text0 = cycle_.SearchText();
    }
}

PortMenu ConnectionPresenter::Menu() const {
    PortMenu m;
    m.deviceEnabled = !cycle_.Selecting;
    m.offLineChecked = cycle_.OffLine || cycle_.RichiestaOffLine;
    auto checkPort = [&m](bool usb, int index) {
        if (usb)
            m.devChecked[0] = true;
        else if (index >= 1 && index < PortMenu::kItems)
            m.devChecked[static_cast<std::size_t>(index)] = true;
    };
    if (m.offLineChecked) return m;
    if (cycle_.Selecting)
        checkPort(cycle_.SelectingUsb, cycle_.SelectingIndex);
    else if (cycle_.SearchRunning())
        checkPort(comm_.FlagRicercaCom == 0, comm_.FlagRicercaCom);
    else if (comm_.Simulated)
        m.simulatedChecked = true;
    else
        checkPort(comm_.UsbCom, comm_.ComPortValue);
    return m;
}

}  // namespace gw
