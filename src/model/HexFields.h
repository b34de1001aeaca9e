// HexFields: reading and writing the fields of an ECU block held as hexadecimal text (two
// digits per byte, multi-byte values low byte first). A field whose digits are missing or
// not hexadecimal reads as nothing, so the caller keeps the field as it was. Writing pads
// each value to its width and clamps what does not fit, so the later fields never move.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "util/HexText.h"

namespace gw {

// How a field's bytes hold its value.
enum class FieldWidth : std::uint8_t { U8, U16, S16, U32 };

constexpr std::size_t BytesOf(FieldWidth w) {
    switch (w) {
        case FieldWidth::U8: return 1;
        case FieldWidth::U16:
        case FieldWidth::S16: return 2;
        case FieldWidth::U32: return 4;
    }
    return 0;
}

class HexFieldReader {
public:
    explicit HexFieldReader(std::string hex) : hex_(std::move(hex)) {}

    // Whole bytes present (an odd last digit does not count).
    std::size_t Bytes() const { return hex_.size() / 2; }

    std::optional<int> U8(std::size_t at) const {
        if (!Valid(at, 1)) return std::nullopt;
        return HexByte(hex_.substr(2 * at, 2));
    }
    std::optional<int> U16(std::size_t at) const {
        if (!Valid(at, 2)) return std::nullopt;
        return HexU16(hex_.substr(2 * at, 4));
    }
    std::optional<int> S16(std::size_t at) const {
        if (!Valid(at, 2)) return std::nullopt;
        return HexS16(hex_.substr(2 * at, 4));
    }
    std::optional<double> U32(std::size_t at) const {
        if (!Valid(at, 4)) return std::nullopt;
        return HexU32(hex_.substr(2 * at, 8));
    }
    std::optional<double> Field(FieldWidth w, std::size_t at) const {
        switch (w) {
            case FieldWidth::U8: return U8(at);
            case FieldWidth::U16: return U16(at);
            case FieldWidth::S16: return S16(at);
            case FieldWidth::U32: return U32(at);
        }
        return std::nullopt;
    }

private:
    bool Valid(std::size_t at, std::size_t width) const {
        if (at + width > Bytes()) return false;
        for (std::size_t i = 2 * at; i < 2 * (at + width); ++i) {
            const char c = hex_[i];
            const bool digit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
            if (!digit) return false;
        }
        return true;
    }
    std::string hex_;
};

class HexFieldWriter {
public:
    // Values are counts: a scaled value is first rounded to the nearest count (ties to
    // even), so 223.99999 from a division goes out as 224, not as 223 with a clipped digit.
    // Non-negative values (HexDigits); negative ones give 0, too large ones all FF.
    void U8(double v) { Append(HexDigits(Count(v)), 1); }
    void U16(double v) { Append(HexDigits(Count(v)), 2); }
    void U32(double v) { Append(HexDigits(Count(v)), 4); }
    // Two's complement 16-bit (HexSigned16: 32767 or more gives 7FFF).
    void S16(double v) { hex_ += ReverseBytes(HexSigned16(Count(v))); }
    void Field(FieldWidth w, double v) {
        switch (w) {
            case FieldWidth::U8: U8(v); break;
            case FieldWidth::U16: U16(v); break;
            case FieldWidth::S16: S16(v); break;
            case FieldWidth::U32: U32(v); break;
        }
    }

    const std::string& Hex() const { return hex_; }

private:
    static double Count(double v) { return std::isfinite(v) ? std::nearbyint(v) : v; }
    void Append(std::string digits, std::size_t width) {
        if (digits.size() > 2 * width) digits.assign(2 * width, 'F');
        while (digits.size() < 2 * width) digits.insert(digits.begin(), '0');
        hex_ += ReverseBytes(digits);
    }
    std::string hex_;
};

}  // namespace gw
