// Window tests on the offscreen platform: the main window on the simulated ECU (pages,
// keys, port menu and status bar, closing, service mode, language and dictionary check),
// the bar gauge, the information window and the Qt host's waits.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QApplication>
#include <QStandardPaths>
#include <QTest>
#include <memory>

#include "app/AboutText.h"
#include "app/Workbench.h"
#include "link/ports/SystemPortProvider.h"
#include "sim/SimulatedEcuPort.h"
#include "ui/FrmKD452.h"
#include "ui/FrmStartUp.h"
#include "ui/QtHost.h"
#include "ui/QtText.h"
#include "ui/UCtrlBar.h"
#include "UiRig.h"

using namespace gw;
using namespace uitest;


class UiTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnGeneralWithBuiltInCaptions() {
        Rig rig;  // no dictionary: the design captions
        QCOMPARE(rig.win->SstMain()->currentIndex(), int(FrmKD452::kTabGeneral));
        QCOMPARE(rig.win->SstMain()->tabText(FrmKD452::kTabGeneral), QString("General - F2"));
        QCOMPARE(rig.win->SstMain()->tabText(FrmKD452::kTabCalibration), QString("Calibration - F5"));
        QCOMPARE(rig.win->General()->LblParRpm->text(), QString("R.P.M."));
        QCOMPARE(rig.win->windowTitle(), QString("Gas ECU Workbench -  Software ver. 01.01.03"));
        QVERIFY(!rig.win->FrmParametri()->isVisible());
        QCOMPARE(rig.win->General()->InjPetBar[0]->Segments(), 21);
        QCOMPARE(rig.win->MnuLngT().size(), size_t(1));
        QVERIFY(rig.win->MnuSimulated()->isChecked());
    }

    void viewKeysSelectPagesAndTheParametersFrame() {
        Rig rig;
        rig.win->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.win.get()));
        QCOMPARE(rig.win->MnuViewTab(1)->shortcut(), QKeySequence(Qt::Key_F3));
        QTest::keyClick(rig.win.get(), Qt::Key_F3);
        QTRY_COMPARE(rig.win->SstMain()->currentIndex(), int(FrmKD452::kTabConfiguration));
        QTest::keyClick(rig.win.get(), Qt::Key_F5);
        QTRY_COMPARE(rig.win->SstMain()->currentIndex(), int(FrmKD452::kTabCalibration));
        QVERIFY(rig.win->FrmParametri()->isVisible());
        const struct { Qt::Key key; int tab; bool frame; } cases[] = {
            {Qt::Key_F6, FrmKD452::kTabModeling, true}, {Qt::Key_F7, FrmKD452::kTabMap, true},
            {Qt::Key_F2, FrmKD452::kTabGeneral, false}};
        for (const auto& c : cases) {
            QTest::keyClick(rig.win.get(), c.key);
            QTRY_COMPARE(rig.win->SstMain()->currentIndex(), c.tab);
            QCOMPARE(rig.win->FrmParametri()->isVisible(), c.frame);
        }
        // Configuration: the frame only on a tall window.
        rig.win->resize(1000, 600);
        rig.win->SelectMenuPage(1);
        QVERIFY(!rig.win->FrmParametri()->isVisible());
        rig.win->resize(1000, 700);
        QTRY_VERIFY(rig.win->FrmParametri()->isVisible());
    }

    void simulatedEcuAnswersAndOffLineStopsTheLink() {
        Rig rig;
        QTRY_VERIFY_WITH_TIMEOUT(rig.win->StatusText(1).startsWith("COM OK"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.wb->Comm->WDogPresente, 10000);
        rig.win->MnuOffLine()->trigger();
        QTRY_COMPARE(rig.win->StatusText(1), QString("COM STOP"));
        QCOMPARE(rig.wb->Comm->ComState, std::uint8_t(kComOffLine));
        QVERIFY(!rig.wb->Comm->IsOpen());
        QCOMPARE(rig.win->StatusField(1)->palette().color(QPalette::Window), QColor(255, 0, 0));
        QVERIFY(rig.win->MnuOffLine()->isChecked());
        QVERIFY(!rig.win->MnuSimulated()->isChecked());
        for (int i = 0; i < PortMenu::kItems; ++i) QVERIFY(!rig.win->MnuDevCom(i)->isChecked());
        // Back on the simulated ECU.
        rig.win->MnuSimulated()->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(rig.win->StatusText(1).startsWith("COM OK"), 10000);
        QVERIFY(!rig.win->MnuOffLine()->isChecked());
    }

    void searchShowsTheWaitingWindowUntilOffLine() {
        Rig rig;
        rig.win->MnuSearcCom()->trigger();
        QVERIFY(rig.win->MnuDevCom(0)->isChecked());
        QTRY_VERIFY(rig.win->WaitingWindow()->isVisible());
        QTRY_COMPARE(rig.win->WaitingWindow()->LblMsg()->text(), QString("SEARCH COM"));
        QTRY_VERIFY(rig.win->StatusText(0).startsWith("SEARCH COMUNICATION PORT: "));
        rig.win->MnuOffLine()->trigger();
        QTRY_VERIFY(!rig.win->WaitingWindow()->isVisible());
    }

    void closingUnloadsCleanly() {
        Rig rig;
        QTRY_VERIFY_WITH_TIMEOUT(rig.wb->Comm->IsOpen(), 5000);
        rig.win->close();
        QTRY_VERIFY(rig.win->Unloaded());
        QVERIFY(!rig.win->isVisible());
        QVERIFY(!rig.wb->Timer1->Enabled());
        QVERIFY(!rig.wb->Timer2->Enabled());
        QVERIFY(!rig.wb->Comm->IsOpen());
        QVERIFY(!rig.wb->Comm->Log().IsOpen());
        QCOMPARE(rig.wb->Comm->ComState, std::uint8_t(kComOffLine));
    }

    void closingDuringATickWaitsForItsEnd() {
        Rig rig;
        QTRY_VERIFY_WITH_TIMEOUT(rig.wb->Comm->IsOpen(), 5000);
        rig.wb->Cycle->CommBusy = true;  // as if a communication tick were running
        rig.win->close();
        QVERIFY(rig.wb->ExitRequested);
        QTest::qWait(100);  // several display ticks come and go
        QVERIFY(!rig.win->Unloaded());
        QVERIFY(rig.win->isVisible());
        QVERIFY(rig.wb->Comm->IsOpen());  // the exchange is not cut
        rig.wb->Cycle->CommBusy = false;
        QTRY_VERIFY(rig.win->Unloaded());
        QVERIFY(!rig.wb->Comm->IsOpen());
    }

    void escMenuClosesOnTheNextDisplayTick() {
        Rig rig;
        rig.win->findChild<QAction*>("MnuFileEsc")->trigger();
        QTRY_VERIFY(rig.win->Unloaded());
        QTRY_VERIFY(!rig.win->isVisible());  // the close is queued after the unload
    }

    void ctrlShiftAltXTogglesServiceMode() {
        Rig rig;
        QWidget* focus = rig.win->General()->CmbInj;
        QVERIFY(!rig.win->ServiceMode());
        QVERIFY(!rig.win->General()->CkbStatoEcu->isVisibleTo(rig.win.get()));
        QTest::keyRelease(focus, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier);  // not all three
        QVERIFY(!rig.win->ServiceMode());
        QTest::keyRelease(focus, Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        QVERIFY(rig.win->ServiceMode());
        QVERIFY(rig.wb->Comm->ServiceMode);
        QVERIFY(rig.win->General()->CkbStatoEcu->isVisibleTo(rig.win.get()));
        QVERIFY(rig.win->General()->CkbStatoAlim->isVisibleTo(rig.win.get()));
        QVERIFY(!rig.win->Config()->CmdExpert0->isHidden());
        QTest::keyRelease(rig.win.get(), Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        QVERIFY(!rig.win->ServiceMode());
        QVERIFY(rig.win->Config()->CmdExpert0->isHidden());
    }

    void captionsComeFromTheirDictionaryPositions() {
        Rig rig(Language("English", "EN") + Language("Italiano", "IT"));
        FrmKD452& w = *rig.win;
        QCOMPARE(w.windowTitle(), QString("EN Bench -  Software ver. 01.01.03"));
        QCOMPARE(rig.wb->AppTitle, std::string("EN Bench"));
        QCOMPARE(w.SstMain()->tabText(FrmKD452::kTabGeneral), QString("EN General"));
        QCOMPARE(w.MnuViewTab(0)->text(), QString("EN General"));
        QCOMPARE(w.MnuViewTab(1)->text(), QString("EN Configuration"));
        QCOMPARE(w.General()->LblParRpm->text(), QString("EN RPM"));
        QCOMPARE(w.ErrorTexts().size(), size_t(3));
        QCOMPARE(w.Captions().Terminator(), 75);
        QCOMPARE(w.General()->CmdErrInj->text(), QString("EN T+1"));
        QCOMPARE(w.Config()->FrmSwitch->title(), QString("EN T+7"));
        QCOMPARE(w.Config()->CmdReserVar->text(), QString("EN T+28"));
        QCOMPARE(w.FrmParametri()->LblCalLambda->text(), QString("EN T+53"));
        QCOMPARE(w.MnuLngT().size(), size_t(2));
        QCOMPARE(w.MnuLngT()[1]->text(), QString("Italiano"));
    }

    void choosingTheCurrentLanguageReappliesWithoutWriting() {
        // Further lines of the current-language file are ignored, so a rewrite shows.
        Rig rig(Language("English", "EN") + Language("Italiano", "IT"), "0\r\nkept\r\n");
        FrmKD452& w = *rig.win;
        w.General()->LblParRpm->setText("changed");
        w.MnuLngT()[0]->trigger();
        QCOMPARE(w.General()->LblParRpm->text(), QString("EN RPM"));
        QCOMPARE(ReadFile(rig.Path("LNG/M3.con")), std::string("0\r\nkept\r\n"));
        QVERIFY(w.MnuLngT()[0]->isChecked());

        w.MnuLngT()[1]->trigger();
        QCOMPARE(w.General()->LblParRpm->text(), QString("IT RPM"));
        QCOMPARE(w.SstMain()->tabText(FrmKD452::kTabConfiguration), QString("IT Configuration"));
        QVERIFY(w.windowTitle().startsWith("IT Bench - "));
        QCOMPARE(ReadFile(rig.Path("LNG/M3.con")), std::string("1\r\n"));
        QVERIFY(w.MnuLngT()[1]->isChecked());
        QVERIFY(!w.MnuLngT()[0]->isChecked());
    }

    void unequalDictionaryIsReportedOnce() {
        Rig rig(Language("English", "EN") + Language("Italiano", "IT", 1));
        rig.win->CheckDictionary();
        rig.win->activateWindow();
        QTest::qWait(50);
        rig.win->CheckDictionary();
        QCOMPARE(rig.host.Messages().size(), size_t(1));
        QCOMPARE(rig.host.Messages()[0].text, std::string("Dictionary error: Italiano"));
        QCOMPARE(rig.host.Messages()[0].icon, MsgIcon::Critical);
    }

    void barGaugeSegments() {
        UCtrlBar bar;
        bar.resize(210, 12);
        bar.Configura(21, 0, 1, 0x8000000F, 0, 0);
        QCOMPARE(bar.Segments(), 21);
        QCOMPARE(bar.SegmentWidthPx(), 10);
        bar.SetValore(5);
        for (int i = 0; i < 21; ++i) QCOMPARE(bar.SegmentLit(i), i < 5);
        QCOMPARE(bar.Valore(), 5);
        bar.SetValore(-3);
        QCOMPARE(bar.Valore(), 0);
        bar.SetValore(40);
        QCOMPARE(bar.Valore(), 21);

        bar.Configura(10, 0, 1, 0, 0xFF00, 2);  // pointer mode
        const struct { int v; int lit; } pointer[] = {{3, 3}, {15, 9}, {-1, 0}, {0, 0}};
        for (const auto& c : pointer) {
            bar.SetValore(c.v);
            for (int i = 0; i < 10; ++i) QCOMPARE(bar.SegmentLit(i), i == c.lit);
        }

        bar.Configura(5, 10, 3, 0, 0, 0);  // max below min: no segments, still usable
        QCOMPARE(bar.MaxVal(), 10);
        QCOMPARE(bar.StepVal(), 1);
        QCOMPARE(bar.Segments(), 0);
        bar.SetValore(4);
        QCOMPARE(bar.Valore(), 0);
        bar.Configura(100, 0, 30, 0, 0, 0);  // a step value of 30 gives 3 segments, value / step
        QCOMPARE(bar.Segments(), 3);
        bar.SetValore(65);
        QCOMPARE(bar.Valore(), 60);
        bar.resize(105, 12);  // 35 px each; a width that does not divide rounds half to even
        QCOMPARE(bar.SegmentWidthPx(), 35);
        bar.resize(100, 12);
        QCOMPARE(bar.SegmentWidthPx(), 33);
    }

    void informationWindowBlinksOnlyWhileTheButtonShows() {
        Rig rig;
        FrmStartUp about(rig.win.get(), *rig.wb);
        about.Fill("text", false);
        about.show();
        QVERIFY(about.Blinking());
        about.OnTimer();
        QVERIFY(!about.UpdateLit());  // hidden button: nothing blinks
        about.Fill("text", true);
        about.OnTimer();
        QVERIFY(about.UpdateLit());
        QCOMPARE(about.CmdUpdateFrm->palette().color(QPalette::Button), QColor(255, 128, 0));
        about.OnTimer();
        QVERIFY(!about.UpdateLit());
        rig.wb->RequestsEnabled = true;
        about.CmdUpdateFrm->click();
        QVERIFY(rig.wb->FirmwareUpdateRequested);
        QVERIFY(!rig.wb->RequestsEnabled);
        QVERIFY(!about.isVisible());
        QVERIFY(!about.Blinking());
    }

    void aboutTextInItsOrder() {
        AboutInfo i;
        i.labels = {"ECU: ", "File: ", "H2: ", "H1: "};
        i.ecuDate = "01/02/2020";
        i.ecuVersion = "130";
        i.fileDate = "03/04/2021";
        i.fileVersion = "131";
        i.minutes2 = 150.5;  // 150 (half to even) -> 2 h
        i.minutes1 = 59.6;   // 60 -> 1 h
        i.osLine = "Windows version: Linux 6 build 1 (x)";
        QCOMPARE(AboutText(i), std::string("\n Software ver. 01.01.03\n\nECU: 01/02/2020 - 130\n"
                                           "File: 03/04/2021 - 131\n\nH2: 2\nH1: 1\n\n\n"
                                           "Windows version: Linux 6 build 1 (x)"));
        QCOMPARE(WorkingHours(-5), 0L);
        QCOMPARE(WorkingHours(179.4), 2L);
    }

    void hostWaitsLetTimersRun() {
        QtHost host;
        int ticks = 0;
        auto t = host.CreateTimer([&] { ++ticks; });
        t->SetIntervalMs(1);
        t->SetEnabled(true);
        const double deadline = host.MicroClock() + 30'000;
        host.RunEventsUntil(deadline);
        QVERIFY(host.MicroClock() >= deadline);
        QVERIFY(ticks > 0);
        t->SetEnabled(false);
        QVERIFY(!t->Enabled());
        const double before = host.MicroClock();
        host.DoEvents();  // nothing due: returns after its short wait
        QVERIFY(host.MicroClock() - before < 1e6);
        QCOMPARE(NumberLocaleFrom(QLocale(QLocale::Italian)).decimal, ',');
        QCOMPARE(NumberLocaleFrom(QLocale(QLocale::English)).decimal, '.');
        QCOMPARE(ToQ("\xB0" "C"), QString::fromUtf8("\xC2\xB0" "C"));  // a code-page byte
        QCOMPARE(ColorOf(0xFFFF00), QColor(0, 255, 255));
    }
};

int RunWorkbenchUiTest(int argc, char** argv);
int RunSideWindowsTest(int argc, char** argv);
int RunLanguageTest(int argc, char** argv);
int RunCalibrationPageTest(int argc, char** argv);
int RunFrmViewTest(int argc, char** argv);
int RunModelPageTest(int argc, char** argv);
int RunMapPageWidgetTest(int argc, char** argv);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("gas-workbench-test");
    QStandardPaths::setTestModeEnabled(true);
    UiTest ui;
    const int a = QTest::qExec(&ui, argc, argv);
    const int b = RunWorkbenchUiTest(argc, argv);
    const int c = RunSideWindowsTest(argc, argv);
    const int d = RunLanguageTest(argc, argv);
    const int e = RunModelPageTest(argc, argv);
    const int f = RunMapPageWidgetTest(argc, argv);
    const int g = RunCalibrationPageTest(argc, argv);
    const int h = RunFrmViewTest(argc, argv);
    return a != 0 ? a : b != 0 ? b : c != 0 ? c : d != 0 ? d : e != 0 ? e : f != 0 ? f : g != 0 ? g : h;
}

#include "UiTest.moc"
