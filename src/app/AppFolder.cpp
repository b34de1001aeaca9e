#include "app/AppFolder.h"

#include <filesystem>
#include <system_error>

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

}  // namespace

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
    std::string exeFolder = ExecutableFolder();
    if (exeFolder.empty() && argc > 0 && argv[0] != nullptr && *argv[0] != '\0') {
        // No way to ask the system: go by the program's own path.
        std::error_code ec;
        const std::filesystem::path abs = std::filesystem::absolute(argv[0], ec);
        if (!ec) exeFolder = FolderOf(abs);
    }
    choice.appFolder = ParentFolder(exeFolder);
    return choice;
}

}  // namespace gw
