// Window tests of the main window bound to its core: a choice on the Configuration page
// reaching the simulated ECU and reading back, a language chosen again re-applying the
// captions without writing anything, and the firmware upgrade window taking an ECU with
// an older firmware to the image's identity, driven through its buttons.
#include <QApplication>
#include <cmath>
#include <QComboBox>
#include <QTest>

#include "link/Commands.h"
#include "ui/FrmUpdate.h"
#include "UiRig.h"
#include "util/EventHost.h"

using namespace gw;
using namespace uitest;


class WorkbenchUiTest : public QObject {
    Q_OBJECT

private slots:
    void switchOverTemperatureReachesTheEcuAndReadsBack() {
        Rig rig({}, "0\r\n", Core());
        QVERIFY(Connected(rig));
        QComboBox* temp = rig.win->Config()->CmbSwtchTemp;
        const ComboList& list = rig.ui->ConfigLogic().List(ConfigList::CmbSwtchTemp);
        QVERIFY(temp->count() > 2);
        QCOMPARE(temp->count(), list.Count());
        QCOMPARE(temp->currentIndex(), list.selected);
        const int pick = temp->currentIndex() == 1 ? 2 : 1;
        const int value = static_cast<int>(list.data[static_cast<size_t>(pick)]);
        QVERIFY(SimMemory::U16(rig.ecu->Memory().block3, 2) != value);

        temp->setCurrentIndex(pick);
        emit temp->activated(pick);  // as the user's choice
        QTRY_COMPARE_WITH_TIMEOUT(int(SimMemory::U16(rig.ecu->Memory().block3, 2)), value, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(int(rig.wb->Image->Block3.SwtchTemp), value, 10000);
        QVERIFY(rig.ecu->Responder().Count(CMD_WRT_MEM3) >= 1);
        // Later refreshes of the page keep the choice the ECU now holds.
        QTest::qWait(1000);
        QCOMPARE(temp->currentIndex(), pick);
    }

    // Save configuration is refused (with a box, before any dialog) until the ECU's table is
    // read; then the file carries the ECU's own table, and loading it back leaves it as it was.
    void savedConfigurationCarriesTheEcusCorrectionTable() {
        Rig rig({}, "0\r\n", Core());
        SimMemory& mem = rig.ecu->Memory();
        for (int k = 0; k < 184; ++k) mem.corTable[static_cast<size_t>(k)] = static_cast<std::int16_t>(k % 7 - 2);
        mem.corTable[184] = 312;  // Offset 0.312 ms
        const auto ecuTable = mem.corTable;

        rig.win->MnuFileSaveConf_Click();
        QVERIFY(!rig.host.Messages().empty());
        QVERIFY(rig.host.Messages().back().text.find("correction table") != std::string::npos);

        QVERIFY(Connected(rig));
        QVERIFY(rig.wb->Image->CorTableKnown);
        const std::string path = rig.Folder() + "/saved.var";
        QVERIFY(rig.win->SaveConfiguration(path));
        const std::string text = ReadFile(QString::fromStdString(path));
        size_t at = text.find("[COR]\r\n");
        QVERIFY(at != std::string::npos);
        at += 7;
        for (int k = 0; k < 192; ++k) {
            const size_t end = text.find("\r\n", at);
            const auto v = rig.host.Locale().Parse(text.substr(at, end - at));
            QVERIFY(v.has_value());
            const double raw = ecuTable[static_cast<size_t>(k)];
            const double expected = k < 184 ? raw * 0.008 : k < 186 ? raw / 1000 : raw;
            QVERIFY2(std::fabs(*v - expected) < 1e-9, std::to_string(k).c_str());
            at = end + 2;
        }

        const int writes = rig.ecu->Responder().Count(CMD_WRT_TBL_COR);
        rig.wb->PendingConfigFile = path;
        QTRY_VERIFY_WITH_TIMEOUT(rig.wb->PendingConfigFile.empty(), 20000);
        QCOMPARE(rig.ecu->Responder().Count(CMD_WRT_TBL_COR), writes + 4);
        QVERIFY(mem.corTable == ecuTable);
    }

    void choosingTheCurrentLanguageAgainWritesNothing() {
        Rig rig(Language("English", "EN") + Language("Italiano", "IT"), "0\r\nkept\r\n", Core());
        QVERIFY(Connected(rig));
        QTRY_VERIFY_WITH_TIMEOUT(rig.wb->Image->Block3WriteRequest == 0 &&
                                     !rig.wb->Image->Requests.Block3WritePending,
                                 5000);
        const int writes = rig.ecu->Responder().Count(CMD_WRT_MEM3);
        FrmKD452& w = *rig.win;
        QComboBox* temp = w.Config()->CmbSwtchTemp;
        const int selected = temp->currentIndex();
        QVERIFY(selected >= 0);
        w.General()->LblParRpm->setText("changed");
        w.Config()->FrmSwitch->setTitle("changed");
        w.MnuLngT()[0]->trigger();
        QCOMPARE(w.General()->LblParRpm->text(), QString("EN RPM"));
        QCOMPARE(w.Config()->FrmSwitch->title(), QString("EN T+7"));
        QCOMPARE(temp->currentIndex(), selected);  // lists refilled, selection from the ECU
        QCOMPARE(ReadFile(rig.Path("LNG/M3.con")), std::string("0\r\nkept\r\n"));
        QCOMPARE(rig.wb->Image->Block3WriteRequest, 0.0);
        QCOMPARE(rig.wb->Image->Block5WriteRequest, 0.0);
        QTest::qWait(500);
        QCOMPARE(rig.ecu->Responder().Count(CMD_WRT_MEM3), writes);
    }

    void upgradeWindowTakesAnOlderEcuToTheNewFirmware() {
        // On virtual time: the flash write's zones and waits take no real time.
        QTemporaryDir dir;
        for (const char* sub : {"BIN", "LNG"}) QDir(dir.path()).mkpath(sub);
        for (const char* f : {"BIN/Flash.ini", "BIN/Norvik512.frh", "LNG/ConfigScale.ini", "LNG/Default.Xar"})
            QVERIFY(QFile::copy(QString(GW_APP_DIR) + "/" + f, dir.path() + "/" + f));
        const std::string folder = dir.path().toStdString();
        VirtualHost host;
        SimEcuOptions o;
        o.identity = SimIdentity::OldFirmware();
        o.scenario = SimScenario::KeyOff;
        auto ecu = std::make_shared<SimEcu>(o);
        SystemPortProvider ports(
            folder, folder + "/sys", [&] { return std::make_unique<SimulatedEcuPort>(host, ecu); }, folder + "/dev");
        Workbench wb(host, ports, folder);
        wb.Main([&] {
            wb.Comm->FlagRicercaCom = 255;
            wb.Comm->Simulated = true;
        });
        const double giveUp = host.MicroClock() + 20e6;
        while (!(wb.Comm->IsOpen() && wb.Comm->ComState == kComIdle && !wb.Comm->WDogPresente) &&
               host.MicroClock() < giveUp)
            host.Advance(10'000);
        QVERIFY(wb.Comm->ComState == kComIdle);
        QVERIFY(wb.Check->LeggiIdentita());
        QVERIFY(wb.Check->Ecu().VersNum < wb.Check->Fle().VersNum);

        FrmUpdate w(nullptr, wb);
        w.show();
        const UpgradeTexts texts = UpgradeTextsFor(wb);
        QCOMPARE(w.LblMsg->text(), QString::fromStdString(texts.start));
        const FirmwareIdentity ecuBefore = wb.Check->Ecu(), file = wb.Check->Fle();
        QCOMPARE(w.LblRelEcu_Val->text(), QString::fromStdString(ecuBefore.VersStr + " - " + ecuBefore.DataStr));
        QCOMPARE(w.LblRelFle_Val->text(), QString::fromStdString(file.VersStr + " - " + file.DataStr));
        QVERIFY(w.CmdUpdate->isVisible() && w.CmdEsc->isVisible());
        QVERIFY(!w.BarTrack->isVisible());
        // The background alternates red and orange.
        QCOMPARE(w.palette().color(QPalette::Window), QColor(255, 0, 0));
        w.Logic().OnTimer1();
        QCOMPARE(w.palette().color(QPalette::Window), QColor(255, 128, 0));
        w.Logic().OnTimer1();
        QCOMPARE(w.palette().color(QPalette::Window), QColor(255, 0, 0));

        w.CmdUpdate->click();  // the engine stands: ready
        QCOMPARE(w.Logic().step, int(FirmwareUpgrade::kReady));
        QCOMPARE(w.LblMsg->text(), QString::fromStdString(texts.ready));
        w.CmdUpdate->click();  // the whole upgrade
        QCOMPARE(w.Logic().step, int(FirmwareUpgrade::kFinished));
        QCOMPARE(w.LblMsg->text(), QString::fromStdString(texts.done));
        QVERIFY(!w.CmdUpdate->isVisible());
        QVERIFY(w.CmdEsc->isVisible() && w.CmdEsc->isEnabled());
        QVERIFY(!w.BarTrack->isVisible());
        QVERIFY(w.Logic().zonesWritten > 0);
        QVERIFY(wb.RequestsEnabled);
        // The ECU now reports the image's identity, and the window says so.
        QCOMPARE(wb.Check->Ecu().VersNum, file.VersNum);
        QCOMPARE(w.LblRelEcu_Val->text(), w.LblRelFle_Val->text());
        QCOMPARE(w.LblBackBar->text(), QString(kPhaseEnd));

        w.CmdEsc->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(wb.RequestsEnabled);
        wb.Shutdown();
    }

    void escapeAsksOnceThenClosesWithoutRequests() {
        Rig rig;  // off the core: only the window and its wizard
        rig.wb->RequestsEnabled = true;
        FrmUpdate w(rig.win.get(), *rig.wb);
        w.show();
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QCOMPARE(w.Logic().step, int(FirmwareUpgrade::kConfirmExit));
        QVERIFY(!w.CmdUpdate->isVisible());
        QVERIFY(w.LblMsg->text().contains(QString::fromStdString(UpgradeTextsFor(*rig.wb).confirmExit)));
        w.close();  // the close box is the second "Esc"
        QVERIFY(!w.isVisible());
        QVERIFY(!rig.wb->RequestsEnabled);
    }
};

int RunWorkbenchUiTest(int argc, char** argv) {
    WorkbenchUiTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "WorkbenchUiTest.moc"
