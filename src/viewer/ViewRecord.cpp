#include "viewer/ViewRecord.h"

#include <algorithm>

#include "viewer/OsciConfig.h"
#include "viewer/ViewLog.h"

namespace gw::view {

void RestartRecordingLog(Workbench& wb, const std::string& today) {
    wb.OpenCommLog(today);
    CommLog& log = wb.Comm->Log();
    const char d = wb.host.Locale().decimal;
    log.WriteLine("\"[K_gm]\"");
    log.WriteLine(PrintNumber(wb.Image->K_Rpm, d));
    log.WriteLine("\"[K_Lambda]\"");
    log.WriteLine(PrintNumber(wb.Scale.K_Lambda_V, d));
}

RecordResult RecordView(Workbench& wb, DisplayScheduler& scheduler, double seconds, double connectTimeoutS,
                        const std::string& outPath, const std::string& today, const std::function<bool()>& stop) {
    RecordResult r;
    Host& host = wb.host;
    auto runUntil = [&](double end, const std::function<bool()>& done) {
        while (host.MicroClock() < end) {
            if (stop && stop()) return false;
            if (done && done()) return true;
            host.RunEventsUntil(std::min(end, host.MicroClock() + 50'000));
        }
        return done ? done() : true;
    };
    r.connected = runUntil(host.MicroClock() + connectTimeoutS * 1e6, [&] {
        return wb.RequestsEnabled && !wb.Comm->WDogPresente && !scheduler.EcuDataToRead();
    });
    if (!r.connected) {
        r.error = "no ECU answered within the time allowed";
        return r;
    }
    RestartRecordingLog(wb, today);
    runUntil(host.MicroClock() + seconds * 1e6, {});
    const std::string log = wb.Path("\\BIN\\RxTx.TXT");
    std::string ignored;
    EnsureSamplesFolder(wb.AppFolder, &ignored);
    r.saved = SaveView(log, outPath, &r.error);
    if (r.saved) {
        const LogWindow w = LoadLogWindow(outPath, 0, 0, host.Locale());
        r.samples = w.set.samples.size();
    }
    return r;
}

}  // namespace gw::view
