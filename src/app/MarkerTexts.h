// MarkerTexts: a side window's own texts, the entries that follow its marker entry (such as
// "[FrmInj]") in the dictionary's current language, each with a built-in fallback for when
// there is no dictionary, no marker or too few entries. Which control shows which text is
// the window's business.
#pragma once

#include <string>
#include <vector>

#include "lang/ClsLingue.h"

namespace gw {

// Entry marker + 1 + k for k = 0 ... fallbacks.size() - 1; an entry written "_BLANK_" reads
// as empty. lingue may be null (no dictionary): every text is its fallback.
std::vector<std::string> ReadMarkerTexts(const ClsLingue* lingue, const std::string& marker,
                                         const std::vector<std::string>& fallbacks);

// Entry marker + offset alone (offset 1 is the first after the marker), or the fallback.
std::string MarkerText(const ClsLingue* lingue, const std::string& marker, int offset, const std::string& fallback);

// Entry n of the current language, or the fallback when there is none.
std::string EntryOrFallback(const ClsLingue* lingue, int entry, const std::string& fallback);

}  // namespace gw
