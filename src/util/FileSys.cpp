#include "util/FileSys.h"

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "util/FileIo.h"

namespace gw {

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
#ifdef _WIN32
    const std::wstring wide = std::filesystem::path(path).wstring();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
#endif
}

bool IsFolder(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

bool IsWritableFolder(const std::string& path) {
    if (!IsFolder(path)) return false;
#ifdef _WIN32
    // Folder rights are not what access() tells on Windows: try a file.
    const std::wstring probe = (std::filesystem::path(path) / L".write-probe~").wstring();
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(h);
    return true;
#else
    return ::access(path.c_str(), W_OK) == 0;
#endif
}

std::string ParentFolder(const std::string& path) {
    const std::size_t last = path.find_last_of("/\\");
    if (last == std::string::npos || last == 0) return "";
    if (path.find_last_of("/\\", last - 1) == std::string::npos) return "";
    return path.substr(0, last);
}

bool EnsureSamplesFolder(const std::string& appFolder) {
    const std::string folder = AppPath(appFolder, "\\SAMPLES");
    if (IsFolder(folder)) return true;
    std::error_code ec;
    std::filesystem::create_directory(folder, ec);
    return IsFolder(folder);
}

}  // namespace gw
