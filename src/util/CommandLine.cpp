#include "util/CommandLine.h"

#include <getopt.h>

#include <charconv>
#include <cmath>

namespace gw {

namespace {

constexpr int kFirstCode = 256;  // above every short option's character

// The option's name as written ("--tim=3" gives "tim").
std::string WrittenName(const std::string& arg) {
    std::string name = arg.rfind("--", 0) == 0 ? arg.substr(2) : arg;
    return name.substr(0, name.find('='));
}

std::string ScanError(const std::string& arg, int shortOption, const std::vector<OptionDef>& defs) {
    if (arg.rfind("--", 0) != 0) return "unknown option: -" + std::string(1, static_cast<char>(shortOption));
    const std::string name = WrittenName(arg);
    int matches = 0;
    for (const auto& s : defs) {
        if (s.name == name) return "--" + name + " takes no value";
        if (s.name.rfind(name, 0) == 0) ++matches;
    }
    return (matches > 1 ? "ambiguous option: " : "unknown option: ") + arg;
}

}  // namespace

bool ScannedArgs::Given(std::string_view name) const {
    for (const auto& o : options)
        if (o.name == name) return true;
    return false;
}

ScannedArgs ScanOptions(const std::vector<std::string>& args, const std::vector<OptionDef>& defs) {
    ScannedArgs out;
    std::vector<option> table;
    bool hasHelp = false;
    // Each option returns its own code (its index past kFirstCode): options sharing a
    // prefix then make an abbreviation ambiguous instead of picking the first of them.
    for (std::size_t i = 0; i < defs.size(); ++i) {
        table.push_back(option{defs[i].name.c_str(), defs[i].value.empty() ? no_argument : required_argument,
                               nullptr, kFirstCode + static_cast<int>(i)});
        hasHelp = hasHelp || defs[i].name == "help";
    }
    table.push_back(option{nullptr, 0, nullptr, 0});
    // getopt_long reorders its argv: it gets copies. "-" returns operands in place, ":"
    // reports a missing value apart from an unknown option.
    std::vector<std::string> words;
    words.reserve(args.size() + 1);
    words.push_back("program");
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const std::string shortOptions = hasHelp ? "-:h" : "-:";

    optind = 0;  // full re-initialisation of the scanner
    opterr = 0;
    const int argc = static_cast<int>(words.size());
    for (;;) {
        const int c = getopt_long(argc, argv.data(), shortOptions.c_str(), table.data(), nullptr);
        if (c == -1) break;
        if (c == 1) {
            out.operands.emplace_back(optarg);
        } else if (c == 'h') {
            out.options.push_back(GivenOption{"help", ""});
        } else if (c >= kFirstCode && c < kFirstCode + static_cast<int>(defs.size())) {
            out.options.push_back(GivenOption{defs[static_cast<std::size_t>(c - kFirstCode)].name, optarg ? optarg : ""});
        } else if (c == ':') {
            const std::string arg = argv[optind - 1];
            // "--flag=1": some scanners call a value given to a flag a missing value.
            out.error = arg.find('=') != std::string::npos ? ScanError(arg, optopt, defs)
                                                           : "--" + WrittenName(arg) + " needs a value";
            return out;
        } else {
            out.error = ScanError(optind >= 1 && optind <= argc ? argv[optind - 1] : "", optopt, defs);
            return out;
        }
    }
    for (int i = optind; i < argc; ++i) out.operands.emplace_back(argv[i]);
    return out;
}

std::string OptionHelp(const std::vector<OptionDef>& defs) {
    std::size_t width = 0;
    auto left = [](const OptionDef& s) { return "--" + s.name + (s.value.empty() ? "" : " " + s.value); };
    for (const auto& s : defs) width = std::max(width, left(s).size());
    std::string text;
    for (const auto& s : defs) {
        std::string l = left(s);
        l.resize(width, ' ');
        text += "  " + l + "  " + s.help + "\n";
    }
    return text;
}

std::optional<double> ReadNumber(std::string_view text, double min, double max) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    if (!(v >= min && v <= max)) return std::nullopt;
    return v;
}

std::optional<long long> ReadInteger(std::string_view text, long long min, long long max) {
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (v < min || v > max) return std::nullopt;
    return v;
}

}  // namespace gw
