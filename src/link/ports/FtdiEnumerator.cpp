#include "link/ports/FtdiEnumerator.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "util/FileIo.h"
#include "util/Numbers.h"

namespace gw {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTtyPrefix = "ttyUSB";
constexpr const char* kFtdiVendor = "0403";
// From the serial port's node up to its USB device is two levels (port, interface);
// a few more allow for hubs drawn differently, without ever wandering far.
constexpr int kMaxLevelsUp = 6;

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
    std::size_t b = 0;
    while (b < s.size() && (s[b] == ' ' || s[b] == '\t')) ++b;
    return s.substr(b);
}

bool IsTtyUsbName(const std::string& name) {
    const std::string prefix = kTtyPrefix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    return std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// "ttyUSB10" after "ttyUSB9": by number, then by name for equal numbers ("ttyUSB01").
bool TtyBefore(const std::string& a, const std::string& b) {
    const std::size_t p = std::string(kTtyPrefix).size();
    std::string da = a.substr(p), db = b.substr(p);
    da.erase(0, std::min(da.find_first_not_of('0'), da.size()));
    db.erase(0, std::min(db.find_first_not_of('0'), db.size()));
    if (da.size() != db.size()) return da.size() < db.size();
    if (da != db) return da < db;
    return a < b;
}

bool IsInside(const fs::path& p, const fs::path& root) {
    auto pi = p.begin();
    for (auto ri = root.begin(); ri != root.end(); ++ri, ++pi) {
        if (pi == p.end() || *pi != *ri) return false;
    }
    return true;
}

// Walks up from the serial port's node to the first USB device and compares its vendor.
bool HasFtdiVendor(const fs::path& node, const fs::path& root) {
    std::error_code ec;
    fs::path dir = fs::canonical(node, ec);
    if (ec) return false;
    for (int level = 0; level <= kMaxLevelsUp && IsInside(dir, root) && dir != root; ++level) {
        const auto vendor = ReadWholeFile((dir / "idVendor").string(), 64);
        if (vendor) {
            return Lower(Trimmed(*vendor)) == kFtdiVendor;
        }
        dir = dir.parent_path();
    }
    return false;
}

}  // namespace

FtdiEnumerator::FtdiEnumerator(std::string sysfsRoot, std::string devRoot)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

std::vector<FtdiDevice> FtdiEnumerator::List() const {
    std::error_code ec;
    const fs::path root = fs::canonical(sysfsRoot_, ec);
    if (ec) return {};

    // The usb-serial bus lists the port nodes; without it, the tty class points at them.
    std::vector<std::pair<std::string, fs::path>> nodes;  // tty name, port node
    const fs::path bus = root / "bus" / "usb-serial" / "devices";
    const fs::path ttyClass = root / "class" / "tty";
    const bool useBus = fs::is_directory(bus, ec);
    const fs::path listed = useBus ? bus : ttyClass;
    fs::directory_iterator it(listed, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!IsTtyUsbName(name)) continue;
        nodes.emplace_back(name, useBus ? it->path() : it->path() / "device");
    }

    std::vector<FtdiDevice> devices;
    for (const auto& [name, node] : nodes) {
        if (!HasFtdiVendor(node, root)) continue;
        FtdiDevice d;
        d.ttyName = name;
        d.devicePath = (fs::path(devRoot_) / name).string();
        d.latencyTimerPath = (node / "latency_timer").string();
        devices.push_back(std::move(d));
    }
    std::sort(devices.begin(), devices.end(),
              [](const FtdiDevice& a, const FtdiDevice& b) { return TtyBefore(a.ttyName, b.ttyName); });
    return devices;
}

std::optional<FtdiDevice> FtdiEnumerator::At(int index) const {
    const std::vector<FtdiDevice> devices = List();
    if (index < 0 || index >= static_cast<int>(devices.size())) return std::nullopt;
    return devices[static_cast<std::size_t>(index)];
}

bool FtdiEnumerator::SetLowLatency(const FtdiDevice& device) {
#ifdef _WIN32
    (void)device;
    return false;   // no sysfs here
#else
    // A sysfs attribute is written in place: it cannot be replaced by a renamed file.
    const int fd = ::open(device.latencyTimerPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::write(fd, "1", 1) == 1;
    return ::close(fd) == 0 && ok;
#endif
}

}  // namespace gw
