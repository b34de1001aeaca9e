#include "ui/WorkbenchUi.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QSignalBlocker>
#include <QTimer>

#include "app/Workbench.h"
#include "app/MarkerTexts.h"
#include "app/DictionaryEntries.h"
#include "model/EcuRequests.h"
#include "model/ScaleConfig.h"
#include "model/VarFile.h"
#include "ui/FrmKD452.h"
#include "ui/FrmUpdate.h"
#include "ui/QtHost.h"
#include "ui/SyncWidgets.h"
#include "ui/QtText.h"

namespace gw {

namespace {

void SetBar(UCtrlBar* bar, int v) {
    const int clamped = std::clamp(v, 0, std::max(0, bar->MaxVal()));
    if (bar->Valore() != clamped) bar->SetValore(clamped);
}

void SetLight(Light* box, const StateLight& s) {
    if (!s.known) return;
    if (box->IsOn() != s.on) box->SetOn(s.on);
    if (!s.caption.empty()) {
        const QString c = ToQ(s.caption);
        if (box->text() != c) box->setText(c);
    }
}

}  // namespace

WorkbenchUi::WorkbenchUi(Workbench& wb, QtHost& host, FrmKD452& window)
    : wb_(wb),
      host_(host),
      win_(window),
      scheduler_(wb, *wb.Image, *wb.Check),
      config_(host, *wb.Image, wb.Scale, wb.AppFolder) {
    // The window's load: the data-model initialisations, the page's lists, the scheduler.
    wb_.Image->ResetPendingRecords();
    BindConfig();
    BindGeneral();
    BindFiles();
    BindScheduler();
}

WorkbenchUi::~WorkbenchUi() = default;

// ---- display scheduler ----

void WorkbenchUi::BindScheduler() {
    DisplayScheduler& s = scheduler_;
    connections_.push_back(s.GeneralRefreshed.Connect([this](GeneralPart part) { ShowGeneral(part); }));
    connections_.push_back(s.RefreshedAfterRead.Connect([this] {
        config_.AggiornaPaginaConfig();
        config_.ApplyInjectorModeRule();
        wb_.Image->Block3Changed = false;
        ShowConfig();
    }));
    connections_.push_back(s.ConfigRefreshDue.Connect([this] {
        if (config_.RefreshIfDue()) ShowConfig();
    }));
    ConfigLoader& loader = s.Loader();
    connections_.push_back(loader.Loaded.Connect([this](const std::string& path) { win_.SetTitle(path); }));
    connections_.push_back(loader.LoadedOffLine.Connect([this] {
        config_.AggiornaPaginaConfig();
        ShowConfig();
    }));
    // After the window's own display-tick work, which connected first.
    s.Attach();
    connections_.push_back(win_.EcuDataToRead.Bind([this] { return scheduler_.EcuDataToRead(); }));
    connections_.push_back(wb_.Check->UpgradeOffered.Connect([this] { RunUpgradeWindow(); }));
    scheduler_.InitCounters();
}

// ---- General page and parameters frame ----

void WorkbenchUi::BindGeneral() {
    GeneralPage* g = win_.General();
    QObject::connect(g->CmbInj, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        config_.CmbInj_Click(i);
        scheduler_.SelectedInjector = config_.CmbInj.selected < 0 ? 0 : config_.CmbInj.selected;
        HighlightInjector(scheduler_.SelectedInjector);
        ShowGeneral(GeneralPart::SpeedAndInjectors);
    });
    connections_.push_back(
        win_.KeyOn.Bind([this] { return GatherLiveValues(*wb_.Image, wb_.Scale, wb_.Comm->EcuState).key; }));
    HighlightInjector(0);
}

void WorkbenchUi::HighlightInjector(int selected) {
    GeneralPage* g = win_.General();
    for (int i = 0; i < GeneralPage::kCylinders; ++i) {
        QLabel* l = g->LblInj[static_cast<size_t>(i)];
        const std::uint32_t c = InjectorLabelColour(selected, i);
        const QColor back = ColorOf(c);
        if (l->palette().color(QPalette::Window) != back) SetColors(l, back, Qt::black);
        const int style = c == kColYellow ? (QFrame::Panel | QFrame::Raised) : QFrame::NoFrame;
        if (l->frameStyle() != style) l->setFrameStyle(style);
    }
}

void WorkbenchUi::ShowGeneral(GeneralPart part) {
    GeneralPage* g = win_.General();
    ParametriFrame* p = win_.FrmParametri();
    const GeneralView& v = scheduler_.View();
    switch (part) {
        case GeneralPart::SpeedAndInjectors: {
            sync::Text(g->TxtRpm0, v.rpmText);
            sync::Text(p->TxtRpm1, v.rpmText);
            for (int i = 0; i < GeneralPage::kCylinders; ++i) {
                const auto k = static_cast<size_t>(i);
                SetBar(g->InjPetBar[k], v.injectors.petBar[k]);
                SetBar(g->InjGasBar[k], v.injectors.gasBar[k]);
            }
            sync::Text(g->TxtInjTimePet0, v.injectors.petrolText);
            sync::Text(g->TxtInjTimeGas0, v.injectors.gasText);
            sync::Text(p->TxtInjTimePet1, v.injectors.petrolText);
            sync::Text(p->TxtInjTimeGas1, v.injectors.gasText);
            break;
        }
        case GeneralPart::LambdaAndLevel: {
            const LambdaView& l = v.lambda;
            for (QWidget* w : {static_cast<QWidget*>(g->TxtLambda0), static_cast<QWidget*>(g->LblParLambda),
                               static_cast<QWidget*>(g->LblParLambdaMv), static_cast<QWidget*>(g->LblLambdaLean),
                               static_cast<QWidget*>(g->LblLambdaRich), static_cast<QWidget*>(g->BarLambda),
                               static_cast<QWidget*>(p->TxtLambda1), static_cast<QWidget*>(p->LblCalLambda)})
                sync::Shown(w, l.visible);
            sync::Text(g->TxtLambda0, l.text);
            sync::Text(p->TxtLambda1, l.text);
            if (g->BarLambda->ForeColor() != l.segmentColour) g->BarLambda->SetForeColor(l.segmentColour);
            if (lambdaSegment_ != l.segment) {
                g->BarLambda->SetValore(l.segment);
                lambdaSegment_ = l.segment;
            }
            for (int i = 0; i < kLevelLights; ++i) {
                Lamp* lamp = g->ShpGasLev[static_cast<size_t>(i)];
                const bool on = v.level.lights[static_cast<size_t>(i)];
                if (lamp->IsOn() != on) lamp->SetOn(on);
            }
            break;
        }
        case GeneralPart::LightsAndPressure: {
            SetLight(g->CkbKey, v.lights.key);
            SetLight(g->CkbeV_01, v.lights.ev1);
            SetLight(g->CkbeV_02, v.lights.ev2);
            SetLight(g->CkbStatoAlim, v.lights.fuel);
            SetLight(g->CkbStatoEcu, v.lights.ecu);
            sync::Text(g->TxtPressure0, v.pressure.pressureText);
            sync::Text(p->TxtPressure1, v.pressure.pressureText);
            sync::Text(p->TxtVacuum, v.pressure.vacuumText);
            sync::Shown(p->TxtVacuum, v.pressure.vacuumVisible);
            sync::Shown(p->LblCalVacuum, v.pressure.vacuumVisible);
            break;
        }
        case GeneralPart::Temperatures: {
            sync::Text(g->TxtTmpVap0, v.temperatures.reducerText);
            sync::Text(g->TxtTmpGas0, v.temperatures.gasText);
            sync::Text(g->TxtSupply, v.temperatures.supplyText);
            sync::Text(p->TxtTmpVap1, v.temperatures.reducerText);
            sync::Text(p->TxtTmpGas1, v.temperatures.gasText);
            break;
        }
    }
}

// ---- Configuration page ----

void WorkbenchUi::BindConfig() {
    ConfigPage* c = win_.Config();
    combos_ = {c->CmbSwtchRpm,  c->CmbSwtchTemp,        c->CmbSwtchDelay,      c->CmbSwtchForce, c->CmbSwtchSeq,
               c->CmbEmptyGas,  c->CmbSwtchBar,         c->CmbSwtchDelayPress, c->CmbSwtchLambdaType,
               c->CmbSwtchCilindri, c->CmbSwtchBobine, c->CmbTpyInj,          c->CmbTpyGLS};
    for (std::size_t i = 0; i < combos_.size(); ++i) {
        const auto list = static_cast<ConfigList>(i);
        QObject::connect(combos_[i], QOverload<int>::of(&QComboBox::activated), this, [this, list](int index) {
            if (win_.UpdatingControls) return;
            config_.Click(list, index);
            ShowConfig();
        });
    }
    for (int i = 0; i < 2; ++i)
        QObject::connect(c->OptTypFuel[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this, i] {
            if (win_.UpdatingControls) return;
            config_.OptTypFuel_Click(i);
            ShowConfig();
        });
    QObject::connect(c->CmdReserVar, &QPushButton::clicked, this, [this] { config_.CmdReserVar_Click(); });
    config_.PendingConfigFile = &wb_.PendingConfigFile;
    connections_.push_back(config_.InjectorsInstanced.Connect([this](int cylinders) {
        GeneralPage* g = win_.General();
        const QSignalBlocker block(g->CmbInj);
        g->IstanzaInj(cylinders);
        scheduler_.SelectedInjector = 0;
        HighlightInjector(0);
    }));
    connect(&win_, &FrmKD452::languageChosen, this, [this] { FillConfigPage(); });
    connect(&win_, &FrmKD452::tabChecked, this, [this](int tab) {
        if (tab != FrmKD452::kTabConfiguration) return;
        config_.AggiornaPaginaConfig();
        ShowConfig();
    });
    FillConfigPage();
}

void WorkbenchUi::ReadTypeTables() {
    const std::string path = wb_.Path("\\LNG\\ConfigScale.ini");
    ShowWarnings(host_, ReadGasLevelTypes(host_.Locale(), path, wb_.Scale, wb_.AppTitle, &host_));
    ShowWarnings(host_, ReadInjTypes(host_.Locale(), path, wb_.Scale, wb_.AppTitle, &host_));
    ShowWarnings(host_, ReadLambdaTypes(host_.Locale(), path, wb_.Scale, wb_.AppTitle, config_.Texts.MsgOff, &host_));
}

void WorkbenchUi::FillConfigPage() {
    // Texts, type tables, lists, then the selections of the read copy: nothing is written.
    config_.AppTitle = wb_.AppTitle;
    config_.ApplyTexts(win_.Captions());
    ReadTypeTables();
    config_.RiempiCmbSwtch();
    config_.AggiornaPaginaConfig();
    ShowConfig();
}

void WorkbenchUi::ShowConfig() {
    const bool was = win_.UpdatingControls;
    win_.UpdatingControls = true;
    for (std::size_t i = 0; i < combos_.size(); ++i) {
        QComboBox* cb = combos_[i];
        const ComboList& l = config_.lists[i];
        const QSignalBlocker block(cb);
        bool same = cb->count() == l.Count();
        for (int k = 0; same && k < l.Count(); ++k) same = cb->itemText(k) == ToQ(l.items[static_cast<size_t>(k)]);
        if (!same) {
            cb->clear();
            for (const std::string& item : l.items) cb->addItem(ToQ(item));
        }
        const int sel = l.Valid(l.selected) ? l.selected : -1;
        if (cb->currentIndex() != sel) cb->setCurrentIndex(sel);
        if (cb->isEnabled() != l.enabled) cb->setEnabled(l.enabled);
        sync::Shown(cb, l.visible);
    }
    ConfigPage* c = win_.Config();
    if (QButtonGroup* group = c->OptTypFuel[0]->group()) {
        group->setExclusive(false);
        for (int i = 0; i < 2; ++i) {
            QRadioButton* r = c->OptTypFuel[static_cast<size_t>(i)];
            const bool on = config_.OptTypFuel == i;
            if (r->isChecked() != on) {
                const QSignalBlocker block(r);
                r->setChecked(on);
            }
        }
        group->setExclusive(true);
    }
    if (config_.TakeFocusRequest() == ConfigFocus::CmdTpyInj) c->CmdTpyInj->setFocus();
    win_.UpdatingControls = was;
}

// ---- configuration files ----

void WorkbenchUi::BindFiles() {
    connections_.push_back(win_.SaveConfiguration.Bind([this](const std::string& path) { return SaveConfiguration(path); }));
    connections_.push_back(win_.AboutValues.Bind([this] { return std::optional<AboutInfo>(AboutValues()); }));
    connections_.push_back(win_.UpdateOffered.Bind([this] { return wb_.Check->FileNewerThanEcu(); }));
    win_.EnableConfigurationFiles(true);
}

bool WorkbenchUi::SaveConfiguration(const std::string& path) {
    const QString now = QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    std::string error;
    if (SaveVarFile(*wb_.Image, path, wb_.AppTitle, FromQ(now), &error)) return true;
    if (!wb_.Image->CorTableKnown)
        error = MarkerText(&wb_.Lingue, kMarkerMain, kMainCorTableNotRead, kCorTableNotReadText);
    host_.MessageBox(MarkerText(&wb_.Lingue, kMarkerMain, kMainConfigNotSaved, "The configuration file was not saved:") +
                         "\r\n" + path + "\r\n\r\n" + error,
                     wb_.AppTitle, MsgIcon::Critical, MsgButtons::Ok);
    return false;
}

// ---- information and upgrade windows ----

AboutInfo WorkbenchUi::AboutValues() {
    AboutInfo info;
    info.labels = AboutLabels(wb_.Lingue);
    FirmwareCheck& check = *wb_.Check;
    FirmwareImage& image = check.Image;
    if (image.LeggiFlashIni(check.FlashIniPath())) {
        image.RedimTableFlash(image.LargFlash, false);
        const bool loaded = image.CaricaFirmware(check.ImagePath(), &host_);
        ShowWarnings(host_, image.Report.warnings);
        if (loaded) check.FirmwareFle = image.IdentityText();
    }
    const FirmwareIdentity ecu = check.Ecu(), fle = check.Fle();
    info.ecuDate = ecu.DataStr;
    info.ecuVersion = ecu.VersStr;
    info.fileDate = fle.DataStr;
    info.fileVersion = fle.VersStr;
    info.minutes2 = wb_.Image->Block2.Minutes2;
    info.minutes1 = wb_.Image->Block2.Minutes1;
    return info;
}

void WorkbenchUi::RunUpgradeWindow() {
    wb_.Timer2->SetEnabled(false);
    {
        FrmUpdate dialog(&win_, wb_);
        QTimer::singleShot(0, &dialog, [this, &dialog] { emit upgradeWindowShown(&dialog); });
        dialog.exec();
    }
    if (!win_.Unloaded()) wb_.Timer2->SetEnabled(true);
}

}  // namespace gw
