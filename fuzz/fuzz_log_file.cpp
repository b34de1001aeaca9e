// Fuzz target: a communication log as a file: read window by window (the viewer's "<<" and
// ">>"), whole, and compacted in place (CleanLogRxTx). Byte 0 picks the window (16 to 512
// characters, never fewer than a sixteenth of the file); the rest is the file.
// Checked: every line belongs to exactly one window, so the windows together give the same
// samples as the whole file; the window moves are offered exactly while there is more of
// the file that way; the head's constants are the same in every window; the compacted file
// is the compaction of the text.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "util/FileIo.h"
#include "viewer/ViewLog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gw;
    using namespace gw::view;
    if (size == 0 || size > 16 * 1024) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::uint64_t window = std::max<std::uint64_t>(16u * (1u + data[0] % 32u), text.size() / 16 + 1);
    const NumberLocale locale = data[0] & 0x80 ? NumberLocale::Dot() : NumberLocale::Comma();

    const std::string path = gwfuzz::ScratchFolder() + "/BIN/RxTx.TXT";
    gwfuzz::WriteFileBytes(path, text);

    const LogWindow whole = LoadLogWindow(path, 0, 0, locale);
    FUZZ_CHECK(!whole.missing && whole.error.empty() && !whole.cancelled);
    FUZZ_CHECK(whole.fileSize == text.size() && whole.offset == 0);
    std::vector<RawSample> direct;
    FUZZ_CHECK(ParseLogSamples(text, direct));
    FUZZ_CHECK(direct.size() == whole.set.samples.size());

    std::vector<RawSample> joined;
    for (std::uint64_t offset = 0; offset < text.size(); offset += window) {
        const LogWindow w = LoadLogWindow(path, offset, window, locale);
        FUZZ_CHECK(w.error.empty() && w.offset == offset && w.fileSize == text.size());
        FUZZ_CHECK(w.CanPrev(window) == (offset > 0));
        FUZZ_CHECK(w.CanNext(window) == (offset + window < text.size()));
        FUZZ_CHECK(std::memcmp(&w.set.constants.K_gm, &whole.set.constants.K_gm, sizeof(double)) == 0);
        FUZZ_CHECK(std::memcmp(&w.set.constants.K_Lambda, &whole.set.constants.K_Lambda, sizeof(double)) == 0);
        joined.insert(joined.end(), w.set.samples.begin(), w.set.samples.end());
    }
    // An offset past the end reads the last window.
    if (!text.empty()) {
        const LogWindow last = LoadLogWindow(path, text.size() + window, window, locale);
        FUZZ_CHECK(last.offset < text.size() && last.offset % window == 0 && !last.CanNext(window));
    }
    FUZZ_CHECK(joined.size() == whole.set.samples.size());
    for (std::size_t i = 0; i < joined.size(); ++i) {
        FUZZ_CHECK(joined[i].timeMs == whole.set.samples[i].timeMs);
        FUZZ_CHECK(joined[i].data == whole.set.samples[i].data);
    }

    std::string error;
    FUZZ_CHECK(CleanLogRxTx(path, &error));
    const auto clean = ReadWholeFile(path);
    FUZZ_CHECK(clean && *clean == CleanLogText(text));
    return 0;
}
