#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "common/NumText.h"

namespace {

// The plain statement of the number text rule, one printf per digit count:
// the fewest significant digits (1..15) whose rounding reads back as the
// value rounded to 15 digits.
std::string Reference(double v)
{
    if (v == 0.0) return "0";
    if (!std::isfinite(v)) return std::isnan(v) ? "NaN" : (v > 0 ? "Inf" : "-Inf");
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    const double target = std::strtod(buf, nullptr);
    if (std::isinf(target)) {
        // The rounding would pass the largest double and read back as
        // infinite: the digits are cut at 15 instead.
        std::snprintf(buf, sizeof buf, "%.16e", v);
        std::string t(buf);
        const auto e = t.find('e');
        const std::size_t keep = (t[0] == '-' ? 1 : 0) + 16;  // sign, first digit, ".", 14 digits
        std::snprintf(buf, sizeof buf, "%s%s", t.substr(0, keep).c_str(), t.substr(e).c_str());
    }
    for (int p = 0; p < 14 && !std::isinf(target); ++p) {
        char b2[48];
        std::snprintf(b2, sizeof b2, "%.*e", p, v);
        if (std::strtod(b2, nullptr) == target) {
            std::snprintf(buf, sizeof buf, "%s", b2);
            break;
        }
    }
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
        if (exp < 0)
            out = "0." + std::string(static_cast<std::size_t>(-exp - 1), '0') + digits;
        else if (static_cast<int>(digits.size()) <= exp + 1)
            out = digits + std::string(static_cast<std::size_t>(exp + 1) - digits.size(), '0');
        else
            out = digits.substr(0, static_cast<std::size_t>(exp + 1)) + "." + digits.substr(static_cast<std::size_t>(exp + 1));
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

TEST(NumTextReference, FastFormMatchesTheRule)
{
    std::mt19937_64 rng(20261207);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> expo(-30, 30);
    int checked = 0;
    auto check = [&](double v) {
        ASSERT_EQ(aerolyx::NumToText(v), Reference(v)) << std::hexfloat << v;
        ASSERT_EQ(aerolyx::NumToText(-v), Reference(-v)) << std::hexfloat << v;
        ++checked;
    };
    for (double v : {1.0, 0.1, 0.3, 2.5, 1e15, 1e15 + 1, 123456789012345.0, 1234567890123456.0, 1e-5, 1e-6,
                     9.99999999999999e14, 0.1 + 0.2, 1e-5, 9.99999e-6, 0.000012, 999999999.5, 999999999.999999, 12.5e-5, 1.0 / 3, 2.0 / 3, 43.8, 70 - 26.2, 1e300, 5e-324, 1.7976931348623157e308, 1.79769313486231e308,
                     9.99999999999999999e307})
        check(v);
    for (int i = 0; i < 20000; ++i) {
        check(unit(rng) * std::pow(10.0, expo(rng)));
        check(std::round(unit(rng) * 1e6) / 1000);       // values rounded to 0.001
        check(std::trunc(unit(rng) * 1e9) / 1e6 * 7 / 3);  // fit-like arithmetic
        check(std::nextafter(std::round(unit(rng) * 1e5) / 100, 1e9));
        check(std::round(unit(rng) * 1e4) / 1e6);               // short decimals near 1e-5
        check(std::round(unit(rng) * 1e15) / std::pow(10.0, expo(rng) % 7 + 6));  // up to 15 digits
    }
    EXPECT_EQ(checked, 120000 + 27);
}

}  // namespace
