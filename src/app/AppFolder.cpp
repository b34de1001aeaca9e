#include "app/AppFolder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "util/FileIo.h"
#include "util/FileSys.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace gw {

namespace {

const std::string kOption = "--app-folder";

std::string WithoutTrailingSeparators(std::string dir) {
    while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
    return dir;
}

std::string FolderOf(const std::filesystem::path& file) {
    return WithoutTrailingSeparators(file.parent_path().string());
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

bool IsAbsolute(const std::string& path) {
    return std::filesystem::path(path).is_absolute() || (!path.empty() && (path[0] == '/' || path[0] == '\\'));
}

// Copies every regular file below from that to lacks (only the folders named in onlyTop
// at the top when it is not empty; never the marker); returns false and says why at the
// first failure.
bool CopyMissingFiles(const std::filesystem::path& from, const std::filesystem::path& to,
                      const std::vector<std::string>& onlyTop, std::vector<std::string>& copied,
                      std::string& problem) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::recursive_directory_iterator it(from, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        problem = "cannot read " + from.string() + ": " + ec.message();
        return false;
    }
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            problem = "cannot read " + from.string() + ": " + ec.message();
            return false;
        }
        const fs::path rel = it->path().lexically_relative(from);
        const std::string top = rel.begin()->string();
        const bool wanted = onlyTop.empty() || std::find(onlyTop.begin(), onlyTop.end(), top) != onlyTop.end();
        if (it.depth() == 0 && (top == kInstalledMarker || !wanted)) {
            if (it->is_directory(ec)) it.disable_recursion_pending();
            continue;
        }
        const fs::path target = to / rel;
        if (it->is_directory(ec)) {
            fs::create_directories(target, ec);
            if (ec) {
                problem = "cannot create " + target.string() + ": " + ec.message();
                return false;
            }
            continue;
        }
        if (!it->is_regular_file(ec)) continue;
        if (IsSaveTemporary(it->path().filename().string())) continue;  // a killed save's leftover
        if (fs::symlink_status(target, ec).type() != fs::file_type::not_found) continue;  // the user's own
        const std::optional<std::string> bytes = ReadWholeFile(it->path().string());
        if (!bytes) {
            problem = "cannot read " + it->path().string();
            return false;
        }
        std::string why;
        if (!SaveFileAtomic(target.string(), *bytes, &why)) {
            problem = why;
            return false;
        }
        copied.push_back(rel.generic_string());
    }
    return true;
}

}  // namespace

UserDataPlaces UserDataPlacesFromEnvironment() {
#ifdef _WIN32
    return {Env("LOCALAPPDATA"), Env("USERPROFILE")};
#else
    return {Env("XDG_DATA_HOME"), Env("HOME")};
#endif
}

std::string UserAppFolder(const UserDataPlaces& places) {
    if (IsAbsolute(places.dataHome))
        return WithoutTrailingSeparators(places.dataHome) + "/" + kUserFolderName;
    if (IsAbsolute(places.home))
        return WithoutTrailingSeparators(places.home) + "/.local/share/" + kUserFolderName;
    return "";
}

AppFolderSetup PrepareAppFolder(const std::string& ruleFolder, const UserDataPlaces& places) {
    AppFolderSetup setup;
    setup.appFolder = ruleFolder;
    // Marked: everything in the shared files folder is shipped. Read-only but not marked:
    // the program's own folders beside its bin/ are.
    const std::string shared = ruleFolder + "/" + kSharedFilesFolder;
    const bool marked = FileExists(shared + "/" + kInstalledMarker);
    const std::string shipped = marked ? shared : ruleFolder;
    const std::vector<std::string> onlyTop = marked ? std::vector<std::string>{} : std::vector<std::string>{"BIN", "LNG"};
    setup.installed = marked || !IsWritableFolder(ruleFolder.empty() ? "/" : ruleFolder);
    if (!setup.installed) return setup;
    const std::string user = UserAppFolder(places);
    if (user.empty()) {
        setup.problem = "no folder for the user's files (HOME is not set); using " + shipped;
        setup.appFolder = shipped;
        return setup;
    }
    std::error_code ec;
    std::filesystem::create_directories(user, ec);
    if (!IsFolder(user)) {
        setup.problem = "cannot create " + user + (ec ? ": " + ec.message() : std::string()) + "; using " + shipped;
        setup.appFolder = shipped;
        return setup;
    }
    setup.appFolder = user;
    CopyMissingFiles(shipped, user, onlyTop, setup.copied, setup.problem);
    return setup;
}

std::string ExecutableFolder() {
#ifdef _WIN32
    char buf[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return "";
    return FolderOf(std::filesystem::path(std::string(buf, n)));
#else
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return "";
    return FolderOf(exe);
#endif
}

AppFolderChoice ResolveAppFolder(int argc, char** argv) {
    return ResolveAppFolderFrom(argc, argv, ExecutableFolder(), UserDataPlacesFromEnvironment());
}

AppFolderChoice ResolveAppFolderFrom(int argc, char** argv, const std::string& exeFolderGiven,
                                     const UserDataPlaces& places) {
    AppFolderChoice choice;
    std::string given;
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == nullptr) continue;
        const std::string arg = argv[i];
        if (arg == kOption) {
            if (i + 1 < argc && argv[i + 1] != nullptr && *argv[i + 1] != '\0') given = argv[i + 1];
            if (i + 1 < argc) ++i;
        } else if (arg.rfind(kOption + "=", 0) == 0) {
            if (arg.size() > kOption.size() + 1) given = arg.substr(kOption.size() + 1);
        } else {
            choice.rest.push_back(arg);
        }
    }
    if (!given.empty()) {
        choice.appFolder = WithoutTrailingSeparators(given);
        return choice;
    }
    std::string exeFolder = exeFolderGiven;
    if (exeFolder.empty() && argc > 0 && argv[0] != nullptr && *argv[0] != '\0') {
        // No way to ask the system: go by the program's own path.
        std::error_code ec;
        const std::filesystem::path abs = std::filesystem::absolute(argv[0], ec);
        if (!ec) exeFolder = FolderOf(abs);
    }
    const AppFolderSetup setup = PrepareAppFolder(ParentFolder(exeFolder), places);
    choice.appFolder = setup.appFolder;
    choice.problem = setup.problem;
    return choice;
}

}  // namespace gw
