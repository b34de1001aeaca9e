// The viewer commands of gas-workbench-cli on its command line: both files of log-export and
// its format, record's file and duration, and what is refused.
#include <gtest/gtest.h>

#include "cli/CliOptions.h"

using namespace gw;
using Args = std::vector<std::string>;

TEST(ViewCommandLine, ExportAndRecordTakeTheirFilesAndOptions) {
    auto p = cli::ParseCliArguments({"log-export", "in.txt", "out.csv", "--format", "csv"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.command, "log-export");
    EXPECT_EQ(p.options.operand, "in.txt");
    EXPECT_EQ(p.options.operand2, "out.csv");
    EXPECT_EQ(p.options.format, "csv");
    EXPECT_EQ(cli::ParseCliArguments({"log-export", "in.txt", "out.vflf"}).options.format, "vflf");

    p = cli::ParseCliArguments({"--simulate", "record", "--seconds", "12.5", "drive.vfl", "--timeout", "9"});
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.options.command, "record");
    EXPECT_EQ(p.options.operand, "drive.vfl");
    EXPECT_EQ(p.options.seconds, 12.5);
    EXPECT_EQ(p.options.timeoutS, 9);
    EXPECT_TRUE(p.options.port.simulated);

    struct Bad {
        Args args;
        std::string mentions;
    };
    const Bad bad[] = {
        {{"log-export", "in.txt"}, "OUT"},
        {{"log-export", "a", "b", "--format", "xls"}, "xls"},
        {{"record"}, "OUT"},
        {{"record", "a.vfl", "--format", "csv"}, "--format"},
        {{"monitor", "--format", "csv"}, "log-export"},
    };
    for (const Bad& b : bad) {
        const auto r = cli::ParseCliArguments(b.args);
        EXPECT_NE(r.error.find(b.mentions), std::string::npos) << b.args[0] << ": " << r.error;
    }
}
