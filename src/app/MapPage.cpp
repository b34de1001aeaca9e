#include "app/MapPage.h"

#include <filesystem>

#include <cstdio>
#include <utility>

#include "util/FileIo.h"

namespace gw {

namespace {

std::pair<int, int> Thresholds(const ParameterImage& image) {
    const Block5Record& p = image.Block5Pending;
    return {p.ShoRpm >= 0 ? p.ShoRpm : image.Block5.ShoRpm, p.Soglia1 >= 0 ? p.Soglia1 : image.Block5.Soglia1};
}

std::string RangeText(int low, int high) { return std::to_string(low) + " - " + std::to_string(high); }

}  // namespace

MapPage::MapPage(ParameterImage& image, const NumberLocale& locale, std::string dumpPath)
    : image_(image), locale_(locale), dumpPath_(std::move(dumpPath)) {}

void MapPage::Attach() {
    samples_ = image_.SampleAnswer.Connect(
        [this](bool gas, int set, const std::string& data) { OnSampleAnswer(gas, set, data); });
}

SampleScale MapPage::Scale() const {
    const ScaleConfig& s = image_.Scale();
    return SampleScale{s.K_Time_Inj_ms, s.AddTimeSwitch, s.SommaTempoInj};
}

void MapPage::Read() {
    image_.Requests.BnzSampleReadRequest = true;
    image_.Requests.GasSampleReadRequest = true;
}

bool MapPage::SetAutoTuning(bool checked) {
    autoTuning_ = checked && image_.Block2.AbilAcq[1] != 0;
    Changed.Emit();
    return autoTuning_;
}

void MapPage::ClearGas() {
    image_.Requests.GasSampleCancelRequest = true;
    Samples.ClearGas();
    MapRedraw = true;
    Changed.Emit();
}

void MapPage::ClearPetrol() {
    image_.Requests.BnzSampleCancelRequest = true;
    Samples.ClearPetrol();
    MapRedraw = true;
    Changed.Emit();
}

void MapPage::ClearModel() { SetPairs({}); }

int MapPage::Compute() { return RefreshMap(true); }

int MapPage::RefreshMap(bool show) {
    MapComputation c = MergeAndCount(Samples);
    Map = c.map;
    matched_ = c.matched;
    if (image_.Comm().ServiceMode && !dumpPath_.empty())
        SaveFileAtomic(dumpPath_, MapDumpText(Samples, Map, locale_));  // a diagnostic aid: a failure is not shown
    if (show) SetPairs(PairPoints(Map, image_.CorTable));
    Changed.Emit();
    return matched_;
}

void MapPage::SelectSpeedRange(int index) {
    const auto& pairs = image_.Scale().SoglieMapping;
    if (index < 0 || index >= static_cast<int>(pairs.size())) return;
    const auto& [low, high] = pairs[static_cast<std::size_t>(index)];
    SetPairs({});
    Samples.Clear();
    image_.Block5Pending.ShoRpm = low;
    image_.Block5Pending.Soglia1 = high;
    image_.Requests.BnzSampleCancelRequest = true;
    image_.Requests.GasSampleCancelRequest = true;
    MapRedraw = true;
    image_.Block5WriteRequest = 1;
    RefreshMap(false);
}

std::vector<std::string> MapPage::SpeedRangeTexts() const {
    std::vector<std::string> out;
    for (const auto& [low, high] : image_.Scale().SoglieMapping)
        out.push_back(RangeText(low, high));
    return out;
}

std::string MapPage::CurrentSpeedText() const {
    if (!image_.EcuHasBlock5()) return {};
    const auto [low, high] = Thresholds(image_);
    return RangeText(low, high);
}

int MapPage::CurrentSpeedRange() const {
    const auto [low, high] = Thresholds(image_);
    const auto& pairs = image_.Scale().SoglieMapping;
    for (std::size_t i = 0; i < pairs.size(); ++i)
        if (pairs[i].first == low && pairs[i].second == high) return static_cast<int>(i);
    return -1;
}

void MapPage::OnSampleAnswer(bool gas, int set, const std::string& data) {
    DecodeSamples(Samples, gas, set, data, Scale());
    MapRedraw = true;
    RefreshMap(false);
}

bool MapPage::SaveMapFile(const std::string& path, std::string* error) {
    return SaveFileAtomic(path, SaveMapText(Samples, locale_), error);
}

Warnings MapPage::LoadMapFile(const std::string& path) {
    auto refused = [&](std::string msg) {
        if (const auto at = msg.find("%1"); at != std::string::npos) msg.replace(at, 2, path);
        return Warnings{Warning{msg, texts.title, MsgIcon::Critical}};
    };
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxMapFileBytes) return refused(texts.tooLarge);
    const auto text = ReadWholeFile(path, kMaxMapFileBytes);
    if (!text) return refused(texts.cannotRead);
    MapFileReading r = LoadMapText(*text, locale_, Samples, texts.badLine, texts.title);
    // A line that is no number makes the file no map file: nothing of it is taken.
    if (r.badLine != 0) return r.warnings;
    Samples = r.record;
    MapRedraw = true;
    RefreshMap(false);
    return r.warnings;
}

void MapPage::SetPairs(std::vector<MapPairPoint> pairs) {
    pairs_ = std::move(pairs);
    PairMarkers.Emit(pairs_);
}

}  // namespace gw
