// ViewerLogic: the rules of the signal viewer (FrmView) without its widgets: recording the
// live values (the log restarted with its constants, the 2401-sample live buffer, the save
// question when a recording ends), showing a log or view file one window at a time, the
// channels (at least one checked, colour, width, offset, zoom), the time scale and its
// settings file, and saving and exporting views. The window shows what this holds and
// forwards clicks; loading a file is the host's (it may read in the background and then
// hands the result to Adopt).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "app/Workbench.h"
#include "util/Signal.h"
#include "viewer/OsciConfig.h"
#include "viewer/TracePyramid.h"
#include "viewer/ViewLog.h"

namespace gw::view {

// The viewer's own texts.
inline constexpr const char* kTextCaption = "View";
inline constexpr const char* kTextCaptionFile = "View 1.1 - ";
inline constexpr const char* kTextNoCheck = "NO CHECK!";
inline constexpr const char* kTextSaveQuestion = "DO YOU WANT SAVE LAST DATA?";
inline constexpr const char* kTextLoading = "LOADING";
inline constexpr const char* kTextSaving = "SAVING";
inline constexpr const char* kErrLoadLog = "CaricaLogRxTx_Err:";
inline constexpr const char* kErrConstants = "CaricaCostantiRxTx_Err:";
inline constexpr const char* kErrClean = "CleanLogRxTx_Err: ";
inline constexpr const char* kErrCleanTitle = "CleanLogRxTx_Err";

// The allowed time scales, seconds per division.
inline constexpr std::array<double, 6> kSecDivSteps = {1, 2, 5, 7.5, 10, 20};
double NextSecDiv(double secDiv);  // CmdSecDivP
double PrevSecDiv(double secDiv);  // CmdSecDivM
// LblSecDiv: SecDiv + 0.001 in the general format, its last character dropped, " s".
std::string SecDivLabel(double secDiv, char decimal);
// LblZoomChl: the zoom rounded when at least 1, else zoom + 0.000001 less its last three characters.
std::string ZoomLabel(double zoom, char decimal);

// What the host does for the viewer.
class ViewerHost {
public:
    virtual ~ViewerHost() = default;
    // The save dialog for a view file ("*.vfl") starting in folder; empty when cancelled.
    virtual std::string ChooseViewToSave(const std::string& folder) = 0;
    // The busy text ("LOADING", "SAVING"); empty when done.
    virtual void ShowBusy(const std::string& text) = 0;
    // Load the window Next() describes and hand it to Adopt (at once or later).
    virtual void LoadCurrentFile() = 0;
};

struct LoadRequest {
    std::string path;
    std::uint64_t offset = 0;
    std::uint64_t window = kWindowChars;  // 0: the whole file
};

class ViewerLogic {
public:
    static constexpr std::size_t kLiveSamples = 2401;
    static constexpr int kTimerMs = 50;
    static constexpr double kMinZoom = 1e-5, kMaxZoom = 1e5;

    ViewerLogic(Workbench& wb, ViewerHost& host);
    ~ViewerLogic();
    ViewerLogic(const ViewerLogic&) = delete;
    ViewerLogic& operator=(const ViewerLogic&) = delete;

    // The window's load: settings read, the log restarted, recording (or, for pictures of
    // a file, showing files from the start).
    void Load(const std::string& today, bool record = true);
    // The window closes: a recording in progress ends (with the save question).
    void Close();

    // ---- recording or file (OptRun(0) / OptRun(1)) ----
    bool Recording() const { return recording_; }
    // Recording again restarts the log; leaving it asks the save question and shows the log.
    void SetRecording(bool on, const std::string& today);
    bool EndPending() const { return endPending_; }
    // The viewer's timer: the newest live values into the buffer; a pending end acted on.
    void OnTimer();
    const std::deque<SampleRecord>& Live() const { return live_; }

    // ---- channels ----
    const std::array<bool, kChannels>& Checked() const { return checked_; }
    // ChkSignal_Click: false when it was the last checked one ("NO CHECK!" shown, kept checked).
    bool ChkSignalClick(int channel, bool checked);
    const OsciSettings& Settings() const { return settings_; }
    int SelectedChannel() const { return selected_; }
    void SelectChannel(int channel);
    void ZoomIn();    // the selected channel's zoom x 2
    void ZoomOut();   // / 2
    void OffsetUp();  // its offset + 0.5 division
    void OffsetDown();
    void SetColour(int channel, std::uint32_t bbggrr);
    void SetWidth(int channel, int pixels);  // TxtSignal: 1-8
    std::string ZoomText() const;    // LblZoomChl
    std::string OffsetText() const;  // LblOffset
    int Injector() const { return injector_; }
    void SetInjector(int index);  // CmbChnInj

    // ---- time scale ----
    double SecDiv() const { return secDiv_; }
    void SecDivP();
    void SecDivM();
    bool CanSecDivP() const { return secDiv_ < 20; }
    bool CanSecDivM() const { return secDiv_ > 1; }
    std::string SecDivText() const;

    // ---- files ----
    std::string Caption() const { return caption_; }
    const std::string& CurrentFile() const { return current_; }
    bool CurrentIsLiveLog() const { return current_ == LiveLogPath(); }
    std::string LiveLogPath() const;
    std::string SamplesFolder() const;
    LoadRequest Next() const;
    // The loaded window; false when it brought nothing new (an error shown, or cancelled).
    bool Adopt(LogWindow window);
    const LogWindow& Shown() const { return shown_; }
    const TracePyramid& Pyramid() const { return pyramid_; }
    SampleScales Scales() const { return SampleScales::From(wb_.Scale); }
    bool WholeFile() const { return wholeFile_; }
    void SetWholeFile(bool on);
    bool CanSeekPrev() const { return !wholeFile_ && shown_.CanPrev(); }
    bool CanSeekNext() const { return !wholeFile_ && shown_.CanNext(); }
    void SeekPrev();  // "<<"
    void SeekNext();  // ">>"
    // CmdOpen, after its dialog. A file without live-value samples in its first window
    // (empty, damaged, not a log), one that cannot be read or an opening cancelled leaves
    // the file and the samples shown as they were (with a message, but for the cancel).
    void OpenView(const std::string& path);
    // CmdSaveLogOsc (and Yes to the save question): the dialog, then the save; false when
    // cancelled or failed (the failure shown).
    bool SaveViewDialog();
    bool SaveViewTo(const std::string& path);
    bool ExportVflf(const std::string& path);
    bool ExportCsv(const std::string& path);

    // Something shown changed (samples, settings, scale, mode).
    Signal<> Changed;

private:
    void RestartLog(const std::string& today);
    void WriteSettings();
    void ShowError(const std::string& text, const std::string& title);
    void Rebuild();
    void KeepShownFile();  // an opening that failed: the file shown before is current again

    Workbench& wb_;
    ViewerHost& host_;
    std::unique_ptr<Timer> timer_;
    OsciSettings settings_;
    std::array<bool, kChannels> checked_{true, true, true, true, true, true, true, true};
    int selected_ = 0;
    int injector_ = 0;
    double secDiv_ = 1;
    bool recording_ = false;
    bool endPending_ = false;
    double lastLiveMs_ = -1;
    std::deque<SampleRecord> live_;
    std::string current_;
    std::string caption_ = kTextCaption;
    std::uint64_t offset_ = 0;
    bool wholeFile_ = false;
    LogWindow shown_;
    // While a file the user opened is being read: the file shown before it.
    struct Opening {
        std::string file;
        std::string caption;
        std::uint64_t offset = 0;
    };
    std::optional<Opening> opening_;
    TracePyramid pyramid_;
};

}  // namespace gw::view

namespace gw::view {
// A time on the traces' scale: minutes, " min ", seconds, ". ", milliseconds ("000"
// padded), e.g. "2 min 05. 250"; "- - -" when there is no time to show.
std::string TimeLabel(double ms, bool valid = true);
}  // namespace gw::view
