#include "app/MainCaptions.h"

namespace gw {

MainCaptions MainCaptions::Read(const ClsLingue& lingue) {
    MainCaptions c;
    const int language = lingue.CurrentLanguage();
    const int last = lingue.UboundVociLingua(language);
    for (int i = 0; i <= last; ++i) c.entries_.push_back(lingue.VoceDizionario(language, i));
    for (int i = 1; i <= kMaxErrors; ++i) {
        const int n = kFirstError - 1 + i;
        if (n > last) break;
        if (c.entries_[static_cast<size_t>(n)] == kErrorEnd) {
            c.terminator_ = n;
            break;
        }
        c.errors_.push_back(c.entries_[static_cast<size_t>(n)]);
    }
    return c;
}

std::string MainCaptions::Caption(int n, const std::string& fallback) const {
    if (n < 0 || n >= static_cast<int>(entries_.size())) return fallback;
    const std::string& t = entries_[static_cast<size_t>(n)];
    return t == ClsLingue::kBlank ? std::string() : t;
}

std::string MainCaptions::AfterErrors(int k, const std::string& fallback) const {
    if (terminator_ < 0) return fallback;
    return Caption(terminator_ + k, fallback);
}

}  // namespace gw
