#include "ui/MapPageWidget.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/DictionaryEntries.h"
#include "ui/QtText.h"

namespace gw {

namespace {

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}

}  // namespace

MapPageWidget::MapPageWidget(MapPage& core, Host& host, std::string appFolder, QWidget* parent)
    : QWidget(parent), core_(core), host_(host), appFolder_(std::move(appFolder)) {
    setObjectName("Map");
    Plot = new MapPlot(this);
    FrmMapTuning = Named(new QGroupBox("Tuning", this), "FrmMapTuning");
    LblShoRpm = Named(new QLabel("R.P.M.", FrmMapTuning), "LblShoRpm");
    CmbShoRpm = Named(new QComboBox(FrmMapTuning), "CmbShoRpm");
    CmdShpMapMod = Named(new QPushButton("Clear Model", FrmMapTuning), "CmdShpMapMod");
    CmdMapRead = Named(new QPushButton("Read", FrmMapTuning), "CmdMapRead");
    ChkAbilAcqVacum = Named(new QCheckBox("Auto Tuning", FrmMapTuning), "ChkAbilAcqVacum");
    CmdMapClrPet = Named(new QPushButton("Clear Petrol", FrmMapTuning), "CmdMapClrPet");
    CmdMapClrGas = Named(new QPushButton("Clear Gas", FrmMapTuning), "CmdMapClrGas");
    CmdMapCompute = Named(new QPushButton("Compute", FrmMapTuning), "CmdMapCompute");
    CmdMapOpen = Named(new QPushButton("Open...", this), "CmdMapOpen");
    CmdMapSave = Named(new QPushButton("Save...", this), "CmdMapSave");

    auto* t = new QVBoxLayout(FrmMapTuning);
    t->addWidget(LblShoRpm);
    t->addWidget(CmbShoRpm);
    t->addSpacing(6);
    for (QWidget* w : {static_cast<QWidget*>(CmdMapRead), static_cast<QWidget*>(ChkAbilAcqVacum),
                       static_cast<QWidget*>(CmdMapClrPet), static_cast<QWidget*>(CmdMapClrGas),
                       static_cast<QWidget*>(CmdMapCompute), static_cast<QWidget*>(CmdShpMapMod)})
        t->addWidget(w);
    auto* side = new QVBoxLayout;
    side->addWidget(FrmMapTuning);
    side->addStretch(1);
    side->addWidget(CmdMapOpen);
    side->addWidget(CmdMapSave);
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(6, 6, 6, 6);
    h->addWidget(Plot, 1);
    h->addLayout(side);

    connect(CmdMapRead, &QPushButton::clicked, this, [this] { core_.Read(); });
    connect(ChkAbilAcqVacum, &QCheckBox::clicked, this, [this](bool on) {
        // Refused while the ECU's vacuum acquisition is off: the box unchecks itself.
        if (core_.SetAutoTuning(on) != on) ChkAbilAcqVacum->setChecked(false);
        Show();
    });
    connect(CmdMapClrPet, &QPushButton::clicked, this, [this] { core_.ClearPetrol(); });
    connect(CmdMapClrGas, &QPushButton::clicked, this, [this] { core_.ClearGas(); });
    connect(CmdShpMapMod, &QPushButton::clicked, this, [this] { core_.ClearModel(); });
    connect(CmdMapCompute, &QPushButton::clicked, this, [this] { core_.Compute(); });
    connect(CmdMapOpen, &QPushButton::clicked, this, [this] { CmdMapOpen_Click(); });
    connect(CmdMapSave, &QPushButton::clicked, this, [this] { CmdMapSave_Click(); });
    connect(CmbShoRpm, qOverload<int>(&QComboBox::activated), this, [this](int i) {
        if (!filling_) core_.SelectSpeedRange(i);
    });
    changed_ = core_.Changed.Connect([this] { Show(); });
    Show();
}

void MapPageWidget::ApplyCaptions(const MainCaptions& c, const std::vector<std::string>& own, const std::string& title) {
    auto ownText = [&own](int entry, const char* fallback) {
        const auto i = static_cast<std::size_t>(entry - 1);
        return ToQ(i < own.size() ? own[i] : std::string(fallback));
    };
    FrmMapTuning->setTitle(ToQ(c.AfterErrors(kAfterErrorsFrmMapTuning, "Tuning")));
    LblShoRpm->setText(ToQ(c.AfterErrors(kAfterErrorsLblSwtchRpm, "R.P.M.")));
    CmdMapRead->setText(ToQ(c.AfterErrors(kAfterErrorsCmdMapRead, "Read")));
    ChkAbilAcqVacum->setText(ToQ(c.AfterErrors(kAfterErrorsChkAbilAcqVacum, "Auto Tuning")));
    CmdMapCompute->setText(ToQ(c.AfterErrors(kAfterErrorsCmdMapCompute, "Compute")));
    CmdMapClrGas->setText(ToQ(c.AfterErrors(kAfterErrorsCmdMapClrGas, "Clear Gas")));
    CmdMapClrPet->setText(ToQ(c.AfterErrors(kAfterErrorsCmdMapClrPet, "Clear Petrol")));
    CmdShpMapMod->setText(ToQ(c.AfterErrors(kAfterErrorsCmdShpMapMod, "Clear Model")));
    Plot->SetLegend(ToQ(c.AfterErrors(kAfterErrorsLblMapPetrol, " - Petrol")),
                    ToQ(c.AfterErrors(kAfterErrorsLblMapGas, " - Gas")));
    Plot->SetAxisTexts(ToQ(c.AfterErrors(kAfterErrorsTxtMapPressure, "Vacuum (bar)")),
                       ownText(kMapTimeAxis, "Injection time (ms)"));
    CmdMapOpen->setText(ownText(kMapCmdMapOpen, "Open..."));
    CmdMapSave->setText(ownText(kMapCmdMapSave, "Save..."));
    core_.texts.badLine = FromQ(ownText(kMapBadLine, "Line %1 of the map file is not a number."));
    core_.texts.cannotRead = FromQ(ownText(kMapUnreadable, "The map file cannot be read: %1"));
    core_.texts.tooLarge = FromQ(ownText(kMapTooLarge, "The file is too large to be a map file: %1"));
    core_.texts.title = title;
    notSaved_ = FromQ(ownText(kMapNotSaved, "The map file was not saved:"));
}

void MapPageWidget::Show() {
    Plot->SetSamples(core_.Samples);
    core_.MapRedraw = false;
    CmdMapRead->setEnabled(core_.ReadEnabled());
    CmdMapCompute->setEnabled(core_.ComputeEnabled());
    if (ChkAbilAcqVacum->isChecked() != core_.AutoTuning()) ChkAbilAcqVacum->setChecked(core_.AutoTuning());
    filling_ = true;
    const std::vector<std::string> ranges = core_.SpeedRangeTexts();
    if (CmbShoRpm->count() != static_cast<int>(ranges.size())) {
        CmbShoRpm->clear();
        for (const auto& r : ranges) CmbShoRpm->addItem(ToQ(r));
    }
    // Thresholds that are no entry of the list show as the list's empty text.
    const QString held = ToQ(core_.CurrentSpeedText());
    if (CmbShoRpm->placeholderText() != held) CmbShoRpm->setPlaceholderText(held);
    const int current = core_.CurrentSpeedRange();
    if (CmbShoRpm->currentIndex() != current) CmbShoRpm->setCurrentIndex(current);
    CmbShoRpm->setEnabled(core_.SpeedRangeEnabled());
    filling_ = false;
}

std::string MapPageWidget::ChooseFile(bool save) {
    if (chooseFile) return chooseFile(save);
    const QString folder = ToQ(appFolder_.empty() ? std::string("/") : appFolder_);
    const QString filter = "Map Files (*.map)";
    QString path = save ? QFileDialog::getSaveFileName(this, QString(), folder, filter)
                        : QFileDialog::getOpenFileName(this, QString(), folder, filter);
    if (save && !path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += ".map";
    return FromQ(path);
}

void MapPageWidget::CmdMapOpen_Click() {
    const std::string path = ChooseFile(false);
    if (path.empty() || !QFileInfo::exists(ToQ(path))) return;
    ShowWarnings(host_, core_.LoadMapFile(path));
    Show();
}

void MapPageWidget::CmdMapSave_Click() {
    const std::string path = ChooseFile(true);
    if (path.empty()) return;
    std::string error;
    if (!core_.SaveMapFile(path, &error))
        host_.MessageBox(notSaved_ + "\n" + path + "\n" + error, core_.texts.title, MsgIcon::Critical, MsgButtons::Ok);
}

}  // namespace gw
