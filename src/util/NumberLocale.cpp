#include "util/NumberLocale.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace gw {

namespace {
// A group separator counts only before exactly three digits ("1.234,5", not "0.6").
bool IsGroupOfThree(const std::string& t, size_t from, size_t end) {
    size_t n = 0;
    while (from + n < end && std::isdigit(static_cast<unsigned char>(t[from + n]))) ++n;
    return n == 3;
}
}  // namespace

std::optional<double> NumberLocale::Parse(const std::string& text) const {
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    if (b == e) return std::nullopt;

    // Rewrite into the C form ("-12.5e3"), refusing anything that is not a number.
    std::string c;
    size_t i = b;
    if (text[i] == '+' || text[i] == '-') c += text[i++];
    bool digits = false, point = false;
    for (; i < e; ++i) {
        const char ch = text[i];
        if (std::isdigit(static_cast<unsigned char>(ch))) {
            c += ch;
            digits = true;
        } else if (ch == decimal && !point) {
            c += '.';
            point = true;
        } else if (ch == group && group != decimal && digits && !point && IsGroupOfThree(text, i + 1, e)) {
            continue;
        } else {
            break;
        }
    }
    if (!digits) return std::nullopt;
    if (i < e && (text[i] == 'e' || text[i] == 'E')) {
        std::string exp = "e";
        size_t j = i + 1;
        if (j < e && (text[j] == '+' || text[j] == '-')) exp += text[j++];
        size_t start = j;
        while (j < e && std::isdigit(static_cast<unsigned char>(text[j]))) exp += text[j++];
        if (j == start) return std::nullopt;
        c += exp;
        i = j;
    }
    if (i != e) return std::nullopt;
    const double v = std::strtod(c.c_str(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

std::string NumberLocale::Format(double value) const {
    char buf[64];
    int prec = 1;
    for (; prec <= 17; ++prec) {
        std::snprintf(buf, sizeof buf, "%.*g", prec, value);
        if (std::strtod(buf, nullptr) == value) break;
    }
    // Plain digits for everyday magnitudes ("30", not "3e+01").
    const double mag = std::fabs(value);
    if (std::isfinite(value) && mag != 0 && mag < 1e15 && mag >= 1e-6 &&
        std::string(buf).find_first_of("eE") != std::string::npos) {
        const int exp10 = static_cast<int>(std::floor(std::log10(mag)));
        const int decimals = std::max(0, prec - 1 - exp10);
        std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    }
    if (value == 0) std::snprintf(buf, sizeof buf, "0");  // also -0
    std::string s = buf;
    for (char& ch : s)
        if (ch == '.') ch = decimal;
    return s;
}
}  // namespace gw
