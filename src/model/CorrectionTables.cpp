#include "model/CorrectionTables.h"

#include "util/Numbers.h"

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "link/ClsComm.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "util/FileIo.h"
#include "util/HexText.h"

namespace gw {

namespace {

constexpr int kModelSegments = 5;          // segments between points 0 ... 5
constexpr double kLastComputedMs = 20.096;  // petrol time of entry 157
constexpr double kRetryWaitUs = 250'000;
constexpr int kAttempts = 3;

// The signed count an entry goes on the wire as (before the 16-bit limits).
double WireCount(int index, double value, double kTimeInjMs) {
    if (index < kCorTableTimeEntries) return NearestEven(value / kTimeInjMs);
    if (index == kCorTableOffsetEntry || index == kCorTableAlfaEntry) return NearestEven(value * 1000.0);
    return NearestEven(value);
}

double FromWire(int index, std::int16_t raw, double kTimeInjMs) {
    if (index < kCorTableTimeEntries) return raw * kTimeInjMs;
    if (index == kCorTableOffsetEntry || index == kCorTableAlfaEntry) return raw / 1000.0;
    return raw;
}

bool UsableScale(double kTimeInjMs) { return std::isfinite(kTimeInjMs) && kTimeInjMs > 0.0; }

// Request data of chunk c: start index, count, and for a write the entries, low byte first.
std::string ChunkHeader(int chunk) {
    std::string data;
    data += static_cast<char>(chunk * kCorTableChunk);
    data += static_cast<char>(kCorTableChunk);
    return data;
}

// One exchange; false when it failed or the link reports its watchdog fault.
bool Exchange(ClsComm& comm, const std::string& request) {
    if (!comm.SendMsgWait(request)) return false;
    return !comm.WDogPresente;
}

void RetryWait(ClsComm& comm) { comm.host().RunEventsUntil(comm.host().MicroClock() + kRetryWaitUs); }

// Shortest text that reads back as the value, in plain digits with the user's decimal
// separator (exponent forms are spelled out); -0 is written 0.
std::string ExportNumber(double value, const NumberLocale& locale) {
    if (value == 0.0) value = 0.0;
    std::string s = locale.Format(value);
    if (s.find_first_of("eE") == std::string::npos || !std::isfinite(value)) return s;
    char buf[400];
    for (int decimals = 0; decimals <= 340; ++decimals) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
        if (std::strtod(buf, nullptr) == value) break;
    }
    s = buf;
    for (char& ch : s)
        if (ch == '.') ch = locale.decimal;
    return s;
}

}  // namespace

double Round3(double v) { return NearestEven(v * 1000.0) / 1000.0; }

void ModelToTable(TimeTable& table, const ModelRecord& model) {
    const auto X = [&](int i) { return static_cast<double>(model.points[static_cast<std::size_t>(i)].X); };
    const auto Y = [&](int i) { return static_cast<double>(model.points[static_cast<std::size_t>(i)].Y); };
    const double offset = model.Offset;

    double W[kModelSegments + 1] = {}, M[kModelSegments + 1] = {}, V[kModelSegments + 1] = {};
    for (int j = 1; j <= kModelSegments; ++j) {
        W[j] = Round3(X(j) - X(j - 1));
        M[j] = Round3(Y(j - 1) - X(j - 1) - offset);
        V[j] = Round3(Y(j) - X(j) - offset);
    }

    // Each entry from the segment j with X[j-1] <= t < X[j]; entries below X[0] keep theirs.
    // The places are compared at 0.001 ms, so that single-precision noise (0.512 held as
    // 0.51200002) does not move a step out of its segment.
    int j = 1;
    for (int k = 0; k < kCorTableTimeEntries; ++k) {
        const double t = Round3(k * kCorTableStepMs);
        while (j <= kModelSegments && t >= Round3(X(j))) ++j;
        if (j > kModelSegments) break;
        if (t < Round3(X(j - 1))) continue;
        const double slope = W[j] != 0.0 ? (V[j] - M[j]) / W[j] : 0.0;
        table[static_cast<std::size_t>(k)] = Round3(M[j] + slope * Round3(t - X(j - 1)) + offset);
    }

    // Entry 157 (t = 20.096 ms) from the last segment, repeated up to entry 183.
    {
        const double w = Round3(X(5) - X(4));
        const double v = Round3(Y(5) - X(5) - offset);
        const double b = Round3(kLastComputedMs - X(4));
        const double last = w != 0.0 ? Round3(v / w * b + offset) : Round3(v + offset);
        for (int k = kCorTableLastComputed; k < kCorTableTimeEntries; ++k) table[static_cast<std::size_t>(k)] = last;
    }

    table[kCorTableOffsetEntry] = model.Offset;
    table[kCorTableAlfaEntry] = model.Alfa;
    table[kCorTablePlaceEntry] = Round3(X(0));
    for (int n = 1; n <= kModelSegments; ++n)
        table[static_cast<std::size_t>(kCorTablePlaceEntry + n)] = Round3(X(n) / kCorTableStepMs);
}

void TableToModel(const TimeTable& table, ModelRecord& model) {
    model.points[0].X = static_cast<float>(table[kCorTablePlaceEntry]);
    for (int n = 1; n <= kModelSegments; ++n)
        model.points[static_cast<std::size_t>(n)].X =
            static_cast<float>(table[static_cast<std::size_t>(kCorTablePlaceEntry + n)] * kCorTableStepMs);
    model.Offset = static_cast<float>(table[kCorTableOffsetEntry]);
    model.Alfa = static_cast<float>(table[kCorTableAlfaEntry]);
}

bool WriteCorTable(ClsComm& comm, const TimeTable& table, double kTimeInjMs) {
    if (!UsableScale(kTimeInjMs)) return false;
    for (int chunk = 0; chunk < kTimeTableSize / kCorTableChunk; ++chunk) {
        std::string data = ChunkHeader(chunk);
        for (int i = 0; i < kCorTableChunk; ++i) {
            const int index = chunk * kCorTableChunk + i;
            const double count = WireCount(index, table[static_cast<std::size_t>(index)], kTimeInjMs);
            data += HexToBytes(ReverseBytes(HexSigned16(count)));
        }
        if (!Exchange(comm, RequestMsg(CMD_WRT_TBL_COR, data))) return false;
    }
    return true;
}

namespace {

bool ReadChunks(ClsComm& comm, TimeTable& read, double kTimeInjMs) {
    for (int chunk = 0; chunk < kTimeTableSize / kCorTableChunk; ++chunk) {
        // Answers nobody took out would be read as this chunk's.
        while (!comm.EstraiRisposta().empty()) {
        }
        if (!Exchange(comm, RequestMsg(CMD_READ_TBL_COR, ChunkHeader(chunk)))) return false;
        const std::string data = comm.EstraiRisposta();
        if (data.size() < 2u * kCorTableChunk) return false;
        for (int i = 0; i < kCorTableChunk; ++i) {
            const int index = chunk * kCorTableChunk + i;
            const std::int16_t raw = HexS16(BytesToHex(data.substr(2 * static_cast<std::size_t>(i), 2)));
            read[static_cast<std::size_t>(index)] = FromWire(index, raw, kTimeInjMs);
        }
    }
    return true;
}

}  // namespace

bool ReadCorTable(ClsComm& comm, TimeTable& corTableEcu, double kTimeInjMs) {
    if (!UsableScale(kTimeInjMs)) return false;
    TimeTable read = corTableEcu;
    const std::uint64_t resends = comm.ResendsMade();
    if (!ReadChunks(comm, read, kTimeInjMs)) return false;
    if (comm.ResendsMade() != resends) {
        // A request went unanswered or was answered wrongly on the way: chunk answers carry
        // no index, so the table counts only when a second read gives the same entries.
        TimeTable again = read;
        if (!ReadChunks(comm, again, kTimeInjMs) || again != read) return false;
    }
    corTableEcu = read;
    return true;
}

bool SameTableOnWire(const TimeTable& a, const TimeTable& b, double kTimeInjMs) {
    if (!UsableScale(kTimeInjMs)) return false;
    for (int i = 0; i < kTimeTableSize; ++i) {
        const double x = WireCount(i, a[static_cast<std::size_t>(i)], kTimeInjMs);
        const double y = WireCount(i, b[static_cast<std::size_t>(i)], kTimeInjMs);
        if (HexSigned16(x) != HexSigned16(y)) return false;
    }
    return true;
}

bool SendCorrectionTable(ClsComm& comm, TimeTable& corTable, TimeTable& corTableEcu, double kTimeInjMs,
                         const std::string& serviceExportPath) {
    const TimeTable kept = corTable;
    bool ok = false;
    for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
        ok = WriteCorTable(comm, corTable, kTimeInjMs);
        if (!ok) RetryWait(comm);
    }
    if (ok) {
        ok = false;
        for (int attempt = 0; attempt < kAttempts && !ok; ++attempt) {
            ok = ReadCorTable(comm, corTableEcu, kTimeInjMs);
            if (!ok) RetryWait(comm);
        }
    }
    if (!ok) {
        corTable = kept;
        corTableEcu = kept;
    }
    if (comm.ServiceMode && !serviceExportPath.empty()) {
        std::string error;
        if (!ExportCorTable(serviceExportPath, corTable, comm.host().Locale(), &error))
            comm.host().MessageBox(error, comm.AppTitle, MsgIcon::Critical, MsgButtons::Ok);
    }
    return ok;
}

bool ExportCorTable(const std::string& path, const TimeTable& table, const NumberLocale& locale,
                    std::string* error) {
    std::string text;
    for (int i = 0; i < kTimeTableSize; ++i) {
        text += "\"Val_corTempiGas[" + std::to_string(i) + "] = #" +
                ExportNumber(table[static_cast<std::size_t>(i)], locale) + "@\"\r\n";
    }
    return SaveFileAtomic(path, text, error);
}

}  // namespace gw
