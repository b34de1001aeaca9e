// InjSetLogic: rows, live times, mode requests, offsets and sensitivity of the injector
// settings window.
#include "app/InjSetLogic.h"

#include <algorithm>
#include <cmath>

#include "app/DictionaryEntries.h"
#include "app/MarkerTexts.h"
#include "util/Numbers.h"

namespace gw {

namespace {

constexpr const char* kDefaultModeTexts[3] = {"Normal", "Test (on gas)", "Off"};
constexpr const char* kMsgModeNeedsGas =
    "This mode can only be selected while the engine is running on gas. Switch to gas and try again.";

std::size_t At(int i) { return static_cast<std::size_t>(i); }

}  // namespace

InjLiveTimes InjLiveTimes::FromShown(const InjectorDisplayState& shown, const LiveValues& live) {
    InjLiveTimes t;
    t.keyOn = live.key;
    t.fuelSelection = live.fuelSelection;
    t.petrolMs = shown.shownPetrol;
    t.correctionMs = shown.shownCorrection;
    return t;
}

InjLiveTimes InjLiveTimes::FromImage(const ParameterImage& image, const ScaleConfig& scale) {
    const LiveValues live = GatherLiveValues(image, scale, 0);
    InjLiveTimes t;
    t.keyOn = live.key;
    t.fuelSelection = live.fuelSelection;
    t.petrolMs = live.petrolMs;
    t.correctionMs = live.correctionMs;
    return t;
}

InjSetLogic::InjSetLogic(Host& host, ParameterImage& image, const ClsLingue* lingue, std::string decimalComma)
    : host_(host), image_(image), lingue_(lingue), comma_(std::move(decimalComma)) {}

InjSetLogic::~InjSetLogic() { Stop(); }

double InjSetLogic::OffsetFromScroll(int value, double kTimeInjMs) { return kTimeInjMs * 10.0 * value; }

int InjSetLogic::ScrollFromOffset(double offsetMs, double kTimeInjMs) {
    if (!(kTimeInjMs > 0) || !std::isfinite(offsetMs)) return 0;
    const double v = std::nearbyint(offsetMs / (kTimeInjMs * 10.0));
    return static_cast<int>(std::clamp(v, static_cast<double>(kScrollMin), static_cast<double>(kScrollMax)));
}

int InjSetLogic::ModeIndexFor(int mode, int row) {
    if (mode == 4) return 1;
    if (mode == 0) return row == 0 ? -1 : 2;
    return 0;
}

std::string InjSetLogic::SensitivityMs(int sensitivity, int stepUs, const NumberLocale& locale) {
    const double ms = ((sensitivity - 1.0) * stepUs + 600.0) / 1000.0;
    return locale.Format(std::nearbyint(ms * 10.0) / 10.0);
}

std::string InjSetLogic::RowCaption(int row) { return std::to_string(row + 1) + "Inj #"; }

int InjSetLogic::RowCount() const { return std::clamp(image_.Block3.Cylinders, 0, kInjectors); }

std::string InjSetLogic::OffsetText(double offsetMs) const {
    return host_.Locale().Format(std::nearbyint(offsetMs * 1000.0) / 1000.0);
}

// The offset the window shows: an edit not yet sent wins over the read copy, so that a
// refill (activation) does not put the scroll bar back while the edit is still to go out.
double InjSetLogic::StoredOffset(int row) const {
    const double pending = image_.Block3Pending.InjOffset[At(row)];
    return pending != kNoChangeSigned ? pending : image_.Block3.InjOffset[At(row)];
}

int InjSetLogic::StoredSensitivity() const {
    const int pending = image_.Block3Pending.BadBit;
    return pending != kNoChangeByte ? pending : image_.Block3.BadBit;
}

void InjSetLogic::Load() {
    updating_ = true;
    const std::vector<std::string> t = ReadMarkerTexts(
        lingue_, kMarkerInj,
        {"Injector", "Gas (ms)", "OffSet", "Mode", kDefaultModeTexts[0], kDefaultModeTexts[1], kDefaultModeTexts[2],
         "Injector", "Pet (ms)", " Sensibility", "ms"});
    texts_.lblInjNum = t[kInjLblInjNum - 1];
    texts_.lblTime = t[kInjLblTime - 1];
    texts_.lblEnricht = t[kInjLblEnricht - 1];
    texts_.lblInjSet = t[kInjLblInjSet - 1];
    texts_.modes = {t[kInjModeNormal - 1], t[kInjModeTest - 1], t[kInjModeOff - 1]};
    std::string typeName;
    for (const InjType& type : image_.Scale().InjTypes)
        if (type.Code == image_.Block3.TpyInj) {
            typeName = type.Name;
            break;
        }
    texts_.caption = t[kInjCaption - 1] + " - " + typeName;
    texts_.lblTimePetrol = t[kInjLblTimePetrol - 1];
    texts_.recentre = "X";
    texts_.badBit = {t[kInjLblBadBit0 - 1], t[kInjLblBadBit1 - 1]};

    rows_.assign(At(RowCount()), InjSetRow{});
    for (int i = 0; i < RowCount(); ++i) rows_[At(i)].label = RowCaption(i);
    FillRows();

    image_.InjModeTarget = -1;
    image_.InjModeScope = 0;
    const int s = StoredSensitivity();
    slider_ = std::clamp(s, kSensitivityMin, kSensitivityMax);
    sensitivityText_ = SensitivityMs(s, image_.Scale().StepBadBitUs, host_.Locale());
    updating_ = false;
}

void InjSetLogic::FillRows() {
    const bool was = updating_;
    updating_ = true;
    const double k = image_.Scale().K_Time_Inj_ms;
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        InjSetRow& r = rows_[At(i)];
        r.modes.assign(texts_.modes.begin(), texts_.modes.begin() + (i == 0 ? 2 : 3));
        r.modeIndex = ModeIndexFor(image_.Block3.InjMode[At(i)], i);
        const double offset = StoredOffset(i);
        r.offsetText = OffsetText(offset);
        r.scrollValue = ScrollFromOffset(offset, k);
    }
    updating_ = was;
}

void InjSetLogic::Refresh(const InjLiveTimes& live) {
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        InjSetRow& r = rows_[At(i)];
        if (!live.keyOn) {
            r.petrolText = r.gasText = "0";
            continue;
        }
        const double petrol = live.petrolMs[At(i)];
        r.petrolText = FormatFixed(petrol, 2, 2, comma_);
        const int mode = image_.Block3.InjMode[At(i)];
        if ((mode == 3 || mode == 4) && live.fuelSelection == 3)
            r.gasText = FormatFixed(petrol + live.correctionMs[At(i)], 2, 2, comma_);
        else
            r.gasText = "0";
    }
}

void InjSetLogic::Start(std::function<InjLiveTimes()> source) {
    source_ = std::move(source);
    if (!timer_) {
        timer_ = host_.CreateTimer([this] {
            Refresh(source_ ? source_() : InjLiveTimes::FromImage(image_, image_.Scale()));
            StateChanged.Emit();
        });
        timer_->SetIntervalMs(kRefreshMs);
    }
    timer_->SetEnabled(true);
}

void InjSetLogic::Stop() {
    if (timer_) timer_->SetEnabled(false);
}

bool InjSetLogic::TakeFocusToFirstGasBox() {
    const bool f = focusFirstGas_;
    focusFirstGas_ = false;
    return f;
}

void InjSetLogic::OnModeSelected(int row, int index) {
    if (updating_ || !ValidRow(row)) return;
    InjSetRow& r = rows_[At(row)];
    if (index < 0 || index >= static_cast<int>(r.modes.size())) return;
    const int stored = image_.Block3.InjMode[At(row)];
    if (!ModeListMayTakeFocus()) {
        // A mode request is still running: the list keeps showing the stored mode and the
        // running request is left alone.
        r.modeIndex = ModeIndexFor(stored, row);
        focusFirstGas_ = true;
        return;
    }
    updating_ = true;
    r.modeIndex = index;
    auto request = [&](int mode) {
        image_.InjModeTarget = mode;
        image_.InjModeScope = 1;
        image_.InjModeIndex = row;
    };
    switch (index) {
        case 0:
            request(3);
            break;
        case 1:
            if (stored != 4) {
                if (image_.Block2.Mode2 == 3) {
                    request(4);
                } else {
                    host_.MessageBox(EntryOrFallback(lingue_, kEntryMsgModeNeedsGas, kMsgModeNeedsGas),
                                     texts_.caption, MsgIcon::Critical, MsgButtons::Ok);
                    r.modeIndex = ModeIndexFor(stored, row);
                }
            }
            break;
        default:
            if (stored != 0) request(0);
            break;
    }
    focusFirstGas_ = true;
    updating_ = false;
}

void InjSetLogic::OnOffsetScroll(int row, int value) {
    if (updating_ || !ValidRow(row)) return;
    InjSetRow& r = rows_[At(row)];
    r.scrollValue = std::clamp(value, kScrollMin, kScrollMax);
    const double offset = OffsetFromScroll(r.scrollValue, image_.Scale().K_Time_Inj_ms);
    image_.Block3Pending.InjOffset[At(row)] = offset;
    r.offsetText = OffsetText(offset);
    image_.Block3WriteRequest = kOffsetWriteDelay;
}

void InjSetLogic::OnRecentre(int row) {
    if (updating_ || !ValidRow(row)) return;
    const int middle = static_cast<int>(std::nearbyint((kScrollMax - kScrollMin) / 2.0 + kScrollMin));
    // Like a scroll bar, setting the value it already has changes nothing.
    if (rows_[At(row)].scrollValue != middle) OnOffsetScroll(row, middle);
}

void InjSetLogic::OnSensitivity(int value) {
    if (updating_) return;
    value = std::clamp(value, kSensitivityMin, kSensitivityMax);
    slider_ = value;
    if (value == StoredSensitivity()) return;
    image_.Block3Pending.BadBit = value;
    sensitivityText_ = SensitivityMs(value, image_.Scale().StepBadBitUs, host_.Locale());
    image_.Block3WriteRequest = kSensitivityWriteDelay;
}

}  // namespace gw
