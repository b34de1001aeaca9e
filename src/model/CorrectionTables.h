// CorrectionTables: the arithmetic between the gas injection model and the 192-entry
// correction table, the table's wire form and its transfer to and from the ECU (four chunks
// of 48 entries, retried and restored as a whole), and the "Val_corTempiGas" text export.
// Not here: when a transfer is requested (the communication cycle) or how the model page
// rebuilds gas times and enrichments after TableToModel.
#pragma once

#include <string>

#include "model/ModelRecord.h"
#include "model/TimeTable.h"
#include "util/NumberLocale.h"

namespace gw {

class ClsComm;

inline constexpr double kCorTableStepMs = 0.128;  // petrol time between entries 0 ... 183
inline constexpr int kCorTableTimeEntries = 184;  // entries indexed by petrol time
inline constexpr int kCorTableOffsetEntry = 184;
inline constexpr int kCorTableAlfaEntry = 185;
inline constexpr int kCorTablePlaceEntry = 186;   // X of point 0; 187 ... 191 points 1 ... 5 in steps
inline constexpr int kCorTableChunk = 48;         // entries per transfer request
inline constexpr int kCorTableLastComputed = 157; // t = 20.096 ms; entries after it repeat it

// Rounds to 0.001: the nearest integer of v x 1000, ties to the even one, divided by 1000.
// A product within a billionth (relative) of a half counts as the tie the decimal value is
// (0.5015 x 1000 gives 501.49999999999994 in binary and rounds to 502, as 0.5025 to 502).
double Round3(double v);

// Fills entries 0 ... 191 from the model (entries below the first point's place keep their
// values).
void ModelToTable(TimeTable& table, const ModelRecord& model);
// Sets X of points 0 ... 5, Offset and Alfa from entries 186 ... 191, 184 and 185; the rest
// of the model is left as it is.
void TableToModel(const TimeTable& table, ModelRecord& model);

// Sends the table in four chunks (CMD_WRT_TBL_COR); false as soon as a chunk fails or the
// link reports its watchdog fault.
bool WriteCorTable(ClsComm& comm, const TimeTable& table, double kTimeInjMs);
// Reads the four chunks (CMD_READ_TBL_COR) and converts them back; corTableEcu is replaced
// only when all four arrived whole. When any request of the read had to be resent, an
// answer may have been taken for another chunk's: the table is read a second time and
// counts only when both reads agree.
bool ReadCorTable(ClsComm& comm, TimeTable& corTableEcu, double kTimeInjMs);
// The two tables go on the wire as the same counts.
bool SameTableOnWire(const TimeTable& a, const TimeTable& b, double kTimeInjMs);
// The whole transfer: three write attempts, three read attempts, restore on failure, export in service mode.
bool SendCorrectionTable(ClsComm& comm, TimeTable& corTable, TimeTable& corTableEcu, double kTimeInjMs,
                         const std::string& serviceExportPath /* empty: no export */);
// "Val_corTempiGas" text export; false with error text when the file cannot be created.
bool ExportCorTable(const std::string& path, const TimeTable& table, const NumberLocale& locale,
                    std::string* error = nullptr);

}  // namespace gw
