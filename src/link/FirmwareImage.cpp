#include "link/FirmwareImage.h"
#include "util/Numbers.h"

#include <optional>
#include <utility>

#include "link/EncodedFiles.h"
#include "link/FirmwareIdentity.h"
#include "util/FileIo.h"
#include "util/FileSys.h"

namespace gw {

namespace {

// A layout file has at most 14 short lines; anything bigger is not one.
constexpr std::size_t kMaxFlashIniBytes = 64 * 1024;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// 1 to 8 hexadecimal digits.
std::optional<std::uint32_t> ParseHex(const std::string& s) {
    if (s.empty() || s.size() > 8) return std::nullopt;
    std::uint32_t v = 0;
    for (char c : s) {
        const int d = HexValue(c);
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    return v;
}

// "H" followed by exactly 8 hexadecimal digits.
std::optional<std::uint32_t> ParseLayoutAddress(const std::string& s) {
    if (s.size() != 9 || (s[0] != 'H' && s[0] != 'h')) return std::nullopt;
    return ParseHex(s.substr(1));
}

struct S2Record {
    std::uint32_t address = 0;
    std::string addressText;
    std::string data;
    bool checksumOk = false;
};

// "S2", count, 6 address digits, data pairs, 2 checksum digits.
std::optional<S2Record> ParseS2(const std::string& raw) {
    const std::string line = TrimLine(raw);
    if (line.size() < 12 || (line.size() - 12) % 2 != 0) return std::nullopt;
    if (line[0] != 'S' || line[1] != '2') return std::nullopt;
    unsigned sum = 0;
    std::string bytes;
    for (std::size_t i = 2; i < line.size(); i += 2) {
        const int hi = HexValue(line[i]), lo = HexValue(line[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        const auto b = static_cast<unsigned>(hi * 16 + lo);
        sum += b;
        bytes += static_cast<char>(b);
    }
    S2Record r;
    r.addressText = line.substr(4, 6);
    r.address = *ParseHex(r.addressText);
    r.data = bytes.substr(4, bytes.size() - 5);  // after count and address, before checksum
    r.checksumOk = (sum & 0xFF) == 0xFF;
    return r;
}

bool IsS2Line(const std::string& line) { return line.size() >= 2 && line[0] == 'S' && line[1] == '2'; }

// The image file's lines up to the address key; the key's address in adr when present.
// Nothing when the file is missing or cannot be read. The warnings of the reading go to
// warnings.
std::optional<std::vector<std::string>> ImageLines(const std::string& path, Host* events, Warnings& warnings,
                                                  std::optional<std::string>* adr) {
    if (!FileExists(path)) return std::nullopt;
    Reading<std::vector<std::string>> read = ReadConfigLines(path, events);
    AppendWarnings(warnings, read.warnings);
    std::vector<std::string> lines = std::move(read.value);
    if (lines.empty()) return std::nullopt;  // unreadable or too big
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (TrimLine(lines[i]) != kAdrFrmwarEcuKey) continue;
        if (adr && i + 1 < lines.size()) *adr = TrimLine(lines[i + 1]);
        lines.resize(i);
        break;
    }
    return lines;
}

}  // namespace

bool FirmwareImage::LeggiFlashIni(const std::string& path) {
    const std::optional<std::string> bytes = ReadWholeFile(path, kMaxFlashIniBytes);
    if (!bytes) {
        LastError = "flash layout missing or unreadable: " + path;
        return false;
    }
    std::array<std::array<std::int32_t, 2>, kFlashBlockRows> rows{};
    int count = 0;
    for (const std::string& raw : SplitFileLines(*bytes)) {
        const std::string line = TrimLine(raw);
        if (line.empty()) continue;
        if (count == kFlashBlockRows) {
            LastError = "flash layout with more than 14 blocks";
            return false;
        }
        const auto first = line.size() >= 9 ? ParseLayoutAddress(line.substr(0, 9)) : std::nullopt;
        const auto last = line.size() >= 9 ? ParseLayoutAddress(line.substr(line.size() - 9)) : std::nullopt;
        if (!first || !last) {
            LastError = "flash layout line not understood: " + line.substr(0, 40);
            return false;
        }
        if (*last > kMaxFlashAddress || *first > *last ||
            (count > 0 && static_cast<std::int64_t>(*first) <= rows[count - 1][1])) {
            LastError = "flash layout with blocks out of order or out of range: " + line.substr(0, 40);
            return false;
        }
        rows[count][0] = static_cast<std::int32_t>(*first);
        rows[count][1] = static_cast<std::int32_t>(*last);
        ++count;
    }
    if (count == 0) {
        LastError = "flash layout without blocks";
        return false;
    }
    BFlash = rows;
    FlashBlockCount = count;
    LargFlash = rows[count - 1][1] - rows[0][0];
    LastError.clear();
    return true;
}

bool FirmwareImage::RedimTableFlash(std::int64_t upperBound, bool preserve) {
    if (upperBound > static_cast<std::int64_t>(kMaxFlashAddress)) return false;
    const std::size_t size = upperBound < 0 ? 0 : static_cast<std::size_t>(upperBound) + 1;
    if (!preserve) TableFlash.clear();
    TableFlash.resize(size, 0xFF);
    return true;
}

bool FirmwareImage::CaricaFirmware(const std::string& path, Host* events) {
    Report = {};
    std::optional<std::string> adr;
    const auto lines = ImageLines(path, events, Report.warnings, &adr);
    if (!lines) {
        LastError = "firmware image missing or unreadable: " + path;
        return false;
    }
    if (adr) {
        Report.addressKey = ParseHex(*adr).has_value();
        if (ParseHex(*adr))
            AdrFrmwarEcu = *adr;
        else
            LastError = "identity address not understood: " + adr->substr(0, 40);
    }
    const std::int64_t base = FirstAddress();
    const std::int64_t size = static_cast<std::int64_t>(TableFlash.size());
    for (const std::string& line : *lines) {
        if (!IsS2Line(line)) continue;
        const auto rec = ParseS2(line);
        if (!rec) {
            ++Report.malformed;
            continue;
        }
        ++Report.records;
        if (!rec->checksumOk) ++Report.badChecksum;
        const std::int64_t offset = static_cast<std::int64_t>(rec->address) - base;
        for (std::size_t j = 0; j < rec->data.size(); ++j) {
            const std::int64_t at = offset + static_cast<std::int64_t>(j);
            if (at < 0 || at >= size) {
                ++Report.outsideBytes;
                continue;
            }
            TableFlash[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(rec->data[j]);
        }
    }
    return true;
}

bool ImageIsWhole(const FirmwareLoadReport& report) {
    return report.records > 0 && report.malformed == 0 && report.badChecksum == 0 && report.addressKey;
}

std::string FirmwareImage::IdentityText() const {
    const auto adr = ParseHex(AdrFrmwarEcu);
    if (!adr) return {};
    const std::int64_t at = static_cast<std::int64_t>(*adr) - FirstAddress();
    if (at < 0 || at + static_cast<std::int64_t>(kIdentityRecordBytes) > static_cast<std::int64_t>(TableFlash.size()))
        return {};
    const auto* p = TableFlash.data() + at;
    return IdentityTextFromRecord(std::string(reinterpret_cast<const char*>(p), kIdentityRecordBytes));
}

std::string FirmwareImage::Zone(std::uint32_t address) const {
    std::string z(128, static_cast<char>(0xFF));
    const std::int64_t at = static_cast<std::int64_t>(address) - FirstAddress();
    for (std::int64_t i = 0; i < 128; ++i) {
        const std::int64_t k = at + i;
        if (k >= 0 && k < static_cast<std::int64_t>(TableFlash.size()))
            z[static_cast<std::size_t>(i)] = static_cast<char>(TableFlash[static_cast<std::size_t>(k)]);
    }
    return z;
}

int FirmwareImage::BlockOf(std::uint32_t address) const {
    const auto a = static_cast<std::int64_t>(address);
    for (int r = 0; r < FlashBlockCount && r < kFlashBlockRows; ++r)
        if (a >= BFlash[r][0] && a <= BFlash[r][1]) return r;
    return -1;
}

Reading<std::vector<std::string>> IndirizziFirmware(const std::string& path, Host* events) {
    Reading<std::vector<std::string>> out;
    const auto lines = ImageLines(path, events, out.warnings, nullptr);
    if (!lines) return out;
    for (const std::string& line : *lines) {
        if (!IsS2Line(line)) continue;
        if (const auto rec = ParseS2(line)) out.value.push_back(rec->addressText);
    }
    return out;
}

}  // namespace gw
