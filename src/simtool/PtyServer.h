// PtyServer: serves a simulated ECU on a pseudo-terminal, so the workbench's real serial
// code can talk to it. Request bytes read from the terminal reach the ECU at 38400-baud
// pace; answer bytes are written when they are due. Blocks in ppoll() until bytes arrive
// or the next answer byte is due; never spins. Not a Port and not part of the core.
#pragma once

#include <csignal>
#include <string>

#include "sim/SimEcu.h"
#include "util/Host.h"

namespace gw {

class PtyServer {
public:
    PtyServer(SimEcu& ecu, Host& host) : ecu_(ecu), host_(host) {}
    ~PtyServer();

    // Opens the pseudo-terminal in raw mode; returns the slave's path, empty on failure
    // (error then holds the reason).
    std::string Open(std::string& error);
    // Serves until stop becomes non-zero. waitMask is the signal mask used while
    // waiting (the stopping signals unblocked), so a signal ends the wait at once.
    int Run(volatile std::sig_atomic_t& stop, const sigset_t* waitMask);

private:
    void Deliver();
    void Receive();

    SimEcu& ecu_;
    Host& host_;
    int master_ = -1;
    int slave_ = -1;  // held open so the master never sees a hang-up between clients
    double lineFreeUs_ = 0;
};

}  // namespace gw
