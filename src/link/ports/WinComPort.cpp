#ifdef _WIN32
#include "link/ports/WinComPort.h"

#include <cstddef>
#include <cstring>

#include <windows.h>

namespace gw {

WinComPort::WinComPort(int comPort, std::uint32_t dcbFlags) : comPort_(comPort), dcbFlags_(dcbFlags) {}

WinComPort::~WinComPort() { Close(); }

std::string WinComPort::Description() const { return "COM" + std::to_string(comPort_); }

bool WinComPort::Fail() {
    lastError_ = handle_ ? static_cast<long>(GetLastError()) : static_cast<long>(ERROR_INVALID_HANDLE);
    return false;
}

bool WinComPort::DeviceGone() const {
    return lastError_ == ERROR_DEVICE_REMOVED || lastError_ == ERROR_BAD_COMMAND || lastError_ == ERROR_GEN_FAILURE ||
           lastError_ == ERROR_DEV_NOT_EXIST;
}

bool WinComPort::Open() {
    if (handle_) return true;
    if (comPort_ < 1 || comPort_ > 9) {
        lastError_ = ERROR_FILE_NOT_FOUND;
        return false;
    }
    const std::string name = "COM" + std::to_string(comPort_);
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        lastError_ = static_cast<long>(GetLastError());
        return false;
    }
    handle_ = h;

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    COMMTIMEOUTS timeouts{};
    GetCommState(h, &dcb);
    GetCommTimeouts(h, &timeouts);
    timeouts.ReadIntervalTimeout = 5;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 5;
    timeouts.WriteTotalTimeoutConstant = 50;
    dcb.BaudRate = 38400;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (dcbFlags_ != 0) {
        // The flag word follows BaudRate in the structure: fBinary .. fDummy2.
        const DWORD flags = dcbFlags_;
        std::memcpy(reinterpret_cast<char*>(&dcb) + offsetof(DCB, BaudRate) + sizeof(DWORD), &flags, sizeof flags);
    }
    // Their results do not decide the outcome: a driver that refuses a setting still gives a
    // usable port, and the open is what counts.
    SetCommState(h, &dcb);
    SetCommTimeouts(h, &timeouts);
    return true;
}

void WinComPort::Close() {
    if (!handle_) return;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (CloseHandle(static_cast<HANDLE>(handle_))) break;
        lastError_ = static_cast<long>(GetLastError());
    }
    handle_ = nullptr;
}

bool WinComPort::BytesWaiting(long& count) {
    count = 0;
    DWORD errors = 0;
    COMSTAT stat{};
    if (!handle_ || !ClearCommError(static_cast<HANDLE>(handle_), &errors, &stat)) return Fail();
    lineErrors_ = static_cast<long>(errors);
    count = static_cast<long>(stat.cbInQue);
    return true;
}

bool WinComPort::Read(std::size_t n, std::string& out) {
    if (!handle_) return Fail();
    char buf[256];
    while (n > 0) {
        const DWORD want = static_cast<DWORD>(n < sizeof buf ? n : sizeof buf);
        DWORD got = 0;
        if (!ReadFile(static_cast<HANDLE>(handle_), buf, want, &got, nullptr)) return Fail();
        if (got == 0) break;
        out.append(buf, got);
        n -= got;
    }
    return true;
}

bool WinComPort::WriteByte(std::uint8_t byte) {
    DWORD written = 0;
    if (!handle_ || !WriteFile(static_cast<HANDLE>(handle_), &byte, 1, &written, nullptr)) return Fail();
    if (written != 1) {
        lastError_ = ERROR_TIMEOUT;
        return false;
    }
    return true;
}

bool WinComPort::PurgeReceive() {
    if (!handle_ || !PurgeComm(static_cast<HANDLE>(handle_), PURGE_RXCLEAR)) return Fail();
    return true;
}

bool WinComPort::PurgeTransmit() {
    if (!handle_ || !PurgeComm(static_cast<HANDLE>(handle_), PURGE_TXCLEAR)) return Fail();
    return true;
}

}  // namespace gw

#endif  // _WIN32
