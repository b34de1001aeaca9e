// ConfigPageLogic: selecting the Configuration page's lists from the parameter image's
// read copy, and the Click handlers that put the user's choices into the write copy and
// set the block countdowns. The lists themselves are filled in ConfigPageLists.cpp.
#include <cmath>

#include "app/ConfigPage.h"
#include "app/Workbench.h"
#include "util/FileIo.h"

namespace gw {

namespace {

// The entry's value rounded to a whole number; nothing when it is not a number or lies
// outside from ... to.
bool WholeEntry(double v, int from, int to, int& out) {
    if (!std::isfinite(v)) return false;
    const double r = std::nearbyint(v);
    if (r < from || r > to) return false;
    out = static_cast<int>(r);
    return true;
}

// Sequence delay byte of an entry in seconds: whole milliseconds integer-divided by 25.
bool SequenceByte(double seconds, int& out) {
    int ms = 0;
    // 255 is the pending record's no-change marker, so the largest byte is 254.
    if (!WholeEntry(seconds * 1000.0, 0, 254 * 25 + 24, ms)) return false;
    out = ms / 25;
    return true;
}

}  // namespace

ConfigPageLogic::ConfigPageLogic(Host& host, ParameterImage& image, ScaleConfig& scale, std::string appFolder)
    : host_(host), image_(image), scale_(scale), appFolder_(std::move(appFolder)) {}

void ConfigPageLogic::Changed() {
    PageChanged.Emit();
}

ConfigFocus ConfigPageLogic::TakeFocusRequest() {
    const ConfigFocus f = focus_;
    focus_ = ConfigFocus::None;
    return f;
}

bool ConfigPageLogic::RefreshIfDue() {
    const bool writing = image_.Block3WriteRequest > 0 || image_.Requests.Block3WritePending ||
                         image_.Block5WriteRequest > 0 || image_.Requests.Block5WritePending;
    if (!RefreshRequested && (!image_.Block3Changed || writing)) return false;
    image_.Block3Changed = false;
    AggiornaPaginaConfig();
    return true;
}

void ConfigPageLogic::AggiornaPaginaConfig() {
    const bool was = UpdatingControls;
    UpdatingControls = true;
    RiempiCmbSwtchCilindri();
    SelectFromImage();
    IstanzaInj(image_.Block3.Cylinders);
    RiempiCmbSwtchDelay();
    UpdatingControls = was;
    RefreshRequested = false;
    Changed();
}

void ConfigPageLogic::SelectFromImage() {
    const Block3Record& b = image_.Block3;
    List(ConfigList::CmbSwtchTemp).selected = List(ConfigList::CmbSwtchTemp).FirstAtOrAbove(b.SwtchTemp);
    ComboList& rpm = List(ConfigList::CmbSwtchRpm);
    rpm.selected = b.SwtchRpmRaw == 65535 ? (rpm.Count() > 0 ? 0 : -1) : rpm.FirstAtOrAbove(b.SwtchRpm);
    List(ConfigList::CmbSwtchCilindri).selected = List(ConfigList::CmbSwtchCilindri).FirstAtOrAbove(b.Cylinders);
    List(ConfigList::CmbSwtchBobine).selected = List(ConfigList::CmbSwtchBobine).FirstAtOrAbove(b.Coils);
    List(ConfigList::CmbSwtchBar).selected = List(ConfigList::CmbSwtchBar).FirstAtOrAbove(b.SwtchBar / 1000.0);
    List(ConfigList::CmbSwtchDelayPress).selected =
        List(ConfigList::CmbSwtchDelayPress).FirstAtOrAbove(b.SwtchDelayPress);
    List(ConfigList::CmbSwtchForce).selected = List(ConfigList::CmbSwtchForce).FirstAtOrAbove(b.SwtchForce);

    SelectInjType(b.TpyInj);
    List(ConfigList::CmbTpyGLS).selected =
        List(ConfigList::CmbTpyGLS).IndexOfValue(FindGasLevelType(scale_, b.TpyGLS));
    const int lambda = FindLambdaType(scale_, b.SwtchLambdaType);
    List(ConfigList::CmbSwtchLambdaType).selected = List(ConfigList::CmbSwtchLambdaType).IndexOfValue(lambda);
    if (lambda >= 0) {
        const double k = scale_.LambdaTypes[static_cast<std::size_t>(lambda)].Scale;
        if (k > 0) scale_.K_Lambda_V = k;
    }

    const bool emptyGasOn = b.EmptyGas == 1;
    List(ConfigList::CmbEmptyGas).selected = List(ConfigList::CmbEmptyGas).Count() > 1 ? (emptyGasOn ? 1 : 0) : -1;
    List(ConfigList::CmbSwtchBar).enabled = emptyGasOn;
    List(ConfigList::CmbSwtchDelayPress).enabled = emptyGasOn;

    const int fuel = FuelTypeField(b);
    OptTypFuel = fuel == 0 || fuel == 1 ? fuel : -1;

    ComboList& seq = List(ConfigList::CmbSwtchSeq);
    seq.selected = -1;
    for (int i = 0; i < seq.Count(); ++i) {
        int byte = 0;
        if (SequenceByte(seq.data[static_cast<std::size_t>(i)], byte) && byte == image_.Block5.SwtchSeq) {
            seq.selected = i;
            break;
        }
    }
}

void ConfigPageLogic::SelectInjType(int code) {
    ComboList& inj = List(ConfigList::CmbTpyInj);
    inj.selected = -1;
    for (int i = 0; i < inj.Count(); ++i) {
        const auto t = static_cast<std::size_t>(inj.data[static_cast<std::size_t>(i)]);
        if (t < scale_.InjTypes.size() && scale_.InjTypes[t].Code == code) {
            inj.selected = i;
            return;
        }
    }
}

bool ConfigPageLogic::ApplyInjectorModeRule() {
    const Block3Record& b = image_.Block3;
    Block3Record& p = image_.Block3Pending;
    bool changed = false;
    for (int i = b.Cylinders < 0 ? 0 : b.Cylinders; i < kInjectors; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (b.InjMode[k] != 0) {
            p.InjMode[k] = 0;
            changed = true;
        }
    }
    if (b.InjMode[0] == 0) {
        p.InjMode[0] = 1;
        changed = true;
    }
    if (changed) MarkBlock3();
    return changed;
}

// ---- the user's choices ----

bool ConfigPageLogic::TakeClick(ConfigList list, int index) {
    if (UpdatingControls) return false;
    ComboList& l = List(list);
    if (!l.Valid(index) || index == l.selected) return false;
    l.selected = index;
    return true;
}

void ConfigPageLogic::Click(ConfigList list, int index) {
    switch (list) {
        case ConfigList::CmbSwtchRpm: CmbSwtchRpm_Click(index); break;
        case ConfigList::CmbSwtchTemp: CmbSwtchTemp_Click(index); break;
        case ConfigList::CmbSwtchDelay: CmbSwtchDelay_Click(index); break;
        case ConfigList::CmbSwtchForce: CmbSwtchForce_Click(index); break;
        case ConfigList::CmbSwtchSeq: CmbSwtchSeq_Click(index); break;
        case ConfigList::CmbEmptyGas: CmbEmptyGas_Click(index); break;
        case ConfigList::CmbSwtchBar: CmbSwtchBar_Click(index); break;
        case ConfigList::CmbSwtchDelayPress: CmbSwtchDelayPress_Click(index); break;
        case ConfigList::CmbSwtchLambdaType: CmbSwtchLambdaType_Click(index); break;
        case ConfigList::CmbSwtchCilindri: CmbSwtchCilindri_Click(index); break;
        case ConfigList::CmbSwtchBobine: CmbSwtchBobine_Click(index); break;
        case ConfigList::CmbTpyInj: CmbTpyInj_Click(index); break;
        case ConfigList::CmbTpyGLS: CmbTpyGLS_Click(index); break;
    }
}

void ConfigPageLogic::CmbSwtchRpm_Click(int index) {
    if (!TakeClick(ConfigList::CmbSwtchRpm, index)) return;
    int rpm = 0;
    if (!WholeEntry(List(ConfigList::CmbSwtchRpm).data[static_cast<std::size_t>(index)], 0, 65535, rpm)) return;
    image_.Block3Pending.SwtchRpm = rpm;
    MarkBlock3();
}

void ConfigPageLogic::CmbSwtchTemp_Click(int index) {
    if (!TakeClick(ConfigList::CmbSwtchTemp, index)) return;
    int temp = 0;
    if (!WholeEntry(List(ConfigList::CmbSwtchTemp).data[static_cast<std::size_t>(index)], 0, 65535, temp)) return;
    image_.Block3Pending.SwtchTemp = temp;
    // The delay list follows the temperature; its selection becomes the delay.
    RiempiCmbSwtchDelay();
    const ComboList& delay = List(ConfigList::CmbSwtchDelay);
    if (delay.Valid(delay.selected)) {
        const double d = delay.data[static_cast<std::size_t>(delay.selected)];
        if (std::isfinite(d) && d >= 0) image_.Block3Pending.SwtchDelay = d;
    }
    MarkBlock3();
    Changed();
}

void ConfigPageLogic::CmbSwtchDelay_Click(int index) {
    if (!TakeClick(ConfigList::CmbSwtchDelay, index)) return;
    const double d = List(ConfigList::CmbSwtchDelay).data[static_cast<std::size_t>(index)];
    if (!std::isfinite(d) || d < 0) return;
    image_.Block3Pending.SwtchDelay = d;
    MarkBlock3();
}

void ConfigPageLogic::CmbSwtchForce_Click(int index) {
    if (!TakeClick(ConfigList::CmbSwtchForce, index)) return;
    const double s = List(ConfigList::CmbSwtchForce).data[static_cast<std::size_t>(index)];
    if (!(s >= 0)) return;
    image_.Block3Pending.SwtchForce = s;
    MarkBlock3();
}

void ConfigPageLogic::CmbSwtchSeq_Click(int index) {
    if (!TakeClick(ConfigList::CmbSwtchSeq, index)) return;
    int byte = 0;
    if (!SequenceByte(List(ConfigList::CmbSwtchSeq).data[static_cast<std::size_t>(index)], byte)) return;
    image_.Block5Pending.SwtchSeq = byte;
    MarkBlock5();
}

void ConfigPageLogic::CmbEmptyGas_Click(int index) {
    if (!TakeClick(ConfigList::CmbEmptyGas, index)) return;
    const bool on = index == 1;
    image_.Block3Pending.EmptyGas = on ? 1 : 0;
    List(ConfigList::CmbSwtchBar).enabled = on;
    List(ConfigList::CmbSwtchDelayPress).enabled = on;
    MarkBlock3();
    Changed();
}

void ConfigPageLogic::CmbSwtchBar_Click(int index) {
    if (!TakeClick(ConfigList::CmbSwtchBar, index)) return;
    int mbar = 0;
    if (!WholeEntry(List(ConfigList::CmbSwtchBar).data[static_cast<std::size_t>(index)] * 1000.0, 0, 65535, mbar))
        return;
    image_.Block3Pending.SwtchBar = mbar;
    MarkBlock3();
}

void ConfigPageLogic::CmbSwtchDelayPress_Click(int index) {
    if (!TakeClick(ConfigList::CmbSwtchDelayPress, index)) return;
    const double s = List(ConfigList::CmbSwtchDelayPress).data[static_cast<std::size_t>(index)];
    if (!(s >= 0)) return;
    image_.Block3Pending.SwtchDelayPress = s;
    MarkBlock3();
}

void ConfigPageLogic::CmbSwtchLambdaType_Click(int index) {
    if (!TakeClick(ConfigList::CmbSwtchLambdaType, index)) return;
    const auto t = static_cast<std::size_t>(List(ConfigList::CmbSwtchLambdaType).data[static_cast<std::size_t>(index)]);
    int code = static_cast<int>(t);
    if (t < scale_.LambdaTypes.size()) {
        code = scale_.LambdaTypes[t].Code;
        if (scale_.LambdaTypes[t].Scale > 0) scale_.K_Lambda_V = scale_.LambdaTypes[t].Scale;
    }
    if (code < 0 || code >= kNoChangeByte) return;
    image_.Block3Pending.SwtchLambdaType = code;
    MarkBlock3();
}

void ConfigPageLogic::CmbSwtchCilindri_Click(int index) {
    if (!TakeClick(ConfigList::CmbSwtchCilindri, index)) return;
    focus_ = ConfigFocus::CmdTpyInj;
    int n = 0;
    if (!WholeEntry(List(ConfigList::CmbSwtchCilindri).data[static_cast<std::size_t>(index)], 1, kInjectors, n)) return;
    Block3Record& p = image_.Block3Pending;
    p.Cylinders = n;
    for (int i = n; i < kInjectors; ++i) p.InjMode[static_cast<std::size_t>(i)] = 0;
    // The cylinder-change sequence (run from the display timer) brings the injectors in
    // use to their working mode and has the block written.
    image_.InjModeTarget = 3;
    image_.InjModeScope = 2;
    image_.InjModeIndex = n;
}

void ConfigPageLogic::CmbSwtchBobine_Click(int index) {
    if (!TakeClick(ConfigList::CmbSwtchBobine, index)) return;
    int n = 0;
    if (!WholeEntry(List(ConfigList::CmbSwtchBobine).data[static_cast<std::size_t>(index)], 1, kInjectors, n)) return;
    image_.Block3Pending.Coils = n;
    MarkBlock3();
}

void ConfigPageLogic::CmbTpyInj_Click(int index) {
    if (!TakeClick(ConfigList::CmbTpyInj, index)) return;
    const ComboList& inj = List(ConfigList::CmbTpyInj);
    if (inj.items[static_cast<std::size_t>(index)].empty()) return;
    const auto t = static_cast<std::size_t>(inj.data[static_cast<std::size_t>(index)]);
    const MsgAnswer a = host_.MessageBox(Texts.MsgAreYouSure, AppTitle + " - " + kSoftwareVersion, MsgIcon::Question,
                                         MsgButtons::YesNo);
    if (a == MsgAnswer::Yes && t < scale_.InjTypes.size() && scale_.InjTypes[t].Code >= 0 &&
        scale_.InjTypes[t].Code < kNoChangeByte) {
        const InjType& type = scale_.InjTypes[t];
        Block3Record& p = image_.Block3Pending;
        p.TpyInj = type.Code;
        p.InjTime1 = type.Time1;
        p.PwmTime2 = type.Time3;
        p.PwmTime1 = type.Time2;
        MarkBlock3();
        return;
    }
    // No: back to the ECU's type, nothing written.
    const bool was = UpdatingControls;
    UpdatingControls = true;
    SelectInjType(image_.Block3.TpyInj);
    UpdatingControls = was;
    focus_ = ConfigFocus::CmdTpyInj;
    Changed();
}

void ConfigPageLogic::CmbTpyGLS_Click(int index) {
    if (!TakeClick(ConfigList::CmbTpyGLS, index)) return;
    const auto t = static_cast<std::size_t>(List(ConfigList::CmbTpyGLS).data[static_cast<std::size_t>(index)]);
    if (t >= scale_.GasLevelTypes.size()) return;
    const GasLevelType& type = scale_.GasLevelTypes[t];
    if (type.Code < 0 || type.Code >= kNoChangeByte) return;
    Block3Record& p = image_.Block3Pending;
    p.TpyGLS = type.Code;
    for (std::size_t k = 0; k < p.Level.size(); ++k) p.Level[k] = type.Thresholds[k] < 0 ? 0 : type.Thresholds[k];
    MarkBlock3();
}

void ConfigPageLogic::OptTypFuel_Click(int index) {
    if (UpdatingControls || (index != 0 && index != 1) || index == OptTypFuel) return;
    OptTypFuel = index;
    FuelTypeField(image_.Block3Pending) = index;
    MarkBlock3();
}

void ConfigPageLogic::CmbInj_Click(int index) {
    if (CmbInj.Valid(index)) CmbInj.selected = index;
}

void ConfigPageLogic::CmdTpyInj_Click() {
    OpenSideWindow.Emit(SideWindow::InjSet);
}

void ConfigPageLogic::CmdTpyGLS_Click() {
    OpenSideWindow.Emit(SideWindow::LevelSetting);
}

void ConfigPageLogic::CmdExpert_Click() {
    OpenSideWindow.Emit(SideWindow::Expert);
}

bool ConfigPageLogic::CmdReserVar_Click() {
    if (!PendingConfigFile || !PendingConfigFile->empty()) return false;
    *PendingConfigFile = AppPath(appFolder_, "\\LNG\\Default.Xar");
    return true;
}

}  // namespace gw
