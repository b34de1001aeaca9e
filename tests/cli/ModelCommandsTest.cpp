// model-show: the command line takes it with a timeout only, and what it prints for a table
// names the model's points, slope and offset, every entry, and a table that is not a model.
#include <gtest/gtest.h>

#include <string>

#include "cli/CliOptions.h"
#include "cli/ModelCommands.h"
#include "model/CorrectionTables.h"
#include "model/ModelEditing.h"

using namespace gw;

namespace {

TEST(ModelShow, PrintsTheModelAndEveryEntryOfTheTable) {
    const auto parsed = cli::ParseCliArguments({"--simulate", "model-show", "--timeout", "5"});
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    EXPECT_EQ(parsed.options.command, "model-show");
    EXPECT_FALSE(cli::ParseCliArguments({"model-show", "--stay", "1"}).error.empty());
    EXPECT_NE(cli::CliUsage().find("  model-show "), std::string::npos);

    ModelRecord m;
    m.Alfa = 1.12f;
    m.Offset = 0.416f;
    m.points[2].Shift = -0.384f;
    m.points[2].Enrich = 0.312f;
    RecomputeModel(m);
    TimeTable t{};
    ModelToTable(t, m);
    const std::string text = cli::ModelShowText(t);
    EXPECT_NE(text.find("model: the table is the model's\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  2       7.680     9.330     0.312\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Alfa   1.120\nOffset 0.416 ms\n"), std::string::npos) << text;
    EXPECT_NE(text.find("184:    0.416    1.120    0.000   30.000   60.000   94.000  125.000  157.000\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("176:"), std::string::npos);
    EXPECT_EQ(text.find("-0.000"), std::string::npos);

    t[187] = t[188];  // two points on one place
    EXPECT_NE(cli::ModelShowText(t).find("cannot be a model"), std::string::npos);
}

}  // namespace
