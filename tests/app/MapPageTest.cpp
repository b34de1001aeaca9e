// The map page's rules on virtual time against the simulated ECU: a read fills the sample
// record from the ECU's lists, "Auto Tuning" reads on every pass and is refused while
// vacuum acquisition is disabled, the clear buttons and the speed range clear the ECU's
// lists, the speed range writes block 5's thresholds, and map files load into the page.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "app/DisplayScheduler.h"
#include "app/MapPage.h"
#include "link/Commands.h"
#include "sim/SimulatedEcuPort.h"
#include "support/SimPorts.h"
#include "support/TempDir.h"
#include "util/EventHost.h"
#include "util/FileIo.h"

using namespace gw;

namespace {

struct Rig {
    gwtest::TempDir dir;
    VirtualHost host{0};
    std::shared_ptr<SimEcu> ecu = std::make_shared<SimEcu>();
    gwtest::SimOnlyPorts ports{host, ecu};
    std::unique_ptr<Workbench> wb;
    std::unique_ptr<ParameterImage> image;
    std::unique_ptr<FirmwareCheck> check;
    std::unique_ptr<DisplayScheduler> sched;
    std::unique_ptr<MapPage> page;
    int changes = 0;
    Connection changed, tuning;

    explicit Rig(bool acquisition = true) {
        const std::string src = GW_SOURCE_DIR;
        dir.Write("BIN/SetCom.ini", "[SearchCom]\r\n255\r\n");
        dir.Write("BIN/Flash.ini", *ReadWholeFile(src + "/data/BIN/Flash.ini"));
        dir.Write("BIN/Norvik512.frh", *ReadWholeFile(src + "/data/BIN/Norvik512.frh"));
        ecu->Memory().block2[11] = ecu->Memory().block2[12] = acquisition ? 1 : 0;
        wb = std::make_unique<Workbench>(host, ports, dir.Path());
        image = std::make_unique<ParameterImage>(wb->Scale, *wb->Comm);
        check = std::make_unique<FirmwareCheck>(*wb->Comm, wb->Cycle.get());
        wb->Comm->SetAnswerSink(image.get());
        sched = std::make_unique<DisplayScheduler>(*wb, *image, *check);
        sched->Attach();
        page = std::make_unique<MapPage>(*image, host.Locale(), dir.Path() + "/Map.txt");
        page->Attach();
        tuning = sched->AutoTuningTicked.Bind([this] { return page->AutoTuning(); });
        changed = page->Changed.Connect([this] { ++changes; });
        wb->Main();
        wb->Comm->Simulated = true;
    }

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
    bool Idle() {
        const EcuRequestFlags& r = image->Requests;
        return RunUntil([&] { return !r.BnzSampleReadRequest && !r.GasSampleReadRequest && !r.BnzSampleCancelRequest &&
                                     !r.GasSampleCancelRequest && !r.Block5WritePending && image->Block5WriteRequest == 0; },
                        10'000'000);
    }
    int Count(int command) { return ecu->Responder().Count(command); }
};

// The page's record must hold the ECU's list, as the page quantises it.
void ExpectSameAsEcu(const MapRecord& r, const SimMemory& m, double kTimeInj, double addMs) {
    for (std::size_t i = 0; i < 60; ++i) {
        const auto& p = m.petrolSamples[i];
        const auto& g = m.gasSamples[i];
        EXPECT_EQ(r.PetrolVacuum[i], QuantiseVacuum(p.vacuumMbar)) << i;
        EXPECT_NEAR(r.PetrolTime[i], QuantiseTime(p.timeCounts * kTimeInj + (p.timeCounts ? addMs : 0)), 1e-9) << i;
        EXPECT_EQ(r.GasVacuum[i], QuantiseVacuum(g.vacuumMbar)) << i;
        EXPECT_NEAR(r.GasTime[i], QuantiseTime(g.timeCounts * kTimeInj + (g.timeCounts ? addMs : 0)), 1e-9) << i;
    }
}

}  // namespace

TEST(MapPage, ReadFillsTheRecordFromBothSetsOfBothLists) {
    Rig rig(false);  // the ECU adds no samples while the test runs
    ASSERT_TRUE(rig.Ready());
    SimMemory& m = rig.ecu->Memory();
    m.petrolSamples[45] = {500, 777};  // a slot of set 1
    m.gasSamples[31] = {400, 503};
    rig.page->Read();
    EXPECT_FALSE(rig.page->AutoTuning());
    ASSERT_TRUE(rig.Idle());
    for (int c : {CMD_READ_SMPL_BNZ, CMD_READ_SMPL_BNZ1, CMD_READ_SMPL_GAS, CMD_READ_SMPL_GAS1})
        EXPECT_EQ(rig.Count(c), 1) << c;
    const ScaleConfig& s = rig.wb->Scale;
    ExpectSameAsEcu(rig.page->Samples, m, s.K_Time_Inj_ms, s.AddTimeSwitch ? s.SommaTempoInj : 0);
    EXPECT_EQ(rig.page->Samples.PetrolVacuum[45], 780);
    EXPECT_GT(rig.page->Matched(), 0);  // the seeded lists share vacuum classes
    EXPECT_TRUE(rig.page->ComputeEnabled());
    EXPECT_TRUE(rig.page->MapRedraw);

    // Compute: one marker per matched pair, on the model's axes.
    std::vector<MapPairPoint> shown;
    Connection c = rig.page->PairMarkers.Connect([&](const std::vector<MapPairPoint>& p) { shown = p; });
    rig.page->Compute();
    EXPECT_EQ(shown, PairPoints(rig.page->Map, rig.image->CorTable));
    EXPECT_GE(static_cast<int>(shown.size()), rig.page->Matched());
    rig.page->ClearModel();
    EXPECT_TRUE(shown.empty());
}

TEST(MapPage, AutoTuningReadsOnEveryPassAndIsRefusedWithoutAcquisition) {
    {
        Rig rig(false);
        ASSERT_TRUE(rig.Ready());
        EXPECT_FALSE(rig.page->SetAutoTuning(true));  // the box unchecks itself
        EXPECT_TRUE(rig.page->ReadEnabled());
        rig.host.Advance(10'000'000);
        EXPECT_EQ(rig.Count(CMD_READ_SMPL_BNZ), 0);
    }
    Rig rig(true);
    ASSERT_TRUE(rig.Ready());
    ASSERT_TRUE(rig.page->SetAutoTuning(true));
    EXPECT_FALSE(rig.page->ReadEnabled());
    EXPECT_FALSE(rig.page->ComputeEnabled());
    rig.host.Advance(60'000'000);  // a pass every four S5 slots
    const int reads = rig.Count(CMD_READ_SMPL_BNZ);
    EXPECT_GE(reads, 3);
    EXPECT_EQ(rig.Count(CMD_READ_SMPL_GAS1), rig.Count(CMD_READ_SMPL_GAS));
    // The running engine has filled the ECU's lists; the page follows them.
    int petrol = 0;
    for (double v : rig.page->Samples.PetrolVacuum) petrol += v > 0;
    EXPECT_GT(petrol, 14);
    rig.page->SetAutoTuning(false);
    rig.host.Advance(60'000'000);
    EXPECT_LE(rig.Count(CMD_READ_SMPL_BNZ), reads + 1);  // at most the pass already due
    EXPECT_TRUE(rig.page->ReadEnabled());
}

TEST(MapPage, ClearingGasLeavesThePetrolSamples) {
    Rig rig(false);
    ASSERT_TRUE(rig.Ready());
    rig.page->Read();
    ASSERT_TRUE(rig.Idle());
    const MapRecord before = rig.page->Samples;
    const int changes = rig.changes;
    rig.page->ClearGas();
    EXPECT_GT(rig.changes, changes);
    EXPECT_EQ(rig.page->Samples.PetrolVacuum, before.PetrolVacuum);
    EXPECT_EQ(rig.page->Samples.PetrolTime, before.PetrolTime);
    EXPECT_EQ(rig.page->Samples.GasVacuum, MapRecord::Column{});
    ASSERT_TRUE(rig.Idle());
    EXPECT_EQ(rig.Count(CMD_CANC_SMPL_GAS), 1);
    EXPECT_EQ(rig.Count(CMD_CANC_SMPL_BNZ), 0);
    for (std::size_t i = 0; i < 60; ++i) EXPECT_EQ(rig.ecu->Memory().gasSamples[i].vacuumMbar, 0);
    EXPECT_GT(rig.ecu->Memory().petrolSamples[0].vacuumMbar, 0);
}

TEST(MapPage, SpeedRangeWritesBlock5ThresholdsAndClearsBothLists) {
    Rig rig(false);
    rig.wb->Scale.SoglieMapping = {{1800, 2300}, {2500, 3000}};
    ASSERT_TRUE(rig.Ready());
    ASSERT_TRUE(rig.page->SpeedRangeEnabled());
    rig.page->Read();
    ASSERT_TRUE(rig.Idle());
    EXPECT_EQ(rig.page->SpeedRangeTexts(), (std::vector<std::string>{"1800 - 2300", "2500 - 3000"}));
    EXPECT_EQ(rig.page->CurrentSpeedRange(), -1);  // the ECU's 2250 / 2750 is no entry
    EXPECT_EQ(rig.page->CurrentSpeedText(), "2250 - 2750");

    rig.page->SelectSpeedRange(1);
    EXPECT_EQ(rig.page->Samples, MapRecord{});
    EXPECT_EQ(rig.page->CurrentSpeedRange(), 1);
    ASSERT_TRUE(rig.Idle());
    ASSERT_TRUE(rig.RunUntil([&] { return rig.image->Block5.ShoRpm == 2500; }, 5'000'000));
    const SimMemory& m = rig.ecu->Memory();
    EXPECT_EQ(SimMemory::U16(m.block5, 16), 2500);  // ShoRpm: the lower speed
    EXPECT_EQ(SimMemory::U16(m.block5, 14), 3000);  // Soglia1: the upper one
    EXPECT_EQ(rig.Count(CMD_CANC_SMPL_BNZ), 1);
    EXPECT_EQ(rig.Count(CMD_CANC_SMPL_GAS), 1);
    for (std::size_t i = 0; i < 60; ++i) {
        EXPECT_EQ(m.petrolSamples[i].vacuumMbar, 0);
        EXPECT_EQ(m.gasSamples[i].vacuumMbar, 0);
    }
    EXPECT_EQ(rig.page->CurrentSpeedRange(), 1);
}

TEST(MapPage, MapFileLoadsIntoThePageAndReportsABadLine) {
    Rig rig(false);
    rig.wb->Comm->ServiceMode = true;
    rig.page->Samples.GasTime.fill(QuantiseTime(7));
    const MapRecord before = rig.page->Samples;
    const std::string path = rig.dir.Path() + "/a.map";
    const std::string decimal(1, rig.host.Locale().decimal);
    auto text = [&](const std::string& last) {
        std::string t;
        for (std::string line : {"405", "3.95", "415", "2", "1200", "5", "1205"}) {
            if (line == "3.95") line = "3" + decimal + "95";
            t += line + "\r\n";
        }
        return t + last + "\r\n";
    };
    // A line that is not a number: the file is refused whole.
    rig.dir.Write("a.map", text("x"));
    rig.page->texts.badLine = "line %1";
    const Warnings w = rig.page->LoadMapFile(path);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].text, "line 8");
    EXPECT_EQ(rig.page->Samples, before);

    // The same file whole; it ends early, so its last line stands for the rest.
    rig.dir.Write("a.map", text("7"));
    EXPECT_TRUE(rig.page->LoadMapFile(path).empty());
    EXPECT_EQ(rig.page->Samples.PetrolVacuum[1], 1200);
    EXPECT_EQ(rig.page->Samples.GasVacuum[1], 1200);
    EXPECT_EQ(rig.page->Samples.GasTime[1], 7);
    EXPECT_EQ(rig.page->Samples.GasTime[59], 7);
    EXPECT_EQ(rig.page->Matched(), 1);           // refreshed after the load (400 and 420 differ)
    EXPECT_TRUE(rig.page->ComputeEnabled());
    // Service mode writes the dump beside the program.
    const auto dump = ReadWholeFile(rig.dir.Path() + "/Map.txt");
    ASSERT_TRUE(dump.has_value());
    EXPECT_EQ(dump->substr(0, 17), "\"Punti Mappati\"\r\n");

    // Saved and loaded back: the same record.
    ASSERT_TRUE(rig.page->SaveMapFile(rig.dir.Path() + "/b.map"));
    MapRecord saved = rig.page->Samples;
    saved.GasTime[60] = 0;  // slot 60 is not stored
    rig.page->Samples.Clear();
    EXPECT_TRUE(rig.page->LoadMapFile(rig.dir.Path() + "/b.map").empty());
    EXPECT_EQ(rig.page->Samples, saved);
    EXPECT_FALSE(rig.page->LoadMapFile(rig.dir.Path() + "/missing.map").empty());

    // No petrol and gas samples of one class: "Compute" is disabled.
    rig.dir.Write("c.map", "400\r\n3\r\n440\r\n3\r\n");
    EXPECT_TRUE(rig.page->LoadMapFile(rig.dir.Path() + "/c.map").empty());
    EXPECT_EQ(rig.page->Matched(), 0);
    EXPECT_FALSE(rig.page->ComputeEnabled());
}
