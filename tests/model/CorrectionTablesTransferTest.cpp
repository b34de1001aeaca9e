#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/ClsComm.h"
#include "link/ComCycle.h"
#include "link/Commands.h"
#include "model/CorrectionTables.h"
#include "sim/SimulatedEcuPort.h"
#include "support/SimPorts.h"
#include "support/FakePort.h"
#include "support/GoldenFrames.h"
#include "support/TempDir.h"
#include "util/EventHost.h"

using namespace gw;
using namespace gwtest;

namespace {

constexpr double kK = 0.008;  // ms per count of the time entries

// The link on virtual time, driven by the real communication cycle on its 1 ms timer (so a
// lost link is closed, reopened and greeted with the keep-alive as in the program).
class CycleLink {
public:
    CycleLink(VirtualHost& host, PortProvider& ports, const std::string& appFolder)
        : host_(host), comm(host, ports, appFolder), cycle(comm) {
        comm.FlagRicercaCom = 255;  // a fixed port, no search
        comm.NumReSend = 1;
        comm.ComState = kComOpening;
        timer_ = host.CreateTimer([this] { cycle.OnTimer1(); });
        timer_->SetIntervalMs(1);
        timer_->SetEnabled(true);
    }
    // Runs the cycle until the keep-alive has been answered.
    bool Connect() {
        for (int i = 0; i < 5000; ++i) {
            host_.Advance(1000);
            if (comm.ComState == kComIdle && !comm.WDogPresente) return true;
        }
        return false;
    }

private:
    VirtualHost& host_;

public:
    ClsComm comm;
    ComCycle cycle;

private:
    std::unique_ptr<Timer> timer_;
};

// ---- against a scripted line: exact bytes and answers ----

class ScriptedEcu : public ::testing::Test {
protected:
    ScriptedEcu() : ports(host), link(host, ports, dir.Path()), line(ports.Com(1)) {
        link.comm.UsbCom = false;
        link.comm.ComPortValue = 1;
        line.AnswerWith([this](const std::string& r) { return Answer(r); }, 3000);
    }
    std::string Answer(const std::string& request) {
        const int cmd = static_cast<std::uint8_t>(request[3]);
        if (cmd == CMD_GET_ECO) return kEcoAnswer;
        if (cmd == CMD_WRT_TBL_COR) {
            writes.push_back(request);
            if (silentFromStart >= 0 && static_cast<std::uint8_t>(request[4]) >= silentFromStart) return {};
            return AnswerFrame(cmd, 0);
        }
        if (cmd == CMD_READ_TBL_COR) {
            const int start = static_cast<std::uint8_t>(request[4]);
            ++reads;
            std::string data;
            for (int i = 0; i < 48; ++i) {
                const auto v = static_cast<std::uint16_t>(ecuRaw[start + i]);
                data += static_cast<char>(v & 0xFF);
                data += static_cast<char>(v >> 8);
            }
            const auto it = shortAnswer.find(start);
            if (it != shortAnswer.end()) data.resize(it->second);
            return AnswerFrame(cmd, 0, data);
        }
        return AnswerFrame(cmd, 0);
    }

    TempDir dir;
    VirtualHost host;
    FakePortProvider ports;
    CycleLink link;
    FakeLine& line;
    std::vector<std::string> writes;  // write requests as they arrived
    int silentFromStart = -1;         // >= 0: writes of chunks from this start on get no answer
    int reads = 0;
    std::array<std::int16_t, 192> ecuRaw{};
    std::map<int, std::size_t> shortAnswer;  // chunk start -> data bytes actually sent
};

TEST_F(ScriptedEcu, WireFormOfEachKindOfEntry) {
    ASSERT_TRUE(link.Connect());
    TimeTable t{};
    t[0] = -0.8;     // -100 counts
    t[1] = 300;      // beyond the 16-bit range
    t[2] = -300;
    t[3] = 0.252;    // 31.5 counts: the even neighbour
    t[184] = 0.5;    // x 1000
    t[185] = 1.25;
    t[186] = 0;
    t[187] = 30;     // steps, as they are
    ASSERT_TRUE(WriteCorTable(link.comm, t, kK));
    ASSERT_EQ(writes.size(), 4u);
    for (int c = 0; c < 4; ++c) {
        const std::string& w = writes[static_cast<std::size_t>(c)];
        ASSERT_EQ(w.size(), 2u + 3u + 2u + 96u);
        EXPECT_EQ(static_cast<std::uint8_t>(w[2]), 101);  // length byte
        EXPECT_EQ(static_cast<std::uint8_t>(w[4]), 48 * c);
        EXPECT_EQ(static_cast<std::uint8_t>(w[5]), 48);
    }
    auto entry = [&](int index) { return writes[static_cast<std::size_t>(index / 48)].substr(6 + 2 * (index % 48), 2); };
    EXPECT_EQ(entry(0), Bytes({0x9C, 0xFF}));
    EXPECT_EQ(entry(1), Bytes({0xFF, 0x7F}));
    EXPECT_EQ(entry(2), Bytes({0x00, 0x80}));
    EXPECT_EQ(entry(3), Bytes({0x20, 0x00}));
    EXPECT_EQ(entry(4), Bytes({0x00, 0x00}));
    EXPECT_EQ(entry(184), Bytes({0xF4, 0x01}));
    EXPECT_EQ(entry(185), Bytes({0xE2, 0x04}));
    EXPECT_EQ(entry(187), Bytes({0x1E, 0x00}));
    // Without a usable time scale nothing is sent.
    EXPECT_FALSE(WriteCorTable(link.comm, t, 0.0));
    EXPECT_EQ(writes.size(), 4u);
}

TEST_F(ScriptedEcu, ReadConvertsEachKindOfEntryBack) {
    ASSERT_TRUE(link.Connect());
    ecuRaw[0] = -100;
    ecuRaw[183] = 250;
    ecuRaw[184] = 416;
    ecuRaw[185] = 1150;
    ecuRaw[186] = 2;
    ecuRaw[191] = 157;
    // An answer some earlier exchange left in the queue is not taken for a chunk.
    link.comm.AccodaRisposta(std::string(96, '\x7F'));
    TimeTable got;
    got.fill(5);
    ASSERT_TRUE(ReadCorTable(link.comm, got, kK));
    EXPECT_DOUBLE_EQ(got[0], -0.8);
    EXPECT_DOUBLE_EQ(got[1], 0.0);
    EXPECT_DOUBLE_EQ(got[183], 2.0);
    EXPECT_DOUBLE_EQ(got[184], 0.416);
    EXPECT_DOUBLE_EQ(got[185], 1.15);
    EXPECT_EQ(got[186], 2.0);
    EXPECT_EQ(got[191], 157.0);
    EXPECT_EQ(reads, 4);
}

TEST_F(ScriptedEcu, ShortAnswerFailsAndLeavesTheTable) {
    ASSERT_TRUE(link.Connect());
    ecuRaw.fill(40);
    struct Case {
        int start;
        std::size_t bytes;
    };
    for (const Case c : {Case{0, 95}, Case{48, 60}, Case{144, 48}, Case{96, 0}}) {
        shortAnswer = {{c.start, c.bytes}};
        reads = 0;
        TimeTable got;
        got.fill(5);
        EXPECT_FALSE(ReadCorTable(link.comm, got, kK)) << c.start;
        for (double v : got) ASSERT_EQ(v, 5.0) << c.start;
        // Nothing after the short chunk is asked.
        EXPECT_EQ(reads, c.start / 48 + 1) << c.start;
    }
}

TEST_F(ScriptedEcu, EcuSilentAfterTheFirstChunkLeavesBothTablesAsTheyWere) {
    ASSERT_TRUE(link.Connect());
    silentFromStart = 48;  // the first chunk is accepted, nothing after it
    TimeTable cor{};
    cor[10] = 0.72;
    cor[185] = 1.25;
    TimeTable ecu;
    ecu.fill(3);
    const TimeTable before = cor;
    const double t0 = host.MicroClock();
    EXPECT_FALSE(SendCorrectionTable(link.comm, cor, ecu, kK, ""));
    EXPECT_EQ(cor, before);
    EXPECT_EQ(ecu, before);  // the workbench shows what it meant to send, not a half-read table
    EXPECT_EQ(reads, 0);     // no read after a failed write
    // Three attempts, each stopping at the second chunk (sent once and resent once); the
    // first chunk goes out again in every attempt.
    int firstChunks = 0, secondChunks = 0, laterChunks = 0;
    for (const auto& w : writes) {
        const int start = static_cast<std::uint8_t>(w[4]);
        (start == 0 ? firstChunks : start == 48 ? secondChunks : laterChunks)++;
    }
    EXPECT_EQ(firstChunks, 3);
    EXPECT_EQ(secondChunks, 3 * (1 + link.comm.NumReSend));
    EXPECT_EQ(laterChunks, 0);
    EXPECT_GE(host.MicroClock() - t0, 3 * 250'000.0);
}

TEST_F(ScriptedEcu, ServiceModeExportsTheTableAfterTheTransfer) {
    ASSERT_TRUE(link.Connect());
    TimeTable cor{};
    cor[3] = 0.25;
    TimeTable ecu{};
    const std::string path = dir.File("TEMPI4.TXT");
    ASSERT_TRUE(SendCorrectionTable(link.comm, cor, ecu, kK, path));
    EXPECT_FALSE(dir.Exists("TEMPI4.TXT"));  // not in service mode
    link.comm.ServiceMode = true;
    ASSERT_TRUE(SendCorrectionTable(link.comm, cor, ecu, kK, path));
    const std::string text = dir.Read("TEMPI4.TXT");
    EXPECT_NE(text.find("\"Val_corTempiGas[3] = #0.25@\"\r\n"), std::string::npos);
    // An export that cannot be written is reported; the transfer's result stands.
    EXPECT_TRUE(SendCorrectionTable(link.comm, cor, ecu, kK, dir.File("missing/TEMPI4.TXT")));
    EXPECT_EQ(host.Messages().size(), 1u);
}

// ---- against the simulated ECU ----

class SimulatedEcuTable : public ::testing::Test {
protected:
    SimulatedEcuTable() : ports(host, ecu), link(host, ports, dir.Path()) { link.comm.Simulated = true; }

    static ModelRecord Model() {
        ModelRecord m;
        const float enrich[kModelPoints] = {0, 0.208f, -0.104f, 0.312f, 0, 0.104f, 0};
        m.Alfa = 1.15f;
        m.Offset = 0.416f;
        m.points[1].X = 3.84f + 0.256f;
        for (int i = 0; i < kModelPoints; ++i)
            m.points[i].Y = m.Alfa * m.points[i].X + enrich[i] + m.Offset;
        return m;
    }

    TempDir dir;
    VirtualHost host;
    std::shared_ptr<SimEcu> ecu = std::make_shared<SimEcu>();
    gwtest::SimOnlyPorts ports;
    CycleLink link;
};

TEST_F(SimulatedEcuTable, WrittenTableReadsBackEqual) {
    ASSERT_TRUE(link.Connect());
    TimeTable cor{};
    ModelToTable(cor, Model());
    TimeTable ecuTable{};
    ASSERT_TRUE(SendCorrectionTable(link.comm, cor, ecuTable, kK, ""));
    for (int i = 0; i < kTimeTableSize; ++i) {
        // Time entries travel in whole counts of 0.008 ms, offset and ratio in thousandths
        // (the table holds them as the single-precision model has them).
        const double tolerance = i < kCorTableTimeEntries ? kK / 2 + 1e-12 : i < 186 ? 0.0005 : 1e-12;
        EXPECT_NEAR(ecuTable[i], cor[i], tolerance) << i;
    }
    EXPECT_EQ(ecu->Memory().corTable[184], 416);
    EXPECT_EQ(ecu->Memory().corTable[185], 1150);
    EXPECT_EQ(ecu->Memory().corTable[187], 32);
    EXPECT_EQ(ecu->Responder().Count(CMD_WRT_TBL_COR), 4);
    EXPECT_EQ(ecu->Responder().Count(CMD_READ_TBL_COR), 4);

    // A second round trip of what came back is exact.
    TimeTable again{};
    TimeTable copy = ecuTable;
    ASSERT_TRUE(SendCorrectionTable(link.comm, copy, again, kK, ""));
    for (int i = 0; i < kTimeTableSize; ++i) EXPECT_DOUBLE_EQ(again[i], ecuTable[i]) << i;
}

TEST_F(SimulatedEcuTable, ReadFailingAfterTheFirstChunkRestoresTheTables) {
    ASSERT_TRUE(link.Connect());
    ecu->Faults().Add(Fault::NoAnswer, FaultOptions{.command = CMD_READ_TBL_COR, .count = 0, .after = 1});
    TimeTable cor{};
    ModelToTable(cor, Model());
    const TimeTable before = cor;
    TimeTable ecuTable;
    ecuTable.fill(-1);
    EXPECT_FALSE(SendCorrectionTable(link.comm, cor, ecuTable, kK, ""));
    EXPECT_EQ(cor, before);
    EXPECT_EQ(ecuTable, before);
    EXPECT_EQ(ecu->Responder().Count(CMD_WRT_TBL_COR), 4);  // the write itself went through once
    // The link comes back for the next request.
    EXPECT_TRUE(link.Connect());
}

}  // namespace
