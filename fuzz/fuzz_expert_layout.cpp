// Fuzz target: the expert window's layout file ("\LNG\exp.cfg") on any text. Checked:
// every control ends inside its container (frames inside the window, the rest inside
// their frame or the small window); blocks applied and skipped are counted, never more
// than the text has block starts; alignments stay 0-2.
#include <string>

#include "FuzzSupport.h"
#include "app/ExpertLayout.h"

using gw::ExpertLayout;
using gw::LayoutControl;
using gw::LayoutKind;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    ExpertLayout layout;
    const gw::LayoutReport report = layout.Apply(text);
    std::size_t starts = 0;
    for (std::size_t at = text.find("[Name]"); at != std::string::npos; at = text.find("[Name]", at + 1)) ++starts;
    FUZZ_CHECK(report.applied >= 0);
    FUZZ_CHECK(static_cast<std::size_t>(report.applied) <= starts);

    for (const LayoutControl& c : layout.Controls()) {
        int w = ExpertLayout::kSmallClientWidth, h = ExpertLayout::kSmallClientHeight;
        if (c.kind == LayoutKind::Frame) {
            w = ExpertLayout::kMaxClientWidth;
            h = ExpertLayout::kMaxClientHeight;
        } else if (!c.container.empty()) {
            const LayoutControl* f = layout.Find(c.container);
            FUZZ_CHECK(f != nullptr);
            w = f->width;
            h = f->height;
        }
        FUZZ_CHECK(c.width >= 0 && c.height >= 0 && c.left >= 0 && c.top >= 0);
        FUZZ_CHECK(c.left + c.width <= w && c.top + c.height <= h);
        FUZZ_CHECK(c.alignment >= 0 && c.alignment <= 2);
    }

    return 0;
}
