// gas-ecu-sim: serves the simulated ECU on a pseudo-terminal. Prints the terminal's path
// on its first line, then answers requests at 38400-baud pace until SIGTERM or SIGINT.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "sim/SimEcu.h"
#include "simtool/PtyServer.h"
#include "simtool/SimToolOptions.h"
#include "hosts/SteadyHost.h"
#include "util/EventHost.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

}  // namespace

int main(int argc, char** argv) {
    using namespace gw;
    const SimToolParse parsed = ParseSimToolArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::cout << SimToolUsage();
        return 0;
    }
    if (!parsed.error.empty()) {
        std::cerr << "gas-ecu-sim: " << parsed.error << "\n\n" << SimToolUsage();
        return 2;
    }
    SimEcu ecu(parsed.options);
    for (const auto& f : parsed.faults) ecu.Faults().AddByName(f);

    // The stopping signals stay blocked except while waiting, so none is missed.
    sigset_t block, waitMask;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGINT);
    sigprocmask(SIG_BLOCK, &block, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);

    SteadyHost host;
    PtyServer server(ecu, host);
    std::string error;
    const std::string path = server.Open(error);
    if (path.empty()) {
        std::cerr << "gas-ecu-sim: " << error << "\n";
        return 1;
    }
    std::cout << path << std::endl;  // first line, flushed
    return server.Run(gStop, &waitMask);
}
