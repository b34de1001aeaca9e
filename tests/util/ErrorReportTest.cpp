#include <gtest/gtest.h>

#include <cerrno>

#include "util/ErrorReport.h"
#include "util/EventHost.h"

using namespace gw;

TEST(ErrorReport, TextNamesTheProcedureAndTheNumber) {
    const std::string head = "Cannot read the file. ErrorLoadVarFile:\r";
    const struct { bool system; long number; const char* description; std::string text; } cases[] = {
        {false, 0, "ignored", head},
        {false, 53, "File not found", head + "\r53 - File not found"},
        {false, 99999, "Top", head + "\r99999 - Top"},
        {false, 100000, "Big", head + "\r = &H000186A0 - Big"},
        {false, -2147467259, "Unspecified", head + "\r = &H80004005 - Unspecified"},
        {false, -1, "", head + "\r = &HFFFFFFFF - "},
        {false, 3146, "Call failed", head},            // left out unless it is a system error
        {true, 3146, "Call failed", head + "\r3146 - "},  // system errors carry no description
        {true, 5, "Access denied", head + "\r5 - "},
        {true, 0, "", head},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorReportText("LoadVarFile", "Cannot read the file. ", c.system, {c.number, c.description}), c.text)
            << c.number;
}

TEST(ErrorReport, ShowsACriticalBoxTitledWithTheApplication) {
    VirtualHost host;
    ErrorReport(host, "Gas Bench", "SaveVarFile", "Write failed. ", false, {75, "Path/File access error"});
    errno = ENOENT;
    ErrorReport(host, "Gas Bench", "OpenPort", "", true);
    ASSERT_EQ(host.Messages().size(), 2u);
    const ShownMessage& first = host.Messages()[0];
    EXPECT_EQ(first.text, "Write failed. ErrorSaveVarFile:\r\r75 - Path/File access error");
    EXPECT_EQ(first.title, "Gas Bench: Error");
    EXPECT_EQ(first.icon, MsgIcon::Critical);
    EXPECT_EQ(first.buttons, MsgButtons::Ok);
    // Without a number of its own, the system error is the last one the system reported.
    EXPECT_EQ(host.Messages()[1].text, "ErrorOpenPort:\r\r" + std::to_string(ENOENT) + " - ");
}
