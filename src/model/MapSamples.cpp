#include "model/MapSamples.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "util/Numbers.h"

namespace gw {

namespace {

constexpr std::size_t kUsed = static_cast<std::size_t>(kMapUsedSlots);

std::uint16_t U16At(const std::string& data, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(data[at]) |
                                      (static_cast<unsigned char>(data[at + 1]) << 8));
}

// The shortest general form (at most 15 significant digits), the locale's separator.
std::string General(double value, const NumberLocale& locale) {
    if (value == 0) value = 0;  // no "-0"
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    std::string s = buf;
    for (char& ch : s)
        if (ch == '.') ch = locale.decimal;
    return s;
}

// Reads the file's lines one at a time: a line ends at LF, CR LF or CR.
class LineReader {
public:
    explicit LineReader(const std::string& text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size(); }
    std::string Next() {
        const std::size_t end = text_.find_first_of("\r\n", pos_);
        std::string line = text_.substr(pos_, end == std::string::npos ? std::string::npos : end - pos_);
        if (end == std::string::npos) {
            pos_ = text_.size();
        } else {
            pos_ = end + 1;
            if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        }
        return line;
    }

private:
    const std::string& text_;
    std::size_t pos_ = 0;
};

}  // namespace

void MapRecord::ClearGas() {
    GasVacuum.fill(0);
    GasTime.fill(0);
}

void MapRecord::ClearPetrol() {
    PetrolVacuum.fill(0);
    PetrolTime.fill(0);
}

double VacuumClass(double vacuum) { return std::nearbyint(vacuum / kMapVacuumStep); }
double QuantiseVacuum(double vacuum) { return VacuumClass(vacuum) * kMapVacuumStep; }
// k / 5 rather than k x 0.2: the nearest double to the multiple, so that its shortest text
// reads back to the same value.
double QuantiseTime(double ms) { return std::nearbyint(ms / kMapTimeStep) / 5; }

int DecodeSamples(MapRecord& record, bool gas, int set, const std::string& data, const SampleScale& scale) {
    if (set != 0 && set != 1) return 0;
    // Too short for 30 values of four hexadecimal digits: nothing is read.
    if (kSamplesPerSet * 4 > static_cast<int>(data.size() * 2) + 1) return 0;
    // After the count byte, four bytes per sample; only whole samples are read.
    const int held = std::min(kSamplesPerSet, static_cast<int>((data.size() - 1) / 4));
    auto& times = gas ? record.GasTime : record.PetrolTime;
    auto& vacuums = gas ? record.GasVacuum : record.PetrolVacuum;
    const int first = set * kSamplesPerSet;
    for (int i = 0; i < held; ++i) {
        const std::size_t at = 1 + 4 * static_cast<std::size_t>(i);
        double t = U16At(data, at) * scale.kTimeInjMs;
        if (t > 0 && scale.addTime) t += scale.addMs;
        t = QuantiseTime(t);
        double v = QuantiseVacuum(U16At(data, at + 2));
        if (t > kMapMaxTimeMs || v > kMapMaxVacuum) t = v = 0;
        const auto h = static_cast<std::size_t>(first + i);
        times[h] = t;
        vacuums[h] = v;
    }
    return held;
}

MapComputation MergeAndCount(const MapRecord& samples) {
    MapComputation out{samples, 0};
    MapRecord& m = out.map;
    for (std::size_t i = 0; i < kUsed; ++i) {
        if (!(m.PetrolTime[i] > 0)) continue;
        const double cls = VacuumClass(m.PetrolVacuum[i]);
        double vacSum = m.PetrolVacuum[i], timeSum = m.PetrolTime[i];
        int n = 1;
        for (std::size_t j = i + 1; j < kUsed; ++j) {
            if (!(m.PetrolTime[j] > 0) || VacuumClass(m.PetrolVacuum[j]) != cls) continue;
            vacSum += m.PetrolVacuum[j];
            timeSum += m.PetrolTime[j];
            ++n;
            m.PetrolVacuum[j] = m.PetrolTime[j] = 0;
        }
        m.PetrolVacuum[i] = vacSum / n;
        m.PetrolTime[i] = timeSum / n;
    }
    for (std::size_t i = 0; i < kUsed; ++i) {
        if (!(m.PetrolVacuum[i] > 0)) continue;
        const double cls = VacuumClass(m.PetrolVacuum[i]);
        for (std::size_t j = 0; j < kUsed; ++j) {
            if (m.GasVacuum[j] > 0 && VacuumClass(m.GasVacuum[j]) == cls) {
                ++out.matched;
                break;
            }
        }
    }
    return out;
}

std::vector<MapPairPoint> PairPoints(const MapRecord& map, const TimeTable& corTable) {
    std::vector<MapPairPoint> points;
    for (std::size_t i = 0; i < kUsed; ++i) {
        if (!(map.PetrolVacuum[i] > 0)) continue;
        const double cls = VacuumClass(map.PetrolVacuum[i]);
        const double petrol = map.PetrolTime[i];
        // The table's petrol-time entries only: a time beyond them takes the last one.
        const double idx = std::nearbyint(petrol / kCorTimeStepMs);
        const auto entry = static_cast<std::size_t>(std::clamp(std::isfinite(idx) ? idx : 0.0, 0.0,
                                                               static_cast<double>(kCorTimeEntries - 1)));
        for (std::size_t j = 0; j < kUsed; ++j) {
            if (!(map.GasVacuum[j] > 0) || VacuumClass(map.GasVacuum[j]) != cls) continue;
            points.push_back({std::min(petrol, static_cast<double>(kModelXMax)),
                              std::min(corTable[entry] + map.GasTime[j], static_cast<double>(kModelYMax))});
        }
    }
    return points;
}

std::string MapFileNumber(double value, const NumberLocale& locale) {
    const std::string text = General(value, locale);
    return (text[0] == '-' ? "" : " ") + text + " \r\n";
}

std::string SaveMapText(const MapRecord& r, const NumberLocale& locale) {
    std::string out;
    out.reserve(kUsed * 4 * 8);
    for (std::size_t k = 0; k < kUsed; ++k) {
        out += MapFileNumber(r.PetrolVacuum[k], locale);
        out += MapFileNumber(r.PetrolTime[k], locale);
        out += MapFileNumber(r.GasVacuum[k], locale);
        out += MapFileNumber(r.GasTime[k], locale);
    }
    return out;
}

MapFileReading LoadMapText(const std::string& text, const NumberLocale& locale, const MapRecord& start,
                           const std::string& badLineText, const std::string& title) {
    MapFileReading out{start, 0, {}};
    LineReader reader(text);
    std::string line;  // the last line read: used again once the file has ended
    int lineNo = 0;
    for (std::size_t k = 0; k < kUsed; ++k) {
        for (int field = 0; field < 4; ++field) {
            if (!reader.AtEnd()) {
                line = Trim(reader.Next());
                ++lineNo;
            }
            // An empty line is 0; "0" in front also reads a number starting with the separator.
            std::optional<double> v = locale.Parse("0" + line);
            if (!v) v = locale.Parse(line);
            // A number too large to quantise is no sample value either.
            if (v) v = field % 2 == 0 ? QuantiseVacuum(*v) : QuantiseTime(*v);
            if (!v || !std::isfinite(*v)) {
                out.badLine = std::max(lineNo, 1);
                std::string msg = badLineText;
                const auto at = msg.find("%1");
                if (at != std::string::npos) msg.replace(at, 2, std::to_string(out.badLine));
                out.warnings.push_back({msg, title, MsgIcon::Exclamation});
                return out;
            }
            MapRecord& r = out.record;
            (field == 0 ? r.PetrolVacuum : field == 1 ? r.PetrolTime : field == 2 ? r.GasVacuum : r.GasTime)[k] = *v;
        }
    }
    return out;
}

std::string MapDumpText(const MapRecord& samples, const MapRecord& map, const NumberLocale& locale) {
    auto quoted = [](const std::string& s) { return "\"" + s + "\"\r\n"; };
    const std::string header = "X_VacmBnz | Y_TinjBnz | X_VacmGas(i) | Y_TinjGas(i)";
    auto rows = [&](const MapRecord& r) {
        std::string s;
        for (std::size_t k = 0; k < kUsed; ++k)
            s += quoted(General(r.PetrolVacuum[k], locale) + " | " + General(r.PetrolTime[k], locale) + " | " +
                        General(r.GasVacuum[k], locale) + " | " + General(r.GasTime[k], locale));
        return s;
    };
    return quoted("Punti Mappati") + quoted(header) + rows(samples) + quoted("") + quoted("Punti Selezionati") +
           quoted(header) + rows(map);
}

}  // namespace gw
