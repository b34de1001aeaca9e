// The command line of gas-workbench-cli: its options and commands, read into one struct with
// every value checked, or an error text (the program prints it with the usage and exits
// with status 2). Running the command is main's business.
#pragma once

#include <string>
#include <vector>

#include "app/Workbench.h"
#include "sim/SimEcu.h"

namespace gw::cli {

struct CliOptions {
    std::string command = "monitor";
    std::string operand;  // send: the request in hexadecimal; read-config, write-config: the file
    std::string operand2;  // log-export: the file written
    std::string format = "vflf";  // log-export: vflf or csv
    CommandLinePort port;
    SimEcuOptions sim;
    double seconds = 0;    // monitor, record: 0 runs until a signal
    double timeoutS = 30;  // commands that talk to the ECU
    double stayS = 0;      // ping
    bool assumeYes = false;
    bool skipFailedZones = false;  // flash
    int simDriver = -1;            // the scripted driver: -1 the command's default, 0 off, 1 on
    bool virtualTime = false;      // calibrate on the virtual clock (with --simulate)
};

struct CliParse {
    CliOptions options;
    bool help = false;  // --help: print the usage, exit 0
    std::string error;  // what was wrong; empty when the line is sound
};

// args: argv[1..]. "--app-folder DIR" is checked here and left to ResolveAppFolder.
CliParse ParseCliArguments(const std::vector<std::string>& args);
// The usage: the commands and every option, one line each.
std::string CliUsage();

}  // namespace gw::cli
