#include "cli/ModelCommands.h"

#include <cstdio>

#include "cli/EcuCommands.h"
#include "model/CorrectionTables.h"

namespace gw::cli {

namespace {

std::string Printed(const char* format, double a, double b = 0, double c = 0, double d = 0) {
    char buf[160];
    std::snprintf(buf, sizeof buf, format, a, b, c, d);
    return buf;
}

// Values that print as zero print without a sign.
double Shown(double v) { return v > -0.0005 && v < 0.0005 ? 0.0 : v; }

const char* FitText(ModelFit fit) {
    switch (fit) {
        case ModelFit::Exact: return "the table is the model's";
        case ModelFit::Inexact: return "the table has entries off the model's segments (the model follows its points)";
        case ModelFit::Unusable: return "the table's places, slope or offset cannot be a model (the default model is shown)";
    }
    return "?";
}

}  // namespace

std::string ModelShowText(const TimeTable& table) {
    ModelRecord model;
    const ModelFit fit = RebuildModelFromTable(table, model);
    std::string out = std::string("model: ") + FitText(fit) + "\n";
    out += "point  place (ms)  gas (ms)  enrichment (ms)\n";
    for (int i = 0; i < kModelPoints; ++i) {
        const ModelPoint& p = model.points[static_cast<std::size_t>(i)];
        out += Printed("  %.0f    %8.3f  %8.3f  %8.3f\n", i, Shown(p.X), Shown(p.Y), Shown(p.Enrich));
    }
    out += Printed("Alfa   %.3f\nOffset %.3f ms\n", Shown(model.Alfa), Shown(model.Offset));
    out += "correction table (entries 0-183: gas - petrol time in ms at index x 0.128 ms; 184 Offset, 185 Alfa,\n"
           "186 place of point 0 in ms, 187-191 places of points 1-5 in 0.128 ms steps):\n";
    for (int k = 0; k < kTimeTableSize; k += 8) {
        out += Printed("%3.0f:", k);
        for (int j = k; j < k + 8 && j < kTimeTableSize; ++j)
            out += Printed(" %8.3f", Shown(table[static_cast<std::size_t>(j)]));
        out += "\n";
    }
    return out;
}

int ModelShow(Workbench& wb, SteadyHost& host, double timeoutS) {
    wb.OpenCommLog(DateText());
    if (!WaitConnected(wb, host, timeoutS)) {
        std::fprintf(stderr, "no ECU answered within %.0f s\n", timeoutS);
        wb.Shutdown();
        return kExitFailed;
    }
    TimeTable table{};
    if (!ReadCorTable(*wb.Comm, table, wb.Scale.K_Time_Inj_ms)) {
        std::fprintf(stderr, "the ECU did not give its whole correction table\n");
        wb.Shutdown();
        return kExitFailed;
    }
    std::fputs(ModelShowText(table).c_str(), stdout);
    wb.Shutdown();
    return kExitDone;
}

}  // namespace gw::cli
