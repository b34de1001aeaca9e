// FrmKD452: the workbench's main window. Owns the page control SstMain (Calibration,
// Modeling, Map, General, Configuration; opens on General), the menus and their keys, the
// port menu wired to the communication cycle, the status bar, the calibration-parameters
// frame, the captions from the dictionary, service mode, and closing without cutting an
// exchange in half. What the pages show and what is asked of the ECU is decided by the
// display scheduler and the pages' presenters: they listen to the window's signals and
// answer its questions (the queries below).
#pragma once

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTabWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/AboutText.h"
#include "app/MainCaptions.h"
#include "app/Workbench.h"
#include "ui/ConfigPage.h"
#include "ui/FrmInit.h"
#include "ui/GeneralPage.h"
#include "ui/ParametriFrame.h"
#include "ui/QtHost.h"
#include "util/Query.h"
#include "util/Signal.h"

namespace gw {

class FrmKD452 : public QMainWindow {
    Q_OBJECT
public:
    // Tabs of SstMain.
    enum Tab { kTabCalibration = 0, kTabModeling = 1, kTabMap = 2, kTabGeneral = 3, kTabConfiguration = 4 };
    static int MenuToTab(int menuIndex);  // MnuViewTab(i) to its tab; -1 out of range

    // The window's load: pages, pictures, languages, port menu, page, waiting window and
    // the communication log. The workbench's Main has run before.
    FrmKD452(Workbench& wb, QtHost& host, QWidget* parent = nullptr);
    ~FrmKD452() override;

    // ---- pages ----
    void SelectMenuPage(int menuIndex);  // MnuViewTab(menuIndex)
    void CheckTab();
    QTabWidget* SstMain() const { return sstMain_; }
    GeneralPage* General() const { return general_; }
    ConfigPage* Config() const { return config_; }
    ParametriFrame* FrmParametri() const { return parametri_; }
    QWidget* PageWidget(int tab) const;
    // Puts a page in place of a tab's placeholder (the window takes it over).
    void SetPage(int tab, QWidget* page);

    // ---- language ----
    void RiempiMnuLingue();
    void ApplicaLingua(int language);
    const MainCaptions& Captions() const { return captions_; }
    const std::vector<std::string>& ErrorTexts() const { return captions_.ErrorTexts(); }
    // The dictionary check of the window's activation (shown once per run).
    void CheckDictionary();

    // ---- title ----
    void SetTitle(const std::string& configPath = {});  // with " - [path]" when given

    // ---- status bar and port menu ----
    QString StatusText(int field) const;
    QLabel* StatusField(int field) const { return statusBar_[static_cast<size_t>(field)]; }
    QAction* MnuDevCom(int index) const { return mnuDevCom_[static_cast<size_t>(index)]; }
    QAction* MnuOffLine() const { return mnuOffLine_; }
    QAction* MnuSearcCom() const { return mnuSearcCom_; }
    QAction* MnuSimulated() const { return mnuSimulated_; }
    QAction* MnuViewTab(int index) const { return mnuViewTab_[static_cast<size_t>(index)]; }
    const std::vector<QAction*>& MnuLngT() const { return mnuLngT_; }
    FrmInit* WaitingWindow() const { return frmInit_; }

    // ---- service mode and closing ----
    void ToggleServiceMode();
    bool ServiceMode() const;
    // The window has run its unload (timers stopped, port and log closed).
    bool Unloaded() const { return unloaded_; }

    // ---- what the window asks of the parts around it ----
    bool UpdatingControls = false;
    // The ECU's data are still to be read after a (re)connection (the waiting window).
    Query<bool()> EcuDataToRead;
    // The information window's values (without an answer: the labels only); the ECU's
    // update offer.
    Query<std::optional<AboutInfo>()> AboutValues;
    Query<bool()> UpdateOffered;
    // Writes a configuration file; true when written.
    Query<bool(const std::string&)> SaveConfiguration;
    // The ignition key is on (a logo click then asks for the fuel switch).
    Query<bool()> KeyOn;
    // The side-window buttons (CmdTpyInj, CmdTpyGLS, CmdExpert0, CmdErrInj, CmdView)
    // are enabled once a window is attached to them.
    void AttachSideWindow(const QString& buttonName, std::function<void()> open);
    // The configuration-file commands are enabled once loading and saving exist.
    void EnableConfigurationFiles(bool on);

signals:
    // After captions were applied on a language choice (type tables, lists, messages).
    void languageChosen();
    // After CheckTab adapted the window to the page now shown.
    void tabChecked(int tab);
    // Service mode switched (the model page's extra points).
    void serviceModeChanged(bool on);

protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void BuildMenus();
    void BuildStatusBar();
    QWidget* PlaceholderPage(const char* name);  // its text comes with the language
    void LoadPictures();
    void CommTick();
    void DisplayTick();
    void AggiornaStatusBar();
    void SyncPortMenu();
    void UpdateFrameVisibility();
    void OnExitRequested();
    void Unload();
public:
    // The File menu's commands (also reachable for tests and scripts).
    void MnuFileLoadConf_Click();
    void MnuFileSaveConf_Click();

private:
    void MnuInfoAbout_Click();
    void MnuLngT_Click(int language);
    void LogoReleased();
    std::string ChiediFileConfig(bool save);

    Workbench& wb_;
    Connection commTicked_;  // the status bar follows every communication tick
    Connection displayTicked_, exitDue_, linkDown_, cycleBusy_, checkBusy_;
    QtHost& host_;
    MainCaptions captions_;
    QTabWidget* sstMain_;
    GeneralPage* general_;
    ConfigPage* config_;
    std::array<QWidget*, 3> placeholders_{};
    QFrame* cmdParametri_;
    ParametriFrame* parametri_;
    std::array<QLabel*, 3> statusBar_{};
    QMenu* mnuFile_;
    QAction* mnuFileLoadConf_;
    QAction* mnuFileSaveConf_;
    QAction* mnuFileEsc_;
    QMenu* mnuView_;
    std::array<QAction*, 5> mnuViewTab_{};
    QMenu* mnuPjct_;
    QMenu* mnuDevice_;
    QAction* mnuOffLine_;
    QAction* mnuSearcCom_;
    std::array<QAction*, PortMenu::kItems> mnuDevCom_{};
    QAction* mnuSimulated_;
    QMenu* mnuLng_;
    std::vector<QAction*> mnuLngT_;
    QMenu* mnuInfo_;
    FrmInit* frmInit_;
    bool checkTabBusy_ = false;
    bool dictionaryChecked_ = false;
    bool unloaded_ = false;
    std::string configPath_;
    ConnectionStatus shown_;
    bool shownValid_ = false;
    double shownAtUs_ = 0;
    // The connection text's moving dots: at most ten steps a second on the screen.
    static constexpr double kDotsIntervalUs = 100'000;
    QString shownTime_;
};

}  // namespace gw
