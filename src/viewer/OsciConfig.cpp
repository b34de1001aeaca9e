#include "viewer/OsciConfig.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "util/FileIo.h"
#include "util/Numbers.h"
#include "viewer/ViewLog.h"

namespace gw::view {

std::array<ChannelSettings, kChannels> OsciSettings::DefaultChannels() {
    // Colours &HBBGGRR; zooms so that a running engine's values fill a few of 8 divisions.
    return {{
        {"65280", 2, 0, 0.5},      // T Inj Gas: green, 2 ms a division
        {"255", 2, 0, 0.5},        // T Inj Benz: red
        {"16776960", 1, 0, 0.005}, // Vacuum: cyan, 200 mbar a division
        {"16711935", 1, 0, 0.005}, // Press: magenta
        {"65535", 1, 1, 4},        // Lambda: yellow, 0.25 V a division
        {"16777215", 1, 0, 0.001}, // Rpm: white, 1000 rpm a division
        {"33023", 1, 0, 0.05},     // Temp Inj: orange, 20 degrees a division
        {"16744576", 1, 0, 0.05},  // Temp Gas: light blue
    }};
}

std::string PrintNumber(double value, char decimal) {
    return (value >= 0 ? " " : "") + GeneralNumber(value, decimal) + " ";
}

std::string OsciConfigText(const OsciSettings& s, const NumberLocale& locale) {
    std::string out;
    for (std::size_t i = 0; i < kChannels; ++i) {
        const ChannelSettings& c = s.channels[i];
        out += std::string("[") + kChannelCaptions[i] + "]\r\n";
        out += c.tag + "\r\n";
        out += PrintNumber(c.setting, locale.decimal) + "\r\n";
        out += PrintNumber(c.offset, locale.decimal) + "\r\n";
        out += PrintNumber(c.zoom, locale.decimal) + "\r\n";
    }
    return out;
}

namespace {

std::optional<int> IntegerValue(const std::string& text, const NumberLocale& locale) {
    const auto v = locale.Parse(text);
    if (!v || *v < -32768 || *v > 32767) return std::nullopt;
    return static_cast<int>(std::nearbyint(*v));
}

}  // namespace

void ParseOsciConfig(std::string_view text, const NumberLocale& locale, OsciSettings& s) {
    const std::vector<std::string> lines = SplitLines(std::string(text));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string line = TrimLine(lines[i]);
        auto next = [&]() -> std::optional<std::string> {
            if (i + 1 >= lines.size()) return std::nullopt;
            return TrimLine(lines[++i]);
        };
        if (line == "[LastPath]") {
            if (auto v = next()) s.lastPath = *v;
        } else if (line == "[SecDiv]") {
            if (auto v = next())
                if (auto d = locale.Parse(*v)) s.secDiv = *d;
        } else if (line == "[ChannelSel]") {
            if (auto v = next())
                if (auto n = IntegerValue(*v, locale)) s.channelSel = *n;
        } else if (!line.empty()) {
            for (std::size_t c = 0; c < kChannels; ++c) {
                if (line != std::string("[") + kChannelCaptions[c] + "]") continue;
                ChannelSettings& ch = s.channels[c];
                if (auto v = next()) ch.tag = *v;
                if (auto v = next())
                    if (auto n = IntegerValue(*v, locale)) ch.setting = *n;
                if (auto v = next())
                    if (auto d = locale.Parse(*v)) ch.offset = *d;
                if (auto v = next())
                    if (auto d = locale.Parse(*v)) ch.zoom = *d;
                break;
            }
        }
    }
}

void ReadOsciConfig(const std::string& path, const NumberLocale& locale, OsciSettings& s) {
    if (const auto text = ReadWholeFile(path, 1u << 20)) ParseOsciConfig(*text, locale, s);
}

bool WriteOsciConfig(const std::string& path, const OsciSettings& s, const NumberLocale& locale, std::string* error) {
    return SaveFileAtomic(path, OsciConfigText(s, locale), error);
}

}  // namespace gw::view
