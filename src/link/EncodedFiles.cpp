#include "link/EncodedFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "util/FileIo.h"

namespace gw {

namespace {

// The whole file, or nothing when it is missing, unreadable, too big or has too many lines.
std::optional<std::string> ReadTextFile(const std::string& path) {
    std::optional<std::string> text = ReadWholeFile(path, kMaxTextFileBytes);
    if (!text) return std::nullopt;
    const auto lineEnds = static_cast<std::size_t>(std::count(text->begin(), text->end(), '\n'));
    if (lineEnds >= kMaxTextFileLines) return std::nullopt;
    return text;
}

// The first line of a file (without its line end), reading at most maxBytes.
std::optional<std::string> ReadFirstLine(const std::string& path, std::size_t maxBytes) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string head(maxBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(maxBytes));
    head.resize(static_cast<std::size_t>(in.gcount()));
    const std::size_t lf = head.find('\n');
    if (lf != std::string::npos) {
        head.resize(lf);
        if (!head.empty() && head.back() == '\r') head.pop_back();
    }
    return head;
}

bool IsHeader(const std::string& line) {
    bool ok = true;
    const std::string word = DecodeLine(line, &ok);
    return ok && word == kEncodedHeader;
}

}  // namespace

std::vector<std::string> SplitFileLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos) break;
        std::size_t end = lf;
        if (end > start && text[end - 1] == '\r') --end;
        lines.emplace_back(text, start, end - start);
        start = lf + 1;
    }
    lines.emplace_back(text, start, std::string::npos);
    return lines;
}

std::string DecodeLine(const std::string& line, bool* ok) {
    if (ok) *ok = true;
    std::string out;
    out.reserve(line.size() / 4 + 1);
    // Group k of the reversed line holds line[n-1-4k], line[n-2-4k], ... in that order.
    const std::size_t n = line.size();
    for (std::size_t pos = 0; pos < n; pos += 4) {
        const std::size_t len = std::min<std::size_t>(4, n - pos);
        unsigned value = 0;
        for (std::size_t i = 0; i < len; ++i) {
            const char c = line[n - 1 - (pos + i)];
            if (c < '0' || c > '9') {
                if (ok) *ok = false;
                return out;
            }
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
        const unsigned code = value / 2;
        if (code > 255) {
            if (ok) *ok = false;
            return out;
        }
        out.push_back(static_cast<char>(static_cast<unsigned char>(code)));
    }
    return out;
}

bool FileCodificato(const std::string& path) {
    // The header is nine groups of four digits; a longer first line cannot be one, so
    // there is no need to read past it.
    const std::optional<std::string> first = ReadFirstLine(path, 256);
    return first && IsHeader(*first);
}

Reading<std::vector<std::string>> LeggiFileCodificato(const std::string& path, Host* events) {
    Reading<std::vector<std::string>> read;
    const std::optional<std::string> text = ReadTextFile(path);
    if (!text) return read;
    if (events) events->DoEvents();
    std::vector<std::string> lines = SplitFileLines(*text);
    if (!IsHeader(lines.front())) {
        read.value = {std::string()};
        read.warnings.push_back(Warning{"HEADER WRONG ", "FileExist", MsgIcon::Information});
        return read;
    }
    read.value.reserve(lines.size() - 1);
    for (std::size_t i = 1; i < lines.size(); ++i) read.value.push_back(DecodeLine(lines[i]));
    return read;
}

std::vector<std::string> LeggiFileTesto(const std::string& path, Host* events) {
    const std::optional<std::string> text = ReadTextFile(path);
    if (!text) return {};
    if (events) events->DoEvents();
    return SplitFileLines(*text);
}

Reading<std::vector<std::string>> ReadConfigLines(const std::string& path, Host* events) {
    if (FileCodificato(path)) return LeggiFileCodificato(path, events);
    return {LeggiFileTesto(path, events), {}};
}

}  // namespace gw
