#include "cli/ViewCommands.h"

#include <cstdio>

#include "app/DisplayScheduler.h"
#include "cli/EcuCommands.h"
#include "viewer/ViewLog.h"
#include "viewer/ViewRecord.h"

namespace gw::cli {

int LogExport(Workbench& wb, const std::string& logPath, const std::string& outPath, const std::string& format) {
    const view::LogWindow w = view::LoadLogWindow(logPath, 0, 0, wb.host.Locale());
    if (w.missing || !w.error.empty()) {
        std::fprintf(stderr, "cannot read %s%s%s\n", logPath.c_str(), w.error.empty() ? "" : ": ", w.error.c_str());
        return kExitFailed;
    }
    const view::SampleScales scales = view::SampleScales::From(wb.Scale);
    const std::string text = format == "csv" ? view::ExportCsvText(w.set, scales)
                                             : view::ExportVflfText(w.set, scales, wb.host.Locale());
    std::string error;
    if (!view::SaveExport(outPath, text, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitFailed;
    }
    std::printf("%zu samples (%.0f ms to %.0f ms), K_gm %.0f, K_Lambda %g: %s\n", w.set.samples.size(),
                w.set.FirstMs(), w.set.LastMs(), w.set.constants.K_gm, w.set.constants.K_Lambda, outPath.c_str());
    return kExitDone;
}

int Record(Workbench& wb, SteadyHost& host, const std::string& outPath, double seconds, double timeoutS) {
    (void)host;
    DisplayScheduler scheduler(wb, *wb.Image, *wb.Check);
    scheduler.Attach();
    wb.OpenCommLog(DateText());
    const view::RecordResult r = view::RecordView(wb, scheduler, seconds > 0 ? seconds : 1e9, timeoutS, outPath,
                                                  DateText(), [] { return g_stop != 0; });
    wb.Shutdown();
    if (!r.connected || !r.saved) {
        std::fprintf(stderr, "%s; nothing was saved\n", r.error.c_str());
        return kExitFailed;
    }
    std::printf("%zu samples recorded: %s\n", r.samples, outPath.c_str());
    return kExitDone;
}

}  // namespace gw::cli
