// SimCodec: the simulated ECU's own frame codec (request parsing, answer building, XOR
// checksum) and its command vocabulary. Deliberately independent of the workbench's link
// code, so that the simulator is a real cross-check of it. Knows nothing of timing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gw {

using SimBytes = std::vector<std::uint8_t>;

// Command codes the ECU understands.
namespace simcmd {
constexpr std::uint8_t GetAdrVar = 1, WrtMemZone = 2, ReadMemZone = 3, SetSlave = 4,
                       SetRun = 5, SetPrg = 6, EraseFlash = 7, WrtFlashZone = 8, Eco = 9,
                       WrtFlashEnd = 10, Eobd = 11, ReadMem1 = 12, ReadMem2 = 13,
                       ReadMem3 = 14, WrtMem1 = 15, WrtMem2 = 16, WrtMem3 = 17,
                       ReadTblCor = 18, WrtTblCor = 19, CancErr = 20, SaveFlash = 21,
                       ReadTblAdt = 22, WrtTblAdt = 23, ReadMem4 = 24, WrtMem4 = 25,
                       ReadErr = 26, ReadSmplBnz = 27, ReadSmplGas = 28, CancSmplBnz = 29,
                       CancSmplGas = 30, ReadSmplBnz1 = 31, ReadSmplGas1 = 32,
                       ReadFirmware = 33, WritDcol = 44, ReadDcolFl = 48, ReadMem5 = 49,
                       WrtMem5 = 50, Gen = 51;
}  // namespace simcmd

// Answer status bytes.
namespace simstatus {
constexpr std::uint8_t Ok = 0, ExecError = 254, ChecksumError = 255, NotDefined = 1;
}

struct SimRequest {
    std::uint8_t command = 0;
    SimBytes payload;
    bool checksumOk = false;
};

class SimCodec {
public:
    static constexpr std::uint8_t RequestStart = 0x41, RequestAddress = 0x02;
    static constexpr std::uint8_t AnswerStart = 0x42, AnswerAddress = 0x01;

    static std::uint8_t Xor(const SimBytes& bytes, std::size_t count);
    // 42 01 L command status data checksum; data beyond 250 bytes is cut.
    static SimBytes BuildAnswer(std::uint8_t command, std::uint8_t status, const SimBytes& data);
    // 41 02 L command payload checksum (for tests and tools driving the simulator).
    static SimBytes BuildRequest(std::uint8_t command, const SimBytes& payload);
    // A complete request frame (start, address, L >= 3, exactly L + 2 bytes); nothing
    // otherwise. A bad checksum is reported in the result, not refused.
    static std::optional<SimRequest> ParseRequest(const SimBytes& frame);
    // Recomputes the last byte of a frame.
    static void FixChecksum(SimBytes& frame);

    // "CMD_READ_MEM3" for 14; empty for an unknown code.
    static std::string CommandName(int code);
    // Code of a name ("CMD_READ_MEM3", case-insensitive) or of a decimal number; -1 if none.
    static int CommandByName(const std::string& name);

    static SimBytes FromHex(const std::string& hex);  // blanks allowed; bad digits end it
    static std::string ToHex(const SimBytes& bytes);
};

}  // namespace gw
