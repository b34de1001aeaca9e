// The information window's text: program version, the ECU's and the file's firmware
// identity, the two working-time counters and the system line, in their fixed order.
// Where the values come from (link, parameter image, system) is the caller's business.
#pragma once

#include <array>
#include <string>

namespace gw {

struct AboutInfo {
    // The four labels after "[Frm_About]": ECU firmware, file firmware, the two counters.
    std::array<std::string, 4> labels;
    std::string ecuDate, ecuVersion;
    std::string fileDate, fileVersion;
    double minutes2 = 0;  // shown after the third label
    double minutes1 = 0;  // shown after the fourth label
    std::string osLine;   // "Windows version: ..." line
};

// Whole hours of a minute counter: the count rounded to an integer (half to even), then
// divided by 60 without remainder; 0 for counts that are negative or not numbers.
long WorkingHours(double minutes);

// The text, lines separated by "\n".
std::string AboutText(const AboutInfo& info);

// The four labels from the dictionary's current language (the entries after the marker),
// each with a built-in English text when the marker or the entry is missing.
class ClsLingue;
std::array<std::string, 4> AboutLabels(const ClsLingue& lingue);

}  // namespace gw
