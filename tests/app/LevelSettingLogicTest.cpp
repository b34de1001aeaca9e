// The gas level sensor window's logic: rows of direct and inverted sensors, ordering and
// clamping while dragging, volts texts, lights and their blink below the first threshold,
// the type's defaults read again, a changed type, Esc, and a threshold reaching the
// simulated ECU whose tank level moves the lights.
#include <gtest/gtest.h>

#include "app/LevelSettingLogic.h"
#include "link/Commands.h"
#include "model/EcuRequests.h"
#include "model/ImageFixture.h"

using namespace gw;
using namespace gwtest;

namespace {

const char* const kTypes =
    "[GasLevel_00]\r\nNo sensor\r\n0\r\nV\r\n0\r\n0\r\n0\r\n0\r\n1023\r\n0\r\n5\r\n0\r\n"
    "[GasLevel_01]\r\nDirect\r\n1\r\nV\r\n180\r\n360\r\n560\r\n760\r\n1023\r\n0\r\n5\r\n0\r\n"
    "[GasLevel_02]\r\nInverted\r\n2\r\nV\r\n200\r\n380\r\n580\r\n780\r\n1023\r\n0\r\n5\r\n1\r\n"
    "[GasLevel_03]\r\nHalf range\r\n3\r\nVolt\r\n100\r\n200\r\n310\r\n420\r\n511\r\n0\r\n2,5\r\n0\r\n";

class Level : public ImageFixture {
protected:
    Level() {
        host.SetLocale(NumberLocale::Comma());
        path = dir.Write("LNG/ConfigScale.ini", kTypes);
        ShowWarnings(host, ReadGasLevelTypes(host.Locale(), path, scale, "Workbench", &host));
        scale.K_VLevel_Sens_mV = 4.8876;
    }
    // Type code and thresholds T1-T4 in the read copy, then a window loaded on them.
    std::unique_ptr<LevelSettingLogic> Open(int type, std::array<int, 4> t) {
        image.Block3.TpyGLS = type;
        for (int k = 0; k < 4; ++k) image.Block3.Level[static_cast<std::size_t>(k)] = t[static_cast<std::size_t>(k)];
        auto w = std::make_unique<LevelSettingLogic>(host, image, nullptr, path, "Workbench");
        w->Load();
        return w;
    }
    std::array<int, 4> Values(const LevelSettingLogic& w) {
        std::array<int, 4> v{};
        for (std::size_t i = 0; i < 4; ++i) v[i] = w.Rows()[i].value;
        return v;
    }
    std::array<int, 4> Pending() {
        std::array<int, 4> v{};
        for (std::size_t i = 0; i < 4; ++i) v[i] = image.Block3Pending.Level[i];
        return v;
    }
    std::array<bool, 4> Lit(const LevelSettingLogic& w) {
        std::array<bool, 4> v{};
        for (std::size_t i = 0; i < 4; ++i) v[i] = w.Rows()[i].lit;
        return v;
    }
    void S2Slot() {
        image.TickWriteCountdowns();
        for (int i = 0; i < 3; ++i) ServiceRequests(image, comm, true);
    }

    std::string path;
};

using A4 = std::array<int, 4>;
using B4 = std::array<bool, 4>;

TEST(LevelVolts, FullScaleVoltsOverFullScaleCount) {
    GasLevelType fiveVolts;
    fiveVolts.Scale = 5;
    fiveVolts.Thresholds[4] = 1023;
    GasLevelType half;
    half.Scale = 2.5;
    half.Thresholds[4] = 511;
    GasLevelType noCount;  // full-scale count 0: the 10-bit range
    noCount.Scale = 5;
    struct Case {
        const GasLevelType& type;
        int raw;
        const char* text;
    } cases[] = {
        {fiveVolts, 512, "2,50"}, {fiveVolts, 0, "0,00"}, {fiveVolts, 1023, "5,00"}, {fiveVolts, 100, "0,48"},
        {half, 511, "2,50"},      {half, 1023, "5,00"},   {noCount, 1023, "5,00"},   {GasLevelType{}, 700, "0,00"},
    };
    for (const Case& c : cases) EXPECT_EQ(LevelSettingLogic::VoltsText(c.raw, c.type), c.text) << c.raw;
}

TEST_F(Level, RowsOfDirectAndInvertedSensors) {
    auto direct = Open(1, {100, 200, 300, 400});
    EXPECT_EQ(Values(*direct), (A4{100, 200, 300, 400}));
    EXPECT_FALSE(direct->Inverted());
    EXPECT_EQ(direct->Texts().caption, "Level - Direct");
    EXPECT_EQ(direct->Texts().lblGasLevel, "Gas level");
    EXPECT_EQ(direct->Texts().cmdDefault, "Default");
    EXPECT_EQ(direct->ScrollMax(), 1023);
    const char* captions[4] = {"1/4", "2/4", "3/4", "4/4"};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(direct->Rows()[i].caption, captions[i]);
        EXPECT_EQ(direct->Rows()[i].unit, "V");
    }
    EXPECT_EQ(direct->Rows()[0].voltsText, "0,48");  // 0.4888: whole hundredths kept
    EXPECT_EQ(direct->Rows()[3].voltsText, "1,95");
    EXPECT_TRUE(direct->ChangeHandling());

    // Inverted: the rows hold T4 ... T1, so the top row (4/4) holds T1.
    auto inverted = Open(2, {100, 200, 300, 400});
    EXPECT_TRUE(inverted->Inverted());
    EXPECT_EQ(Values(*inverted), (A4{400, 300, 200, 100}));
    EXPECT_EQ(inverted->Rows()[3].voltsText, "0,48");

    // A half-range sensor: its own unit, its range, values above it at the end.
    auto half = Open(3, {100, 200, 300, 600});
    EXPECT_EQ(half->ScrollMax(), 511);
    EXPECT_EQ(half->Rows()[0].unit, "Volt");
    EXPECT_EQ(Values(*half), (A4{100, 200, 300, 511}));
    EXPECT_EQ(half->Rows()[3].voltsText, "2,50");

    // A code no type has: the 10-bit range, no name, no scale.
    auto unknown = Open(9, {100, 200, 300, 400});
    EXPECT_EQ(unknown->Texts().caption, "Level - ");
    EXPECT_EQ(unknown->ScrollMax(), 1023);
    EXPECT_EQ(unknown->Rows()[0].voltsText, "0,00");
}

TEST_F(Level, DraggingKeepsTheThresholdsInOrder) {
    struct Case {
        int type, row, value;
        int shown;        // the row's value after the change
        int level;        // the block 3 Level element it went to
    } cases[] = {
        // direct rows 100 200 300 400
        {1, 1, 50, 100, 1},    // below the previous row: raised to it (T2 = T1)
        {1, 1, 350, 300, 1},   // above the next row: lowered to it
        {1, 1, 250, 250, 1},
        {1, 0, -5, 0, 0},      // below the bar: its start
        {1, 0, 1500, 200, 0},  // beyond the bar, then ordered
        {1, 3, 2000, 1023, 3},
        // inverted rows 400 300 200 100 (T4 T3 T2 T1)
        {2, 1, 450, 400, 2},   // above the previous row: lowered to it
        {2, 1, 50, 200, 2},    // below the next row: raised to it
        {2, 3, 0, 0, 0},       // the top row is T1
        {2, 0, 900, 900, 3},
        {2, 3, 250, 200, 0},   // the top row above the one under it: lowered to it
    };
    for (const Case& c : cases) {
        image.ResetPendingRecords();
        image.Block3WriteRequest = 0;
        auto w = Open(c.type, {100, 200, 300, 400});
        w->OnScroll(c.row, c.value);
        const std::string where = std::to_string(c.type) + "/" + std::to_string(c.row) + "/" + std::to_string(c.value);
        EXPECT_EQ(w->Rows()[static_cast<std::size_t>(c.row)].value, c.shown) << where;
        EXPECT_EQ(image.Block3Pending.Level[static_cast<std::size_t>(c.level)], c.shown) << where;
        EXPECT_EQ(w->Rows()[static_cast<std::size_t>(c.row)].voltsText,
                  LevelSettingLogic::VoltsText(c.shown, scale.GasLevelTypes[static_cast<std::size_t>(c.type)]))
            << where;
        EXPECT_EQ(image.Block3WriteRequest, 4) << where;
        EXPECT_EQ(w->TakeFocusRow(), c.row) << where;
        EXPECT_EQ(w->TakeFocusRow(), -1);
        int changed = 0;
        for (int k = 0; k < 4; ++k) changed += image.Block3Pending.Level[static_cast<std::size_t>(k)] != kNoChangeInt;
        EXPECT_EQ(changed, 1) << where;
    }
    // Rows that do not exist change nothing.
    image.ResetPendingRecords();
    auto w = Open(1, {100, 200, 300, 400});
    w->OnScroll(4, 10);
    w->OnScroll(-1, 10);
    EXPECT_EQ(Pending(), (A4{-1, -1, -1, -1}));
}

TEST_F(Level, LightsFollowTheReading) {
    struct Case {
        int type;
        int reading;
        B4 lit;  // light 0 only when it is not blinking
        bool blinking;
    } cases[] = {
        {1, 350, {true, true, true, false}, false},  // thresholds 100 200 300 400
        {1, 401, {true, true, true, true}, false},
        {1, 400, {true, true, true, false}, false},     // at a threshold: not above it
        {1, 150, {true, false, false, false}, false},
        {1, 100, {false, false, false, false}, true},   // not above T1: blinks
        {2, 50, {true, true, true, true}, false},       // inverted: below T1 is full
        {2, 250, {true, true, false, false}, false},
        {2, 399, {true, false, false, false}, false},
        {2, 400, {false, false, false, false}, true},   // not below T4: blinks
    };
    for (const Case& c : cases) {
        auto w = Open(c.type, {100, 200, 300, 400});
        image.Block1.GasLevelRaw = c.reading;
        w->Refresh();
        const std::string where = std::to_string(c.type) + "/" + std::to_string(c.reading);
        EXPECT_EQ(w->Rows()[0].blinking, c.blinking) << where;
        B4 lit = Lit(*w);
        if (c.blinking) lit[0] = false;  // blink phase checked separately
        EXPECT_EQ(lit, c.lit) << where;
    }
}

TEST_F(Level, FirstLightBlinksOneToggleEveryHalfSecondBelowTheFirstThreshold) {
    auto w = Open(1, {100, 200, 300, 400});
    image.Block1.GasLevelRaw = 1023;
    std::vector<bool> light0;
    Connection changed = w->StateChanged.Connect([&] { light0.push_back(w->Rows()[0].lit); });
    w->Start();
    host.Advance(1'000'000);
    EXPECT_EQ(light0, (std::vector<bool>{true, true}));
    light0.clear();
    image.Block1.GasLevelRaw = 60;  // nearly empty
    host.Advance(5'000'000);
    ASSERT_EQ(light0.size(), 10u);  // one refresh per 500 ms
    for (std::size_t i = 0; i < light0.size(); ++i) EXPECT_EQ(light0[i], i % 2 == 1) << i;  // off, on, off, ...
    EXPECT_TRUE(w->Rows()[0].blinking);
    EXPECT_FALSE(w->Rows()[1].lit);
    // The sensor voltage at the refresh's rate.
    EXPECT_EQ(w->SensorVoltsText(), "0,293");  // 4.8876 mV x 60
    w->Stop();
    host.Advance(2'000'000);
    EXPECT_EQ(light0.size(), 10u);
}

TEST_F(Level, DefaultReadsTheTypesAgainAndStoresTheirThresholds) {
    // Thresholds below all the defaults: storing row by row against the old neighbours
    // would push the defaults down onto them.
    auto w = Open(1, {10, 20, 30, 40});
    dir.Write("LNG/ConfigScale.ini", std::string(kTypes).replace(std::string(kTypes).find("180"), 3, "190"));
    w->OnDefault();
    EXPECT_EQ(scale.GasLevelTypes[1].Thresholds[0], 190);  // read again
    EXPECT_EQ(Values(*w), (A4{190, 360, 560, 760}));
    EXPECT_EQ(Pending(), (A4{190, 360, 560, 760}));
    EXPECT_EQ(w->Rows()[3].voltsText, "3,71");
    EXPECT_EQ(image.Block3WriteRequest, 4);

    // Inverted: T1 ... T4 get the type's T1 ... T4, shown in reverse.
    image.ResetPendingRecords();
    auto inv = Open(2, {900, 950, 1000, 1010});
    inv->OnDefault();
    EXPECT_EQ(Values(*inv), (A4{780, 580, 380, 200}));
    EXPECT_EQ(Pending(), (A4{200, 380, 580, 780}));

    // Already at the defaults: nothing to write.
    image.ResetPendingRecords();
    image.Block3WriteRequest = 0;
    auto same = Open(2, {200, 380, 580, 780});
    same->OnDefault();
    EXPECT_EQ(Pending(), (A4{-1, -1, -1, -1}));
    EXPECT_EQ(image.Block3WriteRequest, 0);
}

// The window's logic shows what the type reader found wrong, as the common error boxes and
// no more of them than one reading allows; the rest of the file is still read.
TEST_F(Level, DefaultShowsTheBoxesOfADamagedTypeFile) {
    auto w = Open(1, {100, 200, 300, 400});
    ASSERT_TRUE(host.Messages().empty());
    dir.Write("LNG/ConfigScale.ini", std::string(kTypes) +
                                         "[GasLevel_04]\r\nBad\r\nx\r\nV\r\nx\r\nx\r\nx\r\nx\r\nx\r\nx\r\nx\r\nx\r\n");
    w->OnDefault();
    ASSERT_EQ(scale.GasLevelTypes.size(), 5u);
    EXPECT_EQ(scale.GasLevelTypes[1].Thresholds[0], 180);
    ASSERT_EQ(host.Messages().size(), 5u);  // nine bad values
    for (const ShownMessage& m : host.Messages()) {
        EXPECT_EQ(m.text, "Config level sensor errorErrorIniziaLevelGasType_Err:\r\r13 - Type mismatch");
        EXPECT_EQ(m.title, "Workbench: Error");
        EXPECT_EQ(m.icon, MsgIcon::Critical);
    }
}

TEST_F(Level, ATypeChangedMeanwhileRefillsTheRowsAndEscCloses) {
    auto w = Open(1, {100, 200, 300, 400});
    image.Block3.TpyGLS = 2;
    image.Block3.Level = {200, 380, 580, 780, 1023, 0};
    w->Refresh();
    EXPECT_TRUE(w->Inverted());
    EXPECT_EQ(Values(*w), (A4{780, 580, 380, 200}));
    EXPECT_EQ(w->Texts().caption, "Level - Inverted");
    EXPECT_EQ(Pending(), (A4{-1, -1, -1, -1}));  // a refill stores nothing

    w->OnKey(13);
    EXPECT_FALSE(w->CloseRequested());
    w->OnKey(LevelSettingLogic::kKeyEscape);
    EXPECT_TRUE(w->CloseRequested());
}

TEST_F(Level, ThresholdReachesTheEcuAndTheTankMovesTheLights) {
    ReadAll();
    ASSERT_TRUE(Read(CMD_READ_MEM1));
    auto w = std::make_unique<LevelSettingLogic>(host, image, nullptr, path, "Workbench");
    w->Load();
    EXPECT_EQ(Values(*w), (A4{180, 360, 560, 760}));
    w->Refresh();
    EXPECT_EQ(Lit(*w), (B4{true, true, true, false}));  // 70 % of 1023 = 716

    // Two steps on T4: one write, four S2 slots after the last.
    image.Requests = EcuRequestFlags{};
    ecu->Responder().ResetCounts();
    w->OnScroll(3, 744);
    S2Slot();
    w->OnScroll(3, 728);
    for (int i = 0; i < 3; ++i) S2Slot();
    EXPECT_EQ(Count(CMD_WRT_MEM3), 0);
    S2Slot();
    EXPECT_EQ(Count(CMD_WRT_MEM3), 1);
    EXPECT_EQ(image.Block3.Level[3], 728);

    // The tank is nearly empty: the reading falls below T1 and light 0 blinks.
    ecu->Engine().SetTankFill(0.1);
    ASSERT_TRUE(Read(CMD_READ_MEM1));
    w->Refresh();
    EXPECT_TRUE(w->Rows()[0].blinking);
    EXPECT_FALSE(w->Rows()[1].lit);
}

}  // namespace
