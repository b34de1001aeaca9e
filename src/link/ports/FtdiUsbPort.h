// The FTDI USB cable at an index of the enumeration, opened as its tty through
// PosixSerialPort (same line settings), with the driver's latency timer lowered to 1 ms
// when the system allows it. LastStatus() reads like the USB driver's status: 0 = OK.
// POSIX only; on Windows the cable goes through D2xxUsbPort.
#pragma once
#ifndef _WIN32

#include <memory>
#include <optional>
#include <string>

#include "link/Port.h"
#include "link/ports/FtdiEnumerator.h"
#include "link/ports/PosixSerialPort.h"

namespace gw {

class FtdiUsbPort : public Port {
public:
    // USB driver status values reported by LastStatus().
    static constexpr long kStatusOk = 0;
    static constexpr long kStatusInvalidHandle = 1;   // call on a port that is not open
    static constexpr long kStatusDeviceNotFound = 2;  // no cable at this index
    static constexpr long kStatusNotOpened = 3;       // the cable's tty could not be opened
    static constexpr long kStatusIoError = 4;         // a read, write or purge failed

    // Looks the index up in the enumeration now; an index with no cable never opens.
    FtdiUsbPort(const FtdiEnumerator& enumerator, int deviceIndex);

    PortKind Kind() const override { return PortKind::Usb; }
    std::string Description() const override { return description_; }
    const std::optional<FtdiDevice>& Device() const { return device_; }
    // True when the last Open managed to set the 1 ms latency timer.
    bool LowLatency() const { return lowLatency_; }

    bool Open() override;
    void Close() override;
    bool IsOpen() const override;

    bool BytesWaiting(long& count) override;
    bool Read(std::size_t n, std::string& out) override;
    bool WriteByte(std::uint8_t byte) override;
    bool PurgeReceive() override;
    bool PurgeTransmit() override;

    long LastError() const override { return lastError_; }
    long LastStatus() const override { return lastStatus_; }
    bool DeviceGone() const override;

private:
    // Records the outcome of one call in the status and error codes.
    bool Done(bool ok, long failStatus);
    // Runs one call on the open tty; on a closed port fails with the invalid-handle status.
    template <typename F>
    bool Forward(F&& call);

    std::optional<FtdiDevice> device_;
    std::string description_;
    std::unique_ptr<PosixSerialPort> tty_;
    bool lowLatency_ = false;
    long lastError_ = 0;
    long lastStatus_ = kStatusOk;
};

}  // namespace gw

#endif  // !_WIN32
