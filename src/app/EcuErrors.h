// EcuErrors: the ECU's error memory as the workbench keeps it, without widgets: the
// periodic read (CaricaErroriEcu: read the 64 error bytes, erase the errors that do not
// matter for this installation, decide the General page's warning button) and the clearing
// of the ECU's memory. The errors window's grid is ErrEcuWindow's.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lang/ClsLingue.h"
#include "link/ClsComm.h"
#include "model/ParameterImage.h"
#include "util/Query.h"

namespace gw {

inline constexpr int kErrorNumbers = 32;  // error i: present byte i, memorised byte i + 32
inline constexpr std::uint8_t kErrorNone = 0;
inline constexpr std::uint8_t kErrorNotAvailable = 255;
inline constexpr std::uint32_t kWarningColour = 0x80C0FF;    // orange
inline constexpr std::uint32_t kPresentColour = 0x8080FF;    // light red
inline constexpr std::uint32_t kMemorisedColour = 0xC0FFFF;  // light yellow

// What the mask depends on: the installation and what the pages show.
struct ErrorMaskInputs {
    bool endOfGasCheckOn = true;    // error 8
    bool vacuumShown = true;        // error 9: vacuum acquisition on
    bool gasTempShown = true;       // error 11: the General page's gas temperature box
    bool lambdaListVisible = true;  // error 12, with:
    bool lambdaSelected = true;     //   a lambda sensor type chosen
    int injectorTypeCode = 0;       // errors 0-7 ignored for code 2
};
// The inputs the image decides: end-of-gas check, vacuum acquisition, lambda type (code 0
// is no sensor), injector type; the page-visibility inputs say "shown".
ErrorMaskInputs MaskInputsFromImage(const ParameterImage& image);
// 1 = ignore that error index; errors k and k + 32 always together.
std::array<std::uint8_t, 64> ErrorMask(const ErrorMaskInputs& in);

// The parts of an error text "name?state 0|state 1|...".
std::string ErrorName(const std::string& text);                // before the first "?", trimmed
std::string ErrorStateText(const std::string& text, int value);  // empty when there is none

struct ErrorWarning {
    bool visible = false;
    std::string caption;
    std::uint32_t backColor = 0;
};

class EcuErrors {
public:
    // The error texts by error number (dictionary entries 72 on) and the button's caption
    // (message T+1); set again at every language change.
    void SetTexts(std::vector<std::string> errorTexts, std::string warningCaption);
    const std::vector<std::string>& ErrorTexts() const { return texts_; }

    // Reads the error memory (CMD_READ_ERR), recomputes the mask, erases the masked errors
    // from the link's copy and updates the warning. Returns whether the read succeeded;
    // the warning follows the link's copy either way.
    bool CaricaErroriEcu(ClsComm& link);
    // Clears the ECU's error memory (CMD_CANC_ERR) and hides the warning at once; the next
    // read shows it again if errors remain. Returns whether the request succeeded.
    bool CancelErrors(ClsComm& link);

    // Where the mask's inputs come from (the window program looks at its pages too).
    Query<ErrorMaskInputs()> MaskInputs;

    const std::array<std::uint8_t, 64>& Mask() const { return mask_; }
    const ErrorWarning& Warning() const { return warning_; }

private:
    void UpdateWarning(ClsComm& link);

    std::vector<std::string> texts_;
    std::string warningCaption_ = "Errori";
    std::array<std::uint8_t, 64> mask_{};
    ErrorWarning warning_;
};

}  // namespace gw
