#include "common/IniFile.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>

#include "common/StrUtil.h"
#include "common/TextFile.h"

namespace aerolyx {
namespace {

std::uint64_t NextId()
{
    static std::atomic<std::uint64_t> next{1};
    return next++;
}

// Sections scanned repeatedly, by cache pair (pair 0 is scratch).
constexpr const char* kCachedCodes[5] = {"", "0311", "0310", "0301", "0305"};

// "[310]" -> "0310"; the number is the leading digits after "[".
std::string SectionCode(std::string_view header)
{
    long n = 0;
    for (std::size_t i = 1; i < header.size() && std::isdigit(static_cast<unsigned char>(header[i])); ++i) {
        n = n * 10 + (header[i] - '0');
        if (n > 99999999) break;  // absurd header; keep the code finite
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04ld", n);
    return buf;
}

std::vector<std::string> ParseLines(const std::vector<std::string>& raw)
{
    std::vector<std::string> out;
    out.reserve(101);
    std::string code;
    for (const std::string& line : raw) {
        std::string_view text = line;
        if (auto c = text.find("/*"); c != std::string_view::npos) text = text.substr(0, c);
        std::string t = Trim(text);
        if (t.empty()) continue;
        if (t[0] == '[') {
            code = SectionCode(t);
            continue;
        }
        out.push_back(code + t);
    }
    if (out.empty()) out.emplace_back();
    out.shrink_to_fit();
    return out;
}

}  // namespace

IniFile::IniFile() : lines_(1), id_(NextId()) {}

IniFile::IniFile(std::vector<std::string> lines) : lines_(std::move(lines)), id_(NextId())
{
    if (lines_.empty()) lines_.emplace_back();
    // The lines never change, so the cached ranges can be settled now; this
    // also keeps concurrent readers from racing on a lazy fill.
    for (int pair = 1; pair < 5; ++pair) IniSectionRange(kCachedCodes[pair], sections_[pair][0], sections_[pair][1]);
}

IniFile::IniFile(IniFile&& o) noexcept : IniFile()
{
    *this = std::move(o);
}

IniFile& IniFile::operator=(IniFile&& o) noexcept
{
    if (this == &o) return *this;
    lines_ = std::move(o.lines_);
    id_ = o.id_;
    std::copy(&o.sections_[0][0], &o.sections_[0][0] + 10, &sections_[0][0]);
    o.lines_.assign(1, std::string());
    o.id_ = NextId();
    for (auto& s : o.sections_) s[0] = s[1] = 0;
    return *this;
}

IniFile IniFile::ReadIniFile(const std::string& path, std::string* error)
{
    std::vector<std::string> raw;
    if (!ReadTextLines(path, raw, error)) return IniFile();
    return IniFile(ParseLines(raw));
}

IniFile IniFile::FromText(std::string_view text)
{
    std::vector<std::string> raw;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        raw.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return IniFile(ParseLines(raw));
}

std::string IniFile::IniValue(std::string_view key, int from, int to) const
{
    const int n = Count();
    if (to == 0 || to >= n) to = n - 1;
    if (from < 0) from = 0;
    for (int i = from; i <= to; ++i) {
        const std::string& l = lines_[static_cast<std::size_t>(i)];
        if (l.size() > key.size() && l[key.size()] == '=' && IStartsWith(l, key))
            return Trim(std::string_view(l).substr(key.size() + 1));
    }
    return {};
}

int IniFile::IniFindLine(std::string_view prefix, int from, int to) const
{
    const int n = Count();
    if (to == 0 || to >= n) to = n - 1;
    if (from < 0) from = 0;
    for (int i = from; i <= to; ++i)
        if (IStartsWith(lines_[static_cast<std::size_t>(i)], prefix)) return i;
    return -1;
}

void IniFile::IniSectionRange(std::string_view code, int& first, int& last) const
{
    const int n = Count();
    int i = 0;
    while (i < n && !IStartsWith(lines_[static_cast<std::size_t>(i)], code)) ++i;
    if (i == n) return;
    first = i;
    while (i + 1 < n && IStartsWith(lines_[static_cast<std::size_t>(i + 1)], code)) ++i;
    last = i;
}

void IniFile::CachedSection(int pair, int& first, int& last) const
{
    if (pair < 0 || pair > 4) {
        first = last = 0;
        return;
    }
    first = sections_[pair][0];
    last = sections_[pair][1];
}

std::string IniFile::IniComboList(std::string_view name) const
{
    int first = 0, last = 0;
    CachedSection(4, first, last);
    const std::string key = "0305" + std::string(name);
    // An absent section leaves 0/0, which scans every line; the code prefix
    // still confines the match to section 0305.
    if (IniFindLine(key + "=", first, last) < 0) return "|" + std::string(name);
    return IniValue(key, first, last);
}

}  // namespace aerolyx
