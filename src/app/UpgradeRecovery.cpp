#include "app/UpgradeRecovery.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "util/FileIo.h"
#include "util/HexText.h"
#include "util/Numbers.h"

namespace gw {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kMemoOffset = 5;  // data bytes of the answer frame
constexpr std::size_t kMemoBytes = 16;

std::string MemoData(const std::string& frame) {
    if (frame.size() <= kMemoOffset + 1) return {};
    return frame.substr(kMemoOffset, std::min(kMemoBytes, frame.size() - kMemoOffset - 1));
}

std::string Clean(const std::string& s) {
    std::string out;
    for (char c : s)
        if (std::isalnum(static_cast<unsigned char>(c))) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out.empty() ? "ECU" : out;
}

bool IsHex(const std::string& s) {
    if (s.size() % 2 != 0) return false;
    return std::all_of(s.begin(), s.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

bool TestMemoNamesEcu(const std::string& testDateFrame) {
    const std::string d = MemoData(testDateFrame);
    if (d.size() < kMemoBytes) return false;
    const bool zeros = std::all_of(d.begin(), d.end(), [](char c) { return c == '\0'; });
    const bool erased = std::all_of(d.begin(), d.end(), [](char c) { return static_cast<unsigned char>(c) == 0xFF; });
    return !zeros && !erased;
}

std::string RecoveryRelativePath(const std::string& projectCode, const std::string& testDateFrame) {
    const std::string serial = TestMemoNamesEcu(testDateFrame) ? BytesToHex(MemoData(testDateFrame)) : "NOSERIAL";
    return std::string("\\BIN\\") + kRecoveryPrefix + Clean(projectCode) + "_" + serial + kRecoveryExtension;
}

std::string RecoveryText(const UpgradeRecovery& r) {
    std::string out;
    auto line = [&out](const std::string& s) { out += s + kCrLf; };
    line("[ECU]");
    line(BytesToHex(r.ecuIdentity));
    line("[BLK2]");
    line(r.block2Hex);
    line("[BLK3]");
    line(r.block3Hex);
    line("[BLK5]");
    line(r.block5 ? r.block5Hex : std::string("-"));
    line("[COR]");
    for (double v : r.corTable) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v);  // the C locale: exact and locale-free
        line(buf);
    }
    line("[DCOL]");
    line(BytesToHex(r.testDateFrame));
    line("[END]");
    return out;
}

std::optional<UpgradeRecovery> ParseRecovery(const std::string& text) {
    const std::vector<std::string> lines = SplitLines(text);
    auto after = [&lines](const char* key) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i + 1 < lines.size(); ++i)
            if (lines[i] == key) return i + 1;
        return std::nullopt;
    };
    UpgradeRecovery r;
    const auto ecu = after("[ECU]"), b2 = after("[BLK2]"), b3 = after("[BLK3]"), b5 = after("[BLK5]"),
               cor = after("[COR]"), dcol = after("[DCOL]");
    // A file cut short (it never is: it is written whole) is not trusted at all.
    const bool whole = !lines.empty() && lines.back() == "[END]";
    if (!ecu || !b2 || !b3 || !b5 || !cor || !dcol || !whole) return std::nullopt;
    if (!IsHex(lines[*ecu]) || !IsHex(lines[*b2]) || !IsHex(lines[*b3]) || !IsHex(lines[*dcol])) return std::nullopt;
    if (lines[*b2].empty() || lines[*b3].empty()) return std::nullopt;
    r.ecuIdentity = HexToBytes(lines[*ecu]);
    r.block2Hex = lines[*b2];
    r.block3Hex = lines[*b3];
    r.block5 = lines[*b5] != "-";
    if (r.block5) {
        if (!IsHex(lines[*b5]) || lines[*b5].empty()) return std::nullopt;
        r.block5Hex = lines[*b5];
    }
    if (*cor + r.corTable.size() > lines.size()) return std::nullopt;
    for (std::size_t i = 0; i < r.corTable.size(); ++i) {
        const std::string& s = lines[*cor + i];
        char* end = nullptr;
        const double v = std::strtod(s.c_str(), &end);
        if (s.empty() || end == s.c_str() || *end != '\0') return std::nullopt;
        r.corTable[i] = v;
    }
    r.testDateFrame = HexToBytes(lines[*dcol]);
    return r;
}

bool SaveRecovery(const std::string& path, const UpgradeRecovery& r, std::string* error) {
    return SaveFileAtomic(path, RecoveryText(r), error);
}

std::optional<UpgradeRecovery> LoadRecovery(const std::string& path) {
    const auto text = ReadWholeFile(path, 64 * 1024);
    if (!text) return std::nullopt;
    return ParseRecovery(*text);
}

std::vector<std::string> RecoveryFiles(const std::string& appFolder) {
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    std::error_code ec;
    const fs::path bin = fs::path(AppPath(appFolder, "\\BIN\\x")).parent_path();
    for (fs::directory_iterator it(bin, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind(kRecoveryPrefix, 0) == 0 && name.size() > 4 &&
            name.compare(name.size() - 4, 4, kRecoveryExtension) == 0 && it->is_regular_file(ec))
            out.push_back(it->path().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace gw
