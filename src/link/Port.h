// Port: one medium to the ECU (a COM port, the FTDI USB cable, the simulated ECU) with
// exactly what the link needs: open, close, bytes waiting, read, write one byte, purge
// each side, and the error codes of the last call for the communication log.
// PortProvider makes ports for the link and counts the USB cables.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace gw {

enum class PortKind { Com, Usb, Simulated };

class Port {
public:
    virtual ~Port() = default;

    virtual PortKind Kind() const = 0;
    // "COM3", "USB 0 (/dev/ttyUSB0)", "SIMULATED ECU": for logs and status texts.
    virtual std::string Description() const = 0;

    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Each call returns false when it failed; LastError() then holds the system's error
    // number and LastStatus() the medium's own status (the USB driver status; the COM
    // line-error flags).
    virtual bool BytesWaiting(long& count) = 0;
    // Appends up to n received bytes (one character per byte) to out.
    virtual bool Read(std::size_t n, std::string& out) = 0;
    virtual bool WriteByte(std::uint8_t byte) = 0;
    virtual bool PurgeReceive() = 0;
    virtual bool PurgeTransmit() = 0;

    virtual long LastError() const = 0;
    virtual long LastStatus() const = 0;
    // After a failing call: its error means the device itself is gone (a USB adapter
    // unplugged, a terminal whose other side hung up), so resending cannot help.
    virtual bool DeviceGone() const { return false; }
};

class PortProvider {
public:
    virtual ~PortProvider() = default;
    // COM n (1-9); the port is not opened yet.
    virtual std::unique_ptr<Port> MakeCom(int comPort) = 0;
    // Number of FTDI USB cables present now.
    virtual int CountUsbDevices() = 0;
    // The USB cable at this index of the enumeration; not opened yet.
    virtual std::unique_ptr<Port> MakeUsb(int deviceIndex) = 0;
    // The simulated ECU, or nothing when this provider has none.
    virtual std::unique_ptr<Port> MakeSimulated() = 0;
    // The serial driver's flag word for the COM ports made from now on (the link settings'
    // "[DCB_fBitFields]"; 0 keeps the driver's own). Only a serial API with such a word uses it.
    virtual void SetDcbFlagWord(std::uint32_t /*flags*/) {}
};

}  // namespace gw
