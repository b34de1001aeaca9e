// The automatic calibration on virtual time against the simulated car and its scripted
// driver: whole runs that find the car's offset, the report, "Esc" restoring what the ECU
// held, lost engine conditions, and the ends of the two phases.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "app/CalibrationRig.h"
#include "model/CorrectionTables.h"

using namespace gw;
using gwtest::CalibrationRig;
using gwtest::CarOptions;

namespace {

std::vector<std::string> ReportLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// The correction table the simulated ECU holds, as the image would read it.
TimeTable EcuTable(SimEcu& ecu) {
    TimeTable t{};
    for (int i = 0; i < kTimeTableSize; ++i) {
        const double raw = ecu.Memory().corTable[static_cast<std::size_t>(i)];
        t[static_cast<std::size_t>(i)] = i < kCorTableTimeEntries ? raw * 0.008 : i < 186 ? raw / 1000 : raw;
    }
    return t;
}

}  // namespace

// A whole calibration on cars with different true offsets: the Offset found is within one
// 0.104 ms step of the car's; an offset beyond OffsetMax ends at OffsetMax with code 2; the
// ECU ends up holding the table of the result; one report line per gas cycle.
TEST(Calibration, FindsTheCarsOffsetWithinOneStep) {
    struct Case {
        double trueOffset;
        int code;
    };
    for (const Case c : {Case{1.456, 0}, Case{-0.5, 0}, Case{0.7, 0}, Case{2.3, 0}, Case{3.1, 2}}) {
        SCOPED_TRACE(c.trueOffset);
        CalibrationRig rig(CarOptions(c.trueOffset));
        ASSERT_TRUE(rig.Ready());
        int cycles = 0;
        auto counted = rig.cal->CycleDone.Connect([&](const CalibrationCycle&) { ++cycles; });
        rig.cal->CmdCalStart_Click();
        ASSERT_TRUE(rig.RunToEnd()) << "state " << int(rig.cal->CalState());
        EXPECT_EQ(rig.cal->ResultCode(), c.code);
        const double offset = rig.wb->Image->Model.Offset;
        if (c.code == 2) {
            EXPECT_FLOAT_EQ(offset, rig.wb->Calib.OffsetMax);
            EXPECT_EQ(rig.cal->CalState(), Calibration::CalResult);
        } else {
            EXPECT_LE(std::fabs(offset - c.trueOffset), kCorrectionQuantum + 1e-6) << offset;
            EXPECT_EQ(rig.cal->CalState(), Calibration::CalDone);
        }
        // The result reaches the ECU through the communication cycle.
        ASSERT_TRUE(rig.RunUntil([&] { return rig.wb->Image->Requests.CorTableWriteRequest == kCorWriteNone; },
                                 10'000'000));
        EXPECT_TRUE(SameTableOnWire(EcuTable(*rig.ecu), rig.wb->Image->CorTable, 0.008));
        EXPECT_EQ(rig.ecu->Memory().corTable[kCorTableOffsetEntry], std::lround(offset * 1000));

        const auto lines = ReportLines(rig.dir.Read("TaraCorr.txt"));
        EXPECT_EQ(static_cast<int>(lines.size()), cycles);
        const std::regex form("\"Tara(Max|Min) Ciclo [0-9]+  TInjRef -?[0-9.]+ TInjMed -?[0-9.]+ TCorr -?[0-9.]+ "
                              "Offset -?[0-9.]+ TempVap -?[0-9]+ PressVap [0-9]+\"");
        for (const auto& line : lines) EXPECT_TRUE(std::regex_match(line, form)) << line;
    }
}

// "Yes" at the end: a result is accepted, then the ECU goes to gas and back to normal
// running, and the timer stops.
TEST(Calibration, YesAcceptsTheResultAndReturnsTheEcuToGasAndNormalRunning) {
    CalibrationRig rig(CarOptions(3.1));
    ASSERT_TRUE(rig.Ready());
    rig.cal->CmdCalStart_Click();
    ASSERT_TRUE(rig.RunToEnd());
    ASSERT_EQ(rig.cal->CalState(), Calibration::CalResult);
    rig.host.Advance(3'000'000);  // the result's table goes out first
    EXPECT_NE(rig.cal->View().message.find(rig.cal->Texts().OffsetAtMax), std::string::npos);
    rig.cal->CmdCalStart_Click();
    EXPECT_EQ(rig.cal->CalState(), Calibration::CalDone);
    rig.host.Advance(500'000);
    rig.cal->CmdCalStart_Click();  // gas, 4 s, then idle
    EXPECT_EQ(rig.cal->CalState(), Calibration::CalIdle);
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.cal->TimerEnabled(); }, 5'000'000));
    EXPECT_EQ(rig.ecu->Memory().block2[0], 3);
    EXPECT_EQ(rig.ecu->Memory().OperatingState(), 0);
    EXPECT_TRUE(rig.cal->CalBackupTaken());  // a later cancel restores this run's start
    EXPECT_TRUE(rig.cal->View().yesEnabled);
    EXPECT_FALSE(rig.cal->View().escEnabled);
}

// "Esc" in the pause, in the result and during the cancel restores blocks 2, 3 and 5, the
// table (one the model cannot give back) and the model exactly, and leaves slave mode.
TEST(Calibration, EscRestoresWhatTheEcuHeld) {
    enum class When { Pause, Result, DuringCancel };
    for (When when : {When::Pause, When::Result, When::DuringCancel}) {
        SCOPED_TRACE(static_cast<int>(when));
        CalibrationRig rig(CarOptions(when == When::Result ? 3.1 : 1.456));
        auto& mem = rig.ecu->Memory();
        for (int i = 0; i < kCorTableTimeEntries; ++i) mem.corTable[i] = static_cast<std::int16_t>(40 + (i % 7) * 3);
        mem.corTable[kCorTableOffsetEntry] = 320;
        mem.corTable[kCorTableAlfaEntry] = 1000;
        const std::int16_t places[] = {0, 30, 63, 94, 125, 157};
        for (int i = 0; i < 6; ++i) mem.corTable[kCorTablePlaceEntry + i] = places[i];
        mem.block2[13] = 5;
        ASSERT_TRUE(rig.Ready());
        const auto table = mem.corTable;
        const auto block3 = mem.block3;
        const auto block5 = mem.block5;
        const auto block2 = mem.block2;
        const ModelRecord model = rig.wb->Image->Model;

        rig.cal->CmdCalStart_Click();
        if (when == When::Result) {
            ASSERT_TRUE(rig.RunToEnd());
            ASSERT_EQ(rig.cal->CalState(), Calibration::CalResult);
            ASSERT_TRUE(rig.RunUntil([&] { return mem.corTable != table; }, 10'000'000));
        } else {
            ASSERT_TRUE(rig.RunUntil([&] { return rig.cal->CycleCount() >= 2 && mem.corTable != table; }, 300'000'000));
            rig.cal->CmdCalCancel_Click();
            EXPECT_EQ(rig.cal->CalState(), Calibration::CalPaused);
            rig.host.Advance(2'000'000);
            // Changed behind the calibration's back while it is paused.
            mem.block3[6] = 2;
            mem.block5[0] = mem.block5[0] ? 0 : 1;
            rig.host.Advance(2'000'000);
        }
        rig.cal->CmdCalCancel_Click();
        EXPECT_EQ(rig.cal->CalState(), Calibration::CalCancel);
        EXPECT_TRUE(rig.cal->CalForce());
        if (when == When::DuringCancel) {
            // A click let through while the cancel waits.
            bool clickedWhileCancelling = false;
            rig.host.ScheduleAt(rig.host.MicroClock() + 600'000, [&] {
                clickedWhileCancelling = rig.cal->CalState() == Calibration::CalCancel;
                rig.cal->CmdCalCancel_Click();
            });
            rig.host.Advance(1'000'000);
            EXPECT_TRUE(clickedWhileCancelling);
        }
        ASSERT_TRUE(rig.RunUntil([&] { return !rig.cal->TimerEnabled(); }, 30'000'000));
        ASSERT_TRUE(rig.RunUntil([&] { return rig.wb->Image->Requests.CorTableWriteRequest == kCorWriteNone; },
                                 10'000'000));
        EXPECT_EQ(rig.cal->CalState(), Calibration::CalIdle);
        EXPECT_FALSE(rig.cal->CalBackupTaken());
        EXPECT_EQ(mem.corTable, table);
        EXPECT_EQ(mem.block3, block3);
        EXPECT_EQ(mem.block5, block5);
        EXPECT_EQ(mem.block2[0], 0);  // on petrol
        for (std::size_t i = 11; i < block2.size(); ++i) EXPECT_EQ(mem.block2[i], block2[i]) << i;
        EXPECT_EQ(mem.OperatingState(), 0);
        EXPECT_EQ(rig.wb->Image->Model, model);
    }
}

// A lost condition cancels 9 ticks later even when the engine recovers at once; during the
// warm-up it cancels on the next tick.
TEST(Calibration, LostConditionsCancel) {
    for (const bool warmUp : {false, true}) {
        SCOPED_TRACE(warmUp);
        CalibrationRig rig;
        ASSERT_TRUE(rig.Ready());
        rig.cal->CmdCalStart_Click();
        ASSERT_TRUE(rig.RunToState(warmUp ? Calibration::CalWarmUp : Calibration::CalSettle));
        rig.host.Advance(1'000'000);
        std::vector<int> countdown{rig.cal->CalLossCount()};
        bool keyOffShown = false;
        rig.ecu->Engine().SetKey(false);
        const bool cancelled = rig.RunUntil(
            [&] {
                if (countdown.back() != rig.cal->CalLossCount())
                    countdown.push_back(rig.cal->CalLossCount());
                if (rig.cal->View().message == rig.cal->Texts().KeyOff) keyOffShown = true;
                // The engine is back as soon as the countdown runs.
                if (rig.cal->CalLossCount() == 9) rig.ecu->Engine().SetKey(true);
                return rig.cal->CalState() == Calibration::CalCancel;
            },
            10'000'000, 1000);
        ASSERT_TRUE(cancelled);
        EXPECT_TRUE(keyOffShown);
        if (warmUp) {
            EXPECT_EQ(countdown, (std::vector<int>{0}));
        } else {
            EXPECT_EQ(countdown, (std::vector<int>{0, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
        }
        rig.ecu->Engine().SetKey(true);
        EXPECT_TRUE(rig.RunUntil([&] { return !rig.cal->TimerEnabled(); }, 30'000'000));
        EXPECT_EQ(rig.ecu->Memory().OperatingState(), 0);
    }
}

// With MaxZeroLimit 1 the raised-speed phase ends on its first zero cycle, whatever came
// before; with MinZeroLimit 1 the idle phase still runs at least two cycles.
TEST(Calibration, PhaseEndsOnZeroCycles) {
    CalibrationRig rig(CarOptions(0.936));
    rig.wb->Calib.MaxZeroLimit = 1;
    rig.wb->Calib.MinZeroLimit = 1;
    rig.wb->Calib.MaxCycleLimit = 20;
    rig.wb->Calib.MinCycleLimit = 20;
    ASSERT_TRUE(rig.Ready());
    std::vector<CalibrationCycle> raised, idle;
    auto c = rig.cal->CycleDone.Connect([&](const CalibrationCycle& cy) { (cy.raised ? raised : idle).push_back(cy); });
    rig.cal->CmdCalStart_Click();
    ASSERT_TRUE(rig.RunToEnd());
    ASSERT_GE(raised.size(), 2u);
    EXPECT_NE(raised.front().correction, 0);
    for (std::size_t i = 0; i + 1 < raised.size(); ++i) EXPECT_NE(raised[i].correction, 0) << i;
    EXPECT_EQ(raised.back().correction, 0);
    ASSERT_GE(idle.size(), 2u);
    EXPECT_EQ(idle.front().correction, 0);  // a zero first cycle does not end the phase
    for (std::size_t i = 1; i + 1 < idle.size(); ++i) EXPECT_NE(idle[i].correction, 0) << i;
    EXPECT_EQ(idle.back().correction, 0);
}
