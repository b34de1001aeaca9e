#include "app/ErrEcuWindow.h"

#include "app/DictionaryEntries.h"

namespace gw {

void ErrEcuWindow::Load(const ClsLingue& lingue) {
    rows_.clear();
    const auto& texts = errors_.ErrorTexts();
    for (int e = 0; e < kErrorNumbers && e < static_cast<int>(texts.size()); ++e) {
        std::string name = ErrorName(texts[static_cast<std::size_t>(e)]);
        if (!name.empty()) rows_.push_back({e, std::move(name), {}, {}});
    }
    const int marker = lingue.FindMarker(kMarkerErrEcu);
    if (marker >= 0) {
        for (int k = 0; k < 3; ++k) headers_[static_cast<std::size_t>(k)] = lingue.Voce(marker + kErrEcuHeaderName + k);
        cancelCaption_ = lingue.Voce(marker + kErrEcuCmdErrInjCanc);
        caption_ = lingue.Voce(marker + kErrEcuCaption) + " ";
    }
    RefreshStates();
}

void ErrEcuWindow::RefreshStates() {
    const auto& texts = errors_.ErrorTexts();
    for (auto& r : rows_) {
        // The texts may have changed language (and length) since the rows were made.
        static const std::string none;
        const std::string& t = r.error < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(r.error)] : none;
        r.present = ErrorStateText(t, link_.ErrInj[static_cast<std::size_t>(r.error)]);
        r.memorised = ErrorStateText(t, link_.ErrInj[static_cast<std::size_t>(r.error + kErrorNumbers)]);
    }
}

void ErrEcuWindow::Cancel() {
    errors_.CancelErrors(link_);
    for (auto& r : rows_) r.present.clear(), r.memorised.clear();
}

}  // namespace gw
