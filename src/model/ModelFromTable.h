// ModelFromTable: rebuilds the whole gas injection model from a correction table (one read
// from the ECU or loaded from a configuration file): places, Alfa and Offset from the table's
// model entries, then each point's gas time and enrichment from the entry at its place.
// Not here: the table arithmetic itself (CorrectionTables) or when a table is read.
#pragma once

#include "model/ModelRecord.h"
#include "model/TimeTable.h"

namespace gw {

// What a rebuild found.
enum class ModelFit {
    Exact,     // the model gives the table back (entries from point 0's place on, to 0.001 ms)
    Inexact,   // the model follows the table at its points, but the table has entries between
               // them that are off the model's segments (another tool may have written them)
    Unusable,  // the table's places, Alfa or Offset cannot be a model: the default model is set
};

// Places of points 0-5, Alfa and Offset from entries 186-191, 184, 185; Y of points 0-5 =
// X + the entry at the point's place (point 5 through the table's last computed entry),
// Enrich = Y - Alfa x X - Offset, Shift = X - default place. Point 6 keeps its values.
ModelFit RebuildModelFromTable(const TimeTable& table, ModelRecord& model);

}  // namespace gw
