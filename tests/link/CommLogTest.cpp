#include <gtest/gtest.h>

#include "link/CommLog.h"
#include "support/TempDir.h"

using namespace gw;

TEST(CommLog, OpenRotatesThePreviousLogAndWritesQuotedLines) {
    gwtest::TempDir dir;
    dir.Write("BIN/RxTx.TXT", "old run\r\n");
    dir.Write("BIN/RxTx_Last.TXT", "older run\r\n");
    CommLog log;
    log.Write(1, "T ", "4102");  // not open yet: nothing, no failure
    ASSERT_TRUE(log.Open(dir.File("BIN/RxTx.TXT"), dir.File("BIN/RxTx_Last.TXT"), 1000.4,
                         " Software ver. 01.01.03 TITLE 01/02/2024"));
    EXPECT_EQ(dir.Read("BIN/RxTx_Last.TXT"), "old run\r\n");

    log.Write(1234.5, "T ", "4102060945434F05");
    log.Write(1236.2, "R ", "42010709004543 4F");
    log.Write(1237, "T ", "41023C");        // too short for a code: unknown name
    log.Write(1238, "T ", "4102033C7F");    // code 60: not in the table
    log.Write(1239, "C ", "1");
    log.Close();
    log.Write(1240, "C ", "3");  // closed again: ignored

    EXPECT_EQ(dir.Read("BIN/RxTx.TXT"),
              "\"1000  O  Software ver. 01.01.03 TITLE 01/02/2024\"\r\n"
              "\"CMD_GET_ECO\"\r\n"
              "\"1235 T 4102060945434F05\"\r\n"
              "\"1236 R 42010709004543 4F\"\r\n"
              "\" XXXXXXXXXX \"\r\n"
              "\"1237 T 41023C\"\r\n"
              "\" XXXXXXXXXX \"\r\n"
              "\"1238 T 4102033C7F\"\r\n"
              "\"1239 C 1\"\r\n");
}

TEST(CommLog, OpenFailsQuietlyWhereNoFileCanBeMade) {
    gwtest::TempDir dir;
    CommLog log;
    EXPECT_FALSE(log.Open(dir.File("missing/RxTx.TXT"), dir.File("missing/RxTx_Last.TXT"), 0, "x"));
    EXPECT_FALSE(log.IsOpen());
    log.Write(1, "T ", "41");
}

TEST(CommLog, CommandNames) {
    EXPECT_EQ(CommandName(1), "CMD_GET_ADR_VAR");
    EXPECT_EQ(CommandName(9), "CMD_GET_ECO");
    EXPECT_EQ(CommandName(33), "CMD_READ_FIRMWARE");
    EXPECT_EQ(CommandName(44), "CMD_WRIT_DCOL");
    EXPECT_EQ(CommandName(51), "CMD_GEN");
    for (int unknown : {0, 34, 43, 45, 47, 52, 60, 255, -1})
        EXPECT_EQ(CommandName(unknown), " XXXXXXXXXX ") << unknown;
}
