#include "link/ModComm.h"

#include "link/Commands.h"

namespace gw {

namespace {

std::uint8_t ByteAt(std::string_view s, std::size_t oneBased) {
    return oneBased >= 1 && oneBased <= s.size() ? static_cast<std::uint8_t>(s[oneBased - 1]) : 0;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string ComponiMsg(std::uint8_t start, std::uint8_t address, std::uint8_t command,
                       std::string_view payload) {
    std::string m;
    m.reserve(payload.size() + 5);
    m += static_cast<char>(start);
    m += static_cast<char>(address);
    m += static_cast<char>(static_cast<std::uint8_t>(payload.size() + 3));
    m += static_cast<char>(command);
    m.append(payload);
    m += static_cast<char>(CheckSumMsg(m));
    return m;
}

std::string RequestMsg(std::uint8_t command, std::string_view payload) {
    return ComponiMsg(kStartRequest, kAddressRequest, command, payload);
}

std::uint8_t CheckSumMsg(std::string_view frame) {
    std::uint8_t x = 0;
    for (char c : frame) x ^= static_cast<std::uint8_t>(c);
    return x;
}

std::uint8_t ComandoMsg(std::string_view frame) { return frame.size() > 4 ? ByteAt(frame, 4) : 0; }

std::uint8_t EsitoMsg(std::string_view frame) { return frame.size() > 4 ? ByteAt(frame, 5) : 0; }

bool StessoComando(std::string_view a, std::string_view b) {
    return a.size() > 3 && b.size() > 3 && a[3] == b[3];
}

std::string DatiMsg(std::string_view frame) {
    if (frame.size() < 6) return {};
    return std::string(frame.substr(5, frame.size() - 6));
}

std::string HexMsg(std::string_view frame) {
    static const char* digits = "0123456789ABCDEF";
    std::string h;
    h.reserve(frame.size() * 2);
    for (char c : frame) {
        const auto b = static_cast<std::uint8_t>(c);
        h += digits[b >> 4];
        h += digits[b & 0x0F];
    }
    return h;
}

std::string MsgFromHex(std::string_view hex) {
    std::string m;
    m.reserve(hex.size() / 2 + 1);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigit(hex[i]);
        const int lo = i + 1 < hex.size() ? HexDigit(hex[i + 1]) : -1;
        m += static_cast<char>(hi < 0 || lo < 0 ? 0 : hi * 16 + lo);
    }
    return m;
}

std::string FrameSetEcuSlave() { return MsgFromHex(kHexSetEcuSlave); }
std::string FrameSetEcuRun() { return MsgFromHex(kHexSetEcuRun); }
std::string FrameSaveFlash() { return MsgFromHex(kHexSaveFlash); }

std::string ReadMemZoneMsg(std::string_view addressHex8, std::uint8_t count) {
    std::string hex(addressHex8.substr(0, 8));
    if (hex.size() < 8) hex.insert(0, 8 - hex.size(), '0');
    std::string payload = MsgFromHex(hex);
    payload += static_cast<char>(count);
    return RequestMsg(CMD_READ_MEM_ZONE, payload);
}

std::string FlashZoneMsg(std::uint32_t address, std::string_view data128) {
    std::string m;
    m.reserve(kFlashZoneBytes + 9);
    m += static_cast<char>(kStartRequest);
    m += static_cast<char>(kAddressRequest);
    m += static_cast<char>(135);
    m += static_cast<char>(CMD_WRT_FLASH_ZONE);
    m += '\0';
    m += static_cast<char>((address >> 16) & 0xFF);
    m += static_cast<char>((address >> 8) & 0xFF);
    m += static_cast<char>(address & 0xFF);
    const std::string_view data = data128.substr(0, kFlashZoneBytes);
    m.append(data);
    m.append(kFlashZoneBytes - data.size(), static_cast<char>(0xFF));
    m += static_cast<char>(CheckSumMsg(m));
    return m;
}

bool IsBlankFlashZone(std::string_view data128) {
    for (char c : data128)
        if (static_cast<std::uint8_t>(c) != 0xFF) return false;
    return true;
}

}  // namespace gw
