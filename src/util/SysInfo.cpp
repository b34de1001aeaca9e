#include "util/SysInfo.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/utsname.h>
#endif

namespace gw {

std::string WindowsName(long platformId, long major, long minor) {
    switch (platformId) {
        case 0:
            return "Win32s";
        case 1:
            if (minor == 0) return "Windows 95";
            if (minor == 90) return "Windows ME";
            return "Windows 98";
        case 2:
            if (major == 5 && minor == 0) return "Windows 2000";
            if (major == 5 && minor == 1) return "Windows XP";
            return "Windows NT";
        default:
            return "";
    }
}

std::string AboutOsLine(const OsDescription& os) {
    return "Windows version: " + os.name + " " + os.version + " build " + std::to_string(os.build) +
           " (" + os.servicePack + ")";
}

#ifdef _WIN32

OsDescription GetOsDescription() {
    OsDescription os{-1, "", "", "", 0};
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return os;
    os.platformId = static_cast<long>(info.dwPlatformId);
    os.name = WindowsName(os.platformId, static_cast<long>(info.dwMajorVersion),
                          static_cast<long>(info.dwMinorVersion));
    os.version = std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion);
    os.build = static_cast<long>(info.dwBuildNumber & 0xFFFF);
    os.servicePack.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
    return os;
}

#else

OsDescription GetOsDescription() {
    OsDescription os{-1, "", "", "", 0};
    struct utsname u {};
    if (::uname(&u) != 0) return os;
    const auto field = [](const char* s, std::size_t cap) { return std::string(s, strnlen(s, cap)); };
    os.name = field(u.sysname, sizeof u.sysname);
    os.version = field(u.release, sizeof u.release);
    os.servicePack = field(u.version, sizeof u.version);
    // The kernel's build counter: "#12 SMP ..." gives 12.
    const std::size_t hash = os.servicePack.find('#');
    if (hash != std::string::npos) {
        long n = 0;
        for (std::size_t i = hash + 1; i < os.servicePack.size(); ++i) {
            const char c = os.servicePack[i];
            if (c < '0' || c > '9') break;
            n = (n * 10 + (c - '0')) & 0xFFFF;  // the low 16 bits, as on Windows
        }
        os.build = n;
    }
    return os;
}

#endif

}  // namespace gw
