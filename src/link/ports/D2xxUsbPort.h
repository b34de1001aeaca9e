// The FTDI USB cable on Windows through the USB driver library (ZEPHD2XX.DLL, loaded at
// first use): counted and opened by index, 38400 8N1, no flow control, 50 ms time-outs.
// LastStatus() is the library's status of the last call (0 = OK). Windows only.
#pragma once
#ifdef _WIN32

#include <cstdint>
#include <string>

#include "link/Port.h"

namespace gw {

class D2xxUsbPort : public Port {
public:
    // Cables present now; 0 when the library is missing or the count fails.
    static int CountDevices();

    explicit D2xxUsbPort(int deviceIndex);
    ~D2xxUsbPort() override;
    D2xxUsbPort(const D2xxUsbPort&) = delete;
    D2xxUsbPort& operator=(const D2xxUsbPort&) = delete;

    PortKind Kind() const override { return PortKind::Usb; }
    std::string Description() const override { return "USB " + std::to_string(index_); }

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return handle_ != nullptr; }

    bool BytesWaiting(long& count) override;
    bool Read(std::size_t n, std::string& out) override;
    bool WriteByte(std::uint8_t byte) override;
    // Purges both directions of the device, as the link always did on the cable.
    bool PurgeReceive() override;
    bool PurgeTransmit() override;

    long LastError() const override { return lastError_; }
    long LastStatus() const override { return status_; }
    // FT_DEVICE_NOT_FOUND or FT_IO_ERROR: the cable was unplugged.
    bool DeviceGone() const override { return status_ == 2 || status_ == 4; }

private:
    bool Check(unsigned long status);

    int index_;
    void* handle_ = nullptr;
    long status_ = 0;
    long lastError_ = 0;
};

}  // namespace gw

#endif  // _WIN32
