#include "ui/ModelPage.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <optional>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/AppFolder.h"
#include "app/Colours.h"
#include "app/DictionaryEntries.h"
#include "app/MainCaptions.h"
#include "app/MarkerTexts.h"
#include "app/Workbench.h"
#include "ui/FrmKD452.h"
#include "ui/QtText.h"
#include "ui/SyncWidgets.h"
#include "ui/WorkbenchUi.h"

namespace gw {

namespace {

constexpr const char* kPageName = "ModelPage";

// The page's own texts after "[FrmMod]", in entry order.
const std::vector<std::string> kOwnFallbacks = {
    "The ECU did not take the correction table: it may not hold the model shown. The workbench keeps trying.",
    "Off-line: the model shown has not been written to the ECU.",
    "Move the point left (Left arrow)",
    "Move the point right (Right arrow)",
    "Raise the point's enrichment (Up arrow)",
    "Lower the point's enrichment (Down arrow)",
    "Raise the slope (+)",
    "Lower the slope (-)",
    "Raise the offset (Page Up)",
    "Lower the offset (Page Down)",
    "Reset line",
    "Reset",
    "Open...",
    "Save...",
    "Correction table to be written (ms)",
    "Live (petrol ; gas)",
    "Click a point to select it, then drag it or move it with the arrow keys.",
};

}  // namespace

// ---- ModelBox ----

ModelBox::ModelBox(const QString& objectName, QWidget* parent) : QLabel(parent) {
    setObjectName(objectName);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setAutoFillBackground(true);
    setMargin(2);
    setMinimumWidth(QFontMetrics(font()).horizontalAdvance("-00,00") + 10);
    SetRaised(false);
}

void ModelBox::SetRaised(bool raised) {
    if (raised == raised_) return;
    raised_ = raised;
    setFrameStyle(QFrame::Panel | (raised ? QFrame::Raised : QFrame::Sunken));
    setLineWidth(raised ? 2 : 1);
    SetColors(this, ColorOf(raised ? kColYellow : kColWhite), Qt::black);
}

void ModelBox::mousePressEvent(QMouseEvent* e) {
    QLabel::mousePressEvent(e);
    if (onClicked) onClicked();
}

// ---- ModelPage ----

ModelPage::ModelPage(Host& host, ParameterImage& image, const ClsLingue* lingue, QWidget* parent)
    : QWidget(parent), logic_(std::make_unique<ModelPageLogic>(host, image, lingue)) {
    setObjectName(kPageName);
    setFocusPolicy(Qt::StrongFocus);
    ModelPageLogic& logic = *logic_;

    Plot = new ModelPlot(logic, this);
    Table = new CorTableStrip(logic, this);
    LblNotWritten = new QLabel(this);
    LblNotWritten->setObjectName("LblNotWritten");
    LblNotWritten->setWordWrap(true);
    LblNotWritten->setAutoFillBackground(true);
    LblNotWritten->setMargin(3);
    SetColors(LblNotWritten, QColor(255, 235, 170), QColor(150, 0, 0));
    LblNotWritten->hide();
    auto* left = new QVBoxLayout;
    left->addWidget(Plot, 1);
    left->addWidget(Table);
    left->addWidget(LblNotWritten);

    // "Point": the boxes of points 1-5, the arrows and Reset line.
    FrmModPnt = new QGroupBox("Point", this);
    FrmModPnt->setObjectName("FrmModPnt");
    auto* pg = new QGridLayout(FrmModPnt);
    LblPlace = new QLabel("Place", FrmModPnt);
    LblPlace->setObjectName("LblPlace");
    LblMul = new QLabel("Enrich. (ms)", FrmModPnt);
    LblMul->setObjectName("LblMul");
    pg->addWidget(LblPlace, 0, 1);
    pg->addWidget(LblMul, 0, 2);
    for (int k = 0; k < 5; ++k) {
        auto* n = new QLabel(QString::number(k + 1), FrmModPnt);
        n->setObjectName(QString("LblPntNum%1").arg(k + 1));
        TxtXPos[static_cast<std::size_t>(k)] = new ModelBox(QString("TxtXPos%1").arg(k), FrmModPnt);
        TxtYPos[static_cast<std::size_t>(k)] = new ModelBox(QString("TxtYPos%1").arg(k), FrmModPnt);
        TxtXPos[static_cast<std::size_t>(k)]->onClicked = [this, k] { logic_->SelectPoint(k + 1); };
        TxtYPos[static_cast<std::size_t>(k)]->onClicked = [this, k] { logic_->SelectPoint(k + 1); };
        pg->addWidget(n, k + 1, 0);
        pg->addWidget(TxtXPos[static_cast<std::size_t>(k)], k + 1, 1);
        pg->addWidget(TxtYPos[static_cast<std::size_t>(k)], k + 1, 2);
    }
    auto* arrows = new QGridLayout;
    CmdUp = EditButton("CmdUp", QString::fromUtf8("\u25B2"), ModelButton::Up);
    CmdLeft = EditButton("CmdLeft", QString::fromUtf8("\u25C0"), ModelButton::Left);
    CmdRight = EditButton("CmdRight", QString::fromUtf8("\u25B6"), ModelButton::Right);
    CmdDown = EditButton("CmdDown", QString::fromUtf8("\u25BC"), ModelButton::Down);
    arrows->addWidget(CmdUp, 0, 1);
    arrows->addWidget(CmdLeft, 1, 0);
    arrows->addWidget(CmdRight, 1, 2);
    arrows->addWidget(CmdDown, 2, 1);
    pg->addLayout(arrows, 6, 0, 1, 3, Qt::AlignHCenter);
    CmdResetLine = new QPushButton("Reset line", FrmModPnt);
    CmdResetLine->setObjectName("CmdResetLine");
    CmdResetLine->setFocusPolicy(Qt::NoFocus);
    connect(CmdResetLine, &QPushButton::clicked, this, [this] { logic_->CmdResetLine(); });
    pg->addWidget(CmdResetLine, 7, 0, 1, 3);

    // "Line": Slope and Offset with their arrows, Reset.
    FrmModLine = new QGroupBox("Line", this);
    FrmModLine->setObjectName("FrmModLine");
    auto* lg = new QGridLayout(FrmModLine);
    LblAlfa = new QLabel("Slope", FrmModLine);
    LblAlfa->setObjectName("LblAlfa");
    LblOffset = new QLabel("Offset (ms)", FrmModLine);
    LblOffset->setObjectName("LblOffset");
    TxtALfaPos = new ModelBox("TxtALfaPos", FrmModLine);
    TxtOffsetPos = new ModelBox("TxtOffsetPos", FrmModLine);
    TxtALfaPos->onClicked = [this] { logic_->SelectLineBox(ModelLineBox::Alfa); };
    TxtOffsetPos->onClicked = [this] { logic_->SelectLineBox(ModelLineBox::Offset); };
    CmdAlfaUp = EditButton("CmdAlfaUp", QString::fromUtf8("\u25B2"), ModelButton::AlfaUp);
    CmdAlfaDown = EditButton("CmdAlfaDown", QString::fromUtf8("\u25BC"), ModelButton::AlfaDown);
    CmdOffsetUp = EditButton("CmdOffsetUp", QString::fromUtf8("\u25B2"), ModelButton::OffsetUp);
    CmdOffsetDown = EditButton("CmdOffsetDown", QString::fromUtf8("\u25BC"), ModelButton::OffsetDown);
    lg->addWidget(LblAlfa, 0, 0);
    lg->addWidget(TxtALfaPos, 0, 1);
    lg->addWidget(CmdAlfaUp, 0, 2);
    lg->addWidget(CmdAlfaDown, 0, 3);
    lg->addWidget(LblOffset, 1, 0);
    lg->addWidget(TxtOffsetPos, 1, 1);
    lg->addWidget(CmdOffsetUp, 1, 2);
    lg->addWidget(CmdOffsetDown, 1, 3);
    CmdReset = new QPushButton("Reset", FrmModLine);
    CmdReset->setObjectName("CmdReset");
    CmdReset->setFocusPolicy(Qt::NoFocus);
    connect(CmdReset, &QPushButton::clicked, this, [this] { logic_->CmdReset(); });
    lg->addWidget(CmdReset, 2, 0, 1, 4);

    // The file buttons: the main window's configuration commands (bound by AttachModelPage).
    CmdModOpen = new QPushButton("Open...", this);
    CmdModOpen->setObjectName("CmdModOpen");
    CmdModSave = new QPushButton("Save...", this);
    CmdModSave->setObjectName("CmdModSave");
    for (QPushButton* b : {CmdModOpen, CmdModSave}) b->setFocusPolicy(Qt::NoFocus);
    auto* files = new QHBoxLayout;
    files->addWidget(CmdModOpen);
    files->addWidget(CmdModSave);

    auto* right = new QVBoxLayout;
    right->addWidget(FrmModPnt);
    right->addWidget(FrmModLine);
    right->addStretch(1);
    right->addLayout(files);
    auto* side = new QWidget(this);
    side->setObjectName("FrmModSide");
    side->setLayout(right);
    side->setFixedWidth(side->sizeHint().width() + 10);

    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(6, 6, 6, 6);
    h->addLayout(left, 1);
    h->addWidget(side);

    changed_ = logic.Changed.Connect([this] { Sync(offLine_); });
    Sync(false);
}

ModelPage::~ModelPage() { changed_.Disconnect(); }

QPushButton* ModelPage::EditButton(const QString& name, const QString& text, ModelButton b) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedWidth(QFontMetrics(button->font()).horizontalAdvance("MM") + 16);
    // Held: the logic repeats on its timer; released: the edit ends.
    connect(button, &QPushButton::pressed, this, [this, b] { logic_->Press(b); });
    connect(button, &QPushButton::released, this, [this] { logic_->Release(); });
    return button;
}

void ModelPage::Sync(bool offLine) {
    offLine_ = offLine;
    const ModelBoxTexts t = logic_->BoxTexts();
    for (std::size_t k = 0; k < 5; ++k) {
        sync::Text(TxtXPos[k], t.place[k]);
        sync::Text(TxtYPos[k], t.enrich[k]);
        const bool raised = logic_->PointBoxesRaised(static_cast<int>(k));
        TxtXPos[k]->SetRaised(raised);
        TxtYPos[k]->SetRaised(raised);
    }
    sync::Text(TxtALfaPos, t.alfa);
    sync::Text(TxtOffsetPos, t.offset);
    TxtALfaPos->SetRaised(logic_->LineBoxRaised(ModelLineBox::Alfa));
    TxtOffsetPos->SetRaised(logic_->LineBoxRaised(ModelLineBox::Offset));
    const std::string warning = logic_->WriteStateText(offLine);
    sync::Text(LblNotWritten, warning);
    sync::Shown(LblNotWritten, !warning.empty());
    Plot->update();
    Table->update();
}

void ModelPage::ApplyTexts(const MainCaptions& c, const ClsLingue* lingue) {
    FrmModPnt->setTitle(ToQ(c.AfterErrors(kAfterErrorsFrmModPnt, "Point")));
    sync::Text(LblPlace, c.AfterErrors(kAfterErrorsLblPlace, "Place"));
    sync::Text(LblMul, c.AfterErrors(kAfterErrorsLblMul, "Enrich. (ms)"));
    FrmModLine->setTitle(ToQ(c.AfterErrors(kAfterErrorsFrmModLine, "Line")));
    sync::Text(LblAlfa, c.AfterErrors(kAfterErrorsLblAlfa, "Slope"));
    sync::Text(LblOffset, c.AfterErrors(kAfterErrorsLblOffset, "Offset (ms)"));
    const std::vector<std::string> own = ReadMarkerTexts(lingue, kMarkerMod, kOwnFallbacks);
    auto text = [&own](int entry) { return ToQ(own.at(static_cast<std::size_t>(entry - 1))); };
    CmdLeft->setToolTip(text(kModCmdLeft));
    CmdRight->setToolTip(text(kModCmdRight));
    CmdUp->setToolTip(text(kModCmdUp));
    CmdDown->setToolTip(text(kModCmdDown));
    CmdAlfaUp->setToolTip(text(kModCmdAlfaUp));
    CmdAlfaDown->setToolTip(text(kModCmdAlfaDown));
    CmdOffsetUp->setToolTip(text(kModCmdOffsetUp));
    CmdOffsetDown->setToolTip(text(kModCmdOffsetDown));
    CmdResetLine->setText(text(kModCmdResetLine));
    CmdReset->setText(text(kModCmdReset));
    CmdModOpen->setText(text(kModCmdModOpen));
    CmdModSave->setText(text(kModCmdModSave));
    Table->SetCaption(text(kModTableCurve));
    Plot->SetTexts(ToQ(c.AfterErrors(kAfterErrorsTxtPetrolMod, "Petrol (ms)")),
                   ToQ(c.AfterErrors(kAfterErrorsTxtGasMod, "Gas (ms)")), text(kModTrail), text(kModPlotHint));
    logic_->ApplyTexts();
    Sync(offLine_);
}

void ModelPage::keyPressEvent(QKeyEvent* e) {
    ModelPageLogic& l = *logic_;
    std::optional<ModelButton> b;
    switch (e->key()) {
        case Qt::Key_Left: b = ModelButton::Left; break;
        case Qt::Key_Right: b = ModelButton::Right; break;
        case Qt::Key_Up: b = ModelButton::Up; break;
        case Qt::Key_Down: b = ModelButton::Down; break;
        case Qt::Key_PageUp: b = ModelButton::OffsetUp; break;
        case Qt::Key_PageDown: b = ModelButton::OffsetDown; break;
        case Qt::Key_Plus: b = ModelButton::AlfaUp; break;
        case Qt::Key_Minus: b = ModelButton::AlfaDown; break;
        case Qt::Key_Escape: l.DeselezionaPuntiMod(); return;
        default:
            if (e->key() >= Qt::Key_0 && e->key() <= Qt::Key_6 && !e->isAutoRepeat()) {
                l.SelectPoint(e->key() - Qt::Key_0);
                return;
            }
            QWidget::keyPressEvent(e);
            return;
    }
    l.KeyStep(*b);
}

void ModelPage::keyReleaseEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Plus:
        case Qt::Key_Minus:
            // One edit per key held: the auto-repeat's releases do not end it.
            if (!e->isAutoRepeat()) logic_->KeyRelease();
            return;
        default: QWidget::keyReleaseEvent(e);
    }
}

// ---- in the main window ----

namespace {

// Binds the page to the window's timers, language and file commands.
class ModelPageBinding : public QObject {
public:
    ModelPageBinding(FrmKD452& win, WorkbenchUi& ui, Workbench& wb) : QObject(&win), win_(win), ui_(ui), wb_(wb) {
        setObjectName("ModelPageBinding");
        page_ = new ModelPage(wb.host, *wb.Image, &wb.Lingue);
        // In service mode a table write is exported beside the program.
        if (wb.Image->CorTableExportPath.empty()) wb.Image->CorTableExportPath = ExecutableFolder() + "/TEMPI4.TXT";
        page_->Logic().AppTitle = wb.AppTitle;
        QTabWidget* tabs = win.SstMain();
        const int current = tabs->currentIndex();
        QWidget* placeholder = tabs->widget(FrmKD452::kTabModeling);
        const QString caption = tabs->tabText(FrmKD452::kTabModeling);
        {
            const QSignalBlocker block(tabs);
            tabs->removeTab(FrmKD452::kTabModeling);
            tabs->insertTab(FrmKD452::kTabModeling, page_, caption);
            tabs->setCurrentIndex(current);
        }
        // The placeholder stays the window's (it takes its caption with the language), unseen.
        placeholder->setParent(page_);
        placeholder->hide();

        QObject::connect(page_->CmdModSave, &QPushButton::clicked, &win, [this] { win_.MnuFileSaveConf_Click(); });
        QObject::connect(page_->CmdModOpen, &QPushButton::clicked, &win, [this] { win_.MnuFileLoadConf_Click(); });

        // The current point on S2 (the display's mean petrol and gas times), the model's data
        // and the warning on S4 and after a complete read.
        connections_.push_back(ui.Scheduler().SlotRan.Connect([this](int slot) {
            if (slot == 2) {
                const InjectorsView& inj = ui_.Scheduler().View().injectors;
                page_->Logic().AddLivePair(inj.avgShownPetrol, inj.avgShownGas);
                if (win_.SstMain()->currentWidget() == page_) page_->Plot->update();
            } else if (slot == 4) {
                Refresh();
            }
        }));
        connections_.push_back(ui.Scheduler().RefreshedAfterRead.Connect([this] { Refresh(); }));
        connect(&win, &FrmKD452::languageChosen, this, [this] { ApplyTexts(); });
        ApplyTexts();
    }

    ModelPage* Page() const { return page_; }

private:
    bool OffLine() const { return wb_.Comm->ComState == kComOffLine; }
    void Refresh() {
        // Unless an edit is under way: the page shows what the model holds, and the warning.
        page_->SetOffLine(OffLine());
        page_->Logic().Refresh(OffLine());
    }
    void ApplyTexts() {
        page_->Logic().AppTitle = wb_.AppTitle;
        page_->ApplyTexts(win_.Captions(), &wb_.Lingue);
    }

    FrmKD452& win_;
    WorkbenchUi& ui_;
    Workbench& wb_;
    ModelPage* page_ = nullptr;
    std::vector<Connection> connections_;
};

}  // namespace

ModelPage* AttachModelPage(FrmKD452& window, WorkbenchUi& ui, Workbench& wb) {
    if (ModelPage* p = ModelPageOf(window)) return p;
    return (new ModelPageBinding(window, ui, wb))->Page();
}

ModelPage* ModelPageOf(FrmKD452& window) { return window.findChild<ModelPage*>(kPageName); }

}  // namespace gw
