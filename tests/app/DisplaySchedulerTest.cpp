// The display timer on virtual time against the simulated ECU: slot rates and start values,
// requests served only by S1, the identity check before the periodic reads, a block-3 edit
// going out and coming back, the link going off-line and back, and the fuel switch.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <vector>

#include "app/DisplayScheduler.h"
#include "link/Commands.h"
#include "model/CorrectionTables.h"
#include "model/VarFile.h"
#include "sim/SimulatedEcuPort.h"
#include "support/SimPorts.h"
#include "support/TempDir.h"
#include "util/EventHost.h"

using namespace gw;

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

// A workbench on the simulated ECU with its own image and identity check, the scheduler
// attached, and a record of which slots ran on which display tick.
struct Rig {
    gwtest::TempDir dir;
    VirtualHost host{0};
    std::shared_ptr<SimEcu> ecu = std::make_shared<SimEcu>();
    gwtest::SimOnlyPorts ports{host, ecu};
    std::unique_ptr<Workbench> wb;
    std::unique_ptr<ParameterImage> image;
    std::unique_ptr<FirmwareCheck> check;
    std::unique_ptr<DisplayScheduler> sched;

    int enabledTicks = 0;              // display ticks that found the ECU accepted
    std::vector<std::set<int>> slots;  // per enabled tick, the slots that ran
    int refreshes = 0;
    bool multipleRequestsInATick = false;
    std::vector<int> requestTicksWithoutS1;
    bool tickEnabled = false;
    int commandsBefore = 0;
    Connection beforeTick, afterTick, refreshed, slotRan;

    static int BlockCommands(SimEcu& e) {
        int n = 0;
        for (int c : {12, 13, 14, 16, 17, 48, 49, 50}) n += e.Responder().Count(c);
        return n;
    }

    explicit Rig(bool start = true) {
        const std::string src = GW_SOURCE_DIR;
        dir.Write("BIN/SetCom.ini", "[SearchCom]\r\n255\r\n");
        dir.Write("BIN/Flash.ini", ReadAll(src + "/data/BIN/Flash.ini"));
        dir.Write("BIN/Norvik512.frh", ReadAll(src + "/data/BIN/Norvik512.frh"));
        wb = std::make_unique<Workbench>(host, ports, dir.Path());
        image = std::make_unique<ParameterImage>(wb->Scale, *wb->Comm);
        check = std::make_unique<FirmwareCheck>(*wb->Comm, wb->Cycle.get());
        wb->Comm->SetAnswerSink(image.get());
        sched = std::make_unique<DisplayScheduler>(*wb, *image, *check);
        // Around each scheduler tick: one listener before it (connected first), one after.
        beforeTick = wb->DisplayTicked.Connect([this] {
            tickEnabled = wb->RequestsEnabled;
            if (tickEnabled) {
                ++enabledTicks;
                slots.emplace_back();
            }
            commandsBefore = BlockCommands(*ecu);
        });
        sched->Attach();
        afterTick = wb->DisplayTicked.Connect([this] {
            const int sent = BlockCommands(*ecu) - commandsBefore;
            if (sent > 1) multipleRequestsInATick = true;
            if (sent > 0 && (!tickEnabled || !slots.back().count(1))) requestTicksWithoutS1.push_back(enabledTicks);
        });
        refreshed = sched->RefreshedAfterRead.Connect([this] { ++refreshes; });
        slotRan = sched->SlotRan.Connect([this](int s) {
            if (!slots.empty()) slots.back().insert(s);
        });
        if (start) {
            wb->Main();
            wb->Comm->Simulated = true;
        }
    }

    // Runs until cond holds or maxUs of virtual time have passed.
    template <class F>
    bool RunUntil(F cond, double maxUs) {
        const double end = host.MicroClock() + maxUs;
        while (host.MicroClock() < end) {
            host.Advance(1000);
            if (cond()) return true;
        }
        return cond();
    }

    bool Ready() { return RunUntil([this] { return wb->RequestsEnabled && !sched->RefreshPending; }, 30'000'000); }
};

// First runs and periods of every slot over the display ticks the record holds.
std::vector<int> RunTicks(const std::vector<std::set<int>>& slots, int slot) {
    std::vector<int> ticks;
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].count(slot)) ticks.push_back(static_cast<int>(i) + 1);
    return ticks;
}

}  // namespace

TEST(DisplayScheduler, SlotsRunAtTheirRatesFromTheirStartValues) {
    Rig rig(false);  // no link: only the counters
    DisplayScheduler& s = *rig.sched;
    s.RefreshPending = false;

    // Not accepted: the identity check runs instead and no counter moves.
    for (int i = 0; i < 10; ++i) s.Tick();
    EXPECT_EQ(s.Counters, (std::array<double, 6>{3, 7, 17, 23, 53, 101}));

    struct Row {
        int slot, firstAtLoad, firstAfterOffLine, period;
    } table[] = {
        {1, 4, 4, 2}, {2, 8, 8, 5}, {3, 18, 18, 18}, {4, 24, 24, 24}, {5, 54, 54, 54}, {6, 102, 104, 504},
    };
    for (bool afterOffLine : {false, true}) {
        if (afterOffLine) s.OnClosedOrOffLine(kComOffLine);
        rig.wb->RequestsEnabled = true;
        s.RefreshPending = false;
        std::vector<std::set<int>> record;
        rig.slotRan = s.SlotRan.Connect([&](int slot) { record.back().insert(slot); });
        for (int t = 0; t < 1200; ++t) {
            record.emplace_back();
            s.Tick();
        }
        for (const Row& r : table) {
            const std::vector<int> ticks = RunTicks(record, r.slot);
            const int first = afterOffLine ? r.firstAfterOffLine : r.firstAtLoad;
            ASSERT_FALSE(ticks.empty()) << r.slot;
            EXPECT_EQ(ticks.front(), first) << "S" << r.slot << (afterOffLine ? " after off-line" : "");
            for (std::size_t i = 1; i < ticks.size(); ++i)
                ASSERT_EQ(ticks[i] - ticks[i - 1], r.period) << "S" << r.slot;
        }
    }
}

TEST(DisplayScheduler, IdentityCheckFirstThenEveryBlockReadThenThePeriodicReads) {
    Rig rig;
    DisplayScheduler& s = *rig.sched;
    std::vector<bool> dataToRead;
    rig.refreshed = s.RefreshedAfterRead.Connect([&] {
        ++rig.refreshes;
        // The blocks were all read before the refresh.
        EXPECT_GE(rig.ecu->Responder().Count(13), 1);
        EXPECT_GE(rig.ecu->Responder().Count(14), 1);
        EXPECT_GE(rig.ecu->Responder().Count(48), 1);
        EXPECT_GE(rig.ecu->Responder().Count(49), 1);
    });
    ASSERT_TRUE(rig.RunUntil([&] { return rig.wb->RequestsEnabled; }, 20'000'000));
    EXPECT_GE(rig.ecu->Responder().Count(CMD_READ_FIRMWARE), 1);
    EXPECT_EQ(rig.ecu->Responder().Count(CMD_READ_MEM1), 0);  // nothing polled before acceptance
    EXPECT_TRUE(s.EcuDataToRead());
    ASSERT_TRUE(rig.Ready());
    EXPECT_EQ(rig.refreshes, 1);
    EXPECT_FALSE(s.EcuDataToRead());

    // Then the periodic reads: block 1 every S2, block 2 every S4, blocks 3 and 5 every S5
    // (each exchange holds the display tick, so the line sets the pace).
    const int b1 = rig.ecu->Responder().Count(12), b2 = rig.ecu->Responder().Count(13),
              b3 = rig.ecu->Responder().Count(14), b5 = rig.ecu->Responder().Count(49);
    rig.host.Advance(10'000'000);
    const int n1 = rig.ecu->Responder().Count(12) - b1, n2 = rig.ecu->Responder().Count(13) - b2,
              n3 = rig.ecu->Responder().Count(14) - b3, n5 = rig.ecu->Responder().Count(49) - b5;
    EXPECT_GT(n3, 0);
    EXPECT_EQ(n5, n3);
    EXPECT_GT(n2, n3);
    EXPECT_GT(n1, n2);
    EXPECT_EQ(rig.refreshes, 1);
    EXPECT_GE(rig.ecu->Responder().Count(CMD_GET_ADR_VAR), 1);
    EXPECT_TRUE(rig.wb->Comm->RichiediIndVar);

    // The requests went out only on S1 slots, one at most per tick.
    EXPECT_TRUE(rig.requestTicksWithoutS1.empty()) << rig.requestTicksWithoutS1.front();
    EXPECT_FALSE(rig.multipleRequestsInATick);

    // The page got the live values.
    const GeneralView& v = s.View();
    EXPECT_NE(v.rpmText, "0000");
    EXPECT_EQ(v.injectors.columnVisible, (std::array<bool, 8>{true, true, true, true, false, false, false, false}));
    EXPECT_TRUE(v.lights.key.on);
    EXPECT_TRUE(v.lambda.visible);
    EXPECT_EQ(v.timeText.rfind("Time: 0:00:", 0), 0u);
}

TEST(DisplayScheduler, ABlock3EditIsWrittenAfterItsCountdownAndReadBack) {
    Rig rig;
    ASSERT_TRUE(rig.Ready());
    DisplayScheduler& s = *rig.sched;
    const int writes = rig.ecu->Responder().Count(CMD_WRT_MEM3);
    ASSERT_NE(rig.image->Block3.SwtchTemp, 45);
    ASSERT_FALSE(s.WritePending());

    rig.image->Block3Pending.SwtchTemp = 45;
    rig.image->Block3WriteRequest = 1;
    EXPECT_TRUE(s.WritePending());  // "UPGRADE" from the edit on
    // The countdown runs out on an S2 slot.
    ASSERT_TRUE(rig.RunUntil([&] { return rig.image->Block3WriteRequest == 0; }, 1'000'000));
    EXPECT_TRUE(rig.image->Requests.Block3WritePending);
    EXPECT_TRUE(s.WritePending());

    ASSERT_TRUE(rig.RunUntil([&] { return !s.WritePending() && !rig.image->Requests.Block3ReadRequest; }, 2'000'000));
    EXPECT_EQ(rig.ecu->Responder().Count(CMD_WRT_MEM3) - writes, 1);
    const auto& b3 = rig.ecu->Memory().block3;
    EXPECT_EQ(b3[2] | (b3[3] << 8), 45);     // in the ECU
    EXPECT_EQ(rig.image->Block3.SwtchTemp, 45);  // and read back
    EXPECT_EQ(rig.image->Block3Pending.SwtchTemp, kNoChangeInt);
}

TEST(DisplayScheduler, OffLineAppliesEditsLocallyResetsTheCountersAndBackOnLineReadsEverythingAgain) {
    Rig rig;
    ASSERT_TRUE(rig.Ready());
    DisplayScheduler& s = *rig.sched;
    rig.host.Advance(3'000'000);
    const int writes = rig.ecu->Responder().Count(CMD_WRT_MEM3);

    // An edit still counting down when the link goes off-line, and a file chosen.
    rig.image->Block3Pending.SwtchTemp = 52;
    rig.image->Block3WriteRequest = 1;
    rig.image->Requests.GasSampleReadRequest = true;
    s.AutoTuningCountdown = 3;
    rig.wb->PendingConfigFile = "/tmp/x.var";
    rig.wb->DisplayBusy = true;  // the next display tick comes after the off-line step
    rig.wb->Cycle->MnuOffLine_Click();
    rig.host.Advance(20'000);
    rig.wb->DisplayBusy = false;
    ASSERT_EQ(rig.wb->Comm->ComState, kComOffLine);
    EXPECT_FALSE(rig.wb->RequestsEnabled);
    EXPECT_EQ(rig.image->Block3.SwtchTemp, 52);  // merged into the image, nothing sent
    EXPECT_EQ(rig.image->Block3WriteRequest, 0);
    // The file was tried once, off-line; it does not exist, and is not tried again later:
    // the failure is reported now.
    ASSERT_EQ(rig.host.Messages().size(), 1u);
    EXPECT_NE(rig.host.Messages()[0].text.find("/tmp/x.var"), std::string::npos);
    EXPECT_TRUE(rig.wb->PendingConfigFile.empty());
    EXPECT_FALSE(rig.image->Requests.GasSampleReadRequest);
    EXPECT_EQ(s.AutoTuningCountdown, 0);
    EXPECT_EQ(s.Counters, (std::array<double, 6>{3, 7, 17, 23, 53, 103}));
    EXPECT_TRUE(s.RefreshPending);
    EXPECT_EQ(s.View().rpmText.size(), 4u);
    rig.host.Advance(2'000'000);
    EXPECT_EQ(rig.ecu->Responder().Count(CMD_WRT_MEM3), writes);
    EXPECT_EQ(s.Counters[5], 103);  // nothing counts while off-line

    // Back on line: checked and read again from the after-off-line start values.
    const int reads3 = rig.ecu->Responder().Count(CMD_READ_MEM3), dcol = rig.ecu->Responder().Count(48);
    const int firmware = rig.ecu->Responder().Count(CMD_READ_FIRMWARE);
    rig.slots.clear();
    rig.wb->Cycle->MnuSimulated_Click();
    ASSERT_TRUE(rig.Ready());
    EXPECT_GT(rig.ecu->Responder().Count(CMD_READ_FIRMWARE), firmware);
    EXPECT_GT(rig.ecu->Responder().Count(CMD_READ_MEM3), reads3);
    EXPECT_GT(rig.ecu->Responder().Count(48), dcol);
    EXPECT_EQ(rig.refreshes, 2);
    rig.host.Advance(20'000'000);
    const std::vector<int> s6 = RunTicks(rig.slots, 6);
    ASSERT_FALSE(s6.empty());
    EXPECT_EQ(s6.front(), 104);
    EXPECT_EQ(RunTicks(rig.slots, 1).front(), 4);
}

TEST(DisplayScheduler, FuelSwitchFromTheLogoAndItsConfirmationPolls) {
    Rig rig;
    ASSERT_TRUE(rig.Ready());
    ASSERT_EQ(rig.image->Block2.Mode, 3);  // the simulated ECU starts with gas selected

    // Gas to petrol: written, no polls; the request is cleared by S3.
    rig.wb->FuelSwitchRequest = 1;
    ASSERT_TRUE(rig.RunUntil([&] { return rig.wb->FuelSwitchRequest == 0; }, 1'000'000));
    EXPECT_EQ(rig.ecu->Memory().block2[0], 0);

    // Petrol to gas: polled until the ECU reports gas selected.
    rig.wb->DisplayBusy = true;  // no display tick in between
    rig.host.Advance(200'000);
    ASSERT_EQ(rig.image->Block2.Mode, 0);
    const int reads = rig.ecu->Responder().Count(CMD_READ_MEM2);
    const double t0 = rig.host.MicroClock();
    FuelSwitchResult r = PerformFuelSwitch(*rig.image, *rig.wb->Comm);
    EXPECT_TRUE(r.sent);
    EXPECT_EQ(r.polls, 1);
    EXPECT_EQ(rig.ecu->Responder().Count(CMD_READ_MEM2) - reads, 1);
    EXPECT_GE(rig.host.MicroClock() - t0, 500'000);
    EXPECT_EQ(rig.ecu->Memory().block2[0], 3);

    // A selection the ECU never takes over: twenty polls, then it gives up.
    rig.image->Block2.Mode = 0;
    auto keepPetrol = rig.host.CreateTimer([&] { rig.ecu->Memory().block2[0] = 0; });
    keepPetrol->SetIntervalMs(1);
    keepPetrol->SetEnabled(true);
    const int polls = rig.ecu->Responder().Count(CMD_READ_MEM2);
    r = PerformFuelSwitch(*rig.image, *rig.wb->Comm);
    keepPetrol->SetEnabled(false);
    EXPECT_TRUE(r.sent);
    EXPECT_EQ(r.polls, kFuelSwitchPolls);
    EXPECT_EQ(rig.ecu->Responder().Count(CMD_READ_MEM2) - polls, kFuelSwitchPolls);
    EXPECT_EQ(rig.image->Block2.Mode, 0);

    // A selection that is neither petrol nor gas sends nothing.
    rig.image->Block2.Mode = 7;
    const int writes = rig.ecu->Responder().Count(CMD_WRT_MEM2);
    r = PerformFuelSwitch(*rig.image, *rig.wb->Comm);
    EXPECT_FALSE(r.sent);
    EXPECT_EQ(rig.ecu->Responder().Count(CMD_WRT_MEM2), writes);
    rig.wb->DisplayBusy = false;
}

namespace {

// The 192 numbers under "[COR]" of a configuration file.
std::vector<double> CorLines(const std::string& text, const NumberLocale& locale) {
    std::vector<double> out;
    std::size_t at = text.find("[COR]\r\n");
    if (at == std::string::npos) return out;
    at += 7;
    while (out.size() < 192) {
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) break;
        const auto v = locale.Parse(text.substr(at, end - at));
        if (!v) break;
        out.push_back(*v);
        at = end + 2;
    }
    return out;
}

}  // namespace

// At connection the ECU's correction table is read: the image's table is the ECU's exactly
// (also a table no model gives, as another tool may write it) and the model follows it; a
// configuration saved then carries that table, and loading it back leaves the ECU's table as
// it was. Before the table was read nothing is saved.
TEST(DisplayScheduler, ConnectionReadsTheEcuTableThatASavedConfigurationCarries) {
    Rig rig;
    SimMemory& mem = rig.ecu->Memory();
    ModelRecord tuned;
    tuned.Alfa = 1.1f;
    tuned.Offset = 0.416f;
    for (int i = 0; i < 6; ++i) {
        ModelPoint& p = tuned.points[i];
        p.Enrich = 0.104f * static_cast<float>(i % 3);
        p.Y = tuned.Alfa * p.X + p.Enrich + tuned.Offset;
    }
    TimeTable table{};
    ModelToTable(table, tuned);
    for (int k = 0; k < 192; ++k) {
        const double wire = k < 184 ? table[k] / 0.008 : k < 186 ? table[k] * 1000 : table[k];
        mem.corTable[k] = static_cast<std::int16_t>(std::lround(wire));
    }
    mem.corTable[40] += 25;  // 0.2 ms off the model's segment
    const auto ecuTable = mem.corTable;

    const std::string path = rig.dir.File("saved.var");
    std::string error;
    EXPECT_FALSE(SaveVarFile(*rig.image, path, "Bench", "now", &error));
    EXPECT_EQ(error, kCorTableNotReadText);
    EXPECT_FALSE(std::ifstream(path).good());

    ASSERT_TRUE(rig.Ready());
    ParameterImage& image = *rig.image;
    EXPECT_TRUE(image.CorTableKnown);
    EXPECT_EQ(image.ModelFitsTable, ModelFit::Inexact);
    EXPECT_NEAR(image.Model.Offset, 0.416, 1e-6);
    EXPECT_NEAR(image.Model.points[1].Enrich, 0.104, 1e-3);
    ASSERT_TRUE(SaveVarFile(image, path, "Bench", "now", &error)) << error;
    const std::vector<double> cor = CorLines(ReadAll(path), rig.host.Locale());
    ASSERT_EQ(cor.size(), 192u);
    for (int k = 0; k < 192; ++k) {
        const double ecu = k < 184 ? ecuTable[k] * 0.008 : k < 186 ? ecuTable[k] / 1000.0 : ecuTable[k];
        EXPECT_NEAR(cor[k], ecu, 1e-9) << k;
    }

    rig.ecu->Responder().ResetCounts();
    ASSERT_TRUE(LoadVarFile(image, path));
    EXPECT_EQ(rig.ecu->Responder().Count(CMD_WRT_TBL_COR), 4);
    EXPECT_EQ(mem.corTable, ecuTable);
}

// A table the ECU will not give is asked a few times (each refusal costs a reconnection),
// then given up: the refresh and the periodic reads go on, and saving stays refused.
TEST(DisplayScheduler, ATableReadThatKeepsFailingIsGivenUp) {
    Rig rig;
    FaultOptions refuse;
    refuse.command = CMD_READ_TBL_COR;
    refuse.count = 0;
    rig.ecu->Faults().Add(Fault::Status, refuse);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.wb->RequestsEnabled && !rig.sched->RefreshPending; }, 120'000'000));
    EXPECT_FALSE(rig.image->Requests.CorReadRequest);
    EXPECT_FALSE(rig.image->CorTableKnown);
    EXPECT_EQ(rig.image->CorReadFailures, kCorReadAttempts);
    const int reads = rig.ecu->Responder().Count(CMD_READ_MEM1);
    rig.host.Advance(2'000'000);
    EXPECT_GT(rig.ecu->Responder().Count(CMD_READ_MEM1), reads);
    std::string error;
    EXPECT_FALSE(SaveVarFile(*rig.image, rig.dir.File("x.var"), "Bench", "now", &error));
}

// A configuration chosen while the engine runs on gas is loaded on the display timer: the
// ECU is switched to petrol (block 2 written with mode 0) before any of the file's blocks,
// and back to gas (mode 3) after the last of them.
TEST(DisplayScheduler, ALoadOnGasSwitchesToPetrolAroundTheFilesBlocks) {
    Rig rig;
    ASSERT_TRUE(rig.Ready());
    // Driving, the simulated engine switches to gas once its reducer is warm.
    rig.ecu->Engine().SetScenario(SimScenario::Drive);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.image->Block2.Mode2 == 3; }, 300'000'000));
    const std::string path = rig.dir.File("gas.var");
    std::string error;
    ASSERT_TRUE(SaveVarFile(*rig.image, path, "Bench", "now", &error)) << error;

    struct Write {
        int mode, block3Writes, tableWrites;
    };
    std::vector<Write> block2Writes;
    SimEcu& ecu = *rig.ecu;
    int seen = ecu.Responder().Count(CMD_WRT_MEM2);
    auto watch = rig.host.CreateTimer([&] {
        const int n = ecu.Responder().Count(CMD_WRT_MEM2);
        if (n == seen) return;
        seen = n;
        block2Writes.push_back(
            {ecu.Memory().block2[0], ecu.Responder().Count(CMD_WRT_MEM3), ecu.Responder().Count(CMD_WRT_TBL_COR)});
    });
    watch->SetIntervalMs(1);
    watch->SetEnabled(true);
    const int block3Before = ecu.Responder().Count(CMD_WRT_MEM3);
    const int tableBefore = ecu.Responder().Count(CMD_WRT_TBL_COR);
    std::string title;
    Connection loaded = rig.sched->Loader().Loaded.Connect([&](const std::string& p) { title = p; });

    rig.wb->PendingConfigFile = path;
    ASSERT_TRUE(rig.RunUntil([&] { return rig.wb->PendingConfigFile.empty(); }, 10'000'000));
    watch->SetEnabled(false);
    EXPECT_EQ(title, path);
    EXPECT_TRUE(rig.host.Messages().empty());
    ASSERT_GE(block2Writes.size(), 2u);
    EXPECT_EQ(block2Writes.front().mode, 0);
    EXPECT_EQ(block2Writes.front().block3Writes, block3Before);
    EXPECT_EQ(block2Writes.front().tableWrites, tableBefore);
    EXPECT_EQ(block2Writes.back().mode, 3);
    EXPECT_GT(block2Writes.back().block3Writes, block3Before);
    EXPECT_EQ(block2Writes.back().tableWrites, tableBefore + 4);
    EXPECT_EQ(ecu.Memory().block2[0], 3);
}

// A file the ECU keeps refusing is tried three times, then reported once and dropped, so
// that a later choice is not blocked behind it; a file that has gone is reported at once.
// The report says when the ECU was left on petrol.
TEST(DisplayScheduler, APendingLoadThatKeepsFailingIsReportedOnceAndDropped) {
    Rig rig;
    ASSERT_TRUE(rig.Ready());
    rig.ecu->Engine().SetScenario(SimScenario::Drive);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.image->Block2.Mode2 == 3; }, 300'000'000));
    const std::string path = rig.dir.File("refused.var");
    std::string error;
    ASSERT_TRUE(SaveVarFile(*rig.image, path, "Bench", "now", &error)) << error;
    FaultOptions refuse;
    refuse.command = CMD_WRT_MEM3;
    refuse.count = 0;
    rig.ecu->Faults().Add(Fault::Status, refuse);

    rig.wb->DisplayBusy = true;  // the test makes the display timer's calls itself
    ConfigLoader& loader = rig.sched->Loader();
    for (int attempt = 1; attempt <= ConfigLoader::kLoadAttempts; ++attempt) {
        EXPECT_EQ(loader.LoadPending(path), attempt == ConfigLoader::kLoadAttempts) << attempt;
        EXPECT_EQ(rig.host.Messages().size(), attempt == ConfigLoader::kLoadAttempts ? 1u : 0u) << attempt;
        rig.host.Advance(40'000'000);  // the link comes back between the display timer's tries
    }
    const std::string& text = rig.host.Messages().at(0).text;
    EXPECT_NE(text.find(path), std::string::npos);
    const bool onPetrol = rig.ecu->Memory().block2[0] == 0;
    EXPECT_EQ(loader.LeftOnPetrol(), onPetrol);
    EXPECT_EQ(text.find("runs on petrol") != std::string::npos, onPetrol);

    rig.host.ClearMessages();
    EXPECT_TRUE(loader.LoadPending(rig.dir.File("gone.var")));
    ASSERT_EQ(rig.host.Messages().size(), 1u);
    EXPECT_NE(rig.host.Messages()[0].text.find("cannot be read"), std::string::npos);
    rig.wb->DisplayBusy = false;
}
