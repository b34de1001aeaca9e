#include "util/FileSys.h"

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "util/FileIo.h"

namespace gw {

bool FileExists(const std::string& path) {
    if (path.empty()) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool IsFolder(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

bool IsWritableFolder(const std::string& path) {
    if (!IsFolder(path)) return false;
    return ::access(path.c_str(), W_OK) == 0;
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
