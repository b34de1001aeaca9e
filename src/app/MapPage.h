// MapPage: the rules of the "Map - F7" page. It owns the sample record and the computed
// map, turns the page's buttons into the request flags the display timer serves (sample
// reads, sample clears, block 5's mapping speed thresholds), decodes the sample answers,
// runs "Compute" and hands the model page its pair markers, and saves and loads map files.
// It shows nothing: the page widget draws Samples and forwards clicks here.
#pragma once

#include <string>
#include <vector>

#include "model/MapSamples.h"
#include "model/ParameterImage.h"
#include "util/NumberLocale.h"
#include "util/Signal.h"
#include "util/Warnings.h"

namespace gw {

// A map file is 240 short number lines; anything far larger is not one.
inline constexpr std::size_t kMaxMapFileBytes = 1024 * 1024;

class MapPage {
public:
    // dumpPath: where service mode writes the mapped-points dump ("Map.txt" beside the
    // program). The texts are those of the current language.
    struct Texts {
        std::string badLine = "Map file: line %1 is not a number.";
        std::string cannotRead = "Map file: %1 cannot be read.";
        std::string tooLarge = "Map file: %1 is too large to be a map file.";
        std::string title;
    };
    MapPage(ParameterImage& image, const NumberLocale& locale, std::string dumpPath);

    // The sample answers the link decodes into the image go to this page from now on.
    void Attach();

    MapRecord Samples;   // as read from the ECU or a map file
    MapRecord Map;       // the last merge ("Compute")
    bool MapRedraw = false;  // the plot has to draw every marker again
    Texts texts;

    // ---- the page's controls ----
    void Read();                        // CmdMapRead: both lists once
    // ChkAbilAcqVacum: refused (false) while block 2's vacuum acquisition is disabled.
    bool SetAutoTuning(bool checked);
    bool AutoTuning() const { return autoTuning_; }
    void ClearGas();                    // CmdMapClrGas
    void ClearPetrol();                 // CmdMapClrPet
    void ClearModel();                  // CmdShpMapMod: the pair markers go
    int Compute();                      // CmdMapCompute: merge, count, pair markers shown
    // Merge and count; Compute's enabling; the dump in service mode; markers when show.
    int RefreshMap(bool show);
    // CmbShoRpm: entry index of the "[SOGLIE MAPPING]" pairs.
    void SelectSpeedRange(int index);
    std::vector<std::string> SpeedRangeTexts() const;
    // The entry holding block 5's thresholds (pending ones first); -1 when none does.
    int CurrentSpeedRange() const;
    // Block 5's thresholds as an entry would show them ("2250 - 2750"); empty without block 5.
    std::string CurrentSpeedText() const;

    bool ReadEnabled() const { return !autoTuning_; }
    bool ComputeEnabled() const { return matched_ >= 1 && !autoTuning_; }
    // The thresholds live in block 5, which only ECUs with the expert block hold.
    bool SpeedRangeEnabled() const { return image_.EcuHasBlock5(); }
    int Matched() const { return matched_; }
    const std::vector<MapPairPoint>& Pairs() const { return pairs_; }

    // One sample answer of the ECU (set 0 or 1 of the petrol or gas list).
    void OnSampleAnswer(bool gas, int set, const std::string& data);

    // ---- map files ----
    // Writes the sample record; false (and why, in error) when it could not be written.
    bool SaveMapFile(const std::string& path, std::string* error = nullptr);
    // Reads the file into the sample record and refreshes the map state. A file that cannot
    // be read, is larger than kMaxMapFileBytes or has a line that is not a number is refused
    // whole: the samples stay as they were and the warning says why. A file that ends early
    // repeats its last line, as the map file reading does.
    Warnings LoadMapFile(const std::string& path);

    // The samples or the enabling changed: the page redraws.
    Signal<> Changed;
    // New pair markers for the model page (empty: hidden).
    Signal<const std::vector<MapPairPoint>&> PairMarkers;

private:
    void SetPairs(std::vector<MapPairPoint> pairs);
    SampleScale Scale() const;

    ParameterImage& image_;
    const NumberLocale& locale_;
    std::string dumpPath_;
    bool autoTuning_ = false;
    int matched_ = 0;
    std::vector<MapPairPoint> pairs_;
    Connection samples_;
};

}  // namespace gw
