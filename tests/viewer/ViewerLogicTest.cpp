// The viewer's rules on the virtual clock: the time-scale steps and labels, at least one
// channel always checked, the settings file read line by line, and a short recording of
// the simulated ECU that loads back as the samples the ECU sent.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/DisplayScheduler.h"
#include "support/SimPorts.h"
#include "support/TempDir.h"
#include "util/EventHost.h"
#include "viewer/ViewRecord.h"
#include "viewer/ViewerLogic.h"

using namespace gw;
using namespace gw::view;

namespace {

std::string ReadAll(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string s;
    if (!f) return s;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
    std::fclose(f);
    return s;
}

// The host side of the viewer: loads at once, remembers the busy texts, answers the save
// dialog with a fixed path.
struct FakeViewerHost : ViewerHost {
    ViewerLogic* logic = nullptr;
    std::string savePath;
    std::vector<std::string> busy;
    int loads = 0;
    std::string ChooseViewToSave(const std::string&) override { return savePath; }
    void ShowBusy(const std::string& text) override { busy.push_back(text); }
    void LoadCurrentFile() override {
        ++loads;
        const LoadRequest r = logic->Next();
        logic->Adopt(LoadLogWindow(r.path, r.offset, r.window, NumberLocale::Comma()));
    }
};

// A workbench on the simulated ECU with the display scheduler attached.
struct Rig {
    gwtest::TempDir dir;
    VirtualHost host{0};
    std::shared_ptr<SimEcu> ecu;
    std::unique_ptr<gwtest::SimOnlyPorts> ports;
    std::unique_ptr<Workbench> wb;
    std::unique_ptr<DisplayScheduler> sched;
    FakeViewerHost ui;
    std::unique_ptr<ViewerLogic> logic;

    explicit Rig(SimScenario scenario = SimScenario::Idle) {
        SimEcuOptions o;
        o.scenario = scenario;
        ecu = std::make_shared<SimEcu>(o);
        ports = std::make_unique<gwtest::SimOnlyPorts>(host, ecu);
        host.SetLocale(NumberLocale::Comma());
        const std::string src = GW_SOURCE_DIR;
        dir.Write("BIN/SetCom.ini", "[SearchCom]\r\n255\r\n");
        dir.Write("BIN/Flash.ini", ReadAll(src + "/data/BIN/Flash.ini"));
        dir.Write("BIN/Norvik512.frh", ReadAll(src + "/data/BIN/Norvik512.frh"));
        dir.Write("LNG/ConfigScale.ini", ReadAll(src + "/data/LNG/ConfigScale.ini"));
        wb = std::make_unique<Workbench>(host, *ports, dir.Path());
        sched = std::make_unique<DisplayScheduler>(*wb, *wb->Image, *wb->Check);
        sched->Attach();
        wb->Main();
        wb->UseCommandLinePort(CommandLinePort{true, false, 0});
        logic = std::make_unique<ViewerLogic>(*wb, ui);
        ui.logic = logic.get();
    }
};

}  // namespace

TEST(ViewerTimeScale, StepsFromEveryValueBothWays) {
    struct Case {
        double from, up, down;
        const char* label;
    };
    const Case cases[] = {{0.5, 1, 1, "0,50 s"}, {1, 2, 1, "1,00 s"},   {1.5, 2, 1, "1,50 s"},
                          {2, 5, 1, "2,00 s"},   {5, 7.5, 2, "5,00 s"}, {7.5, 10, 5, "7,50 s"},
                          {10, 20, 7.5, "10,00 s"}, {15, 20, 10, "15,00 s"}, {20, 20, 10, "20,00 s"},
                          {30, 20, 20, "30,00 s"}};
    for (const Case& c : cases) {
        EXPECT_EQ(NextSecDiv(c.from), c.up) << c.from;
        EXPECT_EQ(PrevSecDiv(c.from), c.down) << c.from;
        EXPECT_EQ(SecDivLabel(c.from, ','), c.label) << c.from;
    }
    EXPECT_EQ(ZoomLabel(3.4, ','), "3");
    EXPECT_EQ(ZoomLabel(0.5, ','), "0,500");
    EXPECT_EQ(ZoomLabel(0.005, '.'), "0.005");
}

TEST(ViewerLogic, ButtonsFollowTheScaleAndItsFileIsWrittenOnEveryChange) {
    Rig rig;
    rig.logic->Load("10/12/2026");
    EXPECT_FALSE(rig.logic->CanSecDivM());
    for (double expected : {2.0, 5.0, 7.5, 10.0, 20.0, 20.0}) {
        rig.logic->SecDivP();
        EXPECT_EQ(rig.logic->SecDiv(), expected);
    }
    EXPECT_FALSE(rig.logic->CanSecDivP());
    EXPECT_TRUE(rig.logic->CanSecDivM());
    EXPECT_TRUE(rig.dir.Exists("LNG/OsciConfig.ini"));
    EXPECT_EQ(rig.dir.Read("LNG/OsciConfig.ini").substr(0, 13), "[T Inj Gas]\r\n");
}

TEST(ViewerLogic, TheLastCheckedChannelStaysCheckedWithNoCheck) {
    Rig rig;
    for (int c = 0; c < kChannels - 1; ++c) EXPECT_TRUE(rig.logic->ChkSignalClick(c, false));
    EXPECT_TRUE(rig.host.Messages().empty());
    EXPECT_FALSE(rig.logic->ChkSignalClick(kChannels - 1, false));
    ASSERT_EQ(rig.host.Messages().size(), 1u);
    EXPECT_EQ(rig.host.Messages()[0].text, "NO CHECK!");
    EXPECT_EQ(rig.host.Messages()[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(rig.logic->Checked()[kChannels - 1]);
    EXPECT_TRUE(rig.logic->ChkSignalClick(2, true));
    EXPECT_TRUE(rig.logic->ChkSignalClick(kChannels - 1, false));
}

TEST(OsciConfig, UnknownBlocksAreIgnoredLineByLineAndTheFileReadsBack) {
    const NumberLocale comma = NumberLocale::Comma();
    OsciSettings s;
    ParseOsciConfig("[SecDiv]\r\n7,5\r\n[ChannelSel]\r\n3\r\n"
                    "[Speed]\r\n255\r\n 9 \r\n[Rpm]\r\n65535\r\n 3 \r\n 1,5 \r\n 0,002 \r\n"
                    "[Lambda]\r\n255\r\nabc\r\n-0,5\r\n",
                    comma, s);
    const OsciSettings defaults;
    EXPECT_EQ(s.secDiv, 7.5);
    EXPECT_EQ(s.channelSel, 3);
    // "[Speed]" matches no caption: its lines are looked at one by one, so the "[Rpm]" among them starts a block.
    EXPECT_EQ(s.channels[kChRpm], (ChannelSettings{"65535", 3, 1.5, 0.002}));
    // A value that does not convert keeps what was there; a block cut short keeps the rest.
    EXPECT_EQ(s.channels[kChLambda], (ChannelSettings{"255", defaults.channels[kChLambda].setting, -0.5,
                                                      defaults.channels[kChLambda].zoom}));
    EXPECT_EQ(s.channels[kChGas], defaults.channels[kChGas]);

    OsciSettings back;
    ParseOsciConfig(OsciConfigText(s, comma), comma, back);
    EXPECT_EQ(back.channels, s.channels);
    EXPECT_NE(OsciConfigText(s, comma).find("[Rpm]\r\n65535\r\n 3 \r\n 1,5 \r\n 0,002 \r\n"), std::string::npos);
    EXPECT_FALSE(back.secDiv);  // the writer leaves the other keys out
}

TEST(ViewRecord, AShortRecordingOfTheSimulatedEcuLoadsBackWithItsSamples) {
    Rig rig(SimScenario::Drive);
    const std::string out = rig.dir.File("SAMPLES/drive.vfl");
    const RecordResult r = RecordView(*rig.wb, *rig.sched, 20, 60, out, "10/12/2026");
    ASSERT_TRUE(r.connected) << r.error;
    ASSERT_TRUE(r.saved) << r.error;
    EXPECT_GE(r.samples, 40u);  // about four live-value reads a second

    // The header carries the constants the samples are decoded with.
    const LogWindow w = LoadLogWindow(out, 0, 0, rig.host.Locale());
    ASSERT_EQ(w.set.samples.size(), r.samples);
    EXPECT_EQ(w.set.constants.K_gm, rig.wb->Image->K_Rpm);
    EXPECT_GT(w.set.constants.K_gm, 1);  // the ECU's own coils and cylinders were read first
    // The newest sample is what the image decoded last.
    const SampleRecord last = DecodeSample(w.set.samples.back(), w.set.constants, SampleScales::From(rig.wb->Scale));
    const Block1Record& b = rig.wb->Image->Block1;
    EXPECT_EQ(last.Rpm, b.Rpm);
    EXPECT_EQ(last.InjTimeGas, b.InjTimeGas);
    EXPECT_EQ(last.TempGas, b.TempGas);
    EXPECT_DOUBLE_EQ(last.LambdaV, b.LambdaV);
    // Compacted: no two answer lines in a row.
    EXPECT_EQ(CleanLogText(ReadAll(out)), ReadAll(out));
}

TEST(ViewerLogic, EndingARecordingAsksToSaveThenShowsWhatWasRecordedOnce) {
    for (const MsgAnswer answer : {MsgAnswer::Yes, MsgAnswer::No}) {
        Rig rig(SimScenario::Drive);
        rig.logic->Load("10/12/2026");
        ASSERT_TRUE(rig.logic->Recording());
        rig.host.Advance(15e6);
        const std::size_t live = rig.logic->Live().size();
        EXPECT_GE(live, 10u);
        rig.ui.savePath = rig.dir.File("SAMPLES/end.vfl");
        rig.host.QueueAnswer(answer);
        rig.logic->SetRecording(false, "10/12/2026");
        rig.host.Advance(200e3);
        ASSERT_FALSE(rig.host.Messages().empty());
        EXPECT_EQ(rig.host.Messages().back().text, "DO YOU WANT SAVE LAST DATA?");
        EXPECT_EQ(rig.ui.loads, 1);
        const bool yes = answer == MsgAnswer::Yes;
        EXPECT_EQ(rig.dir.Exists("SAMPLES/end.vfl"), yes);
        EXPECT_EQ(rig.logic->CurrentFile(), yes ? rig.ui.savePath : rig.logic->LiveLogPath());
        EXPECT_EQ(rig.logic->Caption(), yes ? "View 1.1 - [" + rig.ui.savePath + "]" : std::string("View"));
        // Every live sample is in the file shown (the last answer may have come after the end).
        EXPECT_GE(rig.logic->Shown().set.samples.size(), live);
    }
}
