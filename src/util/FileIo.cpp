#include "util/FileIo.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <utility>
#endif

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

#ifdef _WIN32

namespace {

std::string WinErrorText(DWORD code) {
    char buf[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                             sizeof buf, nullptr);
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' ')) --n;
    return n > 0 ? std::string(buf, n) : "error " + std::to_string(code);
}

// Removes the temporaries of earlier saves of the file that no live save holds: a save
// keeps its temporary open without sharing until just before the rename, so only those of
// saves that were killed can be deleted.
void RemoveStaleTemporaries(const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    const std::wstring name = target.filename().wstring();
    const std::wstring prefix = L"." + name + L".";
    const std::wstring oldStyle = name + L".tmp~";  // the single name earlier versions used
    std::error_code ec;
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = L".";
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::wstring entry = it->path().filename().wstring();
        const bool ours = entry == oldStyle || (entry.rfind(prefix, 0) == 0 && entry.size() > prefix.size() + 5 &&
                                                entry.compare(entry.size() - 5, 5, L".tmp~") == 0);
        if (ours) DeleteFileW(it->path().wstring().c_str());
    }
}

}  // namespace

// The same on Windows: a new hidden temporary beside the target (".<name>.<pid>-<n>.tmp~",
// created only when no such file exists), flushed to disk, then MoveFileExW replaces the
// target in one step. A save that is killed leaves its temporary: the next save of the
// same file removes it.
bool SaveFileAtomic(const std::string& path, const std::string& bytes, std::string* error) {
    namespace fs = std::filesystem;
    const fs::path targetPath(path);
    const std::wstring target = targetPath.wstring();
    auto fail = [&](const std::string& what, DWORD code) {
        if (error) *error = what + ": " + WinErrorText(code);
        return false;
    };
    if (!targetPath.has_filename()) return fail("cannot create " + path, ERROR_INVALID_NAME);
    RemoveStaleTemporaries(targetPath);
    static std::atomic<unsigned> counter{0};
    std::wstring tmp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        tmp = (targetPath.parent_path() / (L"." + targetPath.filename().wstring() + L"." +
                                           std::to_wstring(GetCurrentProcessId()) + L"-" +
                                           std::to_wstring(counter++) + L".tmp~"))
                  .wstring();
        h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (h == INVALID_HANDLE_VALUE) return fail("cannot create a temporary file for " + path, GetLastError());
    const std::string tmpText = fs::path(tmp).string();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            const DWORD code = GetLastError();
            CloseHandle(h);
            DeleteFileW(tmp.c_str());
            return fail("cannot write " + tmpText, code);
        }
        done += written;
    }
    if (!FlushFileBuffers(h)) {
        const DWORD code = GetLastError();
        CloseHandle(h);
        DeleteFileW(tmp.c_str());
        return fail("cannot write " + tmpText, code);
    }
    CloseHandle(h);
    if (!MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        DeleteFileW(tmp.c_str());
        return fail("cannot replace " + path, code);
    }
    return true;
}

#else

namespace {

// The folder part of a path ("." when it has none) and the file's own name.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Removes the temporaries of earlier saves of `name` in `folder` that no live save holds:
// a save keeps an exclusive lock on its temporary until it is renamed, and the lock goes
// with the process, so a temporary that can be locked was left by a save that was killed.
// A symbolic link under a temporary's name is never one of ours and goes too.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::string prefix = "." + name + ".";
    const std::string oldStyle = name + kSaveTemporarySuffix;  // the single name earlier versions used
    while (const dirent* e = ::readdir(dir)) {
        const std::string entry = e->d_name;
        const bool ours = entry == oldStyle || (entry.rfind(prefix, 0) == 0 && IsSaveTemporary(entry));
        if (!ours) continue;
        const std::string full = folder + "/" + entry;
        const int fd = ::open(full.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            struct stat st {};
            if (::lstat(full.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(full.c_str());
            continue;
        }
        struct stat byFd {}, byName {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &byFd) == 0 && S_ISREG(byFd.st_mode) &&
            ::lstat(full.c_str(), &byName) == 0 && byName.st_ino == byFd.st_ino && byName.st_dev == byFd.st_dev)
            ::unlink(full.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

// Creates a temporary of our own beside the target: a new name (never an existing file or
// link), locked, and still ours after the lock was taken (a cleaner of another process may
// have removed it in between). -1 and errno when it cannot be created.
int CreateTemporary(const std::string& folder, const std::string& name, std::string& tmp) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = folder + "/." + name + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
              kSaveTemporarySuffix;
        const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        struct stat byFd {}, byName {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &byFd) == 0 && ::lstat(tmp.c_str(), &byName) == 0 &&
            byName.st_ino == byFd.st_ino && byName.st_dev == byFd.st_dev)
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

// The temporary is a new hidden file beside the target (".<name>.<pid>-<n>.tmp~"), so no
// folder listing or file dialog offers it and no link left under a fixed name is followed.
// It is written, flushed to disk and renamed over the target; then the folder itself is
// flushed, so the new name survives a power cut. A save that is killed leaves its
// temporary behind: the next save of the same file removes it.
bool SaveFileAtomic(const std::string& path, const std::string& bytes, std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error) *error = what + ": " + std::strerror(errno);
        return false;
    };
    const auto [folder, name] = SplitPath(path);
    if (name.empty()) {
        errno = EISDIR;
        return fail("cannot create " + path);
    }
    RemoveStaleTemporaries(folder, name);
    std::string tmp;
    const int fd = CreateTemporary(folder, name, tmp);
    if (fd < 0) return fail("cannot create a temporary file for " + path);
    auto drop = [&] {
        const int saved = errno;
        ::close(fd);
        ::unlink(tmp.c_str());
        errno = saved;
    };
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            drop();
            return fail("cannot write " + tmp);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        drop();
        return fail("cannot write " + tmp);
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        drop();
        return fail("cannot replace " + path);
    }
    ::close(fd);  // the lock goes with it, after the rename
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);  // some file systems refuse it; the file itself is in place already
        ::close(dirFd);
    }
    return true;
}

#endif

bool IsSaveTemporary(const std::string& name) {
    const std::size_t n = std::strlen(kSaveTemporarySuffix);
    return name.size() > n && name.compare(name.size() - n, n, kSaveTemporarySuffix) == 0;
}

std::string AppPath(const std::string& appFolder, const std::string& relative) {
    std::string rel = relative;
    for (char& c : rel)
        if (c == '\\') c = '/';
    return appFolder + rel;
}

}  // namespace gw
