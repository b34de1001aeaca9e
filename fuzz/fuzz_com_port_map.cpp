// Fuzz target: the COM port map "\BIN\ComPorts.ini". Any bytes parse; every COM number
// maps to a clean path, and the map written back in its own form parses to the same.
#include <string>

#include "FuzzSupport.h"
#include "link/ports/ComPortMap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using gw::ComPortMap;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const ComPortMap map = ComPortMap::Parse(bytes);
    FUZZ_CHECK(map.DevicePath(0).empty() && map.DevicePath(10).empty() && map.DevicePath(-1).empty());
    std::string rewritten;
    for (int n = ComPortMap::kFirstCom; n <= ComPortMap::kLastCom; ++n) {
        const std::string p = map.DevicePath(n);
        FUZZ_CHECK(!p.empty());
        FUZZ_CHECK(p.find('\0') == std::string::npos && p.find('\n') == std::string::npos);
        FUZZ_CHECK(p.front() != ' ' && p.back() != ' ' && p.back() != '\r' && p.front() != '\t');
        if (!map.IsMapped(n)) FUZZ_CHECK(p == "/dev/ttyS" + std::to_string(n - 1));
        if (map.IsMapped(n)) rewritten += "[COM" + std::to_string(n) + "]\r\n" + p + "\r\n";
    }
    const ComPortMap back = ComPortMap::Parse(rewritten);
    for (int n = ComPortMap::kFirstCom; n <= ComPortMap::kLastCom; ++n) {
        FUZZ_CHECK(back.IsMapped(n) == map.IsMapped(n));
        FUZZ_CHECK(back.DevicePath(n) == map.DevicePath(n));
    }
    // The file reader gives what the parser gives.
    const std::string& app = gwfuzz::ScratchFolder();
    gwfuzz::WriteFileBytes(app + "/BIN/ComPorts.ini", bytes);
    const ComPortMap loaded = ComPortMap::Load(app);
    for (int n = ComPortMap::kFirstCom; n <= ComPortMap::kLastCom; ++n)
        FUZZ_CHECK(loaded.DevicePath(n) == map.DevicePath(n));
    return 0;
}
