// The command-line tool's "calibrate": the automatic calibration without a window, on the
// steady clock or (with the simulated ECU) on the virtual clock.
#pragma once

#include <string>

#include "app/Workbench.h"
#include "cli/CliOptions.h"
#include "sim/SimEcu.h"

namespace gw::cli {

// Exit status of a calibration that ended with a limit applied (result codes 1-6).
inline constexpr int kExitLimitApplied = 3;

// Runs the whole procedure on the workbench's host: prints each step and instruction as it
// changes and each gas cycle, then the result; accepts it with --yes, else asks. The scripted
// driver drives the simulated car when ecu is given (and not turned off). 0 done, 3 done with
// a limit applied, 1 cancelled or failed.
int Calibrate(Workbench& wb, Host& host, const CliOptions& o, SimEcu* ecu);
// The same on a virtual clock against the simulated ECU (--simulate --virtual-time).
int CalibrateOnVirtualTime(const CliOptions& o, const std::string& appFolder);

}  // namespace gw::cli
