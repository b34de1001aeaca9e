// EcuRequests: the requests that carry the parameter image to and from the ECU: block
// writes, block reads, the save to flash, the run/slave toggle, and ServiceRequests, which
// sends at most one pending request per display tick in a fixed order. Decoding the
// answers is the image's (through the link's dispatch); when flags are set is the pages'.
#pragma once

#include "link/ClsComm.h"
#include "model/ParameterImage.h"

namespace gw {

// Write block 2, 3 or 5 (CMD_WRT_MEM2/3/5) with the pending record merged in; true on a
// valid answer. Any other block number sends nothing and gives false.
bool WriteBlock(ParameterImage& image, int block, ClsComm& comm);
// Read block 1, 2, 3 or 5, or 6 (the production-test memo), with an empty request; the
// answer is decoded by the dispatch. Any other number sends nothing and gives false.
bool ReadBlock(int block, ClsComm& comm);
// CMD_SAVE_FLASH with the answer wait raised for the command (LongCommandWaitUs).
bool SaveToFlash(ClsComm& comm);
// Slave when SlaveState is 0, run when it is 1; any other state sends nothing (false).
bool SendEcuState(const ParameterImage& image, ClsComm& comm);

// One display tick: nothing unless the link is idle and requests are enabled; else the
// first applicable request of the fixed order is sent. Returns true when a request went out
// and succeeded (for tests and the status bar).
bool ServiceRequests(ParameterImage& image, ClsComm& comm, bool requestsEnabled);

}  // namespace gw
