#include "common/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx {

NumberLocale& DisplayLocale()
{
    static NumberLocale loc;
    return loc;
}

std::string FormatNumber(double value, std::string_view format, const NumberLocale& loc)
{
    if (format.empty()) return ReplaceAll(NumToText(value), ".", loc.decimal);
    const auto isPh = [](char c) { return c == '0' || c == '#'; };
    std::size_t first = format.size(), last = 0;
    for (std::size_t i = 0; i < format.size(); ++i)
        if (isPh(format[i]) || format[i] == '.' || format[i] == ',') {
            if (first == format.size()) first = i;
            last = i;
        }
    if (first == format.size()) return std::string(format);  // all literal
    const std::string prefix(format.substr(0, first));
    const std::string suffix(format.substr(last + 1));
    const std::string_view body = format.substr(first, last - first + 1);
    const auto dot = body.find('.');
    const std::string_view ipart = body.substr(0, dot);
    const std::string_view fpart = dot == std::string_view::npos ? std::string_view{} : body.substr(dot + 1);
    int minInt = 0, minFrac = 0, maxFrac = 0;
    bool group = false;
    for (char c : ipart) {
        if (c == '0') ++minInt;
        if (c == ',') group = true;
    }
    for (char c : fpart) {
        if (c == '0') { ++minFrac; ++maxFrac; }
        if (c == '#') ++maxFrac;
    }
    // half away from zero at maxFrac decimals
    const double p = std::pow(10.0, maxFrac);
    // Round on the 15-digit decimal text so that 2.675 with two decimals
    // gives 2.68 as the user reads it, not 2.67 from its binary form.
    double a = std::floor(FifteenDigits(std::fabs(value) * p) + 0.5);
    const bool neg = value < 0 && a != 0.0;
    char buf[400];
    const auto end = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::fixed, 0).ptr;
    std::string digits(buf, end);
    if (static_cast<int>(digits.size()) <= maxFrac) digits.insert(0, static_cast<std::size_t>(maxFrac) + 1 - digits.size(), '0');
    std::string ip = digits.substr(0, digits.size() - static_cast<std::size_t>(maxFrac));
    std::string fp = digits.substr(digits.size() - static_cast<std::size_t>(maxFrac));
    while (static_cast<int>(fp.size()) > minFrac && fp.back() == '0') fp.pop_back();
    // strip leading zeros down to the minimum integer digits
    std::size_t lead = 0;
    while (lead < ip.size() && ip[lead] == '0' && static_cast<int>(ip.size() - lead) > minInt) ++lead;
    ip = ip.substr(lead);
    if (static_cast<int>(ip.size()) < minInt) ip.insert(0, static_cast<std::size_t>(minInt) - ip.size(), '0');
    if (group && ip.size() > 3) {
        std::string g;
        const std::size_t n = ip.size();
        for (std::size_t i = 0; i < n; ++i) {
            g += ip[i];
            const std::size_t rest = n - 1 - i;
            if (rest > 0 && rest % 3 == 0) g += loc.group;
        }
        ip = g;
    }
    std::string r = prefix;
    if (neg) r += '-';
    r += ip;
    if (!fp.empty()) r += loc.decimal + fp;
    r += suffix;
    return r;
}

bool ParseDisplayNumber(std::string_view text, double& value, const NumberLocale& loc)
{
    std::string t = Trim(text);
    if (t.empty()) return false;
    std::string norm;
    for (std::size_t i = 0; i < t.size();) {
        if (!loc.group.empty() && t.compare(i, loc.group.size(), loc.group) == 0 && loc.group != loc.decimal) {
            i += loc.group.size();
            continue;
        }
        if (!loc.decimal.empty() && t.compare(i, loc.decimal.size(), loc.decimal) == 0) {
            norm += '.';
            i += loc.decimal.size();
            continue;
        }
        if (t[i] == ' ') { ++i; continue; }
        norm += t[i++];
    }
    if (!IsNumeric(norm)) return false;
    value = TextToNum(norm);
    return true;
}

}  // namespace aerolyx
