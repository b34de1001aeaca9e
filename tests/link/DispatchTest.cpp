#include <gtest/gtest.h>

#include <functional>

#include "LinkFixture.h"
#include "link/Commands.h"
#include "link/ModComm.h"
#include "support/ExchangeDriver.h"
#include "support/GoldenFrames.h"

using namespace gw;
using gwtest::AnswerFrame;
using gwtest::Bytes;

namespace {

struct RecordingSink : AnswerSink {
    std::vector<std::string> calls;
    void DecodeBlock1(const std::string& f) override { calls.push_back("B1 " + HexMsg(f)); }
    void DecodeBlock2(const std::string& f) override { calls.push_back("B2 " + HexMsg(f)); }
    void DecodeBlock3(const std::string& f) override { calls.push_back("B3 " + HexMsg(f)); }
    void DecodeBlock5(const std::string& f) override { calls.push_back("B5 " + HexMsg(f)); }
    void DecodeSamples(bool gas, int set, const std::string& d) override {
        calls.push_back(std::string(gas ? "GAS" : "BNZ") + std::to_string(set) + " " + HexMsg(d));
    }
    void SamplesCleared(bool gas) override { calls.push_back(gas ? "CLR GAS" : "CLR BNZ"); }
    void Block2Written() override { calls.push_back("W2"); }
};

}  // namespace

class Dispatch : public gwtest::LinkFixture {
protected:
    Dispatch() { comm.SetAnswerSink(&sink); }
    // Dispatches a good answer to a request with this command.
    void Answer(int command, const std::string& data = {}, const std::string& payload = {}) {
        comm.OutBuffer = RequestMsg(static_cast<std::uint8_t>(command), payload);
        comm.InBuffer = AnswerFrame(command, 0, data);
        comm.ElaboraRisposta();
    }
    RecordingSink sink;
};

TEST_F(Dispatch, EachCommandActsOnItsAnswerAndClearsTheBuffers) {
    const std::string d3 = Bytes({7, 8, 9});
    const std::string h3 = HexMsg(d3);
    struct Case {
        int command;
        std::string data;
        std::function<void(ClsComm&, RecordingSink&)> check;
    } cases[] = {
        {CMD_GET_ADR_VAR, "", [](ClsComm& c, RecordingSink&) { EXPECT_TRUE(c.RichiediIndVar); }},
        {CMD_SET_ECU_SLAVE, "", [](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.EcuState, 1); }},
        {CMD_SET_ECU_PRG, "", [](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.EcuState, 2); }},
        {CMD_ERASE_FLASH, "", [](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.EcuState, 3); }},
        {CMD_WRT_FLASH_ZONE, "", [](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.EcuState, 3); }},
        {CMD_WRT_FLASH_END, "", [](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.EcuState, 0); }},
        {CMD_SET_ECU_RUN, "", [](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.EcuState, 0); }},
        {CMD_READ_MEM1, d3, [&](ClsComm&, RecordingSink& s) {
             EXPECT_EQ(s.calls.back(), "B1 " + HexMsg(AnswerFrame(CMD_READ_MEM1, 0, d3)));
         }},
        {CMD_READ_MEM2, d3, [](ClsComm&, RecordingSink& s) { EXPECT_EQ(s.calls.back().substr(0, 3), "B2 "); }},
        {CMD_READ_MEM3, d3, [](ClsComm&, RecordingSink& s) { EXPECT_EQ(s.calls.back().substr(0, 3), "B3 "); }},
        {CMD_READ_MEM5, d3, [](ClsComm&, RecordingSink& s) { EXPECT_EQ(s.calls.back().substr(0, 3), "B5 "); }},
        {CMD_WRT_MEM2, "", [](ClsComm&, RecordingSink& s) { EXPECT_EQ(s.calls.back(), "W2"); }},
        {CMD_READ_SMPL_BNZ, d3, [&](ClsComm&, RecordingSink& s) { EXPECT_EQ(s.calls.back(), "BNZ0 " + h3); }},
        {CMD_READ_SMPL_GAS, d3, [&](ClsComm&, RecordingSink& s) { EXPECT_EQ(s.calls.back(), "GAS0 " + h3); }},
        {CMD_READ_SMPL_BNZ1, d3, [&](ClsComm&, RecordingSink& s) { EXPECT_EQ(s.calls.back(), "BNZ1 " + h3); }},
        {CMD_READ_SMPL_GAS1, d3, [&](ClsComm&, RecordingSink& s) { EXPECT_EQ(s.calls.back(), "GAS1 " + h3); }},
        {CMD_CANC_SMPL_BNZ, "", [](ClsComm&, RecordingSink& s) { EXPECT_EQ(s.calls.back(), "CLR BNZ"); }},
        {CMD_CANC_SMPL_GAS, "", [](ClsComm&, RecordingSink& s) { EXPECT_EQ(s.calls.back(), "CLR GAS"); }},
        {CMD_READ_FIRMWARE, Bytes({0x01, 0x2A, 0x03, 0xB4, 0x05, 0x06, 'K', 'D'}),
         [](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.FirmwareEcu, "012A03B40506KD"); }},
        {CMD_READ_FIRMWARE, Bytes({0xAB}), [](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.FirmwareEcu, "AB"); }},
        {CMD_READ_DCOL_FL, std::string(16, 'x'), [](ClsComm& c, RecordingSink&) {
             EXPECT_EQ(c.MemoDataCollaudo, AnswerFrame(CMD_READ_DCOL_FL, 0, std::string(16, 'x')));
         }},
        {CMD_READ_TBL_COR, d3, [&](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.EstraiRisposta(), d3); }},
        {CMD_EOBD, d3, [&](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.EstraiRisposta(), d3); }},
        {CMD_READ_TBL_ADT, d3, [&](ClsComm& c, RecordingSink&) { EXPECT_EQ(c.EstraiRisposta(), d3); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(CommandName(c.command));
        Answer(c.command, c.data);
        c.check(comm, sink);
        EXPECT_TRUE(comm.InBuffer.empty());
        EXPECT_TRUE(comm.OutBuffer.empty());
    }
    // Writes and the commands never sent only clear the buffers.
    for (int code : {2, 15, 17, 19, 21, 23, 24, 25, 44, 50}) {
        const auto before = sink.calls.size();
        Answer(code, d3);
        EXPECT_TRUE(comm.InBuffer.empty()) << code;
        EXPECT_EQ(sink.calls.size(), before) << code;
    }
}

TEST_F(Dispatch, UnknownCodesLeaveEverythingAsItWas) {
    for (int code : {0, 34, 51, 60, 200}) {
        Answer(code, "abc");
        EXPECT_EQ(comm.InBuffer, AnswerFrame(code, 0, "abc")) << code;
        EXPECT_EQ(comm.OutBuffer, RequestMsg(static_cast<std::uint8_t>(code))) << code;
    }
    EXPECT_TRUE(sink.calls.empty());
}

TEST_F(Dispatch, WithoutASinkBlocksAreSkipped) {
    comm.SetAnswerSink(nullptr);
    for (int code : {12, 13, 14, 16, 27, 29, 49}) {
        Answer(code, "abc");
        EXPECT_TRUE(comm.InBuffer.empty()) << code;
    }
}

TEST_F(Dispatch, ErrorTable) {
    comm.ErrInj.fill(0xEE);
    Answer(CMD_READ_ERR, Bytes({1, 2, 3}));
    EXPECT_EQ(comm.ErrInj[0], 1);
    EXPECT_EQ(comm.ErrInj[2], 3);
    for (int i = 3; i <= comm.ErrInjUBound(); ++i) ASSERT_EQ(comm.ErrInj[i], 0xEE) << i;

    std::string many;
    for (int i = 0; i < 70; ++i) many += static_cast<char>(i + 1);
    Answer(CMD_READ_ERR, many);  // entries beyond 63 are dropped
    EXPECT_EQ(comm.ErrInj[63], 64);

    Answer(CMD_CANC_ERR);
    for (auto e : comm.ErrInj) ASSERT_EQ(e, 0);
}

TEST_F(Dispatch, MemoryZones) {
    struct Case {
        const char* zone;
        std::string data;
        int ecuState;    // after
        bool queued;
    } cases[] = {
        {kZoneEcuState, Bytes({1}), 1, false},
        {kZoneEcuState, Bytes({0}), 0, false},
        {kZoneEcuState, Bytes({2}), 0, false},  // not a state the zone can hold
        {kZoneEcuState, "", 0, false},
        {kZoneIdentity1, "\x01\x02\x03\x04\x05\x06", 0, true},
        {kZoneIdentity2, "PROJECT", 0, true},
        {kZoneIdentity2, "", 0, false},
        {"00001234", "x", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + HexMsg(c.data));
        comm.OutBuffer = ReadMemZoneMsg(c.zone, static_cast<std::uint8_t>(c.data.size()));
        comm.InBuffer = AnswerFrame(CMD_READ_MEM_ZONE, 0, c.data);
        comm.ElaboraRisposta();
        EXPECT_EQ(comm.EcuState, c.ecuState);
        EXPECT_EQ(comm.EstraiRisposta(), c.queued ? c.data : "");
        EXPECT_TRUE(comm.InBuffer.empty());
    }
    // A request too short to hold an address reads as address 00000000.
    comm.OutBuffer = Bytes({0x41, 0x02});
    comm.InBuffer = AnswerFrame(CMD_READ_MEM_ZONE, 0, "x");
    comm.ElaboraRisposta();
    EXPECT_EQ(comm.EstraiRisposta(), "");
}

TEST_F(Dispatch, AnswerQueueKeepsTwentyInOrderAndDropsTheRest) {
    EXPECT_EQ(comm.EstraiRisposta(), "");
    for (int i = 1; i <= 21; ++i) comm.AccodaRisposta("chunk" + std::to_string(i));
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(comm.EstraiRisposta(), "chunk" + std::to_string(i));
    EXPECT_EQ(comm.EstraiRisposta(), "");
    // Room again after taking one out.
    for (int i = 1; i <= 20; ++i) comm.AccodaRisposta("a");
    comm.EstraiRisposta();
    comm.AccodaRisposta("last");
    for (int i = 1; i <= 19; ++i) comm.EstraiRisposta();
    EXPECT_EQ(comm.EstraiRisposta(), "last");
}

TEST_F(Dispatch, FirstKeepAliveAnswerAfterAStartWithoutSettingsWritesThemOnce) {
    comm.ReadSetCom("\\BIN\\SetCom.ini");
    ASSERT_TRUE(comm.MemoDatiCom);
    ASSERT_FALSE(dir.Exists("BIN/SetCom.ini"));
    comm.WDogPresente = true;
    Answer(CMD_GET_ECO, "ECO", "ECO");
    EXPECT_FALSE(comm.WDogPresente);
    EXPECT_FALSE(comm.MemoDatiCom);
    ASSERT_TRUE(dir.Exists("BIN/SetCom.ini"));
    EXPECT_NE(dir.Read("BIN/SetCom.ini").find("[SearchCom]\r\n 0 \r\n"), std::string::npos);

    std::remove(dir.File("BIN/SetCom.ini").c_str());
    Answer(CMD_GET_ECO, "ECO", "ECO");
    EXPECT_FALSE(dir.Exists("BIN/SetCom.ini"));
}

// A good answer reaches the dispatch through the exchange, with the request still in
// OutBuffer (the zone address comes from it).
TEST_F(Dispatch, ThroughTheExchange) {
    gwtest::ExchangeDriver driver(host, comm);
    auto& line = OpenCom(1);
    line.AnswerWith([](const std::string&) { return AnswerFrame(CMD_READ_MEM_ZONE, 0, "\x01\x02\x03\x04\x05\x06"); },
                    1000);
    ASSERT_TRUE(comm.SendMsgWait(ReadMemZoneMsg(kZoneIdentity1, kZoneIdentity1Count)));
    EXPECT_EQ(comm.EstraiRisposta(), "\x01\x02\x03\x04\x05\x06");
}

// Bytes after a good frame (here two that leave the sum as it is) are not its data: the
// table chunk, the identity zone and the samples hold the frame's data bytes only.
TEST_F(Dispatch, BytesAfterTheFrameAreNotData) {
    gwtest::ExchangeDriver driver(host, comm);
    auto& line = OpenCom(1);
    const std::string chunk(64, '\x07');
    struct Case {
        std::string request;
        std::string answer;
        std::string queued;
    } cases[] = {
        {ReadMemZoneMsg(kZoneIdentity1, kZoneIdentity1Count), AnswerFrame(CMD_READ_MEM_ZONE, 0, "\x01\x02\x03\x04\x05\x06"),
         "\x01\x02\x03\x04\x05\x06"},
        {RequestMsg(CMD_READ_TBL_COR, Bytes({0})), AnswerFrame(CMD_READ_TBL_COR, 0, chunk), chunk},
    };
    for (const auto& c : cases) {
        line.AnswerWith([&](const std::string&) { return c.answer + "\x42\x42"; }, 1000);
        ASSERT_TRUE(comm.SendMsgWait(c.request));
        EXPECT_EQ(comm.LastAnswer, c.answer);
        EXPECT_EQ(comm.EstraiRisposta(), c.queued);
    }
    line.AnswerWith([&](const std::string&) { return AnswerFrame(CMD_READ_SMPL_GAS, 0, std::string(121, '\0')) + "\x42\x42"; },
                    1000);
    ASSERT_TRUE(comm.SendMsgWait(RequestMsg(CMD_READ_SMPL_GAS)));
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0], "GAS0 " + HexMsg(std::string(121, '\0')));
}
