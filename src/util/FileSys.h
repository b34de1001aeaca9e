// File and folder tests, the application folder rule and the samples folder. Reading and
// writing files is FileIo's business, not this file's.
#pragma once

#include <string>

namespace gw {

// true when the path can be opened for reading (it is closed again); a folder is not a
// file. Never blocks (a named pipe is opened without waiting for a writer).
bool FileExists(const std::string& path);   // can be opened for reading; a folder is not a file
// true when the path exists and is a folder; any error gives false.
bool IsFolder(const std::string& path);
// true when the folder exists and this user may create files in it (a read-only mount
// or missing rights give false).
bool IsWritableFolder(const std::string& path);
// The application folder rule: the part before the last separator ('/' or '\'); text with
// fewer than two separators (a root such as "C:\" or "/bin") gives "".
std::string ParentFolder(const std::string& path);   // the application folder rule
// Creates AppFolder + "/SAMPLES" when it is not a folder; true when it is one afterwards.
bool EnsureSamplesFolder(const std::string& appFolder);   // creates AppFolder + "/SAMPLES" when missing

}  // namespace gw
