#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace gwtest {

TempDir::TempDir() {
    std::string templ = (fs::temp_directory_path() / "gwtest-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& relative) const {
    std::string rel = relative;
    for (char& c : rel)
        if (c == '\\') c = '/';
    if (!rel.empty() && rel[0] == '/') rel.erase(0, 1);
    return path_ + "/" + rel;
}

std::string TempDir::Write(const std::string& relative, const std::string& bytes) const {
    const std::string p = File(relative);
    fs::create_directories(fs::path(p).parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string TempDir::Read(const std::string& relative) const {
    std::ifstream in(File(relative), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool TempDir::Exists(const std::string& relative) const { return fs::exists(File(relative)); }

}  // namespace gwtest
