// Helpers shared by the fuzz targets: a check that stops the run on a broken property
// (also in builds without assertions), a scratch application folder for readers that
// take a path, and the encoded-line writer used to build inputs the readers must decode.
// The targets themselves say what they feed and what they check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

namespace gwfuzz {

// A folder in memory (/dev/shm) or else below the temporary folder, with BIN and LNG
// inside, made once per process and removed when it ends. No trailing separator.
const std::string& ScratchFolder();

// Writes bytes to the file (replacing it); aborts when the write fails.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The encoded form of one line: every character as four digits of twice its code,
// the whole text then reversed.
std::string EncodeLine(const std::string& plain);

// Splits at every occurrence of the separator (no separator: one piece).
std::vector<std::string> SplitAt(const std::string& text, const std::string& separator);

}  // namespace gwfuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
