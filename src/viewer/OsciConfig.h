// OsciConfig: the viewer's settings file "\LNG\OsciConfig.ini": per channel a block of five
// lines (caption in brackets, colour tag, trace width, offset, zoom), written after every
// change of the time scale; the reader also takes "[LastPath]", "[SecDiv]" and
// "[ChannelSel]" (one value line each), which the writer leaves out. Text only: where the
// values come from and what they do is the viewer's business.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "util/NumberLocale.h"
#include "viewer/ViewSamples.h"

namespace gw::view {

struct ChannelSettings {
    std::string tag;  // the trace's colour, a 24-bit &HBBGGRR value written in decimal
    int setting = 1;  // the trace's width in pixels
    double offset = 0;  // divisions the trace is moved up
    double zoom = 1;    // divisions per unit of the channel's value
    bool operator==(const ChannelSettings&) const = default;
};

struct OsciSettings {
    std::array<ChannelSettings, kChannels> channels = DefaultChannels();
    std::optional<std::string> lastPath;
    std::optional<double> secDiv;
    std::optional<int> channelSel;
    static std::array<ChannelSettings, kChannels> DefaultChannels();
};

// A number as the print statement writes it: a blank before a non-negative one, a blank after.
std::string PrintNumber(double value, char decimal);

// The channel blocks, in channel order, lines ended by CR LF.
std::string OsciConfigText(const OsciSettings& s, const NumberLocale& locale);
// Reads into s (what the text lacks stays as it was). A block whose header matches no
// caption is ignored line by line; a value that does not convert keeps the old value.
void ParseOsciConfig(std::string_view text, const NumberLocale& locale, OsciSettings& s);

// Path wrappers: a missing file leaves s as it is; the write is atomic.
void ReadOsciConfig(const std::string& path, const NumberLocale& locale, OsciSettings& s);
bool WriteOsciConfig(const std::string& path, const OsciSettings& s, const NumberLocale& locale,
                     std::string* error = nullptr);

}  // namespace gw::view
