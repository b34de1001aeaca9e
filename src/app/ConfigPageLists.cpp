// ConfigPageLogic: filling the Configuration page's lists (from "\LNG\ConfigScale.ini" or
// built in), the temperature-delay list, the cylinder counts of the ECU's hardware, the
// General page's injector columns, and the page's texts.
#include "app/ConfigPageLists.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <limits>
#include <optional>

#include "app/ConfigPage.h"
#include "app/DictionaryEntries.h"
#include "model/ConfigScaleFile.h"
#include "util/ErrorReport.h"
#include "util/FileIo.h"
#include "util/HexText.h"
#include "util/Numbers.h"

namespace gw {

namespace {

// An entry of the file's lists: the file's decimal comma, else the user's format.
std::optional<double> EntryNumber(const std::string& text, const NumberLocale& locale) {
    if (const auto v = CommaNumberValue(text)) return v;
    return locale.Parse(Trim(text));
}

// An ECU variant code of the scale configuration equals the code; an empty or
// non-numeric code never does.
bool VariantIs(const std::string& text, int code) {
    const std::string t = Trim(text);
    if (t.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(t.c_str(), &end, 10);
    return end && *end == '\0' && v == code;
}

std::vector<std::string> SplitBars(const std::string& s) {
    std::vector<std::string> out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t bar = s.find('|', from);
        out.push_back(s.substr(from, bar == std::string::npos ? std::string::npos : bar - from));
        if (bar == std::string::npos) return out;
        from = bar + 1;
    }
}

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

}  // namespace

void ComboList::Clear() {
    items.clear();
    data.clear();
    selected = -1;
}

void ComboList::Add(std::string text, double value) {
    items.push_back(std::move(text));
    data.push_back(value);
}

int ComboList::FirstAtOrAbove(double v) const {
    // Scaled fields (counts x 0.025) land a hair beside the decimal entry they came from.
    const double tolerance = 1e-6 * std::max(1.0, std::fabs(v));
    for (int i = 0; i < Count(); ++i)
        if (data[static_cast<std::size_t>(i)] >= v - tolerance) return i;
    return -1;
}

int ComboList::IndexOfValue(double v) const {
    for (int i = 0; i < Count(); ++i)
        if (data[static_cast<std::size_t>(i)] == v) return i;
    return -1;
}

ConfigPageTexts ConfigPageTexts::Read(const MainCaptions& c) {
    ConfigPageTexts t;
    auto after = [&c](int k, std::string& field) { field = c.AfterErrors(k, field); };
    after(kAfterErrorsFrmSwitch, t.FrmSwitch);
    after(kAfterErrorsLblSwtchRpm, t.LblSwtchRpm);
    after(kAfterErrorsLblSwtchTemp, t.LblSwtchTemp);
    after(kAfterErrorsLblSwtchDelay, t.LblSwtchDelay);
    after(kAfterErrorsLblSwtchForce, t.LblSwtchForce);
    after(kAfterErrorsLblSwtchSeq, t.LblSwtchSeq);
    after(kAfterErrorsFrmTyp, t.FrmTyp);
    after(kAfterErrorsLblTypFuel, t.LblTypFuel);
    after(kAfterErrorsOptTypFuelLpg, t.OptTypFuelLpg);
    after(kAfterErrorsOptTypFuelCng, t.OptTypFuelCng);
    after(kAfterErrorsLblSwtchCilindri, t.LblSwtchCilindri);
    after(kAfterErrorsLblSwtchBobine, t.LblSwtchBobine);
    after(kAfterErrorsFrmSensor, t.FrmSensor);
    after(kAfterErrorsLblTypName, t.LblTypName);
    after(kAfterErrorsLblEmptyGas, t.LblEmptyGas);
    after(kAfterErrorsLblSwtchPres, t.LblSwtchPres);
    after(kAfterErrorsLblSwtchPressDelay, t.LblSwtchPressDelay);
    after(kAfterErrorsCmdTpyGLS, t.CmdTpyGLS);
    after(kAfterErrorsCmdTpyInj, t.CmdTpyInj);
    after(kAfterErrorsFrmOption, t.FrmOption);
    after(kAfterErrorsLblSwtchLdb, t.LblSwtchLdb);
    after(kAfterErrorsCmdReserVar, t.CmdReserVar);
    after(kAfterErrorsMsgOnEmptyGas, t.MsgOnEmptyGas);
    t.MsgOff = c.Caption(kEntryMsgOff, t.MsgOff);
    t.MsgAreYouSure = c.Caption(kEntryMsgAreYouSure, t.MsgAreYouSure);
    t.MsgOn = c.Caption(kEntryMsgOn, t.MsgOn);
    t.MsgSemiSequentialRefused = c.Caption(kEntryMsgSemiSequentialRefused, t.MsgSemiSequentialRefused);
    return t;
}

void ConfigPageLogic::ApplyTexts(const MainCaptions& captions) { Texts = ConfigPageTexts::Read(captions); }

void ConfigPageLogic::RiempiCmbSwtch() {
    const auto read = LoadConfigScaleLines(AppPath(appFolder_, "\\LNG\\ConfigScale.ini"), &host_);
    ShowWarnings(host_, read.warnings);
    const auto& lines = read.value;
    const bool was = UpdatingControls;
    UpdatingControls = true;
    try {
        FillLists(lines ? &*lines : nullptr);
    } catch (const std::exception& e) {
        ErrorReport(host_, AppTitle, "RiempiCmbSwtch_Err", "Config error", false, ErrorInfo{1, e.what()});
    }
    UpdatingControls = was;
    Changed();
}

void ConfigPageLogic::FillLists(const std::vector<std::string>* lines) {
    const NumberLocale& locale = host_.Locale();
    // A list of numbers from its section; the built-in numbers when the file, the section
    // or any usable number in it is missing.
    auto numeric = [&](ConfigList which, const char* key, const std::vector<double>& builtIn) {
        ComboList& l = List(which);
        l.Clear();
        if (lines) {
            if (const auto items = ReadConfigList(*lines, key))
                for (const std::string& item : *items)
                    if (const auto v = EntryNumber(item, locale)) l.Add(locale.Format(*v), *v);
        }
        if (l.Count() == 0)
            for (double v : builtIn) l.Add(locale.Format(v), v);
    };
    auto steps = [](double first, double step, int count) {
        std::vector<double> v;
        for (int i = 0; i < count; ++i) v.push_back(first + step * i);
        return v;
    };

    std::vector<double> rpm{0};
    for (double v : steps(400, 200, 14)) rpm.push_back(v);
    numeric(ConfigList::CmbSwtchRpm, "[RPM DI COMM.]", rpm);
    numeric(ConfigList::CmbSwtchTemp, "[TEMP. DI COMM.]", steps(20, 5, 11));
    numeric(ConfigList::CmbSwtchForce, "[FORZA COMM.]", {0, 30, 60, 90, 120, 240, 300, 420, 600});
    numeric(ConfigList::CmbSwtchSeq, "[SEQUENZA COMMUTAZIONE]", {});
    std::vector<double> bar, delayPress;
    for (int k = 1; k <= 12; ++k) bar.push_back(k / 10.0);
    for (int k = 1; k <= 10; ++k) delayPress.push_back(k / 10.0);
    for (int k = 3; k <= 10; ++k) delayPress.push_back(k / 2.0);
    numeric(ConfigList::CmbSwtchBar, "[PRESSIONI DI FINE GAS]", bar);
    numeric(ConfigList::CmbSwtchDelayPress, "[RITARDO DI FINE GAS]", delayPress);

    ComboList& empty = List(ConfigList::CmbEmptyGas);
    empty.Clear();
    empty.Add(Texts.MsgOff, 0);
    empty.Add(Texts.MsgOnEmptyGas, 1);

    for (ConfigList which : {ConfigList::CmbSwtchCilindri, ConfigList::CmbSwtchBobine}) {
        ComboList& l = List(which);
        l.Clear();
        for (int n : {1, 2, 3, 4, 5, 6, 8}) l.Add(std::to_string(n), n);
    }

    // Lambda, injector and level types: the entry's number is the type's table index.
    ComboList& lambda = List(ConfigList::CmbSwtchLambdaType);
    lambda.Clear();
    if (!scale_.LambdaTypes.empty() && scale_.LambdaTypes.front().Name == "NULL") {
        for (std::size_t i = 0; i < scale_.LambdaTypes.size(); ++i)
            lambda.Add(scale_.LambdaTypes[i].Name, static_cast<double>(i));
    } else {
        const char* names[] = {"0..0,8", "0..5 Direct", "0..5 Inverted", "0,8..1,6"};
        lambda.Add(Texts.MsgOff, 0);
        for (std::size_t i = 0; i < 4; ++i) lambda.Add(names[i], static_cast<double>(i + 1));
    }
    ComboList& inj = List(ConfigList::CmbTpyInj);
    inj.Clear();
    for (std::size_t i = 0; i < scale_.InjTypes.size(); ++i)
        if (!scale_.InjTypes[i].Name.empty()) inj.Add(scale_.InjTypes[i].Name, static_cast<double>(i));
    ComboList& gls = List(ConfigList::CmbTpyGLS);
    gls.Clear();
    for (std::size_t i = 0; i < scale_.GasLevelTypes.size(); ++i)
        gls.Add(scale_.GasLevelTypes[i].Name, static_cast<double>(i));

    // The temperature-delay tables.
    DelayThreshold = 40;
    DelayTableHigh = SplitBars("60|65|70|75|80|85|90|95|100|105|110|115|120");
    DelayTableLow = SplitBars("20|25|30|35|40|45|50|55|60|65|70");
    if (lines) {
        if (const auto t = FindConfigValue(*lines, "[SOGLIA RITARDO TEMP. DI COMM.]"))
            if (const auto v = EntryNumber(*t, locale)) DelayThreshold = *v;
        if (auto high = ReadConfigList(*lines, "[RITARDO TEMP. DI COMM.]")) DelayTableHigh = std::move(*high);
        if (auto low = ReadConfigList(*lines, "[RITARDO TEMP. DI COMM. TAB.2]")) DelayTableLow = std::move(*low);
    }
}

void ConfigPageLogic::RiempiCmbSwtchDelay() {
    const bool was = UpdatingControls;
    UpdatingControls = true;
    ComboList& delay = List(ConfigList::CmbSwtchDelay);
    delay.Clear();
    const ComboList& temp = List(ConfigList::CmbSwtchTemp);
    const double t = temp.Valid(temp.selected) ? temp.data[static_cast<std::size_t>(temp.selected)] : 0;
    for (const std::string& text : t >= DelayThreshold ? DelayTableHigh : DelayTableLow) {
        const std::string entry = Trim(text);
        delay.Add(entry, EntryNumber(entry, host_.Locale()).value_or(kNoValue));
    }
    const int at = delay.FirstAtOrAbove(image_.Block3.SwtchDelay);
    delay.selected = at >= 0 ? at : delay.Count() - 1;
    UpdatingControls = was;
}

void ConfigPageLogic::RiempiCmbSwtchCilindri() {
    // The hardware code: bytes 13-14 of the production-test memo frame, little-endian.
    const std::string memo = BytesToHex(image_.Comm().MemoDataCollaudo);
    const int code = memo.size() > 26 ? HexU16(memo.substr(26, 4)) : 0;
    const bool four = VariantIs(scale_.SL_4Cil, code);
    const bool six = VariantIs(scale_.SL_6Cil, code);
    ComboList& l = List(ConfigList::CmbSwtchCilindri);
    l.Clear();
    for (int n = 1; n <= 4; ++n) l.Add(std::to_string(n), n);
    if (!four) {
        l.Add("5", 5);
        l.Add("6", 6);
        if (!six) l.Add("8", 8);
    }
}

void ConfigPageLogic::IstanzaInj(int cylinders) {
    for (int i = 0; i < kInjectors; ++i) InjColumnVisible[static_cast<std::size_t>(i)] = i < cylinders;
    CmbInj.Clear();
    CmbInj.Add("Inj_##", 0);
    for (int k = 1; k <= cylinders && k <= kInjectors; ++k) CmbInj.Add("Inj_" + std::to_string(k), k);
    CmbInj.selected = 0;
    InjectorsInstanced.Emit(cylinders);
}

}  // namespace gw
