#include "ui/FrmErrEcu.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/QtText.h"
#include "ui/SyncWidgets.h"

namespace gw {

namespace {

// A cell's text; the state columns on their own backgrounds (present light red,
// memorised light yellow), set when the cell is made.
void Cell(QTableWidget* g, int row, int col, const std::string& text) {
    QTableWidgetItem* it = g->item(row, col);
    if (!it) {
        it = new QTableWidgetItem;
        it->setFlags(Qt::ItemIsEnabled);
        if (col == 1) it->setBackground(ColorOf(kPresentColour));
        if (col == 2) it->setBackground(ColorOf(kMemorisedColour));
        if (col > 0) it->setForeground(Qt::black);
        g->setItem(row, col, it);
    }
    const QString q = ToQ(text);
    if (it->text() != q) it->setText(q);
}
}  // namespace

FrmErrEcu::FrmErrEcu(QWidget* parent, EcuErrors& errors, ClsComm& link, const ClsLingue& lingue)
    : QDialog(parent), logic_(errors, link), lingue_(lingue) {
    setObjectName("FrmErrEcu");
    setWindowTitle("Errori");
    setModal(false);
    auto* outer = new QVBoxLayout(this);
    Grid = new QTableWidget(0, 3, this);
    Grid->setObjectName("Grid");
    Grid->verticalHeader()->hide();
    Grid->setSelectionMode(QAbstractItemView::NoSelection);
    Grid->setFocusPolicy(Qt::NoFocus);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->setDefaultSectionSize(ErrEcuWindow::kRowHeight / kTwipsPerPixel);
    int width = 4;
    for (int c = 0; c < 3; ++c) {
        Grid->setColumnWidth(c, ErrEcuWindow::kColumnWidth[c] / kTwipsPerPixel);
        width += ErrEcuWindow::kColumnWidth[c] / kTwipsPerPixel;
    }
    Grid->setMinimumWidth(width + 20);
    Grid->setMinimumHeight(300);
    outer->addWidget(Grid);
    auto* buttons = new QHBoxLayout;
    outer->addLayout(buttons);
    CmdErrInjCanc = new QPushButton("Canc.", this);
    CmdErrInjCanc->setObjectName("CmdErrInjCanc");
    Command2 = new QPushButton("Esc", this);
    Command2->setObjectName("Command2");
    for (QPushButton* b : {CmdErrInjCanc, Command2}) b->setAutoDefault(false);
    buttons->addStretch(1);
    buttons->addWidget(CmdErrInjCanc);
    buttons->addWidget(Command2);
    connect(CmdErrInjCanc, &QPushButton::clicked, this, [this] {
        logic_.Cancel();
        Sync();
        emit cancelled();
    });
    connect(Command2, &QPushButton::clicked, this, [this] { close(); });
    timer1_ = new QTimer(this);
    timer1_->setInterval(ErrEcuWindow::kRefreshMs);
    connect(timer1_, &QTimer::timeout, this, [this] {
        logic_.RefreshStates();
        Sync();
    });
}

void FrmErrEcu::Open() {
    logic_.Load(lingue_);
    Sync();
    timer1_->start();
    show();
    raise();
    activateWindow();
}

void FrmErrEcu::Sync() {
    const QString title = ToQ(logic_.Caption());
    if (windowTitle() != title) setWindowTitle(title);
    const QString canc = ToQ(logic_.CancelCaption());
    if (CmdErrInjCanc->text() != canc) CmdErrInjCanc->setText(canc);
    QStringList headers;
    for (const auto& h : logic_.Headers()) headers << ToQ(h);
    for (int c = 0; c < 3; ++c) {
        QTableWidgetItem* h = Grid->horizontalHeaderItem(c);
        if (!h || h->text() != headers[c]) Grid->setHorizontalHeaderItem(c, new QTableWidgetItem(headers[c]));
    }
    const auto& rows = logic_.Rows();
    if (Grid->rowCount() != static_cast<int>(rows.size())) Grid->setRowCount(static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const int r = static_cast<int>(i);
        Cell(Grid, r, 0, rows[i].name);
        Cell(Grid, r, 1, rows[i].present);
        Cell(Grid, r, 2, rows[i].memorised);
    }
}

void FrmErrEcu::hideEvent(QHideEvent* e) {
    timer1_->stop();
    QDialog::hideEvent(e);
}

}  // namespace gw
