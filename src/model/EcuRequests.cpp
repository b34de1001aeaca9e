#include "model/EcuRequests.h"

#include "link/Commands.h"
#include "link/ModComm.h"
#include "model/CorTableWrite.h"
#include "model/CorrectionTables.h"
#include "util/HexText.h"

namespace gw {

bool WriteBlock(ParameterImage& image, int block, ClsComm& comm) {
    std::string hex;
    std::uint8_t command = 0;
    switch (block) {
        case 2: hex = image.EncodeBlock2(); command = CMD_WRT_MEM2; break;
        case 3: hex = image.EncodeBlock3(); command = CMD_WRT_MEM3; break;
        case 5: hex = image.EncodeBlock5(); command = CMD_WRT_MEM5; break;
        default: return false;
    }
    return comm.SendMsgWait(RequestMsg(command, HexToBytes(hex)));
}

bool ReadBlock(int block, ClsComm& comm) {
    std::uint8_t command = 0;
    switch (block) {
        case 1: command = CMD_READ_MEM1; break;
        case 2: command = CMD_READ_MEM2; break;
        case 3: command = CMD_READ_MEM3; break;
        case 5: command = CMD_READ_MEM5; break;
        case 6: command = CMD_READ_DCOL_FL; break;
        default: return false;
    }
    return comm.SendMsgWait(RequestMsg(command));
}

bool SaveToFlash(ClsComm& comm) {
    comm.AttesaGlobale_usec = comm.LongCommandWaitUs();
    const bool ok = comm.SendMsgWait(FrameSaveFlash());
    comm.AttesaGlobale_usec_Default();
    return ok;
}

bool SendEcuState(const ParameterImage& image, ClsComm& comm) {
    switch (image.Block2.SlaveState) {
        case 0: return comm.SendMsgWait(FrameSetEcuSlave());
        case 1: return comm.SendMsgWait(FrameSetEcuRun());
        default: return false;
    }
}

namespace {

// Sends the command and clears the flag when it went out.
bool Serve(bool& flag, std::uint8_t command, ClsComm& comm) {
    const bool ok = comm.SendMsgWait(RequestMsg(command));
    if (ok) flag = false;
    return ok;
}

bool Serve(bool& flag, bool sent) {
    if (sent) flag = false;
    return sent;
}

}  // namespace

bool ServiceRequests(ParameterImage& image, ClsComm& comm, bool requestsEnabled) {
    if (comm.ComState != kComIdle || !requestsEnabled) return false;
    EcuRequestFlags& r = image.Requests;

    // Writes first; each is followed by a read-back, also after a failure.
    struct Write {
        int block;
        bool& pending;
        bool& readBack;
    };
    Write writes[] = {{3, r.Block3WritePending, r.Block3ReadRequest},
                      {5, r.Block5WritePending, r.Block5ReadRequest},
                      {2, r.Block2WritePending, r.Block2ReadRequest}};
    for (auto& w : writes) {
        if (w.pending && !w.readBack) {
            const bool ok = WriteBlock(image, w.block, comm);
            if (ok) w.pending = false;
            w.readBack = true;
            return ok;
        }
    }
    // Then the correction table the model asks for (the periodic reads wait for it).
    if (r.CorTableWriteRequest != kCorWriteNone) return ServeCorTableWrite(image, comm);
    if (r.SaveFlashRequest) return Serve(r.SaveFlashRequest, SaveToFlash(comm));
    if (r.EcuStateToggleRequest) {
        // A state that is neither run nor slave has no toggle: the request is dropped rather
        // than left to hold up every request below it.
        const int state = image.Block2.SlaveState;
        if (state != 0 && state != 1) {
            r.EcuStateToggleRequest = false;
            return false;
        }
        return Serve(r.EcuStateToggleRequest, SendEcuState(image, comm));
    }
    if (r.CorReadRequest) {
        // The table read after a connection: what the ECU holds becomes the image's table and
        // the model; a read that keeps failing is given up, leaving the table unknown.
        const bool ok = ReadCorTable(comm, image.CorTableEcu, image.Scale().K_Time_Inj_ms);
        if (ok) {
            image.AdoptCorTable(image.CorTableEcu);
            r.CorReadRequest = false;
        } else if (++image.CorReadFailures >= kCorReadAttempts) {
            r.CorReadRequest = false;
        }
        return ok;
    }
    if (r.Block3ReadRequest) return Serve(r.Block3ReadRequest, CMD_READ_MEM3, comm);
    if (r.DcolReadRequest) return Serve(r.DcolReadRequest, CMD_READ_DCOL_FL, comm);
    if (r.Block5ReadRequest) return Serve(r.Block5ReadRequest, CMD_READ_MEM5, comm);
    if (r.Block2ReadRequest) return Serve(r.Block2ReadRequest, CMD_READ_MEM2, comm);
    if (r.Block1ReadRequest) return Serve(r.Block1ReadRequest, CMD_READ_MEM1, comm);

    // Samples only while no live read is waiting.
    if (r.BnzSampleReadRequest) {
        const bool ok = comm.SendMsgWait(RequestMsg(CMD_READ_SMPL_BNZ)) &&
                        comm.SendMsgWait(RequestMsg(CMD_READ_SMPL_BNZ1));
        return Serve(r.BnzSampleReadRequest, ok);
    }
    if (r.GasSampleReadRequest) {
        const bool ok = comm.SendMsgWait(RequestMsg(CMD_READ_SMPL_GAS)) &&
                        comm.SendMsgWait(RequestMsg(CMD_READ_SMPL_GAS1));
        return Serve(r.GasSampleReadRequest, ok);
    }
    if (r.BnzSampleCancelRequest) return Serve(r.BnzSampleCancelRequest, CMD_CANC_SMPL_BNZ, comm);
    if (r.GasSampleCancelRequest) return Serve(r.GasSampleCancelRequest, CMD_CANC_SMPL_GAS, comm);
    return false;
}

}  // namespace gw
