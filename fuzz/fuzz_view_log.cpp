// Fuzz target: the viewer's log reading on any text: the head's constants, the samples of
// the live-value answers, compaction and the save scan, and both exports of what was read.
// Nothing crashes, every sample came from a line long enough to hold an answer, compaction
// never adds a line nor keeps an empty one, and the exports have one line per sample.
#include <algorithm>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "viewer/TracePyramid.h"
#include "viewer/ViewLog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gw;
    using namespace gw::view;
    if (size > 256 * 1024) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const NumberLocale locale = size % 2 ? NumberLocale::Dot() : NumberLocale::Comma();

    SampleSet set;
    set.constants = ParseLogConstants(text, locale);
    FUZZ_CHECK(ParseLogSamples(text, set.samples));
    FUZZ_CHECK(set.samples.size() <= size / kMinAnswerLine);
    int calls = 0;
    std::vector<RawSample> again;
    ParseLogSamples(text, again, [&](double f) {
        FUZZ_CHECK(f >= 0 && f <= 1);
        return ++calls < 2;
    });

    // Compaction keeps lines as they are, drops the empty ones, never adds one.
    const std::string clean = CleanLogText(text);
    const std::size_t lfs = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    FUZZ_CHECK(clean.size() <= size + lfs + 2);
    FUZZ_CHECK(clean.find("\r\n\r\n") == std::string::npos && clean.rfind("\r\n", 0) != 0);
    FUZZ_CHECK(static_cast<std::size_t>(std::count(clean.begin(), clean.end(), '\n')) <= lfs + 1);
    (void)IsRawLog(text);

    const SampleScales scales;
    const std::string vflf = ExportVflfText(set, scales, locale);
    const std::string csv = ExportCsvText(set, scales, static_cast<int>(size % 8));
    FUZZ_CHECK(static_cast<std::size_t>(std::count(vflf.begin(), vflf.end(), '\n')) == set.samples.size());
    FUZZ_CHECK(static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')) == set.samples.size() + 1);

    TracePyramid pyramid;
    pyramid.Build(set, scales, 0);
    for (int c = 0; c < kChannels; ++c) (void)pyramid.Range(c, 0, set.samples.size());
    return 0;
}
