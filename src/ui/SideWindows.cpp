#include "ui/SideWindows.h"

#include <QPointer>
#include <QPushButton>

#include "app/Workbench.h"
#include "ui/FrmErrEcu.h"
#include "ui/FrmInjSet.h"
#include "ui/FrmKD452.h"
#include "ui/FrmLevelSetting.h"
#include "ui/FrmSetExpert.h"
#include "ui/QtText.h"
#include "ui/WorkbenchUi.h"
#include "util/FileIo.h"

namespace gw {

SideWindows::SideWindows(FrmKD452& win, WorkbenchUi& ui, Workbench& wb) : QObject(&win), win_(win), ui_(ui), wb_(wb) {
    setObjectName("SideWindows");
    connections_.push_back(errors_.MaskInputs.Bind([this] { return MaskInputsFromImage(*wb_.Image); }));
    ApplyTexts();
    ShowWarning();

    connections_.push_back(ui.Scheduler().ErrorMemoryDue.Connect([this] {
        errors_.CaricaErroriEcu(*wb_.Comm);
        ShowWarning();
    }));
    connections_.push_back(ui.Scheduler().SlotRan.Connect([this](int) {
        if (!readErrors_) return;
        readErrors_ = false;
        errors_.CaricaErroriEcu(*wb_.Comm);
        ShowWarning();
    }));
    connect(&win, &FrmKD452::languageChosen, this, [this] { ApplyTexts(); });

    QPointer<SideWindows> self(this);

    win.AttachSideWindow("CmdTpyInj", [self] {
        if (self) self->OpenInjSet();
    });
    win.AttachSideWindow("CmdTpyGLS", [self] {
        if (self) self->LevelSetting()->Open();
    });
    win.AttachSideWindow("CmdExpert0", [self] {
        if (self) self->OpenExpert();
    });
    win.AttachSideWindow("CmdErrInj", [self] {
        if (self) self->ErrEcu()->Open();
    });
}

FrmInjSet* SideWindows::InjSet() {
    if (!injSet_) injSet_ = new FrmInjSet(&win_, wb_.host, *wb_.Image, &wb_.Lingue);
    return injSet_;
}

void SideWindows::OpenInjSet() {
    QPointer<SideWindows> self(this);
    InjSet()->Open([self] {
        if (!self) return InjLiveTimes{};
        // The key and the fuel selection as they are now, the times as the General page shows them.
        ParameterImage& image = *self->wb_.Image;
        InjLiveTimes t = InjLiveTimes::FromImage(image, image.Scale());
        const InjectorDisplayState& shown = self->ui_.Scheduler().ShownInjectors();
        t.petrolMs = shown.shownPetrol;
        t.correctionMs = shown.shownCorrection;
        return t;
    });
}

FrmLevelSetting* SideWindows::LevelSetting() {
    // Unloaded on close (Esc): made afresh for each opening.
    if (level_ && !level_->isVisible()) {
        delete level_;
        level_ = nullptr;
    }
    if (!level_)
        level_ = new FrmLevelSetting(&win_, wb_.host, *wb_.Image, &wb_.Lingue,
                                     AppPath(wb_.AppFolder, "\\LNG\\ConfigScale.ini"), wb_.AppTitle);
    return level_;
}

FrmSetExpert* SideWindows::SetExpert() {
    if (!expert_) expert_ = new FrmSetExpert(&win_, *wb_.Image, wb_.Lingue, wb_.AppFolder);
    return expert_;
}

void SideWindows::OpenExpert() {
    SetExpert()->Open();
    readErrors_ = true;
}

FrmErrEcu* SideWindows::ErrEcu() {
    if (!errEcu_) {
        errEcu_ = new FrmErrEcu(&win_, errors_, *wb_.Comm, wb_.Lingue);
        connect(errEcu_, &FrmErrEcu::cancelled, this, [this] { ShowWarning(); });
    }
    return errEcu_;
}

void SideWindows::ApplyTexts() {
    errors_.SetTexts(win_.ErrorTexts(), win_.Captions().AfterErrors(1, "Errori"));
    ShowWarning();
}

void SideWindows::ShowWarning() {
    auto* b = win_.findChild<QPushButton*>("CmdErrInj");
    if (!b) return;
    const ErrorWarning& w = errors_.Warning();
    if (w.visible) {
        const QString caption = ToQ(w.caption);
        if (b->text() != caption) b->setText(caption);
        const QColor back = ColorOf(w.backColor);
        if (b->palette().color(QPalette::Button) != back) {
            QPalette p = b->palette();
            p.setColor(QPalette::Button, back);
            b->setPalette(p);
            b->setAutoFillBackground(true);
        }
    }
    if (b->isHidden() == w.visible) b->setVisible(w.visible);
}

void AttachSideWindows(FrmKD452& win, WorkbenchUi& ui, Workbench& wb) {
    if (SideWindowsOf(win)) return;
    new SideWindows(win, ui, wb);
}

SideWindows* SideWindowsOf(FrmKD452& win) {
    return static_cast<SideWindows*>(win.findChild<QObject*>("SideWindows", Qt::FindDirectChildrenOnly));
}

}  // namespace gw
