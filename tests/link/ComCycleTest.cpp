#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "app/ConnectionPresenter.h"
#include "app/FrmInitLogic.h"
#include "link/ComCycle.h"
#include "link/ModComm.h"
#include "support/FakePort.h"
#include "support/GoldenFrames.h"
#include "support/TempDir.h"
#include "util/EventHost.h"

using namespace gw;
using namespace gwtest;

namespace {

// The link with its cycle on a 1 ms virtual timer, as the main window runs it.
struct CycleRig {
    TempDir dir;
    VirtualHost host{0};
    FakePortProvider ports{host};
    ClsComm comm{host, ports, dir.Path()};
    ComCycle cycle{comm};
    ConnectionPresenter view{cycle, comm};
    std::unique_ptr<Timer> timer1, timer2;
    Connection timersSwitched;
    std::vector<std::string> texts0, texts1;  // status fields, each change recorded
    bool writePending = false;

    explicit CycleRig(const std::string& setCom = {}) {
        if (!setCom.empty()) dir.Write("BIN/SetCom.ini", setCom);
        dir.Write("BIN/.keep", "");
        comm.ReadSetCom("\\BIN\\SetCom.ini");
        timer1 = host.CreateTimer([this] {
            cycle.OnTimer1(writePending);
            Record();
        });
        timer1->SetIntervalMs(1);
        timer1->SetEnabled(true);
        // What the window shows also while the cycle waits inside a tick.
        timer2 = host.CreateTimer([this] { Record(); });
        timer2->SetIntervalMs(14);
        timer2->SetEnabled(true);
        timersSwitched = cycle.TimersSwitched.Connect([this](bool on) {
            timer1->SetEnabled(on);
            timer2->SetEnabled(on);
        });
    }
    void Record() {
        if (texts0.empty() || texts0.back() != view.status.text0) texts0.push_back(view.status.text0);
        if (texts1.empty() || texts1.back() != view.status.text1) texts1.push_back(view.status.text1);
    }
    void RunFor(double us) { host.Advance(us); }
    bool Saw1(const std::string& t) const { return std::find(texts1.begin(), texts1.end(), t) != texts1.end(); }
};

// An ECU that answers the keep-alive on this line.
void EcuOn(FakeLine& line) {
    line.AnswerWith([](const std::string& req) { return ComandoMsg(req) == 9 ? kEcoAnswer : std::string(); },
                    3000);
}

std::string FixedPort(int com) {
    return "[Comport]\r\n" + std::to_string(com) + "\r\n[UsbCom]\r\nFalse\r\n[SearchCom]\r\n 255 \r\n";
}

int CountFrames(const std::string& written, const std::string& frame) {
    int n = 0;
    for (size_t p = written.find(frame); p != std::string::npos; p = written.find(frame, p + 1)) ++n;
    return n;
}

}  // namespace

TEST(ComCycle, SearchWithoutSettingsFindsTheEcuOnCom3AndKeepsThatPort) {
    CycleRig rig;  // no SetCom.ini: search from the USB position
    ASSERT_EQ(rig.comm.FlagRicercaCom, 0);
    EcuOn(rig.ports.Com(3));
    rig.RunFor(60'000'000);
    ASSERT_FALSE(rig.comm.WDogPresente);
    EXPECT_EQ(rig.comm.ComPort(), 3);

    // The positions shown in turn, before the ECU on COM3 answered.
    std::vector<std::string> searched;
    for (const auto& t : rig.texts0)
        if (!t.empty()) searched.push_back(t);
    const std::string s = "SEARCH COMUNICATION PORT: ";
    ASSERT_GE(searched.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(searched.begin(), searched.begin() + 4),
              (std::vector<std::string>{s + "USB", s + "COM 1", s + "COM 2", s + "COM 3"}));

    // The first good keep-alive writes the settings (they were missing); acceptance by the
    // identity check ends the search on this port.
    rig.cycle.EcuAccepted();
    rig.RunFor(20'000);
    EXPECT_EQ(rig.view.status.text0, "");
    EXPECT_TRUE(rig.view.Menu().devChecked[3]);
    EXPECT_EQ([&] { const auto m = rig.view.Menu(); return std::count(m.devChecked.begin(), m.devChecked.end(), true); }(), 1);
    const std::string ini = rig.dir.Read("BIN/SetCom.ini");
    EXPECT_NE(ini.find("[Comport]\r\n3\r\n"), std::string::npos);
    EXPECT_NE(ini.find("[UsbCom]\r\nFalse\r\n"), std::string::npos);
    EXPECT_NE(ini.find("[SearchCom]\r\n 255 \r\n"), std::string::npos);
}

TEST(ComCycle, ASilentSearchPositionCostsOneAnswerWindowAndPosition9WrapsToUsb) {
    CycleRig rig;
    rig.comm.FlagRicercaCom = 9;
    rig.RunFor(1'000);  // opens COM9 and sends the keep-alive
    ASSERT_EQ(rig.ports.Com(9).requests, 1);
    rig.RunFor(4'200'000);  // the answer window (4 s + 0.1 s idle) expires, resends already used up?
    // With a fresh count a COM position gets all its resends; each costs one window.
    EXPECT_EQ(rig.comm.FlagRicercaCom, 9);
    rig.RunFor(4'100'000.0 * 11);
    EXPECT_EQ(rig.ports.Com(9).requests, 11);  // NumReSend + 1 transmissions
    // 9 -> 10: the open of "COM10" fails (no such name) and the search goes back to USB.
    rig.RunFor(1'000'000);
    EXPECT_EQ(rig.comm.FlagRicercaCom, 1);  // USB (no cable) failed too, now COM1
    const std::set<std::string> seen(rig.texts0.begin(), rig.texts0.end());
    EXPECT_TRUE(seen.count("SEARCH COMUNICATION PORT: COM 10"));
    EXPECT_TRUE(seen.count("SEARCH COMUNICATION PORT: USB"));
}

TEST(ComCycle, CablePulledOnAFixedPortGivesWdogThenClosedAndIniUntilItIsBack) {
    CycleRig rig(FixedPort(2));
    FakeLine& line = rig.ports.Com(2);
    EcuOn(line);
    rig.RunFor(200'000);
    ASSERT_FALSE(rig.comm.WDogPresente);
    ASSERT_EQ(rig.view.status.text1, "COM OK   ");

    // Pulled: the next keep-alive goes unanswered through all its resends.
    line.onRequest = nullptr;
    const int before = line.requests;
    rig.RunFor(4'000'000 + 11 * 4'100'000.0 + 50'000);
    EXPECT_EQ(line.requests - before, 11);
    EXPECT_TRUE(rig.Saw1("COM WDOG"));
    EXPECT_EQ(rig.comm.NumWDogSend, 1);
    line.present = false;  // the device is gone: opens fail
    rig.texts1.clear();
    rig.RunFor(3'000'000);
    EXPECT_TRUE(rig.Saw1("COM CLOSED"));
    EXPECT_TRUE(rig.Saw1("COM INI"));
    EXPECT_EQ(rig.comm.ComState == kComClosed || rig.comm.ComState == kComOpening, true);

    // Plugged back: the cycle reopens and the keep-alive is answered again.
    line.present = true;
    EcuOn(line);
    rig.RunFor(1'000'000);
    EXPECT_FALSE(rig.comm.WDogPresente);
    EXPECT_EQ(rig.comm.ComState, kComIdle);
    EXPECT_EQ(rig.comm.FlagRicercaCom, 255);  // a fixed port never starts a search
}

TEST(ComCycle, OffLineClosesWithinOneTickAndSendsNothingUntilAPortIsChosen) {
    CycleRig rig(FixedPort(1));
    FakeLine& line = rig.ports.Com(1);
    EcuOn(line);
    std::vector<std::uint8_t> hookStates;
    Connection down = rig.cycle.ClosedOrOffLine.Connect([&](std::uint8_t s) { hookStates.push_back(s); });
    rig.RunFor(200'000);
    ASSERT_EQ(rig.comm.ComState, kComIdle);

    rig.cycle.MnuOffLine_Click();
    EXPECT_TRUE(rig.view.Menu().offLineChecked);
    rig.RunFor(1'000);
    EXPECT_EQ(rig.view.status.text1, "COM STOP");
    EXPECT_EQ(rig.view.status.back1, kColRed);
    EXPECT_FALSE(line.isOpen);
    EXPECT_TRUE(rig.cycle.OffLine);
    EXPECT_FALSE(hookStates.empty());
    EXPECT_EQ(hookStates.back(), kComOffLine);
    const int sent = line.requests;
    rig.RunFor(20'000'000);
    EXPECT_EQ(line.requests, sent);

    rig.cycle.MnuDevCom_Click(1);
    rig.RunFor(1'000'000);
    EXPECT_FALSE(rig.cycle.OffLine);
    EXPECT_FALSE(rig.view.Menu().offLineChecked);
    EXPECT_TRUE(rig.view.Menu().devChecked[1]);
    EXPECT_GT(line.requests, sent);
    EXPECT_EQ(rig.comm.ComState, kComIdle);
}

TEST(ComCycle, KeepAliveEveryFourSecondsOfSilenceButNotWhileProgramming) {
    CycleRig rig(FixedPort(1));
    FakeLine& line = rig.ports.Com(1);
    EcuOn(line);
    rig.RunFor(100'000);
    ASSERT_EQ(CountFrames(line.written, kEcoRequest), 1);
    // Silence is counted from each answer (about 0.1 s after its request): 4.1, 8.2, 12.3 s.
    rig.RunFor(12'100'000);
    EXPECT_EQ(CountFrames(line.written, kEcoRequest), 3);
    rig.RunFor(300'000);
    EXPECT_EQ(CountFrames(line.written, kEcoRequest), 4);

    rig.comm.EcuState = 2;
    const int n = CountFrames(line.written, kEcoRequest);
    rig.RunFor(30'000'000);
    EXPECT_EQ(CountFrames(line.written, kEcoRequest), n);
}

TEST(ComCycle, UsbCablesAreTriedInTurnBeforeCom1) {
    CycleRig rig;
    rig.ports.SetUsbCount(2);
    rig.RunFor(2'000);
    ASSERT_EQ(rig.ports.Usb(0).opens, 1);
    // Silent cable 0: after its resends the search moves on, but the second cable comes
    // before COM1.
    rig.RunFor(12 * 4'100'000.0 + 1'000'000);
    EXPECT_EQ(rig.ports.Usb(1).opens, 1);
    EXPECT_EQ(rig.ports.Com(1).opens, 0);
}

TEST(ComCycle, StatusFieldsFollowTheStateTable) {
    CycleRig rig(FixedPort(1));
    struct Case { std::uint8_t state; const char* text; std::uint32_t back; std::uint32_t fore; };
    const Case cases[] = {
        {kComClosed, "COM CLOSED", kColRed, kColWhite}, {kComLost, "COM WDOG", kColRed, kColWhite},
        {kComOpening, "COM INI", kColGreen, kColBlack}, {kComOffLine, "COM STOP", kColRed, kColWhite},
        {42, "Text....", kColRed, kColWhite},
    };
    for (const auto& c : cases) {
        rig.comm.ComState = c.state;
        rig.view.AggiornaStatoCom(false);
        EXPECT_EQ(rig.view.status.text1, c.text);
        EXPECT_EQ(rig.view.status.back1, c.back) << c.text;
        EXPECT_EQ(rig.view.status.fore1, c.fore) << c.text;
    }
    // Idle keeps the colours it had; waiting rotates the dots.
    rig.comm.ComState = kComIdle;
    rig.view.AggiornaStatoCom(false);
    EXPECT_EQ(rig.view.status.text1, "COM OK   ");
    EXPECT_EQ(rig.view.status.back1, kColRed);
    rig.comm.ComState = kComWaiting;
    std::vector<std::string> dots;
    for (int i = 0; i < 4; ++i) {
        rig.view.AggiornaStatoCom(i < 2);
        dots.push_back(rig.view.status.text1);
        if (i < 2) {
            EXPECT_EQ(rig.view.status.text0, "UPGRADE");
        }
    }
    EXPECT_EQ(dots, (std::vector<std::string>{"COM OK.  ", "COM OK.. ", "COM OK...", "COM OK.  "}));
    EXPECT_EQ(rig.view.status.back1, kColGreen);
    EXPECT_EQ(rig.view.status.text0, "");
    EXPECT_EQ(rig.view.status.back0, kColButtonFace);
    EXPECT_EQ(PortMenu::Caption(0), " USB");
    EXPECT_EQ(PortMenu::Caption(1), " COM1");
    EXPECT_EQ(PortMenu::Caption(9), "  COM 9");
}

TEST(ComCycle, UpgradeFieldBlinksOnEveryTick) {
    CycleRig rig(FixedPort(1));
    std::vector<std::uint32_t> backs;
    for (int i = 0; i < 4; ++i) {
        rig.view.AggiornaStatoCom(true);
        backs.push_back(rig.view.status.back0);
    }
    EXPECT_EQ(backs, (std::vector<std::uint32_t>{kColRed, kColButtonFace, kColRed, kColButtonFace}));
}

TEST(ComCycle, ChoosingTheSimulatedEcuConnectsToItAndLeavesTheSettingsFile) {
    CycleRig rig(FixedPort(1));
    EcuOn(rig.ports.Sim());
    rig.RunFor(100'000);
    const std::string before = rig.dir.Read("BIN/SetCom.ini");
    rig.cycle.MnuSimulated_Click();
    rig.RunFor(1'000'000);
    EXPECT_TRUE(rig.ports.Sim().isOpen);
    EXPECT_FALSE(rig.ports.Com(1).isOpen);
    EXPECT_TRUE(rig.view.Menu().simulatedChecked);
    EXPECT_FALSE(rig.comm.WDogPresente);
    EXPECT_EQ(rig.dir.Read("BIN/SetCom.ini"), before);
    // A search forgets the simulator.
    rig.cycle.MnuSearcCom_Click();
    EXPECT_FALSE(rig.comm.Simulated);
}

TEST(FrmInitLogic, ShowsSearchOrReadingAndHidesWhenOffLineOrDone) {
    FrmInitLogic w("Reading ECU data...");
    w.ElaboraMsgCom(false, true, false);
    EXPECT_TRUE(w.visible);
    EXPECT_TRUE(w.timerEnabled);
    w.OnTimer();
    EXPECT_EQ(w.LblMsg, "SEARCH COM");
    w.ElaboraMsgCom(false, false, true);
    w.OnTimer();
    EXPECT_EQ(w.LblMsg, "Reading ECU data...");
    w.ElaboraMsgCom(false, false, false);
    EXPECT_FALSE(w.visible);
    EXPECT_EQ(w.LblMsg, "");
    w.ElaboraMsgCom(false, true, false);
    w.ElaboraMsgCom(true, true, false);
    EXPECT_FALSE(w.visible);
    w.SetTipoMessaggio(2);  // ignored
    EXPECT_EQ(w.TipoMessaggio(), 3);

    // The marker walks by a third of its width and turns at both ends.
    FrmInitLogic m;
    m.trackWidth = 1000;
    m.shapeWidth = 300;
    std::vector<int> lefts;
    for (int i = 0; i < 9; ++i) {
        m.OnTimer();
        lefts.push_back(m.shapeLeft);
    }
    EXPECT_EQ(lefts, (std::vector<int>{100, 200, 300, 400, 500, 600, 700, 600, 500}));
}
