// LevelSettingLogic: threshold rows, sensor voltage, lights and defaults of the gas level
// sensor window.
#include "app/LevelSettingLogic.h"

#include <algorithm>
#include <cmath>

#include "app/DictionaryEntries.h"
#include "app/MarkerTexts.h"
#include "util/Numbers.h"

namespace gw {

namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

}  // namespace

LevelSettingLogic::LevelSettingLogic(Host& host, ParameterImage& image, const ClsLingue* lingue,
                                     std::string configScalePath, std::string appTitle, std::string decimalComma)
    : host_(host),
      image_(image),
      lingue_(lingue),
      configScalePath_(std::move(configScalePath)),
      appTitle_(std::move(appTitle)),
      comma_(std::move(decimalComma)) {}

LevelSettingLogic::~LevelSettingLogic() { Stop(); }

std::string LevelSettingLogic::VoltsText(int raw, const GasLevelType& type, const std::string& comma) {
    return FormatFixed(type.FullScaleVolts() / type.FullScaleCount() * raw, 2, 1, comma);
}

bool LevelSettingLogic::LightOn(int light, double reading, const std::array<int, kRows>& t, bool inverted) {
    if (light < 0 || light >= kRows) return false;
    // Direct: light k shows above T(k+1). Inverted: light k shows below T(4-k).
    return inverted ? reading < t[At(kRows - 1 - light)] : reading > t[At(light)];
}

void LevelSettingLogic::UseType() {
    const int index = FindGasLevelType(image_.Scale(), typeCode_);
    type_ = index >= 0 ? image_.Scale().GasLevelTypes[At(index)] : GasLevelType{};
    texts_.caption = dictionary_[kLevelCaption - 1] + " - " + type_.Name;
    texts_.lblGasLevel = dictionary_[kLevelLblGasLevel - 1];
    texts_.cmdDefault = dictionary_[kLevelCmdDefaultLevel - 1];
    for (int i = 0; i < kRows; ++i) {
        rows_[At(i)].caption = std::to_string(i + 1) + "/" + "4";
        rows_[At(i)].unit = type_.Unit();
    }
}

// The threshold the window shows: an edit not yet sent wins over the read copy, so that a
// window opened again before the write does not show the old value.
int LevelSettingLogic::StoredThreshold(int level) const {
    const int pending = image_.Block3Pending.Level[At(level)];
    return pending != kNoChangeInt ? pending : image_.Block3.Level[At(level)];
}

void LevelSettingLogic::Load() {
    typeCode_ = image_.Block3.TpyGLS;
    const std::vector<std::string> t = ReadMarkerTexts(lingue_, kMarkerLevel, {"Level", "Gas level", "Default"});
    std::copy(t.begin(), t.end(), dictionary_.begin());
    UseType();
    host_.RunEventsUntil(host_.MicroClock() + kLoadPauseUs);
    FillRows();
}

void LevelSettingLogic::FillRows() {
    changeHandling_ = false;
    for (int level = 0; level < kRows; ++level) {
        LevelRow& r = rows_[At(ThresholdOfRow(level, type_.Inverted()))];
        r.value = std::clamp(StoredThreshold(level), kScrollMin, ScrollMax());
        r.voltsText = VoltsText(r.value, type_, comma_);
    }
    changeHandling_ = true;
}

void LevelSettingLogic::Refresh() {
    const double reading = image_.Block1.GasLevelRaw;
    sensorVolts_ = FormatFixed(image_.Scale().K_VLevel_Sens_mV / 1000.0 * reading, 3, 1, comma_);
    std::array<int, kRows> t{};
    for (int k = 0; k < kRows; ++k) t[At(k)] = image_.Block3.Level[At(k)];
    const bool inverted = type_.Inverted();
    for (int i = 0; i < kRows; ++i) {
        LevelRow& r = rows_[At(i)];
        const bool on = LightOn(i, reading, t, inverted);
        if (i == 0 && !on) {
            r.lit = !r.lit;  // blinks: one toggle per refresh
            r.blinking = true;
        } else {
            r.lit = on;
            r.blinking = false;
        }
    }
    if (image_.Block3.TpyGLS != typeCode_) {
        typeCode_ = image_.Block3.TpyGLS;
        UseType();
        FillRows();
    }
}

void LevelSettingLogic::Start() {
    if (!timer_) {
        timer_ = host_.CreateTimer([this] {
            Refresh();
            StateChanged.Emit();
        });
        timer_->SetIntervalMs(kRefreshMs);
    }
    timer_->SetEnabled(true);
}

void LevelSettingLogic::Stop() {
    if (timer_) timer_->SetEnabled(false);
}

void LevelSettingLogic::StoreRow(int row, int value) {
    const bool inverted = type_.Inverted();
    value = std::clamp(value, kScrollMin, ScrollMax());
    // Direct: rows rise from row 0 to row 3; inverted: they fall.
    if (row > 0) {
        const int prev = rows_[At(row - 1)].value;
        if (!inverted && value < prev) value = prev;
        if (inverted && value > prev) value = prev;
    }
    if (row < kRows - 1) {
        const int next = rows_[At(row + 1)].value;
        if (!inverted && value > next) value = next;
        if (inverted && value < next) value = next;
    }
    LevelRow& r = rows_[At(row)];
    r.value = value;
    image_.Block3Pending.Level[At(ThresholdOfRow(row, inverted))] = value;
    r.voltsText = VoltsText(value, type_, comma_);
    focusRow_ = row;
    image_.Block3WriteRequest = kWriteDelay;
}

void LevelSettingLogic::OnScroll(int row, int value) {
    if (!changeHandling_ || row < 0 || row >= kRows) return;
    StoreRow(row, value);
}

void LevelSettingLogic::OnDefault() {
    ShowWarnings(host_, ReadGasLevelTypes(host_.Locale(), configScalePath_, image_.Scale(), appTitle_, &host_));
    UseType();
    if (!changeHandling_) return;
    // Every row takes its default first, so that the ordering rule compares with the new
    // neighbours and not with the thresholds being replaced.
    std::array<int, kRows> before{};
    const bool inverted = type_.Inverted();
    for (int row = 0; row < kRows; ++row) {
        before[At(row)] = rows_[At(row)].value;
        rows_[At(row)].value = std::clamp<int>(type_.Threshold(ThresholdOfRow(row, inverted)), kScrollMin, ScrollMax());
        rows_[At(row)].voltsText = VoltsText(rows_[At(row)].value, type_, comma_);
    }
    for (int row = 0; row < kRows; ++row)
        if (rows_[At(row)].value != before[At(row)]) StoreRow(row, rows_[At(row)].value);
}

void LevelSettingLogic::OnKey(int keyCode) {
    if (keyCode == kKeyEscape) closeRequested_ = true;
}

int LevelSettingLogic::TakeFocusRow() {
    const int r = focusRow_;
    focusRow_ = -1;
    return r;
}

}  // namespace gw
