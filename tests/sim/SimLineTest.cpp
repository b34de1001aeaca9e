#include <gtest/gtest.h>

#include "sim/SimulatedEcuPort.h"
#include "support/GoldenFrames.h"
#include "util/EventHost.h"
#include "SimTestUtil.h"

using namespace gw;
using namespace gwtest;

namespace {

class Line : public ::testing::Test {
protected:
    VirtualHost host{0};
    std::shared_ptr<SimEcu> ecu = std::make_shared<SimEcu>();
    SimulatedEcuPort port{host, ecu};

    void Send(const SimBytes& frame) {
        for (auto b : frame) ASSERT_TRUE(port.WriteByte(b));
    }
    void Send(std::uint8_t cmd, const SimBytes& payload = {}) { Send(SimCodec::BuildRequest(cmd, payload)); }
    long Waiting() {
        long n = -1;
        EXPECT_TRUE(port.BytesWaiting(n));
        return n;
    }
    // Everything the ECU sends within the next 50 ms.
    std::string Collect() {
        host.Advance(50000);
        std::string s;
        port.Read(1000, s);
        return s;
    }
};

TEST_F(Line, AnswerBytesArriveAtLinePace) {
    ASSERT_TRUE(port.Open());
    ecu->SetProcessingDelayUs(2000);
    const double t0 = host.MicroClock();
    Send(simcmd::ReadMemZone, {0, 0, 0x01, 0x38, 4});  // 10-byte request, 10-byte answer
    const double requestIn = t0 + 10 * SimEcu::ByteUs;
    const double answerStart = requestIn + 2000;
    host.Advance(answerStart - t0 - 1);
    EXPECT_EQ(Waiting(), 0);
    host.Advance(9.5 * SimEcu::ByteUs);
    EXPECT_EQ(Waiting(), 9);
    host.Advance(1.0 * SimEcu::ByteUs);
    EXPECT_EQ(Waiting(), 10);
    std::string s;
    ASSERT_TRUE(port.Read(4, s));
    ASSERT_TRUE(port.Read(100, s));
    EXPECT_EQ(s.size(), 10u);
    EXPECT_EQ(SimCodec::Xor(ToBytes(s), s.size()), 0);
}

TEST_F(Line, ClosedPortAndPurges) {
    EXPECT_FALSE(port.WriteByte(0x41));
    long n = 0;
    EXPECT_FALSE(port.BytesWaiting(n));
    EXPECT_EQ(port.Kind(), PortKind::Simulated);
    ASSERT_TRUE(port.Open());
    Send(ToBytes(kEcoRequest));
    host.Advance(50000);
    EXPECT_EQ(Waiting(), 9);
    EXPECT_TRUE(port.PurgeReceive());
    EXPECT_EQ(Waiting(), 0);
    // A request split by a long pause is abandoned by the ECU.
    const SimBytes eco = ToBytes(kEcoRequest);
    Send(SimBytes(eco.begin(), eco.begin() + 4));
    host.Advance(100000);
    Send(SimBytes(eco.begin() + 4, eco.end()));
    EXPECT_EQ(Collect(), "");
    EXPECT_EQ(Collect(), "");
    Send(eco);
    EXPECT_EQ(Collect(), kEcoAnswer);
}

TEST_F(Line, NamedFaults) {
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(ecu->Faults().AddByName("no answer to the first attempt"));
    ASSERT_TRUE(ecu->Faults().AddByName("status 255 on block 3 writes"));
    Send(ToBytes(kEcoRequest));
    EXPECT_EQ(Collect(), "");
    Send(ToBytes(kEcoRequest));
    EXPECT_EQ(Collect(), kEcoAnswer);
    EXPECT_EQ(ecu->Responder().Count(simcmd::Eco), 2);

    SimBytes b3 = ecu->Memory().block3;
    SimBytes changed = b3;
    changed[1] = 6;
    for (int attempt = 0; attempt < 2; ++attempt) {
        Send(simcmd::WrtMem3, changed);
        EXPECT_EQ(Collect(), AnswerFrame(simcmd::WrtMem3, 255));
    }
    EXPECT_EQ(ecu->Memory().block3, b3);
    Send(simcmd::ReadMem3);
    EXPECT_EQ(Collect(), AnswerFrame(simcmd::ReadMem3, 0, std::string(b3.begin(), b3.end())));
}

TEST_F(Line, AnswerSpoilingFaults) {
    ASSERT_TRUE(port.Open());
    const std::string good = kEcoAnswer;  // 42 01 07 09 00 45 43 4F 04
    struct Case {
        const char* fault;
        std::string expected;
    };
    const Case cases[] = {
        {"wrong checksum on eco", good.substr(0, 8) + static_cast<char>(0x04 ^ 0xFF)},
        {"wrong-command:cmd=9", AnswerFrame(10, 0, "ECO")},
        {"truncate:cmd=9,value=5", good.substr(0, 5)},
        {"extra-bytes:cmd=CMD_GET_ECO,value=2", good + "\xA5\xA4"},
        {"drop-byte:cmd=9,value=0", good.substr(1)},
        {"status 254 on eco", AnswerFrame(9, 254)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        ecu->Faults().Clear();
        ASSERT_TRUE(ecu->Faults().AddByName(c.fault));
        Send(ToBytes(kEcoRequest));
        EXPECT_EQ(Collect(), c.expected);
    }
    // A late answer.
    ecu->Faults().Clear();
    ASSERT_TRUE(ecu->Faults().AddByName("late answer 300 ms on eco"));
    Send(ToBytes(kEcoRequest));
    EXPECT_EQ(Collect(), "");
    host.Advance(300000);
    EXPECT_EQ(Collect(), kEcoAnswer);
}

TEST_F(Line, CablePulledAfterZone40) {
    ASSERT_TRUE(ecu->Faults().AddByName("cable pulled after zone 40"));
    ASSERT_TRUE(port.Open());
    Send(simcmd::SetPrg, {0});
    Collect();
    Send(simcmd::EraseFlash, {0});
    Collect();
    for (int zone = 0; zone < 41; ++zone) {
        SimBytes p{0, 0xF8, static_cast<std::uint8_t>(zone >> 1), static_cast<std::uint8_t>((zone & 1) * 0x80)};
        p.resize(132, 0x55);
        Send(simcmd::WrtFlashZone, p);
        const std::string a = Collect();
        if (zone < 40) {
            ASSERT_EQ(a, AnswerFrame(simcmd::WrtFlashZone, 0)) << zone;
        } else {
            EXPECT_EQ(a, "");
        }
    }
    EXPECT_EQ(ecu->Responder().Count(simcmd::WrtFlashZone), 41);
    Send(ToBytes(kEcoRequest));
    EXPECT_EQ(Collect(), "");
    port.Close();
    EXPECT_FALSE(port.Open());
    ecu->Faults().PlugCable();
    ASSERT_TRUE(port.Open());
    Send(ToBytes(kEcoRequest));
    EXPECT_EQ(Collect(), kEcoAnswer);
    EXPECT_EQ(ecu->Responder().State(), SimEcuState::Flashing);
}

TEST_F(Line, ResetLosesUnsavedParametersAndIsDeafWhileBooting) {
    ASSERT_TRUE(ecu->Faults().AddByName("ecu reset after block 3 writes 1"));
    ASSERT_TRUE(port.Open());
    SimBytes b3 = ecu->Memory().block3;
    b3[1] = 6;
    Send(simcmd::WrtMem3, b3);
    EXPECT_EQ(Collect(), AnswerFrame(simcmd::WrtMem3, 0));
    Send(simcmd::WrtMem3, b3);  // this one resets the ECU
    EXPECT_EQ(Collect(), "");
    Send(ToBytes(kEcoRequest));
    EXPECT_EQ(Collect(), "");
    host.Advance(ecu->Options().bootTimeUs);
    Send(ToBytes(kEcoRequest));
    EXPECT_EQ(Collect(), kEcoAnswer);
    EXPECT_EQ(ecu->Memory().block3[1], 4);
}

TEST(FaultNames, ParseToRules) {
    struct Case {
        const char* text;
        Fault kind;
        int command, count, after, value;
    };
    const Case cases[] = {
        {"no answer to the first attempt", Fault::NoAnswer, -1, 1, 0, -1},
        {"no answer to the first 3 attempts", Fault::NoAnswer, -1, 3, 0, -1},
        {"No answer to ECO", Fault::NoAnswer, 9, 0, 0, -1},
        {"status 255 on block 3 writes", Fault::Status, 17, 0, 0, 255},
        {"status 254 on block 2 reads", Fault::Status, 13, 0, 0, 254},
        {"cable pulled after zone 40", Fault::CablePulled, 8, 1, 40, -1},
        {"cable pulled after 10 requests", Fault::CablePulled, -1, 1, 10, -1},
        {"wrong checksum on CMD_READ_MEM1", Fault::WrongChecksum, 12, 0, 0, -1},
        {"status:cmd=50,value=7,count=2,after=1", Fault::Status, 50, 2, 1, 7},
        {"reset", Fault::Reset, -1, 1, 0, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto r = SimFaults::Parse(c.text);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->kind, c.kind);
        EXPECT_EQ(r->options.command, c.command);
        EXPECT_EQ(r->options.count, c.count);
        EXPECT_EQ(r->options.after, c.after);
        EXPECT_EQ(r->options.value, c.value);
    }
    for (const char* bad : {"", "explode", "status:cmd=NOPE", "no answer to block 9 writes", "delay:ms=x",
                            "cable pulled after zone"}) {
        std::string why;
        EXPECT_FALSE(SimFaults::Parse(bad, &why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
}

TEST(Engine, IdlesWarmsUpAndSwitchesToGas) {
    SimEcu ecu;
    SimResponder& r = ecu.Responder();
    auto live = [&](double atUs) {
        auto a = r.Handle(SimCodec::BuildRequest(simcmd::ReadMem1, {}), atUs);
        return SimBytes(a->begin() + 5, a->end() - 1);
    };
    auto u16 = [](const SimBytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); };
    live(0);
    SimBytes idle = live(20e6);
    ASSERT_EQ(idle.size(), 85u);
    const double rpm = ecu.Memory().SpeedConstant() / u16(idle, 64);
    EXPECT_NEAR(rpm, 800, 40);
    EXPECT_EQ(idle[73], 0);  // petrol: too slow to switch
    EXPECT_GT(u16(idle, 14), 0);  // cylinder 1 petrol time in the last slot
    EXPECT_EQ(u16(idle, 0), 0);   // cylinder 8 unused on four cylinders

    ecu.Engine().SetTargetRpm(2500);
    SimBytes gas = live(200e6);
    EXPECT_EQ(gas[73], 3);
    EXPECT_GT(u16(gas, 66), 1000);  // pressure
    EXPECT_GT(u16(gas, 16 + 14), 0);  // cylinder 1 gas time
    EXPECT_GT(static_cast<std::int16_t>(u16(gas, 77)), 35);  // warm reducer

    ecu.Engine().SetKey(false);
    SimBytes off = live(230e6);
    EXPECT_EQ(u16(off, 64), 0);
    EXPECT_EQ(u16(off, 66), 0);
    EXPECT_EQ(off[72] & 1, 0);

    // The same seed gives the same values, however the clock was sampled.
    SimEcu twin;
    twin.Responder().Handle(SimCodec::BuildRequest(simcmd::ReadMem1, {}), 0);
    for (double t = 1e6; t < 20e6; t += 3.3e6) twin.Engine().AdvanceTo(t);
    auto a = twin.Responder().Handle(SimCodec::BuildRequest(simcmd::ReadMem1, {}), 20e6);
    EXPECT_EQ(SimBytes(a->begin() + 5, a->end() - 1), idle);
}

}  // namespace
