// MarkerTexts: the entries after a window's marker in the current language.
#include "app/MarkerTexts.h"

namespace gw {

namespace {

bool HasEntry(const ClsLingue& lingue, int entry) {
    return entry >= 0 && entry <= lingue.UboundVociLingua(lingue.CurrentLanguage());
}

std::string Unblank(const std::string& text) { return text == ClsLingue::kBlank ? std::string() : text; }

}  // namespace

std::vector<std::string> ReadMarkerTexts(const ClsLingue* lingue, const std::string& marker,
                                         const std::vector<std::string>& fallbacks) {
    std::vector<std::string> out = fallbacks;
    if (!lingue) return out;
    const int at = lingue->FindMarker(marker);
    if (at < 0) return out;
    for (std::size_t k = 0; k < out.size(); ++k) {
        const int entry = at + 1 + static_cast<int>(k);
        if (HasEntry(*lingue, entry)) out[k] = Unblank(lingue->Voce(entry));
    }
    return out;
}

std::string EntryOrFallback(const ClsLingue* lingue, int entry, const std::string& fallback) {
    if (!lingue || !HasEntry(*lingue, entry)) return fallback;
    return Unblank(lingue->Voce(entry));
}

std::string MarkerText(const ClsLingue* lingue, const std::string& marker, int offset, const std::string& fallback) {
    if (offset < 1) return fallback;
    std::vector<std::string> fallbacks(static_cast<std::size_t>(offset));
    fallbacks.back() = fallback;
    return ReadMarkerTexts(lingue, marker, fallbacks).back();
}

}  // namespace gw
