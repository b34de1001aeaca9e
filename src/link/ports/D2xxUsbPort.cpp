#ifdef _WIN32
#include "link/ports/D2xxUsbPort.h"

#include <windows.h>

namespace gw {

namespace {

// The library's calls as the link uses them; every call returns a status, 0 = OK.
using Status = ULONG;
using FtHandle = PVOID;
using ListDevicesFn = Status(WINAPI*)(PVOID, PVOID, DWORD);
using OpenFn = Status(WINAPI*)(int, FtHandle*);
using CloseFn = Status(WINAPI*)(FtHandle);
using SetBaudRateFn = Status(WINAPI*)(FtHandle, ULONG);
using SetDataCharacteristicsFn = Status(WINAPI*)(FtHandle, UCHAR, UCHAR, UCHAR);
using SetFlowControlFn = Status(WINAPI*)(FtHandle, USHORT, UCHAR, UCHAR);
using SetTimeoutsFn = Status(WINAPI*)(FtHandle, ULONG, ULONG);
using SetCharsFn = Status(WINAPI*)(FtHandle, UCHAR, UCHAR, UCHAR, UCHAR);
using GetQueueStatusFn = Status(WINAPI*)(FtHandle, DWORD*);
using ReadFn = Status(WINAPI*)(FtHandle, LPVOID, DWORD, LPDWORD);
using WriteFn = Status(WINAPI*)(FtHandle, LPVOID, DWORD, LPDWORD);
using PurgeFn = Status(WINAPI*)(FtHandle, ULONG);

constexpr DWORD kListNumberOnly = 0x80000000;
constexpr ULONG kPurgeRx = 1;
constexpr ULONG kPurgeTx = 2;
constexpr Status kInvalidHandle = 1;  // a call on a cable that is not open
constexpr Status kNotLoaded = 2;      // reported as "device not found" when the library is missing

struct D2xx {
    bool loaded = false;
    ListDevicesFn ListDevices = nullptr;
    OpenFn Open = nullptr;
    CloseFn Close = nullptr;
    SetBaudRateFn SetBaudRate = nullptr;
    SetDataCharacteristicsFn SetDataCharacteristics = nullptr;
    SetFlowControlFn SetFlowControl = nullptr;
    SetTimeoutsFn SetTimeouts = nullptr;
    SetCharsFn SetChars = nullptr;
    GetQueueStatusFn GetQueueStatus = nullptr;
    ReadFn Read = nullptr;
    WriteFn Write = nullptr;
    PurgeFn Purge = nullptr;
};

template <typename Fn>
bool Bind(HMODULE lib, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
    return fn != nullptr;
}

const D2xx& Library() {
    static const D2xx lib = [] {
        D2xx d;
        HMODULE h = LoadLibraryA("ZEPHD2XX.DLL");
        if (!h) return d;
        d.loaded = Bind(h, "FT_ListDevices", d.ListDevices) && Bind(h, "FT_Open", d.Open) &&
                   Bind(h, "FT_Close", d.Close) && Bind(h, "FT_SetBaudRate", d.SetBaudRate) &&
                   Bind(h, "FT_SetDataCharacteristics", d.SetDataCharacteristics) &&
                   Bind(h, "FT_SetFlowControl", d.SetFlowControl) && Bind(h, "FT_SetTimeouts", d.SetTimeouts) &&
                   Bind(h, "FT_SetChars", d.SetChars) && Bind(h, "FT_GetQueueStatus", d.GetQueueStatus) &&
                   Bind(h, "FT_Read", d.Read) && Bind(h, "FT_Write", d.Write) && Bind(h, "FT_Purge", d.Purge);
        return d;
    }();
    return lib;
}

}  // namespace

int D2xxUsbPort::CountDevices() {
    const D2xx& d = Library();
    if (!d.loaded) return 0;
    DWORD count = 0;
    if (d.ListDevices(&count, nullptr, kListNumberOnly) != 0) return 0;
    return static_cast<int>(count);
}

D2xxUsbPort::D2xxUsbPort(int deviceIndex) : index_(deviceIndex) {}

D2xxUsbPort::~D2xxUsbPort() { Close(); }

bool D2xxUsbPort::Check(unsigned long status) {
    status_ = static_cast<long>(status);
    if (status != 0) lastError_ = static_cast<long>(GetLastError());
    return status == 0;
}

bool D2xxUsbPort::Open() {
    if (handle_) return true;
    const D2xx& d = Library();
    if (!d.loaded) return Check(kNotLoaded);
    FtHandle h = nullptr;
    if (!Check(d.Open(index_, &h))) return false;
    // Each step only after the one before succeeded; a failure leaves the device open
    // until Close, as before.
    handle_ = h;
    return Check(d.SetBaudRate(h, 38400)) && Check(d.SetDataCharacteristics(h, 8, 0, 0)) &&
           Check(d.SetFlowControl(h, 0, 0, 0)) && Check(d.SetTimeouts(h, 50, 50)) &&
           Check(d.SetChars(h, 126, 0, 0, 0));
}

void D2xxUsbPort::Close() {
    if (!handle_) return;
    Check(Library().Close(handle_));
    handle_ = nullptr;
}

bool D2xxUsbPort::BytesWaiting(long& count) {
    count = 0;
    if (!handle_) return Check(kInvalidHandle);
    DWORD queued = 0;
    if (!Check(Library().GetQueueStatus(handle_, &queued))) return false;
    count = static_cast<long>(queued);
    return true;
}

bool D2xxUsbPort::Read(std::size_t n, std::string& out) {
    if (!handle_) return Check(kInvalidHandle);
    std::string buf(n, '\0');
    DWORD got = 0;
    if (!Check(Library().Read(handle_, buf.data(), static_cast<DWORD>(n), &got))) return false;
    out.append(buf.data(), got);
    return true;
}

bool D2xxUsbPort::WriteByte(std::uint8_t byte) {
    if (!handle_) return Check(kInvalidHandle);
    DWORD written = 0;
    if (!Check(Library().Write(handle_, &byte, 1, &written))) return false;
    return written == 1;
}

bool D2xxUsbPort::PurgeReceive() {
    return handle_ ? Check(Library().Purge(handle_, kPurgeRx | kPurgeTx)) : Check(kInvalidHandle);
}

bool D2xxUsbPort::PurgeTransmit() { return handle_ ? Check(Library().Purge(handle_, kPurgeTx)) : Check(kInvalidHandle); }

}  // namespace gw

#endif  // _WIN32
