#include "sim/SimCodec.h"

#include <cctype>
#include <cstdlib>

namespace gw {

namespace {

struct NamedCommand {
    int code;
    const char* name;
};

constexpr NamedCommand kCommands[] = {
    {1, "CMD_GET_ADR_VAR"},     {2, "CMD_WRT_MEM_ZONE"},   {3, "CMD_READ_MEM_ZONE"},
    {4, "CMD_SET_ECU_SLAVE"},   {5, "CMD_SET_ECU_RUN"},    {6, "CMD_SET_ECU_PRG"},
    {7, "CMD_ERASE_FLASH"},     {8, "CMD_WRT_FLASH_ZONE"}, {9, "CMD_GET_ECO"},
    {10, "CMD_WRT_FLASH_END"},  {11, "CMD_EOBD"},          {12, "CMD_READ_MEM1"},
    {13, "CMD_READ_MEM2"},      {14, "CMD_READ_MEM3"},     {15, "CMD_WRT_MEM1"},
    {16, "CMD_WRT_MEM2"},       {17, "CMD_WRT_MEM3"},      {18, "CMD_READ_TBL_COR"},
    {19, "CMD_WRT_TBL_COR"},    {20, "CMD_CANC_ERR"},      {21, "CMD_SAVE_FLASH"},
    {22, "CMD_READ_TBL_ADT"},   {23, "CMD_WRT_TBL_ADT"},   {24, "CMD_READ_MEM4"},
    {25, "CMD_WRT_MEM4"},       {26, "CMD_READ_ERR"},      {27, "CMD_READ_SMPL_BNZ"},
    {28, "CMD_READ_SMPL_GAS"},  {29, "CMD_CANC_SMPL_BNZ"}, {30, "CMD_CANC_SMPL_GAS"},
    {31, "CMD_READ_SMPL_BNZ1"}, {32, "CMD_READ_SMPL_GAS1"}, {33, "CMD_READ_FIRMWARE"},
    {44, "CMD_WRIT_DCOL"},      {48, "CMD_READ_DCOL_FL"},  {49, "CMD_READ_MEM5"},
    {50, "CMD_WRT_MEM5"},       {51, "CMD_GEN"},
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::uint8_t SimCodec::Xor(const SimBytes& bytes, std::size_t count) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < count && i < bytes.size(); ++i) x ^= bytes[i];
    return x;
}

SimBytes SimCodec::BuildAnswer(std::uint8_t command, std::uint8_t status, const SimBytes& data) {
    const std::size_t n = data.size() > 250 ? 250 : data.size();
    SimBytes f{AnswerStart, AnswerAddress, static_cast<std::uint8_t>(n + 4), command, status};
    f.insert(f.end(), data.begin(), data.begin() + static_cast<long>(n));
    f.push_back(Xor(f, f.size()));
    return f;
}

SimBytes SimCodec::BuildRequest(std::uint8_t command, const SimBytes& payload) {
    const std::size_t n = payload.size() > 251 ? 251 : payload.size();
    SimBytes f{RequestStart, RequestAddress, static_cast<std::uint8_t>(n + 3), command};
    f.insert(f.end(), payload.begin(), payload.begin() + static_cast<long>(n));
    f.push_back(Xor(f, f.size()));
    return f;
}

std::optional<SimRequest> SimCodec::ParseRequest(const SimBytes& frame) {
    if (frame.size() < 5 || frame[0] != RequestStart || frame[1] != RequestAddress) return {};
    if (frame[2] < 3 || frame.size() != static_cast<std::size_t>(frame[2]) + 2) return {};
    SimRequest r;
    r.command = frame[3];
    r.payload.assign(frame.begin() + 4, frame.end() - 1);
    r.checksumOk = Xor(frame, frame.size()) == 0;
    return r;
}

void SimCodec::FixChecksum(SimBytes& frame) {
    if (frame.empty()) return;
    frame.back() = Xor(frame, frame.size() - 1);
}

std::string SimCodec::CommandName(int code) {
    for (const auto& c : kCommands)
        if (c.code == code) return c.name;
    return {};
}

int SimCodec::CommandByName(const std::string& name) {
    if (name.empty()) return -1;
    bool digits = true;
    for (char c : name) digits = digits && std::isdigit(static_cast<unsigned char>(c));
    if (digits) {
        if (name.size() > 3) return -1;
        const int v = std::atoi(name.c_str());
        return v <= 255 ? v : -1;
    }
    std::string up;
    for (char c : name) up += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const auto& c : kCommands)
        if (up == c.name) return c.code;
    return -1;
}

SimBytes SimCodec::FromHex(const std::string& hex) {
    SimBytes out;
    int hi = -1;
    for (char c : hex) {
        if (c == ' ') continue;
        const int d = HexDigit(c);
        if (d < 0) break;
        if (hi < 0) {
            hi = d;
        } else {
            out.push_back(static_cast<std::uint8_t>(hi * 16 + d));
            hi = -1;
        }
    }
    return out;
}

std::string SimCodec::ToHex(const SimBytes& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (auto b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

}  // namespace gw
