// ErrEcuWindow: the errors window's grid without widgets: one row per named error with its
// present and memorised state texts from the dictionary, the headers and captions, and
// "Canc.". The Qt window copies this state into its widgets and forwards clicks.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/EcuErrors.h"
#include "lang/ClsLingue.h"
#include "link/ClsComm.h"

namespace gw {

struct ErrEcuRow {
    int error = 0;  // the error number this row shows
    std::string name, present, memorised;
};

class ErrEcuWindow {
public:
    static constexpr int kColumnWidth[3] = {3600, 2160, 2160};
    static constexpr int kRowHeight = 330;
    static constexpr int kRefreshMs = 1000;

    ErrEcuWindow(EcuErrors& errors, ClsComm& link) : errors_(errors), link_(link) {}

    // Rows for the named errors, headers and captions from "[FrmErrEcu]", states filled.
    void Load(const ClsLingue& lingue);
    // The window's timer: state texts from the link's error bytes.
    void RefreshStates();
    // "Canc.": clears the ECU's memory, empties the state columns, hides the warning.
    void Cancel();

    const std::vector<ErrEcuRow>& Rows() const { return rows_; }
    const std::array<std::string, 3>& Headers() const { return headers_; }
    const std::string& CancelCaption() const { return cancelCaption_; }
    const std::string& Caption() const { return caption_; }

private:
    EcuErrors& errors_;
    ClsComm& link_;
    std::vector<ErrEcuRow> rows_;
    std::array<std::string, 3> headers_{"Error", "Present", "Memorised"};
    std::string cancelCaption_ = "Canc.";
    std::string caption_ = "Errori ";
};

}  // namespace gw
