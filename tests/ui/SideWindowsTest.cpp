// Window tests of the side windows on the simulated ECU: each button attached to its window
// opens it, an offset step in the injector window becomes one block-3 write after its
// countdown, the level window closes on Esc, and "Canc." in the errors window clears the
// ECU's memory and hides the General page's warning at once.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include "link/Commands.h"
#include "ui/FrmErrEcu.h"
#include "ui/FrmInjSet.h"
#include "ui/FrmLevelSetting.h"
#include "ui/FrmSetExpert.h"
#include "ui/SideWindows.h"
#include "UiRig.h"

using namespace gw;
using namespace uitest;

namespace {

QPushButton* Button(Rig& rig, const char* name) { return rig.win->findChild<QPushButton*>(name); }

}  // namespace

class SideWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void buttonsOpenTheirWindowsAndAnOffsetStepWritesBlock3Once() {
        Rig rig({}, "0\r\n", Core());
        AttachSideWindows(*rig.win, *rig.ui, *rig.wb);
        SideWindows* side = SideWindowsOf(*rig.win);
        QVERIFY(side);
        QVERIFY(Connected(rig));
        QTRY_VERIFY_WITH_TIMEOUT(rig.wb->Image->Block3WriteRequest == 0 &&
                                     !rig.wb->Image->Requests.Block3WritePending,
                                 5000);

        for (const char* name : {"CmdTpyInj", "CmdTpyGLS", "CmdExpert0", "CmdErrInj"}) {
            QVERIFY2(Button(rig, name)->isEnabled(), name);
            Button(rig, name)->click();
        }
        QTRY_VERIFY(side->InjSet()->isVisible());
        QVERIFY(side->LevelSetting()->isVisible());
        QVERIFY(side->SetExpert()->isVisible());
        QVERIFY(side->ErrEcu()->isVisible());
        QVERIFY(side->SetExpert()->Control("TxtPw")->isVisible());

        // The level window closes on Esc; the injector window ignores it.
        QTest::keyClick(side->LevelSetting(), Qt::Key_Escape);
        QTRY_VERIFY(!side->LevelSetting()->isVisible());
        QTest::keyClick(side->InjSet(), Qt::Key_Escape);
        QVERIFY(side->InjSet()->isVisible());

        // One offset step on the first cylinder: one write of block 3 after the countdown.
        FrmInjSet& inj = *side->InjSet();
        QVERIFY(!inj.Logic().Rows().empty());
        QVERIFY(inj.rows[0].HScrTime->isVisible());
        const int writes = rig.ecu->Responder().Count(CMD_WRT_MEM3);
        const int start = inj.rows[0].HScrTime->value();
        inj.rows[0].HScrTime->setValue(start == InjSetLogic::kScrollMax ? start - 5 : start + 5);
        QCOMPARE(inj.Logic().Rows()[0].scrollValue, inj.rows[0].HScrTime->value());
        QCOMPARE(inj.rows[0].TxtInjGas->text().toStdString(), inj.Logic().Rows()[0].offsetText);
        QTRY_COMPARE_WITH_TIMEOUT(rig.ecu->Responder().Count(CMD_WRT_MEM3), writes + 1, 15000);
        QTest::qWait(1500);
        QCOMPARE(rig.ecu->Responder().Count(CMD_WRT_MEM3), writes + 1);
    }

    void injectorWindowIsLoadedAgainAtEveryOpening() {
        Rig rig(ReadFile(QString(GW_APP_DIR) + "/LNG/M3.diz"), "0\r\n", Core());
        AttachSideWindows(*rig.win, *rig.ui, *rig.wb);
        SideWindows* side = SideWindowsOf(*rig.win);
        QVERIFY(Connected(rig));
        auto shownRows = [side] {
            int n = 0;
            for (const FrmInjSet::Row& r : side->InjSet()->rows) n += r.CmbSelect->isVisible() ? 1 : 0;
            return n;
        };
        Button(rig, "CmdTpyInj")->click();
        FrmInjSet& inj = *side->InjSet();
        QTRY_VERIFY(inj.isVisible());
        QCOMPARE(shownRows(), rig.wb->Image->Block3.Cylinders);
        QCOMPARE(shownRows(), 4);
        QCOMPARE(inj.LblInjNum->text(), QString("Injector"));
        inj.close();

        // Six cylinders in the ECU and Italian chosen while the window was closed.
        rig.ecu->Memory().block3[1] = 6;
        QTRY_COMPARE_WITH_TIMEOUT(rig.wb->Image->Block3.Cylinders, 6, 15000);
        rig.win->MnuLngT().at(1)->trigger();
        Button(rig, "CmdTpyInj")->click();
        QTRY_VERIFY(inj.isVisible());
        QCOMPARE(shownRows(), 6);
        QCOMPARE(inj.rows[5].LblInj->text(), QString("6Inj #"));
        QCOMPARE(inj.rows[5].CmbSelect->count(), 3);
        QCOMPARE(inj.LblInjNum->text(), QString("Iniettore"));
        QCOMPARE(inj.rows[1].CmbSelect->itemText(0), QString("Normale"));
        QVERIFY(inj.windowTitle().startsWith("Iniettore - "));

        // While a mode request runs, a click on a mode list opens nothing and changes
        // nothing: the focus goes to the first gas time box.
        rig.wb->Image->InjModeTarget = 3;
        rig.wb->Image->InjModeScope = 1;
        rig.wb->Image->InjModeIndex = 0;
        inj.Sync();
        QComboBox* list = inj.rows[2].CmbSelect;
        const int before = list->currentIndex();
        QTest::mouseClick(list, Qt::LeftButton);
        QVERIFY(!list->view()->isVisible());
        QCOMPARE(list->currentIndex(), before);
        QCOMPARE(rig.wb->Image->InjModeIndex, 0);
        QVERIFY(QApplication::focusWidget() != list);
        // Opening the window again drops the request, as its load does.
        inj.close();
        Button(rig, "CmdTpyInj")->click();
        QTRY_VERIFY(inj.isVisible());
        QCOMPARE(rig.wb->Image->InjModeTarget, -1);
    }

    void openingTheExpertWindowReadsTheErrors() {
        Rig rig({}, "0\r\n", Core());
        AttachSideWindows(*rig.win, *rig.ui, *rig.wb);
        SideWindows* side = SideWindowsOf(*rig.win);
        QVERIFY(Connected(rig));
        // After the display timer's first periodic read, the next is hundreds of ticks away.
        QTRY_VERIFY_WITH_TIMEOUT(rig.ecu->Responder().Count(CMD_READ_ERR) >= 1, 20000);
        const int reads = rig.ecu->Responder().Count(CMD_READ_ERR);
        Button(rig, "CmdExpert0")->click();
        QTRY_VERIFY(side->SetExpert()->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(rig.ecu->Responder().Count(CMD_READ_ERR), reads + 1, 2000);
    }

    void errorGridColoursItsStateColumns() {
        Rig rig(Language("English", "EN"), "0\r\n", Core());
        AttachSideWindows(*rig.win, *rig.ui, *rig.wb);
        FrmErrEcu& w = *SideWindowsOf(*rig.win)->ErrEcu();
        w.Open();
        QVERIFY(w.Grid->rowCount() > 0);
        for (int r = 0; r < w.Grid->rowCount(); ++r) {
            QCOMPARE(w.Grid->item(r, 1)->background().color(), QColor(0xFF, 0x80, 0x80));  // &H8080FF
            QCOMPARE(w.Grid->item(r, 2)->background().color(), QColor(0xFF, 0xFF, 0xC0));  // &HC0FFFF
        }
    }

    void cancelInTheErrorsWindowHidesTheWarning() {
        Rig rig(Language("English", "EN"), "0\r\n", Core());
        rig.ecu->Errors().Add(1, 1, 0);
        AttachSideWindows(*rig.win, *rig.ui, *rig.wb);
        SideWindows* side = SideWindowsOf(*rig.win);
        QPushButton* warning = Button(rig, "CmdErrInj");
        QVERIFY(warning->isHidden());  // nothing read yet
        QVERIFY(Connected(rig));
        QTRY_VERIFY_WITH_TIMEOUT(!warning->isHidden(), 30000);
        QCOMPARE(warning->text(), QString("EN T+1"));
        warning->click();
        FrmErrEcu& w = *side->ErrEcu();
        QTRY_VERIFY(w.isVisible());
        QVERIFY(w.Grid->rowCount() > 0);
        QCOMPARE(w.Grid->rowCount(), int(w.Logic().Rows().size()));
        const int clears = rig.ecu->Responder().Count(CMD_CANC_ERR);
        rig.ecu->Errors().Clear();
        w.CmdErrInjCanc->click();
        QVERIFY(warning->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(rig.ecu->Responder().Count(CMD_CANC_ERR), clears + 1, 5000);
        QTest::keyClick(&w, Qt::Key_Escape);
        QTRY_VERIFY(!w.isVisible());
    }
};

int RunSideWindowsTest(int argc, char** argv) {
    SideWindowsTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "SideWindowsTest.moc"
