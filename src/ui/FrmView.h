// FrmView: the signal viewer's window (caption "View"): the drawing area, the "Setting"
// frame with the eight channels (check box, width, colour; the selected one's zoom and
// offset), the time scale, the injector list, recording or file display, and the file
// commands (open, save, export, "<<" / ">>"). A thin window over ViewerLogic: it shows what
// the logic holds and forwards the clicks; files are read on a worker thread with a
// progress bar and a cancel button.
#pragma once

#include <QDialog>
#include <array>
#include <atomic>
#include <memory>

#include "viewer/ViewerLogic.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QThread;
class QTimer;

namespace gw {

class TraceView;

class FrmView : public QDialog, public view::ViewerHost {
public:
    FrmView(QWidget* parent, Workbench& wb);
    ~FrmView() override;

    // The window's load (log restarted, recording unless record is false) and showing it.
    void Open(bool record = true);
    view::ViewerLogic& Logic() { return *logic_; }
    TraceView* Traces() const { return traces_; }
    // Shows the logic's state in the widgets.
    void Sync();
    // A load is running on the worker thread.
    bool Loading() const { return worker_ != nullptr; }
    // Replaces the file dialogs (tests, pictures): returns the path, empty when cancelled.
    void SetDialogAnswer(const std::string& path) { dialogAnswer_ = path; useDialogAnswer_ = true; }

    // ---- ViewerHost ----
    std::string ChooseViewToSave(const std::string& folder) override;
    void ShowBusy(const std::string& text) override;
    void LoadCurrentFile() override;

    std::array<QCheckBox*, view::kChannels> ChkSignal{};
    std::array<QSpinBox*, view::kChannels> TxtSignal{};
    std::array<QPushButton*, view::kChannels> PctMostra{};
    std::array<QRadioButton*, view::kChannels> OptChannel{};
    std::array<QRadioButton*, 2> OptRun{};
    QPushButton *CmdSecDivP, *CmdSecDivM, *CmdZoomIn, *CmdZoomOut, *CmdUp, *CmdDw;
    QPushButton *CmdOpen, *CmdSaveLogOsc, *CmdExport, *CmdExportCsv, *CmdSeekPrev, *CmdSeekNext, *CmdCancelLoad;
    QCheckBox* ChkWholeFile;
    QLabel *LblSecDiv, *LblZoomChl, *LblOffset, *LblBusy, *LblSamples;
    QComboBox* CmbChnInj;
    QProgressBar* PrgLoad;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    std::string AskPath(bool save, const QString& filter, const QString& suffix);
    void StartLoad();
    void Finished();

    Workbench& wb_;
    std::unique_ptr<view::ViewerLogic> logic_;
    Connection changed_;
    TraceView* traces_;
    QThread* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::shared_ptr<std::atomic<int>> progress_;
    std::shared_ptr<view::LogWindow> result_;
    QTimer* progressTimer_;
    bool loadAgain_ = false;
    bool newFile_ = true;
    std::string dialogAnswer_;
    bool useDialogAnswer_ = false;
    bool syncing_ = false;
};

class FrmKD452;
// Makes the viewer (owned by the main window) on the first click of the General page's
// "View" button and opens it on every click.
void AttachViewer(FrmKD452& win, Workbench& wb);
// The viewer attached to a main window, made when needed; nullptr when none is attached.
FrmView* ViewerOf(FrmKD452& win);

}  // namespace gw
