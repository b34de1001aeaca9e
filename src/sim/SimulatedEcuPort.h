// SimulatedEcuPort: the Port of the simulated ECU. Bytes the workbench writes reach the
// ECU at 38400-baud line pace on the host's clock; the answer's bytes become readable one
// by one as they arrive. Arrivals are computed lazily from Host::MicroClock() whenever
// the port is asked, so it works on virtual and on steady time without threads. A pulled
// cable (a fault) makes Open fail and bytes vanish. The ECU outlives the port, so a
// closed and reopened port talks to the same ECU.
#pragma once

#include <cerrno>
#include <deque>
#include <memory>

#include "link/Port.h"
#include "sim/SimEcu.h"
#include "util/Host.h"

namespace gw {

class SimulatedEcuPort : public Port {
public:
    SimulatedEcuPort(Host& host, std::shared_ptr<SimEcu> ecu);

    SimEcu& Ecu() { return *ecu_; }
    std::shared_ptr<SimEcu> SharedEcu() const { return ecu_; }

    PortKind Kind() const override { return PortKind::Simulated; }
    std::string Description() const override { return "SIMULATED ECU"; }
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    bool BytesWaiting(long& count) override;
    bool Read(std::size_t n, std::string& out) override;
    bool WriteByte(std::uint8_t byte) override;
    bool PurgeReceive() override;
    bool PurgeTransmit() override { return open_; }
    long LastError() const override { return lastError_; }
    long LastStatus() const override { return 0; }
    // An unplugged adapter (the device-gone fault): every call failed with EIO, and the
    // port stays dead until it is closed and opened again.
    bool DeviceGone() const override { return lastError_ == EIO || lastError_ == ENODEV; }

    // When the next answer byte becomes readable (for hosts that wait on it).
    double NextArrivalUs() { Pump(); return ecu_->NextDueUs(); }

private:
    void Pump();
    bool Fail(long error);
    bool Dead();  // the adapter went away while the port was open

    struct InByte {
        std::uint8_t b;
        double atUs;
    };
    Host& host_;
    std::shared_ptr<SimEcu> ecu_;
    bool open_ = false;
    bool dead_ = false;
    long lastError_ = 0;
    double lineFreeUs_ = 0;
    std::deque<InByte> toEcu_;
    std::deque<std::uint8_t> rx_;
};

}  // namespace gw
