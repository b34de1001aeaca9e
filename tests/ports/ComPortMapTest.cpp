#include "link/ports/ComPortMap.h"

#include <gtest/gtest.h>

#include <random>

#include "support/TempDir.h"

namespace gw {
namespace {

TEST(ComPortMap, UnmappedPortsUseTheSerialDevicesAndOnlyOneToNineExist) {
    const ComPortMap map;
    EXPECT_EQ(map.DevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(map.DevicePath(9), "/dev/ttyS8");
    for (int outside : {0, -1, 10, 256}) EXPECT_EQ(map.DevicePath(outside), "") << outside;
}

struct MapCase {
    const char* name;
    std::string text;
    int com;
    std::string expected;  // "" = not mapped
};

TEST(ComPortMap, ParsesKeyLinesWithTheDeviceOnTheNextLine) {
    using namespace std::string_literals;
    const MapCase cases[] = {
        {"plain", "[COM3]\n/dev/pts/7\n", 3, "/dev/pts/7"},
        {"any case, blanks, CR LF", "  [com3] \r\n\t /dev/pts/7  \r\n", 3, "/dev/pts/7"},
        {"later key wins", "[COM3]\n/dev/a\n[Com3]\n/dev/b\n", 3, "/dev/b"},
        {"other ports untouched", "[COM2]\n/dev/a\n", 3, ""},
        {"key on the last line", "[COM3]\n/dev/a\n[COM4]", 4, ""},
        {"key on the last line after a newline", "[COM4]\n", 4, ""},
        {"empty value", "[COM3]\n   \n", 3, ""},
        {"empty value keeps the earlier one", "[COM3]\n/dev/a\n[COM3]\n\n", 3, "/dev/a"},
        {"value with a NUL byte", "[COM3]\n/dev/a\0b\n"s, 3, ""},
        {"two-digit port is no key", "[COM10]\n/dev/a\n", 1, ""},
        {"no number", "[COM]\n/dev/a\n", 3, ""},
        {"port 0", "[COM0]\n/dev/a\n", 3, ""},
        {"the value line is not read as a key", "[COM1]\n[COM2]\n/dev/a\n", 2, ""},
        {"garbage before", "\xff\xfe\x00junk\n[COM5\n]\n[COM5]\n/dev/x\n"s, 5, "/dev/x"},
        {"empty file", "", 3, ""},
    };
    for (const MapCase& c : cases) {
        const ComPortMap map = ComPortMap::Parse(c.text);
        EXPECT_EQ(map.IsMapped(c.com), !c.expected.empty()) << c.name;
        if (!c.expected.empty()) {
            EXPECT_EQ(map.DevicePath(c.com), c.expected) << c.name;
        }
    }
}

TEST(ComPortMap, LoadsFromTheBinFolderAndSurvivesAnyFile) {
    gwtest::TempDir dir;
    EXPECT_FALSE(ComPortMap::Load(dir.Path()).IsMapped(3)) << "missing file";

    dir.Write("BIN/ComPorts.ini", "[COM3]\r\n/dev/pts/9\r\n");
    EXPECT_EQ(ComPortMap::Load(dir.Path()).DevicePath(3), "/dev/pts/9");

    std::mt19937 rng(7);
    std::string garbage(64 * 1024, '\0');
    for (char& ch : garbage) ch = static_cast<char>(rng());
    garbage += "\n[COM3]\n/dev/after-garbage";
    dir.Write("BIN/ComPorts.ini", garbage);
    EXPECT_EQ(ComPortMap::Load(dir.Path()).DevicePath(3), "/dev/after-garbage");

    // Far bigger than any map: ignored as a whole rather than loaded.
    dir.Write("BIN/ComPorts.ini", "[COM3]\n/dev/big\n" + std::string(3 * 1024 * 1024, 'x'));
    EXPECT_EQ(ComPortMap::Load(dir.Path()).DevicePath(3), "/dev/ttyS2");
}

}  // namespace
}  // namespace gw
