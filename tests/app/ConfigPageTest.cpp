// The Configuration page's logic on the simulated ECU: a choice travels through the write
// countdown and the request service into the ECU's block 3 and back; choices made while
// the controls are being filled, or of the entry already shown, write nothing; lists from
// the shipped scale configuration and built in; the cylinder counts of the hardware; the
// injector-type question; the cylinder change; the write rules of every list.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/ConfigPage.h"
#include "link/Commands.h"
#include "model/EcuRequests.h"
#include "model/ImageFixture.h"
#include "model/VarFile.h"
#include "util/FileIo.h"

using namespace gw;
using namespace gwtest;

namespace {

std::string Shipped() {
    return ReadWholeFile(std::string(GW_SOURCE_DIR) + "/data/LNG/ConfigScale.ini", 1 << 20).value_or("");
}

class ConfigPageTest : public ImageFixture {
protected:
    ConfigPageTest() : page(host, image, scale, dir.Path()) {
        host.SetLocale(NumberLocale::Comma());
        page.AppTitle = "Workbench";
    }
    // Scale constants and type tables from the given file text, then the page's lists.
    void Load(const std::string& configScale) {
        const std::string path = dir.Write("LNG/ConfigScale.ini", configScale);
        ShowWarnings(host, ReadScaleConstants(host.Locale(), path, scale, &host));
        ShowWarnings(host, ReadInjTypes(host.Locale(), path, scale, "Workbench", &host));
        ShowWarnings(host, ReadGasLevelTypes(host.Locale(), path, scale, "Workbench", &host));
        ShowWarnings(host, ReadLambdaTypes(host.Locale(), path, scale, "Workbench", "", &host));
        page.RiempiCmbSwtch();
    }
    // Reads the ECU's blocks and shows them, as after a connection.
    void Connect() {
        Load(Shipped());
        Mem().block5[13] = 20;                    // sequence delay 0,5 s
        SimMemory::PutU16(Mem().block3, 64, 20);  // end-of-gas delay 0,5 s in 25 ms counts
        ReadAll();
        image.ResetPendingRecords();
        page.AggiornaPaginaConfig();
    }
    int IndexOf(ConfigList l, const std::string& text) const {
        const auto& items = page.List(l).items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == text) return static_cast<int>(i);
        ADD_FAILURE() << "no entry " << text;
        return -1;
    }
    std::string Selected(ConfigList l) const {
        const ComboList& c = page.List(l);
        return c.Valid(c.selected) ? c.items[static_cast<std::size_t>(c.selected)] : "<none>";
    }
    // Nothing waits to be written: pending records at their markers, no countdown, no
    // injector-mode request.
    void ExpectNothingWritten() {
        ParameterImage fresh(scale, comm);
        fresh.ResetPendingRecords();
        EXPECT_EQ(image.Block3Pending, fresh.Block3Pending);
        EXPECT_EQ(image.Block5Pending, fresh.Block5Pending);
        EXPECT_EQ(image.Block3WriteRequest, 0);
        EXPECT_EQ(image.Block5WriteRequest, 0);
        EXPECT_EQ(image.InjModeTarget, -1);
    }
    // The display timer's share of a write: countdowns, then the request service until
    // block 3 and 5 are written and read back.
    void RunWrites() {
        for (int i = 0; i < 20; ++i) {
            image.TickWriteCountdowns();
            ServiceRequests(image, comm, true);
        }
        const EcuRequestFlags& r = image.Requests;
        EXPECT_FALSE(r.Block3WritePending || r.Block3ReadRequest || r.Block5WritePending || r.Block5ReadRequest);
    }

    ConfigPageLogic page;
};

TEST_F(ConfigPageTest, SwitchOverTemperatureReachesTheEcuAndReadsBack) {
    Connect();
    EXPECT_EQ(Selected(ConfigList::CmbSwtchTemp), "35");
    ASSERT_EQ(Mem().U16(Mem().block3, 2), 35);

    page.CmbSwtchTemp_Click(IndexOf(ConfigList::CmbSwtchTemp, "50"));
    EXPECT_EQ(image.Block3Pending.SwtchTemp, 50);
    EXPECT_EQ(image.Block3WriteRequest, 1);
    // 50 is above the threshold 40: the first delay table, in which the stored 60 s is found
    // again.
    EXPECT_EQ(page.List(ConfigList::CmbSwtchDelay).items.front(), "60");
    EXPECT_EQ(Selected(ConfigList::CmbSwtchDelay), "60");
    EXPECT_EQ(Mem().U16(Mem().block3, 2), 35);  // nothing sent before the countdown ran

    RunWrites();
    EXPECT_EQ(Mem().U16(Mem().block3, 2), 50);
    EXPECT_EQ(Mem().U16(Mem().block3, 55), 60 / 0.025);
    EXPECT_EQ(image.Block3.SwtchTemp, 50);
    page.AggiornaPaginaConfig();
    EXPECT_EQ(Selected(ConfigList::CmbSwtchTemp), "50");
    EXPECT_EQ(Selected(ConfigList::CmbSwtchDelay), "60");

    // The sequence delay goes to block 5 in steps of 25 ms.
    EXPECT_EQ(Selected(ConfigList::CmbSwtchSeq), "0,5");
    page.CmbSwtchSeq_Click(IndexOf(ConfigList::CmbSwtchSeq, "0,2"));
    EXPECT_EQ(image.Block5Pending.SwtchSeq, 8);
    EXPECT_EQ(image.Block5WriteRequest, 1);
    RunWrites();
    EXPECT_EQ(Mem().block5[13], 8);
    page.AggiornaPaginaConfig();
    EXPECT_EQ(Selected(ConfigList::CmbSwtchSeq), "0,2");
}

TEST_F(ConfigPageTest, FillingAndChoicesWhileUpdatingWriteNothing) {
    Connect();
    ExpectNothingWritten();
    // Refilling after a language change and refreshing write nothing either.
    page.RiempiCmbSwtch();
    page.AggiornaPaginaConfig();
    ExpectNothingWritten();

    page.UpdatingControls = true;
    for (std::size_t l = 0; l < kConfigListCount; ++l) {
        const auto list = static_cast<ConfigList>(l);
        const ComboList& c = page.List(list);
        for (int i = 0; i < c.Count(); ++i)
            if (i != c.selected) page.Click(list, i);
    }
    page.OptTypFuel_Click(1);
    ExpectNothingWritten();
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(page.OptTypFuel, 0);
}

TEST_F(ConfigPageTest, ChoosingTheEntryAlreadyShownWritesNothing) {
    Connect();
    for (std::size_t l = 0; l < kConfigListCount; ++l) {
        const auto list = static_cast<ConfigList>(l);
        SCOPED_TRACE(l);
        ASSERT_GE(page.List(list).selected, 0) << "the ECU's value is shown in every list";
        page.Click(list, page.List(list).selected);
        page.Click(list, page.List(list).Count());  // and an index off the list
    }
    page.OptTypFuel_Click(page.OptTypFuel);
    ExpectNothingWritten();
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ConfigPageTest, SelectionFromTheReadCopy) {
    Connect();
    struct Case {
        ConfigList list;
        std::string shown;
    } cases[] = {
        {ConfigList::CmbSwtchRpm, "1800"},
        {ConfigList::CmbSwtchCilindri, "4"},
        {ConfigList::CmbSwtchBobine, "4"},
        {ConfigList::CmbSwtchBar, "0,8"},           // 800 mbar
        {ConfigList::CmbSwtchDelayPress, "0,5"},     // 20 counts of 0,025 s
        {ConfigList::CmbSwtchForce, "0"},
        {ConfigList::CmbEmptyGas, "Enabled"},
        {ConfigList::CmbTpyInj, "Fast 1 Ohm"},       // code 1
        {ConfigList::CmbTpyGLS, "Resistive 0-90 Ohm"},
        {ConfigList::CmbSwtchLambdaType, "0..0,8"},
    };
    for (const Case& c : cases) EXPECT_EQ(Selected(c.list), c.shown) << static_cast<int>(c.list);
    EXPECT_EQ(Selected(ConfigList::CmbSwtchSeq), "0,5");  // 20 steps of 25 ms
    EXPECT_TRUE(page.List(ConfigList::CmbSwtchBar).enabled);
    EXPECT_EQ(page.OptTypFuel, 0);

    // Scaled values that land a hair beside an entry still select it; a threshold
    // temperature uses the first delay table; the unset speed 65535 shows entry 0; a value
    // above every entry leaves the list without a selection; an unknown fuel shows neither.
    image.Block3.SwtchDelayPress = 12 * 0.025;  // 0,30000000000000004
    image.Block3.SwtchTemp = 40;
    image.Block3.SwtchDelay = 70;
    image.Block3.SwtchRpmRaw = 65535;
    image.Block3.SwtchRpm = 0;
    image.Block3.SwtchForce = 601;
    image.Block3.EmptyGas = 0;
    image.Block3.TpyInj2 = 7;
    page.AggiornaPaginaConfig();
    EXPECT_EQ(Selected(ConfigList::CmbSwtchDelayPress), "0,3");
    EXPECT_EQ(page.List(ConfigList::CmbSwtchDelay).items.front(), "60");
    EXPECT_EQ(Selected(ConfigList::CmbSwtchDelay), "70");
    EXPECT_EQ(Selected(ConfigList::CmbSwtchRpm), "0");
    EXPECT_EQ(Selected(ConfigList::CmbSwtchForce), "<none>");
    EXPECT_EQ(Selected(ConfigList::CmbEmptyGas), "Disabled");
    EXPECT_FALSE(page.List(ConfigList::CmbSwtchBar).enabled);
    EXPECT_FALSE(page.List(ConfigList::CmbSwtchDelayPress).enabled);
    EXPECT_EQ(page.OptTypFuel, -1);
    // Below the threshold: the second table; a delay above it selects its last entry.
    image.Block3.SwtchTemp = 35;
    page.AggiornaPaginaConfig();
    EXPECT_EQ(page.List(ConfigList::CmbSwtchDelay).items.front(), "20");
    EXPECT_EQ(Selected(ConfigList::CmbSwtchDelay), "70");
    // The General page shows the stored cylinder count.
    EXPECT_EQ(page.CmbInj.items, (std::vector<std::string>{"Inj_##", "Inj_1", "Inj_2", "Inj_3", "Inj_4"}));
    EXPECT_EQ(page.CmbInj.selected, 0);
    EXPECT_TRUE(page.InjColumnVisible[3]);
    EXPECT_FALSE(page.InjColumnVisible[4]);
    EXPECT_FALSE(page.RefreshRequested);
}

// The values the simulated ECU starts with and those of the shipped default configuration
// each select an entry of their list, exactly (a delay in 25 ms counts read as seconds).
TEST_F(ConfigPageTest, ShippedAndSimulatedValuesSelectAnEntryOfTheirList) {
    Load(Shipped());
    const std::string defaultXar = std::string(GW_SOURCE_DIR) + "/data/LNG/Default.Xar";
    for (bool fromDefaultFile : {false, true}) {
        SCOPED_TRACE(fromDefaultFile ? "Default.Xar" : "simulated ECU");
        ReadAll();
        // The default configuration goes to the ECU and is read back from it.
        if (fromDefaultFile) {
            ASSERT_TRUE(LoadVarFile(image, defaultXar));
            ReadAll();
        }
        image.ResetPendingRecords();
        page.AggiornaPaginaConfig();
        const Block3Record& b = image.Block3;
        const double seq = image.Block5.SwtchSeq * 0.025;
        const struct {
            ConfigList list;
            double value;
        } held[] = {
            {ConfigList::CmbSwtchRpm, static_cast<double>(b.SwtchRpm)},
            {ConfigList::CmbSwtchTemp, static_cast<double>(b.SwtchTemp)},
            {ConfigList::CmbSwtchDelay, b.SwtchDelay},
            {ConfigList::CmbSwtchForce, b.SwtchForce},
            {ConfigList::CmbSwtchSeq, seq},
            {ConfigList::CmbEmptyGas, static_cast<double>(b.EmptyGas)},
            {ConfigList::CmbSwtchBar, b.SwtchBar / 1000.0},
            {ConfigList::CmbSwtchDelayPress, b.SwtchDelayPress},
            {ConfigList::CmbSwtchCilindri, static_cast<double>(b.Cylinders)},
            {ConfigList::CmbSwtchBobine, static_cast<double>(b.Coils)},
        };
        for (const auto& h : held) {
            const ComboList& c = page.List(h.list);
            SCOPED_TRACE(static_cast<int>(h.list));
            ASSERT_TRUE(c.Valid(c.selected)) << "value " << h.value;
            EXPECT_NEAR(c.data[static_cast<std::size_t>(c.selected)], h.value, 1e-6);
        }
    }
}

// Each choice and what the write copy receives.
TEST_F(ConfigPageTest, ChoicesGoToTheWriteCopy) {
    Connect();
    struct Case {
        const char* name;
        ConfigList list;
        std::string entry;
        std::function<bool(const ParameterImage&)> written;
        double ParameterImage::*countdown;
    } cases[] = {
        {"rpm", ConfigList::CmbSwtchRpm, "2200", [](auto& i) { return i.Block3Pending.SwtchRpm == 2200; },
         &ParameterImage::Block3WriteRequest},
        {"delay", ConfigList::CmbSwtchDelay, "45", [](auto& i) { return i.Block3Pending.SwtchDelay == 45; },
         &ParameterImage::Block3WriteRequest},
        {"force", ConfigList::CmbSwtchForce, "240", [](auto& i) { return i.Block3Pending.SwtchForce == 240; },
         &ParameterImage::Block3WriteRequest},
        {"sequence", ConfigList::CmbSwtchSeq, "0,75", [](auto& i) { return i.Block5Pending.SwtchSeq == 30; },
         &ParameterImage::Block5WriteRequest},
        {"pressure", ConfigList::CmbSwtchBar, "0,3", [](auto& i) { return i.Block3Pending.SwtchBar == 300; },
         &ParameterImage::Block3WriteRequest},
        {"pressure delay", ConfigList::CmbSwtchDelayPress, "2,5",
         [](auto& i) { return i.Block3Pending.SwtchDelayPress == 2.5; }, &ParameterImage::Block3WriteRequest},
        {"empty gas off", ConfigList::CmbEmptyGas, "Disabled", [](auto& i) { return i.Block3Pending.EmptyGas == 0; },
         &ParameterImage::Block3WriteRequest},
        {"lambda", ConfigList::CmbSwtchLambdaType, "0..5 Inverted",
         [this](auto& i) { return i.Block3Pending.SwtchLambdaType == 3 && scale.K_Lambda_V == 0.005; },
         &ParameterImage::Block3WriteRequest},
        {"coils", ConfigList::CmbSwtchBobine, "2", [](auto& i) { return i.Block3Pending.Coils == 2; },
         &ParameterImage::Block3WriteRequest},
        {"level sensor", ConfigList::CmbTpyGLS, "Capacitive 0-2,5 V",
         [](auto& i) {
             return i.Block3Pending.TpyGLS == 4 && i.Block3Pending.Level == std::array<int, 6>{100, 200, 310, 420, 511, 0};
         },
         &ParameterImage::Block3WriteRequest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        image.ResetPendingRecords();
        image.Block3WriteRequest = image.Block5WriteRequest = 0;
        page.Click(c.list, IndexOf(c.list, c.entry));
        EXPECT_TRUE(c.written(image));
        EXPECT_EQ(image.*c.countdown, 1);
    }
    EXPECT_FALSE(page.List(ConfigList::CmbSwtchBar).enabled);  // the end-of-gas check is off

    image.ResetPendingRecords();
    page.OptTypFuel_Click(1);
    EXPECT_EQ(image.Block3Pending.TpyInj2, 1);
    EXPECT_EQ(page.OptTypFuel, 1);
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ConfigPageTest, ListsFromTheShippedFileAndBuiltIn) {
    struct Expect {
        ConfigList list;
        int count;
        std::string first, last;
    };
    const std::vector<Expect> builtIn = {
        {ConfigList::CmbSwtchRpm, 15, "0", "3000"},
        {ConfigList::CmbSwtchTemp, 11, "20", "70"},
        {ConfigList::CmbSwtchForce, 9, "0", "600"},
        {ConfigList::CmbSwtchBar, 12, "0,1", "1,2"},
        {ConfigList::CmbSwtchDelayPress, 18, "0,1", "5"},
        {ConfigList::CmbEmptyGas, 2, "Disabled", "Enabled"},
        {ConfigList::CmbSwtchCilindri, 7, "1", "8"},
        {ConfigList::CmbSwtchBobine, 7, "1", "8"},
    };
    auto check = [&](const std::vector<Expect>& all) {
        for (const Expect& e : all) {
            const ComboList& c = page.List(e.list);
            SCOPED_TRACE(static_cast<int>(e.list));
            ASSERT_EQ(c.Count(), e.count);
            EXPECT_EQ(c.items.front(), e.first);
            EXPECT_EQ(c.items.back(), e.last);
            EXPECT_EQ(c.selected, -1);
        }
    };

    // The shipped file: its own lists and type tables.
    Load(Shipped());
    check(builtIn);
    check({{ConfigList::CmbSwtchSeq, 12, "0", "5"},
           {ConfigList::CmbTpyInj, 4, "Standard 2 Ohm", "Low flow 2 Ohm"},
           {ConfigList::CmbTpyGLS, 5, "No sensor", "Capacitive 0-2,5 V"},
           {ConfigList::CmbSwtchLambdaType, 5, "NULL", "0,8..1,6"}});
    EXPECT_EQ(page.List(ConfigList::CmbSwtchSeq).items[4], "0,5");

    // A file with other lists: taken as they are, numbers in the user's format; a section
    // without a single number falls back to the built-in list.
    Load("[TEMP. DI COMM.]\r\n10|15,5|x\r\n[RPM DI COMM.]\r\nabc\r\n[SOGLIA RITARDO TEMP. DI COMM.]\r\n15\r\n"
         "[RITARDO TEMP. DI COMM.]\r\n1|2\r\n");
    check({{ConfigList::CmbSwtchTemp, 2, "10", "15,5"}, {ConfigList::CmbSwtchRpm, 15, "0", "3000"}});
    EXPECT_EQ(page.DelayThreshold, 15);
    EXPECT_EQ(page.DelayTableHigh, (std::vector<std::string>{"1", "2"}));

    // No lists in the file, and no file at all: the built-in lists; no sequence list.
    for (bool file : {true, false}) {
        SCOPED_TRACE(file);
        if (file) {
            Load("[K_Time_Inj_ms]\r\n0,008\r\n");
        } else {
            std::remove(dir.File("LNG/ConfigScale.ini").c_str());
            page.RiempiCmbSwtch();
        }
        check(builtIn);
        EXPECT_EQ(page.List(ConfigList::CmbSwtchSeq).Count(), 0);
        EXPECT_EQ(page.DelayThreshold, 40);
        EXPECT_EQ(page.DelayTableLow.front(), "20");
        EXPECT_EQ(page.DelayTableHigh.back(), "120");
    }
    // Lambda types whose first name is not "NULL" (the absent-sensor text replaced it):
    // the built-in names after the page's "off" text.
    scale.LambdaTypes[0].Name = "No sensor";
    page.RiempiCmbSwtch();
    EXPECT_EQ(page.List(ConfigList::CmbSwtchLambdaType).items,
              (std::vector<std::string>{"Disabled", "0..0,8", "0..5 Direct", "0..5 Inverted", "0,8..1,6"}));
    EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ConfigPageTest, CylinderCountsOfTheHardware) {
    Load(Shipped());  // 4 cylinders: 260, 6: 262, 8: 264
    struct Case {
        int code;
        std::vector<std::string> offered;
    } cases[] = {
        {260, {"1", "2", "3", "4"}},
        {262, {"1", "2", "3", "4", "5", "6"}},
        {264, {"1", "2", "3", "4", "5", "6", "8"}},
        {4, {"1", "2", "3", "4", "5", "6", "8"}},
    };
    for (const Case& c : cases) {
        std::string memo(16, '\0');
        memo[8] = static_cast<char>(c.code & 0xFF);
        memo[9] = static_cast<char>(c.code >> 8);
        comm.MemoDataCollaudo = AnswerFrame(CMD_READ_DCOL_FL, memo);
        page.RiempiCmbSwtchCilindri();
        EXPECT_EQ(page.List(ConfigList::CmbSwtchCilindri).items, c.offered) << c.code;
    }
    // Through the ECU's own memo, and a stored count the hardware does not offer.
    Mem().testDate[8] = 260 & 0xFF;
    Mem().testDate[9] = 260 >> 8;
    ReadAll();
    image.Block3.Cylinders = 6;
    page.AggiornaPaginaConfig();
    EXPECT_EQ(page.List(ConfigList::CmbSwtchCilindri).Count(), 4);
    EXPECT_EQ(Selected(ConfigList::CmbSwtchCilindri), "<none>");
}

TEST_F(ConfigPageTest, InjectorTypeAsksFirst) {
    Connect();
    ASSERT_EQ(Selected(ConfigList::CmbTpyInj), "Fast 1 Ohm");
    const Block3Record before = image.Block3;

    host.QueueAnswer(MsgAnswer::No);
    page.CmbTpyInj_Click(IndexOf(ConfigList::CmbTpyInj, "High flow 3 Ohm"));
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, "Are you sure?");
    EXPECT_EQ(host.Messages()[0].title, "Workbench -  Software ver. 01.01.03");
    EXPECT_EQ(host.Messages()[0].buttons, MsgButtons::YesNo);
    ExpectNothingWritten();
    EXPECT_EQ(image.Block3, before);
    EXPECT_EQ(Selected(ConfigList::CmbTpyInj), "Fast 1 Ohm");
    EXPECT_EQ(page.TakeFocusRequest(), ConfigFocus::CmdTpyInj);
    EXPECT_EQ(page.TakeFocusRequest(), ConfigFocus::None);

    host.QueueAnswer(MsgAnswer::Yes);
    page.CmbTpyInj_Click(IndexOf(ConfigList::CmbTpyInj, "High flow 3 Ohm"));
    EXPECT_EQ(image.Block3Pending.TpyInj, 2);
    EXPECT_EQ(image.Block3Pending.InjTime1, 3);
    EXPECT_EQ(image.Block3Pending.PwmTime2, 5);  // the type's third value line
    EXPECT_EQ(image.Block3Pending.PwmTime1, 3);
    EXPECT_EQ(image.Block3WriteRequest, 1);
    EXPECT_EQ(Selected(ConfigList::CmbTpyInj), "High flow 3 Ohm");
}

TEST_F(ConfigPageTest, CylinderChangeRequestsTheInjectorModeSequence) {
    Connect();
    page.CmbSwtchCilindri_Click(IndexOf(ConfigList::CmbSwtchCilindri, "2"));
    EXPECT_EQ(image.Block3Pending.Cylinders, 2);
    for (int i = 2; i < kInjectors; ++i) EXPECT_EQ(image.Block3Pending.InjMode[static_cast<std::size_t>(i)], 0) << i;
    EXPECT_EQ(image.Block3Pending.InjMode[0], kNoChangeByte);
    EXPECT_EQ(image.InjModeTarget, 3);
    EXPECT_EQ(image.InjModeScope, 2);
    EXPECT_EQ(image.InjModeIndex, 2);
    EXPECT_EQ(page.TakeFocusRequest(), ConfigFocus::CmdTpyInj);

    // The sequence, run by the display timer, has the new count written.
    image.StepInjModeSequence();
    EXPECT_EQ(image.Block3WriteRequest, 1);
    RunWrites();
    EXPECT_EQ(Mem().Cylinders(), 2);
    EXPECT_EQ(Mem().InjMode(2), 0);
    EXPECT_EQ(Mem().InjMode(3), 0);
}

TEST_F(ConfigPageTest, InjectorModeRuleAfterACompleteRead) {
    Connect();
    EXPECT_FALSE(page.ApplyInjectorModeRule());  // 4 cylinders in mode 3, the rest 0
    ExpectNothingWritten();

    image.Block3.Cylinders = 2;
    image.Block3.InjMode = {0, 3, 3, 0, 4, 0, 0, 0};
    EXPECT_TRUE(page.ApplyInjectorModeRule());
    const std::array<int, kInjectors> expected{1, 255, 0, 255, 0, 255, 255, 255};
    EXPECT_EQ(image.Block3Pending.InjMode, expected);
    EXPECT_EQ(image.Block3WriteRequest, 1);
}

TEST_F(ConfigPageTest, ButtonsOpenSideWindowsAndResetAllPendsTheDefaultConfiguration) {
    std::vector<SideWindow> opened;
    Connection opens = page.OpenSideWindow.Connect([&](SideWindow w) { opened.push_back(w); });
    page.CmdTpyInj_Click();
    page.CmdTpyGLS_Click();
    page.CmdExpert_Click();
    EXPECT_EQ(opened, (std::vector<SideWindow>{SideWindow::InjSet, SideWindow::LevelSetting, SideWindow::Expert}));

    std::string pending;
    EXPECT_FALSE(page.CmdReserVar_Click());  // no pending file bound
    page.PendingConfigFile = &pending;
    EXPECT_TRUE(page.CmdReserVar_Click());
    EXPECT_EQ(pending, AppPath(dir.Path(), "\\LNG\\Default.Xar"));
    pending = "other.var";
    EXPECT_FALSE(page.CmdReserVar_Click());
    EXPECT_EQ(pending, "other.var");
}

}  // namespace
