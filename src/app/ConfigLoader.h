// ConfigLoader: a configuration file the user asked to load (File > Load, the model page's
// open button, "Reset All") is loaded on the display timer, between exchanges. On gas the ECU
// is switched to petrol first and back to gas afterwards, so that it never runs on gas on a
// half-written configuration; the display timer is held meanwhile and everything is read
// back afterwards. A file that has gone, is not a whole configuration, or that the ECU keeps
// refusing, is reported once and dropped instead of being retried for ever.
#pragma once

#include <string>

#include "model/VarFile.h"
#include "util/Signal.h"

namespace gw {

class ClsLingue;
class DisplayScheduler;
class ParameterImage;
class Workbench;

// What a failed load did to the ECU, in the current language: nothing written, nothing
// kept, or exactly which items it holds (or may hold) from the file. Empty when the report
// says nothing failed on the link (the file itself could not be read).
std::string LoadOutcomeText(const VarLoadReport& report, const ClsLingue* lingue);

class ConfigLoader {
public:
    // Loads that fail this many times in a row are given up (and reported).
    static constexpr int kLoadAttempts = 3;

    ConfigLoader(Workbench& wb, ParameterImage& image, DisplayScheduler& scheduler);

    // CaricaConfigurazione: the file into the image and the ECU; true when every step
    // succeeded (the switch to petrol, the file, the switch back to gas).
    bool Load(const std::string& path);
    // A pending file: Load, and on failure count it. True when the pending path is done
    // with: loaded, or given up and reported (at the kLoadAttempts-th failure in a row, at
    // once when the file has gone or when lastChance is set).
    bool LoadPending(const std::string& path, bool lastChance = false);

    // What the last load found the ECU to hold.
    const VarLoadReport& LastLoad() const { return lastLoad_; }
    // The last load switched the ECU to petrol and could not switch it back to gas.
    bool LeftOnPetrol() const { return leftOnPetrol_; }
    // Why the last file was refused before loading (None when it was not).
    VarFileProblem Problem() const { return problem_; }

    // The file was loaded: the window shows its path in the title.
    Signal<const std::string&> Loaded;
    // A load while off-line changed only the image: the configuration page shows it.
    Signal<> LoadedOffLine;

private:
    void ReportFailure(const std::string& path);

    Workbench& wb_;
    ParameterImage& image_;
    DisplayScheduler& scheduler_;
    VarLoadReport lastLoad_;
    bool leftOnPetrol_ = false;
    VarFileProblem problem_ = VarFileProblem::None;
    int failedLoads_ = 0;
    std::string failedPath_;
};

}  // namespace gw
