#include "cli/CliOptions.h"

#include <algorithm>

#include "util/CommandLine.h"
#include "util/HexText.h"

namespace gw::cli {

namespace {

// Every option, with the commands that take it (none listed: every command).
struct CliOption {
    OptionDef def;
    std::vector<std::string> commands;
};

const std::vector<std::string> kTalking = {"ping", "send", "identity", "read-config", "write-config", "flash",
                                           "model-show", "map-read", "calibrate", "record"};

const std::vector<CliOption>& Options() {
    static const std::vector<CliOption> options = {
        {{"app-folder", "DIR", "the folder holding BIN/ and LNG/ (default: one above the program's)"}, {}},
        {{"simulate", "", "talk to the built-in simulated ECU"}, {}},
        {{"com", "N", "use COM port N (1-9)"}, {}},
        {{"usb", "", "use the USB cable"}, {}},
        {{"sim-old-firmware", "", "the simulated ECU has an older firmware (0132, no expert block)"}, {}},
        {{"sim-project", "TEXT", "the simulated ECU's project text (up to 32 characters)"}, {}},
        {{"sim-scenario", "NAME", "the simulated engine: idle, drive or key-off"}, {}},
        {{"sim-gas-offset", "MS", "the simulated car's true gas offset in ms (default 1.456)"}, {}},
        {{"sim-gas-alfa", "A", "the simulated car's true gas slope (default 1)"}, {}},
        {{"sim-driver", "", "a scripted driver follows the calibration's instructions (default with calibrate)"}, {}},
        {{"no-sim-driver", "", "no scripted driver: the simulated engine idles by itself"}, {}},
        {{"virtual-time", "", "calibrate: with --simulate, run on the virtual clock (a whole run in seconds)"},
         {"calibrate"}},
        {{"seconds", "S", "monitor, record: stop after S seconds (default: at Ctrl+C)"}, {"monitor", "record"}},
        {{"timeout", "S", "commands that talk to the ECU: give up after S seconds (default 30)"}, kTalking},
        {{"stay", "S", "ping: keep the link S seconds more and report whether it held"}, {"ping"}},
        {{"yes", "", "flash: answer Yes to the engine-stopped and continue questions; calibrate: accept the result"},
         {"flash", "calibrate"}},
        {{"skip-failed-zones", "", "flash: leave out a zone that fails three times (the run still fails)"}, {"flash"}},
        {{"format", "F", "log-export: vflf (default) or csv"}, {"log-export"}},
        {{"help", "", "this text"}, {}},
    };
    return options;
}

struct Command {
    const char* name;
    const char* operand;   // nullptr: none
    const char* operand2;  // nullptr: none
};
constexpr Command kCommands[] = {
    {"monitor", nullptr, nullptr}, {"ping", nullptr, nullptr},         {"send", "HEX", nullptr},
    {"identity", nullptr, nullptr}, {"read-config", "FILE", nullptr}, {"write-config", "FILE", nullptr},
    {"flash", nullptr, nullptr}, {"map-read", "FILE", nullptr}, {"info", nullptr, nullptr}, {"ports", nullptr, nullptr},
    {"log-export", "LOG", "OUT"}, {"record", "OUT", nullptr}, {"model-show", nullptr, nullptr},
    {"calibrate", nullptr, nullptr},
};

const Command* FindCommand(const std::string& name) {
    for (const auto& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    return text;
}

// Applies one option's value; the error text when it is not sound.
std::string Apply(const GivenOption& o, CliOptions& out, bool& oldFirmware, std::string& project) {
    const std::string& v = o.value;
    if (o.name == "simulate") {
        out.port.simulated = true;
    } else if (o.name == "usb") {
        out.port.usb = true;
    } else if (o.name == "com") {
        const auto n = ReadInteger(v, 1, 9);
        if (!n) return "--com takes a port number from 1 to 9, not \"" + v + "\"";
        out.port.com = static_cast<int>(*n);
    } else if (o.name == "sim-old-firmware") {
        oldFirmware = true;
    } else if (o.name == "sim-project") {
        if (v.size() > 32) return "--sim-project takes at most 32 characters";
        project = v;
    } else if (o.name == "sim-scenario") {
        if (v == "idle") out.sim.scenario = SimScenario::Idle;
        else if (v == "drive") out.sim.scenario = SimScenario::Drive;
        else if (v == "key-off") out.sim.scenario = SimScenario::KeyOff;
        else return "--sim-scenario takes idle, drive or key-off, not \"" + v + "\"";
    } else if (o.name == "sim-gas-offset") {
        const auto ms = ReadNumber(v, -10, 10);
        if (!ms) return "--sim-gas-offset takes milliseconds from -10 to 10, not \"" + v + "\"";
        out.sim.car.gasOffsetMs = *ms;
    } else if (o.name == "sim-gas-alfa") {
        const auto a = ReadNumber(v, 0.1, 3);
        if (!a) return "--sim-gas-alfa takes a slope from 0.1 to 3, not \"" + v + "\"";
        out.sim.car.gasAlfa = *a;
    } else if (o.name == "sim-driver" || o.name == "no-sim-driver") {
        out.simDriver = o.name == "sim-driver" ? 1 : 0;
    } else if (o.name == "virtual-time") {
        out.virtualTime = true;
    } else if (o.name == "seconds" || o.name == "timeout" || o.name == "stay") {
        const auto s = ReadNumber(v, 0, 1e6);
        if (!s) return "--" + o.name + " takes a number of seconds from 0 to 1000000, not \"" + v + "\"";
        (o.name == "seconds" ? out.seconds : o.name == "timeout" ? out.timeoutS : out.stayS) = *s;
    } else if (o.name == "format") {
        if (v != "vflf" && v != "csv") return "--format takes vflf or csv, not \"" + v + "\"";
        out.format = v;
    } else if (o.name == "yes") {
        out.assumeYes = true;
    } else if (o.name == "skip-failed-zones") {
        out.skipFailedZones = true;
    }
    return "";
}

std::vector<OptionDef> Definitions() {
    std::vector<OptionDef> defs;
    for (const auto& o : Options()) defs.push_back(o.def);
    return defs;
}

}  // namespace

CliParse ParseCliArguments(const std::vector<std::string>& args) {
    CliParse parse;
    const ScannedArgs scanned = ScanOptions(args, Definitions());
    if (scanned.Given("help")) {
        parse.help = true;
        return parse;
    }
    auto fail = [&parse](std::string why) {
        parse.error = std::move(why);
        return parse;
    };
    if (!scanned.error.empty()) return fail(scanned.error);

    CliOptions& out = parse.options;
    std::vector<std::string> operands = scanned.operands;
    if (!operands.empty()) {
        const Command* c = FindCommand(operands.front());
        if (!c) return fail("unknown command: " + operands.front());
        out.command = c->name;
        operands.erase(operands.begin());
        if (c->operand) {
            if (operands.empty()) return fail(out.command + " needs its " + c->operand);
            out.operand = operands.front();
            operands.erase(operands.begin());
        }
        if (c->operand2) {
            if (operands.empty()) return fail(out.command + " needs its " + c->operand2);
            out.operand2 = operands.front();
            operands.erase(operands.begin());
        }
    }
    if (!operands.empty()) return fail("unexpected argument: " + operands.front());
    if (out.command == "send" && HexToBytes(out.operand).empty())
        return fail("send takes the command code and its payload in hexadecimal (e.g. 0D), not \"" + out.operand + "\"");

    bool oldFirmware = false;
    std::string project;
    for (const auto& given : scanned.options) {
        const auto& o = *std::find_if(Options().begin(), Options().end(),
                                      [&given](const CliOption& c) { return c.def.name == given.name; });
        if (!o.commands.empty() && std::find(o.commands.begin(), o.commands.end(), out.command) == o.commands.end())
            return fail("--" + given.name + " is an option of " + Joined(o.commands) + ", not of " + out.command);
        const std::string why = Apply(given, out, oldFirmware, project);
        if (!why.empty()) return fail(why);
    }
    if (out.port.simulated + out.port.usb + (out.port.com != 0) > 1)
        return fail("choose one port: --simulate, --com N or --usb");
    if (out.virtualTime && !out.port.simulated) return fail("--virtual-time needs --simulate");
    if (oldFirmware) out.sim.identity = SimIdentity::OldFirmware();
    if (!project.empty()) out.sim.identity.project = project;
    return parse;
}

std::string CliUsage() {
    return "usage: gas-workbench-cli [--app-folder DIR] [--simulate | --com N | --usb] [COMMAND] [OPTIONS]\n"
           "\n"
           "commands:\n"
           "  monitor [--seconds S]                 keep the link running and report its state (the default)\n"
           "  ping [--timeout S] [--stay S]         run the link until the ECU answers; print where it answered\n"
           "  send HEX [--timeout S]                one request: command code and payload in hexadecimal (\"0D\")\n"
           "  identity [--timeout S]                both firmware identities and the identity check's verdict\n"
           "  read-config FILE.var                  read blocks 2, 3, 5 and the correction table into the file\n"
           "  write-config FILE.var                 load a configuration file and write it to the ECU\n"
           "  flash [--yes] [--skip-failed-zones]   upgrade the firmware from BIN/Norvik512.frh\n"
           "  calibrate [--yes] [--virtual-time]    the automatic calibration, headless: steps, gas cycles, result\n"
           "  log-export LOG OUT [--format vflf|csv] every sample of a communication log or view file into OUT\n"
           "  record [--seconds S] OUT.vfl          record the live values into a view file (log restart, compaction)\n"
           "  model-show [--timeout S]              the ECU's correction table as its model and 192 entries\n"
           "  map-read FILE.map                     read the ECU's petrol and gas sample lists into a map file\n"
           "  info                                  application folder, system, dictionary and scale settings\n"
           "  ports                                 the COM ports and the USB cables found\n"
           "\n"
           "options:\n" +
           OptionHelp(Definitions()) +
           "\n"
           "Without a port option the link settings of BIN/SetCom.ini are used.\n";
}

}  // namespace gw::cli
