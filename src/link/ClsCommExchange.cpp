// ClsComm: one exchange. Sends a request byte by byte (giving up when the ECU is already
// talking), collects the answer after the idle time, judges it, resends, and writes every
// frame and every failing port call to the communication log. The ticks that drive these
// steps come from the communication cycle.
#include "link/ClsComm.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "link/ModComm.h"

namespace gw {

namespace {

std::string HexNumber(long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lX", static_cast<unsigned long>(v));
    return buf;
}

}  // namespace

void ClsComm::WaitMicroseconds(double us) { host_.RunEventsUntil(host_.MicroClock() + us); }

bool ClsComm::UsbMedium() const {
    if (port_) return port_->Kind() == PortKind::Usb;
    return UsbCom && !Simulated;
}

bool ClsComm::PortBytesWaiting(long& count) {
    count = 0;
    if (!IsOpen()) {
        lastError_ = EBADF;
        return false;
    }
    const bool ok = port_->BytesWaiting(count);
    if (UsbMedium())
        FtStatus = port_->LastStatus();
    else
        ErrorCom = port_->LastStatus();
    if (!ok) {
        lastError_ = port_->LastError();
        count = 0;
    }
    if (count < 0) count = 0;
    return ok;
}

bool ClsComm::PortRead(std::size_t n, std::string& out) {
    if (!IsOpen()) {
        lastError_ = EBADF;
        return false;
    }
    const bool ok = port_->Read(n, out);
    if (UsbMedium()) FtStatus = port_->LastStatus();
    if (!ok) lastError_ = port_->LastError();
    return ok;
}

bool ClsComm::PortGone() const { return port_ && port_->DeviceGone(); }

bool ClsComm::PortWrite(std::uint8_t byte) {
    if (!IsOpen()) {
        lastError_ = EBADF;
        return false;
    }
    const bool ok = port_->WriteByte(byte);
    if (UsbMedium()) FtStatus = port_->LastStatus();
    if (!ok) lastError_ = port_->LastError();
    return ok;
}

// The diagnostic lines of a failing port call: the call, then the medium's status and the
// system's error numbers (hexadecimal).
void ClsComm::LogPortFailure(const std::string& what) {
    if (UsbMedium()) {
        ScriviLogRxTx(what, "");
        ScriviLogRxTx("FtStatus_Val ", HexNumber(FtStatus));
    } else {
        ScriviLogRxTx(what, what == "ClearCommError Recive" ? " " : "");
        ScriviLogRxTx("lpErrors ", HexNumber(ErrorCom));
        ScriviLogRxTx("GetLastError ", HexNumber(lastError_));
    }
    ScriviLogRxTx("LastDllError ", HexNumber(lastError_));
}

void ClsComm::ScriviLogRxTx(const std::string& tag, const std::string& text) {
    log_.Write(host_.MicroClock() / 1000.0, tag, text);
}

void ClsComm::NoteUnanswered() {
    if (OutBuffer.size() < 4) return;
    unansweredCopy_ = true;
    staleFrame_ = OutBuffer;
    staleUntil_ = lastSendUs_ + LateAnswerLimitUs();
}

// Chunk and block answers carry no index: a late answer to an earlier request with the
// same command would be taken for this one's. Bytes arriving until such an answer can no
// longer be expected are discarded before the request goes out. The same request again
// (a resend) needs no drain: any answer to it is its answer.
void ClsComm::DrainStaleAnswers(const std::string& frame) {
    if (staleFrame_.empty()) return;
    if (host_.MicroClock() >= staleUntil_) {
        staleFrame_.clear();
        return;
    }
    if (frame == staleFrame_ || frame.size() < 4 || frame[3] != staleFrame_[3]) return;
    while (host_.MicroClock() < staleUntil_) {
        CleanInputCom();
        WaitMicroseconds(std::min(staleUntil_ - host_.MicroClock(), 10'000.0));
    }
    CleanInputCom();
    staleFrame_.clear();
}

void ClsComm::LoseDevice() {
    deviceLost_ = true;
    InBuffer.clear();
    WDogPresente = true;
    ++NumWDogSend;
    TimeCom_RSet();
    ComState = kComLost;
}

bool ClsComm::SendMsg(const std::string& msg) {
    const double deadline = host_.MicroClock() + 500'000;
    while (ComState != kComIdle) {
        host_.DoEvents();
        if (host_.MicroClock() > deadline) return false;
    }
    ComState = kComSending;
    OutBuffer = msg;
    const std::string frame = msg;  // a tick inside the waits may touch OutBuffer
    if (NumReSendState == 0) unansweredCopy_ = false;  // a new exchange
    DrainStaleAnswers(frame);

    enum { kSent, kCollision, kWriteError } outcome = kSent;
    const bool usb = UsbMedium();
    bool gone = false;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        long waiting = 0;
        const bool queued = PortBytesWaiting(waiting);
        if (!queued) LogPortFailure(usb ? "FT_GetQueueStatus Send" : "ClearCommError Send");
        if (!queued && PortGone()) {
            gone = true;
            outcome = kWriteError;
            break;
        }
        // The cable's chip may echo or answer while the last byte leaves: only bytes waiting
        // before the other bytes mean the ECU is talking.
        const bool check = !usb || i + 1 < frame.size();
        if (queued && check && waiting > 0) {
            WaitMicroseconds(AttesaGlobale_usec);
            CleanInputCom();
            outcome = kCollision;
            break;
        }
        const bool written = PortWrite(static_cast<std::uint8_t>(frame[i]));
        if (!written) LogPortFailure(usb ? "FT_Write Send" : "WriteFile Send");
        if (!written && PortGone()) {
            gone = true;
            outcome = kWriteError;
            break;
        }
        WaitMicroseconds(AttesaByteTx_usec);
        if (!written) {
            outcome = kWriteError;
            break;
        }
    }

    switch (outcome) {
        case kSent:
            ScriviLogRxTx("T ", HexMsg(frame));
            if (frame.size() > 3) ++sentCounts_[static_cast<std::uint8_t>(frame[3])];
            break;
        case kCollision: ScriviLogRxTx("D ", HexMsg(frame)); break;
        case kWriteError: ScriviLogRxTx("H ", std::to_string(lastError_) + HexMsg(frame)); break;
    }
    lastSendUs_ = host_.MicroClock();
    if (gone) {
        // Resending into a device that is gone only delays finding the ECU again: the
        // link is lost now and the cycle reopens the port until the device is back.
        LoseDevice();
        return true;
    }
    // Also after a collision or a write error: the answer window handles the lost request.
    idleDeadline_ = host_.MicroClock() + Idle_usec;
    LoadWDogSend();
    ComState = kComWaiting;
    return true;
}

bool ClsComm::ReciveMsg() {
    if (host_.MicroClock() < idleDeadline_) return false;
    const bool usb = UsbMedium();
    long waiting = 0;
    bool ok = PortBytesWaiting(waiting);
    LngRxByte = waiting;
    if (!ok) {
        LogPortFailure(usb ? "FT_GetQueueStatus Recive" : "ClearCommError Recive");
    } else if (waiting > 0) {
        // Only the bytes actually read are appended.
        ok = PortRead(static_cast<std::size_t>(waiting), InBuffer);
        if (!ok) LogPortFailure(usb ? "FT_Read Recive" : "ReadFile Recive");
        ScriviLogRxTx("R ", HexMsg(InBuffer));
    }
    if (!ok) ScriviLogRxTx("H ", std::to_string(lastError_) + " " + HexMsg(InBuffer));
    if (!ok && PortGone()) LoseDevice();
    return true;
}

bool ClsComm::CtrlEndRecive() const {
    if (InBuffer.size() <= 2) return false;
    if (static_cast<std::uint8_t>(InBuffer[0]) != kStartAnswer) return false;
    if (static_cast<std::uint8_t>(InBuffer[1]) != kAddressAnswer) return false;
    return InBuffer.size() >= static_cast<std::size_t>(static_cast<std::uint8_t>(InBuffer[2])) + 2;
}

void ClsComm::LoadWDogSend() { answerWindowEnd_ = host_.MicroClock() + AttesaGlobale_usec + Idle_usec; }

void ClsComm::UnloadWDogSend() { answerWindowEnd_ = host_.MicroClock(); }

bool ClsComm::CkWDogSend() { return host_.MicroClock() <= answerWindowEnd_; }

void ClsComm::VerificaRisposta() {
    const char* error = nullptr;
    // The frame's own bytes must check: bytes after it may not make up for a damaged frame.
    const std::string frame = InBuffer.substr(0, InBuffer.size() > 2 ? static_cast<std::uint8_t>(InBuffer[2]) + 2u : 0u);
    if (CheckSumMsg(InBuffer) != 0 || CheckSumMsg(frame) != 0) {
        error = kErrRxCheckSum;
    } else if (!StessoComando(InBuffer, OutBuffer)) {
        error = kErrEcoCommand;
    } else {
        switch (EsitoMsg(InBuffer)) {
            case kStatusDone:
                if (unansweredCopy_) {
                    // This answer may be an earlier copy's: the last copy's may still come.
                    staleFrame_ = OutBuffer;
                    staleUntil_ = lastSendUs_ + LateAnswerLimitUs();
                    unansweredCopy_ = false;
                }
                LastAnswer = frame;
                ElaboraRisposta();
                WDogPresente = false;
                NumWDogSend = 0;
                NumReSendState = 0;
                ComState = kComIdle;
                return;
            case kStatusExeErr: error = kErrExeErr; break;
            case kStatusTxCheckSum: error = kErrTxCheckSum; break;
            default: error = kErrNotDefine; break;
        }
    }
    if (ReinviaMsg(OutBuffer)) return;
    if (ServiceMode) host_.MessageBox(error, AppTitle, MsgIcon::Critical, MsgButtons::Ok);
    ComState = kComLost;
}

bool ClsComm::ReinviaMsg(const std::string& msg) {
    const std::string request = msg;  // msg may be OutBuffer itself, emptied below
    CleanInputCom();
    InBuffer.clear();
    CleanOutputCom();
    OutBuffer.clear();
    ++NumReSendState;
    if (NumReSendState > NumReSend) return false;
    ++resendsMade_;
    ComState = kComIdle;
    SendMsg(request);
    return true;
}

bool ClsComm::SendMsgWait(const std::string& msg) {
    if (!SendMsg(msg)) return false;
    do {
        host_.DoEvents();
        WaitMicroseconds(1000);
    } while (ComState == kComWaiting);
    if (ComState == kComLost) {
        ComState = kComClosed;
        return false;
    }
    // Only a judged good answer leaves the link idle; a cycle that already moved on from
    // a lost link (closed, reopening, off-line) is a failed exchange too.
    return ComState == kComIdle;
}

}  // namespace gw
