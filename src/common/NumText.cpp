#include "common/NumText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace aerolyx {

std::string NumToText(double v)
{
    if (v == 0.0) return "0";  // also folds -0
    if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v > 0 ? "Inf" : "-Inf");
    // Fewest significant digits (1..15) that read back as the value rounded
    // to 15 digits.
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    const double target = std::strtod(buf, nullptr);
    for (int p = 0; p < 14; ++p) {
        char b2[48];
        std::snprintf(b2, sizeof b2, "%.*e", p, v);
        if (std::strtod(b2, nullptr) == target) {
            std::snprintf(buf, sizeof buf, "%s", b2);
            break;
        }
    }
    // buf is "-d.ddde+XX": lay the digits out in fixed or exponent form.
    std::string s(buf);
    const bool neg = s[0] == '-';
    if (neg) s.erase(0, 1);
    const auto epos = s.find('e');
    const int exp = std::atoi(s.c_str() + epos + 1);
    std::string digits;
    for (std::size_t i = 0; i < epos; ++i)
        if (s[i] != '.') digits += s[i];
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out;
    if (exp >= -5 && exp < 15) {
        if (exp < 0) {
            out = "0." + std::string(static_cast<std::size_t>(-exp - 1), '0') + digits;
        } else if (static_cast<int>(digits.size()) <= exp + 1) {
            out = digits + std::string(static_cast<std::size_t>(exp + 1) - digits.size(), '0');
        } else {
            out = digits.substr(0, static_cast<std::size_t>(exp + 1)) + "." +
                  digits.substr(static_cast<std::size_t>(exp + 1));
        }
    } else {
        out = digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += exp < 0 ? "E-" : "E+";
        const int ae = exp < 0 ? -exp : exp;
        if (ae < 10) out += '0';
        out += std::to_string(ae);
    }
    return neg ? "-" + out : out;
}

double TextToNum(std::string_view text, std::size_t* consumed)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    const std::size_t start = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) { ++i; ++digits; }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) { ++i; ++digits; }
    }
    if (digits == 0) {
        if (consumed) *consumed = 0;
        return 0.0;
    }
    std::size_t end = i;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
        std::size_t ed = 0;
        while (j < n && std::isdigit(static_cast<unsigned char>(text[j]))) { ++j; ++ed; }
        if (ed > 0) end = j;
    }
    std::string tmp(text.substr(start, end - start));
    if (consumed) *consumed = end;
    return std::strtod(tmp.c_str(), nullptr);
}

bool IsNumeric(std::string_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    if (b == e) return false;
    std::size_t used = 0;
    TextToNum(text.substr(b, e - b), &used);
    return used == e - b;
}

}  // namespace aerolyx
