#pragma once
// Text helpers. Names, keys and codes compare without regard to case (ASCII).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace aerolyx {

std::string Trim(std::string_view s);        // blanks, tabs, CR, LF at both ends
std::string TrimRight(std::string_view s);
std::string ToUpper(std::string_view s);     // ASCII only
std::string ToLower(std::string_view s);
bool IEquals(std::string_view a, std::string_view b);
bool IStartsWith(std::string_view s, std::string_view prefix);
bool StartsWith(std::string_view s, std::string_view prefix);
bool EndsWith(std::string_view s, std::string_view suffix);
bool IContains(std::string_view s, std::string_view part);
// Every part, empty ones included: Split("a;;b", ';') = {"a", "", "b"}.
std::vector<std::string> Split(std::string_view s, char sep);
std::vector<std::string> Split(std::string_view s, std::string_view sep);
std::string Join(const std::vector<std::string>& parts, std::string_view sep);
std::string ReplaceAll(std::string s, std::string_view from, std::string_view to);
// Case-insensitive replace (for "<BR>" and the like).
std::string IReplaceAll(std::string_view s, std::string_view from, std::string_view to);
// SQL text literal content: single quotes doubled.
std::string SqlQuote(std::string_view s);

// Hash and equality without regard to ASCII case, for tables of names.
struct IHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const;
};
struct IEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return IEquals(a, b); }
};

struct ILess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

}  // namespace aerolyx
