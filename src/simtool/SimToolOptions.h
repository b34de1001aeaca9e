// The command line of gas-ecu-sim: the simulated ECU's identity, engine, timing and faults,
// every value checked, or an error text (the program prints it with the usage and exits with
// status 2). Serving the terminal is PtyServer's business.
#pragma once

#include <string>
#include <vector>

#include "sim/SimEcu.h"

namespace gw {

struct SimToolParse {
    SimEcuOptions options;
    bool pty = false;
    std::vector<std::string> faults;  // descriptions SimFaults understands
    bool help = false;                // --help: print the usage, exit 0
    std::string error;                // what was wrong; empty when the line is sound
};

// args: argv[1..].
SimToolParse ParseSimToolArguments(const std::vector<std::string>& args);
// The usage: every option, one line each, then the fault descriptions.
std::string SimToolUsage();

}  // namespace gw
