// The expert window's layout file: the shipped file, blocks that cannot be trusted skipped
// one by one, and every control kept inside its container whatever the file says.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/ExpertLayout.h"
#include "support/TempDir.h"

using namespace gw;

namespace {

const std::string kStart = "[Sessione pagina Expert]\r\n";
const std::string kEnd = "[Fine pagina Expert]\r\n";

std::string Block(const std::string& name, const std::string& props, const std::string& index = "None") {
    return "[Name]\r\n" + name + "\r\n[Index]\r\n" + index + "\r\n" + props + "[EndName]\r\n";
}

// Every control inside the area it belongs to.
void ExpectInside(const ExpertLayout& layout) {
    for (const auto& c : layout.Controls()) {
        int w = ExpertLayout::kSmallClientWidth, h = ExpertLayout::kSmallClientHeight;
        if (c.kind == LayoutKind::Frame) {
            w = ExpertLayout::kMaxClientWidth;
            h = ExpertLayout::kMaxClientHeight;
        } else if (!c.container.empty()) {
            w = layout.Find(c.container)->width;
            h = layout.Find(c.container)->height;
        }
        EXPECT_GE(c.left, 0) << c.name;
        EXPECT_GE(c.top, 0) << c.name;
        EXPECT_GE(c.width, 0) << c.name;
        EXPECT_GE(c.height, 0) << c.name;
        EXPECT_LE(c.left + c.width, w) << c.name;
        EXPECT_LE(c.top + c.height, h) << c.name;
    }
}

}  // namespace

TEST(ExpertLayout, ShippedFileAppliesWholeAndHidesTheFirstLevelExtras) {
    ExpertLayout layout;
    const LayoutReport r = layout.ApplyFile(std::string(GW_SOURCE_DIR) + "/data/LNG/exp.cfg");
    EXPECT_TRUE(r.skipped.empty()) << r.skipped.front();
    EXPECT_GT(r.applied, 20);
    EXPECT_FALSE(layout.Find("CmdClearHoursCnt")->visible);
    EXPECT_FALSE(layout.Find("ChkAbilCompRpm")->visible);
    EXPECT_TRUE(layout.Find("CmbpressVolRef")->visible);
    // The shipped file restates the designed geometry.
    EXPECT_EQ(layout.Find("FrmExp")->width, ExpertLayout().Find("FrmExp")->width);
    ExpectInside(layout);
}

TEST(ExpertLayout, BlocksThatCannotBeTrustedAreSkippedOneByOne) {
    struct Case {
        const char* what;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"unknown control", Block("CmdLaunch", "[Left]\r\n500\r\n")},
        {"absurd width", Block("CmbBadBit", "[Left]\r\n500\r\n[Width]\r\n999999\r\n")},
        {"negative height", Block("CmbBadBit", "[Height]\r\n-40\r\n")},
        {"non-numeric top", Block("CmbBadBit", "[Left]\r\n500\r\n[Top]\r\nhigh\r\n")},
        {"decimal size", Block("CmbBadBit", "[Width]\r\n12.5\r\n")},
        {"visible not a boolean", Block("CmbBadBit", "[Visible]\r\nperhaps\r\n")},
        {"alignment out of range", Block("CmbBadBit", "[Alignment]\r\n7\r\n")},
        {"colour out of range", Block("CmbBadBit", "[BackColor]\r\n&H1FFFFFF\r\n")},
        {"index on a control without one", Block("CmbBadBit", "[Left]\r\n500\r\n", "3")},
        {"value missing", "[Name]\r\nCmbBadBit\r\n[Width]\r\n[EndName]\r\n"},
        {"cut short by the next block", "[Name]\r\nCmbBadBit\r\n[Left]\r\n500\r\n"},
        {"no name", "[Name]\r\n[Left]\r\n500\r\n[EndName]\r\n"},
    };
    const ExpertLayout designed;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpertLayout layout;
        // The bad block, then a good one: only the bad one is skipped.
        const LayoutReport r =
            layout.Apply(kStart + c.body + Block("LblTimeWork", "[Left]\r\n200\r\n[Visible]\r\nFalse\r\n") + kEnd);
        EXPECT_EQ(r.skipped.size(), 1u);
        EXPECT_EQ(r.applied, 1);
        const LayoutControl& bad = *layout.Find("CmbBadBit");
        const LayoutControl& was = *designed.Find("CmbBadBit");
        EXPECT_EQ(bad.left, was.left);
        EXPECT_EQ(bad.width, was.width);
        EXPECT_EQ(bad.height, was.height);
        EXPECT_TRUE(bad.visible);
        EXPECT_EQ(layout.Find("LblTimeWork")->left, 200);
        EXPECT_FALSE(layout.Find("LblTimeWork")->visible);
        ExpectInside(layout);
    }
}

TEST(ExpertLayout, PositionsAndSizesAreKeptInsideTheirContainer) {
    ExpertLayout layout;
    const LayoutReport r = layout.Apply(
        kStart + Block("CmbRpmLow", "[Left]\r\n-5000\r\n[Top]\r\n30000\r\n") +
        Block("FrmTrueExpert", "[Left]\r\n14000\r\n[Width]\r\n30000\r\n") +
        Block("CmdChangeStatoEcu", "[Left]\r\n9000\r\n[Width]\r\n20000\r\n") + Block("TxtPw", "[Top]\r\n2000\r\n") +
        // Shrinking a frame after its controls were placed still leaves them inside.
        Block("FrmExp", "[Width]\r\n1000\r\n[Height]\r\n800\r\n") + kEnd);
    EXPECT_TRUE(r.skipped.empty());
    const auto& low = *layout.Find("CmbRpmLow");
    EXPECT_EQ(low.left, 0);
    EXPECT_EQ(low.top + low.height, 800);
    const auto& full = *layout.Find("FrmTrueExpert");
    EXPECT_EQ(full.width, ExpertLayout::kMaxClientWidth);
    EXPECT_EQ(full.left, 0);
    EXPECT_EQ(layout.Find("CmdChangeStatoEcu")->width, full.width);
    // The password box stays where the small window shows it.
    EXPECT_LE(layout.Find("TxtPw")->top + layout.Find("TxtPw")->height, ExpertLayout::kSmallClientHeight);
    ExpectInside(layout);
}

TEST(ExpertLayout, ReadsOnlyBetweenTheMarkersAndKeepsEmptyValues) {
    ExpertLayout layout;
    const std::string text = Block("CmbBadBit", "[Left]\r\n10\r\n") + kStart +
                             // fields separated by commas on one line; an empty value keeps the designed one
                             "[Name],CmbSafetyCar,[Index],None,[Left],700,[Width],\r\n[EndName]\r\n" +
                             Block("cmbsafetycar", "[ForeColor]\r\n&HFF\r\n[BackColor]\r\n-2147483633\r\n") + kEnd +
                             Block("CmbTypSensMap", "[Left]\r\n10\r\n");
    const LayoutReport r = layout.Apply(text);
    EXPECT_TRUE(r.skipped.empty());
    EXPECT_EQ(r.applied, 2);
    const ExpertLayout designed;
    EXPECT_EQ(layout.Find("CmbBadBit")->left, designed.Find("CmbBadBit")->left);
    EXPECT_EQ(layout.Find("CmbTypSensMap")->left, designed.Find("CmbTypSensMap")->left);
    const auto& safety = *layout.Find("CmbSafetyCar");
    EXPECT_EQ(safety.left, 700);
    EXPECT_EQ(safety.width, designed.Find("CmbSafetyCar")->width);
    EXPECT_EQ(safety.foreColor, 0xFFu);
    EXPECT_EQ(safety.backColor, 0x8000000Fu);  // the button face, a system colour
}

TEST(ExpertLayout, HostileFilesNeverCrashNorMoveAControlOffTheWindow) {
    const char* vocabulary[] = {"[Name]",      "[Index]",   "[Visible]", "[Width]",     "[Height]",
                                "[Top]",       "[Left]",    "[EndName]", "[Alignment]", "[BackColor]",
                                "[ForeColor]", "FrmExp",    "CmbBadBit", "TxtPw",       "FrmTrueExpert",
                                "-99999",      "2147483647", "0",        "True",        "&HFFFFFFFF",
                                "",            ",",          "\"",       "\r",          "[Fine pagina Expert]"};
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::string text = kStart;
        const int n = static_cast<int>(rng() % 200);
        for (int k = 0; k < n; ++k) {
            if (rng() % 10 == 0) text += std::to_string(static_cast<int>(rng() % 40000) - 5000);
            else if (rng() % 25 == 0) text += std::string(1, static_cast<char>(rng() % 256));
            else text += vocabulary[rng() % std::size(vocabulary)];
            text += "\r\n";
        }
        ExpertLayout layout;
        layout.Apply(text);
        ExpectInside(layout);
        if (HasFailure()) {
            ADD_FAILURE() << "round " << round;
            return;
        }
    }
    // A missing file and an oversized one change nothing.
    gwtest::TempDir dir;
    ExpertLayout layout;
    EXPECT_EQ(layout.ApplyFile(dir.File("none.cfg")).applied, 0);
    dir.Write("big.cfg", kStart + std::string(ExpertLayout::kMaxFileBytes, 'x'));
    EXPECT_EQ(layout.ApplyFile(dir.File("big.cfg")).skipped.size(), 1u);
}
