// CommLog: the communication log "\BIN\RxTx.TXT". Rotates the previous log to
// "\BIN\RxTx_Last.TXT" when opened, writes one quoted line per entry with the clock in
// milliseconds, and puts the command's name on its own line before every request frame.
// It never fails its caller: a log that cannot be written is silently skipped.
#pragma once

#include <cstdio>
#include <string>

namespace gw {

class CommLog {
public:
    CommLog() = default;
    ~CommLog();
    CommLog(const CommLog&) = delete;
    CommLog& operator=(const CommLog&) = delete;

    // Rotates and opens the log; the first line is nowMs, " O ", firstLineText.
    bool Open(const std::string& path, const std::string& lastPath, double nowMs,
              const std::string& firstLineText);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }

    // One entry: nowMs rounded, a blank, tag, text. A request frame's hex text (starting
    // "41") gets its command name on the line before.
    void Write(double nowMs, const std::string& tag, const std::string& text);
    // One line as it is (no time, no quotes added), ended by CR LF.
    void WriteLine(const std::string& line);

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

// The protocol's name of a command code, or " XXXXXXXXXX " for a code not in the table.
std::string CommandName(int code);

}  // namespace gw
