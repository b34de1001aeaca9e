// The command-line tool's map command: both sample lists read from the ECU once and saved
// as a map file.
#pragma once

#include <string>

#include "app/Workbench.h"
#include "hosts/SteadyHost.h"

namespace gw::cli {

int MapRead(Workbench& wb, SteadyHost& host, const std::string& path, double timeoutS);

}  // namespace gw::cli
