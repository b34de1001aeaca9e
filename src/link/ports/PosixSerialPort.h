// A serial line opened through termios: 38400 baud, 8N1, raw, no flow control,
// non-blocking, held exclusively while open. Serves COM n (device from ComPortMap) and,
// through FtdiUsbPort, the tty of an FTDI USB cable. Knows nothing about frames.
#pragma once
#ifndef _WIN32

#include <string>

#include "link/Port.h"

namespace gw {

class ComPortMap;

class PosixSerialPort : public Port {
public:
    // COM n on the device the map gives for it; n outside 1..9 has no device and never opens.
    PosixSerialPort(int comPort, const ComPortMap& map);
    // Any tty by path, reported with the given kind and description.
    PosixSerialPort(std::string devicePath, std::string description, PortKind kind = PortKind::Com);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    PortKind Kind() const override { return kind_; }
    std::string Description() const override { return description_; }
    const std::string& DevicePath() const { return devicePath_; }

    // Opening an open port keeps it open and succeeds.
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }

    bool BytesWaiting(long& count) override;
    bool Read(std::size_t n, std::string& out) override;
    bool WriteByte(std::uint8_t byte) override;
    bool PurgeReceive() override;
    bool PurgeTransmit() override;

    // errno of the last call that failed (kept until another call fails).
    long LastError() const override { return lastError_; }
    // The line gives no error flags through this interface: always 0.
    long LastStatus() const override { return 0; }
    // ENODEV, ENXIO, EIO, EPIPE: the adapter was unplugged or the terminal hung up.
    bool DeviceGone() const override;

private:
    bool Fail(int err);
    bool ConfigureLine();

    std::string devicePath_;
    std::string description_;
    PortKind kind_;
    int fd_ = -1;
    long lastError_ = 0;
};

}  // namespace gw

#endif  // !_WIN32
