#include "app/ExpertLayout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>

#include "util/FileIo.h"
#include "util/FileSys.h"
#include "util/Numbers.h"

namespace gw {

namespace {

constexpr int kRow = 420;       // row pitch inside a frame
constexpr int kFirstRow = 300;  // below the frame's caption
constexpr int kLabelLeft = 120, kLabelWidth = 2400;
constexpr int kFieldLeft = 2640, kFieldWidth = 1935;
constexpr int kFrameWidth = 4800, kFrameHeight = 5640, kFrameTop = 600;

int RowTop(int row) { return kFirstRow + row * kRow; }

LayoutControl Make(const char* name, LayoutKind kind, const char* container, int left, int top, int width,
                   int height, const char* caption = "") {
    LayoutControl c;
    c.name = name;
    c.kind = kind;
    c.container = container;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.caption = caption;
    return c;
}

// A label and its field on one row of a frame.
void Row(std::vector<LayoutControl>& v, const char* frame, int row, const char* label, const char* caption,
         const char* field, LayoutKind kind) {
    v.push_back(Make(label, LayoutKind::Label, frame, kLabelLeft, RowTop(row) + 30, kLabelWidth, 255, caption));
    v.push_back(Make(field, kind, frame, kFieldLeft, RowTop(row), kFieldWidth, 315));
}

void Check(std::vector<LayoutControl>& v, const char* frame, int row, const char* name, const char* caption,
           int width = kFrameWidth - 2 * kLabelLeft) {
    v.push_back(Make(name, LayoutKind::Check, frame, kLabelLeft, RowTop(row), width, 315, caption));
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// One comma-separated field of the file, with the line it came from.
struct Item {
    std::string text;
    int line;
};

std::vector<Item> Items(std::string_view text) {
    std::vector<Item> items;
    int line = 1;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view l = text.substr(pos, end - pos);
        std::size_t from = 0;
        while (true) {
            const std::size_t comma = l.find(',', from);
            std::string_view f = Trim(l.substr(from, comma == std::string_view::npos ? l.size() - from : comma - from));
            if (f.size() >= 2 && f.front() == '"' && f.back() == '"') f = f.substr(1, f.size() - 2);
            items.push_back({std::string(f), line});
            if (comma == std::string_view::npos) break;
            from = comma + 1;
        }
        if (end == text.size()) break;
        pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++line;
    }
    return items;
}

// A whole number of at most ten digits with an optional sign, or "&H" and up to eight
// hexadecimal digits (read as the 32-bit value they spell).
std::optional<long long> Integer(const std::string& s) {
    if (s.size() > 2 && (s[0] == '&') && (s[1] == 'H' || s[1] == 'h')) {
        if (s.size() > 10) return std::nullopt;
        long long v = 0;
        for (std::size_t i = 2; i < s.size(); ++i) {
            if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return std::nullopt;
            v = v * 16 + (std::isdigit(static_cast<unsigned char>(s[i])) ? s[i] - '0' : std::tolower(s[i]) - 'a' + 10);
        }
        return v;
    }
    std::size_t i = (!s.empty() && (s[0] == '-' || s[0] == '+')) ? 1 : 0;
    if (i == s.size() || s.size() - i > 10) return std::nullopt;
    long long v = 0;
    for (std::size_t k = i; k < s.size(); ++k) {
        if (!std::isdigit(static_cast<unsigned char>(s[k]))) return std::nullopt;
        v = v * 10 + (s[k] - '0');
    }
    return s[0] == '-' ? -v : v;
}

std::optional<bool> Boolean(const std::string& s) {
    const std::string l = Lower(s);
    if (l == "true" || l == "#true#") return true;
    if (l == "false" || l == "#false#") return false;
    if (auto n = Integer(s)) return *n != 0;
    return std::nullopt;
}

// A colour: &HBBGGRR, or a system colour (&H80000000 + n, also written as the negative
// 32-bit number).
std::optional<std::uint32_t> Colour(const std::string& s) {
    auto n = Integer(s);
    if (!n) return std::nullopt;
    long long v = *n;
    if (v < 0) v += 0x100000000LL;
    if (v >= 0 && v <= 0xFFFFFF) return static_cast<std::uint32_t>(v);
    if (v >= 0x80000000LL && v <= 0x800000FFLL) return static_cast<std::uint32_t>(v);
    return std::nullopt;
}

constexpr std::array<const char*, 12> kKeys = {"[Name]",      "[Index]",     "[Visible]", "[Width]",
                                               "[Height]",    "[Top]",       "[Left]",    "[Alignment]",
                                               "[BackColor]", "[ForeColor]", "[EndName]", ExpertLayout::kEnd};

bool IsKey(const std::string& s) {
    return std::find_if(kKeys.begin(), kKeys.end(), [&](const char* k) { return s == k; }) != kKeys.end();
}

// What one block asks for, before it is known to be sound.
struct Block {
    std::string name;
    int index = -1;
    std::vector<std::function<void(LayoutControl&)>> edits;
    std::string fault;  // empty while the block is sound
    int line = 0;
};

}  // namespace

ExpertLayout::ExpertLayout() {
    auto& v = controls_;
    v.push_back(Make("TxtPw", LayoutKind::Text, "", 120, 120, 3195, 315));
    v.push_back(Make("FrmExp", LayoutKind::Frame, "", 120, kFrameTop, kFrameWidth, kFrameHeight));
    v.push_back(Make("FrmTrueExpert", LayoutKind::Frame, "", 120 + kFrameWidth + 120, kFrameTop, kFrameWidth,
                     kFrameHeight));
    const char* e = "FrmExp";
    Check(v, e, 0, "ChkAbilComp", "Compensazione Volumetrica");
    Row(v, e, 1, "LblpressVolRef", "Pres. Vo (mbar)", "CmbpressVolRef", LayoutKind::List);
    Row(v, e, 2, "LbltempVolRef", "Temp. Vo (\xC2\xB0" "C)", "CmbtempVolRef", LayoutKind::List);
    Row(v, e, 3, "LblTypSensTemp", "Temper. sensor", "CmbTypSensTemp", LayoutKind::List);
    Row(v, e, 4, "LblTypSensMap", "Map sensor", "CmbTypSensMap", LayoutKind::List);
    Row(v, e, 5, "LblSafetyCar", "Safety car", "CmbSafetyCar", LayoutKind::List);
    Check(v, e, 6, "ChkMaxPower", "Max power", kLabelWidth);
    v.push_back(Make("CmbMaxPowerSoh", LayoutKind::List, e, kFieldLeft, RowTop(6), kFieldWidth, 315));
    Check(v, e, 7, "ChkMinRpmAbil", "Min power");
    Row(v, e, 8, "LblRpmHight", "Min RPM Hight", "CmbRpmHight", LayoutKind::List);
    Row(v, e, 9, "LblRpmLow", "Min RPM Low", "CmbRpmLow", LayoutKind::List);
    Check(v, e, 10, "ChkAbilCompRpm", "Compensa rpm");
    v.push_back(Make("LblTimeWork", LayoutKind::Label, e, kLabelLeft, RowTop(11), 3000, 495, "Time work"));
    v.push_back(Make("CmdClearHoursCnt", LayoutKind::Button, e, 3240, RowTop(11), 1335, 375, "Erase"));

    const char* t = "FrmTrueExpert";
    Check(v, t, 0, "ChknotOsservaRpm", "notOsservaRpm");
    Check(v, t, 1, "ChkversoComm", "versoComm");
    Check(v, t, 2, "ChkSingleChComm", "Semi sequential control");
    Row(v, t, 3, "LblBadBit", "Bad bit (ms)", "CmbBadBit", LayoutKind::List);
    Row(v, t, 4, "LblTemperUnderPreInj", "Preinj.Temper (\xC2\xB0" "c)", "CmbTemperUnderPreInj", LayoutKind::List);
    Row(v, t, 5, "LblDefTimeSovra", "Preinj. Period (s)", "CmbDefTimeSovra", LayoutKind::List);
    Row(v, t, 6, "LblValuePreInj", "Preinj. Time (ms)", "CmbValuePreInj", LayoutKind::List);
    v.push_back(Make("LblMicroInjTime", LayoutKind::Label, t, kLabelLeft, RowTop(7) + 30,
                     kFrameWidth - 2 * kLabelLeft, 255, "Microinj time (ms)"));
    Row(v, t, 8, "Lblsoh_Tfra_Comm", "soh_Tfra_Comm  (x 8 uS)", "Txtsoh_Tfra_Comm", LayoutKind::Text);
    Row(v, t, 9, "LblSoh_Ton_Comm", "Soh_Ton_Comm (x 8 uS)", "TxtSoh_Ton_Comm", LayoutKind::Text);
    v.push_back(Make("CmdChangeStatoEcu", LayoutKind::Button, t, kLabelLeft, RowTop(10) + 60, kFieldWidth, 375,
                     "Stato Ecu"));
}

LayoutControl* ExpertLayout::Find(std::string_view name, int index) {
    const std::string l = Lower(name);
    for (auto& c : controls_)
        if (c.index == index && Lower(c.name) == l) return &c;
    return nullptr;
}

const LayoutControl* ExpertLayout::Find(std::string_view name, int index) const {
    return const_cast<ExpertLayout*>(this)->Find(name, index);
}

void ExpertLayout::ShowAll() {
    for (auto& c : controls_) c.visible = true;
}

void ExpertLayout::Clamp(LayoutControl& c) {
    int w = kSmallClientWidth, h = kSmallClientHeight;
    if (c.kind == LayoutKind::Frame) {
        w = kMaxClientWidth;
        h = kMaxClientHeight;
    } else if (!c.container.empty()) {
        const LayoutControl* f = Find(c.container);
        w = f ? f->width : 0;
        h = f ? f->height : 0;
    }
    c.width = std::clamp(c.width, 0, w);
    c.height = std::clamp(c.height, 0, h);
    c.left = std::clamp(c.left, 0, w - c.width);
    c.top = std::clamp(c.top, 0, h - c.height);
}

void ExpertLayout::ClampAll() {
    for (auto& c : controls_)
        if (c.kind == LayoutKind::Frame) Clamp(c);
    for (auto& c : controls_)
        if (c.kind != LayoutKind::Frame) Clamp(c);
}

LayoutReport ExpertLayout::ApplyFile(const std::string& path) {
    auto text = ReadWholeFile(path, kMaxFileBytes);
    if (!text) {
        if (FileExists(path)) return {0, {"layout file unreadable or too large: not read"}};
        return {};
    }
    return Apply(*text);
}

LayoutReport ExpertLayout::Apply(std::string_view text) {
    LayoutReport report;
    const std::vector<Item> items = Items(text);
    std::size_t i = 0;
    while (i < items.size() && items[i].text != kStart) ++i;
    if (i == items.size()) return report;
    ++i;

    auto finish = [&](Block& b) {
        LayoutControl* c = b.fault.empty() ? Find(b.name, b.index) : nullptr;
        if (b.fault.empty() && !c) b.fault = "no such control";
        if (!b.fault.empty()) {
            report.skipped.push_back("line " + std::to_string(b.line) + ": " + b.name +
                                     (b.index >= 0 ? "(" + std::to_string(b.index) + ")" : "") + ": " + b.fault);
            return;
        }
        for (auto& edit : b.edits) edit(*c);
        Clamp(*c);
        ++report.applied;
    };

    while (i < items.size()) {
        const std::string& key = items[i].text;
        if (key == kEnd) break;
        if (key != "[Name]") {
            ++i;
            continue;
        }
        Block b;
        b.line = items[i].line;
        ++i;
        if (i < items.size() && !IsKey(items[i].text)) b.name = items[i++].text;
        else b.fault = "no control name";
        bool closed = false;
        while (i < items.size()) {
            const std::string k = items[i].text;
            if (k == "[EndName]") {
                ++i;
                closed = true;
                break;
            }
            if (k == "[Name]" || k == kEnd) break;  // cut short: the next block or the end starts here
            ++i;
            if (!IsKey(k)) continue;  // a stray line inside a block
            // The property's value line; a key in its place means the value is missing.
            if (i >= items.size() || IsKey(items[i].text)) {
                if (b.fault.empty()) b.fault = k + " without a value";
                continue;
            }
            const std::string value = items[i++].text;
            if (value.empty()) continue;  // leaves the property as it is
            auto bad = [&] {
                if (b.fault.empty()) b.fault = k + " value '" + value.substr(0, 40) + "' not usable";
            };
            if (k == "[Index]") {
                auto n = Integer(value);
                if (!n) b.index = -1;  // not a number: the control is not in an array
                else if (*n < 0 || *n > kMaxTwips) b.index = -2;  // no control has it
                else b.index = static_cast<int>(*n);
            } else if (k == "[Visible]") {
                if (auto v = Boolean(value)) b.edits.push_back([v = *v](LayoutControl& c) { c.visible = v; });
                else bad();
            } else if (k == "[Width]" || k == "[Height]" || k == "[Top]" || k == "[Left]") {
                auto n = Integer(value);
                if (!n) {
                    bad();
                    continue;
                }
                const bool size = k == "[Width]" || k == "[Height]";
                if (size && (*n < 0 || *n > kMaxTwips)) {
                    bad();
                    continue;
                }
                // Positions are clamped into the container afterwards.
                const int x = static_cast<int>(std::clamp<long long>(*n, -kMaxTwips, kMaxTwips));
                if (k == "[Width]") b.edits.push_back([x](LayoutControl& c) { c.width = x; });
                if (k == "[Height]") b.edits.push_back([x](LayoutControl& c) { c.height = x; });
                if (k == "[Top]") b.edits.push_back([x](LayoutControl& c) { c.top = x; });
                if (k == "[Left]") b.edits.push_back([x](LayoutControl& c) { c.left = x; });
            } else if (k == "[Alignment]") {
                auto n = Integer(value);
                if (n && *n >= 0 && *n <= 2) b.edits.push_back([a = static_cast<int>(*n)](LayoutControl& c) { c.alignment = a; });
                else bad();
            } else if (k == "[BackColor]" || k == "[ForeColor]") {
                auto col = Colour(value);
                if (!col) bad();
                else if (k == "[BackColor]") b.edits.push_back([x = *col](LayoutControl& c) { c.backColor = x; });
                else b.edits.push_back([x = *col](LayoutControl& c) { c.foreColor = x; });
            }
        }
        if (!closed && b.fault.empty()) b.fault = "block not ended by [EndName]";
        finish(b);
    }
    ClampAll();
    return report;
}

}  // namespace gw
