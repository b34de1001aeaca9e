#include "app/ConfigLoader.h"

#include "app/DictionaryEntries.h"
#include "app/DisplayScheduler.h"
#include "app/MarkerTexts.h"
#include "app/Workbench.h"
#include "model/EcuRequests.h"
#include "util/FileSys.h"

namespace gw {

namespace {

std::string Main(const ClsLingue* lingue, int offset, const char* fallback) {
    return MarkerText(lingue, kMarkerMain, offset, fallback);
}

// "block 2" and "correction table" as the report names them, in the current language.
std::string ItemName(const std::string& name, const ClsLingue* lingue) {
    if (name.rfind("block ", 0) == 0) return Main(lingue, kMainItemBlock, "block") + name.substr(5);
    if (name == "correction table") return Main(lingue, kMainItemCorTable, "correction table");
    return name;
}

std::string Join(const std::vector<std::string>& names, const ClsLingue* lingue) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) out += i + 1 == names.size() ? " " + Main(lingue, kMainItemAnd, "and") + " " : ", ";
        out += names[i];
    }
    return out;
}

}  // namespace

std::string LoadOutcomeText(const VarLoadReport& report, const ClsLingue* lingue) {
    if (report.message.empty()) return {};
    if (!report.readBefore)
        return Main(lingue, kMainLoadNoAnswer, "The ECU did not answer the reads; nothing was written.");
    std::vector<std::string> fromFile, unknown;
    for (const VarLoadReport::Item& it : report.items) {
        if (it.held == VarLoadReport::Held::FromFile) fromFile.push_back(ItemName(it.name, lingue));
        if (it.held == VarLoadReport::Held::Unknown) unknown.push_back(ItemName(it.name, lingue));
    }
    if (fromFile.empty() && unknown.empty())
        return Main(lingue, kMainLoadNotAccepted, "The configuration was not accepted; the ECU keeps what it had.");
    std::string m = Main(lingue, kMainLoadInPart, "The configuration was written only in part.");
    if (!fromFile.empty())
        m += " " + Main(lingue, kMainLoadHoldsFromFile, "The ECU now holds from the file:") + " " + Join(fromFile, lingue) + ".";
    if (!unknown.empty())
        m += " " + Main(lingue, kMainLoadMayHold, "It may hold from the file (the write was not confirmed):") + " " +
             Join(unknown, lingue) + ".";
    m += " " + Main(lingue, kMainLoadRestOwn, "Everything else is the ECU's own. Load the configuration again.");
    return m;
}

ConfigLoader::ConfigLoader(Workbench& wb, ParameterImage& image, DisplayScheduler& scheduler)
    : wb_(wb), image_(image), scheduler_(scheduler) {}

bool ConfigLoader::Load(const std::string& path) {
    // A file that is not a whole configuration is refused before anything is switched,
    // read into the image or sent.
    lastLoad_ = VarLoadReport{};
    leftOnPetrol_ = false;
    problem_ = CheckVarFile(path);
    if (problem_ != VarFileProblem::None) return false;
    ClsComm& comm = *wb_.Comm;
    const bool timer2 = wb_.Timer2->Enabled();
    wb_.Timer2->SetEnabled(false);
    bool ok = true;
    bool switched = false;
    if (image_.Block2.Mode2 == 3 && comm.ComState != kComOffLine) {
        image_.Block2Pending.Mode = 0;
        ok = WriteBlock(image_, 2, comm);
        switched = ok;
    }
    if (ok) ok = LoadVarFile(image_, path, &lastLoad_);
    if (comm.ComState == kComOffLine) LoadedOffLine.Emit();
    if (switched) {
        image_.Block2Pending.Mode = 3;
        if (!WriteBlock(image_, 2, comm)) {
            ok = false;
            leftOnPetrol_ = true;
        }
    }
    if (ok) Loaded.Emit(path);
    if (timer2 && !wb_.ShutDown) wb_.Timer2->SetEnabled(true);
    scheduler_.RequestFullRead();
    return ok;
}

bool ConfigLoader::LoadPending(const std::string& path, bool lastChance) {
    if (path != failedPath_) {
        failedPath_ = path;
        failedLoads_ = 0;
    }
    if (Load(path)) {
        failedLoads_ = 0;
        return true;
    }
    // A refused file stays refused: reported at once, not tried again.
    if (lastChance || problem_ != VarFileProblem::None || !FileExists(path) || ++failedLoads_ >= kLoadAttempts) {
        failedLoads_ = 0;
        ReportFailure(path);
        return true;
    }
    return false;
}

void ConfigLoader::ReportFailure(const std::string& path) {
    // What the load found the ECU to hold, exactly; never a "kept what it had" it may not have.
    const ClsLingue* lingue = &wb_.Lingue;
    std::string why = LoadOutcomeText(lastLoad_, lingue);
    if (problem_ == VarFileProblem::TooLarge)
        why = Main(lingue, kMainFileTooLarge, "The file is too large to be a configuration file. Nothing was loaded.");
    else if (problem_ == VarFileProblem::Damaged)
        why = Main(lingue, kMainFileDamaged,
                   "The file is damaged or incomplete: it is not a whole configuration. Nothing was loaded.");
    else if (!FileExists(path) || (why.empty() && !leftOnPetrol_))
        why = Main(lingue, kMainFileUnreadable, "The file cannot be read.");
    if (leftOnPetrol_) {
        if (!why.empty()) why += "\r\n";
        why += Main(lingue, kMainLeftOnPetrol, "The ECU could not be switched back to gas: it runs on petrol.");
    }
    wb_.host.MessageBox(
        Main(lingue, kMainConfigNotLoaded, "The configuration file was not loaded:") + "\r\n" +
            path + "\r\n\r\n" + why,
        wb_.AppTitle, MsgIcon::Critical, MsgButtons::Ok);
}

}  // namespace gw
