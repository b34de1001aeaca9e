#include "app/ExpertLogic.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "app/DictionaryEntries.h"
#include "model/ConfigScaleFile.h"
#include "util/ErrorReport.h"
#include "util/FileIo.h"

namespace gw {

namespace {

constexpr const char* kRefusalFallback = "This setting can only be changed with the ignition key off.";
constexpr double kEps = 1e-9;

// Dictionary offsets after "[FrmSetExpert]" and the control each one captions.
struct CaptionEntry {
    int offset;
    const char* control;
};
constexpr CaptionEntry kCaptions[] = {
    {kExpertAbilComp, "ChkAbilComp"},           {kExpertTempVolRef, "LbltempVolRef"},
    {kExpertPressVolRef, "LblpressVolRef"},     {kExpertMinRpmAbil, "ChkMinRpmAbil"},
    {kExpertRpmLow, "LblRpmLow"},               {kExpertRpmHight, "LblRpmHight"},
    {kExpertMaxPower, "ChkMaxPower"},           {kExpertAbilCompRpm, "ChkAbilCompRpm"},
    {kExpertTypSensTemp, "LblTypSensTemp"},     {kExpertValuePreInj, "LblValuePreInj"},
    {kExpertTemperUnderPreInj, "LblTemperUnderPreInj"}, {kExpertDefTimeSovra, "LblDefTimeSovra"},
    {kExpertMicroInjTime, "LblMicroInjTime"},   {kExpertClearHoursCnt, "CmdClearHoursCnt"},
    {kExpertNotOsservaRpm, "ChknotOsservaRpm"}, {kExpertVersoComm, "ChkversoComm"},
    {kExpertSingleChComm, "ChkSingleChComm"},   {kExpertSohTfraComm, "Lblsoh_Tfra_Comm"},
    {kExpertSohTonComm, "LblSoh_Ton_Comm"},     {kExpertSafetyCar, "LblSafetyCar"},
    {kExpertChangeStatoEcu, "CmdChangeStatoEcu"},
    {kExpertTypSensMap, "LblTypSensMap"},       {kExpertBadBit, "LblBadBit"},
};

std::string Trimmed(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

// A whole number 0 ... 255 written in plain digits.
std::optional<int> ByteText(const std::string& text) {
    const std::string t = Trimmed(text);
    if (t.empty() || t.size() > 3) return std::nullopt;
    int v = 0;
    for (char c : t) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    if (v > 255) return std::nullopt;
    return v;
}

int Rounded(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

const char* ControlName(ExpertList l) {
    static constexpr const char* names[kExpertListCount] = {
        "CmbpressVolRef", "CmbtempVolRef", "CmbMaxPowerSoh", "CmbTypSensTemp", "CmbTypSensMap", "CmbSafetyCar",
        "CmbBadBit", "CmbRpmHight", "CmbRpmLow", "CmbTemperUnderPreInj", "CmbDefTimeSovra", "CmbValuePreInj"};
    return names[static_cast<int>(l)];
}

const char* ControlName(ExpertCheck c) {
    static constexpr const char* names[kExpertCheckCount] = {"ChkMaxPower",      "ChkAbilComp",  "ChkAbilCompRpm",
                                                             "ChknotOsservaRpm", "ChkversoComm", "ChkSingleChComm",
                                                             "ChkMinRpmAbil"};
    return names[static_cast<int>(c)];
}

const char* ControlName(ExpertText t) {
    return t == ExpertText::SohTfraComm ? "Txtsoh_Tfra_Comm" : "TxtSoh_Ton_Comm";
}

ExpertLogic::ExpertLogic(ParameterImage& image, const ClsLingue& lingue, std::string appFolder)
    : image_(image), lingue_(lingue), appFolder_(std::move(appFolder)) {}

std::string ExpertLogic::Path(const char* relative) const { return AppPath(appFolder_, relative); }

void ExpertLogic::Load() {
    layout_ = ExpertLayout();
    SetCaptions();
    ApplyLayout();
    // Locked: only the password box shows.
    layout_.Find("FrmExp")->visible = false;
    layout_.Find("FrmTrueExpert")->visible = false;
    password_.clear();
    level_ = ExpertLevel::Locked;
    width_ = kSmallWidth;
    height_ = kSmallHeight;
}

void ExpertLogic::SetCaptions() {
    const int marker = lingue_.FindMarker(kMarkerExpert);
    if (marker < 0) return;
    for (const auto& e : kCaptions) {
        const std::string text = lingue_.Voce(marker + e.offset);
        if (!text.empty())
            if (LayoutControl* c = layout_.Find(e.control)) c->caption = text;
    }
    const std::string w2 = lingue_.Voce(marker + kExpertWorkTime2);
    const std::string w1 = lingue_.Voce(marker + kExpertWorkTime1);
    if (!w2.empty()) workLabel2_ = w2;
    if (!w1.empty()) workLabel1_ = w1;
}

void ExpertLogic::ApplyLayout() { layoutReport_ = layout_.ApplyFile(Path(kLayoutFile)); }

void ExpertLogic::Activate() {
    filling_ = true;
    FillFixedLists();
    SelectValues();
    filling_ = false;
}

void ExpertLogic::FillFixedLists() {
    const NumberLocale& loc = image_.Comm().host().Locale();
    auto range = [&](ExpertList l, double from, double to, double step) {
        auto& items = L(l).items;
        items.clear();
        for (int k = 0; from + k * step <= to + kEps; ++k) items.push_back(loc.Format(std::round((from + k * step) * 1000) / 1000));
        L(l).selected = -1;
    };
    range(ExpertList::PressVolRef, 200, 3000, 50);
    range(ExpertList::TempVolRef, 30, 80, 2);
    L(ExpertList::TempVolRef).items.push_back("100");
    L(ExpertList::TempVolRef).items.push_back("120");
    range(ExpertList::MaxPowerSoh, 2000, 6800, 200);
    range(ExpertList::BadBit, 0.6, 3.0, 0.1);
    range(ExpertList::RpmHight, 600, 1500, 100);
    range(ExpertList::RpmLow, 500, 1400, 100);
    L(ExpertList::TypSensTemp) = {{"10 Kohm", "4.7 Kohm"}, -1};
    L(ExpertList::TypSensMap) = {{"5 bar", "1 bar", "Abs 4 bar"}, -1};
    std::string off = lingue_.Voce(kEntryMsgOff), on = lingue_.Voce(kEntryMsgOn);
    L(ExpertList::SafetyCar) = {{off.empty() ? "Disabled" : off, on.empty() ? "Enabled" : on}, -1};
}

void ExpertLogic::FillExpertCombos() {
    Host& host = image_.Comm().host();
    const NumberLocale& loc = host.Locale();
    const auto read = LoadConfigScaleLines(Path(kConfigFile), &host);
    ShowWarnings(host, read.warnings);
    const auto& lines = read.value;
    struct Source {
        ExpertList list;
        const char* key;
        std::vector<double> defaults;
    };
    const Source sources[] = {
        {ExpertList::TemperUnderPreInj, "[CmbTemperUnderPreInj]", {5, 10, 15, 20}},
        {ExpertList::DefTimeSovra, "[CmbDefTimeSovra]", {2, 5, 10, 15, 20}},
        {ExpertList::ValuePreInj, "[CmbValuePreInj]", {0, 0.5, 1, 1.5, 2}},
    };
    bool badPiece = false;
    for (const auto& s : sources) {
        auto& st = L(s.list);
        st = {};
        if (lines) {
            if (auto pieces = ReadConfigList(*lines, s.key)) {
                for (const auto& p : *pieces) {
                    if (LocaleNumberValue(p, loc)) st.items.push_back(p);
                    else badPiece = true;
                }
            }
        }
        if (st.items.empty())
            for (double d : s.defaults) st.items.push_back(loc.Format(d));
    }
    if (badPiece && !configErrorShown_) {
        configErrorShown_ = true;
        ErrorReport(host, image_.Comm().AppTitle, "RiempiComboExpert_Err", "Config error", false,
                    ErrorInfo{13, "Type mismatch"});
    }
}

double ExpertLogic::ItemNumber(ExpertList l, int index) const {
    const auto& items = List(l).items;
    if (index < 0 || index >= static_cast<int>(items.size())) return std::nan("");
    auto v = LocaleNumberValue(items[static_cast<std::size_t>(index)], image_.Comm().host().Locale());
    return v ? *v : std::nan("");
}

void ExpertLogic::SelectAtLeast(ExpertList l, double value, bool addWhenNone) {
    auto& st = L(l);
    st.selected = -1;
    for (int i = 0; i < static_cast<int>(st.items.size()); ++i) {
        const double n = ItemNumber(l, i);
        if (!std::isnan(n) && n >= value - kEps) {
            st.selected = i;
            return;
        }
    }
    if (addWhenNone) {
        st.items.push_back(image_.Comm().host().Locale().Format(value));
        st.selected = static_cast<int>(st.items.size()) - 1;
    }
}

void ExpertLogic::SelectIndex(ExpertList l, int index) {
    auto& st = L(l);
    st.selected = index >= 0 && index < static_cast<int>(st.items.size()) ? index : -1;
}

void ExpertLogic::SelectValues() {
    const Block3Record& b3 = image_.Block3;
    SelectAtLeast(ExpertList::PressVolRef, b3.PressVolRef, true);
    SelectAtLeast(ExpertList::TempVolRef, b3.TempVolRef, true);
    SelectAtLeast(ExpertList::MaxPowerSoh, b3.MaxPowerSoh, true);
    SelectIndex(ExpertList::TypSensTemp, b3.TypSensTemp);
    SelectIndex(ExpertList::TypSensMap, b3.TypSensMap);
    SelectIndex(ExpertList::SafetyCar, b3.SafetyCar);
    SelectIndex(ExpertList::BadBit, b3.BadBit >= 1 && b3.BadBit <= 25 ? b3.BadBit - 1 : -1);
    auto check = [&](ExpertCheck c, int byte) { checks_[static_cast<std::size_t>(c)] = byte != 0; };
    check(ExpertCheck::MaxPower, b3.MaxPowerEnable);
    check(ExpertCheck::AbilComp, b3.AbilComp);
    check(ExpertCheck::AbilCompRpm, image_.Block2.AbilAcq[0]);

    FillExpertCombos();
    const Block5Record& b5 = image_.Block5;
    SelectAtLeast(ExpertList::TemperUnderPreInj, b5.TemperUnderPreInj, false);
    SelectAtLeast(ExpertList::DefTimeSovra, b5.DefTimeSovra, false);
    SelectAtLeast(ExpertList::ValuePreInj, b5.ValuePreInj, false);
    SelectAtLeast(ExpertList::RpmHight, b5.RpmHight, false);
    SelectAtLeast(ExpertList::RpmLow, b5.RpmLow, false);
    check(ExpertCheck::NotOsservaRpm, b5.NotOsservaRpm);
    check(ExpertCheck::VersoComm, b5.VersoComm);
    check(ExpertCheck::SingleChComm, b5.Expert2);
    check(ExpertCheck::MinRpmAbil, b5.Expert18);
    const double k = image_.Scale().K_Time_Inj_ms;
    texts_[0] = std::to_string(k > 0 ? Rounded(b5.ExpTime1 / k) : 0);
    texts_[1] = std::to_string(k > 0 ? Rounded(b5.ExpTime2 / k) : 0);

    ShowTimeWork(image_.Block2.Minutes2, image_.Block2.Minutes1);
}

void ExpertLogic::ShowTimeWork(double minutes2, double minutes1) {
    auto hours = [](double minutes) { return std::to_string(std::max(0LL, std::llround(minutes)) / 60); };
    timeWork_ = workLabel2_ + ": " + hours(minutes2) + "\n" + workLabel1_ + ": " + hours(minutes1);
}

void ExpertLogic::PasswordEnter(const std::string& text) {
    password_ = text;
    const ScaleConfig& cfg = image_.Scale();
    LayoutControl* exp = layout_.Find("FrmExp");
    LayoutControl* full = layout_.Find("FrmTrueExpert");
    if (text == cfg.PassWord00) {
        ApplyLayout();
        exp->visible = true;
        full->visible = false;
        level_ = ExpertLevel::First;
        width_ = exp->width + 2 * exp->left + 90;
        height_ = exp->height + exp->top + 495;
    } else if (!cfg.PassWord01.empty() && text == cfg.PassWord01) {
        layout_.ShowAll();
        level_ = ExpertLevel::Full;
        width_ = full->width + full->left + exp->left + 90;
        height_ = std::max(exp->height + exp->top, full->height + full->top) + 495;
    }
}

void ExpertLogic::ListClick(ExpertList list, int index) {
    if (filling_) return;
    const double n = ItemNumber(list, index);
    if (index < 0 || index >= static_cast<int>(List(list).items.size())) return;
    Block3Record& p3 = image_.Block3Pending;
    Block5Record& p5 = image_.Block5Pending;
    auto b3 = [&] { image_.Block3WriteRequest = 1; };
    auto b5 = [&] { image_.Block5WriteRequest = 1; };
    const bool indexed = list == ExpertList::TypSensTemp || list == ExpertList::TypSensMap ||
                         list == ExpertList::SafetyCar || list == ExpertList::BadBit;
    if (!indexed && std::isnan(n)) return;  // not a number: nothing to store
    L(list).selected = index;
    switch (list) {
        case ExpertList::PressVolRef: p3.PressVolRef = Rounded(n); b3(); break;
        case ExpertList::TempVolRef: p3.TempVolRef = Rounded(n); b3(); break;
        case ExpertList::MaxPowerSoh: p3.MaxPowerSoh = Rounded(n); b3(); break;
        case ExpertList::TypSensTemp: p3.TypSensTemp = index; b3(); break;
        case ExpertList::TypSensMap: p3.TypSensMap = index; b3(); break;
        case ExpertList::SafetyCar: p3.SafetyCar = index; b3(); break;
        case ExpertList::BadBit: p3.BadBit = index + 1; b3(); break;
        case ExpertList::RpmHight: {
            p5.RpmHight = Rounded(n);
            auto& low = L(ExpertList::RpmLow);
            if (index < low.selected) {
                low.selected = index;
                p5.RpmLow = Rounded(ItemNumber(ExpertList::RpmLow, index));
            }
            b5();
            break;
        }
        case ExpertList::RpmLow: {
            p5.RpmLow = Rounded(n);
            auto& high = L(ExpertList::RpmHight);
            if (index > high.selected && index < static_cast<int>(high.items.size())) {
                high.selected = index;
                p5.RpmHight = Rounded(ItemNumber(ExpertList::RpmHight, index));
            }
            b5();
            break;
        }
        case ExpertList::TemperUnderPreInj: p5.TemperUnderPreInj = n; b5(); break;
        case ExpertList::DefTimeSovra: p5.DefTimeSovra = n; b5(); break;
        case ExpertList::ValuePreInj: p5.ValuePreInj = n; b5(); break;
    }
}

void ExpertLogic::CheckClick(ExpertCheck box, bool checked) {
    if (filling_) return;
    const int v = checked ? 1 : 0;
    switch (box) {
        case ExpertCheck::MaxPower: image_.Block3Pending.MaxPowerEnable = v; image_.Block3WriteRequest = 1; break;
        case ExpertCheck::AbilComp: image_.Block3Pending.AbilComp = v; image_.Block3WriteRequest = 1; break;
        case ExpertCheck::AbilCompRpm: image_.Block2Pending.AbilAcq[0] = v; image_.Block2WriteRequest = 1; break;
        case ExpertCheck::NotOsservaRpm: image_.Block5Pending.NotOsservaRpm = v; image_.Block5WriteRequest = 1; break;
        case ExpertCheck::VersoComm: image_.Block5Pending.VersoComm = v; image_.Block5WriteRequest = 1; break;
        case ExpertCheck::MinRpmAbil: image_.Block5Pending.Expert18 = v; image_.Block5WriteRequest = 1; break;
        case ExpertCheck::SingleChComm:
            if (image_.Block1.StatusBits != 0) {
                std::string text = lingue_.Voce(kEntryMsgSemiSequentialRefused);
                image_.Comm().host().MessageBox(text.empty() ? kRefusalFallback : text, kCaption, MsgIcon::Critical,
                                                MsgButtons::Ok);
                image_.Comm().LoadWDogSend();
                return;  // the box keeps its previous state
            }
            image_.Block5Pending.Expert2 = v;
            image_.Block5WriteRequest = 1;
            break;
    }
    checks_[static_cast<std::size_t>(box)] = checked;
}

void ExpertLogic::TextEnter(ExpertText box, const std::string& text) {
    if (filling_) return;
    const double k = image_.Scale().K_Time_Inj_ms;
    const std::size_t i = static_cast<std::size_t>(box);
    const auto n = ByteText(text);
    if (!n || !(k > 0)) {
        const double ms = box == ExpertText::SohTfraComm ? image_.Block5.ExpTime1 : image_.Block5.ExpTime2;
        texts_[i] = std::to_string(k > 0 ? Rounded(ms / k) : 0);
        return;
    }
    (box == ExpertText::SohTfraComm ? image_.Block5Pending.ExpTime1 : image_.Block5Pending.ExpTime2) = *n * k;
    image_.Block5WriteRequest = 1;
    texts_[i] = std::to_string(*n);
}

void ExpertLogic::ClearHoursCnt() {
    image_.Block2Pending.Minutes1 = -1;
    image_.Block2Pending.Minutes2 = -1;
    image_.Block2WriteRequest = 1;
    ShowTimeWork(0, 0);
}

void ExpertLogic::ChangeStatoEcu() { image_.Requests.EcuStateToggleRequest = true; }

}  // namespace gw
