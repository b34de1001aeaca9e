// ClsComm: the link settings and their file "\BIN\SetCom.ini" (key line in square brackets,
// value on the next line; keys compared without regard to case, values trimmed).
#include "link/ClsComm.h"
#include "util/Numbers.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

#include "util/ErrorReport.h"
#include "util/FileIo.h"

namespace gw {

namespace {

enum Key {
    kSetport,
    kComport,
    kMemoPath,
    kTitolo,
    kAttesaByteTx,
    kAttesaGlobale,
    kMolAttesaGlobale,
    kIdle,
    kNumResend,
    kUsbCom,
    kSearchCom,
    kDcb,
    kKeyCount
};

const char* const kKeyLines[kKeyCount] = {
    "[Setport]",          "[Comport]",           "[MemoPath]",         "[Titolo]",
    "[AttesaByteTx_usec]", "[AttesaGlobale_usec]", "[MolAttesaGlobale]", "[Idle_usec]",
    "[NumResend]",        "[UsbCom]",            "[SearchCom]",        "[DCB_fBitFields]",
};

const char* const kDefaultSetport = "38400,N,8,1";
const char* const kDefaultTitolo = "Default Setting";

// Run-time error numbers of a failed conversion.
constexpr int kErrTypeMismatch = 13;
constexpr int kErrOverflow = 6;

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A decimal number: optional sign, digits, at most one decimal point ('.' or ',').
bool ParseNumber(const std::string& t, double& out) {
    std::size_t i = 0;
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
    double v = 0, scale = 1;
    bool digits = false, point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            if (point) {
                scale /= 10;
                v += (c - '0') * scale;
            } else {
                v = v * 10 + (c - '0');
            }
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!digits || !std::isfinite(v)) return false;
    out = neg ? -v : v;
    return true;
}

// A whole number within [lo, hi], rounded half to even; 0 or the error number.
int ToWhole(const std::string& t, double lo, double hi, long long& out) {
    double v = 0;
    if (!ParseNumber(t, v)) return kErrTypeMismatch;
    const double r = std::nearbyint(v);  // the default rounding mode: half to even
    if (r < lo || r > hi) return kErrOverflow;
    out = static_cast<long long>(r);
    return 0;
}

int ToBool(const std::string& t, bool& out) {
    const std::string u = Upper(t);
    if (u == "TRUE" || u == "FALSE") {
        out = u == "TRUE";
        return 0;
    }
    double v = 0;
    if (!ParseNumber(t, v)) return kErrTypeMismatch;
    out = v != 0;
    return 0;
}

const char* ErrorDescription(int err) {
    return err == kErrOverflow ? "Overflow" : "Type mismatch";
}

// A number as written in the file: whole numbers without decimals.
std::string FormatNumber(double v) {
    if (std::isfinite(v) && std::fabs(v) < 1e15 && v == std::floor(v))
        return std::to_string(static_cast<long long>(v));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

}  // namespace

// Converts one value line for the key; false (with the error box shown) when the value
// cannot be converted: the setting then keeps its previous value.
bool ClsComm::ApplySetting(int key, const std::string& value, Warnings& warnings) {
    constexpr double i16lo = std::numeric_limits<std::int16_t>::min();
    constexpr double i16hi = std::numeric_limits<std::int16_t>::max();
    constexpr double i32lo = std::numeric_limits<std::int32_t>::min();
    constexpr double i32hi = std::numeric_limits<std::int32_t>::max();
    long long n = 0;
    bool b = false;
    int err = 0;
    switch (key) {
        case kSetport: Setport = value; break;
        case kMemoPath: MemoPath = value; break;
        case kTitolo: Titolo = value; break;
        case kComport:
            if ((err = ToWhole(value, i16lo, i16hi, n)) == 0) ComPortValue = static_cast<std::int16_t>(n);
            break;
        case kAttesaByteTx:
            if ((err = ToWhole(value, i32lo, i32hi, n)) == 0) AttesaByteTx_usec = static_cast<double>(n);
            break;
        case kAttesaGlobale:
            if ((err = ToWhole(value, i32lo, i32hi, n)) == 0)
                AttesaGlobaleDefault_usec = static_cast<double>(n);
            break;
        case kMolAttesaGlobale:
            if ((err = ToWhole(value, i32lo, i32hi, n)) == 0) MolAttesaGlobale = static_cast<double>(n);
            break;
        case kIdle:
            if ((err = ToWhole(value, i32lo, i32hi, n)) == 0) Idle_usec = static_cast<double>(n);
            break;
        case kNumResend:
            if ((err = ToWhole(value, i16lo, i16hi, n)) == 0) NumReSend = static_cast<std::int16_t>(n);
            break;
        case kUsbCom:
            if ((err = ToBool(value, b)) == 0) UsbCom = b;
            break;
        case kSearchCom:
            if ((err = ToWhole(value, 0, 255, n)) == 0) FlagRicercaCom = static_cast<std::uint8_t>(n);
            break;
        case kDcb:
            if ((err = ToWhole(value, i32lo, i32hi, n)) == 0) DcbBitFields = static_cast<std::int32_t>(n);
            break;
        default: break;
    }
    if (err == 0) return true;
    warnings.push_back(ErrorReportWarning(
        AppTitle, "ReadSetCom", "ReadSetCom_Err",
        ErrorInfo{err, std::string(ErrorDescription(err)) + " (" + kKeyLines[key] + " \"" + value + "\")"}));
    return false;
}

Warnings ClsComm::ReadSetCom(const std::string& pathIni) {
    Warnings warnings;
    Setport = kDefaultSetport;
    ComPortValue = 1;
    MemoPath = appFolder_;
    Titolo = kDefaultTitolo;
    AttesaByteTx_usec = 500;
    AttesaGlobaleDefault_usec = 4'000'000;
    MolAttesaGlobale = 500;
    NumReSend = 10;
    Idle_usec = 100'000;
    UsbCom = true;
    FlagRicercaCom = 0;
    DcbBitFields = 0;

    const auto bytes = ReadWholeFile(AppPath(appFolder_, pathIni));
    if (!bytes) {
        MemoDatiCom = true;
        AttesaGlobale_usec_Default();
        return warnings;
    }
    FlagRicercaCom = 255;

    // Lines end in CR LF, CR or LF.
    const std::string& s = *bytes;
    std::size_t pos = 0;
    auto nextLine = [&](std::string& line) {
        if (pos >= s.size()) return false;
        std::size_t e = s.find_first_of("\r\n", pos);
        if (e == std::string::npos) e = s.size();
        line.assign(s, pos, e - pos);
        pos = e;
        if (pos < s.size() && s[pos] == '\r') ++pos;
        if (pos < s.size() && s[pos] == '\n') ++pos;
        return true;
    };
    std::string line, value;
    while (nextLine(line)) {
        const std::string k = Upper(Trim(line));
        for (int key = 0; key < kKeyCount; ++key) {
            if (k != Upper(kKeyLines[key])) continue;
            // A key on the last line has no value: the setting keeps its value.
            if (nextLine(value)) ApplySetting(key, Trim(value), warnings);
            break;
        }
    }
    MemoDatiCom = false;
    AttesaGlobale_usec_Default();
    return warnings;
}

bool ClsComm::WriteSetCom(const std::string& pathIni) {
    if (Trim(Setport).empty()) Setport = kDefaultSetport;
    if (ComPortValue < 1) ComPortValue = 1;
    if (Trim(MemoPath).empty()) MemoPath = appFolder_;
    if (Trim(Titolo).empty()) Titolo = kDefaultTitolo;
    if (!(AttesaByteTx_usec > 0)) AttesaByteTx_usec = 500;
    if (!(AttesaGlobaleDefault_usec > 0)) AttesaGlobaleDefault_usec = 4'000'000;
    if (!(MolAttesaGlobale > 0)) MolAttesaGlobale = 500;

    const std::string values[kKeyCount] = {
        Setport,
        std::to_string(ComPortValue),
        MemoPath,
        Titolo,
        FormatNumber(AttesaByteTx_usec),
        FormatNumber(AttesaGlobaleDefault_usec),
        FormatNumber(MolAttesaGlobale),
        FormatNumber(Idle_usec),
        std::to_string(NumReSend),
        UsbCom ? "True" : "False",
        " " + std::to_string(FlagRicercaCom) + " ",
        std::to_string(DcbBitFields),
    };
    std::string text;
    for (int key = 0; key < kKeyCount; ++key) {
        text += kKeyLines[key];
        text += "\r\n";
        text += values[key];
        text += "\r\n";
    }
    const std::string path = AppPath(appFolder_, pathIni);
    std::error_code ec;
    const auto parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    return SaveFileAtomic(path, text);
}

}  // namespace gw
