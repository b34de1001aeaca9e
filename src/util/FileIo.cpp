#include "util/FileIo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gw {

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxBytes) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<unsigned long long>(size) > maxBytes) return std::nullopt;
    in.seekg(0, std::ios::beg);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (size > 0 && !in.read(bytes.data(), size)) return std::nullopt;
    return bytes;
}

bool SaveFileAtomic(const std::string& path, const std::string& bytes, std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error) *error = what + ": " + std::strerror(errno);
        return false;
    };
    const std::string tmp = path + ".tmp~";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return fail("cannot create " + tmp);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int saved = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            errno = saved;
            return fail("cannot write " + tmp);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int saved = errno;
        ::unlink(tmp.c_str());
        errno = saved;
        return fail("cannot write " + tmp);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(tmp.c_str());
        errno = saved;
        return fail("cannot replace " + path);
    }
    return true;
}

std::string AppPath(const std::string& appFolder, const std::string& relative) {
    std::string rel = relative;
    for (char& c : rel)
        if (c == '\\') c = '/';
    return appFolder + rel;
}

}  // namespace gw
