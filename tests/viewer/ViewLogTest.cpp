// Reading logs into samples, compaction, the save scan and the exports: the constants of
// the log's head, which lines become samples, the windows of a long file, and the columns
// of both export formats on a sample worked out by hand.
#include <gtest/gtest.h>

#include <set>

#include "link/ModComm.h"
#include "support/TempDir.h"
#include "util/HexText.h"
#include "viewer/TracePyramid.h"
#include "viewer/ViewLog.h"

using namespace gw;
using namespace gw::view;

namespace {

// Block-1 data with a few fields set (little-endian words).
struct Data {
    std::string bytes = std::string(kSampleDataBytes, '\0');
    Data& Word(std::size_t at, int v) {
        bytes[at] = static_cast<char>(v & 0xFF);
        bytes[at + 1] = static_cast<char>((v >> 8) & 0xFF);
        return *this;
    }
};

// The answer frame's hex and the log line "ms R hex" as the link logs it.
std::string AnswerHex(const Data& d, std::uint8_t command = 0x0C) {
    return BytesToHex(ComponiMsg(0x42, 0x01, command, std::string(1, '\0') + d.bytes));
}
std::string Line(long ms, const std::string& tag, const std::string& text) {
    return "\"" + std::to_string(ms) + " " + tag + text + "\"\r\n";
}

// A sample with petrol entry 0 = 250 counts (2 ms), gas entry 0 = 1000 (8 ms + 0.6),
// period 1000, pressure 1200, vacuum 400, lambda 450, temperatures 35 and -5.
Data Sample(int gasCount = 1000) {
    Data d;
    d.Word(0, 250).Word(16, gasCount).Word(64, 1000).Word(66, 1200).Word(68, 400).Word(70, 450);
    d.Word(77, 35).Word(79, -5 & 0xFFFF);
    return d;
}

std::string Head(const std::string& kgm = "", const std::string& klambda = "") {
    std::string h = "\"1000 O  Software ver. 01.01.03 Gas ECU Workbench 10/12/2026\"\r\n";
    if (!kgm.empty()) h += "\"[K_gm]\"\r\n" + kgm + "\r\n";
    if (!klambda.empty()) h += "\"[K_Lambda]\"\r\n" + klambda + "\r\n";
    return h;
}

}  // namespace

TEST(ViewLog, ConstantsComeFromTheHeadOnly) {
    const NumberLocale comma = NumberLocale::Comma();
    struct Case {
        const char* what;
        std::string text;
        double kgm, klambda;
    };
    const std::string padding(1000, 'x');
    const Case cases[] = {
        {"no header: defaults", Head(), 15000000, 0.001},
        {"both constants", Head(" 7500000 ", " 0,002 "), 7500000, 0.002},
        {"unquoted key lines", "[K_gm]\r\n 12000000 \r\n", 12000000, 0.001},
        {"not a number keeps the default", Head(" abc ", ""), 15000000, 0.001},
        {"a key past the first 1000 characters", "\"" + padding + "\"\r\n\"[K_gm]\"\r\n 7500000 \r\n", 15000000, 0.001},
    };
    for (const Case& c : cases) {
        const LogConstants k = ParseLogConstants(c.text, comma);
        EXPECT_EQ(k.K_gm, c.kgm) << c.what;
        EXPECT_DOUBLE_EQ(k.K_Lambda, c.klambda) << c.what;
    }
}

TEST(ViewLog, OnlyCompleteLiveAnswersThatPassTheFrameCheckBecomeSamples) {
    const std::string good = AnswerHex(Sample());
    std::string bad = good;
    bad[20] = bad[20] == '0' ? '1' : '0';  // one digit off: the bytes no longer XOR to 0
    std::string log = Head(" 7500000 ");
    log += "\"CMD_READ_MEM1\"\r\n" + Line(2000, "T ", "4102030C0D");
    log += Line(2100, "R ", good.substr(0, 60));  // the answer logged in pieces
    log += Line(2110, "R ", good.substr(0, 120));
    log += Line(2120, "R ", good);
    log += Line(2200, "R ", bad);
    log += Line(2300, "R ", AnswerHex(Sample(), 0x0D));  // another command's answer
    log += Line(2400, "D ", good);                        // not a received frame
    log += Line(2500, "R ", good + "0");                  // half a byte more
    log += Line(2600, "R ", good);

    std::vector<RawSample> samples;
    ASSERT_TRUE(ParseLogSamples(log, samples));
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].timeMs, 2120);
    EXPECT_EQ(samples[1].timeMs, 2600);

    const SampleRecord r = DecodeSample(samples[0], ParseLogConstants(log, NumberLocale::Comma()), SampleScales{});
    EXPECT_DOUBLE_EQ(r.InjTimeBnz[7], 2.0);  // the answer's first entry lands in element 7
    EXPECT_DOUBLE_EQ(r.InjTimeGas[7], 8.6);
    EXPECT_EQ(r.Rpm, 7500);                  // the log's own engine-speed constant
    EXPECT_DOUBLE_EQ(r.LambdaV, 0.45);
    EXPECT_EQ(r.TempReducer, 35);
    EXPECT_EQ(r.TempGas, -5);
}

TEST(ViewLog, CompactionKeepsTheLastLineOfEveryRunOfEqualTags) {
    const std::string log = Head() + "\"CMD_READ_MEM1\"\r\n" + Line(10, "T ", "4102030C0D") + Line(20, "R ", "42") +
                            Line(21, "R ", "4201") + Line(22, "R ", "420159") + "\"CMD_READ_MEM1\"\r\n" +
                            "\"CMD_READ_MEM1\"\r\n" + Line(30, "C ", "3") + Line(31, "C ", "1") + "\r\n";
    const std::string expected = Head() + "\"CMD_READ_MEM1\"\r\n" + Line(10, "T ", "4102030C0D") +
                                 Line(22, "R ", "420159") + "\"CMD_READ_MEM1\"\r\n" + "\"CMD_READ_MEM1\"\r\n" +
                                 Line(31, "C ", "1");
    EXPECT_EQ(CleanLogText(log), expected);
    EXPECT_TRUE(IsRawLog(log));
    EXPECT_FALSE(IsRawLog(Head() + Line(20, "R ", "42")));
    EXPECT_FALSE(IsRawLog("a | b | c\r\n" + Line(10, "T ", "4102030C0D")));  // already clean: the scan ends
}

TEST(ViewLog, SaveViewCopiesCompactsAndLeavesTheEarlierFileWholeOnFailure) {
    gwtest::TempDir dir;
    const std::string raw = Head() + Line(10, "T ", "4102030C0D") + Line(20, "R ", "42") + Line(21, "R ", "4201");
    const std::string src = dir.Write("BIN/RxTx.TXT", raw);
    const std::string out = dir.File("SAMPLES/a.vfl");
    ASSERT_TRUE(EnsureSamplesFolder(dir.Path()));
    std::string error;
    ASSERT_TRUE(SaveView(src, out, &error)) << error;
    EXPECT_EQ(dir.Read("SAMPLES/a.vfl"), CleanLogText(raw));
    EXPECT_EQ(dir.Read("BIN/RxTx.TXT"), raw);  // the live log is left as it is
    // A source that cannot be read: the earlier view file stays whole.
    EXPECT_FALSE(SaveView(dir.File("BIN/none.TXT"), out, &error));
    EXPECT_EQ(dir.Read("SAMPLES/a.vfl"), CleanLogText(raw));
}

TEST(ViewLog, WindowsHoldEveryLineOnceAndSeekOnlyWhereThereIsMore) {
    gwtest::TempDir dir;
    std::string log = Head(" 15000000 ");
    const int n = 40;
    for (int i = 0; i < n; ++i) log += "\"CMD_READ_MEM1\"\r\n" + Line(1000 + i, "R ", AnswerHex(Sample(i)));
    const std::string path = dir.Write("v.vfl", log);
    const std::uint64_t window = 1000;  // lines of about 200 characters: most cut by a window's edge
    std::multiset<double> seen;
    std::uint64_t offset = 0;
    int windows = 0;
    for (;; offset += window, ++windows) {
        const LogWindow w = LoadLogWindow(path, offset, window, NumberLocale::Dot());
        ASSERT_TRUE(w.error.empty());
        EXPECT_EQ(w.CanPrev(window), offset > 0) << offset;
        EXPECT_EQ(w.set.constants.K_gm, 15000000);  // every window decodes with the head's constants
        for (const RawSample& s : w.set.samples) seen.insert(s.timeMs);
        if (!w.CanNext(window)) break;
    }
    EXPECT_EQ(windows, static_cast<int>((log.size() - 1) / window));
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) EXPECT_EQ(seen.count(1000 + i), 1u) << i;
    // An offset past the end reads the last window; the whole file at once has every sample.
    EXPECT_EQ(LoadLogWindow(path, 1u << 30, window, NumberLocale::Dot()).offset, offset);
    EXPECT_EQ(LoadLogWindow(path, 0, 0, NumberLocale::Dot()).set.samples.size(), static_cast<std::size_t>(n));
    EXPECT_TRUE(LoadLogWindow(dir.File("none.vfl"), 0, window, NumberLocale::Dot()).missing);
}

TEST(ViewLog, ExportColumnsMatchASampleWorkedOutByHand) {
    SampleSet set;
    set.constants = LogConstants{};  // 15000000, 0.001
    RawSample a, b;
    const Data da = Sample(1000), db = Sample(1250);
    std::copy(da.bytes.begin(), da.bytes.end(), a.data.begin());
    std::copy(db.bytes.begin(), db.bytes.end(), b.data.begin());
    a.timeMs = 2000;
    b.timeMs = 2250;
    set.samples = {a, b};
    // Element 0 of the injector arrays is the answer's eighth entry: set it too.
    for (RawSample* s : {&set.samples[0], &set.samples[1]}) {
        s->data[14] = 250;                          // petrol entry 7: 2 ms
        s->data[30] = s == &set.samples[0] ? 0xE8 : 0xE2;  // gas entry 7: 1000 or 1250 counts
        s->data[31] = s == &set.samples[0] ? 0x03 : 0x04;
    }
    // Gas 8.6 ms then 10.6 ms over 250 ms: 0.008 ms per ms.
    EXPECT_EQ(ExportVflfText(set, SampleScales{}, NumberLocale::Comma()),
              "2000|2|8,6|400|1200|450|15000|-5|35|0,008\r\n"
              "2250|2|10,6|400|1200|450|15000|-5|35\r\n");
    EXPECT_EQ(ExportCsvText(set, SampleScales{}),
              "Time (ms),T Inj Gas (ms),T Inj Benz (ms),Vacuum (mbar),Press (mbar),Lambda (V),Rpm (rpm),"
              "Temp Inj (C),Temp Gas (C)\r\n"
              "2000,8.6,2,400,1200,0.45,15000,35,-5\r\n"
              "2250,10.6,2,400,1200,0.45,15000,35,-5\r\n");
}

TEST(TracePyramid, EveryRunGivesTheSameExtremesAsTheSamplesThemselves) {
    SampleSet set;
    std::uint32_t x = 12345;
    for (int i = 0; i < 70000; ++i) {
        RawSample s;
        x = x * 1664525u + 1013904223u;
        s.data[68] = static_cast<std::uint8_t>(x >> 24);  // vacuum
        s.data[69] = static_cast<std::uint8_t>(x >> 16 & 3);
        s.timeMs = i;
        set.samples.push_back(s);
    }
    TracePyramid p;
    p.Build(set, SampleScales{}, 0);
    const std::pair<std::size_t, std::size_t> runs[] = {{0, 1}, {0, 16}, {5, 21}, {15, 17}, {0, 70000},
                                                        {4095, 4097}, {100, 65636}, {69990, 80000}, {7, 7}};
    for (auto [a, b] : runs) {
        float lo = 1e30f, hi = -1e30f;
        for (std::size_t i = a; i < std::min<std::size_t>(b, 70000); ++i) {
            lo = std::min(lo, p.Value(kChVacuum, i));
            hi = std::max(hi, p.Value(kChVacuum, i));
        }
        const auto s = p.Range(kChVacuum, a, b);
        EXPECT_EQ(s.any, a < b) << a << ".." << b;
        if (!s.any) continue;
        EXPECT_EQ(s.lo, lo) << a << ".." << b;
        EXPECT_EQ(s.hi, hi) << a << ".." << b;
    }
}
