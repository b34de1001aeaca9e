// Byte strings, hexadecimal text and the ECU's little-endian number forms. A byte string
// is a std::string with one char per byte (char code = byte value). These routines turn
// block data into fields and back; they never throw and take any text.
#pragma once

#include <cstdint>
#include <string>

namespace gw {

// Two upper-case hexadecimal digits per byte, in order ("A" gives "41").
std::string BytesToHex(const std::string& bytes);
// Pairs of hexadecimal digits to bytes; odd-length text gets a leading "0". Any
// non-hexadecimal character gives "".
std::string HexToBytes(const std::string& hex);
// The two-digit groups in reverse order ("1234" gives "3412"); odd-length text gets a
// leading "0". Big-endian to little-endian and back.
std::string ReverseBytes(const std::string& hex);
// Hexadecimal digits of a non-negative number by repeated division by 16: each remainder
// becomes a digit (15 or more gives "F", a fractional one is rounded, ties to even),
// padded with a leading "0" to an even length; 0 gives "00". Negative, NaN and infinite
// values give "00".
std::string HexDigits(double value);
// Four digits of a signed 16-bit value (two's complement, fractions rounded digit by
// digit as HexDigits does). 32767 or more gives "7FFF"; -32768 or less gives "8000";
// NaN gives "0000".
std::string HexSigned16(double value);
// The first two hexadecimal digits of the text (a lone digit is read as "d0"); empty or
// non-hexadecimal text gives 0.
std::uint8_t HexByte(const std::string& text);
// Little-endian 16-bit values from four digits: digits 1-2 the low byte, 3-4 the high
// byte. A missing or non-hexadecimal pair counts as byte 0.
std::int16_t HexS16(const std::string& hex4);
std::uint16_t HexU16(const std::string& hex4);
// Little-endian 32-bit unsigned value from eight digits, as a real number (0 ... 4294967295).
double HexU32(const std::string& hex8);

}  // namespace gw
