// Readers for the program's own text files that may be stored plain or in the maker's
// encoded form (the firmware image, the scale and type configuration): the test for the
// encoded form, the decoder and the plain reader. They return lines; what the lines mean
// is the caller's business, and so is showing the warnings they return. Producing encoded
// files is not done here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "util/Host.h"
#include "util/Warnings.h"

namespace gw {

// Largest file these readers accept, and most lines; bigger files read as empty.
constexpr std::size_t kMaxTextFileBytes = 64u * 1024u * 1024u;
constexpr std::size_t kMaxTextFileLines = 4u * 1024u * 1024u;

// The word the header line of an encoded file decodes to.
inline constexpr const char* kEncodedHeader = "BASILISCO";

// Splits file text into lines. A CR LF pair ends a line; a lone LF does too (files edited
// on other systems), a lone CR does not. The last element is what follows the last line
// end (empty when the text ends with one), so "" gives one empty line.
std::vector<std::string> SplitFileLines(const std::string& text);

// One encoded line -> plain: reversed, cut into groups of four digits from the start, each
// group twice a character code. Decoding stops at the first group that is not all digits
// or whose half exceeds 255; ok (when given) then becomes false and the characters decoded
// so far are returned. A short last group is decoded like the others.
std::string DecodeLine(const std::string& line, bool* ok = nullptr);

// True when the file exists and its first line decodes to the header word.
bool FileCodificato(const std::string& path);

// The readers below take the host only to let its events run once the file is loaded (a
// big file must not freeze the window); without one they touch nothing but the file.

// The decoded lines after the header, in file order. A header that does not decode to the
// header word gives one empty line and the warning "HEADER WRONG " (title "FileExist",
// information icon). A missing, unreadable or oversized file gives no lines.
Reading<std::vector<std::string>> LeggiFileCodificato(const std::string& path, Host* events = nullptr);

// The file's lines as they are. A missing, unreadable or oversized file gives no lines.
std::vector<std::string> LeggiFileTesto(const std::string& path, Host* events = nullptr);

// The order every reader uses: FileCodificato ? LeggiFileCodificato : LeggiFileTesto.
// A missing file gives no lines.
Reading<std::vector<std::string>> ReadConfigLines(const std::string& path, Host* events = nullptr);

}  // namespace gw
