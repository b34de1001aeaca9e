#include "simtool/SimToolOptions.h"

#include <algorithm>
#include <limits>

#include "util/CommandLine.h"

namespace gw {

namespace {

const std::vector<OptionDef>& Definitions() {
    static const std::vector<OptionDef> defs = {
        {"pty", "", "open a pseudo-terminal (required)"},
        {"firmware-version", "NNNN", "four-digit firmware version (default 0140)"},
        {"firmware-date", "DDMMYYYY", "firmware date (default 15032010)"},
        {"project", "TEXT", "project descriptor text, up to 32 characters"},
        {"old-firmware", "", "version 0132 without the expert block (block 5)"},
        {"block5", "FORM", "form of the expert block: long, short or none"},
        {"scenario", "NAME", "engine: idle, drive (a repeating drive) or key-off"},
        {"seed", "N", "seed of the engine model and samples (default 1)"},
        {"delay-us", "N", "processing delay before an answer, 0 to 10000000 (default 2000)"},
        {"fault", "NAME", "add a fault (repeatable), see below"},
        {"help", "", "this text"},
    };
    return defs;
}

bool AllDigits(const std::string& s, std::size_t n) {
    return s.size() == n && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

SimToolParse ParseSimToolArguments(const std::vector<std::string>& args) {
    SimToolParse parse;
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
    if (!scanned.operands.empty()) return fail("unexpected argument: " + scanned.operands.front());

    SimEcuOptions& o = parse.options;
    // The older firmware first, so that the options naming a field win whatever their order.
    if (scanned.Given("old-firmware")) o.identity = SimIdentity::OldFirmware();
    for (const auto& [name, v] : scanned.options) {
        if (name == "pty") {
            parse.pty = true;
        } else if (name == "firmware-version") {
            if (!AllDigits(v, 4)) return fail("--firmware-version takes four digits, not \"" + v + "\"");
            o.identity.version = v;
        } else if (name == "firmware-date") {
            if (!AllDigits(v, 8)) return fail("--firmware-date takes eight digits DDMMYYYY, not \"" + v + "\"");
            o.identity.date = v;
        } else if (name == "project") {
            if (v.size() > 32) return fail("--project takes at most 32 characters");
            o.identity.project = v;
        } else if (name == "block5") {
            if (v == "long") o.identity.block5 = SimBlock5Form::Long;
            else if (v == "short") o.identity.block5 = SimBlock5Form::Short;
            else if (v == "none") o.identity.block5 = SimBlock5Form::Absent;
            else return fail("--block5 takes long, short or none, not \"" + v + "\"");
        } else if (name == "scenario") {
            if (v == "idle") o.scenario = SimScenario::Idle;
            else if (v == "drive") o.scenario = SimScenario::Drive;
            else if (v == "key-off") o.scenario = SimScenario::KeyOff;
            else return fail("--scenario takes idle, drive or key-off, not \"" + v + "\"");
        } else if (name == "seed") {
            const auto seed = ReadInteger(v, 0, std::numeric_limits<long long>::max());
            if (!seed) return fail("--seed takes a whole number from 0, not \"" + v + "\"");
            o.seed = static_cast<std::uint64_t>(*seed);
        } else if (name == "delay-us") {
            const auto delay = ReadNumber(v, 0, 10e6);
            if (!delay) return fail("--delay-us takes 0 to 10000000, not \"" + v + "\"");
            o.processingDelayUs = *delay;
        } else if (name == "fault") {
            std::string why;
            if (!SimFaults::Parse(v, &why)) return fail("--fault " + v + ": " + why);
            parse.faults.push_back(v);
        }
    }
    if (!parse.pty) return fail("nothing to do without --pty");
    return parse;
}

std::string SimToolUsage() {
    return "usage: gas-ecu-sim --pty [OPTIONS]\n"
           "Serves a simulated gas-injection ECU on a pseudo-terminal; the first output line is\n"
           "the terminal's path. Ends on SIGTERM or SIGINT.\n"
           "\n"
           "options:\n" +
           OptionHelp(Definitions()) + "\n" + SimFaults::Help();
}

}  // namespace gw
