// NumberLocale: the user's number format (decimal and group separators), set by the host
// from the system locale. Used for the files and exports that follow the user's format;
// the files that always use the decimal comma go through ParseCommaNumber instead.
#pragma once

#include <optional>
#include <string>

namespace gw {

struct NumberLocale {
    char decimal = '.';
    char group = ',';

    // Parses a number as the user would type it: blanks around it, an optional sign,
    // digits with the decimal separator (group separators between digits tolerated) and
    // an optional exponent. Anything else gives no value.
    std::optional<double> Parse(const std::string& text) const;
    // Shortest text that parses back to the same value, with the decimal separator.
    std::string Format(double value) const;

    static NumberLocale Comma() { return NumberLocale{',', '.'}; }
    static NumberLocale Dot() { return NumberLocale{'.', ','}; }
};

}  // namespace gw
