// MainCaptions: the main window's texts read from the dictionary's current language by
// their fixed positions: captions and messages from entry 0 on, the ECU error texts from
// entry 72 up to the "[END_ERROR_ECU]" terminator, and the captions that follow it. Which
// control shows which text is the window's business; this only reads and falls back.
#pragma once

#include <string>
#include <vector>

#include "lang/ClsLingue.h"

namespace gw {

class MainCaptions {
public:
    static constexpr const char* kErrorEnd = "[END_ERROR_ECU]";
    static constexpr int kFirstError = 72;
    static constexpr int kMaxErrors = 256;

    MainCaptions() = default;
    // The current language's entries.
    static MainCaptions Read(const ClsLingue& lingue);

    // Entry n: its text ("_BLANK_" reads as empty), or the fallback when the language has
    // no entry n (no dictionary, or a shorter one).
    std::string Caption(int n, const std::string& fallback) const;
    // Entry T + k, T being the terminator of the error list; the fallback when there is no
    // terminator within the first 256 entries after 71, or no such entry.
    std::string AfterErrors(int k, const std::string& fallback) const;

    // The ECU error texts, indexed by error code.
    const std::vector<std::string>& ErrorTexts() const { return errors_; }
    // Position of the terminator; -1 when it was not found.
    int Terminator() const { return terminator_; }
    bool Empty() const { return entries_.empty(); }

private:
    std::vector<std::string> entries_;
    std::vector<std::string> errors_;
    int terminator_ = -1;
};

}  // namespace gw
