// The firmware identity text (of the ECU or of the image file) and its fields: version,
// BCD date, and the three-word project descriptor. Pure parsing and comparing; reading the
// identity from the ECU or the image is FirmwareCheck's and FirmwareImage's business.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gw {

// Bytes of the identity record in flash: 6 BCD bytes (version, day, month, year) and 32
// characters of descriptor text.
inline constexpr std::size_t kIdentityRecordBytes = 38;
inline constexpr std::size_t kIdentityHeadBytes = 6;

// Positions 1-4 read as a decimal number (leading digits only, as far as they go; 0 when
// the text has fewer than four characters or does not start with a digit).
int FirmwareVersionNumber(const std::string& identity);

// The identity text of a record: the first 6 bytes as two upper-case hex digits each,
// then the remaining bytes unchanged. A shorter record gives what it has.
std::string IdentityTextFromRecord(std::string_view record);

struct FirmwareIdentity {
    std::string Text;          // the whole identity text
    std::string VersStr;       // "01.00.23"; "00.00" when the text has 4 characters or fewer
    int VersNum = 0;           // 123
    int DayNum = 0;            // 15 (needs more than 6 characters)
    int MonthNum = 0;          // 5 (needs more than 8 characters)
    int YearNum = 0;           // 2007 (needs more than 12 characters)
    std::string DataStr;       // "07/05/15"; "00000000" when 11 characters or fewer
    std::string KDXXX;         // descriptor word 1: the project
    std::string CLIENTE;       // word 2: the customer
    std::string CODICE;        // word 3: the project code

    static FirmwareIdentity Parse(const std::string& identity);
};

// True when `later` carries a later date than `earlier` (year, then month, then day).
bool FirmwareDateLater(const FirmwareIdentity& later, const FirmwareIdentity& earlier);

// An identity read from erased flash (the 12 digits all "F"): a flash write that never
// ended. Such an ECU has no firmware of any project.
bool ErasedIdentity(const FirmwareIdentity& id);

// The ECU belongs to this workbench: the file's project code (upper case) is empty or
// equals the ECU's (upper case). An ECU with an erased identity belongs too, so that an
// interrupted upgrade can be done again (its version reads as 0: older than any file).
bool SameProject(const FirmwareIdentity& ecu, const FirmwareIdentity& file);

// The file's firmware is newer than the ECU's: a higher version number, or the same
// version with a later date.
bool FileFirmwareNewer(const FirmwareIdentity& ecu, const FirmwareIdentity& file);

}  // namespace gw
