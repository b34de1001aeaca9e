// Fuzz target: configuration files (*.var and "\LNG\Default.Xar") loaded off-line into the
// parameter image, as the configuration page does before the ECU is connected. Byte 0
// picks: bit 0 the file is the default configuration (its block 3 line gets the cylinder
// rule), bit 1 the decimal point (else comma), bit 2 the file is made larger than a
// configuration file can be, bit 3 the ECU's variant code is the six-cylinder one. The
// rest is the file.
// Checked: an oversized file is refused and changes nothing; any other file loads; the
// fuel state is never taken from a file; after the default configuration's block 3 line
// the cylinders are those of the ECU's variant (6, else 4); the correction table is known;
// the backups hold the image from before; what was loaded saves and loads back to the same
// file text.
#include <cstdio>
#include <filesystem>
#include <string>

#include "FuzzPort.h"
#include "FuzzSupport.h"
#include "link/ClsComm.h"
#include "model/ParameterImage.h"
#include "model/ScaleConfig.h"
#include "model/VarFile.h"
#include "util/EventHost.h"

namespace {

using namespace gw;

struct Rig {
    VirtualHost host;
    gwfuzz::FuzzLine line;
    gwfuzz::FuzzPortProvider ports{line};
    ClsComm comm{host, ports, gwfuzz::ScratchFolder()};
    ScaleConfig scale;
    ParameterImage image{scale, comm};
    explicit Rig(bool dot, bool six) {
        host.SetLocale(dot ? NumberLocale::Dot() : NumberLocale::Comma());
        comm.ComState = kComOffLine;
        scale.SL_6Cil = "4660";  // 0x1234
        scale.SL_8Cil = "4661";
        // The production-test memo: the variant code in its bytes 13-14, low byte first.
        comm.MemoDataCollaudo = std::string(13, '\0') + (six ? std::string("\x34\x12", 2) : std::string("\x01\x00", 2));
        // An image as a connection leaves it: blocks read from an ECU (the shipped defaults).
        image.DecodeBlock2Hex("0000000000000000000000010100");
        image.DecodeBlock3Hex(
            "040423008D2000002C01020004000000000001010101000000000000000000000000000000000100B40068013002F802FF03"
            "000000E80360091400000000200328000001000000010100");
        image.DecodeBlock5Hex("0000000000000000000000000014BE0ACA0800E8035802");
        image.ResetPendingRecords();
        image.Block2.Mode = 3;
        image.Block2.Mode2 = 3;
        image.Block2.SlaveState = 1;
        image.CorTable.fill(0.5);
    }
};

// A line the reader takes as block 3: split at LF, one CR before it dropped, blanks and
// tabs trimmed, beginning "B3".
bool HasBlock3Line(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t a = line.find_first_not_of(" \t");
        if (a != std::string::npos && line.compare(a, 2, "B3") == 0) return true;
        pos = end + 1;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 64 * 1024) return 0;
    const std::uint8_t flags = data[0];
    const bool isDefault = flags & 1, oversized = flags & 4, six = flags & 8;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::string& app = gwfuzz::ScratchFolder();
    const std::string path = isDefault ? app + "/LNG/Default.Xar" : app + "/BIN/fuzz conf è.var";
    gwfuzz::WriteFileBytes(path, text);
    if (oversized) std::filesystem::resize_file(path, kMaxVarFileBytes + 1);  // zeros, never written out

    Rig rig(flags & 2, six);
    ParameterImage& image = rig.image;
    const Block2Record b2 = image.Block2;
    const Block3Record b3 = image.Block3;
    const Block5Record b5 = image.Block5;
    const TimeTable cor = image.CorTable, adt = image.AdtTable;

    const bool loaded = LoadVarFile(image, path);
    FUZZ_CHECK(rig.host.Messages().empty());
    if (oversized) {
        FUZZ_CHECK(!loaded);
        FUZZ_CHECK(image.Block2 == b2 && image.Block3 == b3 && image.Block5 == b5);
        FUZZ_CHECK(image.CorTable == cor && image.AdtTable == adt && !image.CorTableKnown);
        return 0;
    }
    FUZZ_CHECK(loaded);
    FUZZ_CHECK(image.Block2.Mode == b2.Mode && image.Block2.Mode2 == b2.Mode2 && image.Block2.SlaveState == b2.SlaveState);
    FUZZ_CHECK(image.CorTableKnown);
    FUZZ_CHECK(image.Block2Backup == b2 && image.Block3Backup == b3 && image.Block5Backup == b5);
    if (isDefault && HasBlock3Line(text)) {
        FUZZ_CHECK(image.Block3.Cylinders == (six ? 6 : 4));
    }
    // Saved and loaded again into a fresh image: the same file.
    const std::string saved = VarFileText(image, "Fuzz", "01/01/2024 00:00:00");
    Rig again(flags & 2, six);
    const std::string path2 = app + "/BIN/again.var";
    gwfuzz::WriteFileBytes(path2, saved);
    FUZZ_CHECK(LoadVarFile(again.image, path2));
    const std::string savedAgain = VarFileText(again.image, "Fuzz", "01/01/2024 00:00:00");
    if (savedAgain != saved) {
        std::fprintf(stderr, "first save:\n%s\nsecond save:\n%s\n", saved.c_str(), savedAgain.c_str());
        FUZZ_CHECK(savedAgain == saved);
    }
    return 0;
}
