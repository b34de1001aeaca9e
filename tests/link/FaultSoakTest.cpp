// Fault soak on virtual time: the simulated ECU goes through every named fault, with
// several seeds, for hours of simulated time while the link polls and writes blocks and
// correction tables. Checked all along: the link recovers once a fault stops, no write is
// reported done that the ECU does not hold, no read returns data the ECU never held.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "link/Commands.h"
#include "link/FirmwareSimRig.h"
#include "link/ModComm.h"
#include "model/CorrectionTables.h"

using namespace gw;
using namespace gwtest;

namespace {

constexpr double kK = 0.008;
constexpr double kMinute = 60e6;

// Each fault for one phase; the soak goes through all of them in turn.
const char* const kFaults[] = {
    "no-answer:count=3",        "delay:ms=4500,count=0",  "delay:ms=900,count=0",  "drop-byte:count=4",
    "corrupt-byte:count=4",     "wrong-checksum:count=4", "wrong-command:count=3", "status:value=254,count=3",
    "status:value=255,count=2", "truncate:count=4",       "extra-bytes:count=0",   "cable-pulled:after=20,ms=8000",
    "reset:after=10",           "device-gone:after=15,ms=5000", "stall:after=5,ms=20000", "no-answer:count=0",
};

SimBytes Bytes(const std::string& s) { return SimBytes(s.begin(), s.end()); }

struct Soak {
    explicit Soak(std::uint64_t seed) : rig(Options(seed)), rng(static_cast<std::mt19937::result_type>(seed)) {
        rig.timer1->SetIntervalMs(10);  // a coarser communication tick keeps hours cheap
    }
    static SimEcuOptions Options(std::uint64_t seed) {
        SimEcuOptions o;
        o.seed = seed;
        return o;
    }
    SimMemory& Mem() { return rig.ecu->Memory(); }
    // Every block 3 and table the ECU has held (after each exchange), and what was sent.
    void Note() {
        held3.insert(Mem().block3);
        heldTables.insert(std::vector<std::int16_t>(Mem().corTable.begin(), Mem().corTable.end()));
    }

    bool Recovered(double withinUs) {
        const double end = rig.host.MicroClock() + withinUs;
        while (rig.host.MicroClock() < end) {
            rig.host.Advance(10'000);
            if (rig.comm.ComState == kComIdle && !rig.comm.WDogPresente && rig.comm.IsOpen())
                return rig.comm.SendMsgWait(RequestMsg(CMD_READ_MEM1));
        }
        return false;
    }

    void WriteBlock3() {
        SimBytes b = Mem().block3;
        b[2] = static_cast<std::uint8_t>(rng() % 120);
        held3.insert(b);  // the ECU may hold it from the moment it arrives
        const bool ok = rig.comm.SendMsgWait(RequestMsg(CMD_WRT_MEM3, std::string(b.begin(), b.end())));
        ++writes;
        if (ok) {
            ++writesDone;
            EXPECT_EQ(Mem().block3, b) << "a block write reported done that the ECU does not hold";
        }
        Note();
    }

    void ReadBlock3() {
        rig.comm.LastAnswer.clear();
        if (rig.comm.SendMsgWait(RequestMsg(CMD_READ_MEM3))) {
            const SimBytes data = Bytes(DatiMsg(rig.comm.LastAnswer));
            EXPECT_TRUE(held3.count(data)) << "a block read returned data the ECU never held";
        }
        Note();
    }

    void Table() {
        TimeTable t{};
        std::vector<std::int16_t> raw(t.size());
        for (std::size_t i = 0; i < t.size(); ++i) {
            raw[i] = static_cast<std::int16_t>(static_cast<int>(rng() % 2000) - 1000);
            t[i] = i < 184 ? raw[i] * kK : (i < 186 ? raw[i] / 1000.0 : raw[i]);
        }
        heldTables.insert(raw);
        ++writes;
        if (WriteCorTable(rig.comm, t, kK)) {
            ++writesDone;
            EXPECT_TRUE(std::equal(raw.begin(), raw.end(), Mem().corTable.begin()))
                << "a table write reported done that the ECU does not hold";
        }
        Note();
        TimeTable back{};
        if (ReadCorTable(rig.comm, back, kK)) {
            ++tableReads;
            std::vector<std::int16_t> got(back.size());
            for (std::size_t i = 0; i < back.size(); ++i)
                got[i] = static_cast<std::int16_t>(std::lround(i < 184 ? back[i] / kK : (i < 186 ? back[i] * 1000 : back[i])));
            EXPECT_TRUE(heldTables.count(got)) << "a table read returned a table the ECU never held";
        }
        Note();
    }

    void Run(double phaseUs) {
        ASSERT_TRUE(rig.Connect());
        Note();
        for (const char* fault : kFaults) {
            SCOPED_TRACE(fault);
            std::string error;
            ASSERT_TRUE(rig.ecu->Faults().AddByName(fault, &error)) << error;
            const double end = rig.host.MicroClock() + phaseUs;
            while (rig.host.MicroClock() < end) {
                switch (rng() % 6) {
                    case 0: WriteBlock3(); break;
                    case 1: ReadBlock3(); break;
                    case 2: Table(); break;
                    default:
                        rig.comm.SendMsgWait(RequestMsg(CMD_READ_MEM1));
                        rig.host.Advance(static_cast<double>(rng() % 3000) * 1000);
                        break;
                }
            }
            // The fault stops (a stalled ECU is switched off and on): the link comes back.
            rig.ecu->Faults().Clear();
            rig.ecu->Faults().PlugCable();
            if (std::string(fault).rfind("stall", 0) == 0) rig.ecu->Reset(rig.host.MicroClock());
            Note();
            EXPECT_TRUE(Recovered(60e6)) << "the link did not recover";
            Note();
        }
    }

    FirmwareSimRig rig;
    std::mt19937 rng;
    std::set<SimBytes> held3;
    std::set<std::vector<std::int16_t>> heldTables;
    int writes = 0, writesDone = 0, tableReads = 0;
};

}  // namespace

TEST(FaultSoak, EveryFaultWithSeveralSeedsForHours) {
    double simulated = 0;
    for (std::uint64_t seed : {1u, 7u, 42u, 2024u}) {
        SCOPED_TRACE(seed);
        Soak s(seed);
        const double start = s.rig.host.MicroClock();
        s.Run(2.5 * kMinute);
        simulated += s.rig.host.MicroClock() - start;
        // The soak did its work: most writes went through in spite of the faults.
        EXPECT_GT(s.writesDone, s.writes / 2);
        EXPECT_GT(s.tableReads, 10);
    }
    EXPECT_GT(simulated, 2 * 3600e6);
}
