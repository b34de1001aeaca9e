// Frames of the ECU protocol quoted as references: the keep-alive request, the block-2
// read, the first identity-zone read and the three fixed frames, plus small builders of
// answer frames. Shared by the link and the simulator tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace gwtest {

inline std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(static_cast<std::uint8_t>(b));
    return s;
}

// CMD_GET_ECO with payload "ECO".
inline const std::string kEcoRequest = Bytes({0x41, 0x02, 0x06, 0x09, 0x45, 0x43, 0x4F, 0x05});
// CMD_READ_MEM2, no payload.
inline const std::string kReadBlock2Request = Bytes({0x41, 0x02, 0x03, 0x0D, 0x4D});
// CMD_READ_MEM_ZONE for 6 bytes at 00FF8000.
inline const std::string kReadIdentity1Request =
    Bytes({0x41, 0x02, 0x08, 0x03, 0x00, 0xFF, 0x80, 0x00, 0x06, 0x31});
// The fixed frames.
inline const std::string kSetEcuSlaveFrame = Bytes({0x41, 0x02, 0x04, 0x04, 0x00, 0x43});
inline const std::string kSetEcuRunFrame = Bytes({0x41, 0x02, 0x04, 0x05, 0x00, 0x42});
inline const std::string kSaveFlashFrame = Bytes({0x41, 0x02, 0x04, 0x15, 0x00, 0x52});

// An answer: 0x42 0x01 L command status data checksum.
inline std::string AnswerFrame(int command, int status, const std::string& data = {}) {
    std::string f = Bytes({0x42, 0x01, static_cast<int>(data.size() + 4), command, status}) + data;
    std::uint8_t x = 0;
    for (char c : f) x ^= static_cast<std::uint8_t>(c);
    return f + static_cast<char>(x);
}

// The good answer to the keep-alive (the ECU echoes "ECO").
inline const std::string kEcoAnswer = AnswerFrame(0x09, 0, "ECO");

}  // namespace gwtest
