// The command-line tool's model commands: model-show reads the ECU's correction table and
// prints the gas injection model it holds (seven points, Alfa, Offset) and the 192 entries.
#pragma once

#include <string>

#include "app/Workbench.h"
#include "hosts/SteadyHost.h"
#include "model/ModelFromTable.h"
#include "model/TimeTable.h"

namespace gw::cli {

int ModelShow(Workbench& wb, SteadyHost& host, double timeoutS);

// What model-show prints for a table read from the ECU: how the model fits the table, the
// points (place, gas time, enrichment), Alfa and Offset, then the entries, eight a line.
std::string ModelShowText(const TimeTable& table);

}  // namespace gw::cli
