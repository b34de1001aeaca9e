// ModComm: the ECU frame in its text form (one character per byte): building requests,
// the XOR checksum, reading the fields of an answer, the three fixed frames, the flash-zone
// write frame and the memory zones read with CMD_READ_MEM_ZONE. Pure functions: no port,
// no clock, no state. Sending and judging frames is ClsComm's job.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gw {

// Start and address bytes of the two directions.
inline constexpr std::uint8_t kStartRequest = 0x41;
inline constexpr std::uint8_t kAddressRequest = 0x02;
inline constexpr std::uint8_t kStartAnswer = 0x42;
inline constexpr std::uint8_t kAddressAnswer = 0x01;

// Status byte of an answer.
inline constexpr std::uint8_t kStatusDone = 0;
inline constexpr std::uint8_t kStatusExeErr = 254;
inline constexpr std::uint8_t kStatusTxCheckSum = 255;

// start, address, Len(payload) + 3, command, payload, checksum. A payload longer than 252
// bytes does not fit the length byte: the length is then taken modulo 256, as the ECU
// would read it (callers never build such frames).
std::string ComponiMsg(std::uint8_t start, std::uint8_t address, std::uint8_t command,
                       std::string_view payload);
// A request (start 0x41, address 0x02).
std::string RequestMsg(std::uint8_t command, std::string_view payload = {});

// XOR of every byte; 0 for an empty text and over a whole valid frame.
std::uint8_t CheckSumMsg(std::string_view frame);
// Byte 4 when the frame is longer than 4 bytes, else 0.
std::uint8_t ComandoMsg(std::string_view frame);
// Byte 5 when the frame is longer than 4 bytes, else 0.
std::uint8_t EsitoMsg(std::string_view frame);
// Both frames longer than 3 bytes and their bytes 4 equal.
bool StessoComando(std::string_view a, std::string_view b);
// The answer's data: bytes 6 .. Len - 1; empty when the frame is shorter than 6 bytes.
std::string DatiMsg(std::string_view frame);

// Two upper-case hexadecimal digits per byte, no separators.
std::string HexMsg(std::string_view frame);
// The bytes of a hexadecimal text (pairs of digits, either case); a pair that is not
// hexadecimal and a lone last digit read as 0.
std::string MsgFromHex(std::string_view hex);

// The fixed frames, as stored, and as bytes.
inline constexpr const char* kHexSetEcuSlave = "410204040043";
inline constexpr const char* kHexSetEcuRun = "410204050042";
inline constexpr const char* kHexSaveFlash = "410204150052";
std::string FrameSetEcuSlave();
std::string FrameSetEcuRun();
std::string FrameSaveFlash();

// Memory zones read with CMD_READ_MEM_ZONE: address as 8 hex digits and byte count.
inline constexpr const char* kZoneIdentity1 = "00FF8000";  // version and date
inline constexpr int kZoneIdentity1Count = 6;
inline constexpr const char* kZoneIdentity2 = "00FF8006";  // project descriptor text
inline constexpr int kZoneIdentity2Count = 32;
inline constexpr const char* kZoneEcuState = "0000013A";  // 0 run, 1 slave
inline constexpr int kZoneEcuStateCount = 1;
// The request for a zone: 4 address bytes (most significant first) and the count.
std::string ReadMemZoneMsg(std::string_view addressHex8, std::uint8_t count);

// Flash-zone write (CMD_WRT_FLASH_ZONE): 0x41, 0x02, 135, 8, 0x00, the address's three
// bytes (most significant first), 128 image bytes, checksum. Data shorter than 128 bytes
// is padded with 0xFF (erased flash); longer data is cut at 128.
inline constexpr std::size_t kFlashZoneBytes = 128;
std::string FlashZoneMsg(std::uint32_t address, std::string_view data128);
// True when all the zone's bytes are 0xFF: such a zone is not sent and counts as written.
bool IsBlankFlashZone(std::string_view data128);

}  // namespace gw
