#include "support/FakePort.h"

namespace gwtest {

void FakeLine::FeedAt(double atUs, const std::string& bytes) {
    host->ScheduleAt(atUs, [this, bytes] { rx += bytes; });
}

void FakeLine::AnswerWith(std::function<std::string(const std::string&)> answer, double delayUs) {
    onRequest = [answer = std::move(answer), delayUs](FakeLine& l, const std::string& request) {
        const std::string a = answer(request);
        if (!a.empty()) l.FeedAt(l.host->MicroClock() + delayUs, a);
    };
}

FakePortProvider::FakePortProvider(gw::VirtualHost& host) : host_(host) {}

FakeLine& FakePortProvider::Line(gw::PortKind kind, int n) {
    auto& slot = lines_[{static_cast<int>(kind), n}];
    if (!slot) {
        slot = std::make_unique<FakeLine>();
        slot->host = &host_;
        if (kind == gw::PortKind::Com) slot->present = n >= 1 && n <= 9;
    }
    return *slot;
}

std::unique_ptr<gw::Port> FakePortProvider::MakeCom(int comPort) {
    ++makes_;
    return std::make_unique<FakePort>(*this, Com(comPort), gw::PortKind::Com,
                                      "COM" + std::to_string(comPort), host_);
}

int FakePortProvider::CountUsbDevices() { return usbCount_ < 0 ? 0 : usbCount_; }

std::unique_ptr<gw::Port> FakePortProvider::MakeUsb(int deviceIndex) {
    ++makes_;
    FakeLine& l = Usb(deviceIndex);
    if (deviceIndex < 0 || deviceIndex >= usbCount_) l.present = false;
    else l.present = true;
    return std::make_unique<FakePort>(*this, l, gw::PortKind::Usb, "USB " + std::to_string(deviceIndex),
                                      host_);
}

std::unique_ptr<gw::Port> FakePortProvider::MakeSimulated() {
    if (!simulated_) return nullptr;
    ++makes_;
    return std::make_unique<FakePort>(*this, Sim(), gw::PortKind::Simulated, "SIMULATED ECU", host_);
}

FakePort::FakePort(FakePortProvider& provider, FakeLine& line, gw::PortKind kind,
                   std::string description, gw::VirtualHost& host)
    : provider_(provider), line_(line), kind_(kind), description_(std::move(description)), host_(host) {}

FakePort::~FakePort() { Close(); }

bool FakePort::Fail(long status) {
    lastError_ = line_.errorNumber;
    lastStatus_ = status;
    return false;
}

bool FakePort::Ok() {
    lastStatus_ = 0;
    return true;
}

bool FakePort::Open() {
    if (open_) return Ok();
    if (!line_.present || line_.failOpen || line_.isOpen) {
        lastError_ = line_.present ? line_.openError : 2;
        lastStatus_ = 2;
        return false;
    }
    open_ = true;
    line_.isOpen = true;
    ++line_.opens;
    line_.pending.clear();
    provider_.NoteOpen(line_);
    return Ok();
}

void FakePort::Close() {
    if (!open_) return;
    open_ = false;
    line_.isOpen = false;
    ++line_.closes;
    provider_.NoteClose();
}

bool FakePort::BytesWaiting(long& count) {
    count = 0;
    if (!open_ || line_.failQueue) return Fail(line_.statusOnFailure);
    count = line_.queueOverride >= 0 ? line_.queueOverride : static_cast<long>(line_.rx.size());
    return Ok();
}

bool FakePort::Read(std::size_t n, std::string& out) {
    if (!open_ || line_.failRead) return Fail(line_.statusOnFailure);
    if (line_.readStall) return Ok();
    const std::size_t k = std::min(n, line_.rx.size());
    out.append(line_.rx, 0, k);
    line_.rx.erase(0, k);
    return Ok();
}

bool FakePort::WriteByte(std::uint8_t byte) {
    if (line_.writeStallUs > 0) host_.Elapse(line_.writeStallUs);
    const int index = line_.writesTried++;
    if (!open_ || line_.failWrite || index == line_.failWriteAt) return Fail(line_.statusOnFailure);
    const char c = static_cast<char>(byte);
    line_.written += c;
    if (line_.loopback) line_.rx += c;
    // Collect request frames for the responder.
    if (line_.pending.empty() && byte != 0x41) {
        // not the start of a request: ignored
    } else {
        line_.pending += c;
        if (line_.pending.size() >= 2 && static_cast<std::uint8_t>(line_.pending[1]) != 0x02)
            line_.pending.clear();
        else if (line_.pending.size() >= 3 &&
                 line_.pending.size() >= static_cast<std::size_t>(static_cast<std::uint8_t>(line_.pending[2])) + 2) {
            const std::string request = line_.pending;
            line_.pending.clear();
            ++line_.requests;
            if (line_.onByteWritten) line_.onByteWritten(line_);
            if (line_.onRequest) line_.onRequest(line_, request);
            return Ok();
        }
    }
    if (line_.onByteWritten) line_.onByteWritten(line_);
    return Ok();
}

bool FakePort::PurgeReceive() {
    if (!open_) return Fail(line_.statusOnFailure);
    line_.rx.clear();
    ++line_.purgesRx;
    return Ok();
}

bool FakePort::PurgeTransmit() {
    if (!open_) return Fail(line_.statusOnFailure);
    ++line_.purgesTx;
    // An abandoned request never completes: forget its start.
    line_.pending.clear();
    return Ok();
}

}  // namespace gwtest
