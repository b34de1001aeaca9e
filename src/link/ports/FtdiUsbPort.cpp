#ifndef _WIN32
#include "link/ports/FtdiUsbPort.h"

#include <cerrno>

namespace gw {

FtdiUsbPort::FtdiUsbPort(const FtdiEnumerator& enumerator, int deviceIndex) : device_(enumerator.At(deviceIndex)) {
    description_ = "USB " + std::to_string(deviceIndex);
    if (device_) {
        description_ += " (" + device_->devicePath + ")";
        tty_ = std::make_unique<PosixSerialPort>(device_->devicePath, description_, PortKind::Usb);
    }
}

bool FtdiUsbPort::Done(bool ok, long failStatus) {
    if (ok) {
        lastStatus_ = kStatusOk;
    } else {
        lastStatus_ = failStatus;
        if (tty_) lastError_ = tty_->LastError();
    }
    return ok;
}

bool FtdiUsbPort::Open() {
    if (!tty_) {
        lastError_ = ENODEV;
        lastStatus_ = kStatusDeviceNotFound;
        return false;
    }
    const bool wasOpen = tty_->IsOpen();
    if (!Done(tty_->Open(), kStatusNotOpened)) return false;
    if (!wasOpen) lowLatency_ = FtdiEnumerator::SetLowLatency(*device_);
    return true;
}

void FtdiUsbPort::Close() {
    if (tty_) tty_->Close();
}

bool FtdiUsbPort::DeviceGone() const {
    return lastStatus_ == kStatusDeviceNotFound || (tty_ && tty_->DeviceGone());
}

bool FtdiUsbPort::IsOpen() const { return tty_ && tty_->IsOpen(); }

template <typename F>
bool FtdiUsbPort::Forward(F&& call) {
    if (!IsOpen()) {
        lastError_ = EBADF;
        lastStatus_ = kStatusInvalidHandle;
        return false;
    }
    return Done(call(*tty_), kStatusIoError);
}

bool FtdiUsbPort::BytesWaiting(long& count) {
    count = 0;
    return Forward([&](PosixSerialPort& tty) { return tty.BytesWaiting(count); });
}

bool FtdiUsbPort::Read(std::size_t n, std::string& out) {
    return Forward([&](PosixSerialPort& tty) { return tty.Read(n, out); });
}

bool FtdiUsbPort::WriteByte(std::uint8_t byte) {
    return Forward([&](PosixSerialPort& tty) { return tty.WriteByte(byte); });
}

bool FtdiUsbPort::PurgeReceive() {
    return Forward([](PosixSerialPort& tty) { return tty.PurgeReceive(); });
}

bool FtdiUsbPort::PurgeTransmit() {
    return Forward([](PosixSerialPort& tty) { return tty.PurgeTransmit(); });
}

}  // namespace gw

#endif  // !_WIN32
