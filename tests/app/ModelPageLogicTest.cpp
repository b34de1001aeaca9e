// The model page's logic on virtual time, with a workbench and its display scheduler talking
// to the simulated ECU: a held button repeats on the host's timers and ends in one table
// write, a drag is one edit, a reset answered No changes nothing, a refused write is shown
// until a later write succeeds.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "app/DisplayScheduler.h"
#include "app/ModelPageLogic.h"
#include "link/Commands.h"
#include "model/CorrectionTables.h"
#include "support/SimPorts.h"
#include "support/TempDir.h"
#include "util/EventHost.h"
#include "util/FileIo.h"

using namespace gw;

namespace {

struct ModelRig {
    gwtest::TempDir dir;
    VirtualHost host{0};
    std::shared_ptr<SimEcu> ecu = std::make_shared<SimEcu>();
    gwtest::SimOnlyPorts ports{host, ecu};
    std::unique_ptr<Workbench> wb;
    std::unique_ptr<DisplayScheduler> sched;
    std::unique_ptr<ModelPageLogic> page;

    ModelRig() {
        dir.Write("BIN/SetCom.ini", "[SearchCom]\r\n255\r\n");
        for (const char* f : {"BIN/Flash.ini", "BIN/Norvik512.frh"})
            dir.Write(f, *ReadWholeFile(std::string(GW_SOURCE_DIR) + "/data/" + f));
        wb = std::make_unique<Workbench>(host, ports, dir.Path());
        sched = std::make_unique<DisplayScheduler>(*wb, *wb->Image, *wb->Check);
        sched->Attach();
        wb->Main();
        wb->Comm->Simulated = true;
        page = std::make_unique<ModelPageLogic>(host, *wb->Image, &wb->Lingue);
        page->AppTitle = wb->AppTitle;
    }

    template <class F>
    bool RunUntil(F cond, double maxUs) {
        const double end = host.MicroClock() + maxUs;
        while (host.MicroClock() < end && !cond()) host.Advance(1000);
        return cond();
    }
    // Connected, the ECU's blocks and correction table read.
    bool Ready() {
        return RunUntil([this] { return wb->RequestsEnabled && !sched->RefreshPending && wb->Image->CorTableKnown; },
                        30'000'000);
    }
    int TableWrites() { return ecu->Responder().Count(CMD_WRT_TBL_COR); }
    bool WriteServed() {
        return RunUntil([this] { return wb->Image->Requests.CorTableWriteRequest == kCorWriteNone; }, 10'000'000);
    }
    // What the simulated ECU holds is the model's table.
    bool EcuHoldsTheModel() {
        TimeTable held{};
        const auto& mem = ecu->Memory().corTable;
        for (int i = 0; i < kTimeTableSize; ++i) {
            const double raw = mem[static_cast<std::size_t>(i)];
            held[static_cast<std::size_t>(i)] =
                i < kCorTableTimeEntries ? raw * wb->Scale.K_Time_Inj_ms : i < kCorTablePlaceEntry ? raw / 1000 : raw;
        }
        return SameTableOnWire(held, page->TableToWrite(), wb->Scale.K_Time_Inj_ms);
    }
};

TEST(ModelPageLogic, AHeldButtonRepeatsFasterAndEndsInOneTableWrite) {
    ModelRig rig;
    ASSERT_TRUE(rig.Ready());
    ModelPageLogic& page = *rig.page;
    std::vector<double> stepsAtMs;
    int lastSteps = 0;
    const double t0 = rig.host.MicroClock();
    Connection c = page.Changed.Connect([&] {
        if (page.HeldSteps() != lastSteps) {
            lastSteps = page.HeldSteps();
            stepsAtMs.push_back((rig.host.MicroClock() - t0) / 1000);
        }
    });
    const int writesBefore = rig.TableWrites();

    page.Press(ModelButton::OffsetUp);
    rig.host.Advance(1'170'000);
    // 0.2 s, then each wait 1.2 times shorter until it is no longer above 1/80 s (to the ms).
    const std::vector<double> expected = {0,    200,  367,  506,  622,  718,  798,  865,  921,  968,
                                          1007, 1039, 1066, 1088, 1107, 1123, 1136, 1147, 1158, 1169};
    // (An exchange running inside the advance may carry the clock a little past its end.)
    ASSERT_GE(stepsAtMs.size(), expected.size());
    stepsAtMs.resize(expected.size());
    EXPECT_EQ(stepsAtMs, expected);
    EXPECT_TRUE(page.LineBoxRaised(ModelLineBox::Offset));
    EXPECT_EQ(page.GetSelPunto(), 6);  // every label selected
    EXPECT_EQ(rig.TableWrites(), writesBefore);  // nothing written while held
    rig.host.Advance(500'000);
    const float offset = rig.wb->Image->Model.Offset;
    EXPECT_NEAR(offset, 0.104 * page.HeldSteps(), 1e-4);

    page.Release();
    rig.host.Advance(1'000'000);
    EXPECT_EQ(rig.wb->Image->Model.Offset, offset);  // the repeat has stopped
    ASSERT_TRUE(rig.WriteServed());
    rig.host.Advance(2'000'000);
    EXPECT_EQ(rig.TableWrites() - writesBefore, 4);  // one table: four chunks
    EXPECT_TRUE(rig.EcuHoldsTheModel());
    EXPECT_FALSE(rig.wb->Image->CorTableWriteFailed);
    EXPECT_EQ(page.WriteStateText(false), "");

    // A drag is one edit: the point follows in whole steps under the same rules, one write.
    ASSERT_TRUE(page.BeginDrag(2));
    EXPECT_EQ(page.GetSelPunto(), 2);
    EXPECT_TRUE(page.PointBoxesRaised(1));
    for (double x : {8.5, 9.0, 9.4}) page.DragTo(x, 12.0);
    EXPECT_NEAR(rig.wb->Image->Model.points[2].Shift, 1.28, 1e-4);  // 9.344 - 8.064: ten steps
    EXPECT_NEAR(rig.wb->Image->Model.points[2].Y, 12.0, 0.104 / 2 + 1e-4);
    rig.host.Advance(1'000'000);
    EXPECT_EQ(rig.wb->Image->Requests.CorTableWriteRequest, kCorWriteNone);  // not before the release
    page.EndDrag();
    ASSERT_TRUE(rig.WriteServed());
    EXPECT_EQ(rig.TableWrites() - writesBefore, 8);
    EXPECT_TRUE(rig.EcuHoldsTheModel());
}

TEST(ModelPageLogic, AResetAnsweredNoChangesNothing) {
    ModelRig rig;
    ModelPageLogic& page = *rig.page;
    page.SelectPoint(3);
    page.KeyStep(ModelButton::Up);
    page.KeyStep(ModelButton::Left);
    page.KeyRelease();
    const ModelRecord edited = rig.wb->Image->Model;
    rig.wb->Image->Requests.CorTableWriteRequest = kCorWriteNone;

    rig.host.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(page.CmdReset());
    rig.host.QueueAnswer(MsgAnswer::No);
    EXPECT_FALSE(page.CmdResetLine());
    EXPECT_EQ(rig.wb->Image->Model, edited);
    EXPECT_EQ(page.GetSelPunto(), 3);
    EXPECT_EQ(rig.wb->Image->Requests.CorTableWriteRequest, kCorWriteNone);
    ASSERT_EQ(rig.host.Messages().size(), 2u);
    EXPECT_EQ(rig.host.Messages()[0].title, rig.wb->AppTitle + " -  Software ver. 01.01.03");
    EXPECT_EQ(rig.host.Messages()[0].text, page.Texts.resetModelQuestion);
    EXPECT_EQ(rig.host.Messages()[1].text, page.Texts.resetLineQuestion);
    EXPECT_EQ(rig.host.Messages()[0].buttons, MsgButtons::YesNo);

    // Yes: the points back on the line (which stays), then the default model; each asks a write.
    rig.host.QueueAnswer(MsgAnswer::Yes);
    EXPECT_TRUE(page.CmdResetLine());
    EXPECT_EQ(page.GetSelPunto(), -1);
    EXPECT_EQ(rig.wb->Image->Requests.CorTableWriteRequest, kCorWriteFromModel);
    EXPECT_EQ(rig.wb->Image->Model.points[3].Enrich, 0.0f);
    EXPECT_EQ(rig.wb->Image->Model.points[3].X, kModelDefaultPlaces[3]);
    rig.host.QueueAnswer(MsgAnswer::Yes);
    EXPECT_TRUE(page.CmdReset());
    EXPECT_EQ(rig.wb->Image->Model, ModelRecord{});
}

TEST(ModelPageLogic, ARefusedWriteIsShownUntilALaterWriteSucceeds) {
    ModelRig rig;
    ASSERT_TRUE(rig.Ready());
    ModelPageLogic& page = *rig.page;
    const int writesBefore = rig.TableWrites();
    rig.ecu->Faults().Add(Fault::Status, {.command = CMD_WRT_TBL_COR, .count = 0, .value = 254});
    page.SelectPoint(4);
    page.KeyStep(ModelButton::Down);
    page.KeyRelease();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.wb->Image->CorTableWriteFailed; }, 20'000'000));
    EXPECT_GT(rig.TableWrites(), writesBefore);
    EXPECT_EQ(rig.wb->Image->Requests.CorTableWriteRequest, kCorWriteFromModel);  // asked again later
    EXPECT_EQ(page.WriteStateText(false), page.Texts.notWritten);
    EXPECT_FALSE(page.Texts.notWritten.empty());
    EXPECT_FALSE(rig.EcuHoldsTheModel());

    // The ECU takes tables again: the next attempt (after the link came back) clears the text.
    rig.ecu->Faults().Clear();
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.wb->Image->CorTableWriteFailed; }, 30'000'000));
    EXPECT_EQ(rig.wb->Image->Requests.CorTableWriteRequest, kCorWriteNone);
    EXPECT_EQ(page.WriteStateText(false), "");
    EXPECT_TRUE(rig.EcuHoldsTheModel());
    EXPECT_EQ(rig.wb->Image->ModelFitsTable, ModelFit::Exact);

    // Off-line an edit holds the periodic reads back until the next communication tick, which
    // recomputes the table from the model and sends nothing; the page says it is not written.
    rig.wb->Cycle->MnuOffLine_Click();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.wb->Comm->ComState == kComOffLine; }, 1'000'000));
    const int writesOffLine = rig.TableWrites();
    page.KeyStep(ModelButton::Up);
    page.KeyRelease();
    EXPECT_TRUE(rig.sched->FullWritePending());
    rig.host.Advance(100'000);
    EXPECT_FALSE(rig.sched->FullWritePending());
    EXPECT_EQ(rig.wb->Image->Requests.CorTableWriteRequest, kCorWriteNone);
    EXPECT_EQ(rig.wb->Image->CorTable, page.TableToWrite());
    EXPECT_EQ(rig.TableWrites(), writesOffLine);
    EXPECT_EQ(page.WriteStateText(true), page.Texts.notWrittenOffLine);
}

}  // namespace
