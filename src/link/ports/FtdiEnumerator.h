// Finds the FTDI USB-serial cables (USB vendor 0403) the kernel shows as ttyUSB devices,
// through sysfs, in a stable order (by tty number): the count and the device at an index,
// the way the USB driver library counts and opens them. Opens nothing itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace gw {

struct FtdiDevice {
    std::string ttyName;           // "ttyUSB0"
    std::string devicePath;        // "/dev/ttyUSB0"
    std::string latencyTimerPath;  // the driver's latency_timer attribute (may not exist)
};

class FtdiEnumerator {
public:
    // sysfsRoot and devRoot are "/sys" and "/dev" on a real system; tests pass a fake tree.
    explicit FtdiEnumerator(std::string sysfsRoot = "/sys", std::string devRoot = "/dev");

    std::vector<FtdiDevice> List() const;
    int Count() const { return static_cast<int>(List().size()); }
    // The device at this index of List(), or nothing when the index is out of range.
    std::optional<FtdiDevice> At(int index) const;

    // Asks the driver to hand over received bytes after 1 ms instead of 16 ms; a
    // byte-by-byte protocol otherwise waits a USB frame per byte. False when refused.
    static bool SetLowLatency(const FtdiDevice& device);

private:
    std::string sysfsRoot_;
    std::string devRoot_;
};

}  // namespace gw
