// VarFile: the configuration file (*.var, and "\LNG\Default.Xar") that saves and restores
// the parameter blocks 2, 3, 5 and the correction tables, and the block 5 line the
// firmware upgrade restores. Saving goes through the block encoders; loading decodes the
// lines as if the ECU had sent them and writes the result to the ECU through the image's
// link. Choosing the file and refreshing the pages is the window's business.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/ParameterImage.h"
#include "util/Warnings.h"

namespace gw {

inline constexpr const char* kVarSoftwareVersion = " Software ver. 01.01.03";
// Larger files are not configuration files: refused without reading them.
inline constexpr std::size_t kMaxVarFileBytes = 1024 * 1024;

// The file's text: "[INFO]", the information line (appTitle, dateTime as the caller
// formats it), "[BLK2]"/B2, "[BLK3]"/B3, "[BLK5]"/B5 (firmware above 132 only), "[COR]"
// and "[ADT]" with 192 numbers each in the host's number format; CR LF line ends.
// Pending changes are merged into the image, as a write would.
std::string VarFileText(ParameterImage& image, const std::string& appTitle, const std::string& dateTime);
// Why a configuration is not saved before the ECU's correction table is known.
inline constexpr const char* kCorTableNotReadText =
    "The ECU's correction table has not been read yet, so the configuration cannot be saved.";
// Writes that text atomically; false (and error) when it cannot be written, or when the
// image's correction table is not known yet (no file is written then: never a made-up table).
bool SaveVarFile(ParameterImage& image, const std::string& path, const std::string& appTitle,
                 const std::string& dateTime, std::string* error = nullptr);

// Why a configuration file the user chose is refused before anything is read into the image
// or sent to the ECU.
enum class VarFileProblem {
    None,
    Missing,     // no such file
    TooLarge,    // larger than kMaxVarFileBytes: no configuration file is
    Unreadable,  // it exists but cannot be read
    Damaged,     // not a whole configuration: binary bytes, a block line cut short or not
                 // hexadecimal, no block 2 or block 3 line, or a table without its 192 entries
};
// The checks on the text: control bytes other than tab, CR and LF make it damaged; a "B2",
// "B3" or "B5" line must carry hexadecimal pairs for the whole block (at least 14 and 74
// bytes; block 5 exactly 14 or at least 23), "B2" and "B3" must be there, and "[COR]" and "[ADT]" must each be followed by 192
// entry lines. An entry that is not a number is the reader's business (it keeps its value).
// Lines may end in CR LF, LF or CR.
VarFileProblem CheckVarFileText(const std::string& text);
VarFileProblem CheckVarFile(const std::string& path);

// How long a failed load keeps trying to put the ECU's own blocks back.
inline constexpr double kVarRestoreWithinUs = 30'000'000;

// What a load did to the ECU, for the message the user gets.
struct VarLoadReport {
    enum class Held { Own, FromFile, Unknown };  // what the ECU holds of an item now
    struct Item {
        std::string name;  // "block 2", "block 3", "block 5", "correction table"
        Held held = Held::Own;
    };
    std::vector<Item> items;
    bool readBefore = false;    // the ECU's own blocks were read before writing
    bool verified = false;      // every item was read back and the ECU holds the file's
    std::string message;        // empty when all went well
};

// Reads the file into the image and writes blocks 2, 3, 5 (firmware 133 and later) and the
// correction table to the ECU. Mode, Mode2 and SlaveState are never taken from the file.
// Off-line nothing is sent and the file's values stay in the image (true). A missing,
// unreadable or oversized file changes nothing (false).
// On-line, the ECU's own blocks and table are read first (a failed read writes nothing).
// When a write fails, the ECU's own items written so far (the failing one included: its
// answer may be what was lost) are put back as soon as the link answers again, within
// restoreWithinUs; what cannot be put back is named in the message. After the writes all
// items are read back and compared: an ECU that lost them (a restart) fails the load.
// Without a report the message is shown in a message box; with one it is left to the caller.
bool LoadVarFile(ParameterImage& image, const std::string& path, VarLoadReport* report = nullptr,
                 double restoreWithinUs = kVarRestoreWithinUs);

// Decodes the first non-empty line of the file (its first two characters dropped) as block
// 5; a missing file gives the "SYSTEM ERROR" warning (the caller shows it). Sends nothing.
bool LoadBlock5Line(ParameterImage& image, const std::string& path, Warnings& warnings);

}  // namespace gw
