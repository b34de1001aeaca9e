// First reader of the scale configuration: the scale constants and settings.
#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <utility>

#include "model/ConfigScaleFile.h"
#include "model/ScaleConfig.h"
#include "util/Numbers.h"

namespace gw {

LambdaType ScaleConfig::NullLambdaType() {
    LambdaType t;
    t.Name = "NULL";
    t.Code = 0;
    t.Scale = 0.001;
    return t;
}

namespace {

// A whole number of up to nine digits with an optional leading "-".
std::optional<int> WholeNumber(const std::string& text) {
    const std::string t = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && t[i] == '-') {
        negative = true;
        ++i;
    }
    if (i == t.size() || t.size() - i > 9) return std::nullopt;
    int n = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        n = n * 10 + (t[i] - '0');
    }
    return negative ? -n : n;
}

// "a,b|c,d|...": the pairs of the groups that hold two whole numbers.
std::vector<std::pair<int, int>> MappingPairs(const std::string& value) {
    std::vector<std::pair<int, int>> pairs;
    std::size_t from = 0;
    while (from <= value.size() && pairs.size() < kMaxMappingPairs) {
        std::size_t bar = value.find('|', from);
        if (bar == std::string::npos) bar = value.size();
        const std::string group = value.substr(from, bar - from);
        const std::size_t comma = group.find(',');
        if (comma != std::string::npos) {
            const auto a = WholeNumber(group.substr(0, comma));
            const auto b = WholeNumber(group.substr(comma + 1));
            if (a && b) pairs.emplace_back(*a, *b);
        }
        from = bar + 1;
    }
    return pairs;
}

std::optional<bool> BooleanValue(const std::string& text, const NumberLocale& locale) {
    const std::string t = Lower(Trim(text));
    if (t == "true") return true;
    if (t == "false") return false;
    if (const auto v = LocaleNumberValue(t, locale)) return *v != 0.0;
    return std::nullopt;
}

void SetScaleDefaults(ScaleConfig& cfg) {
    const ScaleConfig d;
    cfg.K_Time_Inj_ms = d.K_Time_Inj_ms;
    cfg.K_Time_Pwm_ms = d.K_Time_Pwm_ms;
    cfg.K_VBat_V = d.K_VBat_V;
    cfg.K_Lambda_V = d.K_Lambda_V;
    cfg.K_Timer_Gen_ms = d.K_Timer_Gen_ms;
    cfg.K_VLevel_Sens_mV = d.K_VLevel_Sens_mV;
    cfg.PassWord00 = d.PassWord00;
    cfg.PassWord01 = d.PassWord01;
    cfg.SommaTempoInj = d.SommaTempoInj;
    cfg.ControlPetrolFirmware = d.ControlPetrolFirmware;
    cfg.SL_4Cil = d.SL_4Cil;
    cfg.SL_6Cil = d.SL_6Cil;
    cfg.SL_8Cil = d.SL_8Cil;
    cfg.SoglieMapping = d.SoglieMapping;
    cfg.CkbeV02Visible = d.CkbeV02Visible;
    cfg.StepBadBitUs = d.StepBadBitUs;
    cfg.AddTimeSwitch = true;
}

struct KeyRule {
    const char* key;
    bool skipValueLine;  // false: the value line is scanned for keys too
    std::function<void(ScaleConfig&, const std::string& raw, const NumberLocale&)> apply;
};

void SetComma(double& field, const std::string& raw) {
    if (const auto v = CommaNumberValue(raw)) field = *v;
}

// Constants the ECU values are divided by when written: zero would make every write absurd.
void SetCommaDivisor(double& field, const std::string& raw) {
    if (const auto v = CommaNumberValue(raw); v && *v != 0.0) field = *v;
}

const std::vector<KeyRule>& Rules() {
    static const std::vector<KeyRule> rules = {
        {"[K_Time_Inj_ms]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { SetCommaDivisor(c.K_Time_Inj_ms, r); }},
        {"[K_Time_Pwm_ms]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { SetCommaDivisor(c.K_Time_Pwm_ms, r); }},
        {"[K_VBat_V]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { SetComma(c.K_VBat_V, r); }},
        {"[K_Lambda_V]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { SetComma(c.K_Lambda_V, r); }},
        {"[K_Timer_Gen_ms]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { SetCommaDivisor(c.K_Timer_Gen_ms, r); }},
        {"[K_VLevel_Sens_mV]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { SetComma(c.K_VLevel_Sens_mV, r); }},
        {"[PassWord00]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { c.PassWord00 = r; }},
        {"[PassWord01]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { c.PassWord01 = r; }},
        {"[SommaTempoInj_usec]", true,
         [](ScaleConfig& c, const std::string& r, const NumberLocale& loc) {
             if (const auto v = LocaleNumberValue(r, loc)) c.SommaTempoInj = *v / 1000.0;
         }},
        {"[Control_petrol_firmware]", true,
         [](ScaleConfig& c, const std::string& r, const NumberLocale&) {
             const std::string padded = "000000000000" + Trim(r);
             c.ControlPetrolFirmware = padded.substr(padded.size() - 12);
         }},
        {"[SL_4Cil]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { c.SL_4Cil = Trim(r); }},
        {"[SL_6Cil]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { c.SL_6Cil = Trim(r); }},
        {"[SL_8Cil]", true, [](ScaleConfig& c, const std::string& r, const NumberLocale&) { c.SL_8Cil = Trim(r); }},
        {"[SOGLIE MAPPING]", true,
         [](ScaleConfig& c, const std::string& r, const NumberLocale&) {
             auto pairs = MappingPairs(Trim(r));
             if (!pairs.empty()) c.SoglieMapping = std::move(pairs);
         }},
        {"[CkbeV_02_VISIBILE]", true,
         [](ScaleConfig& c, const std::string& r, const NumberLocale& loc) {
             if (const auto b = BooleanValue(r, loc)) c.CkbeV02Visible = *b;
         }},
        {"[StepBadBit_us]", false,
         [](ScaleConfig& c, const std::string& r, const NumberLocale& loc) {
             if (const auto v = Int16Value(r, loc); v && *v >= 1) c.StepBadBitUs = *v;
         }},
    };
    return rules;
}

}  // namespace

void ApplyScaleConstants(const NumberLocale& locale, const std::vector<std::string>& lines, ScaleConfig& cfg) {
    SetScaleDefaults(cfg);
    std::size_t i = 0;
    while (i < lines.size()) {
        const std::string& line = lines[i];
        const KeyRule* rule = nullptr;
        if (!line.empty() && line.front() == '[') {
            for (const KeyRule& r : Rules())
                if (line == r.key) {
                    rule = &r;
                    break;
                }
        }
        if (rule == nullptr || i + 1 >= lines.size()) {
            ++i;
            continue;
        }
        rule->apply(cfg, lines[i + 1], locale);
        i += rule->skipValueLine ? 2 : 1;
    }
}

Warnings ReadScaleConstants(const NumberLocale& locale, const std::string& path, ScaleConfig& cfg, Host* events) {
    auto read = LoadConfigScaleLines(path, events);
    ApplyScaleConstants(locale, read.value ? *read.value : std::vector<std::string>{}, cfg);
    return std::move(read.warnings);
}

}  // namespace gw
