// Fuzz target: the plain and encoded text file readers. Any bytes decode and read without
// a crash; a line encoded by the maker's rule decodes to itself; a file is read as the
// lines its text splits into, and the same lines stored in the encoded form read back
// unchanged through the reader every configuration file goes through. The readers are
// called without a host: they show nothing and let no events run.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "link/EncodedFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gw;
    if (size > 64 * 1024) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);

    bool ok = false;
    const std::string decoded = DecodeLine(text, &ok);
    FUZZ_CHECK(decoded.size() <= (text.size() + 3) / 4);
    if (ok) FUZZ_CHECK(decoded.size() == (text.size() + 3) / 4);
    FUZZ_CHECK(DecodeLine(gwfuzz::EncodeLine(text)) == text);

    const std::vector<std::string> lines = SplitFileLines(text);
    std::size_t lineEnds = 0;
    for (char c : text) lineEnds += c == '\n';
    FUZZ_CHECK(lines.size() == lineEnds + 1);
    for (const auto& l : lines) FUZZ_CHECK(l.find('\n') == std::string::npos);

    const std::string& app = gwfuzz::ScratchFolder();
    const std::string path = app + "/LNG/fuzz.txt";
    gwfuzz::WriteFileBytes(path, text);
    FUZZ_CHECK(LeggiFileTesto(path) == lines);
    const auto read = ReadConfigLines(path);
    const std::vector<std::string>& config = read.value;
    FUZZ_CHECK(read.warnings.empty());
    if (FileCodificato(path)) {
        FUZZ_CHECK(config.size() == lines.size() - 1);
        for (std::size_t i = 1; i < lines.size(); ++i) FUZZ_CHECK(config[i - 1] == DecodeLine(lines[i]));
    } else {
        FUZZ_CHECK(config == lines);
        const auto enc = LeggiFileCodificato(path);
        FUZZ_CHECK(enc.value.size() == 1 && enc.value[0].empty());
        FUZZ_CHECK(enc.warnings.size() == 1 && enc.warnings[0].text == "HEADER WRONG ");
    }

    // The same lines in the encoded form.
    std::string encoded = gwfuzz::EncodeLine(kEncodedHeader);
    for (const auto& l : lines) encoded += "\r\n" + gwfuzz::EncodeLine(l);
    gwfuzz::WriteFileBytes(path, encoded);
    FUZZ_CHECK(FileCodificato(path));
    const auto again = ReadConfigLines(path);
    FUZZ_CHECK(again.value == lines && again.warnings.empty());
    return 0;
}
