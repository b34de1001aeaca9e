// ViewLog: reading communication logs and view files into samples, and the files the
// viewer writes from them. The log's constants come from its head; the samples from the
// complete live-value answers ("R" lines of command 0C that pass the frame check), one
// window of the file at a time; compaction keeps the last line of every run of equal tags.
// Pure functions on text, plus thin path wrappers; every file is written atomically.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "util/NumberLocale.h"
#include "viewer/ViewSamples.h"

namespace gw::view {

// Characters of the log's head searched for "[K_gm]" and "[K_Lambda]".
inline constexpr std::size_t kConstantsHeadChars = 1000;
// Characters of the file loaded at a time ("<<" and ">>" move by this much).
inline constexpr std::uint64_t kWindowChars = 3'000'000;
// A live-value answer line is at least this long; its frame text longer than kMinFrameText.
inline constexpr std::size_t kMinAnswerLine = 183;
inline constexpr std::size_t kMinFrameText = 182;
// No log line is longer than this (a frame is at most 255 bytes, 510 digits): longer runs of
// text without a line end are garbage, read past without being kept.
inline constexpr std::size_t kMaxLogLine = 64 * 1024;

// Defaults first, then the head's "[K_gm]" and "[K_Lambda]" lines (quoted or not), each
// taking the next line as a number in the locale's format; a line that begins at or past
// kConstantsHeadChars is not looked at, a value that is no number keeps the default.
LogConstants ParseLogConstants(std::string_view text, const NumberLocale& locale);
// The same from a file; a missing file gives the defaults; nothing when it cannot be read
// (error says why).
std::optional<LogConstants> ReadLogConstants(const std::string& path, const NumberLocale& locale,
                                             std::string* error = nullptr);

// Called with the fraction done (0-1) now and then; returning false cancels the reading.
using Progress = std::function<bool(double fraction)>;

// The samples of a piece of log text: every line (LF-ended, a CR before it dropped) of at
// least kMinAnswerLine characters whose second blank-separated part is "R" and whose frame
// text has "0C" at characters 7-8, is longer than kMinFrameText - 1, passes the frame check
// (all bytes XOR to 0) and follows a whole-number time stamp. Appends to out; false when
// cancelled (out then holds what was read so far).
bool ParseLogSamples(std::string_view text, std::vector<RawSample>& out, const Progress& progress = {});

// One window of a file. A window holds the lines that begin inside it: a line cut by the
// window's start belongs to the window before, a line cut by its end is read to its end.
struct LogWindow {
    SampleSet set;
    std::uint64_t fileSize = 0;
    std::uint64_t offset = 0;  // where the window starts (0: the file's first character)
    bool missing = false;      // no such file: no samples
    bool cancelled = false;
    std::string error;         // the file exists but could not be read
    bool CanPrev(std::uint64_t window = kWindowChars) const { return offset >= window; }
    bool CanNext(std::uint64_t window = kWindowChars) const { return offset + window < fileSize; }
};

// Reads the constants and the samples of the window [offset, offset + window) of the file;
// window 0 reads the whole file. An offset past the end reads the file's last window.
LogWindow LoadLogWindow(const std::string& path, std::uint64_t offset, std::uint64_t window,
                        const NumberLocale& locale, const Progress& progress = {});

// Compaction: of every run of consecutive lines with the same tag (second blank-separated
// part) only the last is kept; lines without a blank are kept; empty lines go. Lines end in
// CR LF.
std::string CleanLogText(std::string_view text);
// Compacts the file in place (atomically); false and error when it cannot be read or written.
bool CleanLogRxTx(const std::string& path, std::string* error = nullptr);

// The save scan: a request line (tag "T", frame text beginning "4102") makes the text a raw
// log; a line whose second and fourth parts are "|" ends the scan as already clean.
bool IsRawLog(std::string_view text);

// Save view: the source copied to the target, compacted when it is a raw log, in one
// atomic write (a failure leaves an earlier target whole).
bool SaveView(const std::string& sourcePath, const std::string& targetPath, std::string* error = nullptr);

// A number in the general format: up to 15 significant digits, the decimal separator given.
std::string GeneralNumber(double value, char decimal);

// The formatted view file (*.vflf): per sample with a successor TimeMs|InjTimeBnz[0]|
// InjTimeGas[0]|Vacuum|Pressure|LambdaV x 1000|Rpm|TempGas|TempReducer|rate of change of
// InjTimeGas[0] per ms, numbers in the locale's general format; the last sample (and one
// whose successor has the same time) is written without the rate.
std::string ExportVflfText(const SampleSet& set, const SampleScales& scales, const NumberLocale& locale);
// CSV (RFC 4180): a header row with the channels and their units, one row per sample, dot
// decimals whatever the locale; the two time channels of the injector given (0-7).
std::string ExportCsvText(const SampleSet& set, const SampleScales& scales, int injector = 0);

bool SaveExport(const std::string& path, const std::string& text, std::string* error = nullptr);

// AppFolder & "\SAMPLES", created when it is not a folder; false when it cannot be.
bool EnsureSamplesFolder(const std::string& appFolder, std::string* error = nullptr);

}  // namespace gw::view
