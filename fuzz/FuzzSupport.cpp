#include "FuzzSupport.h"

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <random>
#include <vector>

namespace gwfuzz {

namespace {

struct Scratch {
    std::string path;
    Scratch() {
        std::error_code ec;
        // A memory file system when there is one: the readers' atomic saves flush to disk,
        // which would cost more than the reading they follow.
        std::vector<std::filesystem::path> bases;
        if (std::filesystem::is_directory("/dev/shm", ec)) bases.emplace_back("/dev/shm");
        const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
        bases.push_back(ec ? std::filesystem::path("/tmp") : temp);
        std::random_device random;
        for (const std::filesystem::path& base : bases) {
            for (int attempt = 0; attempt < 100 && path.empty(); ++attempt) {
                const std::filesystem::path candidate = base / ("gw-fuzz-" + std::to_string(random()));
                if (std::filesystem::create_directory(candidate, ec)) path = candidate.string();
            }
            if (!path.empty()) break;
        }
        if (path.empty()) {
            std::fprintf(stderr, "cannot create a temporary folder\n");
            std::abort();
        }
        std::filesystem::create_directories(path + "/BIN");
        std::filesystem::create_directories(path + "/LNG");
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

const std::string& ScratchFolder() {
    static Scratch s;
    return s.path;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    FUZZ_CHECK(out.good());
}

std::string EncodeLine(const std::string& plain) {
    std::string digits;
    digits.reserve(plain.size() * 4);
    for (unsigned char c : plain) {
        char group[8];
        std::snprintf(group, sizeof group, "%04u", 2u * c);
        digits += group;
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

std::vector<std::string> SplitAt(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = separator.empty() ? std::string::npos : text.find(separator, start);
        if (at == std::string::npos) break;
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

}  // namespace gwfuzz
