#include "link/ports/ComPortMap.h"
#include "util/Numbers.h"

#include <cctype>
#include <vector>

#include "util/FileIo.h"

namespace gw {

namespace {

// A map file is a few lines; anything bigger is not one and is ignored as a whole.
constexpr std::size_t kMaxMapBytes = 1024 * 1024;


// "[COMn]" in any case with n in 1..9 (one digit, as the port menu offers); 0 otherwise.
int ComKey(const std::string& line) {
    if (line.size() != 6 || line[0] != '[' || line[5] != ']') return 0;
    if (std::toupper(static_cast<unsigned char>(line[1])) != 'C' ||
        std::toupper(static_cast<unsigned char>(line[2])) != 'O' ||
        std::toupper(static_cast<unsigned char>(line[3])) != 'M')
        return 0;
    const char d = line[4];
    if (d < '0' + ComPortMap::kFirstCom || d > '0' + ComPortMap::kLastCom) return 0;
    return d - '0';
}

}  // namespace

ComPortMap ComPortMap::Load(const std::string& appFolder) {
    const auto bytes = ReadWholeFile(AppPath(appFolder, "\\BIN\\ComPorts.ini"), kMaxMapBytes);
    return bytes ? Parse(*bytes) : ComPortMap();
}

ComPortMap ComPortMap::Parse(const std::string& bytes) {
    ComPortMap result;
    const std::vector<std::string> lines = SplitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int com = ComKey(TrimLine(lines[i]));
        if (com == 0 || i + 1 >= lines.size()) continue;
        // The value line belongs to its key, as in the other settings files.
        const std::string path = TrimLine(lines[++i]);
        // A path with a NUL byte would name a different file than the one written.
        if (path.empty() || path.find('\0') != std::string::npos) continue;
        result.map_[com] = path;
    }
    return result;
}

std::string ComPortMap::DevicePath(int comPort) const {
    if (comPort < kFirstCom || comPort > kLastCom) return std::string();
    const auto it = map_.find(comPort);
    if (it != map_.end()) return it->second;
    return "/dev/ttyS" + std::to_string(comPort - 1);
}

}  // namespace gw
