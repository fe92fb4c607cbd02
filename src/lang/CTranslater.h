#pragma once
// Numbered text tables per language ("Lang_XX.txt", IDs 1..2000) and the
// translation of texts given as a text ID ("T:12") or as an English text.
// The English translator serves as the fallback of the user's one.
#include <array>
#include <cstdint>
#include <string>

namespace aerolyx {

class IDatabase;
class IniFile;

class CTranslater {
public:
    static constexpr int kMaxTextID = 2000;

    // Loads folder/"Lang_" & code & ".txt" over the current table. False,
    // silently, when the file is missing; false with the message "Language
    // definition in INI file missing" when section 0003 has no line for the
    // code. The settings lines default to Prog().Ini.
    bool Startup(const std::string& language, const std::string& folder);
    bool Startup(const std::string& language, const std::string& folder, const IniFile& ini);
    // Loads the table from "tblLang" & code (columns ID, Text). False when
    // the code is not a plain code or the query fails (table unchanged then).
    bool StartupDB(const std::string& language, IDatabase& db);
    // The statement StartupDB reads (language: a plain code, checked there).
    static std::string TableQuery(const std::string& language);

    std::string Translate(const std::string& text, const CTranslater* fallback = nullptr) const;
    // First ID whose text equals the text (case-insensitive); 0 when none.
    int GetIDByName(const std::string& text) const;
    std::string TranslateUN(const std::string& text, const CTranslater* fallback = nullptr) const;
    // The widgets are Unicode: both conversions are the identity.
    std::string ToVB6(const std::string& text) const { return text; }
    std::string ToVB6Ex(const std::string& text) const { return text; }

    // The language's own name: the first line of the file after its first ":".
    std::string ReadLngFileLanguage(const std::string& path) const;
    // The whole file as UTF-8 text ("" when unreadable).
    std::string ReadFile(const std::string& path, bool convert = false) const;
    // "EN- English|DE- Deutsch|..." for every Lang_*.txt of the folder; "" when none.
    std::string LanguageList(const std::string& folder, bool convert = false) const;

    // The table entry of an ID ("" outside 1..2000).
    const std::string& Text(int id) const;

    const std::string& Language() const { return language_; }
    std::int16_t ActCharSetID() const { return charSetID_; }
    const std::string& ActCharSetString() const { return charSetString_; }
    const std::string& ActCharFont() const { return charFont_; }

private:
    std::array<std::string, kMaxTextID + 1> texts_;
    std::string language_;
    std::int16_t charSetID_ = 0;
    std::string charSetString_;
    std::string charFont_;
};

}  // namespace aerolyx
