// Recording without a window: the communication log restarted with the viewer's header
// (the engine-speed and lambda constants), the link polled by the display scheduler for the
// time asked, then the log saved as a compacted view file. The window records through the
// same log restart; the command-line tool's "record" is this.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "app/DisplayScheduler.h"
#include "app/Workbench.h"

namespace gw::view {

// Closes the main log, keeps the previous one as "\BIN\RxTx_Last.TXT", opens a new
// "\BIN\RxTx.TXT" with its first line, then "[K_gm]", the current engine-speed constant,
// "[K_Lambda]" and the current lambda constant.
void RestartRecordingLog(Workbench& wb, const std::string& today);

struct RecordResult {
    bool connected = false;  // the ECU answered and its blocks were read in time
    bool saved = false;      // the view file was written
    std::size_t samples = 0; // live-value samples the view file holds
    std::string error;
};

// Waits (up to connectTimeoutS) until the ECU is accepted and its parameter blocks are read
// (the engine-speed constant comes from them), restarts the log, records for seconds, and
// saves the log as the view file outPath. stop (when given) ends the wait or the recording
// early; what was recorded until then is saved.
RecordResult RecordView(Workbench& wb, DisplayScheduler& scheduler, double seconds, double connectTimeoutS,
                        const std::string& outPath, const std::string& today,
                        const std::function<bool()>& stop = {});

}  // namespace gw::view
