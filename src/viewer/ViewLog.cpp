#include "viewer/ViewLog.h"

#include <cerrno>
#include <cmath>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>


#include "util/FileIo.h"

namespace gw::view {

namespace {

struct HexTable {
    signed char v[256];
    constexpr HexTable() : v() {
        for (int i = 0; i < 256; ++i) v[i] = -1;
        for (int i = 0; i < 10; ++i) v['0' + i] = static_cast<signed char>(i);
        for (int i = 0; i < 6; ++i) {
            v['A' + i] = static_cast<signed char>(10 + i);
            v['a' + i] = static_cast<signed char>(10 + i);
        }
    }
};
constexpr HexTable kHex;

// The line without a CR before its end and without the quotes around it.
std::string_view Unquoted(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"') line = line.substr(1, line.size() - 2);
    return line;
}

// One log line (without its line end): a sample when it is a complete live-value answer.
bool ParseAnswerLine(const char* p, std::size_t len, RawSample& out) {
    const char* end = p + len;
    const char* b1 = static_cast<const char*>(std::memchr(p, ' ', len));
    if (!b1) return false;
    const char* tag = b1 + 1;
    const char* b2 = static_cast<const char*>(std::memchr(tag, ' ', static_cast<std::size_t>(end - tag)));
    if (!b2 || b2 - tag != 1 || *tag != 'R') return false;
    const char* frame = b2 + 1;
    const std::size_t frameLen = static_cast<std::size_t>(end - frame);
    if (frameLen < kMinFrameText || frame[6] != '0' || frame[7] != 'C') return false;
    const std::size_t hexLen = frameLen - 1;  // the closing quote goes
    if (hexLen % 2 != 0) return false;
    const std::size_t bytes = hexLen / 2;
    unsigned x = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        const int hi = kHex.v[static_cast<unsigned char>(frame[2 * i])];
        const int lo = kHex.v[static_cast<unsigned char>(frame[2 * i + 1])];
        if ((hi | lo) < 0) return false;
        const unsigned b = static_cast<unsigned>(hi << 4 | lo);
        x ^= b;
        if (i >= 5 && i < 5 + kSampleDataBytes) out.data[i - 5] = static_cast<std::uint8_t>(b);
    }
    if (x != 0) return false;
    // The time stamp without its opening quote, a number to its end.
    const char* t = p;
    if (t < b1 && *t == '"') ++t;
    if (t == b1) return false;
    double ms = 0;
    const auto r = std::from_chars(t, b1, ms);
    if (r.ec != std::errc() || r.ptr != b1) return false;
    out.timeMs = ms;
    return true;
}

}  // namespace

LogConstants ParseLogConstants(std::string_view text, const NumberLocale& locale) {
    LogConstants k;
    std::size_t pos = 0;
    double* pending = nullptr;  // the constant the next line is the value of
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        const std::size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
        const std::string_view line = Unquoted(text.substr(pos, next - pos));
        if (pending) {
            if (const auto v = locale.Parse(std::string(line))) *pending = *v;
            pending = nullptr;
        } else if (pos >= kConstantsHeadChars) {
            break;
        } else if (line == "[K_gm]") {
            pending = &k.K_gm;
        } else if (line == "[K_Lambda]") {
            pending = &k.K_Lambda;
        }
        pos = next;
    }
    return k;
}

std::optional<LogConstants> ReadLogConstants(const std::string& path, const NumberLocale& locale, std::string* error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return LogConstants{};
    const auto head = ReadWholeFile(path);
    if (!head) {
        if (error) *error = "cannot read " + path;
        return std::nullopt;
    }
    return ParseLogConstants(*head, locale);
}

bool ParseLogSamples(std::string_view text, std::vector<RawSample>& out, const Progress& progress) {
    constexpr std::size_t kProgressStep = 4u << 20;
    const char* const begin = text.data();
    const char* p = begin;
    const char* const end = begin + text.size();
    const char* nextReport = p + kProgressStep;
    RawSample s;
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* lineEnd = nl ? nl : end;
        std::size_t len = static_cast<std::size_t>(lineEnd - p);
        if (len && p[len - 1] == '\r') --len;
        if (len >= kMinAnswerLine && ParseAnswerLine(p, len, s)) out.push_back(s);
        p = nl ? nl + 1 : end;
        if (progress && p >= nextReport) {
            nextReport = p + kProgressStep;
            if (!progress(static_cast<double>(p - begin) / static_cast<double>(text.size()))) return false;
        }
    }
    if (progress) progress(1.0);
    return true;
}

namespace {

// A file read at chosen offsets, in large pieces.
class FileAt {
public:
    explicit FileAt(const std::string& path) : in_(std::filesystem::path(path), std::ios::binary) {}
    bool IsOpen() const { return in_.is_open(); }
    // Up to n bytes at off; fewer only at the end of the file or on an error.
    std::size_t Read(std::uint64_t off, char* buf, std::size_t n) {
        in_.clear();
        if (!in_.seekg(static_cast<std::streamoff>(off))) return 0;
        in_.read(buf, static_cast<std::streamsize>(n));
        return static_cast<std::size_t>(in_.gcount());
    }

private:
    std::ifstream in_;
};

// The offset just after the first LF at or after off (size when there is none). The search
// gives up after kMaxLogLine characters and returns off: text that long without a line end
// is no log line, and a window never grows by more than that.
std::uint64_t AfterNextLf(FileAt& file, std::uint64_t off, std::uint64_t size) {
    char buf[65536];
    const std::uint64_t start = off;
    while (off < size) {
        if (off - start >= kMaxLogLine) return start;
        const std::size_t n = file.Read(off, buf, sizeof buf);
        if (n == 0) return size;
        if (const void* nl = std::memchr(buf, '\n', n)) return off + static_cast<std::uint64_t>(static_cast<const char*>(nl) - buf) + 1;
        off += n;
    }
    return size;
}

}  // namespace

LogWindow LoadLogWindow(const std::string& path, std::uint64_t offset, std::uint64_t window,
                        const NumberLocale& locale, const Progress& progress) {
    LogWindow w;
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(std::filesystem::path(path), ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        w.missing = true;
        return w;
    }
    const std::uint64_t size = std::filesystem::is_regular_file(status)
                                   ? std::filesystem::file_size(std::filesystem::path(path), ec)
                                   : 0;
    if (!std::filesystem::is_regular_file(status) || ec) {
        w.error = path + ": not a file that can be read";
        return w;
    }
    errno = 0;
    FileAt file(path);
    if (!file.IsOpen()) {
        w.error = path + ": " + std::strerror(errno ? errno : EACCES);
        return w;
    }
    w.fileSize = size;
    if (size == 0) return w;

    // The head's constants (a value line may run a little past the head).
    {
        std::string head(std::min<std::uint64_t>(size, kConstantsHeadChars + 4096), '\0');
        head.resize(file.Read(0, head.data(), head.size()));
        w.set.constants = ParseLogConstants(head, locale);
    }

    if (window == 0) offset = 0;
    if (offset >= size) offset = window ? ((size - 1) / window) * window : 0;
    w.offset = offset;
    auto byteBefore = [&](std::uint64_t at) {
        char c = 0;
        file.Read(at - 1, &c, 1);
        return c;
    };
    std::uint64_t from = offset;
    std::uint64_t to = window == 0 ? size : std::min<std::uint64_t>(size, offset + window);
    // A line cut by the window's end is read to its end ...
    if (to < size && byteBefore(to) != '\n') to = AfterNextLf(file, to, size);
    // ... and one cut by its start belongs to the window before.
    if (from > 0 && byteBefore(from) != '\n') from = std::min(to, AfterNextLf(file, from, size));
    // Room for the most samples the text can hold, so the array never moves: pages never
    // written are never resident.
    w.set.samples.reserve(static_cast<std::size_t>((to - from) / (kMinAnswerLine + 2) + 1));

    // Large reads of whole lines into one buffer; a line running past a read is carried over.
    constexpr std::size_t kChunk = 16u << 20;
    std::string buf;
    std::uint64_t at = from;
    const double total = static_cast<double>(to - from);
    while (at < to && !w.cancelled) {
        const std::size_t carry = buf.size();
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, to - at));
        buf.resize(carry + want);
        const std::size_t got = file.Read(at, buf.data() + carry, want);
        buf.resize(carry + got);
        if (got == 0) {
            w.error = path + ": " + std::strerror(errno ? errno : EIO);
            break;
        }
        at += got;
        std::size_t use = buf.size();
        if (at < to) {
            const std::size_t nl = buf.rfind('\n');
            if (nl == std::string::npos) {
                // One very long line: read on, but text that long without a line end is no
                // log line and is not kept (the buffer never grows past a chunk and a line).
                if (buf.size() > kMaxLogLine) buf.erase(0, buf.size() - kMaxLogLine);
                continue;
            }
            use = nl + 1;
        }
        const double before = static_cast<double>(at - from) - static_cast<double>(buf.size());
        const Progress part = progress ? Progress([&](double f) {
            return progress((before + f * static_cast<double>(use)) / total);
        })
                                       : Progress();
        w.cancelled = !ParseLogSamples(std::string_view(buf.data(), use), w.set.samples, part);
        buf.erase(0, use);
    }
    if (w.cancelled || !w.error.empty()) w.set.samples.clear();
    return w;
}

namespace {

// The lines of a text split at LF, a CR before each LF dropped.
template <typename F>
void ForEachLine(std::string_view text, F&& f) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        const std::size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
        std::string_view line = text.substr(pos, (nl == std::string_view::npos ? text.size() : nl) - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!f(line)) return;
        pos = next;
    }
}

// The n-th (0-based) blank-separated part, or nothing when the line has fewer parts.
std::optional<std::string_view> Part(std::string_view line, std::size_t n, std::size_t maxParts = 0) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t b = line.find(' ', start);
        if (b == std::string_view::npos) return std::nullopt;
        start = b + 1;
    }
    std::size_t stop = line.find(' ', start);
    if (maxParts && n + 1 == maxParts) stop = std::string_view::npos;  // the last part takes the rest
    return line.substr(start, stop == std::string_view::npos ? std::string_view::npos : stop - start);
}

}  // namespace

std::string CleanLogText(std::string_view text) {
    std::vector<std::string_view> lines;
    ForEachLine(text, [&](std::string_view l) {
        lines.push_back(l);
        return true;
    });
    std::string out;
    out.reserve(text.size());
    for (std::size_t k = 0; k < lines.size(); ++k) {
        if (lines[k].empty()) continue;
        if (k + 1 < lines.size()) {
            const auto a = Part(lines[k], 1);
            const auto b = Part(lines[k + 1], 1);
            if (a && b && *a == *b) continue;
        }
        out.append(lines[k]);
        out += "\r\n";
    }
    return out;
}

bool CleanLogRxTx(const std::string& path, std::string* error) {
    const auto text = ReadWholeFile(path, static_cast<std::size_t>(-1));
    if (!text) {
        if (error) *error = "cannot read " + path;
        return false;
    }
    return SaveFileAtomic(path, CleanLogText(*text), error);
}

bool IsRawLog(std::string_view text) {
    bool raw = false;
    ForEachLine(text, [&](std::string_view line) {
        if (line.empty()) return true;
        const auto p2 = Part(line, 1, 7);
        const auto p3 = Part(line, 2, 7);
        if (!p2 || !p3 || p2->empty() || p3->empty()) return true;
        if (*p2 == "T" && p3->substr(0, 4) == "4102") raw = true;
        const auto p4 = Part(line, 3, 7);
        if (*p2 == "|" && p4 && *p4 == "|") return false;
        return true;
    });
    return raw;
}

bool SaveView(const std::string& sourcePath, const std::string& targetPath, std::string* error) {
    const auto text = ReadWholeFile(sourcePath, static_cast<std::size_t>(-1));
    if (!text) {
        if (error) *error = "cannot read " + sourcePath;
        return false;
    }
    return SaveFileAtomic(targetPath, IsRawLog(*text) ? CleanLogText(*text) : *text, error);
}

std::string GeneralNumber(double value, char decimal) {
    if (value == 0 || !std::isfinite(value)) return "0";
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == '.') c = decimal;
    return s;
}

std::string ExportVflfText(const SampleSet& set, const SampleScales& scales, const NumberLocale& locale) {
    const char d = locale.decimal;
    std::string out;
    out.reserve(set.samples.size() * 64);
    const auto& s = set.samples;
    SampleRecord cur;
    if (!s.empty()) cur = DecodeSample(s[0], set.constants, scales);
    for (std::size_t k = 0; k < s.size(); ++k) {
        out += GeneralNumber(cur.TimeMs, d);
        for (double v : {cur.InjTimeBnz[0], cur.InjTimeGas[0], cur.Vacuum, cur.Pressure, cur.LambdaV * 1000,
                         static_cast<double>(cur.Rpm), static_cast<double>(cur.TempGas),
                         static_cast<double>(cur.TempReducer)}) {
            out += '|';
            out += GeneralNumber(v, d);
        }
        if (k + 1 < s.size()) {
            const SampleRecord next = DecodeSample(s[k + 1], set.constants, scales);
            const double dt = next.TimeMs - cur.TimeMs;
            if (dt != 0) {
                out += '|';
                out += GeneralNumber((next.InjTimeGas[0] - cur.InjTimeGas[0]) / dt, d);
            }
            cur = next;
        }
        out += "\r\n";
    }
    return out;
}

std::string ExportCsvText(const SampleSet& set, const SampleScales& scales, int injector) {
    std::string out = "Time (ms)";
    for (int c = 0; c < kChannels; ++c) {
        out += ',';
        out += kChannelCaptions[static_cast<std::size_t>(c)];
        out += " (";
        out += kChannelUnits[static_cast<std::size_t>(c)];
        out += ')';
    }
    out += "\r\n";
    out.reserve(out.size() + set.samples.size() * 64);
    for (const RawSample& raw : set.samples) {
        const SampleRecord r = DecodeSample(raw, set.constants, scales);
        out += GeneralNumber(r.TimeMs, '.');
        for (int c = 0; c < kChannels; ++c) {
            out += ',';
            out += GeneralNumber(ChannelValue(r, c, injector), '.');
        }
        out += "\r\n";
    }
    return out;
}

bool SaveExport(const std::string& path, const std::string& text, std::string* error) {
    return SaveFileAtomic(path, text, error);
}

bool EnsureSamplesFolder(const std::string& appFolder, std::string* error) {
    const std::string dir = AppPath(appFolder, "\\SAMPLES");
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec)) return true;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir)) {
        if (error) *error = "cannot create " + dir + (ec ? ": " + ec.message() : "");
        return false;
    }
    return true;
}

}  // namespace gw::view
