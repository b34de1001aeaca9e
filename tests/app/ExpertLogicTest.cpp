// The expert settings window's logic: the password levels, the lists' selection rules,
// the linked engine-speed lists, the semi-sequential refusal, typed values out of range,
// and "Erase" reaching the simulated ECU's working-time counters.
#include <gtest/gtest.h>

#include "app/DictionaryEntries.h"
#include "app/ExpertLogic.h"
#include "model/EcuRequests.h"
#include "model/ImageFixture.h"
#include "util/FileIo.h"

using namespace gw;
using namespace gwtest;

namespace {

class Expert : public ImageFixture {
protected:
    Expert() {
        host.SetLocale(NumberLocale::Comma());
        const auto diz = ReadWholeFile(std::string(GW_SOURCE_DIR) + "/data/LNG/M3.diz", 1 << 22);
        EXPECT_TRUE(diz);
        lingue.SetPathDizionario(dir.Write("LNG/M3.diz", *diz));
        lingue.SetPathAttualeLingua(dir.Write("LNG/M3.con", "0\r\n"));
        EXPECT_TRUE(lingue.LoadDizionario());
        dir.Write("LNG/ConfigScale.ini", "[CmbValuePreInj]\r\n0|0,5|1|1,5\r\n");
        scale.PassWord00 = "GASLEV1";
        scale.PassWord01 = "GASLEV2X";
        ReadAll();
        image.ResetPendingRecords();
        logic.Load();
        logic.Activate();
    }
    const ExpertListState& List(ExpertList l) { return logic.List(l); }
    std::string Selected(ExpertList l) {
        const auto& s = List(l);
        return s.selected < 0 ? "none" : s.items[static_cast<std::size_t>(s.selected)];
    }
    int IndexOf(ExpertList l, const std::string& item) {
        const auto& items = List(l).items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == item) return static_cast<int>(i);
        return -1;
    }

    ClsLingue lingue;
    ExpertLogic logic{image, lingue, dir.Path()};
};

}  // namespace

TEST_F(Expert, OpensSmallAndOnlyTheRightPasswordsOpenTheLevels) {
    EXPECT_EQ(logic.Level(), ExpertLevel::Locked);
    EXPECT_EQ(logic.Width(), 3555);
    EXPECT_EQ(logic.Height(), 1050);
    EXPECT_FALSE(logic.Layout().Find("FrmExp")->visible);
    EXPECT_EQ(logic.Layout().Find("ChkSingleChComm")->caption, "Semi sequential control");

    for (const char* wrong : {"", "gaslev1", "GASLEV1 ", "GASLEV2"}) {
        logic.PasswordEnter(wrong);
        EXPECT_EQ(logic.Level(), ExpertLevel::Locked) << wrong;
        EXPECT_EQ(logic.Width(), 3555);
        EXPECT_EQ(logic.Height(), 1050);
    }

    logic.PasswordEnter("GASLEV1");
    const LayoutControl& exp = *logic.Layout().Find("FrmExp");
    EXPECT_EQ(logic.Level(), ExpertLevel::First);
    EXPECT_TRUE(exp.visible);
    EXPECT_FALSE(logic.Layout().Find("FrmTrueExpert")->visible);
    EXPECT_EQ(logic.Width(), exp.width + 2 * exp.left + 90);
    EXPECT_EQ(logic.Height(), exp.height + exp.top + 495);

    logic.PasswordEnter("GASLEV2X");
    const LayoutControl& full = *logic.Layout().Find("FrmTrueExpert");
    EXPECT_EQ(logic.Level(), ExpertLevel::Full);
    EXPECT_EQ(logic.Width(), full.width + full.left + exp.left + 90);
    for (const auto& c : logic.Layout().Controls()) EXPECT_TRUE(c.visible) << c.name;
}

TEST_F(Expert, WithoutPasswordsTheEmptyTextOpensOnlyTheFirstLevel) {
    scale.PassWord00.clear();
    scale.PassWord01.clear();
    logic.PasswordEnter("");
    EXPECT_EQ(logic.Level(), ExpertLevel::First);
    scale.PassWord00 = "A";  // an unset second password is not an empty one
    logic.Load();
    logic.PasswordEnter("");
    EXPECT_EQ(logic.Level(), ExpertLevel::Locked);
}

TEST_F(Expert, ListsSelectTheFirstItemAtLeastTheValueAndAddTheirOwnWhenNoneIs) {
    struct Case {
        ExpertList list;
        int value;
        std::string selected;
        bool added;
    } cases[] = {
        {ExpertList::TempVolRef, 90, "100", false},    {ExpertList::TempVolRef, 31, "32", false},
        {ExpertList::TempVolRef, 121, "121", true},    {ExpertList::PressVolRef, 3100, "3100", true},
        {ExpertList::PressVolRef, 0, "200", false},    {ExpertList::PressVolRef, 3000, "3000", false},
        {ExpertList::MaxPowerSoh, 2100, "2200", false}, {ExpertList::MaxPowerSoh, 7000, "7000", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(ControlName(c.list)) + " " + std::to_string(c.value));
        image.Block3.TempVolRef = c.list == ExpertList::TempVolRef ? c.value : 50;
        image.Block3.PressVolRef = c.list == ExpertList::PressVolRef ? c.value : 1000;
        image.Block3.MaxPowerSoh = c.list == ExpertList::MaxPowerSoh ? c.value : 4000;
        logic.Activate();
        EXPECT_EQ(Selected(c.list), c.selected);
        const std::size_t designed = c.list == ExpertList::TempVolRef ? 28 : c.list == ExpertList::PressVolRef ? 57 : 25;
        EXPECT_EQ(List(c.list).items.size(), designed + (c.added ? 1 : 0));
        if (c.added) {
            EXPECT_EQ(List(c.list).selected, static_cast<int>(designed));
        }
    }
    // Block 5 lists only select: a value above every item leaves them without a selection.
    image.Block5.ValuePreInj = 0.496;  // 62 counts
    image.Block5.TemperUnderPreInj = 25;
    logic.Activate();
    EXPECT_EQ(Selected(ExpertList::ValuePreInj), "0,5");  // from the configuration file
    EXPECT_EQ(List(ExpertList::ValuePreInj).items.size(), 4u);
    EXPECT_EQ(Selected(ExpertList::TemperUnderPreInj), "none");  // defaults 5 ... 20
    EXPECT_EQ(List(ExpertList::TemperUnderPreInj).items.size(), 4u);
    // Index lists: BadBit 1 ... 25 is index - 1; other values select nothing.
    image.Block3.BadBit = 25;
    image.Block3.TypSensMap = 3;
    logic.Activate();
    EXPECT_EQ(Selected(ExpertList::BadBit), "3");
    EXPECT_EQ(Selected(ExpertList::TypSensMap), "none");
    EXPECT_EQ(List(ExpertList::SafetyCar).items, (std::vector<std::string>{"Disabled", "Enabled"}));
}

TEST_F(Expert, ListChoicesGoToThePendingRecordWithTheirWriteRequest) {
    logic.ListClick(ExpertList::PressVolRef, IndexOf(ExpertList::PressVolRef, "1250"));
    logic.ListClick(ExpertList::BadBit, IndexOf(ExpertList::BadBit, "0,8"));
    EXPECT_EQ(image.Block3Pending.PressVolRef, 1250);
    EXPECT_EQ(image.Block3Pending.BadBit, 3);
    EXPECT_EQ(image.Block3WriteRequest, 1);
    EXPECT_EQ(image.Block5WriteRequest, 0);
    logic.ListClick(ExpertList::ValuePreInj, IndexOf(ExpertList::ValuePreInj, "1,5"));
    EXPECT_DOUBLE_EQ(image.Block5Pending.ValuePreInj, 1.5);
    EXPECT_EQ(image.Block5WriteRequest, 1);
    // An index outside the list changes nothing.
    logic.ListClick(ExpertList::TempVolRef, 99);
    EXPECT_EQ(image.Block3Pending.TempVolRef, kNoChangeInt);
}

TEST_F(Expert, EngineSpeedListsStayInOrder) {
    image.Block5.RpmHight = 1000;
    image.Block5.RpmLow = 900;
    logic.Activate();
    ASSERT_EQ(Selected(ExpertList::RpmLow), "900");
    // High below low: low follows to the same place.
    logic.ListClick(ExpertList::RpmHight, IndexOf(ExpertList::RpmHight, "700"));
    EXPECT_EQ(Selected(ExpertList::RpmLow), "600");
    EXPECT_EQ(image.Block5Pending.RpmHight, 700);
    EXPECT_EQ(image.Block5Pending.RpmLow, 600);
    EXPECT_EQ(image.Block5WriteRequest, 1);
    // Low above high: high follows.
    logic.ListClick(ExpertList::RpmLow, IndexOf(ExpertList::RpmLow, "1200"));
    EXPECT_EQ(Selected(ExpertList::RpmHight), "1300");
    EXPECT_EQ(image.Block5Pending.RpmHight, 1300);
    EXPECT_EQ(image.Block5Pending.RpmLow, 1200);
    // High above low: low stays.
    logic.ListClick(ExpertList::RpmHight, IndexOf(ExpertList::RpmHight, "1500"));
    EXPECT_EQ(Selected(ExpertList::RpmLow), "1200");
    EXPECT_EQ(image.Block5Pending.RpmLow, 1200);
}

TEST_F(Expert, SemiSequentialChangeIsRefusedWhileTheStatusByteIsNotZero) {
    image.Block1.StatusBits = 1;  // key on
    image.Block5.Expert2 = 0;
    logic.Activate();
    logic.CheckClick(ExpertCheck::SingleChComm, true);
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, lingue.Voce(kEntryMsgSemiSequentialRefused));
    EXPECT_EQ(host.Messages()[0].title, "SETTING");
    EXPECT_EQ(host.Messages()[0].icon, MsgIcon::Critical);
    EXPECT_FALSE(logic.Checked(ExpertCheck::SingleChComm));
    EXPECT_EQ(image.Block5Pending.Expert2, kNoChangeByte);
    EXPECT_EQ(image.Block5WriteRequest, 0);

    image.Block1.StatusBits = 0;
    logic.CheckClick(ExpertCheck::SingleChComm, true);
    EXPECT_EQ(host.Messages().size(), 1u);
    EXPECT_TRUE(logic.Checked(ExpertCheck::SingleChComm));
    EXPECT_EQ(image.Block5Pending.Expert2, 1);
    EXPECT_EQ(image.Block5WriteRequest, 1);
    // Other boxes are not guarded by the status byte.
    image.Block1.StatusBits = 7;
    logic.CheckClick(ExpertCheck::AbilCompRpm, true);
    EXPECT_EQ(image.Block2Pending.AbilAcq[0], 1);
    EXPECT_EQ(image.Block2WriteRequest, 1);
}

TEST_F(Expert, TypedValuesOutsideTheirRangeAreRefusedWithTheImageUnchanged) {
    image.Block5.ExpTime1 = 40 * scale.K_Time_Inj_ms;
    logic.Activate();
    ASSERT_EQ(logic.Text(ExpertText::SohTfraComm), "40");
    const Block5Record before = image.Block5;
    for (const char* typed : {"300", "256", "-1", "abc", "12,5", "", "1e2", "0x10", "+5"}) {
        SCOPED_TRACE(typed);
        logic.TextEnter(ExpertText::SohTfraComm, typed);
        EXPECT_EQ(logic.Text(ExpertText::SohTfraComm), "40");
        EXPECT_EQ(image.Block5Pending.ExpTime1, kNoChangeDouble);
        EXPECT_EQ(image.Block5WriteRequest, 0);
    }
    EXPECT_EQ(image.Block5, before);

    logic.TextEnter(ExpertText::SohTonComm, " 255 ");
    EXPECT_EQ(logic.Text(ExpertText::SohTonComm), "255");
    EXPECT_EQ(image.Block5WriteRequest, 1);
    // 255 counts of 8 us go to the ECU as 255.
    EXPECT_EQ(image.EncodeBlock5().substr(10, 4), "FF00");
}

TEST_F(Expert, EraseClearsBothWorkingTimeCountersInTheEcu) {
    EXPECT_EQ(logic.TimeWork(), "Working hours (counter 2): 113\nWorking hours (counter 1): 205");
    logic.ClearHoursCnt();
    EXPECT_EQ(logic.TimeWork(), "Working hours (counter 2): 0\nWorking hours (counter 1): 0");
    EXPECT_EQ(image.Block2Pending.Minutes1, -1);
    EXPECT_EQ(image.Block2WriteRequest, 1);

    // The display timer's countdown, then the request service: written, then read back.
    image.TickWriteCountdowns();
    for (int i = 0; i < 5 && (image.Requests.Block2WritePending || image.Requests.Block2ReadRequest); ++i)
        EXPECT_TRUE(ServiceRequests(image, comm, true));
    EXPECT_EQ(Count(CMD_WRT_MEM2), 1);
    EXPECT_FALSE(image.Requests.Block2ReadRequest);
    EXPECT_LT(image.Block2.Minutes1, 2);  // the ECU counts on from 0
    EXPECT_EQ(image.Block2.Minutes2, 0);
    logic.Activate();
    EXPECT_EQ(logic.TimeWork(), "Working hours (counter 2): 0\nWorking hours (counter 1): 0");

    logic.ChangeStatoEcu();
    EXPECT_TRUE(image.Requests.EcuStateToggleRequest);
}
