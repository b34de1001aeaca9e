#include "link/FirmwareIdentity.h"

#include <cctype>
#include <vector>

#include "link/ModComm.h"

namespace gw {

namespace {

// Leading decimal digits of a piece of the text (1-based position, count), as far as they
// go; 0 when the piece is missing or does not start with a digit.
int Decimal(const std::string& s, std::size_t pos1, std::size_t count) {
    if (pos1 == 0 || pos1 > s.size()) return 0;
    int v = 0;
    for (std::size_t i = pos1 - 1; i < s.size() && i < pos1 - 1 + count; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') break;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string Mid(const std::string& s, std::size_t pos1, std::size_t count) {
    if (pos1 == 0 || pos1 > s.size()) return {};
    return s.substr(pos1 - 1, count);
}

std::string Upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

int FirmwareVersionNumber(const std::string& identity) {
    if (identity.size() < 4) return 0;
    return Decimal(identity, 1, 4);
}

std::string IdentityTextFromRecord(std::string_view record) {
    const std::size_t head = record.size() < kIdentityHeadBytes ? record.size() : kIdentityHeadBytes;
    return HexMsg(record.substr(0, head)) + std::string(record.substr(head));
}

FirmwareIdentity FirmwareIdentity::Parse(const std::string& t) {
    FirmwareIdentity id;
    id.Text = t;
    id.VersStr = t.size() > 4 ? Mid(t, 1, 2) + ".00." + Mid(t, 3, 2) : "00.00";
    id.VersNum = FirmwareVersionNumber(t);
    id.DayNum = t.size() > 6 ? Decimal(t, 5, 2) : 0;
    id.MonthNum = t.size() > 8 ? Decimal(t, 7, 2) : 0;
    id.YearNum = t.size() > 12 ? Decimal(t, 9, 4) : 0;
    id.DataStr = t.size() > 11 ? Mid(t, 11, 2) + "/" + Mid(t, 7, 2) + "/" + Mid(t, 5, 2) : "00000000";
    if (t.size() > 12) {
        // Words separated by one or more blanks (the record is padded with blanks).
        std::vector<std::string> words;
        std::string word;
        for (std::size_t i = 12; i < t.size(); ++i) {
            if (t[i] == ' ') {
                if (!word.empty()) words.push_back(std::move(word));
                word.clear();
            } else {
                word += t[i];
            }
        }
        if (!word.empty()) words.push_back(std::move(word));
        if (words.size() > 0) id.KDXXX = words[0];
        if (words.size() > 1) id.CLIENTE = words[1];
        if (words.size() > 2) id.CODICE = words[2];
    }
    return id;
}

bool FirmwareDateLater(const FirmwareIdentity& later, const FirmwareIdentity& earlier) {
    if (later.YearNum != earlier.YearNum) return later.YearNum > earlier.YearNum;
    if (later.MonthNum != earlier.MonthNum) return later.MonthNum > earlier.MonthNum;
    return later.DayNum > earlier.DayNum;
}

bool ErasedIdentity(const FirmwareIdentity& id) {
    return id.Text.size() >= 12 && id.Text.compare(0, 12, "FFFFFFFFFFFF") == 0;
}

bool SameProject(const FirmwareIdentity& ecu, const FirmwareIdentity& file) {
    const std::string code = Upper(file.CODICE);
    return code.empty() || code == Upper(ecu.CODICE) || ErasedIdentity(ecu);
}

bool FileFirmwareNewer(const FirmwareIdentity& ecu, const FirmwareIdentity& file) {
    if (ecu.VersNum != file.VersNum) return ecu.VersNum < file.VersNum;
    return FirmwareDateLater(file, ecu);
}

}  // namespace gw
