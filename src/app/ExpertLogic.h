// ExpertLogic: what the expert settings window does, without widgets: the password box
// and its two levels, the lists, check boxes and text boxes with the block field each
// edits, the working-time counters and their "Erase", the ECU state toggle, the captions
// from the dictionary and the layout file. Every edit goes into a pending record with its
// block's write request; sending is the request service's job. The window copies this
// state into its widgets (with their change signals blocked) and forwards user actions.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/ExpertLayout.h"
#include "lang/ClsLingue.h"
#include "model/ParameterImage.h"

namespace gw {

enum class ExpertList : int {
    PressVolRef, TempVolRef, MaxPowerSoh, TypSensTemp, TypSensMap, SafetyCar, BadBit,
    RpmHight, RpmLow, TemperUnderPreInj, DefTimeSovra, ValuePreInj,
};
inline constexpr int kExpertListCount = 12;

enum class ExpertCheck : int { MaxPower, AbilComp, AbilCompRpm, NotOsservaRpm, VersoComm, SingleChComm, MinRpmAbil };
inline constexpr int kExpertCheckCount = 7;

enum class ExpertText : int { SohTfraComm, SohTonComm };
inline constexpr int kExpertTextCount = 2;

// The widget names, as in the layout file.
const char* ControlName(ExpertList l);
const char* ControlName(ExpertCheck c);
const char* ControlName(ExpertText t);

enum class ExpertLevel { Locked, First, Full };

struct ExpertListState {
    std::vector<std::string> items;
    int selected = -1;  // -1: no selection
};

class ExpertLogic {
public:
    static constexpr int kSmallWidth = 3555;
    static constexpr int kSmallHeight = 1050;
    static constexpr const char* kCaption = "SETTING";
    static constexpr const char* kLayoutFile = "\\LNG\\exp.cfg";
    static constexpr const char* kConfigFile = "\\LNG\\ConfigScale.ini";

    ExpertLogic(ParameterImage& image, const ClsLingue& lingue, std::string appFolder);

    // ---- events the window forwards ----
    // Opening: captions from the dictionary, the layout file, an empty password box, the
    // small size.
    void Load();
    // Each time the window becomes active: lists filled and selected from the image.
    void Activate();
    // Enter in the password box.
    void PasswordEnter(const std::string& text);
    // A list selection (ignored while filling or for an index outside the list).
    void ListClick(ExpertList list, int index);
    // A check box clicked to the given state. The semi-sequential box is refused while the
    // live status byte is not 0: a message box, and the box goes back.
    void CheckClick(ExpertCheck box, bool checked);
    // Enter in a text box: a whole number 0 ... 255 (counts of 8 us) is taken; any other
    // text is replaced by the image's value and nothing changes.
    void TextEnter(ExpertText box, const std::string& text);
    // "Erase": both working-time counters cleared in the ECU.
    void ClearHoursCnt();
    // "Stato Ecu": the ECU state toggle is requested.
    void ChangeStatoEcu();

    // ---- state the window shows ----
    bool Filling() const { return filling_; }
    ExpertLevel Level() const { return level_; }
    int Width() const { return width_; }    // window size, twips; the window centres itself
    int Height() const { return height_; }  // whenever it changes
    const ExpertListState& List(ExpertList l) const { return lists_[static_cast<std::size_t>(l)]; }
    bool Checked(ExpertCheck c) const { return checks_[static_cast<std::size_t>(c)]; }
    const std::string& Text(ExpertText t) const { return texts_[static_cast<std::size_t>(t)]; }
    const std::string& PasswordText() const { return password_; }
    const std::string& TimeWork() const { return timeWork_; }
    // Geometry, visibility and captions of every control (frames included).
    const ExpertLayout& Layout() const { return layout_; }
    // What the last reading of the layout file skipped.
    const LayoutReport& LastLayoutReport() const { return layoutReport_; }

private:
    std::string Path(const char* relative) const;
    void ApplyLayout();
    void SetCaptions();
    void FillFixedLists();
    void FillExpertCombos();
    void SelectValues();
    void ShowTimeWork(double minutes2, double minutes1);
    double ItemNumber(ExpertList l, int index) const;
    ExpertListState& L(ExpertList l) { return lists_[static_cast<std::size_t>(l)]; }
    void SelectAtLeast(ExpertList l, double value, bool addWhenNone);
    void SelectIndex(ExpertList l, int index);

    ParameterImage& image_;
    const ClsLingue& lingue_;
    std::string appFolder_;
    ExpertLayout layout_;
    LayoutReport layoutReport_;
    bool filling_ = false;
    ExpertLevel level_ = ExpertLevel::Locked;
    int width_ = kSmallWidth, height_ = kSmallHeight;
    std::array<ExpertListState, kExpertListCount> lists_{};
    std::array<bool, kExpertCheckCount> checks_{};
    std::array<std::string, kExpertTextCount> texts_{};
    std::string password_;
    std::string timeWork_;
    std::string workLabel1_ = "Time work 1", workLabel2_ = "Time work 2";
    bool configErrorShown_ = false;
};

}  // namespace gw
