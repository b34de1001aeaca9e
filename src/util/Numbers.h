// The decimal-comma number parser and the fixed-decimals formatter used for the files
// that always carry the decimal comma and for the values shown on the pages, a blank
// trimmer and a lower-caser. The user's own number format is NumberLocale's business, not this file's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gw {

// Trims blanks and tabs; collects the digits; a "-" anywhere makes the result negative;
// the leftmost "," sets the decimals (the digits after it). Any other character, or no
// digit at all, gives 0.
double ParseCommaNumber(const std::string& text);
// true when ParseCommaNumber would read the trimmed text as a real number (not the "any other
// character gives 0" case): optional '-' , digits, commas; at least one digit.
bool IsCommaNumber(const std::string& text);
// The whole part of value x 10^decimals, padded with "0" to decimals + minIntDigits digits,
// decimalComma before the last `decimals` digits, "-" in front when negative. decimals
// below 0 count as 0 (above 20 as 20), minIntDigits below 1 as 1 (above 64 as 64). A
// product within a few parts per billion of a whole number counts as that number, so
// binary fractions do not lose a unit (0.29 with 2 decimals is "0,29"). NaN and
// infinities are formatted as 0.
std::string FormatFixed(double value, int decimals, int minIntDigits, const std::string& decimalComma = ",");
std::string Trim(const std::string& s);   // blanks and tabs both ends
// Also drops line-end characters (a CR left by a CR LF line read as LF-ended).
std::string TrimLine(const std::string& s);
// The text's lines: each ends at LF (a CR before it is dropped); the text after the last LF
// is a line when it is not empty.
std::vector<std::string> SplitLines(const std::string& text);
// The text with ASCII letters in lower case; other bytes as they are.
std::string Lower(std::string_view s);
// Nearest integer, ties to the even one; a value within a billionth (relative) of a half
// counts as the half: binary products of decimal ties land just beside it. NaN and
// infinities are returned as they are.
double NearestEven(double p);

}  // namespace gw
