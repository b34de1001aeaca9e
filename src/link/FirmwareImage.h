// FirmwareImage: the flash layout read from "\BIN\Flash.ini" (up to 14 blocks), the
// in-memory flash image filled from the firmware image file (plain or encoded S2 records,
// closed by "[AdrFrmwarEcu]" and the identity record's address), and the identity text the
// image carries. Readers take any bytes: a bad layout is refused, bad records are skipped,
// and nothing is ever written outside the image. Talking to the ECU is not done here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "util/Host.h"
#include "util/Warnings.h"

namespace gw {

inline constexpr int kFlashBlockRows = 14;
// The largest image the layout may describe: the 24-bit address space of the S2 records
// and of the flash-zone frame.
inline constexpr std::uint32_t kMaxFlashAddress = 0x00FFFFFF;
inline constexpr const char* kDefaultAdrFrmwarEcu = "00FF8000";
inline constexpr const char* kAdrFrmwarEcuKey = "[AdrFrmwarEcu]";

// What a load found, for the caller's messages and the tests.
struct FirmwareLoadReport {
    int records = 0;        // S2 records taken
    int malformed = 0;      // S2 lines skipped (odd or non-hexadecimal digits, too short)
    int outsideBytes = 0;   // data bytes outside the image, not written
    int badChecksum = 0;    // records whose checksum does not match (taken all the same)
    bool addressKey = false;  // the closing "[AdrFrmwarEcu]" line and its address were there
    Warnings warnings;      // of reading the file, for the caller to show
};

class FirmwareImage {
public:
    // Column 0 the first, column 1 the last address of each block; FlashBlockCount rows used.
    std::array<std::array<std::int32_t, 2>, kFlashBlockRows> BFlash{};
    int FlashBlockCount = 0;
    // Last address of the last block minus the first address of block 0.
    std::int32_t LargFlash = 0;
    // The image: index = address - BFlash(0, 0).
    std::vector<std::uint8_t> TableFlash;
    // Address of the identity record, as hexadecimal digits.
    std::string AdrFrmwarEcu = kDefaultAdrFrmwarEcu;
    // Why the last LeggiFlashIni or CaricaFirmware failed (for logs and messages).
    std::string LastError;
    FirmwareLoadReport Report;

    // Reads the layout file. False when it is missing or unreadable, has more than 14
    // blocks, a line that is not two "H" + 8 hex digit addresses, blocks out of order or
    // overlapping, or addresses beyond the 24-bit space; BFlash and LargFlash are then
    // left as they were.
    bool LeggiFlashIni(const std::string& path);

    // Makes the image hold indexes 0..upperBound (keeping the old bytes when preserve,
    // the new ones 0xFF). A negative bound empties it; a bound past the 24-bit space is
    // refused (false, image unchanged).
    bool RedimTableFlash(std::int64_t upperBound, bool preserve);
    std::int64_t TableFlashUBound() const { return static_cast<std::int64_t>(TableFlash.size()) - 1; }
    std::uint32_t FirstAddress() const { return static_cast<std::uint32_t>(BFlash[0][0]); }

    // Loads the image file into TableFlash (over what is there). False when the file is
    // missing or cannot be read. The warnings of the reading are in Report.warnings; the
    // host, when given, only lets its events run once the file is in.
    bool CaricaFirmware(const std::string& path, Host* events = nullptr);

    // The image's identity text from the record at AdrFrmwarEcu; empty when the record
    // does not lie wholly inside the image.
    std::string IdentityText() const;

    // The 128 bytes of the zone starting at address (0xFF where the image has none).
    std::string Zone(std::uint32_t address) const;

    // The row of the block that encloses the address, or -1.
    int BlockOf(std::uint32_t address) const;
};

// Whether a load took a whole image file: at least one record, none malformed or with a
// wrong checksum, and the closing "[AdrFrmwarEcu]" key with its address (a file cut short
// loses it). Anything less is no image to check an ECU against or to write into one.
bool ImageIsWhole(const FirmwareLoadReport& report);

// The 6-digit address of every S2 record of the image file, in file order (records after
// the "[AdrFrmwarEcu]" key and malformed lines are left out), with the warnings of the
// reading. Empty for a missing file.
Reading<std::vector<std::string>> IndirizziFirmware(const std::string& path, Host* events = nullptr);

}  // namespace gw
