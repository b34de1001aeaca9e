// The ECU error memory: the mask that hides errors not relevant to the installation, the
// warning button, the errors window's grid, and "Canc." against the simulated ECU's
// errors coming and going on virtual time.
#include <gtest/gtest.h>

#include "app/ErrEcuWindow.h"
#include "app/MainCaptions.h"
#include "link/Commands.h"
#include "model/ImageFixture.h"
#include "util/FileIo.h"

using namespace gw;
using namespace gwtest;

namespace {

std::vector<std::string> Texts(int n) {
    std::vector<std::string> t;
    for (int i = 0; i < n; ++i) t.push_back("E" + std::to_string(i) + "?OK|Fault|Short");
    return t;
}

class Errors : public ImageFixture {
protected:
    Errors() {
        ReadAll();
        errors.SetTexts(Texts(13), "Errori");
        maskBinding = errors.MaskInputs.Bind([this] {
            ErrorMaskInputs in = MaskInputsFromImage(image);
            in.gasTempShown = gasTempShown;
            in.lambdaListVisible = lambdaListVisible;
            return in;
        });
        // Errors 0-12 all relevant until a case says otherwise.
        image.Block3.EmptyGas = 1;
        image.Block2.AbilAcq[0] = 1;
        image.Block3.SwtchLambdaType = 1;
        image.Block3.TpyInj = 1;
    }
    // Half a minute of display ticks: the S6 slot reads the errors every 504 ticks of 14 ms.
    static constexpr double kS6Us = 504 * 14000.0;

    EcuErrors errors;
    bool gasTempShown = true;
    bool lambdaListVisible = true;
    Connection maskBinding;
};

}  // namespace

TEST_F(Errors, MaskedAndUnavailableErrorsNeverLightTheWarning) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> bytes;  // index, value
        std::function<void()> setup;
        bool warning;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, [] {}, false},
        {"end of gas, check off", {{8, 1}}, [&] { image.Block3.EmptyGas = 0; }, false},
        {"end of gas memorised, check off", {{40, 1}}, [&] { image.Block3.EmptyGas = 0; }, false},
        {"end of gas, check on", {{8, 1}}, [] {}, true},
        {"end of gas memorised, check on", {{40, 2}}, [] {}, true},
        {"injector, type code 2", {{3, 1}, {35, 1}}, [&] { image.Block3.TpyInj = 2; }, false},
        {"injector, type code 1", {{3, 1}}, [] {}, true},
        {"not available", {{5, 255}, {37, 255}}, [] {}, false},
        {"not available before a real one", {{5, 255}, {10, 1}}, [] {}, true},
        {"vacuum, acquisition off", {{9, 1}}, [&] { image.Block2.AbilAcq[0] = 0; }, false},
        {"gas temperature box hidden", {{11, 1}}, [&] { gasTempShown = false; }, false},
        {"lambda, no sensor", {{12, 1}}, [&] { image.Block3.SwtchLambdaType = 0; }, false},
        {"lambda, list hidden", {{12, 1}}, [&] { lambdaListVisible = false; }, false},
        {"lambda, sensor chosen", {{44, 1}}, [] {}, true},
        {"an error the dictionary does not name", {{20, 1}, {52, 1}}, [] {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        image.Block3.EmptyGas = 1;
        image.Block2.AbilAcq[0] = 1;
        image.Block3.SwtchLambdaType = 1;
        image.Block3.TpyInj = 1;
        gasTempShown = lambdaListVisible = true;
        c.setup();
        Mem().errors.fill(0);
        for (auto [i, v] : c.bytes) Mem().errors[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v);
        EXPECT_TRUE(errors.CaricaErroriEcu(comm));
        EXPECT_EQ(errors.Warning().visible, c.warning);
        if (c.warning) {
            EXPECT_EQ(errors.Warning().caption, "Errori");
            EXPECT_EQ(errors.Warning().backColor, 0x80C0FFu);
        }
        // A masked error is gone from the link's copy, present and memorised alike.
        for (auto [i, v] : c.bytes) {
            const auto k = static_cast<std::size_t>(i);
            const bool masked = errors.Mask()[k] != 0;
            EXPECT_EQ(masked, errors.Mask()[k < 32 ? k + 32 : k - 32] != 0);
            EXPECT_EQ(comm.ErrInj[k], masked ? 0 : v) << i;
        }
    }
}

TEST_F(Errors, CancHidesTheWarningAtOnceAndOnlyAnUnmaskedErrorBringsItBack) {
    const double t0 = host.MicroClock();
    // Injector 4 faulty for 10 s; error 10 only for the first second (then memorised).
    ecu->Errors().Add(3, 1, t0, t0 + 10e6);
    ecu->Errors().Add(10, 2, t0, t0 + 1e6);
    host.Advance(2e6);
    ASSERT_TRUE(errors.CaricaErroriEcu(comm));
    EXPECT_TRUE(errors.Warning().visible);
    EXPECT_EQ(comm.ErrInj[3], 1);
    EXPECT_EQ(comm.ErrInj[10], 0);
    EXPECT_EQ(comm.ErrInj[42], 2);

    ErrEcuWindow window(errors, comm);
    window.Load(ClsLingue{});
    window.Cancel();
    EXPECT_FALSE(errors.Warning().visible);  // at once, before any read
    EXPECT_EQ(Count(CMD_CANC_ERR), 1);
    for (const auto& r : window.Rows()) EXPECT_TRUE(r.present.empty() && r.memorised.empty()) << r.name;
    EXPECT_EQ(comm.ErrInj[42], 0);

    // The next S6 read: error 3 is still there, error 10 is forgotten.
    host.Advance(kS6Us);
    ASSERT_TRUE(errors.CaricaErroriEcu(comm));
    EXPECT_TRUE(errors.Warning().visible);
    EXPECT_EQ(comm.ErrInj[42], 0);
    window.RefreshStates();
    EXPECT_EQ(window.Rows()[3].present, "Fault");
    EXPECT_EQ(window.Rows()[3].memorised, "Fault");

    // Cleared again after error 3 has gone: nothing comes back.
    host.Advance(kS6Us);
    window.Cancel();
    host.Advance(kS6Us);
    ASSERT_TRUE(errors.CaricaErroriEcu(comm));
    EXPECT_FALSE(errors.Warning().visible);

    // An error still present but masked for this installation does not bring it back.
    ecu->Errors().Add(5, 1, host.MicroClock());
    image.Block3.TpyInj = 2;
    host.Advance(kS6Us);
    ASSERT_TRUE(errors.CaricaErroriEcu(comm));
    EXPECT_FALSE(errors.Warning().visible);
    image.Block3.TpyInj = 1;
    host.Advance(kS6Us);
    ASSERT_TRUE(errors.CaricaErroriEcu(comm));
    EXPECT_TRUE(errors.Warning().visible);
}

TEST_F(Errors, GridRowsShowEachNamedErrorWithItsOwnStates) {
    errors.SetTexts({"A?ok|bad", " ?x|y", "  C  ?ok|bad|worse", "D"}, "Errori");
    const auto diz = ReadWholeFile(std::string(GW_SOURCE_DIR) + "/data/LNG/M3.diz", 1 << 22);
    ASSERT_TRUE(diz);
    ClsLingue lingue;
    lingue.SetPathDizionario(dir.Write("LNG/M3.diz", *diz));
    lingue.SetPathAttualeLingua(dir.Write("LNG/M3.con", "0\r\n"));
    ASSERT_TRUE(lingue.LoadDizionario());

    comm.ErrInj.fill(0);
    comm.ErrInj[2] = 2;
    comm.ErrInj[34] = 1;
    comm.ErrInj[3] = 1;
    comm.ErrInj[0] = 255;
    ErrEcuWindow window(errors, comm);
    window.Load(lingue);
    EXPECT_EQ(window.Headers(), (std::array<std::string, 3>{"Error", "Present", "Memorised"}));
    EXPECT_EQ(window.CancelCaption(), "Canc.");
    EXPECT_EQ(window.Caption(), "Errori ");
    ASSERT_EQ(window.Rows().size(), 3u);  // the error without a name has no row
    EXPECT_EQ(window.Rows()[0].name, "A");
    EXPECT_EQ(window.Rows()[0].present, "");  // 255: no text
    EXPECT_EQ(window.Rows()[0].memorised, "ok");
    EXPECT_EQ(window.Rows()[1].name, "C");
    EXPECT_EQ(window.Rows()[1].error, 2);
    EXPECT_EQ(window.Rows()[1].present, "worse");
    EXPECT_EQ(window.Rows()[1].memorised, "bad");
    EXPECT_EQ(window.Rows()[2].name, "D");
    EXPECT_EQ(window.Rows()[2].present, "");  // no states in the text

    // Fewer texts after a language change: rows made earlier show nothing, no crash.
    errors.SetTexts({"A?ok|bad"}, "Errori");
    window.RefreshStates();
    EXPECT_EQ(window.Rows()[1].present, "");
}

TEST(ErrorTexts, NameAndStateParts) {
    EXPECT_EQ(ErrorName("  Gas injector 1 ?OK|Fault"), "Gas injector 1");
    EXPECT_EQ(ErrorName("No states"), "No states");
    struct Case {
        const char* text;
        int value;
        const char* state;
    } cases[] = {
        {"N?OK|Fault|Short", 0, "OK"}, {"N?OK|Fault|Short", 2, "Short"}, {"N?OK|Fault|Short", 3, ""},
        {"N?OK|Fault|Short", 255, ""}, {"N?OK||Short", 1, ""},          {"N", 0, ""},
        {"N?", 0, ""},                 {"N?a?b|c", 0, "a?b"},           {"", 0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorStateText(c.text, c.value), c.state) << c.text << " " << c.value;
}
