#include "cli/CalibrateCommands.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>

#include "app/AppFolder.h"
#include "app/Calibration.h"
#include "app/CalibrationDriver.h"
#include "app/DisplayScheduler.h"
#include "app/MainCaptions.h"
#include "cli/EcuCommands.h"
#include "link/ports/SystemPortProvider.h"
#include "sim/SimulatedEcuPort.h"
#include "util/EventHost.h"
#include "util/Numbers.h"

namespace gw::cli {

namespace {

const char* StateName(Calibration::State s) {
    switch (s) {
        case Calibration::CalIdle: return "idle";
        case Calibration::CalPaused: return "paused";
        case Calibration::TaraInizio: return "start";
        case Calibration::CalWarmUp: return "warm-up";
        case Calibration::CalSettle: return "idle settling";
        case Calibration::CalIdleRef: return "idle reference";
        case Calibration::CalRaiseSpeed: return "raised speed";
        case Calibration::CalHighRef: return "raised-speed reference";
        case Calibration::TaraMax: return "raised-speed gas cycle";
        case Calibration::CalMaxPause: return "raised-speed pause";
        case Calibration::CalBackToIdle: return "back to idle";
        case Calibration::TaraMin: return "idle gas cycle";
        case Calibration::CalMinPause: return "idle pause";
        case Calibration::CalDone: return "done";
        case Calibration::CalResult: return "done with a limit applied";
        case Calibration::CalCancel: return "cancel";
    }
    return "?";
}

// The instruction of a message: its first line (the lines after it count down).
std::string Instruction(const std::string& message) { return message.substr(0, message.find('\n')); }

std::string Ms(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}

// Runs the host until cond holds or the user interrupts; false on an interrupt.
template <class F>
bool RunUntil(Host& host, F cond) {
    while (!cond()) {
        if (g_stop) return false;
        host.RunEventsUntil(host.MicroClock() + 50'000);
    }
    return true;
}

// Cancels through the procedure's own cancel, so the ECU gets back what it held.
int CancelAndRestore(Workbench& wb, Host& host, Calibration& cal) {
    std::printf("cancelling: restoring the ECU\n");
    if (cal.CalState() != Calibration::CalPaused && cal.CalState() != Calibration::CalResult &&
        cal.CalState() != Calibration::CalCancel)
        cal.CmdCalCancel_Click();
    cal.CmdCalCancel_Click();
    g_stop = 0;
    RunUntil(host, [&] { return !cal.TimerEnabled(); });
    RunUntil(host, [&] { return wb.Image->Requests.CorTableWriteRequest == kCorWriteNone; });
    std::printf("%s\n", cal.CalBackupTaken() ? "the ECU could not be restored completely" : "ECU restored");
    wb.Shutdown();
    return 1;
}

}  // namespace

int Calibrate(Workbench& wb, Host& host, const CliOptions& o, SimEcu* ecu) {
    DisplayScheduler sched(wb, *wb.Image, *wb.Check);
    sched.Attach();
    (void)ReadInjTypes(host.Locale(), wb.Path("\\LNG\\ConfigScale.ini"), wb.Scale, wb.AppTitle, &host);
    wb.OpenCommLog(DateText());
    Calibration cal(host, *wb.Comm, *wb.Image, wb.Calib, wb.Scale, ExecutableFolder() + "/TaraCorr.txt");
    cal.SetTexts(CalibrationTexts::Read(MainCaptions::Read(wb.Lingue)));
    const Connection dataRead = cal.EcuDataRead.Bind([&] { return wb.RequestsEnabled && !sched.RefreshPending; });
    std::unique_ptr<CalibrationDriver> driver;
    if (ecu && o.simDriver != 0) {
        SimEngine& engine = ecu->Engine();
        driver = std::make_unique<CalibrationDriver>(
            cal, wb.Calib, [&engine](bool on) { engine.SetKey(on); },
            [&engine](double rpm) { engine.SetTargetRpm(rpm); });
    }

    const double deadline = host.MicroClock() + o.timeoutS * 1e6;
    const bool ready = RunUntil(host, [&] {
        return (wb.RequestsEnabled && !sched.RefreshPending) || host.MicroClock() > deadline;
    });
    if (!ready || !wb.RequestsEnabled) {
        std::fprintf(stderr, "no ECU was ready within %.0f s\n", o.timeoutS);
        wb.Shutdown();
        return 1;
    }

    const double start = host.MicroClock();
    auto stamp = [&] { return (host.MicroClock() - start) / 1e6; };
    std::string lastInstruction;
    auto states = cal.StateChanged.Connect([&](Calibration::State, Calibration::State now) {
        const std::string code = Calibration::StepCode(now);
        std::printf("%7.2f s  %s%s\n", stamp(), code.empty() ? "" : ("step " + code + ": ").c_str(), StateName(now));
        std::fflush(stdout);
    });
    auto view = cal.ViewChanged.Connect([&] {
        const std::string instruction = Instruction(cal.View().message);
        if (instruction == lastInstruction || instruction.empty()) return;
        lastInstruction = instruction;
        std::printf("%7.2f s    %s\n", stamp(), instruction.c_str());
        std::fflush(stdout);
    });
    auto cycles = cal.CycleDone.Connect([&](const CalibrationCycle& c) {
        std::printf("%7.2f s    %s cycle %d: reference %s ms, on gas %s ms, correction %s ms, offset %s -> %s ms\n",
                    stamp(), c.raised ? "raised-speed" : "idle", c.cycle, Ms(c.reference).c_str(),
                    Ms(c.measured).c_str(), Ms(c.correction).c_str(), Ms(c.offsetBefore).c_str(),
                    Ms(c.offsetAfter).c_str());
        std::fflush(stdout);
    });

    cal.CmdCalStart_Click();
    bool started = false;
    const bool ended = RunUntil(host, [&] {
        if (cal.CalState() != Calibration::CalIdle) started = true;
        return cal.CalState() == Calibration::CalDone || cal.CalState() == Calibration::CalResult ||
               (started && cal.CalState() == Calibration::CalIdle);
    });
    if (!ended) return CancelAndRestore(wb, host, cal);
    if (cal.CalState() == Calibration::CalIdle) {
        std::printf("the calibration was cancelled; the ECU was restored\n");
        wb.Shutdown();
        return 1;
    }

    const ModelRecord& m = wb.Image->Model;
    std::printf("result code %d%s\n", cal.ResultCode(),
                cal.ResultCode() == 0 ? "" : cal.ResultCode() <= 4 ? " (a limit of the model applied)"
                                                                   : " (table entries held to their limits)");
    if (cal.ResultCode() >= 1 && cal.ResultCode() <= 4) std::printf("limit applied: %s\n", Ms(cal.ResultLimit()).c_str());
    std::printf("Alfa %s  Offset %s ms  (idle reference %s ms at %.0f rpm, raised-speed reference %s ms at %.0f rpm)\n",
                Ms(m.Alfa).c_str(), Ms(m.Offset).c_str(), Ms(cal.IdleRefTime()).c_str(),
                cal.IdleSpeed(), Ms(cal.HighRefTime()).c_str(), cal.HighSpeed());
    std::fflush(stdout);

    if (!(o.assumeYes || AskYes("Accept the result? [y/n]: "))) return CancelAndRestore(wb, host, cal);
    const int code = cal.ResultCode();
    // "Yes" as often as it takes: a result first becomes done, done goes to gas and normal running.
    while (cal.CalState() == Calibration::CalResult || cal.CalState() == Calibration::CalDone) {
        if (!RunUntil(host, [&] { return cal.View().yesEnabled; })) break;
        cal.CmdCalStart_Click();
    }
    if (!RunUntil(host, [&] { return !cal.TimerEnabled(); }) ||
        !RunUntil(host, [&] { return wb.Image->Requests.CorTableWriteRequest == kCorWriteNone; })) {
        std::fprintf(stderr, "interrupted before the ECU was back in normal running\n");
        wb.Shutdown();
        return 1;
    }
    if (cal.CalState() != Calibration::CalIdle || wb.Image->CorTableWriteFailed) {
        std::fprintf(stderr, "the ECU did not take the result\n");
        wb.Shutdown();
        return 1;
    }
    std::printf("accepted: the ECU holds the new table, gas selected, back in normal running\n");
    std::printf("report: %s\n", (ExecutableFolder() + "/TaraCorr.txt").c_str());
    wb.Shutdown();
    return code == 0 ? 0 : kExitLimitApplied;
}

int CalibrateOnVirtualTime(const CliOptions& o, const std::string& appFolder) {
    VirtualHost host(0);
    host.SetMessageSink([](const ShownMessage& m) { std::fprintf(stderr, "[%s] %s\n", m.title.c_str(), m.text.c_str()); });
    std::shared_ptr<SimEcu> ecu = std::make_shared<SimEcu>(o.sim);
    SystemPortProvider ports(appFolder, "/sys", [&host, ecu] { return std::make_unique<SimulatedEcuPort>(host, ecu); });
    Workbench wb(host, ports, appFolder);
    wb.Main();
    wb.UseCommandLinePort(o.port);
    return Calibrate(wb, host, o, ecu.get());
}

}  // namespace gw::cli
