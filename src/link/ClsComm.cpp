// ClsComm: construction, the port primitives (open, close, purge) with the handle record,
// the silence deadline and the connection time. Settings are in ClsCommSettings.cpp, the
// exchange in ClsCommExchange.cpp, the answer dispatch in ClsCommDispatch.cpp.
#include "link/ClsComm.h"
#include "util/Numbers.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "util/FileIo.h"

namespace gw {

namespace {

const char* const kHandleIni = "\\BIN\\Handle.ini";

}  // namespace

ClsComm::ClsComm(Host& host, PortProvider& ports, std::string appFolder)
    : host_(host), ports_(ports), appFolder_(std::move(appFolder)) {
    MemoPath = appFolder_;
    connectionStart_ = host_.MicroClock();
    ComState = kComOpening;
}

ClsComm::~ClsComm() {
    if (port_) port_->Close();
}

std::string ClsComm::ComPortNome() const {
    const int n = ComPort();
    if (n < 1 || n > 9) return {};
    return "COM" + std::to_string(n);
}

double ClsComm::LongCommandWaitUs() const {
    const double raised = AttesaGlobale_usec * (MolAttesaGlobale > 1 ? MolAttesaGlobale : 1);
    const double cap = kLongCommandWindowUs - Idle_usec;
    return raised < cap ? raised : (cap > AttesaGlobale_usec ? cap : AttesaGlobale_usec);
}

bool ClsComm::IsOpen() const { return port_ && port_->IsOpen(); }

int ClsComm::CountUsbDevices() {
    const int n = ports_.CountUsbDevices();
    return n > 0 ? n : 0;
}

// ---- port ----

bool ClsComm::SetComm() {
    std::unique_ptr<Port> p;
    const bool com = !Simulated && !UsbCom;
    if (Simulated) {
        p = ports_.MakeSimulated();
    } else if (UsbCom) {
        p = ports_.MakeUsb(UsbDeviceIndex);
    } else if (!ComPortNome().empty()) {
        ports_.SetDcbFlagWord(static_cast<std::uint32_t>(DcbBitFields));
        p = ports_.MakeCom(ComPortValue);
    }
    if (!p || !p->Open()) {
        FtStatus = p ? p->LastStatus() : -1;
        lastError_ = p ? p->LastError() : ENOENT;
        if (com) FileHandleVerificaChiusura();
        return false;
    }
    FtStatus = p->LastStatus();
    deviceLost_ = false;
    // At most one medium open at a time: a port still held from before is let go.
    if (port_) {
        port_->Close();
        if (nPorta != 0) WriteHandleRecord("");
        nPorta = 0;
    }
    port_ = std::move(p);
    if (com) {
        nPorta = ++nextHandle_;
        WriteHandleRecord(std::to_string(nPorta));
    }
    return true;
}

bool ClsComm::CloseComPort() {
    if (port_) {
        port_->Close();
        port_.reset();
    }
    if (nPorta != 0) {
        nPorta = 0;
        std::error_code ec;
        if (std::filesystem::exists(AppPath(appFolder_, kHandleIni), ec)) WriteHandleRecord("");
    }
    return true;
}

void ClsComm::WriteHandleRecord(const std::string& line) {
    SaveFileAtomic(AppPath(appFolder_, kHandleIni), line + "\r\n");
}

// After a failed COM open: the record names the port this process holds open (the same
// device opened twice fails while held), so that port is released and the next attempt
// succeeds. A number left by another process, or by an earlier run, is never acted on:
// it means nothing here.
void ClsComm::FileHandleVerificaChiusura() {
    const auto bytes = ReadWholeFile(AppPath(appFolder_, kHandleIni), 4096);
    if (!bytes) return;
    const std::string first = Trim(bytes->substr(0, bytes->find_first_of("\r\n")));
    if (first.empty()) return;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(first.c_str(), &end, 10);
    if (errno != 0 || end == first.c_str() || *end != '\0' || value <= 0) return;
    if (port_ && nPorta != 0 && value == nPorta) {
        port_->Close();
        port_.reset();
        nPorta = 0;
        WriteHandleRecord("");
    }
}

void ClsComm::CleanInputCom() {
    if (!IsOpen()) return;
    if (UsbMedium()) {
        port_->PurgeReceive();
        port_->PurgeTransmit();
        FtStatus = port_->LastStatus();
        return;
    }
    long n = 0;
    const bool ok = port_->BytesWaiting(n);
    ErrorCom = port_->LastStatus();
    if (ok && n > 0) {
        std::string scratch;
        port_->Read(static_cast<std::size_t>(n), scratch);
    }
}

void ClsComm::CleanOutputCom() {
    if (!IsOpen()) return;
    port_->PurgeTransmit();
    if (UsbMedium()) FtStatus = port_->LastStatus();
}

// ---- silence and connection time ----

bool ClsComm::Silenzio(double periodoMs, bool resetta) {
    const double now = host_.MicroClock();
    const bool passed = now > silenceDeadline_;
    if (resetta) silenceDeadline_ = now + periodoMs * 1000.0;
    return passed;
}

double ClsComm::TimeComSeconds() {
    const double now = host_.MicroClock();
    if (!IsOpen()) connectionStart_ = now;
    return (now - connectionStart_) / 1e6;
}

void ClsComm::TimeCom_RSet() { connectionStart_ = host_.MicroClock(); }

}  // namespace gw
