// The command lines of gas-workbench-cli and gas-ecu-sim: every bad value or word is
// refused with a text naming it (the programs then exit with status 2), good lines give
// the values asked for whatever the order, and the usage lists every option once.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "simtool/SimToolOptions.h"
#include "util/CommandLine.h"

using namespace gw;
using Args = std::vector<std::string>;

namespace {

struct BadLine {
    Args args;
    std::string mentions;  // the error names what was wrong
};

std::string Show(const Args& args) {
    std::string s;
    for (const auto& a : args) s += "[" + a + "] ";
    return s;
}

// The lines of text starting with "  --name" (name followed by a blank).
int HelpLines(const std::string& text, const std::string& name) {
    std::istringstream in(text);
    int n = 0;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("  --" + name + " ", 0) == 0) ++n;
    return n;
}

}  // namespace

TEST(CliCommandLine, RefusesEveryBadValueAndWord) {
    const std::vector<BadLine> bad = {
        {{"ping", "--timeout", "abc"}, "abc"},
        {{"monitor", "--seconds", "1x"}, "1x"},
        {{"--seconds", "1.5.2"}, "1.5.2"},
        {{"--seconds", " 5"}, " 5"},
        {{"--seconds", "inf"}, "inf"},
        {{"ping", "--timeout", "nan"}, "nan"},
        {{"ping", "--stay", "-1"}, "-1"},
        {{"ping", "--timeout", ""}, "--timeout"},
        {{"--com", "0"}, "1 to 9"},
        {{"--com", "10"}, "1 to 9"},
        {{"--com", "3x"}, "3x"},
        {{"--com", "2.0"}, "2.0"},
        {{"ping", "--timeout"}, "--timeout needs a value"},
        {{"--com"}, "--com needs a value"},
        {{"--app-folder"}, "--app-folder needs a value"},
        {{"--frobnicate"}, "unknown option: --frobnicate"},
        {{"-x"}, "unknown option: -x"},
        {{"--usb=1"}, "--usb takes no value"},
        {{"--s", "1"}, "ambiguous option"},
        {{"frobnicate"}, "unknown command: frobnicate"},
        {{"send"}, "send needs its HEX"},
        {{"send", "0G"}, "0G"},
        {{"read-config"}, "read-config needs its FILE"},
        {{"ping", "extra"}, "unexpected argument: extra"},
        {{"ping", "--yes"}, "--yes is an option of flash or calibrate, not of ping"},
        {{"--simulate", "calibrate", "--sim-gas-offset", "x"}, "x"},
        {{"--simulate", "calibrate", "--sim-gas-alfa", "0"}, "0.1 to 3"},
        {{"calibrate", "--virtual-time"}, "needs --simulate"},
        {{"--simulate", "ping", "--virtual-time"}, "--virtual-time is an option of calibrate"},
        {{"--seconds", "5", "ping"}, "--seconds is an option of monitor"},
        {{"info", "--timeout", "5"}, "not of info"},
        {{"--simulate", "--usb"}, "one port"},
        {{"--com", "3", "--usb"}, "one port"},
        {{"--sim-scenario", "fast"}, "fast"},
        {{"--sim-project", std::string(33, 'P')}, "32"},
    };
    for (const auto& b : bad) {
        const cli::CliParse p = cli::ParseCliArguments(b.args);
        EXPECT_FALSE(p.help) << Show(b.args);
        EXPECT_NE(p.error.find(b.mentions), std::string::npos) << Show(b.args) << "gave: " << p.error;
    }
}

TEST(CliCommandLine, GivesTheValuesAskedForInAnyOrder) {
    const cli::CliParse none = cli::ParseCliArguments({});
    ASSERT_EQ(none.error, "");
    EXPECT_EQ(none.options.command, "monitor");
    EXPECT_EQ(none.options.seconds, 0);
    EXPECT_EQ(none.options.timeoutS, 30);
    EXPECT_FALSE(none.options.port.Any());

    for (const Args& args : {Args{"ping", "--timeout", "2.5", "--stay", "1e1"}, Args{"--timeout=2.5", "--stay", "10", "ping"},
                             Args{"--stay", "10", "ping", "--timeout", "2.5"}}) {
        const cli::CliParse p = cli::ParseCliArguments(args);
        ASSERT_EQ(p.error, "") << Show(args);
        EXPECT_EQ(p.options.command, "ping");
        EXPECT_EQ(p.options.timeoutS, 2.5);
        EXPECT_EQ(p.options.stayS, 10);
    }

    const cli::CliParse send = cli::ParseCliArguments({"--com", "9", "send", "0d", "--app-folder", "/tmp/app"});
    ASSERT_EQ(send.error, "");
    EXPECT_EQ(send.options.command, "send");
    EXPECT_EQ(send.options.operand, "0d");
    EXPECT_EQ(send.options.port.com, 9);

    const cli::CliParse config = cli::ParseCliArguments({"--usb", "read-config", "--", "-odd name.var"});
    ASSERT_EQ(config.error, "");
    EXPECT_EQ(config.options.operand, "-odd name.var");
    EXPECT_TRUE(config.options.port.usb);

    // The older firmware keeps the project asked for, whichever comes first.
    for (const Args& args : {Args{"--simulate", "--sim-project", "P X Y", "--sim-old-firmware", "flash", "--yes",
                                  "--skip-failed-zones", "--sim-scenario", "key-off"},
                             Args{"flash", "--sim-old-firmware", "--sim-project=P X Y", "--simulate",
                                  "--skip-failed-zones", "--yes", "--sim-scenario=key-off"}}) {
        const cli::CliParse p = cli::ParseCliArguments(args);
        ASSERT_EQ(p.error, "") << Show(args);
        EXPECT_EQ(p.options.command, "flash");
        EXPECT_TRUE(p.options.port.simulated);
        EXPECT_TRUE(p.options.assumeYes);
        EXPECT_TRUE(p.options.skipFailedZones);
        EXPECT_EQ(p.options.sim.identity.version, SimIdentity::OldFirmware().version);
        EXPECT_EQ(p.options.sim.identity.project, "P X Y");
        EXPECT_EQ(p.options.sim.scenario, SimScenario::KeyOff);
    }

    const cli::CliParse cal = cli::ParseCliArguments(
        {"calibrate", "--simulate", "--virtual-time", "--sim-gas-offset", "-0.5", "--sim-gas-alfa=1.1", "--no-sim-driver",
         "--yes"});
    ASSERT_EQ(cal.error, "");
    EXPECT_EQ(cal.options.command, "calibrate");
    EXPECT_TRUE(cal.options.virtualTime);
    EXPECT_TRUE(cal.options.assumeYes);
    EXPECT_EQ(cal.options.simDriver, 0);
    EXPECT_EQ(cal.options.sim.car.gasOffsetMs, -0.5);
    EXPECT_EQ(cal.options.sim.car.gasAlfa, 1.1);

    for (const Args& args : {Args{"--help"}, Args{"ping", "-h"}, Args{"--com", "12", "--help"}})
        EXPECT_TRUE(cli::ParseCliArguments(args).help) << Show(args);
}

TEST(CliCommandLine, TheUsageListsEveryOptionOnOneLine) {
    const std::string usage = cli::CliUsage();
    for (const char* name : {"app-folder", "simulate", "com", "usb", "sim-old-firmware", "sim-project", "sim-scenario",
                             "seconds", "timeout", "stay", "yes", "skip-failed-zones", "help", "sim-gas-offset",
                             "sim-gas-alfa", "sim-driver", "no-sim-driver", "virtual-time"})
        EXPECT_EQ(HelpLines(usage, name), 1) << name << "\n" << usage;
    for (const char* command : {"monitor", "ping", "send", "identity", "read-config", "write-config", "flash", "info",
                                "ports", "calibrate"})
        EXPECT_NE(usage.find("\n  " + std::string(command) + " "), std::string::npos) << command;
}

TEST(SimToolCommandLine, RefusesBadValuesAndKeepsGoodOnes) {
    const std::vector<BadLine> bad = {
        {{}, "--pty"},
        {{"--pty", "--seed", "1x"}, "1x"},
        {{"--pty", "--seed", "-3"}, "-3"},
        {{"--pty", "--delay-us", "-5"}, "-5"},
        {{"--pty", "--delay-us", "20000000"}, "20000000"},
        {{"--pty", "--firmware-version", "12a4"}, "12a4"},
        {{"--pty", "--firmware-date", "1503201"}, "1503201"},
        {{"--pty", "--block5", "medium"}, "medium"},
        {{"--pty", "--fault", "gremlins in the wiring"}, "gremlins"},
        {{"--pty", "--seed"}, "--seed needs a value"},
        {{"--pty", "--firmware-", "0150"}, "ambiguous option: --firmware-"},
        {{"--pty", "--colour", "red"}, "unknown option: --colour"},
        {{"--pty", "extra"}, "unexpected argument: extra"},
    };
    for (const auto& b : bad) {
        const SimToolParse p = ParseSimToolArguments(b.args);
        EXPECT_NE(p.error.find(b.mentions), std::string::npos) << Show(b.args) << "gave: " << p.error;
    }

    const SimToolParse p = ParseSimToolArguments({"--project", "P Q", "--old-firmware", "--pty", "--seed", "7",
                                                  "--delay-us=1500.5", "--fault", "no answer to eco", "--fault",
                                                  "status 254 on erase", "--scenario", "drive", "--block5", "short"});
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.pty);
    EXPECT_EQ(p.options.identity.version, SimIdentity::OldFirmware().version);
    EXPECT_EQ(p.options.identity.project, "P Q");
    EXPECT_EQ(p.options.identity.block5, SimBlock5Form::Short);
    EXPECT_EQ(p.options.seed, 7u);
    EXPECT_EQ(p.options.processingDelayUs, 1500.5);
    EXPECT_EQ(p.options.scenario, SimScenario::Drive);
    EXPECT_EQ(p.faults, (Args{"no answer to eco", "status 254 on erase"}));

    const std::string usage = SimToolUsage();
    for (const char* name : {"pty", "firmware-version", "firmware-date", "project", "old-firmware", "block5", "scenario",
                             "seed", "delay-us", "fault", "help"})
        EXPECT_EQ(HelpLines(usage, name), 1) << name << "\n" << usage;
}

TEST(CommandLineNumbers, AreReadWholeAndWithinTheirRange) {
    EXPECT_EQ(ReadNumber("2.5", 0, 10), 2.5);
    EXPECT_EQ(ReadNumber("1e1", 0, 10), 10.0);
    EXPECT_EQ(ReadInteger("9", 1, 9), 9);
    for (const char* text : {"", "1x", "x1", " 1", "1 ", "+1", "11", "-1", "nan", "inf", "0x1"})
        EXPECT_FALSE(ReadNumber(text, 0, 10)) << "[" << text << "]";
    for (const char* text : {"", "1.0", "10", "0", "1e0", "99999999999999999999"})
        EXPECT_FALSE(ReadInteger(text, 1, 9)) << "[" << text << "]";
}
