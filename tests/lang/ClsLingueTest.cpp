// The language dictionary: loading, the current-language file, look-ups, the dictionary
// check, editing and saving.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "lang/ClsLingue.h"
#include "support/TempDir.h"

namespace {

using gw::ClsLingue;

// Dictionary text for languages given as {name line, entries...}.
std::string Dictionary(const std::vector<std::vector<std::string>>& languages, const std::string& eol = "\r\n") {
    std::string text;
    for (const auto& lang : languages) {
        text += "###" + eol;
        for (const std::string& line : lang) text += line + eol;
    }
    return text;
}

std::vector<std::string> Numbered(const std::string& name, int count) {
    std::vector<std::string> lang{"#" + name};
    for (int i = 0; i < count; ++i) lang.push_back(name + " " + std::to_string(i));
    return lang;
}

class LingueTest : public ::testing::Test {
protected:
    gwtest::TempDir dir;
    ClsLingue lingue;

    // Writes the dictionary (and the current-language file unless con is null) and loads it.
    gw::LingueResult Load(const std::string& diz, const char* con = "0\r\n") {
        lingue.SetPathDizionario(dir.Write("LNG/M3.diz", diz));
        if (con)
            lingue.SetPathAttualeLingua(dir.Write("LNG/M3.con", con));
        else
            lingue.SetPathAttualeLingua(dir.File("LNG/M3.con"));
        return lingue.LoadDizionario();
    }
};

TEST_F(LingueTest, LoadsLanguagesAndEntriesInFileOrder) {
    const std::string diz = "###\r\n#English\r\nWorkbench\r\n\r\nOpen\r\n_BLANK_\r\n[FrmInit]\r\nWait\r\n"
                            "###\r\n#Italiano\r\nBanco\r\nApri\r\n\r\n_BLANK_\r\n[FrmInit]\r\nAttendere\r\n";
    ASSERT_TRUE(Load(diz, "1\r\n"));
    EXPECT_EQ(lingue.UboundLingue(), 1);
    EXPECT_EQ(lingue.NomeLingua(0), "English");
    EXPECT_EQ(lingue.NomeLingua(1), "Italiano");
    EXPECT_EQ(lingue.UboundVoci(), 4);
    EXPECT_EQ(lingue.UboundVociLingua(1), 4);
    EXPECT_EQ(lingue.VoceDizionario(0, 1), "Open");   // the empty line is not an entry
    EXPECT_EQ(lingue.VoceDizionario(1, 2), "_BLANK_");  // kept as written
    EXPECT_EQ(lingue.FindInconsistentLanguage(), -1);

    EXPECT_EQ(lingue.IdLingua(), 1);
    EXPECT_EQ(lingue.CurrentLanguage(), 1);
    EXPECT_EQ(lingue.Voce(0), "Banco");
    EXPECT_EQ(lingue.FindMarker("[FrmInit]"), 3);
    EXPECT_EQ(lingue.Voce(lingue.FindMarker("[FrmInit]") + 1), "Attendere");
    EXPECT_EQ(lingue.FindMarker("[FrmLevel]"), -1);
}

TEST_F(LingueTest, LfOnlyLineEndsLoadLikeCrLf) {
    const auto langs = std::vector<std::vector<std::string>>{Numbered("English", 3), Numbered("Deutsch", 3)};
    ASSERT_TRUE(Load(Dictionary(langs, "\n")));
    EXPECT_EQ(lingue.UboundLingue(), 1);
    EXPECT_EQ(lingue.NomeLingua(1), "Deutsch");
    EXPECT_EQ(lingue.VoceDizionario(1, 2), "Deutsch 2");
}

TEST_F(LingueTest, LookUpsOutOfRangeAreEmpty) {
    ASSERT_TRUE(Load(Dictionary({Numbered("English", 3), Numbered("Italiano", 3)})));
    const struct {
        int lang, entry;
    } outside[] = {{0, -1}, {0, 3}, {-1, 0}, {2, 0}, {-32768, 0}, {0, 1000000}, {1000000, 0}};
    for (const auto& c : outside) EXPECT_EQ(lingue.VoceDizionario(c.lang, c.entry), "") << c.lang << "," << c.entry;
    EXPECT_EQ(lingue.VoceDizionario(0, 2), "English 2");
    EXPECT_EQ(lingue.NomeLingua(-1), "");
    EXPECT_EQ(lingue.NomeLingua(2), "");
    EXPECT_EQ(lingue.UboundVociLingua(2), -1);
    EXPECT_EQ(lingue.UboundVociLingua(-1), -1);
}

TEST_F(LingueTest, NamesNeedTheirHashAndAtLeastOneCharacter) {
    ASSERT_TRUE(Load(Dictionary({{"#", "a"}, {"English", "a"}, {"#X", "a"}, {"##", "a"}})));
    EXPECT_EQ(lingue.NomeLingua(0), "");
    EXPECT_EQ(lingue.NomeLingua(1), "");
    EXPECT_EQ(lingue.NomeLingua(2), "X");
    EXPECT_EQ(lingue.NomeLingua(3), "#");
}

TEST_F(LingueTest, TripleHashAsTheLastLineStartsNoLanguage) {
    const std::string base = Dictionary({Numbered("English", 2)});
    for (const std::string& tail : {std::string("###"), std::string("###\r\n"), std::string("###\n")}) {
        ASSERT_TRUE(Load(base + tail)) << tail;
        EXPECT_EQ(lingue.UboundLingue(), 0) << tail;
        EXPECT_EQ(lingue.UboundVoci(), 1) << tail;
    }
    // Followed by an empty line it is not the last line: a language with an empty name.
    ASSERT_TRUE(Load(base + "###\r\n\r\n"));
    EXPECT_EQ(lingue.UboundLingue(), 1);
    EXPECT_EQ(lingue.NomeLingua(1), "");
    EXPECT_EQ(lingue.UboundVociLingua(1), 0);
}

TEST_F(LingueTest, EntriesBeforeTheFirstLanguageAreAnErrorAndKeepTheLoadedDictionary) {
    ASSERT_TRUE(Load(Dictionary({Numbered("English", 2)})));
    const std::string good = dir.Read("LNG/M3.diz");

    const gw::LingueResult r = Load("\r\nstray\r\n" + Dictionary({Numbered("Italiano", 5)}));
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("line 2"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("###"), std::string::npos) << r.error;
    EXPECT_EQ(lingue.NomeLingua(0), "English");
    EXPECT_EQ(lingue.UboundLingue(), 0);

    // Saving now would replace the file with what it did not hold.
    const std::string bad = dir.Read("LNG/M3.diz");
    EXPECT_FALSE(lingue.SaveDizionario());
    EXPECT_EQ(dir.Read("LNG/M3.diz"), bad);

    // A fresh object: nothing loaded, still usable.
    ClsLingue fresh;
    fresh.SetPathDizionario(dir.File("LNG/M3.diz"));
    fresh.SetPathAttualeLingua(dir.File("LNG/M3.con"));
    EXPECT_FALSE(fresh.LoadDizionario());
    EXPECT_EQ(fresh.UboundLingue(), -1);
    EXPECT_EQ(fresh.Voce(0), "");
    EXPECT_EQ(fresh.FindInconsistentLanguage(), -1);

    dir.Write("LNG/M3.diz", good);
    EXPECT_TRUE(lingue.LoadDizionario());
    EXPECT_TRUE(lingue.SaveDizionario());
}

TEST_F(LingueTest, UnreadableDictionariesAreRefusedWithoutHarm) {
    std::mt19937 rng(3);
    std::string garbage(300000, '\0');
    for (char& c : garbage) c = static_cast<char>(rng());
    EXPECT_FALSE(Load(garbage));  // text before any "###"
    if (Load("###\r\n#x\r\n" + garbage)) {
        EXPECT_EQ(lingue.NomeLingua(0), "x");
    }

    EXPECT_FALSE(Load(std::string(100u * 1024u * 1024u, 'x')));
    EXPECT_FALSE(Load(std::string(ClsLingue::kMaxDictionaryBytes + 1, '\n')));

    std::string tooLong = "###\r\n#Big\r\n";
    for (int i = 0; i <= ClsLingue::kMaxIndex + 1; ++i) tooLong += "e\r\n";
    const gw::LingueResult r = Load(tooLong);
    EXPECT_FALSE(r);
    EXPECT_NE(r.error.find("entries"), std::string::npos) << r.error;

    std::string manyLanguages;
    for (int i = 0; i <= ClsLingue::kMaxIndex + 1; ++i) manyLanguages += "###\r\n#L\r\n";
    EXPECT_FALSE(Load(manyLanguages));
}

TEST_F(LingueTest, DictionaryCheckReportsTheFirstLanguageOfAnotherLength) {
    ASSERT_TRUE(Load(Dictionary({Numbered("English", 120), Numbered("Italiano", 119)})));
    EXPECT_EQ(lingue.FindInconsistentLanguage(), 1);
    EXPECT_EQ(lingue.NomeLingua(lingue.FindInconsistentLanguage()), "Italiano");

    ASSERT_TRUE(Load(Dictionary({Numbered("A", 4), Numbered("B", 4), Numbered("C", 5), Numbered("D", 3)})));
    EXPECT_EQ(lingue.FindInconsistentLanguage(), 2);
    ASSERT_TRUE(Load(Dictionary({Numbered("A", 4), Numbered("B", 4)})));
    EXPECT_EQ(lingue.FindInconsistentLanguage(), -1);
}

TEST_F(LingueTest, CurrentLanguageOutsideTheDictionaryIsResetToZero) {
    const std::string diz = Dictionary({Numbered("English", 2), Numbered("Italiano", 2)});
    for (const char* con : {"5\r\n", "-1\r\n", "abc\r\n", "", "99999\r\n"}) {
        ASSERT_TRUE(Load(diz, con)) << con;
        EXPECT_EQ(lingue.IdLingua(), 0) << con;
        EXPECT_EQ(lingue.CurrentLanguage(), 0) << con;
        EXPECT_EQ(dir.Read("LNG/M3.con"), "0\r\n") << con;
    }
    ASSERT_TRUE(Load(diz, "junk\r\n 1 \r\n0\r\n"));
    EXPECT_EQ(lingue.IdLingua(), 1);
    EXPECT_EQ(dir.Read("LNG/M3.con"), "junk\r\n 1 \r\n0\r\n");  // a valid file is left alone
}

TEST_F(LingueTest, MissingCurrentLanguageFileIsCreatedBesideTheDictionary) {
    lingue.SetPathDizionario(dir.Write("LNG/M3.diz", Dictionary({Numbered("English", 1)})));
    lingue.SetPathAttualeLingua(dir.File("elsewhere/M3.con"));
    EXPECT_EQ(lingue.IdLingua(), -1);
    ASSERT_TRUE(lingue.LoadDizionario());
    EXPECT_EQ(lingue.PathAttualeLingua(), dir.File("LNG/M3.con"));
    EXPECT_EQ(dir.Read("LNG/M3.con"), "0\r\n");
    EXPECT_EQ(lingue.IdLingua(), 0);
    EXPECT_FALSE(dir.Exists("elsewhere/M3.con"));
}

TEST_F(LingueTest, MissingDictionaryLeavesEverythingEmpty) {
    lingue.SetPathDizionario(dir.File("LNG/M3.diz"));
    lingue.SetPathAttualeLingua(dir.File("LNG/M3.con"));
    dir.Write("LNG/readme", "");
    ASSERT_TRUE(lingue.LoadDizionario());
    EXPECT_EQ(lingue.UboundLingue(), -1);
    EXPECT_EQ(lingue.UboundVoci(), -1);
    EXPECT_EQ(lingue.Voce(0), "");
    EXPECT_EQ(lingue.FindMarker("[Frm_About]"), -1);
    EXPECT_TRUE(dir.Exists("LNG/M3.con"));
    EXPECT_FALSE(lingue.SaveDizionario());
    EXPECT_FALSE(dir.Exists("LNG/M3.diz"));
}

TEST_F(LingueTest, SetIdLinguaRewritesOnlyAnExistingFile) {
    ASSERT_TRUE(Load(Dictionary({Numbered("English", 1), Numbered("Italiano", 1)}), "0\r\nnote\r\n"));
    ASSERT_TRUE(lingue.SetIdLingua(1));
    EXPECT_EQ(dir.Read("LNG/M3.con"), "1\r\n");
    EXPECT_EQ(lingue.Voce(0), "Italiano 0");
    EXPECT_FALSE(lingue.SetIdLingua(-1));
    EXPECT_FALSE(lingue.SetIdLingua(1000000));
    EXPECT_EQ(lingue.IdLingua(), 1);

    lingue.SetPathAttualeLingua(dir.File("LNG/other.con"));
    EXPECT_FALSE(lingue.SetIdLingua(0));
    EXPECT_FALSE(dir.Exists("LNG/other.con"));
}

TEST_F(LingueTest, SetVoceDizionarioExtendsTheListAndRefusesWhatCannotBeStored) {
    ASSERT_TRUE(Load(Dictionary({Numbered("English", 2)})));
    ASSERT_TRUE(lingue.SetVoceDizionario(0, 5, "Six"));
    EXPECT_EQ(lingue.UboundVoci(), 5);
    EXPECT_EQ(lingue.VoceDizionario(0, 4), "");
    EXPECT_EQ(lingue.VoceDizionario(0, 5), "Six");
    ASSERT_TRUE(lingue.SetVoceDizionario(0, 0, ""));
    EXPECT_EQ(lingue.VoceDizionario(0, 0), "");

    const struct {
        int lang, entry;
        std::string text;
    } refused[] = {
        {0, -1, "x"}, {-1, 0, "x"}, {1, 0, "x"}, {0, 1000000, "x"}, {0, ClsLingue::kMaxIndex + 1, "x"},
        {0, 1, "two\r\nlines"}, {0, 1, "cr\r"}, {0, 1, "###"},
    };
    for (const auto& c : refused) EXPECT_FALSE(lingue.SetVoceDizionario(c.lang, c.entry, c.text)) << c.entry;
    EXPECT_EQ(lingue.UboundVoci(), 5);
    EXPECT_EQ(lingue.VoceDizionario(0, 1), "English 1");
    EXPECT_TRUE(lingue.SetVoceDizionario(0, ClsLingue::kMaxIndex, "last"));
}

TEST_F(LingueTest, NuovaLinguaAddsOnceAndReusesAnUnnamedRecord) {
    ASSERT_TRUE(Load(Dictionary({Numbered("English", 2)})));
    ASSERT_TRUE(lingue.NuovaLingua("Français"));
    EXPECT_EQ(lingue.UboundLingue(), 1);
    EXPECT_EQ(lingue.NomeLingua(1), "Français");
    EXPECT_EQ(lingue.UboundVociLingua(1), 0);
    EXPECT_EQ(lingue.FindInconsistentLanguage(), 1);
    EXPECT_FALSE(lingue.NuovaLingua("Français"));
    EXPECT_FALSE(lingue.NuovaLingua("#English"));
    EXPECT_FALSE(lingue.NuovaLingua(""));
    EXPECT_FALSE(lingue.NuovaLingua("a\r\nb"));
    EXPECT_EQ(lingue.UboundLingue(), 1);

    ASSERT_TRUE(Load(Dictionary({Numbered("English", 2)}) + "###\r\n\r\nold\r\n" + Dictionary({Numbered("Deutsch", 2)})));
    ASSERT_EQ(lingue.UboundLingue(), 2);
    ASSERT_TRUE(lingue.NuovaLingua("#Español"));
    EXPECT_EQ(lingue.UboundLingue(), 2);
    EXPECT_EQ(lingue.NomeLingua(1), "Español");
    EXPECT_EQ(lingue.VoceDizionario(1, 0), "");
    EXPECT_EQ(lingue.UboundVociLingua(1), 0);
}

TEST_F(LingueTest, EntriesAreInsertedAndDeletedInEveryLanguage) {
    ASSERT_TRUE(Load(Dictionary({{"#A", "a0", "a1", "a2"}, {"#B", "b0", "b1"}})));
    ASSERT_TRUE(lingue.NuovaVoce(1));
    EXPECT_EQ(lingue.VoceDizionario(0, 1), "");
    EXPECT_EQ(lingue.VoceDizionario(0, 2), "a1");
    EXPECT_EQ(lingue.VoceDizionario(1, 2), "b1");
    EXPECT_EQ(lingue.UboundVociLingua(0), 3);
    EXPECT_EQ(lingue.UboundVociLingua(1), 2);

    // Past the end of the shorter language: it is padded first.
    ASSERT_TRUE(lingue.NuovaVoce(4));
    EXPECT_EQ(lingue.UboundVociLingua(0), 4);
    EXPECT_EQ(lingue.UboundVociLingua(1), 4);

    ASSERT_TRUE(lingue.EliminaVoce(0));
    EXPECT_EQ(lingue.VoceDizionario(0, 0), "");
    EXPECT_EQ(lingue.VoceDizionario(0, 1), "a1");
    EXPECT_EQ(lingue.VoceDizionario(1, 1), "b1");
    EXPECT_EQ(lingue.UboundVociLingua(0), 4);  // the length is kept
    EXPECT_EQ(lingue.VoceDizionario(0, 4), "");

    EXPECT_FALSE(lingue.NuovaVoce(-1));
    EXPECT_FALSE(lingue.NuovaVoce(1000000));
    EXPECT_FALSE(lingue.EliminaVoce(-1));
    EXPECT_FALSE(lingue.EliminaVoce(5));
    EXPECT_EQ(lingue.UboundVociLingua(0), 4);

    ASSERT_TRUE(lingue.SetVoceDizionario(0, ClsLingue::kMaxIndex, "full"));
    EXPECT_FALSE(lingue.NuovaVoce(0));  // language 0 cannot grow: nothing changes anywhere
    EXPECT_EQ(lingue.UboundVociLingua(1), 4);
}

TEST_F(LingueTest, EliminaLinguaMovesTheLaterLanguagesDown) {
    ASSERT_TRUE(Load(Dictionary({Numbered("A", 1), Numbered("B", 1), Numbered("C", 2)})));
    EXPECT_FALSE(lingue.EliminaLingua(3));
    EXPECT_FALSE(lingue.EliminaLingua(-1));
    ASSERT_TRUE(lingue.EliminaLingua(1));
    EXPECT_EQ(lingue.UboundLingue(), 1);
    EXPECT_EQ(lingue.NomeLingua(1), "C");
    EXPECT_EQ(lingue.VoceDizionario(1, 1), "C 1");
    EXPECT_EQ(lingue.FindInconsistentLanguage(), 1);
}

TEST_F(LingueTest, SaveWritesTheDictionaryBackWhole) {
    const std::string diz = "###\r\n#English\r\nTitle\r\n\xe8 byte\r\n\r\n_BLANK_\r\n###\r\n\r\n";
    ASSERT_TRUE(Load(diz));
    ASSERT_TRUE(lingue.SetVoceDizionario(0, 0, ""));
    ASSERT_TRUE(lingue.NuovaLingua("Italiano"));
    ASSERT_TRUE(lingue.SaveDizionario());
    EXPECT_EQ(dir.Read("LNG/M3.diz"),
              "###\r\n#English\r\n_BLANK_\r\n\xe8 byte\r\n_BLANK_\r\n"
              "###\r\n#Italiano\r\n_BLANK_\r\n");
    EXPECT_FALSE(dir.Exists("LNG/M3.diz.tmp~"));

    // Saved and read back, it holds the same texts.
    ClsLingue again;
    again.SetPathDizionario(dir.File("LNG/M3.diz"));
    again.SetPathAttualeLingua(dir.File("LNG/M3.con"));
    ASSERT_TRUE(again.LoadDizionario());
    EXPECT_EQ(again.UboundLingue(), 1);
    EXPECT_EQ(again.VoceDizionario(0, 1), "\xe8 byte");
    EXPECT_EQ(again.VoceDizionario(0, 0), "_BLANK_");
    EXPECT_EQ(again.NomeLingua(1), "Italiano");
}

}  // namespace
