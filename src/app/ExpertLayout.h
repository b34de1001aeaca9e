// ExpertLayout: the controls of the expert settings window with their designed geometry,
// captions and containers, and the reader of the layout file "\LNG\exp.cfg" that moves,
// sizes, shows, hides and colours them. A block the reader cannot trust (unknown control,
// a value that is not a number or out of range, a block cut short) is skipped whole;
// every control always ends inside its container. Filling and editing values is
// ExpertLogic's job; the window only copies this geometry to its widgets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gw {

enum class LayoutKind { Frame, Label, List, Check, Text, Button };

struct LayoutControl {
    std::string name;
    int index = -1;          // control-array index; -1 when the control is not in an array
    LayoutKind kind = LayoutKind::Label;
    std::string container;   // the frame holding it; empty for the window itself
    int left = 0, top = 0, width = 0, height = 0;  // twips, relative to the container
    bool visible = true;
    int alignment = 0;       // 0 left, 1 right, 2 centre
    std::optional<std::uint32_t> backColor, foreColor;  // &HBBGGRR or a system colour
    std::string caption;     // designed caption (the window replaces it from the dictionary)
};

// What one reading of the layout file did: blocks applied and the reasons for the skips.
struct LayoutReport {
    int applied = 0;
    std::vector<std::string> skipped;
};

class ExpertLayout {
public:
    // The window's client area at its largest (frames are kept inside it) and at its
    // small size (the password box is kept inside that).
    static constexpr int kMaxClientWidth = 15000;
    static constexpr int kMaxClientHeight = 11000;
    static constexpr int kSmallClientWidth = 3555 - 90;
    static constexpr int kSmallClientHeight = 1050 - 495;
    // Sizes beyond this are not twips of any screen: the block is skipped.
    static constexpr int kMaxTwips = 32767;
    // Layout files larger than this are not read.
    static constexpr std::size_t kMaxFileBytes = 1u << 20;

    static constexpr const char* kStart = "[Sessione pagina Expert]";
    static constexpr const char* kEnd = "[Fine pagina Expert]";

    // The designed window.
    ExpertLayout();

    const std::vector<LayoutControl>& Controls() const { return controls_; }
    // Case-insensitive, as control names are; nullptr when there is no such control.
    LayoutControl* Find(std::string_view name, int index = -1);
    const LayoutControl* Find(std::string_view name, int index = -1) const;

    // Applies a layout text; the blocks before the start line and after the end line are
    // not read.
    LayoutReport Apply(std::string_view text);
    // The same from a file; a missing or oversized file changes nothing.
    LayoutReport ApplyFile(const std::string& path);
    // Every control visible (the full expert level).
    void ShowAll();
    // Puts every control back inside its container (frames first, then their contents).
    void ClampAll();

private:
    void Clamp(LayoutControl& c);

    std::vector<LayoutControl> controls_;
};

}  // namespace gw
