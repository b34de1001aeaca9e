#include "ui/FrmView.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDate>
#include <QFileInfo>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "app/DictionaryEntries.h"
#include "app/MarkerTexts.h"
#include "ui/FrmKD452.h"
#include "ui/QtText.h"
#include "ui/SyncWidgets.h"
#include "ui/TraceView.h"

namespace gw {

namespace {

std::string Today() { return QDate::currentDate().toString("dd/MM/yyyy").toStdString(); }

// The window's own texts: the entries after "[FrmView]" in the dictionary, or these.
enum Text { kRun, kFile, kOpen, kSave, kExport, kExportCsv, kWhole, kCancel, kInjector, kSetting, kSamples, kTexts };
const std::vector<std::string> kFallbacks = {"Run",  "File",    "Open",     "Save",     "Export",  "CSV",
                                             "Whole file", "Cancel", "Injector", "Setting", "samples"};

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

FrmView::FrmView(QWidget* parent, Workbench& wb) : QDialog(parent), wb_(wb) {
    setObjectName("FrmView");
    setWindowTitle(view::kTextCaption);
    setModal(false);
    const std::vector<std::string> t = ReadMarkerTexts(&wb.Lingue, kMarkerView, kFallbacks);
    auto text = [&t](Text k) { return ToQ(t[static_cast<std::size_t>(k)]); };
    logic_ = std::make_unique<view::ViewerLogic>(wb, *this);
    traces_ = new TraceView(*logic_, this);

    auto* setting = new QGroupBox(text(kSetting), this);
    setting->setObjectName("FrmSetting");
    auto* grid = new QGridLayout(setting);
    auto* selection = new QButtonGroup(this);
    for (int i = 0; i < view::kChannels; ++i) {
        const auto k = static_cast<std::size_t>(i);
        OptChannel[k] = new QRadioButton(setting);
        OptChannel[k]->setObjectName(QString("OptChannel%1").arg(i));
        selection->addButton(OptChannel[k], i);
        ChkSignal[k] = new QCheckBox(view::kChannelCaptions[k], setting);
        ChkSignal[k]->setObjectName(QString("ChkSignal%1").arg(i));
        TxtSignal[k] = new QSpinBox(setting);
        TxtSignal[k]->setObjectName(QString("TxtSignal%1").arg(i));
        TxtSignal[k]->setRange(1, 8);
        PctMostra[k] = Button("", "", setting);
        PctMostra[k]->setObjectName(QString("PctMostra%1").arg(i));
        PctMostra[k]->setFixedSize(28, 18);
        grid->addWidget(OptChannel[k], i, 0);
        grid->addWidget(ChkSignal[k], i, 1);
        grid->addWidget(TxtSignal[k], i, 2);
        grid->addWidget(PctMostra[k], i, 3);
        connect(ChkSignal[k], &QCheckBox::clicked, this, [this, i](bool on) {
            if (!syncing_) logic_->ChkSignalClick(i, on);
        });
        connect(TxtSignal[k], qOverload<int>(&QSpinBox::valueChanged), this, [this, i](int v) {
            if (!syncing_) logic_->SetWidth(i, v);
        });
        connect(PctMostra[k], &QPushButton::clicked, this, [this, i] {
            const QColor now = PctMostra[static_cast<std::size_t>(i)]->palette().color(QPalette::Button);
            const QColor c = QColorDialog::getColor(now, this);
            if (c.isValid())
                logic_->SetColour(i, static_cast<std::uint32_t>(c.red() | c.green() << 8 | c.blue() << 16));
        });
    }
    connect(selection, &QButtonGroup::idClicked, this, [this](int i) { logic_->SelectChannel(i); });

    auto line = [](std::initializer_list<QWidget*> ws) {
        auto* h = new QHBoxLayout;
        for (QWidget* w : ws) h->addWidget(w);
        return h;
    };
    CmdZoomOut = Button("CmdZoomOut", "-", this);
    CmdZoomIn = Button("CmdZoomIn", "+", this);
    LblZoomChl = new QLabel(this);
    LblZoomChl->setObjectName("LblZoomChl");
    LblZoomChl->setAlignment(Qt::AlignCenter);
    CmdDw = Button("CmdDw", "Dw", this);
    CmdUp = Button("CmdUp", "Up", this);
    LblOffset = new QLabel(this);
    LblOffset->setObjectName("LblOffset");
    LblOffset->setAlignment(Qt::AlignCenter);
    CmdSecDivM = Button("CmdSecDivM", "<", this);
    CmdSecDivP = Button("CmdSecDivP", ">", this);
    LblSecDiv = new QLabel(this);
    LblSecDiv->setObjectName("LblSecDiv");
    LblSecDiv->setAlignment(Qt::AlignCenter);
    for (QPushButton* b : {CmdZoomOut, CmdZoomIn, CmdDw, CmdUp, CmdSecDivM, CmdSecDivP}) b->setFixedWidth(34);
    CmbChnInj = new QComboBox(this);
    CmbChnInj->setObjectName("CmbChnInj");
    for (int i = 1; i <= 8; ++i) CmbChnInj->addItem(text(kInjector) + QString(" %1").arg(i));
    OptRun[0] = new QRadioButton(text(kRun), this);
    OptRun[0]->setObjectName("OptRun0");
    OptRun[1] = new QRadioButton(text(kFile), this);
    OptRun[1]->setObjectName("OptRun1");
    CmdOpen = Button("CmdOpen", text(kOpen), this);
    CmdSaveLogOsc = Button("CmdSaveLogOsc", text(kSave), this);
    CmdExport = Button("CmdExport", text(kExport), this);
    CmdExportCsv = Button("CmdExportCsv", text(kExportCsv), this);
    CmdSeekPrev = Button("CmdSeekPrev", "<<", this);
    CmdSeekNext = Button("CmdSeekNext", ">>", this);
    ChkWholeFile = new QCheckBox(text(kWhole), this);
    ChkWholeFile->setObjectName("ChkWholeFile");
    LblSamples = new QLabel(this);
    LblSamples->setObjectName("LblSamples");
    LblBusy = new QLabel(this);
    LblBusy->setObjectName("LblBusy");
    PrgLoad = new QProgressBar(this);
    PrgLoad->setObjectName("PrgLoad");
    PrgLoad->setRange(0, 1000);
    CmdCancelLoad = Button("CmdCancelLoad", text(kCancel), this);

    auto* side = new QVBoxLayout;
    side->addWidget(setting);
    side->addWidget(CmbChnInj);
    side->addLayout(line({CmdZoomOut, LblZoomChl, CmdZoomIn}));
    side->addLayout(line({CmdDw, LblOffset, CmdUp}));
    side->addLayout(line({CmdSecDivM, LblSecDiv, CmdSecDivP}));
    side->addLayout(line({OptRun[0], OptRun[1]}));
    side->addLayout(line({CmdOpen, CmdSaveLogOsc}));
    side->addLayout(line({CmdExport, CmdExportCsv}));
    side->addLayout(line({CmdSeekPrev, CmdSeekNext}));
    side->addWidget(ChkWholeFile);
    side->addWidget(LblSamples);
    side->addStretch(1);
    side->addWidget(LblBusy);
    side->addLayout(line({PrgLoad, CmdCancelLoad}));
    auto* main = new QHBoxLayout(this);
    main->addWidget(traces_, 1);
    main->addLayout(side);
    resize(1100, 620);

    connect(CmdZoomIn, &QPushButton::clicked, this, [this] { logic_->ZoomIn(); });
    connect(CmdZoomOut, &QPushButton::clicked, this, [this] { logic_->ZoomOut(); });
    connect(CmdUp, &QPushButton::clicked, this, [this] { logic_->OffsetUp(); });
    connect(CmdDw, &QPushButton::clicked, this, [this] { logic_->OffsetDown(); });
    auto scaleChanged = [this] {
        if (!logic_->Recording()) traces_->SetSpan(traces_->StartMs(), 10 * logic_->SecDiv() * 1000);
    };
    connect(CmdSecDivP, &QPushButton::clicked, this, [this, scaleChanged] {
        logic_->SecDivP();
        scaleChanged();
    });
    connect(CmdSecDivM, &QPushButton::clicked, this, [this, scaleChanged] {
        logic_->SecDivM();
        scaleChanged();
    });
    connect(CmbChnInj, qOverload<int>(&QComboBox::activated), this, [this](int i) { logic_->SetInjector(i); });
    connect(OptRun[0], &QRadioButton::clicked, this, [this] { logic_->SetRecording(true, Today()); });
    connect(OptRun[1], &QRadioButton::clicked, this, [this] { logic_->SetRecording(false, Today()); });
    connect(CmdOpen, &QPushButton::clicked, this, [this] {
        view::EnsureSamplesFolder(wb_.AppFolder);
        logic_->OpenView(AskPath(false, "View Files  (*.vfl);;Text Files  (*.txt)", "vfl"));
    });
    connect(CmdSaveLogOsc, &QPushButton::clicked, this, [this] { logic_->SaveViewDialog(); });
    connect(CmdExport, &QPushButton::clicked, this, [this] {
        view::EnsureSamplesFolder(wb_.AppFolder);
        logic_->ExportVflf(AskPath(true, "View Files Format (*.vflf)", "vflf"));
    });
    connect(CmdExportCsv, &QPushButton::clicked, this, [this] {
        view::EnsureSamplesFolder(wb_.AppFolder);
        logic_->ExportCsv(AskPath(true, "CSV (*.csv)", "csv"));
    });
    connect(CmdSeekPrev, &QPushButton::clicked, this, [this] { logic_->SeekPrev(); });
    connect(CmdSeekNext, &QPushButton::clicked, this, [this] { logic_->SeekNext(); });
    connect(ChkWholeFile, &QCheckBox::clicked, this, [this](bool on) { logic_->SetWholeFile(on); });
    connect(CmdCancelLoad, &QPushButton::clicked, this, [this] {
        if (cancel_) cancel_->store(true);
        loadAgain_ = false;
    });
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, [this] {
        if (progress_) PrgLoad->setValue(progress_->load());
    });
    changed_ = logic_->Changed.Connect([this] {
        Sync();
        traces_->update();
    });
    ShowBusy("");
    Sync();
}

FrmView::~FrmView() {
    if (worker_) {
        cancel_->store(true);
        worker_->wait();
    }
}

void FrmView::Open(bool record) {
    if (!isVisible()) logic_->Load(Today(), record);
    Sync();
    show();
    raise();
}

void FrmView::Sync() {
    syncing_ = true;
    const view::ViewerLogic& l = *logic_;
    if (windowTitle() != ToQ(l.Caption())) setWindowTitle(ToQ(l.Caption()));
    for (int i = 0; i < view::kChannels; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const auto& c = l.Settings().channels[k];
        if (ChkSignal[k]->isChecked() != l.Checked()[k]) ChkSignal[k]->setChecked(l.Checked()[k]);
        if (TxtSignal[k]->value() != c.setting) TxtSignal[k]->setValue(c.setting);
        if (OptChannel[k]->isChecked() != (l.SelectedChannel() == i)) OptChannel[k]->setChecked(l.SelectedChannel() == i);
        bool ok = false;
        const QColor colour = ColorOf(QString::fromStdString(c.tag).toUInt(&ok));
        if (PctMostra[k]->palette().color(QPalette::Button) != colour) {
            QPalette p = PctMostra[k]->palette();
            p.setColor(QPalette::Button, colour);
            PctMostra[k]->setPalette(p);
            PctMostra[k]->setAutoFillBackground(true);
            PctMostra[k]->setStyleSheet(QString("background-color: %1").arg(colour.name()));
        }
    }
    sync::Text(LblZoomChl, ToQ(l.ZoomText()));
    sync::Text(LblOffset, ToQ(l.OffsetText()));
    sync::Text(LblSecDiv, ToQ(l.SecDivText()));
    CmdSecDivP->setEnabled(l.CanSecDivP());
    CmdSecDivM->setEnabled(l.CanSecDivM());
    if (CmbChnInj->currentIndex() != l.Injector()) CmbChnInj->setCurrentIndex(l.Injector());
    OptRun[0]->setChecked(l.Recording());
    OptRun[1]->setChecked(!l.Recording());
    const bool file = !l.Recording();
    CmdOpen->setEnabled(file && !Loading());
    CmdExport->setEnabled(file && !Loading() && !l.Shown().set.samples.empty());
    CmdExportCsv->setEnabled(CmdExport->isEnabled());
    CmdSeekPrev->setEnabled(file && !Loading() && l.CanSeekPrev());
    CmdSeekNext->setEnabled(file && !Loading() && l.CanSeekNext());
    ChkWholeFile->setEnabled(file);
    if (ChkWholeFile->isChecked() != l.WholeFile()) ChkWholeFile->setChecked(l.WholeFile());
    const std::size_t n = l.Recording() ? l.Live().size() : l.Shown().set.samples.size();
    sync::Text(LblSamples, QString("%1 %2").arg(n).arg(ToQ(ReadMarkerTexts(&wb_.Lingue, kMarkerView, kFallbacks)[kSamples])));
    syncing_ = false;
}

std::string FrmView::AskPath(bool save, const QString& filter, const QString& suffix) {
    if (useDialogAnswer_) return dialogAnswer_;
    const QString folder = ToQ(logic_->SamplesFolder());
    QString path = save ? QFileDialog::getSaveFileName(this, windowTitle(), folder, filter)
                        : QFileDialog::getOpenFileName(this, windowTitle(), folder, filter);
    if (save && !path.isEmpty() && QFileInfo(path).suffix().isEmpty()) path += "." + suffix;
    return FromQ(path);
}

std::string FrmView::ChooseViewToSave(const std::string&) { return AskPath(true, "View Files  (*.vfl)", "vfl"); }

void FrmView::ShowBusy(const std::string& text) {
    sync::Text(LblBusy, ToQ(text));
    const bool loading = text == view::kTextLoading || Loading();
    PrgLoad->setVisible(loading);
    CmdCancelLoad->setVisible(loading);
    setCursor(text.empty() ? Qt::ArrowCursor : Qt::WaitCursor);
    if (!text.empty() && LblBusy->isVisible()) LblBusy->repaint();
}

void FrmView::LoadCurrentFile() {
    if (worker_) {
        // The running load is given up for the newer request.
        cancel_->store(true);
        loadAgain_ = true;
        return;
    }
    StartLoad();
}

void FrmView::StartLoad() {
    const view::LoadRequest req = logic_->Next();
    const NumberLocale locale = wb_.host.Locale();
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    progress_ = std::make_shared<std::atomic<int>>(0);
    result_ = std::make_shared<view::LogWindow>();
    auto cancel = cancel_;
    auto progress = progress_;
    auto result = result_;
    worker_ = QThread::create([req, locale, cancel, progress, result] {
        *result = view::LoadLogWindow(req.path, req.offset, req.window, locale, [cancel, progress](double f) {
            progress->store(static_cast<int>(f * 1000));
            return !cancel->load();
        });
    });
    connect(worker_, &QThread::finished, this, &FrmView::Finished);
    PrgLoad->setValue(0);
    ShowBusy(view::kTextLoading);
    progressTimer_->start();
    worker_->start();
    Sync();
}

void FrmView::Finished() {
    worker_->deleteLater();
    worker_ = nullptr;
    progressTimer_->stop();
    if (loadAgain_) {
        loadAgain_ = false;
        StartLoad();
        return;
    }
    view::LogWindow w = std::move(*result_);
    result_.reset();
    const bool adopted = logic_->Adopt(std::move(w));
    ShowBusy("");
    if (adopted) traces_->ShowFileStart();
    Sync();
}

void FrmView::closeEvent(QCloseEvent* e) {
    logic_->Close();
    if (worker_) {
        cancel_->store(true);
        loadAgain_ = false;
    }
    QDialog::closeEvent(e);
}

}  // namespace gw

namespace gw {

namespace {
// Holds the workbench for the viewer made on first use.
class ViewerSlot : public QObject {
public:
    ViewerSlot(FrmKD452& win, Workbench& wb) : QObject(&win), win_(win), wb_(wb) { setObjectName("ViewerSlot"); }
    FrmView* Viewer() {
        if (!viewer_) viewer_ = new FrmView(&win_, wb_);
        return viewer_;
    }

private:
    FrmKD452& win_;
    Workbench& wb_;
    FrmView* viewer_ = nullptr;
};
}  // namespace

void AttachViewer(FrmKD452& win, Workbench& wb) {
    if (win.findChild<QObject*>("ViewerSlot", Qt::FindDirectChildrenOnly)) return;
    auto* slot = new ViewerSlot(win, wb);
    QPointer<ViewerSlot> guard(slot);
    win.AttachSideWindow("CmdView", [guard] {
        if (guard) guard->Viewer()->Open();
    });
}

FrmView* ViewerOf(FrmKD452& win) {
    auto* slot = static_cast<ViewerSlot*>(win.findChild<QObject*>("ViewerSlot", Qt::FindDirectChildrenOnly));
    return slot ? slot->Viewer() : nullptr;
}

}  // namespace gw
