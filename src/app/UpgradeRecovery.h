// UpgradeRecovery: the file that keeps what a firmware upgrade will write back (blocks 2, 3,
// 5, the correction table and the test date) from before the flash is erased until the
// configuration is back on the ECU, so an interrupted upgrade can be repeated without
// losing the installation's settings. One file per ECU in "\BIN", written atomically.
// Deciding when to write, use or remove it is the upgrade's business.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/TimeTable.h"

namespace gw {

inline constexpr const char* kRecoveryPrefix = "Recovery_";
inline constexpr const char* kRecoveryExtension = ".ini";

struct UpgradeRecovery {
    std::string ecuIdentity;    // the ECU's identity text before the upgrade
    std::string block2Hex, block3Hex, block5Hex;  // data bytes as hexadecimal text
    bool block5 = false;        // block 5 is to be written back
    TimeTable corTable{};       // the correction table as read (image units)
    std::string testDateFrame;  // the whole answer frame of the test-date read
};

// "\BIN\Recovery_<project code>_<test memo in hexadecimal>.ini"; an ECU whose test memo
// is blank (all 00 or all FF, or not read) is named "NOSERIAL".
std::string RecoveryRelativePath(const std::string& projectCode, const std::string& testDateFrame);
// True when the test memo names the ECU (not blank).
bool TestMemoNamesEcu(const std::string& testDateFrame);

std::string RecoveryText(const UpgradeRecovery& r);
std::optional<UpgradeRecovery> ParseRecovery(const std::string& text);
bool SaveRecovery(const std::string& path, const UpgradeRecovery& r, std::string* error = nullptr);
std::optional<UpgradeRecovery> LoadRecovery(const std::string& path);
// The recovery files in "\BIN" of the application folder, full paths, sorted.
std::vector<std::string> RecoveryFiles(const std::string& appFolder);

}  // namespace gw
