#include "viewer/ViewerLogic.h"

#include <algorithm>
#include <cmath>

#include "app/DictionaryEntries.h"
#include "app/MarkerTexts.h"
#include "util/FileIo.h"
#include "viewer/ViewRecord.h"

namespace gw::view {

double NextSecDiv(double s) {
    if (s >= 20) return 20;
    if (s >= 10) return 20;
    if (s >= 7.5) return 10;
    if (s >= 5) return 7.5;
    if (s >= 2) return 5;
    if (s >= 1) return 2;
    return 1;
}

double PrevSecDiv(double s) {
    if (s > 20) return 20;
    if (s > 10) return 10;
    if (s > 7.5) return 7.5;
    if (s > 5) return 5;
    if (s > 2) return 2;
    return 1;
}

std::string SecDivLabel(double secDiv, char decimal) {
    std::string t = GeneralNumber(secDiv + 0.001, decimal);
    if (!t.empty()) t.pop_back();
    return t + " s";
}

std::string ZoomLabel(double zoom, char decimal) {
    if (zoom >= 1) return GeneralNumber(std::nearbyint(zoom), decimal);
    std::string t = GeneralNumber(zoom + 0.000001, decimal);
    t.resize(t.size() > 3 ? t.size() - 3 : 0);
    return t;
}

namespace {

SampleRecord FromBlock1(const Block1Record& b) {
    SampleRecord r;
    r.InjTimeBnz = b.InjTimeBnz;
    r.InjTimeGas = b.InjTimeGas;
    r.InjTimeAux = b.InjTimeAux;
    r.Rpm = b.Rpm;
    r.Pressure = b.Pressure;
    r.Vacuum = b.Vacuum;
    r.LambdaV = b.LambdaV;
    r.StatusBits = static_cast<std::uint8_t>(b.StatusBits);
    r.Status2 = {static_cast<std::uint8_t>(b.Status2[0]), static_cast<std::uint8_t>(b.Status2[1])};
    r.SensorRaw = b.SensorRaw;
    r.TempReducer = static_cast<std::int16_t>(b.TempReducer);
    r.TempGas = static_cast<std::int16_t>(b.TempGas);
    r.SupplyV = b.SupplyV;
    r.GasLevelRaw = b.GasLevelRaw;
    r.TimeMs = b.SampleTimeMs;
    return r;
}

bool IsStep(double s) { return std::find(kSecDivSteps.begin(), kSecDivSteps.end(), s) != kSecDivSteps.end(); }

}  // namespace

ViewerLogic::ViewerLogic(Workbench& wb, ViewerHost& host) : wb_(wb), host_(host) {
    timer_ = wb_.host.CreateTimer([this] { OnTimer(); });
    timer_->SetIntervalMs(kTimerMs);
    current_ = LiveLogPath();
}

ViewerLogic::~ViewerLogic() = default;

std::string ViewerLogic::LiveLogPath() const { return wb_.Path("\\BIN\\RxTx.TXT"); }
std::string ViewerLogic::SamplesFolder() const { return wb_.Path("\\SAMPLES"); }

void ViewerLogic::Load(const std::string& today, bool record) {
    ReadOsciConfig(wb_.Path("\\LNG\\OsciConfig.ini"), wb_.host.Locale(), settings_);
    for (auto& c : settings_.channels) {
        if (!std::isfinite(c.zoom) || std::fabs(c.zoom) < kMinZoom) c.zoom = kMinZoom;
        c.zoom = std::clamp(c.zoom, -kMaxZoom, kMaxZoom);
        if (!std::isfinite(c.offset)) c.offset = 0;
        c.offset = std::clamp(c.offset, -1e6, 1e6);
        c.setting = std::clamp(c.setting, 1, 8);
    }
    if (settings_.secDiv && IsStep(*settings_.secDiv)) secDiv_ = *settings_.secDiv;
    if (settings_.channelSel && *settings_.channelSel >= 0 && *settings_.channelSel < kChannels)
        selected_ = *settings_.channelSel;
    std::string error;
    EnsureSamplesFolder(wb_.AppFolder, &error);  // the dialogs fall back to the folder above
    timer_->SetEnabled(true);
    if (record) {
        SetRecording(true, today);
    } else {
        RestartLog(today);
        Changed.Emit();
    }
}

void ViewerLogic::Close() {
    if (recording_) {
        recording_ = false;
        endPending_ = true;
        OnTimer();
    }
    timer_->SetEnabled(false);
}

void ViewerLogic::RestartLog(const std::string& today) { RestartRecordingLog(wb_, today); }

void ViewerLogic::SetRecording(bool on, const std::string& today) {
    if (on) {
        if (recording_) return;
        endPending_ = false;
        RestartLog(today);
        current_ = LiveLogPath();
        caption_ = kTextCaption;
        offset_ = 0;
        live_.clear();
        lastLiveMs_ = wb_.Image->Block1.SampleTimeMs;
        recording_ = true;
    } else {
        if (!recording_) return;
        recording_ = false;
        endPending_ = true;
    }
    Changed.Emit();
}

void ViewerLogic::OnTimer() {
    if (recording_) {
        const Block1Record& b = wb_.Image->Block1;
        if (b.SampleTimeMs != lastLiveMs_) {
            lastLiveMs_ = b.SampleTimeMs;
            live_.push_back(FromBlock1(b));
            while (live_.size() > kLiveSamples) live_.pop_front();
            Changed.Emit();
        }
    }
    if (endPending_) {
        endPending_ = false;
        // A saved view is loaded by the save itself; otherwise the log just recorded.
        const bool saved = wb_.host.MessageBox(kTextSaveQuestion, kTextCaption, MsgIcon::Question,
                                               MsgButtons::YesNo) == MsgAnswer::Yes &&
                           SaveViewDialog();
        if (!saved) {
            host_.ShowBusy(kTextLoading);
            host_.LoadCurrentFile();
        }
    }
}

bool ViewerLogic::ChkSignalClick(int channel, bool checked) {
    if (channel < 0 || channel >= kChannels) return false;
    checked_[static_cast<std::size_t>(channel)] = checked;
    if (std::none_of(checked_.begin(), checked_.end(), [](bool c) { return c; })) {
        wb_.host.MessageBox(kTextNoCheck, kTextCaption, MsgIcon::Critical, MsgButtons::Ok);
        checked_[static_cast<std::size_t>(channel)] = true;
        Changed.Emit();
        return false;
    }
    Changed.Emit();
    return true;
}

void ViewerLogic::SelectChannel(int channel) {
    if (channel < 0 || channel >= kChannels) return;
    selected_ = channel;
    Changed.Emit();
}

void ViewerLogic::ZoomIn() {
    auto& z = settings_.channels[static_cast<std::size_t>(selected_)].zoom;
    z = std::clamp(z * 2, -kMaxZoom, kMaxZoom);
    Changed.Emit();
}

void ViewerLogic::ZoomOut() {
    auto& z = settings_.channels[static_cast<std::size_t>(selected_)].zoom;
    if (std::fabs(z / 2) >= kMinZoom) z /= 2;
    Changed.Emit();
}

void ViewerLogic::OffsetUp() {
    settings_.channels[static_cast<std::size_t>(selected_)].offset += 0.5;
    Changed.Emit();
}

void ViewerLogic::OffsetDown() {
    settings_.channels[static_cast<std::size_t>(selected_)].offset -= 0.5;
    Changed.Emit();
}

void ViewerLogic::SetColour(int channel, std::uint32_t bbggrr) {
    if (channel < 0 || channel >= kChannels) return;
    settings_.channels[static_cast<std::size_t>(channel)].tag = std::to_string(bbggrr & 0xFFFFFFu);
    Changed.Emit();
}

void ViewerLogic::SetWidth(int channel, int pixels) {
    if (channel < 0 || channel >= kChannels) return;
    settings_.channels[static_cast<std::size_t>(channel)].setting = std::clamp(pixels, 1, 8);
    Changed.Emit();
}

std::string ViewerLogic::ZoomText() const {
    return ZoomLabel(settings_.channels[static_cast<std::size_t>(selected_)].zoom, wb_.host.Locale().decimal);
}

std::string ViewerLogic::OffsetText() const {
    return GeneralNumber(settings_.channels[static_cast<std::size_t>(selected_)].offset, wb_.host.Locale().decimal);
}

void ViewerLogic::SetInjector(int index) {
    if (index < 0 || index > 7 || index == injector_) return;
    injector_ = index;
    if (!recording_) Rebuild();
    Changed.Emit();
}

void ViewerLogic::WriteSettings() {
    std::string error;
    if (!WriteOsciConfig(wb_.Path("\\LNG\\OsciConfig.ini"), settings_, wb_.host.Locale(), &error))
        ShowError(error, kTextCaption);
}

void ViewerLogic::SecDivP() {
    secDiv_ = NextSecDiv(secDiv_);
    WriteSettings();
    if (recording_) live_.clear();
    Changed.Emit();
}

void ViewerLogic::SecDivM() {
    secDiv_ = PrevSecDiv(secDiv_);
    WriteSettings();
    if (recording_) live_.clear();
    Changed.Emit();
}

std::string ViewerLogic::SecDivText() const { return SecDivLabel(secDiv_, wb_.host.Locale().decimal); }

LoadRequest ViewerLogic::Next() const { return LoadRequest{current_, offset_, wholeFile_ ? 0 : kWindowChars}; }

void ViewerLogic::ShowError(const std::string& text, const std::string& title) {
    wb_.host.MessageBox(text, title, MsgIcon::Critical, MsgButtons::Ok);
}

void ViewerLogic::KeepShownFile() {
    if (!opening_) return;
    current_ = opening_->file;
    caption_ = opening_->caption;
    offset_ = opening_->offset;
    opening_.reset();
    Changed.Emit();
}

bool ViewerLogic::Adopt(LogWindow window) {
    host_.ShowBusy("");
    if (window.cancelled) {
        KeepShownFile();  // an opening cancelled: the file shown stays the current one
        return false;
    }
    if (!window.error.empty()) {
        // The head could not be read: Retry reads the file again.
        if (wb_.host.MessageBox(window.error + "\r\n" + kErrConstants, kTextCaption, MsgIcon::Critical,
                                MsgButtons::RetryCancel) == MsgAnswer::Retry) {
            host_.ShowBusy(kTextLoading);
            host_.LoadCurrentFile();
        } else {
            KeepShownFile();
        }
        return false;
    }
    if (opening_ && window.set.samples.empty()) {
        // A file the user opened that holds no live-value samples (empty, damaged, not a
        // log): said so, and what was shown stays.
        std::string text = MarkerText(&wb_.Lingue, kMarkerView, kViewNoSamples,
                                      "No live-value samples were found in the file; the view shown is kept: %1");
        if (const auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, current_);
        KeepShownFile();
        ShowError(text, kTextCaption);
        return false;
    }
    opening_.reset();
    pyramid_.Clear();
    shown_ = std::move(window);
    offset_ = shown_.offset;
    Rebuild();
    Changed.Emit();
    return true;
}

void ViewerLogic::Rebuild() { pyramid_.Build(shown_.set, Scales(), injector_); }

void ViewerLogic::SetWholeFile(bool on) {
    if (on == wholeFile_) return;
    wholeFile_ = on;
    offset_ = 0;
    if (!recording_) {
        host_.ShowBusy(kTextLoading);
        host_.LoadCurrentFile();
    }
}

void ViewerLogic::SeekPrev() {
    if (!CanSeekPrev()) return;
    offset_ = shown_.offset - kWindowChars;
    host_.ShowBusy(kTextLoading);
    host_.LoadCurrentFile();
}

void ViewerLogic::SeekNext() {
    if (!CanSeekNext()) return;
    offset_ = shown_.offset + kWindowChars;
    host_.ShowBusy(kTextLoading);
    host_.LoadCurrentFile();
}

void ViewerLogic::OpenView(const std::string& path) {
    if (path.empty()) return;
    if (!opening_) opening_ = Opening{current_, caption_, offset_};
    current_ = path;
    offset_ = 0;
    caption_ = std::string(kTextCaptionFile) + "[" + path + "]";
    host_.ShowBusy(kTextLoading);
    host_.LoadCurrentFile();
    Changed.Emit();
}

bool ViewerLogic::SaveViewDialog() {
    std::string error;
    EnsureSamplesFolder(wb_.AppFolder, &error);
    const std::string path = host_.ChooseViewToSave(SamplesFolder());
    if (path.empty()) return false;
    return SaveViewTo(path);
}

bool ViewerLogic::SaveViewTo(const std::string& path) {
    host_.ShowBusy(kTextSaving);
    std::string error;
    const bool ok = SaveView(current_, path, &error);
    host_.ShowBusy("");
    if (!ok) {
        ShowError(error + "\r\n" + kErrClean, kErrCleanTitle);
        return false;
    }
    current_ = path;
    offset_ = 0;
    caption_ = std::string(kTextCaptionFile) + "[" + path + "]";
    if (!recording_) {
        host_.ShowBusy(kTextLoading);
        host_.LoadCurrentFile();
    }
    Changed.Emit();
    return true;
}

bool ViewerLogic::ExportVflf(const std::string& path) {
    if (path.empty()) return false;
    std::string error;
    if (SaveExport(path, ExportVflfText(shown_.set, Scales(), wb_.host.Locale()), &error)) return true;
    ShowError(error, kTextCaption);
    return false;
}

bool ViewerLogic::ExportCsv(const std::string& path) {
    if (path.empty()) return false;
    std::string error;
    if (SaveExport(path, ExportCsvText(shown_.set, Scales(), injector_), &error)) return true;
    ShowError(error, kTextCaption);
    return false;
}

}  // namespace gw::view

namespace gw::view {
std::string TimeLabel(double ms, bool valid) {
    if (!valid || !std::isfinite(ms)) return "- - -";
    const bool negative = ms < 0;
    long long t = std::llround(std::fabs(ms));
    const long long milli = t % 1000;
    t /= 1000;
    const long long sec = t % 60, min = t / 60;
    std::string m = "000" + std::to_string(milli);
    std::string s = std::to_string(sec);
    if (s.size() < 2) s = "0" + s;
    return (negative ? "-" : "") + std::to_string(min) + " min " + s + ". " + m.substr(m.size() - 3);
}
}  // namespace gw::view
