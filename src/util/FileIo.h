// Whole-file reading and atomic saving, and the program's own paths ("\BIN\x" joined to
// the application folder with the native separator). Every file written in place goes
// through SaveFileAtomic, so a crash never leaves half a file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace gw {

// Files larger than this are refused by the readers instead of being loaded.
constexpr std::size_t kMaxReadBytes = 256u * 1024u * 1024u;

// The file's bytes, one character per byte; nothing when it cannot be opened, is not a
// regular file or is larger than maxBytes.
std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes = kMaxReadBytes);

// Writes to a temporary file beside the target and renames it over the target. On failure
// the old file is untouched and error (when given) says why. Whenever the saving process
// stops, the target is the old file or the new one, whole; a temporary left by a save that
// was killed is removed by the next save of the same file.
bool SaveFileAtomic(const std::string& path, const std::string& bytes, std::string* error = nullptr);

// Temporaries of SaveFileAtomic end with this; whatever lists a folder passes them over.
inline constexpr const char* kSaveTemporarySuffix = ".tmp~";
bool IsSaveTemporary(const std::string& fileName);

// AppFolder followed by a path written with backslashes ("\LNG\M3.diz").
std::string AppPath(const std::string& appFolder, const std::string& relative);

}  // namespace gw
