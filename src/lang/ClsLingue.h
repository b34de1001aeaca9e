// ClsLingue: the language dictionary ("\LNG\M3.diz") in memory and the current-language
// file ("\LNG\M3.con"): look-ups by language and entry number or by marker entry, the
// dictionary check, and editing (new/deleted languages and entries, saving). It does not
// apply texts to windows; the windows read what they need from it.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace gw {

// The outcome of a call that can fail: ok, or the reason it did not (the object stays
// usable either way).
struct LingueResult {
    bool ok = true;
    std::string error;

    explicit operator bool() const { return ok; }
    static LingueResult Ok() { return {}; }
    static LingueResult Fail(std::string why) { return {false, std::move(why)}; }
};

class ClsLingue {
public:
    // Language and entry numbers are 16-bit: nothing beyond this index is stored.
    static constexpr int kMaxIndex = 32767;
    // Dictionaries larger than this are refused instead of loaded.
    static constexpr std::size_t kMaxDictionaryBytes = 4u * 1024u * 1024u;
    // How an empty entry is written in the file.
    static constexpr const char* kBlank = "_BLANK_";

    const std::string& PathDizionario() const { return pathDizionario_; }
    void SetPathDizionario(const std::string& path) { pathDizionario_ = path; }
    const std::string& PathAttualeLingua() const { return pathAttualeLingua_; }
    // Also re-reads the current language from the new file.
    void SetPathAttualeLingua(const std::string& path);

    // Reads the dictionary (a missing file keeps the list as it is) and then checks the
    // current-language file: resets it to 0 when it names no language of the dictionary,
    // creates it beside the dictionary holding 0 when it is missing. A dictionary that
    // cannot be read or is malformed leaves the previous list in place and is reported.
    LingueResult LoadDizionario();
    // Rewrites the existing dictionary file whole (atomically) from the list in memory.
    // Refused when the file does not exist or when the last load of it failed (the file
    // would otherwise be replaced by an empty or partial list).
    LingueResult SaveDizionario();

    // The first numeric line of the current-language file; -1 when missing or none.
    int IdLingua() const;
    // Rewrites the current-language file with the number when the file exists; when it
    // does not, nothing happens (and the result says so).
    LingueResult SetIdLingua(int language);

    // The language's name without its leading "#"; empty when out of range or when the
    // stored name is not "#" followed by at least one character.
    std::string NomeLingua(int language) const;
    int UboundLingue() const { return static_cast<int>(languages_.size()) - 1; }
    // Index of the last entry of language 0 (-1 with no languages).
    int UboundVoci() const { return UboundVociLingua(0); }
    // Index of the last entry of the language; -1 when out of range.
    int UboundVociLingua(int language) const;

    // The entry; empty when either number is negative or out of range.
    std::string VoceDizionario(int language, int entry) const;
    // Stores the entry, extending the language's list to it when needed. Refused when
    // either number is negative or beyond the 16-bit range, when the language does not
    // exist, or when the text could not be written back as one entry line (a line end, or
    // exactly "###").
    LingueResult SetVoceDizionario(int language, int entry, const std::string& text);

    // Adds a language unless one has this name: the first record with an empty name is
    // reused, otherwise a record is appended; it holds one empty entry. A name without
    // its leading "#" gets one.
    LingueResult NuovaLingua(const std::string& name);
    // In every language inserts an empty entry at that number, moving the later ones up.
    LingueResult NuovaVoce(int entry);
    // In every language moves the entries after that number down one place and empties
    // the last one; the lists keep their length.
    LingueResult EliminaVoce(int entry);
    // Removes the language; the later ones move down one place and are renumbered.
    LingueResult EliminaLingua(int language);

    // The first language whose last entry index differs from that of language 0; -1 when
    // all agree (or there are no languages).
    int FindInconsistentLanguage() const;

    // The current language as last read from the current-language file (-1 when unknown).
    int CurrentLanguage() const { return current_; }
    // An entry of the current language; empty when out of range.
    std::string Voce(int entry) const { return VoceDizionario(current_, entry); }
    // Index of the first entry of the current language whose text is exactly the marker
    // (for example "[FrmInit]"); -1 when absent.
    int FindMarker(const std::string& marker) const;

private:
    struct Language {  // its number is its index in the list
        std::string name;  // as stored, with its leading "#"
        std::vector<std::string> entries;
    };

    LingueResult Parse(const std::string& text, std::vector<Language>& out) const;
    LingueResult CheckCurrentLanguage();

    std::string pathDizionario_;
    std::string pathAttualeLingua_;
    std::vector<Language> languages_;
    int current_ = -1;
    bool lastLoadFailed_ = false;
};

}  // namespace gw
