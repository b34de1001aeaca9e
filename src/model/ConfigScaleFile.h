// The line-level syntax of "\LNG\ConfigScale.ini" shared by its readers: loading the
// lines, key lines with the value on the next line, "|"-separated value lists, type
// section headers ending in a two-digit number, and the value conversions the readers
// use. What each key means is the business of the reader that asks for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "util/Host.h"
#include "util/NumberLocale.h"
#include "util/Warnings.h"

namespace gw {

// The file's lines (plain or encoded form) and the warnings of reading it; no lines when
// the file does not exist. The host, when given, lets its events run once the file is in.
Reading<std::optional<std::vector<std::string>>> LoadConfigScaleLines(const std::string& path,
                                                                      Host* events = nullptr);

// The trimmed line after the first line equal to key (compared whole, case-sensitive);
// nothing when the key is missing or is the last line.
std::optional<std::string> FindConfigValue(const std::vector<std::string>& lines, const std::string& key);

// Most items a "|"-separated value list yields; the rest of a longer line is ignored.
constexpr std::size_t kMaxConfigListItems = 256;

// The value of key split at "|", the pieces as they stand (the configuration page and
// the expert window turn them into list entries); nothing when the key is missing.
std::optional<std::vector<std::string>> ReadConfigList(const std::vector<std::string>& lines,
                                                       const std::string& key);

// Largest section number of the type tables (the headers carry two digits).
constexpr int kMaxSectionNumber = 99;

// Section number of a type header such as "[GasLevel_03]" for prefix "[GasLevel_": the
// digits between the prefix and the closing bracket, 0 ... 99. Nothing when the line does
// not begin with the prefix, has no closing bracket, or the number is not 0 ... 99.
bool IsSectionHeader(const std::string& line, const std::string& prefix);
std::optional<int> SectionNumber(const std::string& line, const std::string& prefix);

// Value conversions. Each trims its text and gives nothing when the text is not a number
// of its kind or lies outside the type's range.
// Decimal-comma number ("0,004", "-0,5").
std::optional<double> CommaNumberValue(const std::string& text);
// Number in the user's format; text the user's format does not read but that is a
// decimal-comma number (the file's own format) is read as such.
std::optional<double> LocaleNumberValue(const std::string& text, const NumberLocale& locale);
// Whole numbers, rounded to the nearest integer (halves to even) as the ECU tools do.
std::optional<std::int16_t> Int16Value(const std::string& text, const NumberLocale& locale);
std::optional<std::uint8_t> ByteValue(const std::string& text, const NumberLocale& locale);
// A number rounded (halves to even) into the 16-bit signed range.
std::optional<std::int16_t> RoundToInt16(double value);

}  // namespace gw
