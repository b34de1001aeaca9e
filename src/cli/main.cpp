// gas-workbench-cli: the workbench's command-line tool. Runs the same core as the window
// program on the steady clock: shows what the program finds at start, lists the ports, and
// keeps the link to the ECU (or the built-in simulated ECU) running while it reports.
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/AppFolder.h"
#include "app/Workbench.h"
#include "cli/CalibrateCommands.h"
#include "cli/CliOptions.h"
#include "cli/EcuCommands.h"
#include "cli/ViewCommands.h"
#include "cli/ModelCommands.h"
#include "cli/MapCommands.h"
#include "link/ports/ComPortMap.h"
#include "link/ports/D2xxUsbPort.h"
#include "link/ports/FtdiEnumerator.h"
#include "link/ports/SystemPortProvider.h"
#include "sim/SimulatedEcuPort.h"
#include "link/ModComm.h"
#include "hosts/SteadyHost.h"
#include "util/EventHost.h"
#include "util/HexText.h"
#include "util/Numbers.h"
#include "util/SysInfo.h"
#include "util/Warnings.h"

using namespace gw;

namespace {

using cli::g_stop;
void OnSignal(int) { g_stop = 1; }

int Info(Workbench& wb) {
    std::printf("Application folder: %s\n", wb.AppFolder.empty() ? "(root)" : wb.AppFolder.c_str());
    std::printf("%s\n", AboutOsLine(GetOsDescription()).c_str());
    std::printf("Title: %s\n", wb.AppTitle.c_str());
    std::printf("Languages:");
    for (int l = 0; l <= wb.Lingue.UboundLingue(); ++l)
        std::printf(" %s%s", wb.Lingue.NomeLingua(l).c_str(), l == wb.Lingue.CurrentLanguage() ? "*" : "");
    std::printf("\n");
    const int bad = wb.Lingue.FindInconsistentLanguage();
    if (bad >= 0) std::printf("Dictionary error: %s\n", wb.Lingue.NomeLingua(bad).c_str());
    const ScaleConfig& s = wb.Scale;
    std::printf("K_Time_Inj_ms %s  K_Time_Pwm_ms %s  K_VBat_V %s  K_Lambda_V %s  K_Timer_Gen_ms %s\n",
                FormatFixed(s.K_Time_Inj_ms, 4, 1).c_str(), FormatFixed(s.K_Time_Pwm_ms, 4, 1).c_str(),
                FormatFixed(s.K_VBat_V, 6, 1).c_str(), FormatFixed(s.K_Lambda_V, 4, 1).c_str(),
                FormatFixed(s.K_Timer_Gen_ms, 4, 1).c_str());
    ScaleConfig types = s;
    const std::string typesPath = wb.Path("\\LNG\\ConfigScale.ini");
    const NumberLocale& locale = wb.host.Locale();
    Warnings warnings = ReadGasLevelTypes(locale, typesPath, types, wb.AppTitle, &wb.host);
    AppendWarnings(warnings, ReadInjTypes(locale, typesPath, types, wb.AppTitle, &wb.host));
    AppendWarnings(warnings, ReadLambdaTypes(locale, typesPath, types, wb.AppTitle, "", &wb.host));
    for (const Warning& w : warnings) std::fprintf(stderr, "%s\n", WarningLine(w).c_str());
    std::printf("Types: %zu gas-level, %zu injector, %zu lambda\n", types.GasLevelTypes.size(),
                types.InjTypes.size(), types.LambdaTypes.size());
    const ClsComm& c = *wb.Comm;
    std::printf("Link: %s, search %d, answer window %.0f us, idle %.0f us, resends %d\n",
                c.Simulated ? "simulated ECU" : c.UsbCom ? "USB" : c.ComPortNome().c_str(), c.FlagRicercaCom,
                c.AttesaGlobale_usec, c.Idle_usec, c.NumReSend);
    return 0;
}

int Ports(const std::string& appFolder) {
#ifdef _WIN32
    (void)appFolder;
    for (int n = ComPortMap::kFirstCom; n <= ComPortMap::kLastCom; ++n) std::printf("COM%d\n", n);
    std::printf("USB cables: %d\n", D2xxUsbPort::CountDevices());
    return 0;
#else
    const ComPortMap map = ComPortMap::Load(appFolder);
    for (int n = ComPortMap::kFirstCom; n <= ComPortMap::kLastCom; ++n)
        std::printf("COM%d  %s%s\n", n, map.DevicePath(n).c_str(), map.IsMapped(n) ? "  (BIN/ComPorts.ini)" : "");
    const FtdiEnumerator usb;
    const auto devices = usb.List();
    std::printf("USB cables: %zu\n", devices.size());
    for (size_t i = 0; i < devices.size(); ++i) std::printf("  USB %zu  %s\n", i, devices[i].devicePath.c_str());
    return 0;
#endif
}

int Monitor(Workbench& wb, SteadyHost& host, double seconds) {
    wb.OpenCommLog(cli::DateText());
    std::string last0 = "\x01", last1 = "\x01";
    bool lastWdog = true;
    int goodAnswers = 0;
    double lastReport = host.MicroClock();
    const Connection ticked = wb.DisplayTicked.Connect([&] {
        const ConnectionStatus& st = wb.LinkView->status;
        if (st.text1 != last1 && st.text1.rfind("COM OK", 0) != 0) {
            std::printf("%8.3f s  %s\n", host.MicroClock() / 1e6, st.text1.c_str());
            last1 = st.text1;
        } else if (st.text1.rfind("COM OK", 0) == 0 && last1.rfind("COM OK", 0) != 0) {
            std::printf("%8.3f s  COM OK\n", host.MicroClock() / 1e6);
            last1 = st.text1;
        }
        if (st.text0 != last0) {
            if (!st.text0.empty()) std::printf("%8.3f s  %s\n", host.MicroClock() / 1e6, st.text0.c_str());
            last0 = st.text0;
        }
        if (lastWdog && !wb.Comm->WDogPresente) ++goodAnswers;
        if (wb.Comm->WDogPresente != lastWdog) {
            std::printf("%8.3f s  ECU %s\n", host.MicroClock() / 1e6,
                        wb.Comm->WDogPresente ? "silent" : "answers");
            lastWdog = wb.Comm->WDogPresente;
        }
        if (host.MicroClock() - lastReport >= 10e6) {
            lastReport = host.MicroClock();
            std::printf("%8.3f s  link %s, connected for %.0f s\n", host.MicroClock() / 1e6,
                        wb.Comm->WDogPresente ? "down" : "up", wb.Comm->TimeComSeconds());
        }
        std::fflush(stdout);
        if (g_stop) wb.ExitRequested = true;
    });
    const double end = seconds > 0 ? host.MicroClock() + seconds * 1e6 : 1e300;
    while (!wb.ExitRequested && host.MicroClock() < end)
        host.RunEventsUntil(std::min(end, host.MicroClock() + 100'000));
    wb.Shutdown();
    std::printf("log: %s\n", wb.Comm->Log().Path().c_str());
    return 0;
}

using cli::WaitConnected;

std::string Medium(ClsComm& c) {
    Port* p = c.ActivePort();
    return p ? p->Description() : std::string("?");
}

int Ping(Workbench& wb, SteadyHost& host, double timeoutS, double stayS) {
    wb.OpenCommLog(cli::DateText());
    if (!WaitConnected(wb, host, timeoutS)) {
        std::fprintf(stderr, "no ECU answered within %.0f s (last state: %s)\n", timeoutS,
                     ComCycle::StateText(wb.Comm->ComState).c_str());
        wb.Shutdown();
        return 1;
    }
    std::printf("ECU answers on %s\n", Medium(*wb.Comm).c_str());
    std::fflush(stdout);
    if (stayS > 0) {
        const double end = host.MicroClock() + stayS * 1e6;
        while (!g_stop && host.MicroClock() < end) host.RunEventsUntil(std::min(end, host.MicroClock() + 100'000));
        std::printf("link %s after %.0f s more\n", wb.Comm->WDogPresente ? "lost" : "kept", stayS);
    }
    const bool ok = !wb.Comm->WDogPresente;
    wb.Shutdown();
    return ok ? 0 : 1;
}

int Send(Workbench& wb, SteadyHost& host, const std::string& hex, double timeoutS) {
    const std::string bytes = HexToBytes(hex);  // not empty: checked with the command line
    wb.OpenCommLog(cli::DateText());
    if (!WaitConnected(wb, host, timeoutS)) {
        std::fprintf(stderr, "no ECU answered within %.0f s\n", timeoutS);
        wb.Shutdown();
        return 1;
    }
    const std::string request = ComponiMsg(0x41, 0x02, static_cast<std::uint8_t>(bytes[0]), bytes.substr(1));
    std::printf("request %s\n", BytesToHex(request).c_str());
    wb.Comm->LastAnswer.clear();
    const bool ok = wb.Comm->SendMsgWait(request);
    if (ok)
        std::printf("answer  %s\n", BytesToHex(wb.Comm->LastAnswer).c_str());
    else
        std::fprintf(stderr, "the ECU did not accept the request (%s)\n",
                     ComCycle::StateText(wb.Comm->ComState).c_str());
    wb.Shutdown();
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const cli::CliParse parsed = cli::ParseCliArguments(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.help) {
        std::fputs(cli::CliUsage().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "gas-workbench-cli: %s\n\n%s", parsed.error.c_str(), cli::CliUsage().c_str());
        return 2;
    }
    const cli::CliOptions& o = parsed.options;
    const AppFolderChoice folder = ResolveAppFolder(argc, argv);
    if (!folder.problem.empty()) std::fprintf(stderr, "gas-workbench-cli: %s\n", folder.problem.c_str());
    const std::string appFolder = folder.appFolder;
    if (o.command == "ports") return Ports(appFolder);

    cli::CliOptions options = o;
    // With the simulated ECU a calibration drives the car by default, which warms like one.
    if (o.command == "calibrate" && o.simDriver != 0) options.sim.car.reducerWarmTauS = 30;
    if (o.command == "calibrate" && o.virtualTime) {
        std::signal(SIGINT, OnSignal);
        return cli::CalibrateOnVirtualTime(options, appFolder);
    }
    cli::CliHost host;
    host.assumeYes = o.assumeYes;
    host.skipFailedZones = o.skipFailedZones;
    std::shared_ptr<SimEcu> ecu = std::make_shared<SimEcu>(options.sim);
    SystemPortProvider ports(appFolder, "/sys", [&host, ecu] { return std::make_unique<SimulatedEcuPort>(host, ecu); });
    Workbench wb(host, ports, appFolder);
    wb.Main();
    if (o.command == "log-export") {
        wb.Shutdown();
        return cli::LogExport(wb, o.operand, o.operand2, o.format);
    }
    wb.UseCommandLinePort(o.port);
    if (o.command == "info") {
        wb.Shutdown();
        return Info(wb);
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    if (o.command == "ping") return Ping(wb, host, o.timeoutS, o.stayS);
    if (o.command == "send") return Send(wb, host, o.operand, o.timeoutS);
    if (o.command == "identity") return cli::Identity(wb, host, o.timeoutS);
    if (o.command == "read-config") return cli::ReadConfig(wb, host, o.operand, o.timeoutS);
    if (o.command == "write-config") return cli::WriteConfig(wb, host, o.operand, o.timeoutS);
    if (o.command == "flash") return cli::Flash(wb, host, o.timeoutS);
    if (o.command == "calibrate") return cli::Calibrate(wb, host, options, o.port.simulated ? ecu.get() : nullptr);
    if (o.command == "record") return cli::Record(wb, host, o.operand, o.seconds, o.timeoutS);
    if (o.command == "model-show") return cli::ModelShow(wb, host, o.timeoutS);
    if (o.command == "map-read") return cli::MapRead(wb, host, o.operand, o.timeoutS);
    return Monitor(wb, host, o.seconds);
}
