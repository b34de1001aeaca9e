// ConnectionPresenter: what the window shows of the link: the two connection fields of the
// status bar (the state text with its colours, "UPGRADE" blinking while a parameter write
// is pending, the port-search position) and which item of the port menu is checked. It
// follows the communication cycle's signals; the cycle itself only runs the link.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/Colours.h"
#include "link/ClsComm.h"
#include "link/ComCycle.h"
#include "util/Signal.h"

namespace gw {

// The port menu: " USB", " COM1", "  COM 2" ... "  COM 9", " OFFLINE", " SEARCH COM", and the
// built-in simulated ECU.
struct PortMenu {
    static constexpr int kItems = kPortPositions;
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

class ConnectionPresenter {
public:
    ConnectionPresenter(ComCycle& cycle, ClsComm& comm);
    ConnectionPresenter(const ConnectionPresenter&) = delete;
    ConnectionPresenter& operator=(const ConnectionPresenter&) = delete;

    // AggiornaStatoCom: the fields for the link's state now (the cycle asks at the end of
    // each tick).
    void AggiornaStatoCom(bool writePending);
    // The port menu as it is now: off-line, the port being selected, the search position,
    // the simulated ECU or the configured port.
    PortMenu Menu() const;

    ConnectionStatus status;

private:
    ComCycle& cycle_;
    ClsComm& comm_;
    Connection due_, opening_, ended_;
};

}  // namespace gw
