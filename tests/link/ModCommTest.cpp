#include <gtest/gtest.h>

#include "link/Commands.h"
#include "link/ModComm.h"
#include "support/GoldenFrames.h"

using namespace gw;
using gwtest::Bytes;

TEST(ModComm, RequestsMatchTheReferenceFrames) {
    EXPECT_EQ(RequestMsg(CMD_GET_ECO, "ECO"), gwtest::kEcoRequest);
    EXPECT_EQ(RequestMsg(CMD_READ_MEM2), gwtest::kReadBlock2Request);
    EXPECT_EQ(ReadMemZoneMsg(kZoneIdentity1, kZoneIdentity1Count), gwtest::kReadIdentity1Request);
    EXPECT_EQ(FrameSetEcuSlave(), gwtest::kSetEcuSlaveFrame);
    EXPECT_EQ(FrameSetEcuRun(), gwtest::kSetEcuRunFrame);
    EXPECT_EQ(FrameSaveFlash(), gwtest::kSaveFlashFrame);
    // The fixed frames are ordinary frames with the payload 0x00.
    EXPECT_EQ(RequestMsg(CMD_SET_ECU_SLAVE, Bytes({0})), gwtest::kSetEcuSlaveFrame);
    EXPECT_EQ(RequestMsg(CMD_SAVE_FLASH, Bytes({0})), gwtest::kSaveFlashFrame);

    const std::string empty = ComponiMsg(0x41, 0x02, 12, "");
    ASSERT_EQ(empty.size(), 5u);
    EXPECT_EQ(static_cast<std::uint8_t>(empty[2]), 3);
    EXPECT_EQ(CheckSumMsg(empty), 0);
}

TEST(ModComm, FieldReadersToleratesShortFrames) {
    const std::string answer = gwtest::AnswerFrame(33, 0, Bytes({1, 2, 3}));
    EXPECT_EQ(CheckSumMsg(answer), 0);
    EXPECT_EQ(CheckSumMsg(""), 0);
    EXPECT_EQ(ComandoMsg(answer), 33);
    EXPECT_EQ(EsitoMsg(answer), 0);
    EXPECT_EQ(DatiMsg(answer), Bytes({1, 2, 3}));

    struct Case {
        std::string frame;
        int command, status;
        std::string data;
    } cases[] = {
        {"", 0, 0, ""},
        {Bytes({0x42, 0x01, 0x04, 0x09}), 0, 0, ""},  // 4 bytes: no command yet
        {Bytes({0x42, 0x01, 0x04, 0x09, 0xFE}), 9, 254, ""},
        {Bytes({0x42, 0x01, 0x04, 0x09, 0xFE, 0x77}), 9, 254, ""},  // no data bytes
        {Bytes({0x42, 0x01, 0x05, 0x09, 0x00, 0xAA, 0x77}), 9, 0, Bytes({0xAA})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame.size());
        EXPECT_EQ(ComandoMsg(c.frame), c.command);
        EXPECT_EQ(EsitoMsg(c.frame), c.status);
        EXPECT_EQ(DatiMsg(c.frame), c.data);
    }
    EXPECT_TRUE(StessoComando(gwtest::kEcoRequest, gwtest::kEcoAnswer));
    EXPECT_FALSE(StessoComando(gwtest::kEcoRequest, gwtest::kReadBlock2Request));
    EXPECT_FALSE(StessoComando("ABC", "ABC"));  // too short to hold a command
}

TEST(ModComm, HexTextBothWays) {
    EXPECT_EQ(HexMsg(gwtest::kEcoRequest), "4102060945434F05");
    EXPECT_EQ(HexMsg(Bytes({0x00, 0xff})), "00FF");
    EXPECT_EQ(MsgFromHex("4102060945434f05"), gwtest::kEcoRequest);
    EXPECT_EQ(MsgFromHex("zz1"), Bytes({0, 0}));  // bad digits and a lone digit read as 0
}

TEST(ModComm, FlashZoneFrame) {
    std::string data;
    for (int i = 0; i < 128; ++i) data += static_cast<char>(i);
    const std::string f = FlashZoneMsg(0x01A2B3, data);
    ASSERT_EQ(f.size(), 137u);  // L + 2 with L = 135
    EXPECT_EQ(f.substr(0, 8), Bytes({0x41, 0x02, 135, 8, 0x00, 0x01, 0xA2, 0xB3}));
    EXPECT_EQ(f.substr(8, 128), data);
    EXPECT_EQ(CheckSumMsg(f), 0);
    // Short data is padded with erased flash; a blank zone is recognised.
    const std::string padded = FlashZoneMsg(0, "\x01");
    EXPECT_EQ(padded.size(), 137u);
    EXPECT_EQ(static_cast<std::uint8_t>(padded[135]), 0xFF);
    EXPECT_TRUE(IsBlankFlashZone(std::string(128, '\xFF')));
    EXPECT_FALSE(IsBlankFlashZone(std::string(127, '\xFF') + '\x00'));
}
