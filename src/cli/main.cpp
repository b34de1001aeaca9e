// gas-workbench-cli: the workbench's command-line tool. Runs the same core as the window
// program on the steady clock: shows what the program finds at start, lists the ports, and
// keeps the link to the ECU (or the built-in simulated ECU) running while it reports.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/AppFolder.h"
#include "app/Workbench.h"
#include "cli/EcuCommands.h"
#include "link/ports/ComPortMap.h"
#include "link/ports/FtdiEnumerator.h"
#include "link/ports/SystemPortProvider.h"
#include "sim/SimulatedEcuPort.h"
#include "link/ModComm.h"
#include "util/EventHost.h"
#include "util/HexText.h"
#include "util/Numbers.h"
#include "util/SysInfo.h"
#include "util/Warnings.h"

using namespace gw;

namespace {

using cli::g_stop;
void OnSignal(int) { g_stop = 1; }

void Usage() {
    std::puts(
        "usage: gas-workbench-cli [--app-folder DIR] [--simulate | --com N | --usb] [COMMAND]\n"
        "\n"
        "commands:\n"
        "  monitor [--seconds S]  keep the link running and report its state (default;\n"
        "                         until Ctrl+C when no time is given)\n"
        "  ping [--timeout S] [--stay S]\n"
        "                         run the link as the program does (settings, port search,\n"
        "                         keep-alive) until the ECU answers; print where it answered\n"
        "  identity               read both firmware identities and print the verdict of\n"
        "                         the identity check\n"
        "  read-config FILE.var   read blocks 2, 3, 5 and the correction table and save them\n"
        "  write-config FILE.var  load a configuration file and write it to the ECU\n"
        "  flash [--yes] [--skip-failed-zones]\n"
        "                         upgrade the ECU's firmware from BIN/Norvik512.frh; --yes\n"
        "                         answers the start questions; a zone that fails three times\n"
        "                         is left unwritten only with --skip-failed-zones (or a Yes\n"
        "                         typed at the terminal), and the run then fails all the same\n"
        "  send HEX [--timeout S] send one request: the command code and its payload in\n"
        "                         hexadecimal (\"0D\" reads block 2, \"09454343\" ...); prints the\n"
        "                         answer frame in hexadecimal\n"
        "  info                   the application folder, system, dictionary and scale settings\n"
        "  ports                  the COM ports and the USB cables found\n"
        "\n"
        "  --simulate   talk to the built-in simulated ECU\n"
        "  --com N      use COM port N (1-9)\n"
        "  --usb        use the USB cable\n"
        "  --sim-old-firmware, --sim-project TEXT, --sim-scenario idle|drive|key-off\n"
        "               start the simulated ECU with an older firmware, another project,\n"
        "               or its engine idling, driving or with the key off\n"
        "Without a port option the link settings of BIN/SetCom.ini are used.");
}

std::string Today() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d/%m/%Y", &tm);
    return buf;
}

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
    const ComPortMap map = ComPortMap::Load(appFolder);
    for (int n = ComPortMap::kFirstCom; n <= ComPortMap::kLastCom; ++n)
        std::printf("COM%d  %s%s\n", n, map.DevicePath(n).c_str(), map.IsMapped(n) ? "  (BIN/ComPorts.ini)" : "");
    const FtdiEnumerator usb;
    const auto devices = usb.List();
    std::printf("USB cables: %zu\n", devices.size());
    for (size_t i = 0; i < devices.size(); ++i) std::printf("  USB %zu  %s\n", i, devices[i].devicePath.c_str());
    return 0;
}

int Monitor(Workbench& wb, SteadyHost& host, double seconds) {
    wb.OpenCommLog(Today());
    std::string last0 = "\x01", last1 = "\x01";
    bool lastWdog = true;
    int goodAnswers = 0;
    double lastReport = host.MicroClock();
    wb.onDisplayTick = [&] {
        const ConnectionStatus& st = wb.Cycle->status;
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
    };
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
    wb.OpenCommLog(Today());
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
    const std::string bytes = HexToBytes(hex);
    if (hex.empty() || bytes.empty()) {
        std::fprintf(stderr, "send: give the command code and payload in hexadecimal, e.g. 0D\n");
        return 2;
    }
    wb.OpenCommLog(Today());
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
    AppFolderChoice choice = ResolveAppFolder(argc, argv);
    std::vector<std::string>& args = choice.rest;

    bool simulate = false, usb = false;
    int com = 0;
    double seconds = 0, timeoutS = 30, stayS = 0;
    std::string command = "monitor", hex, file;
    bool assumeYes = false, skipFailedZones = false;
    SimEcuOptions simOptions;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else if (a == "--simulate") {
            simulate = true;
        } else if (a == "--usb") {
            usb = true;
        } else if (a == "--com" && i + 1 < args.size()) {
            com = std::atoi(args[++i].c_str());
            if (com < 1 || com > 9) {
                std::fprintf(stderr, "--com takes a port number from 1 to 9\n");
                return 2;
            }
        } else if (a == "--seconds" && i + 1 < args.size()) {
            seconds = std::atof(args[++i].c_str());
        } else if (a == "--timeout" && i + 1 < args.size()) {
            timeoutS = std::atof(args[++i].c_str());
        } else if (a == "--stay" && i + 1 < args.size()) {
            stayS = std::atof(args[++i].c_str());
        } else if (a == "--sim-old-firmware") {
            simOptions.identity = SimIdentity::OldFirmware();
        } else if (a == "--sim-scenario" && i + 1 < args.size()) {
            const std::string v = args[++i];
            if (v == "idle") simOptions.scenario = SimScenario::Idle;
            else if (v == "drive") simOptions.scenario = SimScenario::Drive;
            else if (v == "key-off") simOptions.scenario = SimScenario::KeyOff;
            else {
                std::fprintf(stderr, "--sim-scenario takes idle, drive or key-off\n");
                return 2;
            }
        } else if (a == "--sim-project" && i + 1 < args.size()) {
            simOptions.identity.project = args[++i];
        } else if (a == "--yes") {
            assumeYes = true;
        } else if (a == "--skip-failed-zones") {
            skipFailedZones = true;
        } else if (a == "monitor" || a == "info" || a == "ports" || a == "ping" || a == "identity" ||
                   a == "flash") {
            command = a;
        } else if ((a == "read-config" || a == "write-config") && i + 1 < args.size()) {
            command = a;
            file = args[++i];
        } else if (a == "send" && i + 1 < args.size()) {
            command = a;
            hex = args[++i];
        } else {
            std::fprintf(stderr, "unknown argument: %s\n\n", a.c_str());
            Usage();
            return 2;
        }
    }
    if (command == "ports") return Ports(choice.appFolder);

    cli::CliHost host;
    host.assumeYes = assumeYes;
    host.skipFailedZones = skipFailedZones;
    std::shared_ptr<SimEcu> ecu = std::make_shared<SimEcu>(simOptions);
    SystemPortProvider ports(choice.appFolder, "/sys",
                             [&host, ecu] { return std::make_unique<SimulatedEcuPort>(host, ecu); });
    Workbench wb(host, ports, choice.appFolder);
    wb.Main();
    wb.UseCommandLinePort(CommandLinePort{simulate, usb, com});
    if (command == "info") {
        wb.Shutdown();
        return Info(wb);
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    if (command == "ping") return Ping(wb, host, timeoutS, stayS);
    if (command == "send") return Send(wb, host, hex, timeoutS);
    if (command == "identity") return cli::Identity(wb, host, timeoutS);
    if (command == "read-config") return cli::ReadConfig(wb, host, file, timeoutS);
    if (command == "write-config") return cli::WriteConfig(wb, host, file, timeoutS);
    if (command == "flash") return cli::Flash(wb, host, timeoutS);
    return Monitor(wb, host, seconds);
}
