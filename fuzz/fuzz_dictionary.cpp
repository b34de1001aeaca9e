// Fuzz target: the language dictionary ("\LNG\M3.diz") and the current-language file
// beside it. The input is the dictionary, then after the first NUL byte (when there is
// one) the current-language file; without a NUL that file is missing. Any bytes load or
// are refused without a crash; look-ups stay in range; a dictionary that loaded is saved
// and loads again to the same languages and entries.
#include <algorithm>
#include <cstdio>
#include <string>

#include "FuzzSupport.h"
#include "lang/ClsLingue.h"

namespace {

using gw::ClsLingue;

void CheckLookups(const ClsLingue& l, bool loaded) {
    FUZZ_CHECK(l.UboundLingue() >= -1 && l.UboundLingue() <= ClsLingue::kMaxIndex);
    FUZZ_CHECK(l.VoceDizionario(-1, 0).empty() && l.VoceDizionario(0, -1).empty());
    FUZZ_CHECK(l.VoceDizionario(l.UboundLingue() + 1, 0).empty());
    FUZZ_CHECK(l.NomeLingua(l.UboundLingue() + 1).empty());
    for (int lang = 0; lang <= l.UboundLingue(); ++lang) {
        const int last = l.UboundVociLingua(lang);
        FUZZ_CHECK(last >= 0 && last <= ClsLingue::kMaxIndex);
        FUZZ_CHECK(l.VoceDizionario(lang, last + 1).empty());
        (void)l.NomeLingua(lang);
    }
    const int bad = l.FindInconsistentLanguage();
    FUZZ_CHECK(bad >= -1 && bad <= l.UboundLingue());
    // After a refused load the current language is the file's number as it stands.
    const int cur = l.CurrentLanguage();
    if (loaded) FUZZ_CHECK(cur >= -1 && cur <= std::max(0, l.UboundLingue()));
    (void)l.Voce(0);
    (void)l.Voce(cur);
    const int marker = l.FindMarker("[FrmInit]");
    if (marker >= 0) FUZZ_CHECK(l.Voce(marker) == "[FrmInit]");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string& app = gwfuzz::ScratchFolder();
    const std::string diz = app + "/LNG/M3.diz";
    const std::string con = app + "/LNG/M3.con";
    gwfuzz::WriteFileBytes(diz, input.substr(0, nul));
    std::remove(con.c_str());
    if (nul != std::string::npos) gwfuzz::WriteFileBytes(con, input.substr(nul + 1));

    ClsLingue lingue;
    lingue.SetPathDizionario(diz);
    lingue.SetPathAttualeLingua(con);
    const gw::LingueResult loaded = lingue.LoadDizionario();
    CheckLookups(lingue, static_cast<bool>(loaded));
    if (!loaded) {
        FUZZ_CHECK(!loaded.error.empty());
        FUZZ_CHECK(!lingue.SaveDizionario());  // never overwrites a file it could not load
        return 0;
    }
    // A dictionary that loaded is written back and loads to the same content; an empty
    // entry is written as the blank marker.
    FUZZ_CHECK(lingue.SaveDizionario());
    ClsLingue again;
    again.SetPathDizionario(diz);
    again.SetPathAttualeLingua(con);
    FUZZ_CHECK(again.LoadDizionario());
    FUZZ_CHECK(again.UboundLingue() == lingue.UboundLingue());
    for (int lang = 0; lang <= lingue.UboundLingue(); ++lang) {
        FUZZ_CHECK(again.NomeLingua(lang) == lingue.NomeLingua(lang));
        FUZZ_CHECK(again.UboundVociLingua(lang) == lingue.UboundVociLingua(lang));
        for (int e = 0; e <= lingue.UboundVociLingua(lang); ++e) {
            const std::string before = lingue.VoceDizionario(lang, e);
            const std::string after = again.VoceDizionario(lang, e);
            FUZZ_CHECK(after == before || (before.empty() && (after.empty() || after == ClsLingue::kBlank)));
        }
    }
    FUZZ_CHECK(again.CurrentLanguage() == lingue.CurrentLanguage());
    CheckLookups(again, true);
    return 0;
}
