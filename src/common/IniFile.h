#pragma once
// The installation settings file ("Dodov.ini") held as its significant
// lines, each prefixed with the four-digit code of its section, and the
// lookups every part of the program asks it through.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace aerolyx {

class IniFile {
public:
    IniFile();
    explicit IniFile(std::vector<std::string> lines);
    IniFile(const IniFile&) = default;
    IniFile& operator=(const IniFile&) = default;
    // A moved-from file is left empty, under an id of its own.
    IniFile(IniFile&& o) noexcept;
    IniFile& operator=(IniFile&& o) noexcept;

    // Reads a settings file; an unreadable file gives one empty line (and
    // *error set when given).
    static IniFile ReadIniFile(const std::string& path, std::string* error = nullptr);
    // The same from text already in memory (tests, fixtures).
    static IniFile FromText(std::string_view text);

    const std::vector<std::string>& IniLines() const { return lines_; }
    int Count() const { return static_cast<int>(lines_.size()); }

    // Value of the first line in from..to (to = 0: last line) that starts
    // with key & "=" (case-insensitive), trimmed; "" when none.
    std::string IniValue(std::string_view key, int from = 0, int to = 0) const;
    // First index in from..to (to = 0: last) whose line starts with prefix; -1.
    int IniFindLine(std::string_view prefix, int from, int to = 0) const;
    // First and last index of the first contiguous run of lines starting with
    // code; both unchanged when the code does not occur.
    void IniSectionRange(std::string_view code, int& first, int& last) const;
    // Named choice list of section 0305, or "|" & name when absent.
    std::string IniComboList(std::string_view name) const;

    // Cached ranges: pair 1 "0311", 2 "0310", 3 "0301", 4 "0305".
    void CachedSection(int pair, int& first, int& last) const;

    // Names the content: files built separately never share an id, copies
    // (which hold the same lines) do. Lets readers cache what they derive.
    std::uint64_t Id() const { return id_; }

private:
    std::vector<std::string> lines_;
    std::uint64_t id_;
    mutable int sections_[5][2] = {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}};
};

}  // namespace aerolyx
