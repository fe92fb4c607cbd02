#include "common/StrUtil.h"

#include <algorithm>
#include <cctype>

namespace aerolyx {
namespace {
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// ASCII only: texts are UTF-8, whose multi-byte sequences must pass through
// untouched whatever the C locale would make of their single bytes.
char up(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char low(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

std::string Trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string TrimRight(std::string_view s)
{
    std::size_t e = s.size();
    while (e > 0 && isBlank(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

std::string ToUpper(std::string_view s)
{
    std::string r(s);
    for (auto& c : r) c = up(c);
    return r;
}

std::string ToLower(std::string_view s)
{
    std::string r(s);
    for (auto& c : r) c = low(c);
    return r;
}

bool IEquals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (up(a[i]) != up(b[i])) return false;
    return true;
}

bool IStartsWith(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && IEquals(s.substr(0, prefix.size()), prefix);
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool EndsWith(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool IContains(std::string_view s, std::string_view part)
{
    if (part.empty()) return true;
    auto it = std::search(s.begin(), s.end(), part.begin(), part.end(),
                          [](char a, char b) { return up(a) == up(b); });
    return it != s.end();
}

std::vector<std::string> Split(std::string_view s, char sep)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            out.emplace_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return out;
}

std::vector<std::string> Split(std::string_view s, std::string_view sep)
{
    std::vector<std::string> out;
    if (sep.empty()) {
        out.emplace_back(s);
        return out;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t p = s.find(sep, start);
        if (p == std::string_view::npos) {
            out.emplace_back(s.substr(start));
            return out;
        }
        out.emplace_back(s.substr(start, p - start));
        start = p + sep.size();
    }
}

std::string Join(const std::vector<std::string>& parts, std::string_view sep)
{
    std::string r;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) r += sep;
        r += parts[i];
    }
    return r;
}

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to)
{
    if (from.empty()) return s;
    std::size_t pos = 0;
    while ((pos = s.find(from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
    return s;
}

std::string IReplaceAll(std::string_view s, std::string_view from, std::string_view to)
{
    if (from.empty()) return std::string(s);
    std::string r;
    std::size_t i = 0;
    while (i < s.size()) {
        if (i + from.size() <= s.size() && IEquals(s.substr(i, from.size()), from)) {
            r += to;
            i += from.size();
        } else {
            r += s[i++];
        }
    }
    return r;
}

std::string SqlQuote(std::string_view s) { return ReplaceAll(std::string(s), "'", "''"); }

std::size_t IHash::operator()(std::string_view s) const
{
    std::size_t h = 14695981039346656037ull;
    for (const char c : s) h = (h ^ static_cast<unsigned char>(up(c))) * 1099511628211ull;
    return h;
}

bool ILess::operator()(std::string_view a, std::string_view b) const
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = up(a[i]), y = up(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

}  // namespace aerolyx
