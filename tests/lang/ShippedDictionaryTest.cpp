// The dictionary shipped in data/LNG: its file form, the two aligned languages, the fixed
// entries, the ECU error list and its end, the entries after it, and every side window's
// marker block, read through ClsLingue the way the windows read them.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/DictionaryEntries.h"
#include "lang/ClsLingue.h"
#include "support/TempDir.h"
#include "util/FileIo.h"

namespace {

using gw::ClsLingue;

constexpr int kEnglish = 0;
constexpr int kItalian = 1;

std::string Shipped(const char* name) {
    const std::optional<std::string> bytes = gw::ReadWholeFile(std::string(GW_SOURCE_DIR) + "/data/LNG/" + name);
    return bytes ? *bytes : std::string();
}

// The error list as the main window reads it: entries 72 onward up to the end marker, at
// most 256 examined. Returns the position of the end marker, or -1 when it is missing.
int FindErrorListEnd(const ClsLingue& lingue, int language) {
    for (int i = 1; i <= gw::kMaxErrorTexts; ++i)
        if (lingue.VoceDizionario(language, gw::kEntryFirstErrorText - 1 + i) == gw::kEndErrorEcu)
            return gw::kEntryFirstErrorText - 1 + i;
    return -1;
}

std::vector<int> FindAll(const ClsLingue& lingue, int language, const std::string& text) {
    std::vector<int> at;
    for (int i = 0; i <= lingue.UboundVociLingua(language); ++i)
        if (lingue.VoceDizionario(language, i) == text) at.push_back(i);
    return at;
}

std::string Trim(const std::string& s) {
    const std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// An error text split as the errors window splits it: the name before the first '?'
// (trimmed), then the '|'-separated state texts.
struct ErrorText {
    std::string name;
    std::vector<std::string> states;
};

std::optional<ErrorText> ParseErrorText(const std::string& text) {
    const std::size_t q = text.find(gw::kErrorNameEnd);
    if (q == std::string::npos) return std::nullopt;
    ErrorText e{Trim(text.substr(0, q)), {}};
    std::size_t start = q + 1;
    for (;;) {
        const std::size_t bar = text.find(gw::kErrorStateSeparator, start);
        e.states.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return e;
}

struct Block {
    const char* marker;
    int entries;  // how many entries the window reads after its marker
};

const Block kBlocks[] = {
    {gw::kMarkerAbout, gw::kAboutEntryCount},   {gw::kMarkerInit, gw::kInitEntryCount},
    {gw::kMarkerLevel, gw::kLevelEntryCount},   {gw::kMarkerInj, gw::kInjEntryCount},
    {gw::kMarkerErrEcu, gw::kErrEcuEntryCount}, {gw::kMarkerExpert, gw::kExpertEntryCount},
};

bool IsMarker(const std::string& text) {
    if (text == gw::kEndErrorEcu) return true;
    for (const Block& b : kBlocks)
        if (text == b.marker) return true;
    return false;
}

class ShippedDictionaryTest : public ::testing::Test {
protected:
    void SetUp() override {
        diz = Shipped("M3.diz");
        con = Shipped("M3.con");
        ASSERT_FALSE(diz.empty()) << "data/LNG/M3.diz is missing";
        // Loading may rewrite the current-language file: work on a copy.
        lingue.SetPathDizionario(dir.Write("LNG/M3.diz", diz));
        lingue.SetPathAttualeLingua(dir.Write("LNG/M3.con", con));
        const gw::LingueResult loaded = lingue.LoadDizionario();
        ASSERT_TRUE(loaded.ok) << loaded.error;
    }

    gwtest::TempDir dir;
    std::string diz, con;
    ClsLingue lingue;
};

TEST_F(ShippedDictionaryTest, FilesAreCrLfLinesWithoutEmptyLinesOrByteOrderMark) {
    EXPECT_EQ(con, "0\r\n");
    EXPECT_EQ(diz.rfind("###\r\n#English\r\n", 0), 0u) << "the file must begin with the first language";
    ASSERT_GE(diz.size(), 2u);
    EXPECT_EQ(diz.substr(diz.size() - 2), "\r\n");
    for (std::size_t i = 0; i < diz.size(); ++i) {
        if (diz[i] == '\n') {
            ASSERT_TRUE(i > 0 && diz[i - 1] == '\r') << "bare LF at byte " << i;
        } else if (diz[i] == '\r') {
            ASSERT_TRUE(i + 1 < diz.size() && diz[i + 1] == '\n') << "bare CR at byte " << i;
        }
    }
    // Empty lines are skipped by the loader: none may stand where an entry is meant.
    EXPECT_EQ(diz.find("\r\n\r\n"), std::string::npos);
}

TEST_F(ShippedDictionaryTest, TwoLanguagesOfEqualLengthWithNoEmptyEntry) {
    ASSERT_EQ(lingue.UboundLingue(), 1);
    EXPECT_EQ(lingue.NomeLingua(kEnglish), "English");
    EXPECT_EQ(lingue.NomeLingua(kItalian), "Italiano");
    EXPECT_EQ(lingue.FindInconsistentLanguage(), -1);
    EXPECT_EQ(lingue.UboundVociLingua(kEnglish), lingue.UboundVociLingua(kItalian));
    EXPECT_EQ(lingue.CurrentLanguage(), kEnglish);
    for (int lang : {kEnglish, kItalian})
        for (int i = 0; i <= lingue.UboundVociLingua(lang); ++i) {
            const std::string text = lingue.VoceDizionario(lang, i);
            EXPECT_FALSE(Trim(text).empty()) << "language " << lang << ", entry " << i;
            // Structure entries stand at the same number in both languages.
            EXPECT_EQ(IsMarker(text), IsMarker(lingue.VoceDizionario(1 - lang, i))) << "entry " << i;
        }
    EXPECT_FALSE(IsMarker(lingue.VoceDizionario(kEnglish, gw::kEntryAppTitle)));
}

TEST_F(ShippedDictionaryTest, ErrorListEndsAtTheSameEntryAndEveryTextParses) {
    const int t = FindErrorListEnd(lingue, kEnglish);
    ASSERT_GT(t, gw::kEntryFirstErrorText) << "no error texts before " << gw::kEndErrorEcu;
    EXPECT_EQ(FindErrorListEnd(lingue, kItalian), t);
    // The ECU reports 32 errors; the shipped list names each of them.
    EXPECT_EQ(t - gw::kEntryFirstErrorText, 32);
    for (int i = gw::kEntryFirstErrorText; i < t; ++i) {
        const std::optional<ErrorText> en = ParseErrorText(lingue.VoceDizionario(kEnglish, i));
        const std::optional<ErrorText> it = ParseErrorText(lingue.VoceDizionario(kItalian, i));
        ASSERT_TRUE(en && it) << "entry " << i << " is not of the form name?state|state";
        EXPECT_FALSE(en->name.empty()) << "entry " << i;
        EXPECT_FALSE(it->name.empty()) << "entry " << i;
        // State 0 (no error) and at least one fault state, the same number in both languages.
        ASSERT_GE(en->states.size(), 2u) << "entry " << i;
        EXPECT_EQ(en->states.size(), it->states.size()) << "entry " << i;
        for (const std::string& s : en->states) EXPECT_FALSE(Trim(s).empty()) << "entry " << i;
        for (const std::string& s : it->states) EXPECT_FALSE(Trim(s).empty()) << "entry " << i;
    }
    // The entries read after the list exist and are texts, not structure.
    ASSERT_LE(t + gw::kAfterErrorsCount, lingue.UboundVoci());
    for (int k = 1; k <= gw::kAfterErrorsCount; ++k)
        EXPECT_FALSE(IsMarker(lingue.VoceDizionario(kEnglish, t + k))) << "T+" << k;
    // The fixed entries hold no structure either.
    for (int i = 0; i < gw::kEntryFirstErrorText; ++i)
        EXPECT_FALSE(IsMarker(lingue.VoceDizionario(kEnglish, i))) << "entry " << i;
}

TEST_F(ShippedDictionaryTest, EveryMarkerOnceInBothLanguagesWithTheEntriesItsWindowReads) {
    const int t = FindErrorListEnd(lingue, kEnglish);
    for (const Block& block : kBlocks) {
        SCOPED_TRACE(block.marker);
        const std::vector<int> en = FindAll(lingue, kEnglish, block.marker);
        const std::vector<int> it = FindAll(lingue, kItalian, block.marker);
        ASSERT_EQ(en.size(), 1u);
        ASSERT_EQ(it, en);
        EXPECT_GT(en[0], t + gw::kAfterErrorsCount) << "a block inside the numbered entries";
        ASSERT_LE(en[0] + block.entries, lingue.UboundVoci());
        for (int k = 1; k <= block.entries; ++k)
            for (int lang : {kEnglish, kItalian})
                EXPECT_FALSE(IsMarker(lingue.VoceDizionario(lang, en[0] + k))) << "entry +" << k << " runs into the next block";
    }
    // The windows search the current language: the loader's search finds the same places.
    EXPECT_EQ(lingue.FindMarker(gw::kMarkerInit), FindAll(lingue, kEnglish, gw::kMarkerInit)[0]);
}

// English texts that are the windows' designed captions, kept exactly (blanks included).
TEST_F(ShippedDictionaryTest, DesignedCaptionsAreKeptExactly) {
    const int t = FindErrorListEnd(lingue, kEnglish);
    ASSERT_GT(t, 0);
    auto block = [&](const char* marker) { return lingue.FindMarker(marker); };
    struct Expect {
        int entry;
        const char* text;
    };
    const std::vector<Expect> expected = {
        {gw::kEntryMnuFileLoadConf, "Load configuration"},
        {gw::kEntryMnuFileSaveConf, "Save configuration"},
        {gw::kEntryMnuFileEsc, "&Esc"},
        {gw::kEntryMnuView, "&View"},
        {gw::kEntryTabCalibration, "Calibration"},
        {gw::kEntryTabModeling, "Modeling"},
        {gw::kEntryTabMap, "Map"},
        {gw::kEntryTabGeneral, "General"},
        {gw::kEntryTabConfiguration, "Configuration"},
        {gw::kEntryMnuPjct, "&Project"},
        {gw::kEntryMnuDevice, "De&vice"},
        {gw::kEntryMnuLng, "&Language"},
        {gw::kEntryFrmParametri, "PARAMETRI"},
        {gw::kEntryUpgradeEcuRelease, "Ecu release: "},
        {gw::kEntryUpgradeFileRelease, "File release: "},
        {gw::kEntryCmdCalStart, "Yes"},
        {t, "[END_ERROR_ECU]"},
        {t + gw::kAfterErrorsErrInj, "Errori"},
        {t + gw::kAfterErrorsFrmSwitch, "Switching to gas"},
        {t + gw::kAfterErrorsLblSwtchRpm, "R.P.M."},
        {t + gw::kAfterErrorsLblSwtchTemp, "Temperature (°c)"},
        {t + gw::kAfterErrorsLblSwtchDelay, "Temper.delay (s)"},
        {t + gw::kAfterErrorsLblSwtchForce, "Force Swicth (s)"},
        {t + gw::kAfterErrorsLblSwtchSeq, "Sequence delay (ms)"},
        {t + gw::kAfterErrorsFrmTyp, "Injectors"},
        {t + gw::kAfterErrorsLblTypFuel, "Fuel"},
        {t + gw::kAfterErrorsOptTypFuelLpg, "Lpg"},
        {t + gw::kAfterErrorsOptTypFuelCng, "Cng"},
        {t + gw::kAfterErrorsLblSwtchCilindri, "Num. Cylinder"},
        {t + gw::kAfterErrorsLblSwtchBobine, "Coil"},
        {t + gw::kAfterErrorsFrmSensor, "Sensor level"},
        {t + gw::kAfterErrorsLblTypName, "Name"},
        {t + gw::kAfterErrorsLblEmptyGas, "Empty Gas"},
        {t + gw::kAfterErrorsLblSwtchPres, "Pressure (Bar)"},
        {t + gw::kAfterErrorsLblSwtchPressDelay, "Delay (s)"},
        {t + gw::kAfterErrorsCmdTpyGLS, "Set Level"},
        {t + gw::kAfterErrorsCmdTpyInj, "Setting"},
        {t + gw::kAfterErrorsFrmOption, "Option"},
        {t + gw::kAfterErrorsLblSwtchLdb, "Lambda sensor"},
        {t + gw::kAfterErrorsCmdReserVar, "Reset All"},
        {t + gw::kAfterErrorsFrmModPnt, "Point"},
        {t + gw::kAfterErrorsLblPlace, "Place"},
        {t + gw::kAfterErrorsLblMul, "Enrich. (ms)"},
        {t + gw::kAfterErrorsFrmModLine, "Line"},
        {t + gw::kAfterErrorsFrmMapTuning, "Tuning"},
        {t + gw::kAfterErrorsCmdMapRead, "Read"},
        {t + gw::kAfterErrorsChkAbilAcqVacum, "Auto Tuning"},
        {t + gw::kAfterErrorsCmdMapCompute, "Compute"},
        {t + gw::kAfterErrorsCmdMapClrGas, "Clear Gas"},
        {t + gw::kAfterErrorsCmdMapClrPet, "Clear Petrol"},
        {t + gw::kAfterErrorsCmdShpMapMod, "Clear Model"},
        {t + gw::kAfterErrorsLblMapPetrol, " - Petrol"},
        {t + gw::kAfterErrorsLblMapGas, " - Gas"},
        {block(gw::kMarkerLevel) + gw::kLevelCaption, "Level"},
        {block(gw::kMarkerLevel) + gw::kLevelLblGasLevel, "Gas level"},
        {block(gw::kMarkerLevel) + gw::kLevelCmdDefaultLevel, "Default"},
        {block(gw::kMarkerInj) + gw::kInjLblInjNum, "Injector"},
        {block(gw::kMarkerInj) + gw::kInjLblTime, "Gas (ms)"},
        {block(gw::kMarkerInj) + gw::kInjLblEnricht, "OffSet"},
        {block(gw::kMarkerInj) + gw::kInjLblInjSet, "Mode"},
        {block(gw::kMarkerInj) + gw::kInjCaption, "Injector"},
        {block(gw::kMarkerErrEcu) + gw::kErrEcuCmdErrInjCanc, "Canc."},
        {block(gw::kMarkerErrEcu) + gw::kErrEcuCaption, "Errori"},
    };
    for (const Expect& e : expected)
        EXPECT_EQ(lingue.VoceDizionario(kEnglish, e.entry), e.text) << "entry " << e.entry;

    // The expert window's captions, in window order after its marker.
    const char* const expert[] = {
        "Compensazione Volumetrica", "Temp. Vo (°C)", "Pres. Vo (mbar)", "Min power", "Min RPM Low",
        "Min RPM Hight", "Max power", "Compensa rpm", "Temper. sensor", "Preinj. Time (ms)",
        "Preinj.Temper (°c)", "Preinj. Period (s)", "Microinj time (ms)", "Erase", "notOsservaRpm",
        "versoComm", "Semi sequential control", "soh_Tfra_Comm  (x 8 uS)", "Soh_Ton_Comm (x 8 uS)",
        "Safety car", "Stato Ecu"};
    const int at = block(gw::kMarkerExpert);
    ASSERT_GE(at, 0);
    for (int k = 0; k < 21; ++k)
        EXPECT_EQ(lingue.VoceDizionario(kEnglish, at + 1 + k), expert[k]) << "expert caption " << k;
    EXPECT_EQ(gw::kExpertAbilComp, 1);
    EXPECT_EQ(gw::kExpertChangeStatoEcu, 21);

    // A trailing blank that joins a caption to its value survives in both languages.
    for (int lang : {kEnglish, kItalian}) {
        for (int entry : {gw::kEntryUpgradeEcuRelease, gw::kEntryUpgradeFileRelease, gw::kEntryCalStepWord}) {
            const std::string text = lingue.VoceDizionario(lang, entry);
            ASSERT_FALSE(text.empty());
            EXPECT_EQ(text.back(), ' ') << "language " << lang << ", entry " << entry;
        }
    }
}

}  // namespace
