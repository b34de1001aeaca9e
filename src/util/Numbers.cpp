#include "util/Numbers.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace gw {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The whole part of x, except that a product a hair below or above a whole number (binary
// fractions: 0.29 x 100 is 28.999999999999996) counts as that whole number.
double WholePart(double x) {
    const double nearest = std::round(x);
    const double tolerance = std::min(1e-6, 1e-9 * std::max(1.0, std::fabs(x)));
    if (std::fabs(x - nearest) <= tolerance) return nearest;
    return std::floor(x);
}

}  // namespace

namespace {
template <class Blank>
std::string TrimWith(const std::string& s, Blank blank) {
    std::size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}
}  // namespace

std::string Trim(const std::string& s) {
    return TrimWith(s, [](char c) { return c == ' ' || c == '\t'; });
}

std::string TrimLine(const std::string& s) {
    return TrimWith(s, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsCommaNumber(const std::string& text) {
    const std::string t = Trim(text);
    bool digit = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (IsDigit(c))
            digit = true;
        else if (c == '-' ? i != 0 : c != ',')
            return false;
    }
    return digit;
}

double ParseCommaNumber(const std::string& text) {
    const std::string t = Trim(text);
    std::string whole, fraction;
    bool negative = false, comma = false;
    for (char c : t) {
        if (IsDigit(c))
            (comma ? fraction : whole) += c;
        else if (c == '-')
            negative = true;
        else if (c == ',')
            comma = true;
        else
            return 0.0;
    }
    if (whole.empty() && fraction.empty()) return 0.0;
    // The digits as one decimal text, so that the conversion rounds once and correctly.
    const std::string canonical = (whole.empty() ? "0" : whole) + "." + fraction + "0";
    const double v = std::strtod(canonical.c_str(), nullptr);
    return negative && v != 0.0 ? -v : v;
}

std::string FormatFixed(double value, int decimals, int minIntDigits, const std::string& decimalComma) {
    decimals = std::clamp(decimals, 0, 20);
    minIntDigits = std::clamp(minIntDigits, 1, 64);
    double n = std::isfinite(value) ? WholePart(value * std::pow(10.0, decimals)) : 0.0;
    if (!std::isfinite(n) || n == 0.0) n = 0.0;  // also turns -0 into 0
    const bool negative = n < 0.0;
    if (negative) n = -n;

    char buf[400];
    std::snprintf(buf, sizeof buf, "%.0f", n);
    std::string digits = buf;
    const std::size_t width = static_cast<std::size_t>(decimals + minIntDigits);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    if (decimals > 0) digits.insert(digits.size() - static_cast<std::size_t>(decimals), decimalComma);
    return negative ? "-" + digits : digits;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t e = text.find('\n', pos);
        if (e == std::string::npos) e = text.size();
        std::string line = text.substr(pos, e - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        pos = e + 1;
    }
    return lines;
}

double NearestEven(double p) {
    if (!std::isfinite(p)) return p;
    const double down = std::floor(p);
    const double frac = p - down;
    const double tolerance = 1e-9 * std::fmax(1.0, std::fabs(p));
    if (std::fabs(frac - 0.5) <= tolerance) return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
    return frac < 0.5 ? down : down + 1.0;
}

}  // namespace gw
