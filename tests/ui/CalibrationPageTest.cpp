// The Calibration page over the core calibration on the simulated car: it takes the tab's
// place, Enter starts, Escape pauses and then cancels, and the page follows the core.
#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "ui/CalibrationPage.h"
#include "UiRig.h"

using namespace gw;
using namespace uitest;

class CalibrationPageTest : public QObject {
    Q_OBJECT

private slots:
    void keysStartPauseAndCancelThroughTheCore() {
        Rig rig({}, "0\r\n", Core());
        CalibrationUi ui(*rig.wb, rig.host, *rig.win, rig.ui->Scheduler(), rig.ecu.get());
        CalibrationPage* page = ui.Page();
        Calibration& core = ui.Core();
        QCOMPARE(rig.win->SstMain()->widget(FrmKD452::kTabCalibration), static_cast<QWidget*>(page));
        rig.win->SstMain()->setCurrentIndex(FrmKD452::kTabCalibration);
        QVERIFY(Connected(rig));
        QVERIFY(page->CmdCalStart->isEnabled());
        QVERIFY(!page->CmdCalCancel->isEnabled());
        QApplication::setActiveWindow(rig.win.get());
        page->CmdCalStart->setFocus();

        QTest::keyClick(rig.win.get(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(core.CalState() == Calibration::CalWarmUp, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(page->CmdCalCancel->isEnabled(), 5000);
        QCOMPARE(page->LblCalStep->text(), QString("\n") + QString::fromStdString(core.Texts().StepWord) + "00");
        QCOMPARE(rig.ecu->Memory().OperatingState(), 1);  // under the workbench's control

        QTest::keyClick(rig.win.get(), Qt::Key_Escape);
        QCOMPARE(core.CalState(), Calibration::CalPaused);
        QTRY_COMPARE_WITH_TIMEOUT(page->LblCalMsg->text().toStdString(),
                                  core.Texts().Paused1 + "\n" + core.Texts().Paused2, 5000);
        QVERIFY(page->CmdCalStart->isEnabled());

        QTest::keyClick(rig.win.get(), Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(core.CalState() == Calibration::CalIdle && !core.TimerEnabled(), 20000);
        QCOMPARE(rig.ecu->Memory().OperatingState(), 0);
        QVERIFY(!core.CalBackupTaken());
    }
};

int RunCalibrationPageTest(int argc, char** argv) {
    CalibrationPageTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "CalibrationPageTest.moc"
