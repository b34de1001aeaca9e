#include "app/CalibrationRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/CorrectionTables.h"
#include "model/ModelEditing.h"
#include "util/FileIo.h"
#include "util/FileSys.h"
#include "util/Numbers.h"

namespace gw {

namespace {

// Nearest integer with ties to even, a value within a billionth of a half counting as the
// half (decimal ties land just beside it in binary).
double NearestEvenTolerant(double p) {
    if (!std::isfinite(p)) return p;
    const double down = std::floor(p);
    const double frac = p - down;
    const double tolerance = 1e-9 * std::fmax(1.0, std::fabs(p));
    if (std::fabs(frac - 0.5) <= tolerance) return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
    return frac < 0.5 ? down : down + 1.0;
}

std::optional<double> NoteNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::string s = text;
    for (char& c : s)
        if (c == ',') c = '.';
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end == s.c_str() || *end != '\0' || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

double RoundHalfEvenExact(double x) {
    const double down = std::floor(x);
    const double frac = x - down;
    if (frac < 0.5) return down;
    if (frac > 0.5) return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

double CorrectionRule(const CorrectionInput& in) {
    const double G = in.measured, R = in.reference, t = in.tolerance;
    const bool timeInside = (1 - t) * R <= G && G <= (1 + t) * R;
    bool speedInside = true;
    if (in.measuredSpeed && in.referenceSpeed) {
        const double g = *in.measuredSpeed, r = *in.referenceSpeed;
        speedInside = (1 - t) * r <= g && g <= (1 + t) * r;
    }
    if (timeInside && speedInside) return 0;
    double E = std::fabs((G - R) * in.gain);
    if (E > in.maxStep) E = in.maxStep;
    E = RoundHalfEvenExact(E / kCorrectionQuantum) * kCorrectionQuantum;
    E = Round3(E);
    if (E == 0) return 0;
    return (1 - t) * R > G ? -E : E;
}

float IdlePlace(double idleRefTime) {
    return static_cast<float>(NearestEvenTolerant(idleRefTime * 125.0 / 100.0 / kCorTableStepMs) * kCorTableStepMs);
}

ParsedNote ParseInjectorNote(const std::string& note) {
    ParsedNote parsed;
    std::size_t start = 0;
    while (start <= note.size()) {
        std::size_t end = note.find(';', start);
        if (end == std::string::npos) end = note.size();
        const std::string item = Trim(note.substr(start, end - start));
        start = end + 1;
        if (item.empty()) continue;
        if (item == "R" || item == "r") {
            parsed.items.push_back({'R', -1, 0});
            continue;
        }
        bool ok = false;
        if (item.size() >= 4 && (item[0] == 'P' || item[0] == 'p') && item[1] >= '0' && item[1] <= '6') {
            const char op = item[2];
            const auto value = NoteNumber(Trim(item.substr(3)));
            if ((op == '+' || op == '-' || op == '*' || op == '#') && value) {
                parsed.items.push_back({op, item[1] - '0', *value});
                ok = true;
            }
        }
        if (!ok) parsed.ignored.push_back(item);
    }
    return parsed;
}

std::vector<std::string> AdaptEnrichments(ModelRecord& model, const std::string& note) {
    const ParsedNote parsed = ParseInjectorNote(note);
    for (const NoteItem& item : parsed.items) {
        if (item.op == 'R') {
            for (auto& p : model.points) p.Enrich = 0;
            continue;
        }
        ModelPoint& p = model.points[static_cast<std::size_t>(item.point)];
        double e = p.Enrich;
        switch (item.op) {
            case '+': e += item.value; break;
            case '-': e -= item.value; break;
            case '*': e *= item.value; break;
            case '#': e = item.value; break;
            default: break;
        }
        // Whole enrichment steps, and a gas time inside the plot.
        e = RoundHalfEvenExact(e / kCorrectionQuantum) * kCorrectionQuantum;
        const double line = static_cast<double>(model.Alfa) * p.X + model.Offset;
        while (line + e < 0) e += kCorrectionQuantum;
        while (line + e > kModelYMax) e -= kCorrectionQuantum;
        p.Enrich = static_cast<float>(e);
    }
    RecomputeModel(model);
    return parsed.ignored;
}

int FinalCheck(ModelRecord& model, TimeTable& table, const FinalCheckLimits& l) {
    int code = 0;
    if (model.Offset <= l.OffsetMin && l.OffsetMin != 0) {
        model.Offset = static_cast<float>(l.OffsetMin);
        code = 1;
    } else if (model.Offset >= l.OffsetMax) {
        model.Offset = static_cast<float>(l.OffsetMax);
        code = 2;
    } else if (model.Alfa <= l.AlfaMin) {
        model.Alfa = static_cast<float>(l.AlfaMin);
        code = 3;
    } else if (model.Alfa >= l.AlfaMax) {
        model.Alfa = static_cast<float>(l.AlfaMax);
        code = 4;
    }
    RecomputeModel(model);
    ModelToTable(table, model);
    // Without injector limits (no type chosen or a type without them) only the curves hold.
    const bool injLimits = l.InjLimitHigh != 0 || l.InjLimitLow != 0;
    for (int n = 0; n < kCorTableTimeEntries; ++n) {
        const double x = n * kCorTableStepMs;
        if (!(x > l.IdleRefTime)) continue;
        double upper = x * l.AlfaMax + l.OffsetMax;
        double lower = x * (l.AlfaMin - 1) + l.OffsetMin;
        if (injLimits) {
            upper = std::min(upper, l.InjLimitHigh);
            lower = std::max(lower, l.InjLimitLow - x);
        }
        double& entry = table[static_cast<std::size_t>(n)];
        if (entry < lower) {
            entry = lower;
            if (code == 0) code = 5;
        } else if (entry > upper) {
            entry = upper;
            if (code == 0) code = 6;
        }
    }
    return code;
}

double LimitOfCode(int code, const FinalCheckLimits& l) {
    switch (code) {
        case 1: return l.OffsetMin;
        case 2: return l.OffsetMax;
        case 3: return l.AlfaMin;
        case 4: return l.AlfaMax;
        default: return 0;
    }
}

std::string ReportNumber(double value, const NumberLocale& locale) {
    double v = NearestEvenTolerant(value * 10000.0) / 10000.0;
    if (v == 0.0) v = 0.0;  // no "-0"
    // Four decimals at most: the fixed form, trailing zeros dropped.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    std::string s = buf;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    for (char& c : s)
        if (c == '.') c = locale.decimal;
    return s;
}

std::string ReportLine(const std::string& label, double reference, double measured, double correction,
                       double offset, double temperature, double pressure, const NumberLocale& locale) {
    return label + " TInjRef " + ReportNumber(reference, locale) + " TInjMed " + ReportNumber(measured, locale) +
           " TCorr " + ReportNumber(correction, locale) + " Offset " + ReportNumber(offset, locale) + " TempVap " +
           ReportNumber(temperature, locale) + " PressVap " + ReportNumber(pressure, locale);
}

bool ScriviDatiTaratura(const std::string& path, const std::string& line) {
    std::string text;
    if (const auto old = ReadWholeFile(path)) {
        text = *old;
    } else if (FileExists(path) || IsFolder(path)) {
        return false;  // there but unreadable: never replaced by a shorter file
    }
    text += "\"" + line + "\"\r\n";
    return SaveFileAtomic(path, text);
}

}  // namespace gw
