#include "lang/ClsLingue.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>

#include "util/FileIo.h"

namespace gw {

namespace {

constexpr std::string_view kLanguageStart = "###";
constexpr std::size_t kMaxCurrentFileBytes = 64u * 1024u;

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// Walks the lines of a text: a line ends at LF, with a CR before it dropped. A line end at
// the very end of the text does not start another line.
class LineCursor {
public:
    explicit LineCursor(const std::string& text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size(); }
    std::string_view Next() {
        const std::size_t lf = text_.find('\n', pos_);
        std::size_t end = lf == std::string::npos ? text_.size() : lf;
        const std::size_t start = pos_;
        pos_ = lf == std::string::npos ? text_.size() : lf + 1;
        if (lf != std::string::npos && end > start && text_[end - 1] == '\r') --end;
        ++number_;
        return std::string_view(text_).substr(start, end - start);
    }
    std::size_t Number() const { return number_; }

private:
    const std::string& text_;
    std::size_t pos_ = 0;
    std::size_t number_ = 0;
};

// A line holding a 16-bit integer (blanks around it allowed).
std::optional<int> ParseLanguageNumber(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 6) return std::nullopt;
    int value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return std::nullopt;
    return value;
}

bool HasLineEnd(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

}  // namespace

void ClsLingue::SetPathAttualeLingua(const std::string& path) {
    pathAttualeLingua_ = path;
    current_ = IdLingua();
}

LingueResult ClsLingue::Parse(const std::string& text, std::vector<Language>& out) const {
    out.clear();
    LineCursor cursor(text);
    std::size_t counter = 0;
    while (!cursor.AtEnd()) {
        const std::string_view line = cursor.Next();
        if (line.empty()) continue;
        if (line == kLanguageStart) {
            if (cursor.AtEnd()) break;  // "###" as the last line starts nothing
            if (out.size() > static_cast<std::size_t>(kMaxIndex))
                return LingueResult::Fail("Dictionary " + pathDizionario_ + ": more than " +
                                          std::to_string(kMaxIndex + 1) + " languages");
            Language lang;
            lang.name = std::string(cursor.Next());
            lang.entries.emplace_back();
            out.push_back(std::move(lang));
            counter = 0;
            continue;
        }
        if (out.empty())
            return LingueResult::Fail("Dictionary " + pathDizionario_ + ", line " +
                                      std::to_string(cursor.Number()) +
                                      ": entry before the first \"###\" (the file must begin with \"###\")");
        if (counter > static_cast<std::size_t>(kMaxIndex))
            return LingueResult::Fail("Dictionary " + pathDizionario_ + ", line " +
                                      std::to_string(cursor.Number()) + ": more than " +
                                      std::to_string(kMaxIndex + 1) + " entries in one language");
        std::vector<std::string>& entries = out.back().entries;
        if (entries.size() <= counter) entries.resize(counter + 1);
        entries[counter] = std::string(line);
        ++counter;
    }
    return LingueResult::Ok();
}

LingueResult ClsLingue::LoadDizionario() {
    if (FileExists(pathDizionario_)) {
        const std::optional<std::string> text = ReadWholeFile(pathDizionario_, kMaxDictionaryBytes);
        LingueResult parsed;
        std::vector<Language> loaded;
        if (!text)
            parsed = LingueResult::Fail("Dictionary " + pathDizionario_ +
                                        " cannot be read or is larger than " +
                                        std::to_string(kMaxDictionaryBytes) + " bytes");
        else
            parsed = Parse(*text, loaded);
        if (!parsed) {
            // The previous list stays; saving is refused until the file loads again.
            lastLoadFailed_ = true;
            current_ = IdLingua();
            return parsed;
        }
        languages_ = std::move(loaded);
        lastLoadFailed_ = false;
    }
    return CheckCurrentLanguage();
}

LingueResult ClsLingue::CheckCurrentLanguage() {
    if (!FileExists(pathAttualeLingua_)) {
        if (pathDizionario_.size() < 3)
            return LingueResult::Fail("No current-language file beside dictionary \"" + pathDizionario_ + "\"");
        const std::string beside = pathDizionario_.substr(0, pathDizionario_.size() - 3) + "con";
        pathAttualeLingua_ = beside;
        if (!FileExists(beside)) {
            std::string err;
            if (!SaveFileAtomic(beside, "0\r\n", &err)) {
                current_ = -1;
                return LingueResult::Fail("Cannot create " + beside + ": " + err);
            }
            current_ = 0;
            return LingueResult::Ok();
        }
    }
    const int id = IdLingua();
    if (id < 0 || id > UboundLingue()) {
        LingueResult r = SetIdLingua(0);
        current_ = IdLingua();
        return r;
    }
    current_ = id;
    return LingueResult::Ok();
}

LingueResult ClsLingue::SaveDizionario() {
    if (lastLoadFailed_)
        return LingueResult::Fail("Dictionary " + pathDizionario_ +
                                  " was not loaded; saving would overwrite it");
    if (!FileExists(pathDizionario_))
        return LingueResult::Fail("Dictionary " + pathDizionario_ + " does not exist; not saved");
    std::string out;
    for (const Language& lang : languages_) {
        out.append(kLanguageStart).append("\r\n");
        out.append(lang.name).append("\r\n");
        for (const std::string& e : lang.entries) out.append(e.empty() ? kBlank : e).append("\r\n");
    }
    std::string err;
    if (!SaveFileAtomic(pathDizionario_, out, &err))
        return LingueResult::Fail("Dictionary not saved: " + err);
    return LingueResult::Ok();
}

int ClsLingue::IdLingua() const {
    const std::optional<std::string> text = ReadWholeFile(pathAttualeLingua_, kMaxCurrentFileBytes);
    if (!text) return -1;
    LineCursor cursor(*text);
    while (!cursor.AtEnd())
        if (const std::optional<int> n = ParseLanguageNumber(cursor.Next())) return *n;
    return -1;
}

LingueResult ClsLingue::SetIdLingua(int language) {
    if (language < 0 || language > kMaxIndex)
        return LingueResult::Fail("Language number " + std::to_string(language) + " out of range");
    if (!FileExists(pathAttualeLingua_))
        return LingueResult::Fail("Current-language file " + pathAttualeLingua_ + " does not exist; not changed");
    std::string err;
    if (!SaveFileAtomic(pathAttualeLingua_, std::to_string(language) + "\r\n", &err))
        return LingueResult::Fail("Current language not saved: " + err);
    current_ = language;
    return LingueResult::Ok();
}

std::string ClsLingue::NomeLingua(int language) const {
    if (language < 0 || language > UboundLingue()) return {};
    const std::string& name = languages_[static_cast<std::size_t>(language)].name;
    if (name.size() <= 1 || name[0] != '#') return {};
    return name.substr(1);
}

int ClsLingue::UboundVociLingua(int language) const {
    if (language < 0 || language > UboundLingue()) return -1;
    return static_cast<int>(languages_[static_cast<std::size_t>(language)].entries.size()) - 1;
}

std::string ClsLingue::VoceDizionario(int language, int entry) const {
    if (language < 0 || entry < 0 || language > UboundLingue()) return {};
    const std::vector<std::string>& entries = languages_[static_cast<std::size_t>(language)].entries;
    if (static_cast<std::size_t>(entry) >= entries.size()) return {};
    return entries[static_cast<std::size_t>(entry)];
}

LingueResult ClsLingue::SetVoceDizionario(int language, int entry, const std::string& text) {
    if (language < 0 || language > UboundLingue())
        return LingueResult::Fail("No language " + std::to_string(language));
    if (entry < 0 || entry > kMaxIndex)
        return LingueResult::Fail("Entry number " + std::to_string(entry) + " out of range");
    if (HasLineEnd(text) || text == kLanguageStart)
        return LingueResult::Fail("An entry cannot hold a line end or be \"###\"");
    std::vector<std::string>& entries = languages_[static_cast<std::size_t>(language)].entries;
    if (entries.size() <= static_cast<std::size_t>(entry)) entries.resize(static_cast<std::size_t>(entry) + 1);
    entries[static_cast<std::size_t>(entry)] = text;
    return LingueResult::Ok();
}

LingueResult ClsLingue::NuovaLingua(const std::string& name) {
    if (name.empty() || HasLineEnd(name))
        return LingueResult::Fail("A language name must be one non-empty line");
    const std::string stored = name[0] == '#' ? name : "#" + name;
    for (const Language& lang : languages_)
        if (lang.name == stored) return LingueResult::Fail("Language " + stored.substr(1) + " already exists");
    auto free = std::find_if(languages_.begin(), languages_.end(),
                             [](const Language& l) { return l.name.empty(); });
    if (free == languages_.end()) {
        if (languages_.size() > static_cast<std::size_t>(kMaxIndex))
            return LingueResult::Fail("Too many languages");
        free = languages_.insert(languages_.end(), Language{});
    }
    free->name = stored;
    free->entries.assign(1, std::string());
    return LingueResult::Ok();
}

LingueResult ClsLingue::NuovaVoce(int entry) {
    if (entry < 0 || entry > kMaxIndex)
        return LingueResult::Fail("Entry number " + std::to_string(entry) + " out of range");
    const auto at = static_cast<std::size_t>(entry);
    for (const Language& lang : languages_)
        if (std::max(lang.entries.size(), at) + 1 > static_cast<std::size_t>(kMaxIndex) + 1)
            return LingueResult::Fail("Too many entries");
    for (Language& lang : languages_) {
        if (lang.entries.size() < at) lang.entries.resize(at);
        lang.entries.insert(lang.entries.begin() + static_cast<std::ptrdiff_t>(at), std::string());
    }
    return LingueResult::Ok();
}

LingueResult ClsLingue::EliminaVoce(int entry) {
    if (entry < 0) return LingueResult::Fail("Entry number " + std::to_string(entry) + " out of range");
    const auto at = static_cast<std::size_t>(entry);
    bool found = false;
    for (Language& lang : languages_) {
        if (at >= lang.entries.size()) continue;
        found = true;
        lang.entries.erase(lang.entries.begin() + static_cast<std::ptrdiff_t>(at));
        lang.entries.emplace_back();
    }
    if (!found) return LingueResult::Fail("No entry " + std::to_string(entry));
    return LingueResult::Ok();
}

LingueResult ClsLingue::EliminaLingua(int language) {
    if (language < 0 || language > UboundLingue())
        return LingueResult::Fail("No language " + std::to_string(language));
    languages_.erase(languages_.begin() + language);
    return LingueResult::Ok();
}

int ClsLingue::FindInconsistentLanguage() const {
    for (int l = 0; l <= UboundLingue(); ++l)
        if (UboundVociLingua(l) != UboundVociLingua(0)) return l;
    return -1;
}

int ClsLingue::FindMarker(const std::string& marker) const {
    if (current_ < 0 || current_ > UboundLingue()) return -1;
    const std::vector<std::string>& entries = languages_[static_cast<std::size_t>(current_)].entries;
    const auto it = std::find(entries.begin(), entries.end(), marker);
    return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
}

}  // namespace gw
