// Warnings handed back by readers: shown by the caller as the same boxes, or printed.
#include <gtest/gtest.h>

#include "util/ErrorReport.h"
#include "util/EventHost.h"
#include "util/Warnings.h"

using namespace gw;

TEST(Warnings, ShownAsOkBoxesInTheirOrderWithTheirOwnTitleAndIcon) {
    VirtualHost host;
    const Warnings warnings = {{"HEADER WRONG ", "FileExist", MsgIcon::Information},
                               ErrorReportWarning("Gas Bench", "IniziaTipoInj_Err", "Config level sensor error",
                                                  {13, "Type mismatch"})};
    ShowWarnings(host, warnings);
    ShowWarnings(host, {});
    ASSERT_EQ(host.Messages().size(), 2u);
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        const ShownMessage& m = host.Messages()[i];
        EXPECT_EQ(m.text, warnings[i].text) << i;
        EXPECT_EQ(m.title, warnings[i].title) << i;
        EXPECT_EQ(m.icon, warnings[i].icon) << i;
        EXPECT_EQ(m.buttons, MsgButtons::Ok) << i;
    }
}

TEST(Warnings, AnErrorReportWarningIsTheBoxErrorReportShows) {
    VirtualHost host;
    const ErrorInfo err{6, "Overflow"};
    ErrorReport(host, "Gas Bench", "LeggiParametriTaratura_Err", "Config calibration parameters error", false, err);
    ShowWarnings(host, {ErrorReportWarning("Gas Bench", "LeggiParametriTaratura_Err",
                                           "Config calibration parameters error", err)});
    ASSERT_EQ(host.Messages().size(), 2u);
    const ShownMessage& direct = host.Messages()[0];
    const ShownMessage& viaWarning = host.Messages()[1];
    EXPECT_EQ(viaWarning.text, direct.text);
    EXPECT_EQ(viaWarning.title, direct.title);
    EXPECT_EQ(viaWarning.icon, direct.icon);
    EXPECT_EQ(viaWarning.buttons, direct.buttons);
}

TEST(Warnings, PrintedOnOneLineEach) {
    const Warning w = ErrorReportWarning("Gas Bench", "IniziaTipoLambda_Err", "Config lambda sensor error",
                                         {13, "Type mismatch"});
    EXPECT_EQ(WarningLine(w), "[Gas Bench: Error] Config lambda sensor errorErrorIniziaTipoLambda_Err:  13 - Type mismatch");
    EXPECT_EQ(WarningLine({"a\r\nb\nc", "", MsgIcon::None}), "[] a  b c");
}
