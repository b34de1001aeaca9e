// Readers of the gas-level, injector and lambda sensor type tables, and the look-ups by
// type code.
#include <cstddef>
#include <utility>

#include "model/ConfigScaleFile.h"
#include "model/ScaleConfig.h"
#include "util/ErrorReport.h"
#include "util/Numbers.h"

namespace gw {

namespace {

// Injector sections kept (the codes are section numbers 0 ... 99).
constexpr std::size_t kMaxInjTypes = kMaxSectionNumber + 1;

const ErrorInfo kTypeMismatch{13, "Type mismatch"};
const ErrorInfo kOverflow{6, "Overflow"};
const ErrorInfo kBadSection{9, "Subscript out of range"};

// Collects the conversion failures of one reading as common error boxes, the first
// kMaxTypeWarnings of them.
class Reporter {
public:
    Reporter(const std::string& appTitle, const char* procedure, const char* message)
        : appTitle_(appTitle), procedure_(procedure), message_(message) {}

    void Report(const ErrorInfo& err) {
        if (warnings_.size() < kMaxTypeWarnings)
            warnings_.push_back(ErrorReportWarning(appTitle_, procedure_, message_, err));
    }

    // The error of a text that a whole-number conversion refused.
    void ReportNumber(const std::string& text, const NumberLocale& locale) {
        Report(LocaleNumberValue(text, locale) ? kOverflow : kTypeMismatch);
    }

    Warnings Take() { return std::move(warnings_); }

private:
    const std::string& appTitle_;
    const char* procedure_;
    const char* message_;
    Warnings warnings_;
};

template <typename Int>
void SetWhole(Int& field, const std::string& text, const NumberLocale& locale, Reporter& rep,
              std::optional<Int> (*convert)(const std::string&, const NumberLocale&)) {
    if (const auto v = convert(text, locale))
        field = *v;
    else
        rep.ReportNumber(text, locale);
}

void SetLocale(double& field, double factor, const std::string& text, const NumberLocale& locale, Reporter& rep) {
    if (const auto v = LocaleNumberValue(text, locale))
        field = *v * factor;
    else
        rep.Report(kTypeMismatch);
}

void SetComma(double& field, const std::string& text, Reporter& rep) {
    if (const auto v = CommaNumberValue(text))
        field = *v;
    else
        rep.Report(kTypeMismatch);
}

// Calls onSection(number, first value line index, value line count) for every header
// beginning with prefix; the fixed number of lines after a header belong to it whatever
// they contain. A header without a usable number is reported and its section skipped.
template <typename OnSection>
void ForEachSection(const std::vector<std::string>& lines, const std::string& prefix, std::size_t valueLines,
                    Reporter& rep, OnSection onSection) {
    std::size_t i = 0;
    while (i < lines.size()) {
        if (!IsSectionHeader(lines[i], prefix)) {
            ++i;
            continue;
        }
        const std::size_t first = i + 1;
        const std::size_t available = first < lines.size() ? lines.size() - first : 0;
        const std::size_t count = available < valueLines ? available : valueLines;
        if (const auto n = SectionNumber(lines[i], prefix))
            onSection(*n, first, count);
        else
            rep.Report(kBadSection);
        i = first + valueLines;
    }
}

// Grows an indexed table so that it ends at least at index n (never shrinks it, so a
// section given out of order cannot drop the records read before it).
template <typename T>
T& IndexedRecord(std::vector<T>& table, int n) {
    const std::size_t need = static_cast<std::size_t>(n) + 1;
    if (table.size() < need) table.resize(need);
    return table[static_cast<std::size_t>(n)];
}

}  // namespace

Warnings ApplyGasLevelTypes(const NumberLocale& locale, const std::vector<std::string>& lines, ScaleConfig& cfg,
                            const std::string& appTitle) {
    Reporter rep(appTitle, "IniziaLevelGasType_Err", "Config level sensor error");
    std::vector<GasLevelType> table;
    ForEachSection(lines, "[GasLevel_", 11, rep, [&](int n, std::size_t first, std::size_t count) {
        GasLevelType& t = IndexedRecord(table, n);
        t = GasLevelType{};
        for (std::size_t k = 0; k < count; ++k) {
            const std::string& v = lines[first + k];
            switch (k) {
            case 0: t.Name = Trim(v); break;
            case 1: SetWhole(t.Code, v, locale, rep, &Int16Value); break;
            case 2: t.Text2 = Trim(v); break;
            case 9: SetLocale(t.Scale, 1.0, v, locale, rep); break;
            case 10: SetWhole(t.Flag, v, locale, rep, &ByteValue); break;
            default: SetWhole(t.Thresholds[k - 3], v, locale, rep, &Int16Value); break;
            }
        }
    });
    cfg.GasLevelTypes = std::move(table);
    return rep.Take();
}

Warnings ApplyInjTypes(const NumberLocale& locale, const std::vector<std::string>& lines, ScaleConfig& cfg,
                       const std::string& appTitle) {
    Reporter rep(appTitle, "IniziaTipoInj_Err", "Config level sensor error");
    const double k_pwm = cfg.K_Time_Pwm_ms;
    std::vector<InjType> table;
    bool overflowReported = false;
    ForEachSection(lines, "[InjType_", 7, rep, [&](int n, std::size_t first, std::size_t count) {
        if (table.size() >= kMaxInjTypes) {
            if (!overflowReported) rep.Report(kBadSection);
            overflowReported = true;
            return;
        }
        InjType& t = table.emplace_back();
        t.Code = static_cast<std::int16_t>(n);
        for (std::size_t k = 0; k < count; ++k) {
            const std::string& v = lines[first + k];
            switch (k) {
            case 0: t.Name = Trim(v); break;
            case 1: SetLocale(t.Time1, k_pwm, v, locale, rep); break;
            case 2: SetLocale(t.Time3, k_pwm, v, locale, rep); break;
            case 3: SetLocale(t.Time2, k_pwm, v, locale, rep); break;
            case 4: SetComma(t.LimitHigh, v, rep); break;
            case 5: SetComma(t.LimitLow, v, rep); break;
            default: t.Note = Trim(v); break;
            }
        }
    });
    if (table.empty()) table.emplace_back();
    cfg.InjTypes = std::move(table);
    return rep.Take();
}

namespace {

bool SetCurve(LambdaType& t, const std::string& text, const NumberLocale& locale) {
    const std::size_t bar = text.find('|');
    if (bar == std::string::npos) return false;
    const auto first = LocaleNumberValue(text.substr(0, bar), locale);
    const auto last = LocaleNumberValue(text.substr(bar + 1), locale);
    if (!first || !last) return false;
    const float a = static_cast<float>(*first);
    const float b = static_cast<float>(*last);
    for (int k = 0; k < LambdaType::kCurvePoints; ++k)
        t.Curve[static_cast<std::size_t>(k)] = static_cast<float>(a + k * (static_cast<double>(b) - a) / 10.0);
    return true;
}

}  // namespace

Warnings ApplyLambdaTypes(const NumberLocale& locale, const std::vector<std::string>& lines, ScaleConfig& cfg,
                          const std::string& appTitle, const std::string& absentSensorName) {
    Reporter rep(appTitle, "IniziaTipoLambda_Err", "Config lambda sensor error");
    std::vector<LambdaType> table{ScaleConfig::NullLambdaType()};
    ForEachSection(lines, "[Lambda_", 4, rep, [&](int n, std::size_t first, std::size_t count) {
        LambdaType& t = IndexedRecord(table, n);
        t = n == 0 ? ScaleConfig::NullLambdaType() : LambdaType{};
        for (std::size_t k = 0; k < count; ++k) {
            const std::string& v = lines[first + k];
            switch (k) {
            case 0: t.Name = Trim(v); break;
            case 1: SetWhole(t.Code, v, locale, rep, &Int16Value); break;
            case 2: SetComma(t.Scale, v, rep); break;
            default:
                if (!SetCurve(t, Trim(v), locale)) rep.Report(kTypeMismatch);
                break;
            }
        }
        if (n == 0 && !absentSensorName.empty()) t.Name = absentSensorName;
    });
    cfg.LambdaTypes = std::move(table);
    return rep.Take();
}

namespace {

// Reads the file and, when it exists, applies one type reader to its lines; the warnings
// of the reading come first, then the reader's.
template <typename Apply>
Warnings ReadTypes(const std::string& path, Host* events, Apply apply) {
    auto read = LoadConfigScaleLines(path, events);
    if (read.value) AppendWarnings(read.warnings, apply(*read.value));
    return std::move(read.warnings);
}

}  // namespace

Warnings ReadGasLevelTypes(const NumberLocale& locale, const std::string& path, ScaleConfig& cfg,
                           const std::string& appTitle, Host* events) {
    return ReadTypes(path, events, [&](const auto& lines) { return ApplyGasLevelTypes(locale, lines, cfg, appTitle); });
}

Warnings ReadInjTypes(const NumberLocale& locale, const std::string& path, ScaleConfig& cfg,
                      const std::string& appTitle, Host* events) {
    return ReadTypes(path, events, [&](const auto& lines) { return ApplyInjTypes(locale, lines, cfg, appTitle); });
}

Warnings ReadLambdaTypes(const NumberLocale& locale, const std::string& path, ScaleConfig& cfg,
                         const std::string& appTitle, const std::string& absentSensorName, Host* events) {
    return ReadTypes(path, events, [&](const auto& lines) {
        return ApplyLambdaTypes(locale, lines, cfg, appTitle, absentSensorName);
    });
}

int FindGasLevelType(const ScaleConfig& cfg, int code) {
    for (std::size_t i = 0; i < cfg.GasLevelTypes.size(); ++i)
        if (cfg.GasLevelTypes[i].Code == code) return static_cast<int>(i);
    return -1;
}

int FindLambdaType(const ScaleConfig& cfg, int code) {
    for (std::size_t i = 0; i < cfg.LambdaTypes.size(); ++i)
        if (cfg.LambdaTypes[i].Code == code) return static_cast<int>(i);
    return -1;
}

}  // namespace gw
