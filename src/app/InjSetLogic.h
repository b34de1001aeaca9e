// InjSetLogic: what the injector settings window shows and does, without any widget: one
// row per cylinder in use (live petrol and gas times, working-mode list, gas time offset
// with its scroll bar and recentre button), the sensitivity slider, the texts from the
// dictionary. Edits go to the parameter image's write copy and its block-3 countdown; a
// mode change becomes an injector-mode sequence request. The Qt window only copies this
// state to its widgets and forwards the user's actions.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/GeneralPresenter.h"
#include "lang/ClsLingue.h"
#include "model/ParameterImage.h"
#include "util/Host.h"
#include "util/Signal.h"

namespace gw {

// The live values the window's refresh shows: the display scheduler's shown (smoothed)
// times when it runs (FromShown), otherwise the image's latest ones (FromImage).
struct InjLiveTimes {
    bool keyOn = false;
    int fuelSelection = 0;  // 3: gas selected
    std::array<double, kInjectors> petrolMs{};
    std::array<double, kInjectors> correctionMs{};  // added to the petrol time on gas

    // The shown times of the General page with the live key and fuel selection.
    static InjLiveTimes FromShown(const InjectorDisplayState& shown, const LiveValues& live);
    // The image's latest values, unsmoothed, read as the General page reads them.
    static InjLiveTimes FromImage(const ParameterImage& image, const ScaleConfig& scale);
};

// One cylinder's row (control arrays LblInj, CmbSelect, TxtInjFuelPetrol, TxtInjFuelGas,
// TxtInjGas, HScrTime, CmdDefaultTime).
struct InjSetRow {
    std::string label;               // LblInj(i)
    std::vector<std::string> modes;  // CmbSelect(i): two choices on row 0, three on the others
    int modeIndex = -1;              // the list's selection; -1: none
    std::string petrolText = "0";    // TxtInjFuelPetrol(i)
    std::string gasText = "0";       // TxtInjFuelGas(i)
    std::string offsetText;          // TxtInjGas(i), ms
    int scrollValue = 0;             // HScrTime(i), kScrollMin ... kScrollMax
};

struct InjSetTexts {
    std::string caption;             // window caption: "<caption> - <injector type>"
    std::string lblInjNum;           // LblInjNum
    std::string lblTimePetrol;       // LblTimePetrol
    std::string lblTime;             // LblTime
    std::string lblEnricht;          // LblEnricht
    std::string lblInjSet;           // LblInjSet
    std::string recentre;            // CmdDefaultTime(i)
    std::array<std::string, 2> badBit;  // LblBadBit(0), LblBadBit(1); (2) is SensitivityText()
    std::array<std::string, 3> modes;   // list index 0, 1, 2
};

class InjSetLogic {
public:
    // HScrTime(i)
    static constexpr int kScrollMin = -50, kScrollMax = 50, kScrollSmallStep = 5, kScrollLargeStep = 50;
    // SldBadBit: the ECU's sensitivity steps (the expert window offers the same 1 ... 25).
    static constexpr int kSensitivityMin = 1, kSensitivityMax = 25;
    static constexpr int kRefreshMs = 500;
    // Block-3 countdown after an offset step: the write follows four S2 slots after the
    // last step of a run; after a sensitivity change, one.
    static constexpr double kOffsetWriteDelay = 4;
    static constexpr double kSensitivityWriteDelay = 1;
    // List index -> injector mode.
    static constexpr std::array<int, 3> kModeOfIndex{3, 4, 0};

    // lingue may be null (built-in texts). decimalComma is the separator of the time texts.
    InjSetLogic(Host& host, ParameterImage& image, const ClsLingue* lingue, std::string decimalComma = ",");
    ~InjSetLogic();
    InjSetLogic(const InjSetLogic&) = delete;
    InjSetLogic& operator=(const InjSetLogic&) = delete;

    // The window's load, run at every opening (the window is unloaded on close): texts
    // in the current language, the caption with the injector type selected now, one row
    // per cylinder in use now, rows filled, any pending injector-mode request cleared,
    // the sensitivity.
    void Load();
    // Every activation of the window: the rows again from the image.
    void FillRows();
    // The 500 ms refresh of the live times.
    void Refresh(const InjLiveTimes& live);
    // Starts the 500 ms timer on the host: each tick refreshes from source() (FromImage when
    // empty) and then emits StateChanged. Stop() halts it; the destructor too.
    void Start(std::function<InjLiveTimes()> source = {});
    void Stop();
    // Called after a timer refresh so the window copies the rows again.
    Signal<> StateChanged;

    // ---- user actions (ignored while the rows are being filled) ----
    // CmbSelect(row) chose index. A refused choice restores the row's selection; while a
    // mode request is pending every choice is refused and the request is left as it is.
    void OnModeSelected(int row, int index);
    // HScrTime(row) changed to value (clamped to the range).
    void OnOffsetScroll(int row, int value);
    // CmdDefaultTime(row) ("X"): the scroll bar to its middle; stores 0 when it moved.
    void OnRecentre(int row);
    // SldBadBit moved to value.
    void OnSensitivity(int value);
    // Whether a mode list may take the focus: not while a mode request is pending (the
    // window then gives the focus to TxtInjFuelGas(0)).
    bool ModeListMayTakeFocus() const { return image_.InjModeTarget < 0; }
    // True once after an action that moves the focus to TxtInjFuelGas(0).
    bool TakeFocusToFirstGasBox();

    // ---- state for the widgets ----
    const InjSetTexts& Texts() const { return texts_; }
    const std::vector<InjSetRow>& Rows() const { return rows_; }
    int SliderValue() const { return slider_; }          // SldBadBit, within its range
    const std::string& SensitivityText() const { return sensitivityText_; }  // LblBadBit(2)
    bool Updating() const { return updating_; }

    // ---- conversions ----
    // Offset in ms of a scroll value: 10 x K_Time_Inj_ms x value.
    static double OffsetFromScroll(int value, double kTimeInjMs);
    // Scroll value of an offset: offset / (10 x K_Time_Inj_ms), rounded half to even,
    // clamped to the range (0 for a scale that is not positive).
    static int ScrollFromOffset(double offsetMs, double kTimeInjMs);
    // List index of an injector mode on a row: 1 for mode 4, 2 for mode 0 (-1 on row 0,
    // which has no "off" choice), 0 otherwise.
    static int ModeIndexFor(int mode, int row);
    // ((sensitivity - 1) x stepUs + 600) / 1000 ms, rounded to one decimal, in the user's
    // number format.
    static std::string SensitivityMs(int sensitivity, int stepUs, const NumberLocale& locale);
    // LblInj(i): "Inj #" preceded by the cylinder number.
    static std::string RowCaption(int row);

private:
    int RowCount() const;
    std::string OffsetText(double offsetMs) const;
    double StoredOffset(int row) const;
    int StoredSensitivity() const;
    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }

    Host& host_;
    ParameterImage& image_;
    const ClsLingue* lingue_;
    std::string comma_;
    InjSetTexts texts_;
    std::vector<InjSetRow> rows_;
    int slider_ = kSensitivityMin;
    std::string sensitivityText_;
    bool updating_ = false;
    bool focusFirstGas_ = false;
    std::unique_ptr<Timer> timer_;
    std::function<InjLiveTimes()> source_;
};

}  // namespace gw
