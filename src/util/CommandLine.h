// Reading the command line of the programs without a window: the long options a program
// takes (scanned by getopt_long, in the order given, operands kept in place), the help
// lines listing them, and numbers read whole within a range. What an option means, and
// which command takes it, is each program's business.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gw {

struct OptionDef {
    std::string name;   // without the dashes: "timeout"
    std::string value;  // the value's name in the help ("S"); empty for a flag
    std::string help;   // one line
};

struct GivenOption {
    std::string name;
    std::string value;
};

struct ScannedArgs {
    std::vector<GivenOption> options;   // in the order given
    std::vector<std::string> operands;  // the words that are not options, in order
    std::string error;                  // what was wrong (unknown option, missing value); empty if nothing
    // The option was given at least once.
    bool Given(std::string_view name) const;
};

// args: the arguments without the program's name. "--name value" and "--name=value" both
// give a value; "-h" stands for "--help" when the defs hold "help"; "--" ends the options.
ScannedArgs ScanOptions(const std::vector<std::string>& args, const std::vector<OptionDef>& defs);

// The options' help, one line each: "  --name VALUE  help", the help texts in one column.
std::string OptionHelp(const std::vector<OptionDef>& defs);

// A number that is the whole text (no blanks, no trailing characters) and lies in
// [min, max]; nullopt otherwise (also for "nan" and "inf").
std::optional<double> ReadNumber(std::string_view text, double min, double max);
std::optional<long long> ReadInteger(std::string_view text, long long min, long long max);

}  // namespace gw
