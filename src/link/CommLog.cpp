#include "link/CommLog.h"

#include <cmath>
#include <filesystem>

#include "link/Commands.h"

namespace gw {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string CommandName(int code) {
    for (const auto& e : kCommandTable)
        if (e.code == code) return e.name;
    return kUnknownCommandName;
}

CommLog::~CommLog() { Close(); }

bool CommLog::Open(const std::string& path, const std::string& lastPath, double nowMs,
                   const std::string& firstLineText) {
    Close();
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(path, ec)) {
        // The previous run's log is kept once; a failing copy must not keep the log shut.
        // (The old copy goes first: the Windows library does not overwrite it.)
        fs::remove(lastPath, ec);
        fs::copy_file(path, lastPath, ec);
        fs::remove(path, ec);
    }
    file_ = std::fopen(path.c_str(), "ab");
    if (!file_) return false;
    path_ = path;
    Write(nowMs, " O ", firstLineText);
    return true;
}

void CommLog::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

void CommLog::Write(double nowMs, const std::string& tag, const std::string& text) {
    if (!file_) return;
    std::string out;
    if (text.size() >= 2 && text[0] == '4' && text[1] == '1') {
        // A request frame: its command's name on the line before.
        int code = -1;
        if (text.size() >= 8) {
            const int hi = HexValue(text[6]);
            const int lo = HexValue(text[7]);
            if (hi >= 0 && lo >= 0) code = hi * 16 + lo;
        }
        out += '"';
        out += CommandName(code);
        out += "\"\r\n";
    }
    const long long ms = std::isfinite(nowMs) ? std::llround(nowMs) : 0;
    out += '"';
    out += std::to_string(ms);
    out += ' ';
    out += tag;
    out += text;
    out += "\"\r\n";
    // A failing write is ignored: the log never stops the exchange.
    if (std::fwrite(out.data(), 1, out.size(), file_) == out.size()) std::fflush(file_);
}

void CommLog::WriteLine(const std::string& line) {
    if (!file_) return;
    const std::string out = line + "\r\n";
    if (std::fwrite(out.data(), 1, out.size(), file_) == out.size()) std::fflush(file_);
}

}  // namespace gw
