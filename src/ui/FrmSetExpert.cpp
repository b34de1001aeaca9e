#include "ui/FrmSetExpert.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "ui/SyncWidgets.h"

namespace gw {

namespace {
constexpr int kTwips = 15;                 // twips per pixel
constexpr int kBorderW = 90, kBorderH = 495;  // window size minus its client area, twips
}  // namespace

FrmSetExpert::FrmSetExpert(QWidget* parent, ParameterImage& image, const ClsLingue& lingue,
                           const std::string& appFolder)
    : QDialog(parent), logic_(image, lingue, appFolder) {
    setObjectName("FrmSetExpert");
    setWindowTitle(ExpertLogic::kCaption);
    setModal(false);
    Build();
}

QString FrmSetExpert::Key(const LayoutControl& c) {
    const QString n = QString::fromStdString(c.name);
    return c.index < 0 ? n : QString("%1(%2)").arg(n).arg(c.index);
}

void FrmSetExpert::Build() {
    const ExpertLayout designed;
    // Frames first so that their contents find their parent.
    for (int pass = 0; pass < 2; ++pass)
        for (const LayoutControl& c : designed.Controls()) {
            if ((c.kind == LayoutKind::Frame) != (pass == 0)) continue;
            QWidget* parent = c.container.empty() ? this : widgets_.value(QString::fromStdString(c.container), this);
            QWidget* w = nullptr;
            const QString key = Key(c);
            switch (c.kind) {
                case LayoutKind::Frame: w = new QGroupBox(parent); break;
                case LayoutKind::Label: w = new QLabel(parent); break;
                case LayoutKind::List: {
                    auto* box = new QComboBox(parent);
                    for (int l = 0; l < kExpertListCount; ++l)
                        if (key == ControlName(static_cast<ExpertList>(l)))
                            connect(box, qOverload<int>(&QComboBox::activated), this, [this, l](int index) {
                                if (syncing_) return;
                                logic_.ListClick(static_cast<ExpertList>(l), index);
                                Sync();
                            });
                    w = box;
                    break;
                }
                case LayoutKind::Check: {
                    auto* box = new QCheckBox(parent);
                    for (int k = 0; k < kExpertCheckCount; ++k)
                        if (key == ControlName(static_cast<ExpertCheck>(k)))
                            connect(box, &QCheckBox::clicked, this, [this, k](bool on) {
                                if (syncing_) return;
                                logic_.CheckClick(static_cast<ExpertCheck>(k), on);
                                Sync();
                            });
                    w = box;
                    break;
                }
                case LayoutKind::Text: {
                    auto* box = new QLineEdit(parent);
                    if (key == "TxtPw") {
                        box->setEchoMode(QLineEdit::Password);
                        connect(box, &QLineEdit::returnPressed, this, [this, box] {
                            logic_.PasswordEnter(FromQ(box->text()));
                            Sync();
                        });
                    }
                    for (int k = 0; k < kExpertTextCount; ++k)
                        if (key == ControlName(static_cast<ExpertText>(k)))
                            connect(box, &QLineEdit::returnPressed, this, [this, k, box] {
                                logic_.TextEnter(static_cast<ExpertText>(k), FromQ(box->text()));
                                Sync();
                            });
                    w = box;
                    break;
                }
                case LayoutKind::Button: {
                    auto* b = new QPushButton(parent);
                    b->setAutoDefault(false);
                    if (key == "CmdClearHoursCnt")
                        connect(b, &QPushButton::clicked, this, [this] {
                            logic_.ClearHoursCnt();
                            Sync();
                        });
                    if (key == "CmdChangeStatoEcu")
                        connect(b, &QPushButton::clicked, this, [this] {
                            logic_.ChangeStatoEcu();
                            Sync();
                        });
                    w = b;
                    break;
                }
            }
            w->setObjectName(key);
            widgets_.insert(key, w);
        }
}

void FrmSetExpert::Open() {
    logic_.Load();
    shownWidth_ = shownHeight_ = 0;
    Sync();
    show();
    raise();
    activateWindow();
    if (auto* pw = widgets_.value("TxtPw")) pw->setFocus();
}

void FrmSetExpert::Sync() {
    syncing_ = true;
    for (const LayoutControl& c : logic_.Layout().Controls()) {
        QWidget* w = widgets_.value(Key(c));
        if (!w) continue;
        const QRect r(c.left / kTwips, c.top / kTwips, c.width / kTwips, c.height / kTwips);
        if (w->geometry() != r) w->setGeometry(r);
        if (w->isHidden() == c.visible) w->setVisible(c.visible);
        if (auto* f = qobject_cast<QGroupBox*>(w)) {
            if (f->title() != ToQ(c.caption)) f->setTitle(ToQ(c.caption));
        } else if (auto* l = qobject_cast<QLabel*>(w)) {
            if (Key(c) != "LblTimeWork") sync::Text(l, c.caption);
            const Qt::Alignment a = c.alignment == 1 ? Qt::AlignRight : c.alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
            if ((l->alignment() & Qt::AlignHorizontal_Mask) != a) l->setAlignment(a | Qt::AlignVCenter);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            sync::Text(b, c.caption);
        }
        if (c.backColor || c.foreColor)
            SetColors(w, c.backColor ? ColorOf(*c.backColor) : w->palette().color(QPalette::Window),
                      c.foreColor ? ColorOf(*c.foreColor) : w->palette().color(QPalette::WindowText));
    }
    for (int l = 0; l < kExpertListCount; ++l)
        if (auto* box = qobject_cast<QComboBox*>(widgets_.value(ControlName(static_cast<ExpertList>(l))))) {
            const ExpertListState& s = logic_.List(static_cast<ExpertList>(l));
            sync::Items(box, s.items, s.selected);
        }
    for (int k = 0; k < kExpertCheckCount; ++k)
        if (auto* box = qobject_cast<QCheckBox*>(widgets_.value(ControlName(static_cast<ExpertCheck>(k)))))
            sync::Checked(box, logic_.Checked(static_cast<ExpertCheck>(k)));
    for (int k = 0; k < kExpertTextCount; ++k)
        if (auto* box = qobject_cast<QLineEdit*>(widgets_.value(ControlName(static_cast<ExpertText>(k))))) {
            const QSignalBlocker block(box);
            sync::Text(box, logic_.Text(static_cast<ExpertText>(k)));
        }
    if (auto* l = qobject_cast<QLabel*>(widgets_.value("LblTimeWork"))) sync::Text(l, logic_.TimeWork());
    if (logic_.Width() != shownWidth_ || logic_.Height() != shownHeight_) {
        shownWidth_ = logic_.Width();
        shownHeight_ = logic_.Height();
        setFixedSize((shownWidth_ - kBorderW) / kTwips, (shownHeight_ - kBorderH) / kTwips);
        if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    }
    syncing_ = false;
}

void FrmSetExpert::keyPressEvent(QKeyEvent* e) { e->accept(); }

void FrmSetExpert::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && !logic_.Filling()) {
        logic_.Activate();
        Sync();
    }
}

}  // namespace gw
