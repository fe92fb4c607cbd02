#include "common/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace aerolyx {
namespace {

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool validUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        if (c < 0x80) extra = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2) extra = 1;
        else if ((c & 0xF0) == 0xE0) extra = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4) extra = 3;
        else return false;
        if (i + extra >= s.size() + (extra ? 0 : 1) && extra) return false;
        for (int k = 1; k <= extra; ++k)
            if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

// Windows-1252 0x80..0x9F; 0 where the code page has no character.
const char16_t kCp1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                              0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::string DecodeText(const std::string& bytes)
{
    std::string out;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        out.reserve(bytes.size());
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            char32_t u = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
            if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
                const char32_t lo =
                    static_cast<unsigned char>(bytes[i + 2]) | (static_cast<unsigned char>(bytes[i + 3]) << 8);
                if (lo >= 0xDC00 && lo < 0xE000) {
                    u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                    i += 2;
                }
            }
            appendUtf8(out, u);
        }
        return out;
    }
    std::size_t start = 0;
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
        static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF)
        start = 3;
    if (validUtf8(bytes)) return bytes.substr(start);
    out.reserve(bytes.size() + bytes.size() / 8);
    for (unsigned char c : bytes) {
        if (c >= 0x80 && c < 0xA0) {
            const char16_t u = kCp1252[c - 0x80];
            appendUtf8(out, u ? u : c);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(NormalizePath(path), ec);
}

bool ReadTextFile(const std::string& path, std::string& out, std::string* error)
{
    std::ifstream in(NormalizePath(path), std::ios::binary);
    if (!in) {
        if (error) *error = "Cannot open file '" + path + "': " + std::strerror(errno);
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) {
        if (error) *error = "Cannot read file '" + path + "'";
        return false;
    }
    out = DecodeText(ss.str());
    return true;
}

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string* error)
{
    std::string text;
    if (!ReadTextFile(path, text, error)) return false;
    lines.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n') {
            if (i == text.size() && start == i) break;
            std::size_t e = i;
            if (e > start && text[e - 1] == '\r') --e;
            lines.emplace_back(text.substr(start, e - start));
            start = i + 1;
        }
    }
    return true;
}

bool WriteTextFileAtomic(const std::string& path, const std::string& content, std::string* error)
{
    namespace fs = std::filesystem;
    const fs::path target(NormalizePath(path));
    const fs::path tmp(AtomicTempPath(path));
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) {
            if (error) *error = "Cannot write file '" + path + "': " + std::strerror(errno);
            return false;
        }
        out << content;
        out.close();  // a full disk may only show when the last block goes out
        if (!out) {
            if (error) *error = "Cannot write file '" + path + "': " + std::strerror(errno);
            std::error_code ec;
            fs::remove(tmp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(tmp, target, ec);
    if (ec) {
        if (error) *error = "Cannot replace file '" + path + "': " + ec.message();
        fs::remove(tmp, ec);
        return false;
    }
    return true;
}

std::string AtomicTempPath(const std::string& path) { return NormalizePath(path) + ".aerolyx-tmp"; }

std::string NormalizePath(const std::string& path)
{
#ifdef _WIN32
    return path;
#else
    std::string p = path;
    for (auto& c : p)
        if (c == '\\') c = '/';
    return p;
#endif
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    std::string f = NormalizePath(folder);
    std::string n = NormalizePath(name);
    if (f.empty()) return n;
    if (f.back() != '/') f += '/';
    while (!n.empty() && n.front() == '/') n.erase(0, 1);
    return f + n;
}

}  // namespace aerolyx
