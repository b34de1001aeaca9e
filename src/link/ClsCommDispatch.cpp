// ClsComm: what a good answer does, by its command code (blocks and samples go to the
// answer sink, the identity zones and table chunks to the answer queue), and the answer
// queue itself.
#include "link/ClsComm.h"

#include "link/Commands.h"
#include "link/ModComm.h"

namespace gw {

namespace {

// The answer frame at the start of the buffer: bytes after its length are not its data.
std::string FrameOf(const std::string& buffer) {
    if (buffer.size() <= 2) return buffer;
    return buffer.substr(0, static_cast<std::size_t>(static_cast<std::uint8_t>(buffer[2])) + 2);
}

}  // namespace

void ClsComm::ElaboraRisposta() {
    // Copies: a sink may let events run or send, and the buffers are emptied afterwards.
    const std::string frame = FrameOf(InBuffer);
    const std::string data = DatiMsg(frame);
    switch (ComandoMsg(frame)) {
        case CMD_GET_ADR_VAR: RichiediIndVar = true; break;
        case CMD_READ_MEM_ZONE: ElaboraLetturaZona(); break;
        case CMD_SET_ECU_SLAVE: EcuState = 1; break;
        case CMD_SET_ECU_RUN: EcuState = 0; break;
        case CMD_SET_ECU_PRG: EcuState = 2; break;
        case CMD_ERASE_FLASH:
        case CMD_WRT_FLASH_ZONE: EcuState = 3; break;
        case CMD_GET_ECO:
            WDogPresente = false;
            if (MemoDatiCom) {
                MemoDatiCom = false;
                WriteSetCom("\\BIN\\SetCom.ini");
            }
            break;
        case CMD_WRT_FLASH_END: EcuState = 0; break;
        case CMD_EOBD:
        case CMD_READ_TBL_COR:
        case CMD_READ_TBL_ADT: AccodaRisposta(data); break;
        case CMD_READ_MEM1:
            if (sink_) sink_->DecodeBlock1(frame);
            break;
        case CMD_READ_MEM2:
            if (sink_) sink_->DecodeBlock2(frame);
            break;
        case CMD_READ_MEM3:
            if (sink_) sink_->DecodeBlock3(frame);
            break;
        case CMD_READ_MEM5:
            if (sink_) sink_->DecodeBlock5(frame);
            break;
        case CMD_WRT_MEM2:
            if (sink_) sink_->Block2Written();
            break;
        case CMD_CANC_ERR: ErrInjClr(); break;
        case CMD_READ_ERR:
            for (std::size_t i = 0; i < data.size() && i < ErrInj.size(); ++i)
                ErrInj[i] = static_cast<std::uint8_t>(data[i]);
            break;
        case CMD_READ_SMPL_BNZ:
            if (sink_) sink_->DecodeSamples(false, 0, data);
            break;
        case CMD_READ_SMPL_GAS:
            if (sink_) sink_->DecodeSamples(true, 0, data);
            break;
        case CMD_READ_SMPL_BNZ1:
            if (sink_) sink_->DecodeSamples(false, 1, data);
            break;
        case CMD_READ_SMPL_GAS1:
            if (sink_) sink_->DecodeSamples(true, 1, data);
            break;
        case CMD_CANC_SMPL_BNZ:
            if (sink_) sink_->SamplesCleared(false);
            break;
        case CMD_CANC_SMPL_GAS:
            if (sink_) sink_->SamplesCleared(true);
            break;
        case CMD_READ_FIRMWARE:
            FirmwareEcu = HexMsg(std::string_view(data).substr(0, 6)) +
                          (data.size() > 6 ? data.substr(6) : std::string());
            break;
        case CMD_READ_DCOL_FL: MemoDataCollaudo = frame; break;
        case CMD_WRT_MEM_ZONE:
        case CMD_WRT_MEM1:
        case CMD_WRT_MEM3:
        case CMD_WRT_TBL_COR:
        case CMD_SAVE_FLASH:
        case CMD_WRT_TBL_ADT:
        case CMD_READ_MEM4:
        case CMD_WRT_MEM4:
        case CMD_WRIT_DCOL:
        case CMD_WRT_MEM5: break;
        default:
            // Not ours (CMD_GEN included): nothing at all, the buffers keep their contents.
            return;
    }
    InBuffer.clear();
    OutBuffer.clear();
}

void ClsComm::ElaboraLetturaZona() {
    std::string address;
    for (std::size_t i = 4; i < 8; ++i)
        address += i < OutBuffer.size() ? OutBuffer[i] : '\0';
    const std::string hex = HexMsg(address);
    const std::string data = DatiMsg(FrameOf(InBuffer));
    if (hex == kZoneEcuState) {
        if (!data.empty() && static_cast<std::uint8_t>(data[0]) <= 1)
            EcuState = static_cast<std::uint8_t>(data[0]);
    } else if (hex == kZoneIdentity1 || hex == kZoneIdentity2) {
        if (!data.empty()) AccodaRisposta(data);
    }
}

void ClsComm::AccodaRisposta(const std::string& data) {
    for (std::size_t i = 0; i < 20; ++i) {
        if (queue_[i].empty()) {
            queue_[i] = data;
            return;
        }
    }
    // All twenty slots full: the data are dropped.
}

std::string ClsComm::EstraiRisposta() {
    std::string first = std::move(queue_[0]);
    for (std::size_t i = 0; i + 1 < queue_.size(); ++i) queue_[i] = std::move(queue_[i + 1]);
    queue_.back().clear();
    return first;
}

}  // namespace gw
