// Fuzz target: the flash layout ("\BIN\Flash.ini") and the firmware image file (S2 records,
// plain and encoded). Byte 0 picks: bit 0 the image is also read in the encoded form;
// the rest is the layout, the separator FF 00 FF and the image (no separator: the shipped
// layout and the whole rest as the image).
// Checked: a refused layout leaves the old one; an accepted one has 1-14 ordered blocks
// inside the 24-bit space; the image is read over an image of the layout's size (at most
// 64 KiB here) without writing outside it; every record is counted once; the record
// addresses listed for the upgrade are those of the records taken; the encoded form of the
// same lines gives the same image; identity, zones and block lookup never read outside.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "link/EncodedFiles.h"
#include "link/FirmwareImage.h"
#include "util/EventHost.h"

namespace {

using namespace gw;

constexpr const char* kShippedLayout =
    "H00F80000    H00F8FFFF\r\nH00F90000    H00F9FFFF\r\nH00FA0000    H00FAFFFF\r\n"
    "H00FB0000    H00FBFFFF\r\nH00FC0000    H00FCFFFF\r\nH00FD0000    H00FDFFFF\r\n"
    "H00FE0000    H00FEFFFF\r\nH00FF0000    H00FFFFFF\r\n";
constexpr std::int64_t kMaxFuzzImage = 0xFFFF;

void CheckLayout(const FirmwareImage& fw) {
    FUZZ_CHECK(fw.FlashBlockCount >= 1 && fw.FlashBlockCount <= kFlashBlockRows);
    for (int r = 0; r < fw.FlashBlockCount; ++r) {
        FUZZ_CHECK(fw.BFlash[r][0] >= 0 && fw.BFlash[r][0] <= fw.BFlash[r][1]);
        FUZZ_CHECK(static_cast<std::uint32_t>(fw.BFlash[r][1]) <= kMaxFlashAddress);
        if (r > 0) FUZZ_CHECK(fw.BFlash[r][0] > fw.BFlash[r - 1][1]);
        FUZZ_CHECK(fw.BlockOf(static_cast<std::uint32_t>(fw.BFlash[r][0])) == r);
        FUZZ_CHECK(fw.BlockOf(static_cast<std::uint32_t>(fw.BFlash[r][1])) == r);
    }
    FUZZ_CHECK(fw.LargFlash == fw.BFlash[fw.FlashBlockCount - 1][1] - fw.BFlash[0][0]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 64 * 1024) return 0;
    const bool encoded = data[0] & 1;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string sep("\xFF\x00\xFF", 3);
    const std::size_t at = rest.find(sep);
    const std::string layout = at == std::string::npos ? kShippedLayout : rest.substr(0, at);
    const std::string imageText = at == std::string::npos ? rest : rest.substr(at + sep.size());

    const std::string& app = gwfuzz::ScratchFolder();
    const std::string layoutPath = app + "/BIN/Flash.ini";
    const std::string imagePath = app + "/BIN/fuzz image.frh";
    gwfuzz::WriteFileBytes(layoutPath, layout);
    gwfuzz::WriteFileBytes(imagePath, imageText);

    VirtualHost host;
    FirmwareImage fw;
    fw.BFlash[0] = {0x100, 0x1FF};
    fw.FlashBlockCount = 1;
    fw.LargFlash = 0xFF;
    const auto before = fw.BFlash;
    if (!fw.LeggiFlashIni(layoutPath)) {
        FUZZ_CHECK(!fw.LastError.empty());
        FUZZ_CHECK(fw.BFlash == before && fw.FlashBlockCount == 1 && fw.LargFlash == 0xFF);
    }
    CheckLayout(fw);
    FUZZ_CHECK(fw.RedimTableFlash(std::min<std::int64_t>(fw.LargFlash, kMaxFuzzImage), false));
    FUZZ_CHECK(!fw.RedimTableFlash(static_cast<std::int64_t>(kMaxFlashAddress) + 1, true));
    const std::size_t imageSize = fw.TableFlash.size();

    const bool loaded = fw.CaricaFirmware(imagePath, &host);
    FUZZ_CHECK(fw.TableFlash.size() == imageSize);
    if (!loaded) {
        FUZZ_CHECK(fw.Report.records == 0);
        return 0;
    }
    const FirmwareLoadReport report = fw.Report;
    FUZZ_CHECK(report.records >= 0 && report.malformed >= 0 && report.badChecksum <= report.records);
    std::size_t s2Lines = 0;
    for (const auto& l : SplitFileLines(imageText)) s2Lines += l.size() >= 2 && l[0] == 'S' && l[1] == '2';
    if (!FileCodificato(imagePath))
        FUZZ_CHECK(static_cast<std::size_t>(report.records + report.malformed) <= s2Lines);
    const auto addresses = IndirizziFirmware(imagePath, &host);
    FUZZ_CHECK(addresses.value.size() == static_cast<std::size_t>(report.records));
    for (const auto& a : addresses.value) FUZZ_CHECK(a.size() == 6);

    (void)fw.IdentityText();
    FUZZ_CHECK(fw.Zone(fw.FirstAddress()).size() == 128);
    FUZZ_CHECK(fw.Zone(0xFFFFFFFFu).size() == 128);

    // The same lines in the encoded form give the same image.
    if (encoded && !FileCodificato(imagePath)) {
        std::string enc = gwfuzz::EncodeLine(kEncodedHeader);
        for (const auto& l : SplitFileLines(imageText)) enc += "\r\n" + gwfuzz::EncodeLine(l);
        gwfuzz::WriteFileBytes(imagePath, enc);
        FirmwareImage other;
        other.BFlash = fw.BFlash;
        other.FlashBlockCount = fw.FlashBlockCount;
        other.LargFlash = fw.LargFlash;
        FUZZ_CHECK(other.RedimTableFlash(std::min<std::int64_t>(fw.LargFlash, kMaxFuzzImage), false));
        FUZZ_CHECK(other.CaricaFirmware(imagePath, &host) || report.records == 0);
        FUZZ_CHECK(other.TableFlash == fw.TableFlash);
        FUZZ_CHECK(other.Report.records == report.records && other.Report.malformed == report.malformed &&
                   other.Report.outsideBytes == report.outsideBytes && other.AdrFrmwarEcu == fw.AdrFrmwarEcu);
    }
    return 0;
}
