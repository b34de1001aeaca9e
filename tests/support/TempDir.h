// A fresh temporary folder per test, removed afterwards, with helpers to lay out an
// application folder (BIN, LNG) and write files into it.
#pragma once

#include <string>

namespace gwtest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path of a file below the folder; "\" and "/" both separate.
    std::string File(const std::string& relative) const;
    // Writes bytes to a file below the folder, creating its parent folders.
    std::string Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const;
    bool Exists(const std::string& relative) const;

private:
    std::string path_;
};

}  // namespace gwtest
