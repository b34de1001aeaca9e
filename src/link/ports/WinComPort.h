// COM n on Windows through the serial API: exclusive open, 38400 8N1, short read and
// write time-outs, queue count from ClearCommError. Compiled only on Windows.
#pragma once
#ifdef _WIN32

#include <cstdint>
#include <string>

#include "link/Port.h"

namespace gw {

class WinComPort : public Port {
public:
    // dcbFlags non-zero replaces the driver's DCB flag word when the port is opened.
    explicit WinComPort(int comPort, std::uint32_t dcbFlags = 0);
    ~WinComPort() override;
    WinComPort(const WinComPort&) = delete;
    WinComPort& operator=(const WinComPort&) = delete;

    PortKind Kind() const override { return PortKind::Com; }
    std::string Description() const override;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return handle_ != nullptr; }

    bool BytesWaiting(long& count) override;
    bool Read(std::size_t n, std::string& out) override;
    bool WriteByte(std::uint8_t byte) override;
    bool PurgeReceive() override;
    bool PurgeTransmit() override;

    long LastError() const override { return lastError_; }
    // The line-error flags of the last ClearCommError.
    long LastStatus() const override { return lineErrors_; }
    // The adapter behind the COM port was removed (its handle now fails every call).
    bool DeviceGone() const override;

private:
    bool Fail();

    int comPort_;
    std::uint32_t dcbFlags_;
    void* handle_ = nullptr;
    long lastError_ = 0;
    long lineErrors_ = 0;
};

}  // namespace gw

#endif  // _WIN32
