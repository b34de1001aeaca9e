// Which device file stands behind COM n on this machine: "/dev/ttyS<n-1>" unless the
// application's "\BIN\ComPorts.ini" maps it (key line "[COMn]", device path on the next
// line). Only reads the map; opening the device is PosixSerialPort's job.
#pragma once

#include <map>
#include <string>

namespace gw {

class ComPortMap {
public:
    // The lowest and highest COM number the workbench can open.
    static constexpr int kFirstCom = 1;
    static constexpr int kLastCom = 9;

    ComPortMap() = default;
    // Reads AppFolder + "\BIN\ComPorts.ini"; a missing or unreadable file maps nothing.
    static ComPortMap Load(const std::string& appFolder);
    // Parses the text of such a file; any bytes are accepted, unusable lines are skipped.
    static ComPortMap Parse(const std::string& bytes);

    // The device file for COM n, or an empty text when n is outside 1..9.
    std::string DevicePath(int comPort) const;
    // True when the file named a device for COM n.
    bool IsMapped(int comPort) const { return map_.count(comPort) != 0; }

private:
    std::map<int, std::string> map_;
};

}  // namespace gw
