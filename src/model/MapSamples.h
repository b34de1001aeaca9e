// MapSamples: the ECU's operating samples as the map page keeps them (petrol and gas
// lists of vacuum and injection time), the decoding of the ECU's sample answers, the merge
// and count behind "Compute", the model-page points of the matched pairs, and the map file
// and "Map.txt" texts. Pure functions on records: no link, no files, no windows.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/ModelEditing.h"
#include "model/TimeTable.h"
#include "util/NumberLocale.h"
#include "util/Warnings.h"

namespace gw {

inline constexpr int kMapSlots = 61;        // slot 60 exists but stays 0
inline constexpr int kMapUsedSlots = 60;
inline constexpr int kSamplesPerSet = 30;   // set 0: slots 0-29, set 1: slots 30-59
inline constexpr double kMapVacuumStep = 20;  // mbar of one vacuum class
inline constexpr double kMapTimeStep = 0.2;   // ms
inline constexpr double kMapMaxTimeMs = 50;   // a decoded sample above this is empty
inline constexpr double kMapMaxVacuum = 6000;
// Correction-table entries indexed by petrol time (0.128 ms apart).
inline constexpr int kCorTimeEntries = 184;
inline constexpr double kCorTimeStepMs = 0.128;

// The sample record and the computed map share this layout. Vacuum 0 is an empty slot.
struct MapRecord {
    using Column = std::array<double, kMapSlots>;
    Column GasVacuum{};
    Column GasTime{};
    Column PetrolVacuum{};
    Column PetrolTime{};

    void ClearGas();
    void ClearPetrol();
    void Clear() { *this = MapRecord{}; }
    bool operator==(const MapRecord&) const = default;
};

// The 20-mbar class of a vacuum (halves to even).
double VacuumClass(double vacuum);
double QuantiseVacuum(double vacuum);  // nearest multiple of 20 mbar
double QuantiseTime(double ms);        // nearest multiple of 0.2 ms

// How sample times are scaled: counts x kTimeInjMs, plus addMs on a non-zero time when
// addTime is on.
struct SampleScale {
    double kTimeInjMs = 0.008;
    bool addTime = false;
    double addMs = 0;
};

// One sample answer (its data bytes, one char per byte) of set 0 or 1 into the petrol or
// gas lists: a count byte, then per sample the time and the vacuum as 16-bit little-endian
// counts. An answer too short for 30 samples (less than 60 bytes) changes nothing; a longer
// one that still lacks some of the 30 samples fills the ones it holds and leaves the rest.
// Returns the number of slots written.
int DecodeSamples(MapRecord& record, bool gas, int set, const std::string& data, const SampleScale& scale);

// "Compute": petrol samples of one vacuum class merged into their mean (gas samples are
// not merged), and the number of petrol samples with at least one gas sample of their class.
struct MapComputation {
    MapRecord map;
    int matched = 0;
};
MapComputation MergeAndCount(const MapRecord& samples);

// A matched pair on the model page: petrol ms across, gas ms up.
struct MapPairPoint {
    double x = 0;
    double y = 0;
    bool operator==(const MapPairPoint&) const = default;
};
// Every petrol sample of the map with every gas sample of its class: x the petrol time,
// y the correction-table entry for that petrol time plus the gas time; x limited to
// kModelXMax and y to kModelYMax.
std::vector<MapPairPoint> PairPoints(const MapRecord& map, const TimeTable& corTable);

// ---- map files: slots 0-59, four lines each (petrol vacuum, petrol time, gas vacuum,
// gas time), 240 lines ----

// A number as a map file line carries it: the shortest general form in the user's number
// format, a blank in front when not negative, a blank after, CR LF.
std::string MapFileNumber(double value, const NumberLocale& locale);
std::string SaveMapText(const MapRecord& record, const NumberLocale& locale);

// The map file's text read into `start`: each value quantised; a file that ends early
// repeats its last line (0 when it has none); an empty line reads 0. A line that is not a
// number (or one too large to quantise) stops the reading with a warning naming its line; the values read before it stay,
// the others keep start's values. badLineText is the warning's text with "%1" for the line
// number.
struct MapFileReading {
    MapRecord record;
    int badLine = 0;  // 1-based line that stopped the reading; 0 when all was read
    Warnings warnings;
};
MapFileReading LoadMapText(const std::string& text, const NumberLocale& locale, const MapRecord& start,
                           const std::string& badLineText, const std::string& title);

// The mapped-points dump ("Punti Mappati" / "Punti Selezionati"), every line in double
// quotes, CR LF.
std::string MapDumpText(const MapRecord& samples, const MapRecord& map, const NumberLocale& locale);

}  // namespace gw
