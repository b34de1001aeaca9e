#include "model/ConfigScaleFile.h"

#include <cmath>
#include <utility>

#include "link/EncodedFiles.h"
#include "util/FileSys.h"
#include "util/Numbers.h"

namespace gw {

Reading<std::optional<std::vector<std::string>>> LoadConfigScaleLines(const std::string& path, Host* events) {
    if (!FileExists(path)) return {};
    Reading<std::vector<std::string>> read = ReadConfigLines(path, events);
    return {std::move(read.value), std::move(read.warnings)};
}

std::optional<std::string> FindConfigValue(const std::vector<std::string>& lines, const std::string& key) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != key) continue;
        if (i + 1 >= lines.size()) return std::nullopt;
        return Trim(lines[i + 1]);
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> ReadConfigList(const std::vector<std::string>& lines,
                                                       const std::string& key) {
    const auto value = FindConfigValue(lines, key);
    if (!value) return std::nullopt;
    std::vector<std::string> items;
    std::size_t from = 0;
    while (items.size() < kMaxConfigListItems) {
        const std::size_t bar = value->find('|', from);
        if (bar == std::string::npos) {
            items.push_back(value->substr(from));
            break;
        }
        items.push_back(value->substr(from, bar - from));
        from = bar + 1;
    }
    return items;
}

bool IsSectionHeader(const std::string& line, const std::string& prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

std::optional<int> SectionNumber(const std::string& line, const std::string& prefix) {
    if (!IsSectionHeader(line, prefix)) return std::nullopt;
    const std::size_t close = line.find(']', prefix.size());
    if (close == std::string::npos) return std::nullopt;
    const std::size_t len = close - prefix.size();
    if (len < 1 || len > 2) return std::nullopt;
    int n = 0;
    for (std::size_t i = prefix.size(); i < close; ++i) {
        const char c = line[i];
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > kMaxSectionNumber) return std::nullopt;
    return n;
}

std::optional<double> CommaNumberValue(const std::string& text) {
    if (!IsCommaNumber(text)) return std::nullopt;
    const double v = ParseCommaNumber(text);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<double> LocaleNumberValue(const std::string& text, const NumberLocale& locale) {
    if (const auto v = locale.Parse(text)) return v;
    return CommaNumberValue(text);
}

std::optional<std::int16_t> RoundToInt16(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double r = std::nearbyint(value);   // the default rounding mode: halves to even
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int16_t> Int16Value(const std::string& text, const NumberLocale& locale) {
    const auto v = LocaleNumberValue(text, locale);
    if (!v) return std::nullopt;
    return RoundToInt16(*v);
}

std::optional<std::uint8_t> ByteValue(const std::string& text, const NumberLocale& locale) {
    const auto v = LocaleNumberValue(text, locale);
    if (!v) return std::nullopt;
    const double r = std::nearbyint(*v);
    if (r < 0.0 || r > 255.0) return std::nullopt;
    return static_cast<std::uint8_t>(r);
}

}  // namespace gw
