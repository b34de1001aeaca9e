// FrmKD452: menus, language, information window, configuration-file commands, service mode.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include "ui/FrmKD452.h"

#include "app/DictionaryEntries.h"
#include "app/MarkerTexts.h"
#include "model/VarFile.h"
#include "ui/FrmStartUp.h"
#include "ui/QtText.h"
#include "util/SysInfo.h"

namespace gw {

void FrmKD452::BuildMenus() {
    QMenuBar* bar = menuBar();
    mnuFile_ = bar->addMenu("&File");
    mnuFile_->setObjectName("MnuFile");
    mnuFileLoadConf_ = mnuFile_->addAction("Load configuration", this, [this] { MnuFileLoadConf_Click(); });
    mnuFileLoadConf_->setObjectName("MnuFileLoadConf");
    mnuFileSaveConf_ = mnuFile_->addAction("Save configuration", this, [this] { MnuFileSaveConf_Click(); });
    mnuFileSaveConf_->setObjectName("MnuFileSaveConf");
    mnuFile_->addSeparator();
    mnuFileEsc_ = mnuFile_->addAction("&Esc", this, [this] { wb_.ExitRequested = true; });
    mnuFileEsc_->setObjectName("MnuFileEsc");
    EnableConfigurationFiles(false);

    mnuView_ = bar->addMenu("&View");
    mnuView_->setObjectName("MnuView");
    const char* viewCaptions[5] = {"General", "Configuration", "Calibration", "Modeling", "Map"};
    const Qt::Key viewKeys[5] = {Qt::Key_F2, Qt::Key_F3, Qt::Key_F5, Qt::Key_F6, Qt::Key_F7};
    for (int i = 0; i < 5; ++i) {
        QAction* a = mnuView_->addAction(viewCaptions[i], this, [this, i] { SelectMenuPage(i); });
        a->setObjectName(QString("MnuViewTab%1").arg(i));
        a->setShortcut(QKeySequence(viewKeys[i]));
        a->setShortcutContext(Qt::ApplicationShortcut);
        mnuViewTab_[static_cast<size_t>(i)] = a;
    }

    mnuPjct_ = bar->addMenu("&Project");
    mnuPjct_->setObjectName("MnuPjct");
    mnuDevice_ = mnuPjct_->addMenu("De&vice");
    mnuDevice_->setObjectName("MnuDevice");
    mnuOffLine_ = mnuDevice_->addAction(" OFFLINE", this, [this] {
        wb_.Cycle->MnuOffLine_Click();
        SyncPortMenu();
    });
    mnuOffLine_->setObjectName("MnuOffLine");
    mnuOffLine_->setCheckable(true);
    mnuSearcCom_ = mnuDevice_->addAction(" SEARCH COM", this, [this] {
        wb_.Cycle->MnuSearcCom_Click();
        SyncPortMenu();
    });
    mnuSearcCom_->setObjectName("MnuSearcCom");
    mnuDevice_->addSeparator();
    for (int i = 0; i < PortMenu::kItems; ++i) {
        QAction* a = mnuDevice_->addAction(ToQ(PortMenu::Caption(i)), this, [this, i] {
            wb_.Cycle->MnuDevCom_Click(i);
            SyncPortMenu();
        });
        a->setObjectName(QString("MnuDevCom%1").arg(i));
        a->setCheckable(true);
        mnuDevCom_[static_cast<size_t>(i)] = a;
    }
    mnuDevice_->addSeparator();
    mnuSimulated_ = mnuDevice_->addAction("Simulated ECU", this, [this] {
        wb_.Cycle->MnuSimulated_Click();
        SyncPortMenu();
    });
    mnuSimulated_->setObjectName("MnuSimulated");
    mnuSimulated_->setCheckable(true);
    mnuLng_ = mnuPjct_->addMenu("&Language");
    mnuLng_->setObjectName("MnuLng");

    mnuInfo_ = bar->addMenu("&?");
    mnuInfo_->setObjectName("MnuInfo");
    QAction* help = mnuInfo_->addAction("Help");  // does nothing
    help->setObjectName("MnuInfoHelp");
    help->setShortcut(QKeySequence(Qt::Key_F1));
    QAction* about = mnuInfo_->addAction("&About", this, [this] { MnuInfoAbout_Click(); });
    about->setObjectName("MnuInfoAbout");

    // Buttons that open side windows stay disabled until a window is attached.
    for (QPushButton* b : {config_->CmdTpyInj, config_->CmdTpyGLS, config_->CmdExpert0, general_->CmdErrInj,
                           general_->CmdView})
        b->setEnabled(false);
}

void FrmKD452::AttachSideWindow(const QString& buttonName, std::function<void()> open) {
    auto* b = findChild<QPushButton*>(buttonName);
    if (!b) return;
    b->disconnect(this);
    connect(b, &QPushButton::clicked, this, [open = std::move(open)] {
        if (open) open();
    });
    b->setEnabled(true);
}

void FrmKD452::EnableConfigurationFiles(bool on) {
    mnuFileLoadConf_->setEnabled(on);
    mnuFileSaveConf_->setEnabled(on);
}

// ---- language ----

void FrmKD452::RiempiMnuLingue() {
    for (QAction* a : mnuLngT_) delete a;
    mnuLngT_.clear();
    const int last = wb_.Lingue.UboundLingue();
    if (last < 0) {
        QAction* a = mnuLng_->addAction("LINGUA - ...");  // no dictionary: the design entry
        a->setObjectName("MnuLngT0");
        a->setCheckable(true);
        a->setEnabled(false);
        mnuLngT_.push_back(a);
        return;
    }
    for (int i = 0; i <= last; ++i) {
        QAction* a = mnuLng_->addAction(ToQ(wb_.Lingue.NomeLingua(i)), this, [this, i] { MnuLngT_Click(i); });
        a->setObjectName(QString("MnuLngT%1").arg(i));
        a->setCheckable(true);
        mnuLngT_.push_back(a);
    }
}

void FrmKD452::ApplicaLingua(int language) {
    for (QAction* a : mnuLngT_) a->setChecked(false);
    if (language >= 0 && language < static_cast<int>(mnuLngT_.size()))
        mnuLngT_[static_cast<size_t>(language)]->setChecked(true);
    // Only a different language is stored; the same one just re-applies the captions.
    if (language >= 0 && language <= wb_.Lingue.UboundLingue() && wb_.Lingue.CurrentLanguage() != language)
        wb_.Lingue.SetIdLingua(language);
    captions_ = MainCaptions::Read(wb_.Lingue);
    const MainCaptions& c = captions_;

    const std::string title = c.Caption(0, {});
    if (!title.empty()) wb_.AppTitle = title;
    wb_.Comm->AppTitle = wb_.AppTitle;
    mnuFileLoadConf_->setText(ToQ(c.Caption(1, "Load configuration")));
    mnuFileSaveConf_->setText(ToQ(c.Caption(2, "Save configuration")));
    mnuFileEsc_->setText(ToQ(c.Caption(3, "&Esc")));
    mnuView_->setTitle(ToQ(c.Caption(4, "&View")));
    // Entries 5 ... 9: the menu entries MnuViewTab(2, 3, 4, 0, 1) and tabs 0 ... 4.
    const char* menuFallback[5] = {"Calibration", "Modeling", "Map", "General", "Configuration"};
    const char* tabFallback[5] = {"Calibration - F5", "Modeling - F6", "Map - F7", "General - F2",
                                  "Configuration - F3"};
    for (int tab = 0; tab < 5; ++tab) {
        const int menuIndex = (tab + 2) % 5;
        mnuViewTab_[static_cast<size_t>(menuIndex)]->setText(ToQ(c.Caption(5 + tab, menuFallback[tab])));
        sstMain_->setTabText(tab, ToQ(c.Caption(5 + tab, tabFallback[tab])));
    }
    mnuPjct_->setTitle(ToQ(c.Caption(10, "&Project")));
    mnuDevice_->setTitle(ToQ(c.Caption(11, "De&vice")));
    mnuLng_->setTitle(ToQ(c.Caption(12, "&Language")));
    general_->ApplyCaptions(c);
    config_->ApplyCaptions(c);
    parametri_->ApplyCaptions(c);
    // The window's own texts, in the order of their entries after "[FrmKD452]".
    const std::vector<std::string> own =
        ReadMarkerTexts(&wb_.Lingue, kMarkerMain,
                        {"Level", "Petrol", "Gas", "0 ... 21 ms", "Lean", "Rich", "View", "This page is not available yet.",
                         "LPG / CNG", "LPG", "Simulated ECU", "Link"});
    auto text = [&own](int entry) { return ToQ(own.at(static_cast<size_t>(entry - 1))); };
    general_->ApplyOwnTexts(own);
    for (QWidget* page : placeholders_)
        if (auto* l = page ? page->findChild<QLabel*>() : nullptr) l->setText(text(kMainPageNotAvailable));
    // The logos' stand-in texts, when their pictures are missing.
    if (general_->ImgLogo->pixmap().isNull()) general_->ImgLogo->setText(text(kMainLogoText));
    if (parametri_->ImgLogoS->pixmap().isNull()) parametri_->ImgLogoS->setText(text(kMainLogoSmallText));
    mnuSimulated_->setText(text(kMainMnuSimulated));
    parametri_->ShpCalComm->setToolTip(text(kMainLinkLampTip));
    SetTitle(configPath_);
}

void FrmKD452::MnuLngT_Click(int language) {
    host_.DoEvents();
    ApplicaLingua(language);
    emit languageChosen();
}

void FrmKD452::CheckDictionary() {
    if (dictionaryChecked_) return;
    dictionaryChecked_ = true;
    const int bad = wb_.Lingue.FindInconsistentLanguage();
    if (bad >= 0)
        host_.MessageBox("Dictionary error: " + wb_.Lingue.NomeLingua(bad), wb_.AppTitle, MsgIcon::Critical,
                         MsgButtons::Ok);
}

void FrmKD452::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // Once per run: a box shown on every activation would come back each time it closes.
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && !dictionaryChecked_)
        QTimer::singleShot(0, this, [this] { CheckDictionary(); });
}

// ---- service mode ----

bool FrmKD452::ServiceMode() const { return wb_.Comm->ServiceMode; }

void FrmKD452::ToggleServiceMode() {
    wb_.Comm->ServiceMode = !wb_.Comm->ServiceMode;
    const bool on = wb_.Comm->ServiceMode;
    general_->SetServiceMode(on);
    config_->SetServiceMode(on);
    emit serviceModeChanged(on);
}

bool FrmKD452::eventFilter(QObject* obj, QEvent* e) {
    // Key preview: Ctrl+Shift+Alt+X on key-up, wherever the focus is in this window.
    if (e->type() == QEvent::KeyRelease) {
        auto* k = static_cast<QKeyEvent*>(e);
        auto* w = qobject_cast<QWidget*>(obj);
        const auto all = Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier;
        if (w && w->window() == this && k->key() == Qt::Key_X && !k->isAutoRepeat() &&
            (k->modifiers() & all) == all) {
            ToggleServiceMode();
            return true;
        }
    }
    return QMainWindow::eventFilter(obj, e);
}

// ---- information window ----

void FrmKD452::MnuInfoAbout_Click() {
    AboutInfo info;
    if (const std::optional<AboutInfo> values = AboutValues()) {
        info = *values;
    } else {
        info.labels = AboutLabels(wb_.Lingue);
    }
    if (info.osLine.empty()) info.osLine = AboutOsLine(GetOsDescription());
    const bool offer = wb_.Comm->ComState != kComOffLine && UpdateOffered();
    FrmStartUp about(this, wb_);
    about.Fill(AboutText(info), offer);
    about.exec();
}

// ---- configuration files ----

std::string FrmKD452::ChiediFileConfig(bool save) {
    // Both dialogs start in the application folder, with no file name.
    const QString folder = ToQ(wb_.AppFolder.empty() ? std::string("/") : wb_.AppFolder);
    const QString filter = "Mod Files (*.var)";
    QString path = save ? QFileDialog::getSaveFileName(this, QString(), folder, filter)
                        : QFileDialog::getOpenFileName(this, QString(), folder, filter);
    if (save && !path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += ".var";
    const std::string chosen = FromQ(path);
    wb_.Comm->LoadWDogSend();  // the dialog's time does not count against the link
    return chosen;
}

void FrmKD452::MnuFileLoadConf_Click() {
    if (!wb_.PendingConfigFile.empty()) return;  // the previous one is still to be loaded
    const std::string path = ChiediFileConfig(false);
    // Loaded later by the display timer (or at once when the link goes off-line).
    if (!path.empty() && QFile::exists(ToQ(path))) wb_.PendingConfigFile = path;
}

void FrmKD452::MnuFileSaveConf_Click() {
    host_.DoEvents();
    // Without the ECU's own correction table a file would carry a made-up one: refused
    // before the dialog, so that nobody picks a file for nothing.
    if (!wb_.Image->CorTableKnown) {
        host_.MessageBox(MarkerText(&wb_.Lingue, kMarkerMain, kMainCorTableNotRead, kCorTableNotReadText), wb_.AppTitle,
                         MsgIcon::Exclamation, MsgButtons::Ok);
        return;
    }
    const std::string path = ChiediFileConfig(true);
    if (path.empty() || !SaveConfiguration.Bound()) return;
    if (SaveConfiguration(path)) SetTitle(path);
}

}  // namespace gw
