// Fuzz target: map files. The first byte picks the number format (even: decimal comma,
// odd: decimal point), the rest is the file. Any bytes read without a crash; a reading
// stopped by a bad line names a line the file has; every value read is finite and quantised; and a
// record of everyday magnitudes saved and read again comes back unchanged.
#include <cmath>
#include <string>

#include "FuzzSupport.h"
#include "model/MapSamples.h"

namespace {

using namespace gw;

bool Everyday(const MapRecord& r) {
    for (const auto* col : {&r.PetrolVacuum, &r.PetrolTime, &r.GasVacuum, &r.GasTime})
        for (double v : *col)
            if (!(std::fabs(v) < 1e9)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const NumberLocale locale = data[0] % 2 ? NumberLocale::Dot() : NumberLocale::Comma();
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    MapRecord start;
    start.GasTime.fill(7);
    const MapFileReading r = LoadMapText(text, locale, start, "%1", "");
    FUZZ_CHECK(r.badLine >= 0 && r.badLine <= 240);
    FUZZ_CHECK((r.badLine == 0) == r.warnings.empty());
    FUZZ_CHECK(r.record.GasTime[60] == 7 && r.record.PetrolVacuum[60] == 0);  // slot 60 is never read
    for (std::size_t k = 0; k < 60; ++k) {
        for (const auto* col : {&r.record.PetrolVacuum, &r.record.PetrolTime, &r.record.GasVacuum, &r.record.GasTime})
            FUZZ_CHECK(std::isfinite((*col)[k]));  // what cannot be quantised stops the reading
        const double v = r.record.PetrolVacuum[k];
        FUZZ_CHECK(std::fabs(v) >= 1e15 || std::fmod(v, 20) == 0);
    }
    if (Everyday(r.record)) {
        const MapFileReading again = LoadMapText(SaveMapText(r.record, locale), locale, MapRecord{}, "%1", "");
        FUZZ_CHECK(again.badLine == 0);
        MapRecord expected = r.record;
        expected.GasTime[60] = 0;
        FUZZ_CHECK(again.record == expected);
    }
    return 0;
}
