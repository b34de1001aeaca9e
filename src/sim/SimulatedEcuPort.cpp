#include "sim/SimulatedEcuPort.h"

#include <algorithm>
#include <cerrno>

namespace gw {

SimulatedEcuPort::SimulatedEcuPort(Host& host, std::shared_ptr<SimEcu> ecu)
    : host_(host), ecu_(ecu ? std::move(ecu) : std::make_shared<SimEcu>()) {}

void SimulatedEcuPort::Pump() {
    const double now = host_.MicroClock();
    // Request bytes that have arrived, then the answer bytes due by now.
    while (!toEcu_.empty() && toEcu_.front().atUs <= now) {
        ecu_->ReceiveByte(toEcu_.front().b, toEcu_.front().atUs);
        toEcu_.pop_front();
    }
    std::vector<double> times;
    const SimBytes due = ecu_->TakeDue(now, &times);
    if (!open_) return;
    for (std::size_t i = 0; i < due.size(); ++i)
        if (ecu_->Faults().CableConnectedAt(times[i])) rx_.push_back(due[i]);
}

bool SimulatedEcuPort::Fail(long error) {
    lastError_ = error;
    return false;
}

bool SimulatedEcuPort::Dead() {
    if (ecu_->Faults().DeviceGoneAt(host_.MicroClock())) dead_ = true;
    return dead_;
}

bool SimulatedEcuPort::Open() {
    Pump();
    if (!ecu_->Faults().CableConnectedAt(host_.MicroClock())) return Fail(ENODEV);
    open_ = true;
    dead_ = false;
    rx_.clear();
    lastError_ = 0;
    return true;
}

void SimulatedEcuPort::Close() {
    Pump();
    open_ = false;
    rx_.clear();
}

bool SimulatedEcuPort::BytesWaiting(long& count) {
    count = 0;
    if (!open_) return Fail(EBADF);
    if (Dead()) return Fail(EIO);
    Pump();
    count = static_cast<long>(rx_.size());
    return true;
}

bool SimulatedEcuPort::Read(std::size_t n, std::string& out) {
    if (!open_) return Fail(EBADF);
    if (Dead()) return Fail(EIO);
    Pump();
    for (std::size_t i = 0; i < n && !rx_.empty(); ++i) {
        out += static_cast<char>(rx_.front());
        rx_.pop_front();
    }
    return true;
}

bool SimulatedEcuPort::WriteByte(std::uint8_t byte) {
    if (!open_) return Fail(EBADF);
    if (Dead()) return Fail(EIO);
    Pump();
    const double arrival = std::max(host_.MicroClock(), lineFreeUs_) + SimEcu::ByteUs;
    lineFreeUs_ = arrival;
    if (ecu_->Faults().CableConnectedAt(arrival)) toEcu_.push_back({byte, arrival});
    return true;
}

bool SimulatedEcuPort::PurgeReceive() {
    if (!open_) return Fail(EBADF);
    if (Dead()) return Fail(EIO);
    Pump();
    rx_.clear();
    return true;
}

}  // namespace gw
