#include "common/NumText.h"

#include <cctype>
#include <algorithm>
#include <charconv>
#include <system_error>
#include <string>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace aerolyx {

namespace {

// Lays out significant digits d1 d2 ... (no dot) with decimal exponent exp
// (value = d1.d2... × 10^exp) in fixed form for -5 <= exp < 15, else as
// d.ddd followed by E+XX / E-XX.
std::string LayOut(bool neg, std::string digits, int exp)
{
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const std::size_t n = digits.size();
    std::string out;
    out.reserve(n + 24);
    if (neg) out += '-';
    if (exp >= -5 && exp < 15) {
        const auto whole = static_cast<std::size_t>(exp + 1);
        if (exp < 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-exp - 1), '0');
            out += digits;
        } else if (n <= whole) {
            out += digits;
            out.append(whole - n, '0');
        } else {
            out.append(digits, 0, whole);
            out += '.';
            out.append(digits, whole, std::string::npos);
        }
    } else {
        out += digits[0];
        if (n > 1) {
            out += '.';
            out.append(digits, 1, std::string::npos);
        }
        out += exp < 0 ? "E-" : "E+";
        const int ae = exp < 0 ? -exp : exp;
        if (ae < 10) out += '0';
        out += std::to_string(ae);
    }
    return out;
}

// Scientific text of |v| ("d.ddde+XX"), shortest when precision < 0.
struct Sci {
    std::string digits;
    int exp = 0;
};
Sci ToSci(double a, int precision)
{
    char buf[64];
    const auto r = precision < 0 ? std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific)
                                 : std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, precision);
    Sci s;
    const char* p = buf;
    for (; p < r.ptr && *p != 'e'; ++p)
        if (*p != '.') s.digits += *p;
    if (p < r.ptr) std::from_chars(p + (p[1] == '+' ? 2 : 1), r.ptr, s.exp);
    return s;
}

// Rounds the 16 or 17 digits of a shortest form to 15. No 16-digit decimal
// lies between a 17-digit shortest form and the value, so rounding the text
// rounds the value; a 16-digit form ending in 5 is a tie in the text only.
bool RoundTo15(Sci& s)
{
    const std::size_t n = s.digits.size();
    if (n > 17 || (n == 16 && s.digits[15] == '5')) return false;
    const bool up = n == 17 ? s.digits[15] >= '5' : s.digits[15] > '5';
    s.digits.resize(15);
    if (!up) return true;
    std::size_t i = 15;
    while (i > 0 && s.digits[i - 1] == '9') s.digits[--i] = '0';
    if (i > 0) {
        ++s.digits[i - 1];
    } else {
        s.digits.insert(s.digits.begin(), '1');
        s.digits.pop_back();
        ++s.exp;
    }
    return true;
}

// The 15-digit rounding of a normal positive a: its shortest form when that
// has no more digits, else that form rounded, or the exact expansion's
// rounding when the text ends halfway.
Sci FifteenDigitForm(double a)
{
    Sci s = ToSci(a, -1);
    if (s.digits.size() > 15 && !RoundTo15(s)) s = ToSci(a, 14);
    return s;
}

double FromSci(double a, int precision)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, precision);
    double back = 0;
    std::from_chars(buf, r.ptr, back);
    return back;
}

// As FromSci, with an overflow read as infinity (from_chars leaves it unset).
double FromSciChecked(double a, int precision)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, precision);
    double back = 0;
    if (std::from_chars(buf, r.ptr, back).ec == std::errc::result_out_of_range)
        return std::numeric_limits<double>::infinity();
    return back;
}

}  // namespace

std::string NumToText(double v)
{
    if (v == 0.0) return "0";  // also folds -0
    if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v > 0 ? "Inf" : "-Inf");
    const bool neg = v < 0;
    const double a = neg ? -v : v;
    if (a < 1e15 && a == std::trunc(a)) {
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(a));
        return (neg ? "-" : "") + std::string(buf, r.ptr);
    }
    // Most figures the program writes are short decimals (values rounded to
    // a few places). When k / 10^d gives back the value for some d <= 6, the
    // value is the double of a decimal of at most 15 digits, which is then
    // its 15-digit rounding; the smallest such d has no trailing zero.
    if (a >= 1e-5 && a < 1e9) {
        static constexpr double kPow10[] = {1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
        for (int d = 1; d <= 6; ++d) {
            const double p = kPow10[d - 1];
            const double k = std::nearbyint(a * p);
            if (k / p != a) continue;
            char buf[40];
            const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(k));
            const auto len = static_cast<std::size_t>(r.ptr - buf);
            const auto places = static_cast<std::size_t>(d);
            std::string out = neg ? "-" : "";
            if (len <= places) {
                out += "0.";
                out.append(places - len, '0');
                out.append(buf, len);
            } else {
                out.append(buf, len - places);
                out += '.';
                out.append(buf + (len - places), places);
            }
            return out;
        }
    }
    // Fewest significant digits (1..15) whose correctly rounded form reads
    // back as the value rounded to 15 digits. For normal numbers that is the
    // 15-digit rounding without its trailing zeros: distinct decimals of up
    // to 15 digits never share a double, and a double's shortest form, when
    // it has at most 15 digits, is its 15-digit rounding. (Near the top of
    // the range that rounding may overflow, so those take the long way.)
    if (a >= std::numeric_limits<double>::min() && a < 1e308) {
        Sci s = FifteenDigitForm(a);
        return LayOut(neg, std::move(s.digits), s.exp);
    }
    Sci s = ToSci(a, -1);
    if (s.digits.size() > 15 && a >= 1e308 && !std::isfinite(FromSciChecked(a, 14))) {
        // Rounded to 15 digits it would pass the largest double and read back
        // as infinite: cut to 15 digits instead.
        s.digits.resize(15);
        return LayOut(neg, std::move(s.digits), s.exp);
    }
    if (s.digits.size() > 15) {
        const double target = FromSci(a, 14);
        const std::size_t shortest = ToSci(target, -1).digits.size();
        int p = static_cast<int>(shortest) - 1;
        while (p < 14 && FromSci(a, p) != target) ++p;
        s = ToSci(a, p);
    }
    return LayOut(neg, std::move(s.digits), s.exp);
}

double FifteenDigits(double v)
{
    const double a = std::fabs(v);
    if (a == 0 || std::isnan(v)) return v;
    if (!(a >= std::numeric_limits<double>::min() && a < 1e308)) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", v);
        return std::strtod(buf, nullptr);
    }
    const Sci s = FifteenDigitForm(a);
    const std::string text = s.digits + "e" + std::to_string(s.exp - static_cast<int>(s.digits.size()) + 1);
    double r = 0;
    std::from_chars(text.data(), text.data() + text.size(), r);
    return v < 0 ? -r : r;
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
    if (consumed) *consumed = end;
    // from_chars, not strtod: the C library follows the process locale, which
    // Qt sets from the user's (a German one reads "12.5" as 12).
    const char* first = text.data() + start;
    const char* last = text.data() + end;
    const bool neg = *first == '-';
    if (*first == '+' || neg) ++first;
    double v = 0.0;
    if (std::from_chars(first, last, v).ec == std::errc::result_out_of_range) {
        // As strtod: too large gives infinity, too small gives zero. The
        // text's magnitude is its exponent plus the digits before its point.
        const std::string_view t(first, static_cast<std::size_t>(last - first));
        const std::size_t e = t.find_first_of("eE");
        const std::string_view mant = t.substr(0, e);
        const std::size_t nz = mant.find_first_of("123456789");
        const std::size_t dot = std::min(mant.find('.'), mant.size());
        long mag = nz < dot ? static_cast<long>(dot - nz) : -static_cast<long>(nz - dot);
        if (e != std::string_view::npos) {
            const std::string_view ex = t.substr(e + 1);
            const bool eneg = !ex.empty() && ex[0] == '-';
            long ev = 0;
            for (char c : ex.substr(!ex.empty() && (ex[0] == '-' || ex[0] == '+') ? 1 : 0))
                ev = std::min(ev * 10 + (c - '0'), 100000L);
            mag += eneg ? -ev : ev;
        }
        v = mag > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return neg ? -v : v;
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
