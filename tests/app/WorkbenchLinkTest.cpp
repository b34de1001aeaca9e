// The workbench's start-up and link against the simulated ECU: on virtual time through the
// in-process simulated medium, and on real time over a pseudo-terminal through the serial
// port backend against the simulator program.
#include <gtest/gtest.h>

#include <memory>

#include "app/Workbench.h"
#include "link/ModComm.h"
#include "link/ports/SystemPortProvider.h"
#include "sim/SimulatedEcuPort.h"
#include "support/SimPorts.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"
#include "hosts/SteadyHost.h"
#include "util/EventHost.h"

using namespace gw;

namespace {

struct SimRig {
    gwtest::TempDir dir;
    VirtualHost host{0};
    std::shared_ptr<SimEcu> ecu = std::make_shared<SimEcu>();
    gwtest::SimOnlyPorts ports{host, ecu};
    std::unique_ptr<Workbench> wb;

    SimRig() {
        dir.Write("BIN/SetCom.ini", "[SearchCom]\r\n255\r\n");
        wb = std::make_unique<Workbench>(host, ports, dir.Path());
        wb->Main();
        wb->Comm->Simulated = true;
    }
};

}  // namespace

TEST(WorkbenchLink, StartsOnTheSimulatedEcuAndKeepsTheLinkWithKeepAlives) {
    SimRig rig;
    rig.wb->OpenCommLog("09/12/2026");
    rig.host.Advance(30'000'000);
    EXPECT_EQ(rig.wb->LinkView->status.text1.rfind("COM OK", 0), 0u) << rig.wb->LinkView->status.text1;
    EXPECT_FALSE(rig.wb->Comm->WDogPresente);
    // A keep-alive after every 4 s of silence: 30 s hold 8 of them.
    EXPECT_EQ(rig.ecu->Responder().Count(9), 8);
    EXPECT_GE(rig.wb->Comm->TimeComSeconds(), 29.0);
    rig.wb->Shutdown();
    const std::string log = rig.dir.Read("BIN/RxTx.TXT");
    EXPECT_NE(log.find(" O  Software ver. 01.01.03"), std::string::npos);
    EXPECT_NE(log.find("\"CMD_GET_ECO\"\r\n"), std::string::npos);
}

// A port chosen on the command line never reaches the settings file: with no file, the
// first answer would otherwise store a fixed port with the search turned off; with a file,
// its search setting stays.
TEST(WorkbenchLink, APortChosenOnTheCommandLineLeavesTheSettingsFileAlone) {
    for (bool withFile : {false, true}) {
        SCOPED_TRACE(withFile);
        gwtest::TempDir dir;
        VirtualHost host{0};
        auto ecu = std::make_shared<SimEcu>();
        gwtest::SimOnlyPorts ports{host, ecu};
        const std::string settings = "[SearchCom]\r\n0\r\n";
        if (withFile) {
            dir.Write("BIN/SetCom.ini", settings);
        } else {
            dir.Write("BIN/.keep", "");
        }
        Workbench wb(host, ports, dir.Path());
        wb.Main();
        wb.UseCommandLinePort(CommandLinePort{true, false, 0});
        host.Advance(10'000'000);
        ASSERT_EQ(wb.LinkView->status.text1.rfind("COM OK", 0), 0u) << wb.LinkView->status.text1;
        EXPECT_GE(ecu->Responder().Count(9), 1);
        wb.Shutdown();
        EXPECT_EQ(dir.Exists("BIN/SetCom.ini"), withFile);
        if (withFile) {
            EXPECT_EQ(dir.Read("BIN/SetCom.ini"), settings);
        }
    }
}

// The start-up shows what its readers found wrong in the scale configuration, as the same
// boxes they always showed: one for the calibration parameters, however many bad values.
TEST(WorkbenchLink, StartUpShowsTheBoxOfABadCalibrationParameter) {
    gwtest::TempDir dir;
    VirtualHost host{0};
    auto ecu = std::make_shared<SimEcu>();
    gwtest::SimOnlyPorts ports{host, ecu};
    dir.Write("BIN/SetCom.ini", "[SearchCom]\r\n255\r\n");
    dir.Write("LNG/ConfigScale.ini", "[K_VBat_V]\r\n0,5\r\n[PARAMETRI DI TARATURA]\r\nl\r\n40000\r\nl\r\n-40000\r\n");
    Workbench wb(host, ports, dir.Path());
    wb.Main();
    EXPECT_DOUBLE_EQ(wb.Scale.K_VBat_V, 0.5);
    EXPECT_EQ(wb.Calib.WarmTempMin, CalibrationParameters{}.WarmTempMin);
    ASSERT_EQ(host.Messages().size(), 1u);
    const ShownMessage& m = host.Messages()[0];
    EXPECT_EQ(m.text, "Config calibration parameters errorErrorLeggiParametriTaratura_Err:\r\r6 - Overflow");
    EXPECT_EQ(m.title, wb.AppTitle + ": Error");
    EXPECT_EQ(m.icon, MsgIcon::Critical);
    wb.Shutdown();
}

TEST(WorkbenchLink, ResendsThroughAnswerFaultsAndRecoversFromAPulledCable) {
    SimRig rig;
    rig.host.Advance(1'000'000);
    ASSERT_FALSE(rig.wb->Comm->WDogPresente);

    // A spoilt answer is resent; the exchange still succeeds.
    ASSERT_TRUE(rig.ecu->Faults().AddByName("wrong-checksum:cmd=13,count=1"));
    const int before = rig.ecu->Responder().Count(13);
    EXPECT_TRUE(rig.wb->Comm->SendMsgWait(RequestMsg(13)));
    EXPECT_EQ(rig.ecu->Responder().Count(13) - before, 2);

    // Cable pulled for 60 s: the link is declared lost, then comes back by itself.
    rig.ecu->Faults().PullCable(rig.host.MicroClock(), 60'000'000);
    rig.host.Advance(55'000'000);
    EXPECT_TRUE(rig.wb->Comm->WDogPresente);
    EXPECT_GE(rig.wb->Comm->NumWDogSend, 1);
    rig.host.Advance(15'000'000);
    EXPECT_FALSE(rig.wb->Comm->WDogPresente);
    EXPECT_EQ(rig.wb->Comm->ComState, kComIdle);
}

TEST(WorkbenchLink, TalksToTheSimulatorProgramThroughARealSerialPort) {
    gwtest::SimProcess sim;
    if (sim.Path().empty()) GTEST_SKIP() << "gas-ecu-sim could not be started";
    gwtest::TempDir dir;
    dir.Write("BIN/ComPorts.ini", "[COM3]\r\n" + sim.Path() + "\r\n");
    dir.Write("BIN/SetCom.ini", "[Comport]\r\n3\r\n[UsbCom]\r\nFalse\r\n[SearchCom]\r\n255\r\n");
    SteadyHost host;
    SystemPortProvider ports(dir.Path(), dir.File("no-sysfs"));
    Workbench wb(host, ports, dir.Path());
    wb.Main();
    // Real time, bounded: the keep-alive is answered within a few hundred milliseconds.
    const double end = host.MicroClock() + 10'000'000;
    while ((wb.Comm->WDogPresente || wb.Comm->ComState != kComIdle) && host.MicroClock() < end)
        host.RunEventsUntil(host.MicroClock() + 10'000);
    ASSERT_FALSE(wb.Comm->WDogPresente) << ComCycle::StateText(wb.Comm->ComState);
    ASSERT_NE(wb.Comm->ActivePort(), nullptr);
    EXPECT_EQ(wb.Comm->ActivePort()->Kind(), PortKind::Com);

    wb.Comm->LastAnswer.clear();
    ASSERT_TRUE(wb.Comm->SendMsgWait(RequestMsg(13)));  // block 2
    ASSERT_GE(wb.Comm->LastAnswer.size(), 6u);
    EXPECT_EQ(static_cast<unsigned char>(wb.Comm->LastAnswer[0]), 0x42);
    EXPECT_EQ(static_cast<unsigned char>(wb.Comm->LastAnswer[3]), 13);
    EXPECT_EQ(CheckSumMsg(wb.Comm->LastAnswer), 0);
    wb.Shutdown();
}
