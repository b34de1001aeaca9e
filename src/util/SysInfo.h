// The operating system's description for the information window: platform, name,
// version, service-pack text and build, and the "Windows version" line built from it.
// Which window shows the line is not this file's business.
#pragma once

#include <string>

namespace gw {

// platformId: 0 Win32s, 1 Windows 95/98/ME, 2 NT family; -1 on systems that are not Windows.
struct OsDescription { long platformId; std::string name; std::string version; std::string servicePack; long build; };

// The running system. On Windows from the version information (version "major.minor",
// build = low 16 bits, service pack up to its first NUL); elsewhere from uname: name =
// sysname, version = release, servicePack = version, build = the number after its '#'.
OsDescription GetOsDescription();                 // the running system (Linux: uname sysname/release/version)
// The Windows version table, for builds on Windows and for tests; an unknown platform gives "".
std::string WindowsName(long platformId, long major, long minor);
std::string AboutOsLine(const OsDescription& os); // "Windows version: " + name + " " + version + " build " + build + " (" + sp + ")"

}  // namespace gw
