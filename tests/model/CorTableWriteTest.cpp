// The correction-table write request on the simulated ECU: served after the block writes,
// kept when the ECU refuses the table (the image keeps what it last read from the ECU and
// says the write failed), cleared by a later success; off-line the table is only recomputed.
#include <gtest/gtest.h>

#include "ImageFixture.h"
#include "model/CorTableWrite.h"
#include "model/CorrectionTables.h"
#include "model/EcuRequests.h"
#include "model/ModelEditing.h"

using namespace gw;
using namespace gwtest;

namespace {

class CorTableWrites : public ImageFixture {
protected:
    void ReadTable() {
        image.Requests.CorReadRequest = true;
        ASSERT_TRUE(ServiceRequests(image, comm, true));
        ASSERT_TRUE(image.CorTableKnown);
    }
    TimeTable EcuHolds() {
        TimeTable t{};
        EXPECT_TRUE(ReadCorTable(comm, t, scale.K_Time_Inj_ms));
        return t;
    }
    TimeTable ModelTable() {
        TimeTable t = image.CorTable;
        ModelToTable(t, image.Model);
        return t;
    }
};

TEST_F(CorTableWrites, AFailedWriteKeepsTheRequestAndALaterSuccessClearsIt) {
    ReadAll();
    ReadTable();
    const TimeTable lastRead = image.CorTableEcu;
    const TimeTable ecuBefore = EcuHolds();
    for (int i = 0; i < 3; ++i) StepModelButton(image.Model, ModelButton::OffsetUp, -1);
    StepModelButton(image.Model, ModelButton::Up, 2);
    RequestCorTableWrite(image);

    // The second chunk is refused: the ECU holds a mix, the image says the write failed.
    ecu->Faults().Add(Fault::Status, {.command = CMD_WRT_TBL_COR, .count = 0, .after = 1, .value = 254});
    EXPECT_FALSE(ServiceRequests(image, comm, true));
    comm.ComState = kComIdle;
    EXPECT_EQ(image.Requests.CorTableWriteRequest, kCorWriteFromModel);
    EXPECT_TRUE(image.CorTableWriteFailed);
    EXPECT_EQ(image.CorTableEcu, lastRead);
    EXPECT_EQ(image.CorTable, ModelTable());
    ecu->Faults().Clear();
    EXPECT_FALSE(SameTableOnWire(EcuHolds(), ecuBefore, scale.K_Time_Inj_ms));

    // A periodic read waits; the write goes out again and succeeds.
    image.Requests.Block1ReadRequest = true;
    const int writesBefore = Count(CMD_WRT_TBL_COR);
    EXPECT_TRUE(ServiceRequests(image, comm, true));
    EXPECT_EQ(image.Requests.CorTableWriteRequest, kCorWriteNone);
    EXPECT_TRUE(image.Requests.Block1ReadRequest);
    EXPECT_FALSE(image.CorTableWriteFailed);
    EXPECT_TRUE(image.CorTableKnown);
    EXPECT_EQ(image.ModelFitsTable, ModelFit::Exact);
    EXPECT_TRUE(SameTableOnWire(EcuHolds(), ModelTable(), scale.K_Time_Inj_ms));
    EXPECT_TRUE(SameTableOnWire(image.CorTableEcu, ModelTable(), scale.K_Time_Inj_ms));
    EXPECT_EQ(Count(CMD_WRT_TBL_COR) - writesBefore, 4);
}

TEST_F(CorTableWrites, OffLineTheTableIsRecomputedAndNothingSent) {
    StepModelButton(image.Model, ModelButton::AlfaUp, -1);
    RequestCorTableWrite(image);
    RequestCorTableWrite(image, kCorWriteTable);  // does not weaken the request
    const int sent = ecu->Responder().TotalCount();
    CorTableOffLineCleanup(image);
    EXPECT_EQ(ecu->Responder().TotalCount(), sent);
    EXPECT_EQ(image.Requests.CorTableWriteRequest, kCorWriteNone);
    EXPECT_EQ(image.CorTable, ModelTable());
    EXPECT_EQ(image.CorTable[kCorTableAlfaEntry], 1.01f);
    EXPECT_TRUE(image.CorTableWriteFailed);  // the ECU has not been given it
    // A table read from the ECU replaces the model and with it the warning.
    ReadTable();
    EXPECT_FALSE(image.CorTableWriteFailed);
}

}  // namespace
