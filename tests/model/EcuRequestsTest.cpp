#include <gtest/gtest.h>

#include <functional>

#include "ImageFixture.h"
#include "link/Commands.h"
#include "model/EcuRequests.h"
#include "util/HexText.h"

using namespace gw;
using namespace gwtest;

namespace {

using Requests = ImageFixture;

TEST_F(Requests, BlockWritesReadBackEqual) {
    ReadAll();
    image.Block2Pending.Mode = 0;
    image.Block2Pending.AbilAcq[1] = 0;
    image.Block3Pending.Cylinders = 6;
    image.Block3Pending.SwtchRpm = 2000;
    image.Block3Pending.InjOffset[0] = -0.8;
    image.Block3Pending.InjMode[5] = 3;
    image.Block3Pending.SwtchDelay = 500;
    image.Block5Pending.Soglia1 = 3000;
    image.Block5Pending.TemperUnderPreInj = -15;
    image.Block5Pending.DefTimeSovra = 5;

    ASSERT_TRUE(WriteBlock(image, 2, comm));
    ASSERT_TRUE(WriteBlock(image, 3, comm));
    ASSERT_TRUE(WriteBlock(image, 5, comm));
    const Block2Record b2 = image.Block2;
    const Block3Record b3 = image.Block3;
    const Block5Record b5 = image.Block5;
    EXPECT_EQ(Mem().InjOffset(0), -100);
    EXPECT_EQ(Mem().InjMode(5), 3);
    EXPECT_EQ(Mem().Cylinders(), 6);

    ReadAll();
    EXPECT_EQ(image.Block2, b2);
    EXPECT_EQ(image.Block3, b3);
    EXPECT_EQ(image.Block5, b5);
    EXPECT_EQ(image.Block3.SwtchRpm, 2000);
    EXPECT_FALSE(image.Block3Changed);

    // Other block numbers send nothing.
    const int before = ecu->Responder().TotalCount();
    EXPECT_FALSE(WriteBlock(image, 4, comm));
    EXPECT_FALSE(WriteBlock(image, 1, comm));
    EXPECT_FALSE(ReadBlock(7, comm));
    EXPECT_EQ(ecu->Responder().TotalCount(), before);
    EXPECT_TRUE(ReadBlock(6, comm));
    EXPECT_EQ(Count(CMD_READ_DCOL_FL), 3);  // two ReadAll and this one
}

TEST_F(Requests, FlashSaveRaisesTheWaitOnlyForItsCommand) {
    comm.AttesaGlobaleDefault_usec = 4'000'000;
    comm.AttesaGlobale_usec = 4'000'000;
    comm.MolAttesaGlobale = 3;
    Mem().block3[2] = 99;
    EXPECT_TRUE(SaveToFlash(comm));
    EXPECT_EQ(comm.AttesaGlobale_usec, 4'000'000);
    Mem().block3[2] = 1;
    Mem().RestoreParameters();
    EXPECT_EQ(Mem().block3[2], 99);
}

TEST_F(Requests, EcuStateToggleFollowsSlaveState) {
    ReadAll();
    ASSERT_EQ(image.Block2.SlaveState, 0);
    EXPECT_TRUE(SendEcuState(image, comm));
    EXPECT_EQ(comm.EcuState, 1);
    ASSERT_TRUE(Read(CMD_READ_MEM2));
    EXPECT_EQ(image.Block2.SlaveState, 1);
    EXPECT_TRUE(SendEcuState(image, comm));
    EXPECT_EQ(comm.EcuState, 0);
    image.Block2.SlaveState = 2;
    const int before = ecu->Responder().TotalCount();
    EXPECT_FALSE(SendEcuState(image, comm));
    EXPECT_EQ(ecu->Responder().TotalCount(), before);
}

// Which request goes out first for a set of flags, and which flag it clears.
TEST_F(Requests, ServiceOrder) {
    using F = bool EcuRequestFlags::*;
    struct Case {
        std::vector<F> flags;
        int command;          // the first command sent
        F cleared;            // flag cleared after it
    };
    const Case cases[] = {
        {{&EcuRequestFlags::Block1ReadRequest, &EcuRequestFlags::Block2WritePending,
          &EcuRequestFlags::Block3WritePending}, CMD_WRT_MEM3, &EcuRequestFlags::Block3WritePending},
        {{&EcuRequestFlags::Block2WritePending, &EcuRequestFlags::Block5WritePending}, CMD_WRT_MEM5,
         &EcuRequestFlags::Block5WritePending},
        {{&EcuRequestFlags::Block2WritePending, &EcuRequestFlags::SaveFlashRequest}, CMD_WRT_MEM2,
         &EcuRequestFlags::Block2WritePending},
        // A write whose read-back is still waiting comes after the read-back.
        {{&EcuRequestFlags::Block3WritePending, &EcuRequestFlags::Block3ReadRequest}, CMD_READ_MEM3,
         &EcuRequestFlags::Block3ReadRequest},
        {{&EcuRequestFlags::SaveFlashRequest, &EcuRequestFlags::EcuStateToggleRequest}, CMD_SAVE_FLASH,
         &EcuRequestFlags::SaveFlashRequest},
        {{&EcuRequestFlags::EcuStateToggleRequest, &EcuRequestFlags::CorReadRequest}, CMD_SET_ECU_SLAVE,
         &EcuRequestFlags::EcuStateToggleRequest},
        {{&EcuRequestFlags::CorReadRequest, &EcuRequestFlags::Block3ReadRequest}, CMD_READ_TBL_COR,
         &EcuRequestFlags::CorReadRequest},
        {{&EcuRequestFlags::Block3ReadRequest, &EcuRequestFlags::DcolReadRequest}, CMD_READ_MEM3,
         &EcuRequestFlags::Block3ReadRequest},
        {{&EcuRequestFlags::DcolReadRequest, &EcuRequestFlags::Block5ReadRequest}, CMD_READ_DCOL_FL,
         &EcuRequestFlags::DcolReadRequest},
        {{&EcuRequestFlags::Block5ReadRequest, &EcuRequestFlags::Block2ReadRequest}, CMD_READ_MEM5,
         &EcuRequestFlags::Block5ReadRequest},
        {{&EcuRequestFlags::Block2ReadRequest, &EcuRequestFlags::Block1ReadRequest}, CMD_READ_MEM2,
         &EcuRequestFlags::Block2ReadRequest},
        {{&EcuRequestFlags::Block1ReadRequest, &EcuRequestFlags::BnzSampleReadRequest}, CMD_READ_MEM1,
         &EcuRequestFlags::Block1ReadRequest},
        {{&EcuRequestFlags::BnzSampleReadRequest, &EcuRequestFlags::GasSampleReadRequest}, CMD_READ_SMPL_BNZ,
         &EcuRequestFlags::BnzSampleReadRequest},
        {{&EcuRequestFlags::GasSampleReadRequest, &EcuRequestFlags::BnzSampleCancelRequest}, CMD_READ_SMPL_GAS,
         &EcuRequestFlags::GasSampleReadRequest},
        {{&EcuRequestFlags::BnzSampleCancelRequest, &EcuRequestFlags::GasSampleCancelRequest},
         CMD_CANC_SMPL_BNZ, &EcuRequestFlags::BnzSampleCancelRequest},
        {{&EcuRequestFlags::GasSampleCancelRequest}, CMD_CANC_SMPL_GAS, &EcuRequestFlags::GasSampleCancelRequest},
    };
    ReadAll();
    for (const auto& c : cases) {
        image.Requests = EcuRequestFlags{};
        for (F f : c.flags) image.Requests.*f = true;
        ecu->Responder().ResetCounts();
        EXPECT_TRUE(ServiceRequests(image, comm, true)) << c.command;
        EXPECT_EQ(Count(c.command), c.command == CMD_READ_TBL_COR ? 4 : 1) << c.command;
        EXPECT_FALSE(image.Requests.*c.cleared) << c.command;
        for (F f : c.flags) {
            if (f == c.cleared) continue;
            EXPECT_TRUE(image.Requests.*f) << c.command;
        }
        const int sent = ecu->Responder().TotalCount();
        const bool pair = c.command == CMD_READ_SMPL_BNZ || c.command == CMD_READ_SMPL_GAS;
        EXPECT_EQ(sent, c.command == CMD_READ_TBL_COR ? 4 : pair ? 2 : 1) << c.command;
    }
    // After a write the read-back is requested.
    image.Requests = EcuRequestFlags{};
    image.Requests.Block5WritePending = true;
    EXPECT_TRUE(ServiceRequests(image, comm, true));
    EXPECT_TRUE(image.Requests.Block5ReadRequest);
    // Samples wait while a live read is requested: the live read goes first.
    image.Requests = EcuRequestFlags{};
    image.Requests.Block1ReadRequest = true;
    image.Requests.GasSampleCancelRequest = true;
    ecu->Responder().ResetCounts();
    EXPECT_TRUE(ServiceRequests(image, comm, true));
    EXPECT_EQ(Count(CMD_CANC_SMPL_GAS), 0);
}

TEST_F(Requests, NothingGoesOutUnlessIdleAndEnabled) {
    image.Requests.Block1ReadRequest = true;
    ecu->Responder().ResetCounts();
    EXPECT_FALSE(ServiceRequests(image, comm, false));
    comm.ComState = kComOffLine;
    EXPECT_FALSE(ServiceRequests(image, comm, true));
    comm.ComState = kComIdle;
    EXPECT_EQ(ecu->Responder().TotalCount(), 0);
    EXPECT_TRUE(image.Requests.Block1ReadRequest);
    EXPECT_TRUE(ServiceRequests(image, comm, true));
    EXPECT_FALSE(image.Requests.Block1ReadRequest);
}

TEST_F(Requests, FailedRequestsStaySetAndAWriteStillAsksForItsReadBack) {
    ReadAll();
    ecu->Faults().Add(Fault::Status, {.command = CMD_WRT_MEM3, .count = 0, .value = 254});
    image.Block3Pending.SwtchTemp = 50;
    image.Requests.Block3WritePending = true;
    EXPECT_FALSE(ServiceRequests(image, comm, true));
    comm.ComState = kComIdle;  // the cycle would reopen the link; here it is left idle
    EXPECT_TRUE(image.Requests.Block3WritePending);
    EXPECT_TRUE(image.Requests.Block3ReadRequest);
    // The read-back goes out next and brings the ECU's value back into the image.
    EXPECT_TRUE(ServiceRequests(image, comm, true));
    EXPECT_EQ(image.Block3.SwtchTemp, 35);
    // Then the write is tried again (the pending value was consumed into the image before).
    ecu->Faults().Clear();
    image.Block3Pending.SwtchTemp = 50;
    EXPECT_TRUE(ServiceRequests(image, comm, true));
    EXPECT_FALSE(image.Requests.Block3WritePending);
    EXPECT_EQ(SimMemory::U16(Mem().block3, 2), 50);

    // A read that fails keeps its flag.
    ecu->Faults().Add(Fault::NoAnswer, {.command = CMD_READ_MEM2, .count = 0});
    image.Requests = EcuRequestFlags{};
    image.Requests.Block2ReadRequest = true;
    EXPECT_FALSE(ServiceRequests(image, comm, true));
    EXPECT_TRUE(image.Requests.Block2ReadRequest);
}

TEST_F(Requests, AToggleWithoutAKnownStateIsDropped) {
    image.Block2.SlaveState = 7;
    image.Requests.EcuStateToggleRequest = true;
    image.Requests.Block1ReadRequest = true;
    EXPECT_FALSE(ServiceRequests(image, comm, true));
    EXPECT_FALSE(image.Requests.EcuStateToggleRequest);
    EXPECT_TRUE(ServiceRequests(image, comm, true));
    EXPECT_FALSE(image.Requests.Block1ReadRequest);
}

class ShortBlock5 : public ImageFixture {
protected:
    static SimIdentity Id() {
        SimIdentity id;
        id.block5 = SimBlock5Form::Short;
        return id;
    }
    ShortBlock5() : ImageFixture(Id()) {}
};

TEST_F(ShortBlock5, WritesTheFormTheEcuHas) {
    ReadAll();
    EXPECT_EQ(image.Block5.Soglia1, 2750);
    image.Block5Pending.ExpTime1 = 1.6;
    EXPECT_TRUE(WriteBlock(image, 5, comm));
    ASSERT_EQ(Mem().block5.size(), 14u);
    EXPECT_EQ(SimMemory::U16(Mem().block5, 3), 200);
}

}  // namespace
