// The injector settings window's logic: scroll value and offset both ways, rows and mode
// lists, mode requests and the refusal on petrol, live times, sensitivity, and a run of
// offset steps reaching the simulated ECU as one block-3 write.
#include <gtest/gtest.h>

#include <cmath>

#include "app/DictionaryEntries.h"
#include "app/InjSetLogic.h"
#include "link/Commands.h"
#include "model/EcuRequests.h"
#include "model/ImageFixture.h"
#include "util/FileIo.h"

using namespace gw;
using namespace gwtest;

namespace {

class InjSet : public ImageFixture {
protected:
    InjSet() { host.SetLocale(NumberLocale::Comma()); }

    // The shipped dictionary, in a copy (loading writes the current-language file).
    void LoadDictionary() {
        const auto diz = ReadWholeFile(std::string(GW_SOURCE_DIR) + "/data/LNG/M3.diz", 1 << 22);
        ASSERT_TRUE(diz);
        lingue.SetPathDizionario(dir.Write("LNG/M3.diz", *diz));
        lingue.SetPathAttualeLingua(dir.Write("LNG/M3.con", "0\r\n"));
        ASSERT_TRUE(lingue.LoadDizionario());
    }

    // One S2 slot of the display scheduler: the countdowns, then the S1 slots that fall
    // before the next S2 slot serve what is pending.
    void S2Slot() {
        image.TickWriteCountdowns();
        for (int i = 0; i < 3; ++i) ServiceRequests(image, comm, true);
    }

    ClsLingue lingue;
};

TEST(InjSetConversions, ScrollValueToOffsetAndBack) {
    for (double k : {0.008, 0.004, 0.0125}) {
        for (int v = InjSetLogic::kScrollMin; v <= InjSetLogic::kScrollMax; ++v) {
            const double offset = InjSetLogic::OffsetFromScroll(v, k);
            EXPECT_DOUBLE_EQ(offset, 10 * k * v);
            EXPECT_EQ(InjSetLogic::ScrollFromOffset(offset, k), v) << k << " " << v;
        }
    }
    struct Case {
        double offsetMs;
        double k;
        int scroll;
    } cases[] = {
        {0, 0.008, 0},       {-0.0, 0.008, 0},   {0.2, 0.008, 2},    // 2.5 steps: half to even
        {0.28, 0.008, 4},    {-0.2, 0.008, -2},  {0.03, 0.008, 0},   // below half a step
        {0.05, 0.008, 1},    {10, 0.008, 50},    {-10, 0.008, -50},  // clamped to the bar
        {0.8, 0, 0},         {0.8, -0.008, 0},   {NAN, 0.008, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InjSetLogic::ScrollFromOffset(c.offsetMs, c.k), c.scroll) << c.offsetMs << " " << c.k;
}

TEST(InjSetConversions, SensitivityInMilliseconds) {
    struct Case {
        int sensitivity, stepUs;
        const char* text;
    } cases[] = {{1, 96, "0,6"}, {2, 96, "0,7"}, {10, 96, "1,5"}, {25, 96, "2,9"}, {25, 100, "3"}, {0, 96, "0,5"}};
    for (const Case& c : cases)
        EXPECT_EQ(InjSetLogic::SensitivityMs(c.sensitivity, c.stepUs, NumberLocale::Comma()), c.text)
            << c.sensitivity << " " << c.stepUs;
}

TEST_F(InjSet, RowsFollowTheCylindersAndTheStoredModes) {
    ReadAll();
    LoadDictionary();
    image.Block3.InjMode = {4, 0, 1, 0, 3, 3, 3, 3};
    image.Block3.InjOffset[1] = -0.24;
    image.InjModeTarget = 3;  // a request left over from before: the load drops it
    InjSetLogic logic(host, image, &lingue);
    logic.Load();

    EXPECT_EQ(image.InjModeTarget, -1);
    EXPECT_EQ(image.InjModeScope, 0);
    EXPECT_EQ(logic.Texts().caption, "Injector - " + scale.InjTypes.front().Name);
    EXPECT_EQ(logic.Texts().lblEnricht, "OffSet");
    ASSERT_EQ(logic.Rows().size(), 4u);  // four cylinders in use
    const int expectIndex[4] = {1, 2, 0, 2};
    for (int i = 0; i < 4; ++i) {
        const InjSetRow& r = logic.Rows()[static_cast<std::size_t>(i)];
        EXPECT_EQ(r.label, std::to_string(i + 1) + "Inj #");
        EXPECT_EQ(r.modes.size(), i == 0 ? 2u : 3u);
        EXPECT_EQ(r.modes[0], "Normal");
        EXPECT_EQ(r.modes[1], "Test (on gas)");
        EXPECT_EQ(r.modeIndex, expectIndex[i]) << i;
    }
    EXPECT_EQ(logic.Rows()[2].modes[2], "Off");
    EXPECT_EQ(logic.Rows()[1].offsetText, "-0,24");
    EXPECT_EQ(logic.Rows()[1].scrollValue, -3);

    // Row 1 (the first injector) has no "off" choice: mode 0 selects nothing there.
    image.Block3.InjMode[0] = 0;
    image.Block3.Cylinders = 6;
    logic.FillRows();  // an activation refills, it does not add rows
    EXPECT_EQ(logic.Rows().size(), 4u);
    EXPECT_EQ(logic.Rows()[0].modeIndex, -1);

    // Without a dictionary the built-in texts stand in.
    InjSetLogic bare(host, image, nullptr);
    bare.Load();
    EXPECT_EQ(bare.Rows().size(), 6u);
    EXPECT_EQ(bare.Texts().lblInjNum, "Injector");
    EXPECT_EQ(bare.Texts().modes[2], "Off");
}

TEST_F(InjSet, ModeChoicesRequestTheSequenceAndTestModeNeedsGas) {
    ReadAll();
    LoadDictionary();
    struct Case {
        int row, index, stored, fuel;  // fuel: block 2 Mode2
        int target;                    // -1: no request
        bool refused;
        int selectionAfter;
    } cases[] = {
        {0, 0, 4, 0, 3, false, 0},   // normal: always asked for
        {2, 0, 3, 3, 3, false, 0},
        {1, 1, 3, 3, 4, false, 1},   // test mode on gas
        {1, 1, 3, 0, -1, true, 0},   // ... refused on petrol, selection back to the stored mode
        {2, 1, 0, 0, -1, true, 2},
        {1, 1, 4, 0, -1, false, 1},  // already in test mode: nothing to do, nothing refused
        {3, 2, 3, 0, 0, false, 2},   // off
        {3, 2, 0, 3, -1, false, 2},  // already off
        {0, 2, 3, 3, -1, false, 0},  // the first injector offers no "off": ignored
    };
    for (const Case& c : cases) {
        image.Block3.InjMode = {3, 3, 3, 3, 0, 0, 0, 0};
        image.Block3.InjMode[static_cast<std::size_t>(c.row)] = c.stored;
        image.Block2.Mode2 = c.fuel;
        InjSetLogic logic(host, image, &lingue);
        logic.Load();
        host.ClearMessages();
        logic.OnModeSelected(c.row, c.index);

        EXPECT_EQ(image.InjModeTarget, c.target) << c.row << " " << c.index;
        if (c.target >= 0) {
            EXPECT_EQ(image.InjModeScope, 1);
            EXPECT_EQ(image.InjModeIndex, c.row);
            EXPECT_FALSE(logic.ModeListMayTakeFocus());
        }
        ASSERT_EQ(host.Messages().size(), c.refused ? 1u : 0u) << c.row << " " << c.index;
        if (c.refused) {
            EXPECT_EQ(host.Messages()[0].text, lingue.Voce(kEntryMsgModeNeedsGas));
            EXPECT_EQ(host.Messages()[0].text.rfind("This mode can only be selected", 0), 0u);
            EXPECT_EQ(host.Messages()[0].title, logic.Texts().caption);
            EXPECT_EQ(host.Messages()[0].icon, MsgIcon::Critical);
        }
        EXPECT_EQ(logic.Rows()[static_cast<std::size_t>(c.row)].modeIndex, c.selectionAfter) << c.row;
        const bool handled = !(c.row == 0 && c.index == 2);
        EXPECT_EQ(logic.TakeFocusToFirstGasBox(), handled);
        EXPECT_FALSE(logic.TakeFocusToFirstGasBox());
        image.InjModeTarget = -1;
    }
}

TEST_F(InjSet, APendingModeRequestRefusesEveryChoiceUntilItHasRun) {
    ReadAll();
    image.Block2.Mode2 = 3;
    image.Block3.InjMode = {3, 3, 3, 3, 0, 0, 0, 0};
    InjSetLogic logic(host, image, nullptr);
    logic.Load();
    logic.OnModeSelected(2, 2);  // injector 3 off
    ASSERT_EQ(image.InjModeTarget, 0);
    (void)logic.TakeFocusToFirstGasBox();

    // A click on any list while that request runs changes neither the request nor the lists.
    for (int row : {2, 1}) {
        logic.OnModeSelected(row, 1);
        EXPECT_EQ(image.InjModeTarget, 0) << row;
        EXPECT_EQ(image.InjModeIndex, 2) << row;
        EXPECT_EQ(logic.Rows()[static_cast<std::size_t>(row)].modeIndex, 0) << row;
        EXPECT_TRUE(logic.TakeFocusToFirstGasBox()) << row;
    }
    EXPECT_TRUE(host.Messages().empty());

    while (image.InjModeTarget >= 0) image.StepInjModeSequence();
    logic.OnModeSelected(1, 1);  // the request has run: choices are taken again
    EXPECT_EQ(image.InjModeTarget, 4);
    EXPECT_EQ(image.InjModeIndex, 1);
}

TEST_F(InjSet, EveryLoadRebuildsRowsCaptionAndTextsFromTheStateNow) {
    ReadAll();
    LoadDictionary();
    InjType other;
    other.Code = 7;
    other.Name = "Other type";
    scale.InjTypes.push_back(other);
    InjSetLogic logic(host, image, &lingue);
    logic.Load();
    ASSERT_EQ(logic.Rows().size(), 4u);

    // Closed, then six cylinders, another injector type and Italian chosen meanwhile, and a
    // mode request left running: the next opening shows all of it.
    image.Block3.Cylinders = 6;
    image.Block3.TpyInj = other.Code;
    ASSERT_TRUE(lingue.SetIdLingua(1).ok);
    image.InjModeTarget = 3;
    logic.Load();
    ASSERT_EQ(logic.Rows().size(), 6u);
    EXPECT_EQ(logic.Rows()[5].label, "6Inj #");
    EXPECT_EQ(logic.Rows()[5].modes.size(), 3u);
    EXPECT_EQ(image.InjModeTarget, -1);
    const int marker = lingue.FindMarker(kMarkerInj);
    ASSERT_GE(marker, 0);
    EXPECT_EQ(logic.Texts().caption, lingue.Voce(marker + kInjCaption) + " - Other type");
    EXPECT_EQ(logic.Texts().lblInjNum, "Iniettore");
    EXPECT_EQ(logic.Texts().modes[0], "Normale");
    EXPECT_NE(logic.Texts().lblTimePetrol, "Pet (ms)");

    image.Block3.Cylinders = 3;  // and back to fewer rows
    logic.Load();
    EXPECT_EQ(logic.Rows().size(), 3u);
}

TEST_F(InjSet, TestModeRequestRunsThroughTheSequenceOnGas) {
    ReadAll();
    image.Block2.Mode2 = 3;
    InjSetLogic logic(host, image, nullptr);
    logic.Load();
    logic.OnModeSelected(1, 1);  // injector 2 from mode 3 to test mode
    ASSERT_EQ(image.InjModeTarget, 4);
    image.StepInjModeSequence();
    EXPECT_EQ(image.Block3Pending.InjMode[1], 4);
    EXPECT_EQ(image.InjModeTarget, -1);
    EXPECT_TRUE(logic.ModeListMayTakeFocus());
}

TEST_F(InjSet, LiveTimesShowGasOnlyForInjectorsOnGas) {
    ReadAll();
    InjSetLogic logic(host, image, nullptr);
    logic.Load();
    image.Block3.InjMode = {3, 4, 1, 0, 0, 0, 0, 0};
    InjLiveTimes live;
    live.keyOn = true;
    live.fuelSelection = 3;
    live.petrolMs = {3.45, 2.0, 2.5, 12.5, 0, 0, 0, 0};
    live.correctionMs = {0.5, -0.25, 1, 1, 0, 0, 0, 0};
    logic.Refresh(live);
    const char* petrol[4] = {"03,45", "02,00", "02,50", "12,50"};
    const char* gas[4] = {"03,95", "01,75", "0", "0"};  // modes 1 and 0 show no gas time
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(logic.Rows()[static_cast<std::size_t>(i)].petrolText, petrol[i]);
        EXPECT_EQ(logic.Rows()[static_cast<std::size_t>(i)].gasText, gas[i]);
    }
    live.fuelSelection = 0;  // petrol selected: no gas times
    logic.Refresh(live);
    EXPECT_EQ(logic.Rows()[0].gasText, "0");
    EXPECT_EQ(logic.Rows()[0].petrolText, "03,45");
    live.keyOn = false;  // key off: both read 0
    logic.Refresh(live);
    EXPECT_EQ(logic.Rows()[0].petrolText, "0");
    EXPECT_EQ(logic.Rows()[1].gasText, "0");
}

TEST_F(InjSet, TimerRefreshesEveryHalfSecondFromTheImage) {
    ReadAll();
    InjSetLogic logic(host, image, nullptr);
    logic.Load();
    int changes = 0;
    Connection changed = logic.StateChanged.Connect([&] { ++changes; });
    image.Block1.StatusBits = 1;  // key on
    image.Block2.Mode = 3;
    image.Block1.InjTimeBnz[0] = 4.25;
    image.Block1.InjTimeGas[0] = 5.5;  // the gas time the ECU reports
    logic.Start();
    host.Advance(2'000'000);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(logic.Rows()[0].petrolText, "04,25");
    EXPECT_EQ(logic.Rows()[0].gasText, "05,50");
    logic.Stop();
    host.Advance(2'000'000);
    EXPECT_EQ(changes, 4);
}

TEST_F(InjSet, OffsetStepsAndRecentreGoToTheWriteCopy) {
    ReadAll();
    InjSetLogic logic(host, image, nullptr);
    logic.Load();
    logic.OnOffsetScroll(2, 30);
    EXPECT_DOUBLE_EQ(image.Block3Pending.InjOffset[2], 2.4);
    EXPECT_EQ(logic.Rows()[2].offsetText, "2,4");
    EXPECT_EQ(image.Block3WriteRequest, 4);
    logic.OnOffsetScroll(2, 99);  // beyond the bar: its end
    EXPECT_EQ(logic.Rows()[2].scrollValue, 50);
    EXPECT_DOUBLE_EQ(image.Block3Pending.InjOffset[2], 4.0);

    // Reopened before the write went out, the window shows the edit, not the old value.
    InjSetLogic again(host, image, nullptr);
    again.Load();
    EXPECT_EQ(again.Rows()[2].scrollValue, 50);

    // "X" brings the bar to its middle and stores 0; at the middle already it does nothing.
    image.Block3WriteRequest = 0;
    logic.OnRecentre(2);
    EXPECT_EQ(logic.Rows()[2].scrollValue, 0);
    EXPECT_EQ(image.Block3Pending.InjOffset[2], 0.0);
    EXPECT_EQ(image.Block3WriteRequest, 4);
    image.Block3WriteRequest = 0;
    logic.OnRecentre(2);
    EXPECT_EQ(image.Block3WriteRequest, 0);
    logic.OnOffsetScroll(7, 10);  // no such row
    logic.OnRecentre(-1);
    EXPECT_EQ(image.Block3WriteRequest, 0);
}

TEST_F(InjSet, ARunOfOffsetStepsGivesOneBlockWriteFourSlotsAfterTheLast) {
    ReadAll();
    InjSetLogic logic(host, image, nullptr);
    logic.Load();
    image.Requests = EcuRequestFlags{};
    ecu->Responder().ResetCounts();

    for (int step = 1; step <= 6; ++step) {
        logic.OnOffsetScroll(0, 5 * step);
        S2Slot();
    }
    EXPECT_EQ(Count(CMD_WRT_MEM3), 0);
    S2Slot();
    S2Slot();
    EXPECT_EQ(Count(CMD_WRT_MEM3), 0);  // three slots after the last step
    S2Slot();
    EXPECT_EQ(Count(CMD_WRT_MEM3), 1);  // the fourth
    for (int i = 0; i < 10; ++i) S2Slot();
    EXPECT_EQ(Count(CMD_WRT_MEM3), 1);
    // The expired countdown asks for a read and the write: the read goes first, then the
    // write, then the read-back.
    EXPECT_EQ(Count(CMD_READ_MEM3), 2);
    EXPECT_EQ(Mem().InjOffset(0), 300);  // 30 x 10 counts of 8 us
    EXPECT_DOUBLE_EQ(image.Block3.InjOffset[0], 2.4);

    // Opened again, the window shows the bar where it was left.
    InjSetLogic again(host, image, nullptr);
    again.Load();
    EXPECT_EQ(again.Rows()[0].scrollValue, 30);
    EXPECT_EQ(again.Rows()[0].offsetText, "2,4");
}

TEST_F(InjSet, SensitivityWritesOnlyAChangedValue) {
    ReadAll();
    image.Block3.BadBit = 5;
    InjSetLogic logic(host, image, nullptr);
    logic.Load();
    EXPECT_EQ(logic.SliderValue(), 5);
    EXPECT_EQ(logic.SensitivityText(), "1");  // (4 x 96 + 600) / 1000 = 0.984
    logic.OnSensitivity(5);
    EXPECT_EQ(image.Block3WriteRequest, 0);
    EXPECT_EQ(image.Block3Pending.BadBit, kNoChangeByte);
    logic.OnSensitivity(9);
    EXPECT_EQ(image.Block3Pending.BadBit, 9);
    EXPECT_EQ(image.Block3WriteRequest, 1);
    EXPECT_EQ(logic.SensitivityText(), "1,4");
    // Back to the ECU's value before the write: that value goes out, not the 9.
    logic.OnSensitivity(5);
    EXPECT_EQ(image.Block3Pending.BadBit, 5);
    EXPECT_EQ(logic.SensitivityText(), "1");
    logic.OnSensitivity(200);  // beyond the slider: its end
    EXPECT_EQ(logic.SliderValue(), InjSetLogic::kSensitivityMax);
    EXPECT_EQ(image.Block3Pending.BadBit, InjSetLogic::kSensitivityMax);

    // A value outside the slider's range is shown at the nearest end, its text as it is.
    image.Block3Pending.BadBit = kNoChangeByte;
    image.Block3.BadBit = 0;
    logic.Load();
    EXPECT_EQ(logic.SliderValue(), 1);
    EXPECT_EQ(logic.SensitivityText(), "0,5");
}

}  // namespace
