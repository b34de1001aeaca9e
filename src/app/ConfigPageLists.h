// The Configuration page's drop-down lists as data: one list's entries with their values,
// its selection and state, and the names of the page's thirteen lists. Filling them from
// "\LNG\ConfigScale.ini" and choosing their entries is ConfigPageLogic's business.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace gw {

// One drop-down list as the window shows it: entry texts with a number per entry (the
// entry's value, or the type-table index for the type lists), the selected entry (-1:
// none) and whether the control is enabled and visible.
struct ComboList {
    std::vector<std::string> items;
    std::vector<double> data;
    int selected = -1;
    bool enabled = true;
    bool visible = true;

    void Clear();
    void Add(std::string text, double value);
    int Count() const { return static_cast<int>(items.size()); }
    bool Valid(int index) const { return index >= 0 && index < Count(); }
    // The first entry whose value is at or above v (values that differ only by the
    // rounding of the ECU's scaled counts count as equal); -1 when none is.
    int FirstAtOrAbove(double v) const;
    // The first entry whose value equals v exactly; -1 when none does.
    int IndexOfValue(double v) const;
};

// The page's lists, in the order of the page's frames.
enum class ConfigList : std::size_t {
    CmbSwtchRpm,
    CmbSwtchTemp,
    CmbSwtchDelay,
    CmbSwtchForce,
    CmbSwtchSeq,
    CmbEmptyGas,
    CmbSwtchBar,
    CmbSwtchDelayPress,
    CmbSwtchLambdaType,
    CmbSwtchCilindri,
    CmbSwtchBobine,
    CmbTpyInj,
    CmbTpyGLS,
};
inline constexpr std::size_t kConfigListCount = 13;

}  // namespace gw
