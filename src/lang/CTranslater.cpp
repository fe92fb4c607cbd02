#include "lang/CTranslater.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <vector>

#include "common/Database.h"
#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/Program.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "lang/MessageSink.h"

namespace aerolyx {
namespace {

namespace fs = std::filesystem;

std::string EntryText(std::string_view text) { return IReplaceAll(text, "<BR>", "\r\n"); }

// The file as named, or a file whose name differs only in letter case (the
// language codes are compared without regard to case; file systems here
// are not).
std::string FindFile(const std::string& folder, const std::string& name)
{
    const std::string exact = JoinPath(folder, name);
    if (FileExists(exact)) return exact;
    std::error_code ec;
    for (fs::directory_iterator it(NormalizePath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        if (IEquals(it->path().filename().string(), name) && it->is_regular_file(ec)) return it->path().string();
    }
    return {};
}

bool PlainCode(const std::string& code)
{
    return !code.empty() && std::all_of(code.begin(), code.end(), [](unsigned char c) { return std::isalnum(c); });
}

}  // namespace

bool CTranslater::Startup(const std::string& language, const std::string& folder)
{
    static const IniFile empty;
    return Startup(language, folder, Prog().Ini ? *Prog().Ini : empty);
}

bool CTranslater::Startup(const std::string& language, const std::string& folder, const IniFile& ini)
{
    if (!PlainCode(language)) return false;
    const std::string file = FindFile(folder, "Lang_" + language + ".txt");
    if (file.empty()) return false;

    const std::string definition = ini.IniValue("0003" + language);
    if (definition.empty()) {
        ShowMessage("Language definition in INI file missing", MessageKind::Warning);
        return false;
    }
    std::vector<std::string> lines;
    if (!ReadTextLines(file, lines)) return false;

    const std::vector<std::string> cols = Split(definition, ';');
    charFont_ = cols.size() > 0 ? cols[0] : std::string();
    charSetString_ = cols.size() > 1 ? cols[1] : std::string();
    const double id = cols.size() > 2 ? TextToNum(cols[2]) : 0.0;
    charSetID_ = static_cast<std::int16_t>(std::clamp(std::nearbyint(id), -32768.0, 32767.0));

    for (const std::string& line : lines) {
        if (line.size() < 5 || line[4] != ':') continue;
        if (!std::all_of(line.begin(), line.begin() + 4, [](unsigned char c) { return std::isdigit(c); })) continue;
        const int n = std::stoi(line.substr(0, 4));
        if (n < 1 || n > kMaxTextID) continue;
        texts_[static_cast<std::size_t>(n)] = EntryText(TrimRight(std::string_view(line).substr(5)));
    }
    language_ = language;
    return true;
}

std::string CTranslater::TableQuery(const std::string& language)
{
    return "SELECT * FROM tblLang" + language + " ORDER BY ID";
}

bool CTranslater::StartupDB(const std::string& language, IDatabase& db)
{
    if (!PlainCode(language)) return false;
    Recordset rs;
    try {
        rs = db.OpenRecordset(TableQuery(language));
        std::array<std::string, kMaxTextID + 1> loaded = texts_;
        for (; !rs.Eof(); rs.MoveNext()) {
            const Variant& idv = rs.Field("ID");
            if (idv.isEmpty()) continue;
            const double id = idv.toDouble();
            if (!(id >= 1 && id <= kMaxTextID)) continue;
            loaded[static_cast<std::size_t>(std::nearbyint(id))] = EntryText(rs.GetText("Text"));
        }
        texts_ = std::move(loaded);
    } catch (const DbError&) {
        return false;
    }
    language_ = language;
    return true;
}

std::string CTranslater::Translate(const std::string& text, const CTranslater* fallback) const
{
    if (text == "gC") return "\xC2\xB0" "C";
    if (StartsWith(text, "T:")) {
        const std::string rest = text.substr(2);
        const double id = TextToNum(rest);
        if (!(id >= 1 && id < kMaxTextID + 0.5)) return text;
        const std::string& entry = texts_[static_cast<std::size_t>(std::nearbyint(id))];
        if (entry.empty() && fallback && fallback != this) return fallback->Translate(text, nullptr);
        return entry;
    }
    if (!text.empty() && fallback && !IsNumeric(text)) {
        const int id = fallback->GetIDByName(text);
        if (id > 0) return Translate("T:" + std::to_string(id), fallback);
    }
    return text;
}

int CTranslater::GetIDByName(const std::string& text) const
{
    if (text.empty()) return 0;
    for (int i = 1; i <= kMaxTextID; ++i)
        if (IEquals(texts_[static_cast<std::size_t>(i)], text)) return i;
    return 0;
}

std::string CTranslater::TranslateUN(const std::string& text, const CTranslater* fallback) const
{
    return ToVB6(Translate(text, fallback));
}

std::string CTranslater::ReadLngFileLanguage(const std::string& path) const
{
    std::vector<std::string> lines;
    if (!ReadTextLines(NormalizePath(path), lines) || lines.empty()) return {};
    const std::size_t colon = lines[0].find(':');
    if (colon == std::string::npos) return {};
    return TrimRight(std::string_view(lines[0]).substr(colon + 1));
}

std::string CTranslater::ReadFile(const std::string& path, bool convert) const
{
    std::string text;
    if (!ReadTextFile(NormalizePath(path), text)) return {};
    return convert ? ToVB6(text) : text;
}

std::string CTranslater::LanguageList(const std::string& folder, bool convert) const
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(NormalizePath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (IStartsWith(name, "LANG_") && EndsWith(ToLower(name), ".txt") && it->is_regular_file(ec))
            files.push_back(it->path());
    }
    // A stable order whatever the file system lists first.
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return ILess()(a.filename().string(), b.filename().string()); });
    std::vector<std::string> entries;
    for (const fs::path& p : files) {
        const std::string name = p.filename().string();
        const std::string code = name.substr(name.find('_') + 1, 2);
        std::string lang = ReadLngFileLanguage(p.string());
        if (convert) lang = ToVB6(lang);
        entries.push_back(code + "- " + lang);
    }
    return Join(entries, "|");
}

const std::string& CTranslater::Text(int id) const
{
    static const std::string none;
    if (id < 1 || id > kMaxTextID) return none;
    return texts_[static_cast<std::size_t>(id)];
}

}  // namespace aerolyx
