#include "app/EcuErrors.h"

#include "app/DictionaryEntries.h"
#include "link/Commands.h"
#include "link/ModComm.h"

namespace gw {

ErrorMaskInputs MaskInputsFromImage(const ParameterImage& image) {
    ErrorMaskInputs in;
    in.endOfGasCheckOn = image.Block3.EmptyGas != 0;
    in.vacuumShown = image.Block2.AbilAcq[0] == 1;
    in.lambdaSelected = image.Block3.SwtchLambdaType != 0;
    in.injectorTypeCode = image.Block3.TpyInj;
    return in;
}

std::array<std::uint8_t, 64> ErrorMask(const ErrorMaskInputs& in) {
    std::array<std::uint8_t, 64> m{};
    auto set = [&](int k, bool masked) { m[static_cast<std::size_t>(k)] = m[static_cast<std::size_t>(k + 32)] = masked; };
    for (int k = 0; k < 8; ++k) set(k, in.injectorTypeCode == 2);
    set(8, !in.endOfGasCheckOn);
    set(9, !in.vacuumShown);
    set(11, !in.gasTempShown);
    set(12, !in.lambdaListVisible || !in.lambdaSelected);
    return m;
}

namespace {
std::string TrimSpaces(const std::string& s) {
    const auto a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}
}  // namespace

std::string ErrorName(const std::string& text) { return TrimSpaces(text.substr(0, text.find(kErrorNameEnd))); }

std::string ErrorStateText(const std::string& text, int value) {
    const auto q = text.find(kErrorNameEnd);
    if (q == std::string::npos || value < 0) return {};
    std::size_t from = q + 1;
    for (int part = 0;; ++part) {
        const auto bar = text.find(kErrorStateSeparator, from);
        if (part == value) return text.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
        if (bar == std::string::npos) return {};
        from = bar + 1;
    }
}

void EcuErrors::SetTexts(std::vector<std::string> errorTexts, std::string warningCaption) {
    texts_ = std::move(errorTexts);
    warningCaption_ = std::move(warningCaption);
    if (warning_.visible) warning_.caption = warningCaption_;
}

bool EcuErrors::CaricaErroriEcu(ClsComm& link) {
    const bool read = link.SendMsgWait(RequestMsg(CMD_READ_ERR));
    mask_ = ErrorMask(MaskInputs());
    for (std::size_t i = 0; i < mask_.size(); ++i)
        if (mask_[i]) link.ErrInj[i] = kErrorNone;
    UpdateWarning(link);
    return read;
}

void EcuErrors::UpdateWarning(ClsComm& link) {
    const int last = static_cast<int>(texts_.size()) - 1;
    for (int i = 0; i <= link.ErrInjUBound(); ++i) {
        const std::uint8_t b = link.ErrInj[static_cast<std::size_t>(i)];
        if (b == kErrorNone || b == kErrorNotAvailable) continue;
        // The first active error decides; it counts only when the dictionary names it.
        if (i <= last || (i >= kErrorNumbers && i <= last + kErrorNumbers)) {
            warning_.visible = true;
            warning_.caption = warningCaption_;
            warning_.backColor = kWarningColour;
            return;
        }
        break;
    }
    warning_.visible = false;
}

bool EcuErrors::CancelErrors(ClsComm& link) {
    warning_.visible = false;
    return link.SendMsgWait(RequestMsg(CMD_CANC_ERR));
}

}  // namespace gw
