// Fuzz target: the viewer's settings file on any text. Nothing crashes, and what was read
// writes out and reads back to the same channel settings.
#include <string>

#include "FuzzSupport.h"
#include <cmath>

#include "util/Numbers.h"
#include "viewer/OsciConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace gw;
    using namespace gw::view;
    if (size > 64 * 1024) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const NumberLocale locale = size % 2 ? NumberLocale::Dot() : NumberLocale::Comma();
    OsciSettings s;
    ParseOsciConfig(text, locale, s);
    // Texts with line breaks or blanks at their ends cannot go through a line-based file whole.
    bool plain = true;
    for (const auto& c : s.channels)
        plain = plain && c.tag.find_first_of("\r\n") == std::string::npos && c.tag == Trim(c.tag) &&
                std::isfinite(c.offset) && std::isfinite(c.zoom);
    OsciSettings back;
    ParseOsciConfig(OsciConfigText(s, locale), locale, back);
    if (plain)
        for (std::size_t i = 0; i < s.channels.size(); ++i) {
            FUZZ_CHECK(back.channels[i].tag == s.channels[i].tag);
            FUZZ_CHECK(back.channels[i].setting == s.channels[i].setting);
        }
    return 0;
}
