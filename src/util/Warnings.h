// Warnings: what a reader found wrong in its input, handed back to the caller instead of
// being shown on the spot. A warning carries exactly what its message box shows (text,
// title, icon), so the window shows the same box at the same moment, the command-line
// tool prints it on one line and the fuzz targets ignore it. Deciding what is worth a
// warning is the reader's business; showing it is the caller's.
#pragma once

#include <string>
#include <vector>

#include "util/Host.h"

namespace gw {

struct Warning {
    std::string text;
    std::string title;
    MsgIcon icon = MsgIcon::Critical;
    bool operator==(const Warning&) const = default;
};

using Warnings = std::vector<Warning>;

// A reader's result together with the warnings of that reading, in the order found.
template <typename T>
struct Reading {
    T value{};
    Warnings warnings;
};

// Appends the warnings of a later reading.
void AppendWarnings(Warnings& to, const Warnings& more);

// Shows each warning as a box with an OK button, in order.
void ShowWarnings(Host& host, const Warnings& warnings);

// One line for a terminal: "[title] text", the line breaks of the text turned into blanks.
std::string WarningLine(const Warning& warning);

}  // namespace gw
