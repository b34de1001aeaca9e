#include "util/HexText.h"

#include <cmath>

namespace gw {

namespace {

const char kDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Nearest whole number, ties to the even one, whatever the rounding mode.
double RoundHalfEven(double x) {
    const double down = std::floor(x);
    const double frac = x - down;
    if (frac < 0.5) return down;
    if (frac > 0.5) return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

// The byte at pair index i (digits 2i, 2i+1) of a little-endian field; 0 when missing
// or not hexadecimal.
unsigned PairAt(const std::string& hex, std::size_t i) {
    if (hex.size() < 2 * i + 2) return 0;
    const int hi = HexValue(hex[2 * i]);
    const int lo = HexValue(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return 0;
    return static_cast<unsigned>(hi * 16 + lo);
}

}  // namespace

std::string BytesToHex(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::string HexToBytes(const std::string& hex) {
    const std::string text = hex.size() % 2 ? "0" + hex : hex;
    std::string out;
    out.reserve(text.size() / 2);
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const int hi = HexValue(text[i]);
        const int lo = HexValue(text[i + 1]);
        if (hi < 0 || lo < 0) return "";
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

std::string ReverseBytes(const std::string& hex) {
    const std::string text = hex.size() % 2 ? "0" + hex : hex;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = text.size(); i >= 2; i -= 2) out.append(text, i - 2, 2);
    return out;
}

std::string HexDigits(double value) {
    if (!std::isfinite(value) || !(value >= 0.0)) return "00";
    std::string digits;
    double v = value;
    do {
        const double whole = std::floor(v / 16.0);
        const double rest = v - whole * 16.0;
        const int digit = rest >= 15.0 ? 15 : static_cast<int>(RoundHalfEven(rest));
        digits.insert(digits.begin(), kDigits[digit]);
        v = whole;
    } while (v > 0.0);
    if (digits.size() % 2) digits.insert(digits.begin(), '0');
    return digits;
}

std::string HexSigned16(double value) {
    if (std::isnan(value)) return "0000";
    if (value >= 32767.0) return "7FFF";
    if (value <= -32768.0) return "8000";
    std::string digits = HexDigits(value >= 0.0 ? value : value + 32768.0);
    // value + 32768 stays below 32768 and a positive value below 32767, so at most four digits.
    while (digits.size() < 4) digits.insert(digits.begin(), '0');
    if (value < 0.0) digits[0] = kDigits[HexValue(digits[0]) + 8];
    return digits;
}

std::uint8_t HexByte(const std::string& text) {
    if (text.empty()) return 0;
    const int hi = HexValue(text[0]);
    const int lo = text.size() >= 2 ? HexValue(text[1]) : 0;
    if (hi < 0 || lo < 0) return 0;
    return static_cast<std::uint8_t>(hi * 16 + lo);
}

std::uint16_t HexU16(const std::string& hex4) {
    return static_cast<std::uint16_t>(PairAt(hex4, 0) + 256u * PairAt(hex4, 1));
}

std::int16_t HexS16(const std::string& hex4) {
    const int u = HexU16(hex4);
    return static_cast<std::int16_t>(u >= 32768 ? u - 65536 : u);
}

double HexU32(const std::string& hex8) {
    return PairAt(hex8, 0) + 256.0 * PairAt(hex8, 1) + 65536.0 * PairAt(hex8, 2) +
           16777216.0 * PairAt(hex8, 3);
}

}  // namespace gw
