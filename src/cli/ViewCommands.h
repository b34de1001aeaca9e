// The command-line tool's viewer commands: converting a communication log or view file into
// a formatted view file or CSV, and recording the live link into a view file.
#pragma once

#include <string>

#include "app/Workbench.h"
#include "hosts/SteadyHost.h"

namespace gw::cli {

// log-export LOG OUT [--format vflf|csv]: every sample of LOG (the whole file, not one
// window) into OUT, written atomically.
int LogExport(Workbench& wb, const std::string& logPath, const std::string& outPath, const std::string& format);
// record [--seconds S] OUT.vfl: waits for the ECU (up to timeoutS), restarts the log,
// records S seconds (0: until Ctrl+C) and saves the compacted log as OUT.
int Record(Workbench& wb, SteadyHost& host, const std::string& outPath, double seconds, double timeoutS);

}  // namespace gw::cli
