#include <gtest/gtest.h>

#include "util/EventHost.h"
#include "util/FileIo.h"
#include "support/TempDir.h"

using namespace gw;

TEST(VirtualHost, TimersTickOnVirtualTimeAndNestedWaitsKeepThemRunning) {
    VirtualHost host(0);
    int fast = 0, slow = 0, nestedFast = 0;
    auto t1 = host.CreateTimer([&] { ++fast; });
    t1->SetIntervalMs(1);
    t1->SetEnabled(true);
    bool busy = false;
    auto t2 = host.CreateTimer([&] {
        if (busy) return;  // a nested tick returns at once, as the busy flags do
        busy = true;
        ++slow;
        const int before = fast;
        host.RunEventsUntil(host.MicroClock() + 5000);  // a wait inside a handler
        nestedFast += fast - before;
        busy = false;
    });
    t2->SetIntervalMs(14);
    t2->SetEnabled(true);

    host.RunEventsUntil(100'000);
    // Ticks at 14, 28 ... 98 ms; the last one's own wait runs past the outer deadline,
    // as a handler's wait does on a window system.
    EXPECT_EQ(host.MicroClock(), 103'000);
    EXPECT_GE(fast, 102);
    EXPECT_EQ(slow, 7);
    EXPECT_EQ(nestedFast, 35);

    t1->SetEnabled(false);
    const int frozen = fast;
    host.Advance(10'000);
    EXPECT_EQ(fast, frozen);
}

TEST(VirtualHost, DoEventsAlwaysMovesTheClockSoWaitLoopsEnd) {
    VirtualHost host(0);
    int loops = 0;
    while (host.MicroClock() < 500'000) {
        host.DoEvents();
        ++loops;
    }
    EXPECT_EQ(loops, 500);
    bool fired = false;
    host.ScheduleAt(500'250, [&] { fired = true; });
    host.DoEvents();
    EXPECT_TRUE(fired);
    EXPECT_EQ(host.MicroClock(), 500'250);
}

TEST(VirtualHost, MessageBoxesAreRecordedAndAnsweredFromTheScript) {
    VirtualHost host;
    host.QueueAnswer(MsgAnswer::No);
    EXPECT_EQ(host.MessageBox("Go on?", "Q", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
    EXPECT_EQ(host.MessageBox("Again?", "Q", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::Yes);
    ASSERT_EQ(host.Messages().size(), 2u);
    EXPECT_EQ(host.Messages()[0].text, "Go on?");
}

TEST(FileIo, AtomicSaveReplacesWholeAndAFailedSaveKeepsTheOldFile) {
    gwtest::TempDir dir;
    const std::string p = dir.Write("LNG/a.txt", "old");
    ASSERT_TRUE(SaveFileAtomic(p, std::string("new\0bytes", 9)));
    EXPECT_EQ(dir.Read("LNG/a.txt"), std::string("new\0bytes", 9));
    std::string err;
    EXPECT_FALSE(SaveFileAtomic(dir.File("missing/a.txt"), "x", &err));
    EXPECT_FALSE(err.empty());
    EXPECT_EQ(AppPath(dir.Path(), "\\LNG\\a.txt"), dir.Path() + "/LNG/a.txt");
    EXPECT_EQ(ReadWholeFile(p, 4), std::nullopt);  // larger than allowed
    EXPECT_EQ(ReadWholeFile(dir.Path()), std::nullopt);  // a folder is not a file
}

TEST(NumberLocale, ParsesAndFormatsWithEitherSeparator) {
    struct Case { NumberLocale loc; const char* text; std::optional<double> value; };
    const Case cases[] = {
        {NumberLocale::Comma(), " 0,6 ", 0.6},  {NumberLocale::Dot(), "0.6", 0.6},
        {NumberLocale::Comma(), "-1.234,5", -1234.5}, {NumberLocale::Dot(), "1e3", 1000.0},
        {NumberLocale::Comma(), "0.6", std::nullopt}, {NumberLocale::Dot(), "abc", std::nullopt},
        {NumberLocale::Dot(), "", std::nullopt},  {NumberLocale::Dot(), "1e999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(c.loc.Parse(c.text), c.value) << c.text;
    EXPECT_EQ(NumberLocale::Comma().Format(0.6), "0,6");
    EXPECT_EQ(NumberLocale::Dot().Format(-2.5), "-2.5");
    // Whole and small numbers in plain digits, and every text reads back the same.
    const struct { double v; const char* dot; } plain[] = {
        {30, "30"}, {100, "100"}, {-1200, "-1200"}, {0.0001, "0.0001"}, {-0.0, "0"}, {1e20, "1e+20"}};
    for (const auto& p : plain) EXPECT_EQ(NumberLocale::Dot().Format(p.v), p.dot);
    for (double v : {30.0, 0.1, 1.0 / 3, -123456.789, 2e-5, 7.25e9})
        EXPECT_EQ(NumberLocale::Comma().Parse(NumberLocale::Comma().Format(v)), v) << v;
}
