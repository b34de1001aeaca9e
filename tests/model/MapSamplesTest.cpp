// The map page's sample rules: decoding sample answers (short answers included), the merge
// and count of "Compute", the model-page pair points, and the map file and dump texts.
#include <gtest/gtest.h>

#include <string>

#include "model/MapSamples.h"

using namespace gw;

namespace {

// Answer data: the count byte, then (time counts, vacuum) per sample, little-endian.
std::string Answer(const std::vector<std::pair<int, int>>& samples, std::size_t pad = 30) {
    std::string d(1, static_cast<char>(samples.size()));
    auto u16 = [&](int v) {
        d += static_cast<char>(v & 0xFF);
        d += static_cast<char>((v >> 8) & 0xFF);
    };
    for (const auto& [t, v] : samples) {
        u16(t);
        u16(v);
    }
    for (std::size_t i = samples.size(); i < pad; ++i) u16(0), u16(0);
    return d;
}

MapRecord Petrol(const std::vector<std::pair<double, double>>& petrol, const std::vector<double>& gasVacuum = {}) {
    MapRecord r;
    for (std::size_t i = 0; i < petrol.size(); ++i) {
        r.PetrolVacuum[i] = petrol[i].first;
        r.PetrolTime[i] = petrol[i].second;
    }
    for (std::size_t i = 0; i < gasVacuum.size(); ++i) {
        r.GasVacuum[i] = gasVacuum[i];
        r.GasTime[i] = 3;
    }
    return r;
}

}  // namespace

TEST(MapSamples, DecodeScalesQuantisesAndEmptiesOutOfRangeSlots) {
    MapRecord r;
    r.PetrolTime[5] = 9;  // set 0 of the gas list leaves the petrol list alone
    const SampleScale scale{0.008, true, 0.6};
    // 500 counts = 4 ms + 0.6 = 4.6; 401 mbar -> 400; 10 mbar (class 0.5) -> 0 (halves to even);
    // 7000 counts = 56 ms: too long, the slot is empty; a zero time gets no added time.
    EXPECT_EQ(DecodeSamples(r, true, 0, Answer({{500, 401}, {100, 10}, {7000, 400}, {0, 590}}), scale), 30);
    EXPECT_NEAR(r.GasTime[0], 4.6, 1e-9);
    EXPECT_EQ(r.GasVacuum[0], 400);
    EXPECT_EQ(r.GasVacuum[1], 0);
    EXPECT_EQ(r.GasTime[2], 0);
    EXPECT_EQ(r.GasVacuum[2], 0);
    EXPECT_EQ(r.GasTime[3], 0);
    EXPECT_EQ(r.GasVacuum[3], 600);  // 590 / 20 = 29.5 -> 30
    EXPECT_EQ(r.PetrolTime[5], 9);
    // Set 1 fills slots 30-59; slot 60 stays 0.
    EXPECT_EQ(DecodeSamples(r, false, 1, Answer({{250, 300}}), SampleScale{}), 30);
    EXPECT_EQ(r.PetrolVacuum[30], 300);
    EXPECT_DOUBLE_EQ(r.PetrolTime[30], QuantiseTime(2.0));
    EXPECT_EQ(r.PetrolVacuum[60], 0);
}

TEST(MapSamples, ShortAnswerFillsOnlyTheSamplesItHolds) {
    MapRecord r;
    r.PetrolVacuum.fill(999);
    // 60 bytes pass the length check but hold 14 whole samples (and 3 bytes of a 15th).
    std::string data = Answer({{250, 300}, {250, 320}}, 30).substr(0, 60);
    EXPECT_EQ(DecodeSamples(r, false, 0, data, SampleScale{}), 14);
    EXPECT_EQ(r.PetrolVacuum[1], 320);
    EXPECT_EQ(r.PetrolVacuum[13], 0);
    EXPECT_EQ(r.PetrolVacuum[14], 999);  // not read past the answer's end
    EXPECT_EQ(r.PetrolVacuum[29], 999);
    // Below 60 bytes nothing is read.
    EXPECT_EQ(DecodeSamples(r, false, 1, data.substr(0, 59), SampleScale{}), 0);
    EXPECT_EQ(DecodeSamples(r, false, 0, "", SampleScale{}), 0);
    EXPECT_EQ(r.PetrolVacuum[30], 999);
}

TEST(MapSamples, MergeAndCount) {
    struct Case {
        const char* name;
        MapRecord samples;
        std::vector<std::pair<double, double>> petrolAfter;  // slots 0.. of the map
        int matched;
    };
    const Case cases[] = {
        {"400 and 405 merge, 415 stays", Petrol({{400, 3}, {415, 5}, {405, 4}}, {410, 420}),
         {{402.5, 3.5}, {415, 5}, {0, 0}}, 2},
        {"a zero time is ignored", Petrol({{400, 0}, {405, 4}, {400, 2}}, {800}), {{400, 0}, {402.5, 3}, {0, 0}}, 0},
        {"no shared class", Petrol({{400, 3}}, {440, 360}), {{400, 3}}, 0},
        {"many gas samples of a class count once", Petrol({{400, 3}}, {400, 405, 395}), {{400, 3}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MapComputation m = MergeAndCount(c.samples);
        for (std::size_t i = 0; i < c.petrolAfter.size(); ++i) {
            EXPECT_DOUBLE_EQ(m.map.PetrolVacuum[i], c.petrolAfter[i].first) << i;
            EXPECT_DOUBLE_EQ(m.map.PetrolTime[i], c.petrolAfter[i].second) << i;
        }
        EXPECT_EQ(m.map.GasVacuum, c.samples.GasVacuum);  // gas samples are not merged
        EXPECT_EQ(m.matched, c.matched);
    }
}

TEST(MapSamples, PairPointsFollowTheCorrectionTableAndStayOnThePage) {
    TimeTable cor{};
    for (int i = 0; i < kTimeTableSize; ++i) cor[static_cast<std::size_t>(i)] = i / 100.0;
    cor[191] = 1000;  // a model entry, never a time's correction
    MapRecord m = Petrol({{400, 2.56}, {600, 45}}, {400, 410, 600});
    m.GasTime[1] = 4;
    m.GasTime[2] = 30;
    const auto points = PairPoints(m, cor);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], (MapPairPoint{2.56, 0.20 + 3}));  // entry round(2.56 / 0.128) = 20
    EXPECT_EQ(points[1], (MapPairPoint{2.56, 0.20 + 4}));
    // 45 ms: x limited to 20; its entry is past the time entries: the last one (1.83) is used.
    EXPECT_EQ(points[2], (MapPairPoint{kModelXMax, kModelYMax}));
    m.GasTime[2] = 1;
    EXPECT_DOUBLE_EQ(PairPoints(m, cor)[2].y, 1.83 + 1);
}

TEST(MapFiles, SavedBytesFollowTheNumberFormat) {
    MapRecord r;
    r.PetrolVacuum[0] = 400;
    r.PetrolTime[0] = 19 * 0.2;  // 3.8000000000000003 as a double
    r.GasVacuum[0] = 420;
    r.GasTime[0] = -0.2;
    const std::string comma = SaveMapText(r, NumberLocale::Comma());
    EXPECT_EQ(comma.substr(0, 33), " 400 \r\n 3,8 \r\n 420 \r\n-0,2 \r\n 0 \r\n");
    EXPECT_EQ(SaveMapText(r, NumberLocale::Dot()).substr(0, 28), " 400 \r\n 3.8 \r\n 420 \r\n-0.2 \r\n");
    // 240 lines; the empty slots are " 0 ".
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = comma.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    EXPECT_EQ(lines, 240u);
    EXPECT_EQ(comma.size(), 28 + 236 * 5u);
}

TEST(MapFiles, LoadQuantisesRepeatsTheLastLineAndStopsAtABadLine) {
    const NumberLocale comma = NumberLocale::Comma();
    MapRecord before;
    before.GasTime.fill(7);
    struct Case {
        const char* name;
        std::string text;
        double petrolVacuum0, petrolTime0, gasVacuum0, gasTime0, petrolVacuum59;
        int badLine;
    };
    const Case cases[] = {
        {"quantised", "405\r\n3,95\r\n415\r\n-0,1\r\n", 400, 4, 420, 0, 0, 0},
        {"an empty line is 0", "405\r\n\r\n  \r\n,5\r\n", 400, 0, 0, 0.4, 0, 0},
        {"a short file repeats its last line", "405\r\n3,95\r\n410\r\n", 400, 4, 400, 410, 400, 0},
        {"an empty file reads 0", "", 0, 0, 0, 0, 0, 0},
        {"a bad line stops the reading", "405\r\n3,95\r\nabc\r\n1\r\n", 400, 4, 0, 7, 0, 3},
        {"a time too large to quantise is a bad line", "405\r\n3,95\r\n1\r\n1e308\r\n", 400, 4, 0, 7, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MapFileReading r = LoadMapText(c.text, comma, before, "line %1", "T");
        EXPECT_DOUBLE_EQ(r.record.PetrolVacuum[0], c.petrolVacuum0);
        EXPECT_NEAR(r.record.PetrolTime[0], c.petrolTime0, 1e-9);
        EXPECT_DOUBLE_EQ(r.record.GasVacuum[0], c.gasVacuum0);
        EXPECT_NEAR(r.record.GasTime[0], c.gasTime0, 1e-9);
        EXPECT_NEAR(r.record.PetrolVacuum[59], c.petrolVacuum59, 1e-9);
        EXPECT_EQ(r.badLine, c.badLine);
        if (c.badLine) {
            ASSERT_EQ(r.warnings.size(), 1u);
            EXPECT_EQ(r.warnings[0].text, "line " + std::to_string(c.badLine));
            EXPECT_EQ(r.record.GasTime[59], 7);  // what was not read keeps its value
        } else {
            EXPECT_TRUE(r.warnings.empty());
        }
    }
}

TEST(MapFiles, RoundTripKeepsQuantisedValues) {
    MapRecord r;
    for (int k = 0; k < kMapUsedSlots; ++k) {
        const auto i = static_cast<std::size_t>(k);
        r.PetrolVacuum[i] = QuantiseVacuum(200 + 13 * k);
        r.PetrolTime[i] = QuantiseTime(1 + 0.37 * k);
        r.GasVacuum[i] = QuantiseVacuum(205 + 11 * k);
        r.GasTime[i] = QuantiseTime(1.1 + 0.41 * k);
    }
    for (const NumberLocale& loc : {NumberLocale::Comma(), NumberLocale::Dot()}) {
        const MapFileReading back = LoadMapText(SaveMapText(r, loc), loc, MapRecord{}, "%1", "");
        EXPECT_EQ(back.badLine, 0);
        for (std::size_t i = 0; i < 60; ++i) {
            EXPECT_DOUBLE_EQ(back.record.PetrolVacuum[i], r.PetrolVacuum[i]);
            EXPECT_NEAR(back.record.PetrolTime[i], r.PetrolTime[i], 1e-12);
            EXPECT_DOUBLE_EQ(back.record.GasVacuum[i], r.GasVacuum[i]);
            EXPECT_NEAR(back.record.GasTime[i], r.GasTime[i], 1e-12);
        }
    }
}

TEST(MapFiles, DumpQuotesEveryLine) {
    MapRecord s, m;
    s.PetrolVacuum[0] = 400;
    s.PetrolTime[0] = 3.5;
    m.GasTime[59] = 2;
    const std::string d = MapDumpText(s, m, NumberLocale::Comma());
    const std::string head = "\"Punti Mappati\"\r\n\"X_VacmBnz | Y_TinjBnz | X_VacmGas(i) | Y_TinjGas(i)\"\r\n"
                             "\"400 | 3,5 | 0 | 0\"\r\n";
    EXPECT_EQ(d.substr(0, head.size()), head);
    const std::string tail = "\"\"\r\n\"Punti Selezionati\"\r\n";
    EXPECT_NE(d.find(tail), std::string::npos);
    const std::string last = "\"0 | 0 | 0 | 2\"\r\n";
    EXPECT_EQ(d.substr(d.size() - last.size()), last);
}
