// gas-ecu-sim: serves the simulated ECU on a pseudo-terminal. Prints the terminal's path
// on its first line, then answers requests at 38400-baud pace until SIGTERM or SIGINT.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "sim/SimEcu.h"
#include "simtool/PtyServer.h"
#include "util/EventHost.h"

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

const char* kUsage =
    "Usage: gas-ecu-sim --pty [options]\n"
    "Serves a simulated gas-injection ECU on a pseudo-terminal; the first output line is\n"
    "the terminal's path. Ends on SIGTERM or SIGINT.\n"
    "Options:\n"
    "  --pty                       open a pseudo-terminal (required)\n"
    "  --firmware-version NNNN     four-digit firmware version (default 0140)\n"
    "  --firmware-date DDMMYYYY    firmware date (default 15032010)\n"
    "  --project \"P CUST CODE\"     project descriptor text, up to 32 characters\n"
    "  --old-firmware              version 0132 without the expert block (block 5)\n"
    "  --block5 long|short|none    form of the expert block\n"
    "  --scenario idle|drive|key-off   engine: idling, a repeating drive, key off\n"
    "  --seed N                    seed of the engine model and samples (default 1)\n"
    "  --delay-us N                processing delay before an answer (default 2000)\n"
    "  --fault NAME                add a fault (repeatable), see below\n"
    "  --help                      this text\n\n";

bool AllDigits(const std::string& s, std::size_t n) {
    if (s.size() != n) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace gw;
    SimEcuOptions options;
    bool pty = false;
    std::vector<std::string> faults;
    auto fail = [](const std::string& why) {
        std::cerr << "gas-ecu-sim: " << why << "\n(see --help)\n";
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage << SimFaults::Help();
            return 0;
        } else if (a == "--pty") {
            pty = true;
        } else if (a == "--old-firmware") {
            const std::string project = options.identity.project;
            options.identity = SimIdentity::OldFirmware();
            options.identity.project = project;
        } else if (!value(v)) {
            return fail("unknown option or missing value: " + a);
        } else if (a == "--firmware-version") {
            if (!AllDigits(v, 4)) return fail("the version takes four digits");
            options.identity.version = v;
        } else if (a == "--firmware-date") {
            if (!AllDigits(v, 8)) return fail("the date takes eight digits DDMMYYYY");
            options.identity.date = v;
        } else if (a == "--project") {
            if (v.size() > 32) return fail("the project text takes at most 32 characters");
            options.identity.project = v;
        } else if (a == "--block5") {
            if (v == "long") options.identity.block5 = SimBlock5Form::Long;
            else if (v == "short") options.identity.block5 = SimBlock5Form::Short;
            else if (v == "none") options.identity.block5 = SimBlock5Form::Absent;
            else return fail("--block5 takes long, short or none");
        } else if (a == "--scenario") {
            if (v == "idle") options.scenario = SimScenario::Idle;
            else if (v == "drive") options.scenario = SimScenario::Drive;
            else if (v == "key-off") options.scenario = SimScenario::KeyOff;
            else return fail("--scenario takes idle, drive or key-off");
        } else if (a == "--seed") {
            char* end = nullptr;
            options.seed = std::strtoull(v.c_str(), &end, 10);
            if (v.empty() || *end) return fail("--seed takes a number");
        } else if (a == "--delay-us") {
            char* end = nullptr;
            options.processingDelayUs = std::strtod(v.c_str(), &end);
            if (v.empty() || *end || options.processingDelayUs < 0 || options.processingDelayUs > 10e6)
                return fail("--delay-us takes 0 to 10000000");
        } else if (a == "--fault") {
            faults.push_back(v);
        } else {
            return fail("unknown option: " + a);
        }
    }
    if (!pty) return fail("nothing to do without --pty");

    SimEcu ecu(options);
    for (const auto& f : faults) {
        std::string error;
        if (!ecu.Faults().AddByName(f, &error)) return fail(error);
    }

    // The stopping signals stay blocked except while waiting, so none is missed.
    sigset_t block, waitMask;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGINT);
    sigprocmask(SIG_BLOCK, &block, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);

    SteadyHost host;
    PtyServer server(ecu, host);
    std::string error;
    const std::string path = server.Open(error);
    if (path.empty()) {
        std::cerr << "gas-ecu-sim: " << error << "\n";
        return 1;
    }
    std::cout << path << std::endl;  // first line, flushed
    return server.Run(gStop, &waitMask);
}
