#include "model/GridRows.h"

#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx {

std::string GridRowDef::RowData() const
{
    if (title) return "T:TITLE_" + key + ":" + flags;
    return "F:" + field1 + ":" + field2 + ":" + flags;
}

std::vector<GridRowDef> ReadGridRows(const IniFile& ini, const std::string& sectionCode)
{
    std::vector<GridRowDef> rows;
    const std::string code = ToUpper(sectionCode).substr(0, 4);
    int first = 0, last = 0;
    if (code == "0310") ini.CachedSection(2, first, last);
    else if (code == "0311") ini.CachedSection(1, first, last);
    else ini.IniSectionRange(code, first, last);

    const auto& lines = ini.IniLines();
    for (int i = first; i <= last && i < static_cast<int>(lines.size()); ++i) {
        const std::string& l = lines[static_cast<std::size_t>(i)];
        if (!IStartsWith(l, code)) continue;
        auto cols = Split(l.substr(4), ';');
        for (auto& c : cols) c = Trim(c);
        cols.resize(std::max<std::size_t>(cols.size(), 4));
        GridRowDef r;
        if (IEquals(cols[0], "T")) {
            r.title = true;
            r.key = cols[1];
            r.flags = cols[2];
        } else {
            r.field1 = cols[1];
            r.field2 = cols[2];
            r.flags = cols[3];
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

bool TitleCaption(const IniFile& ini, const std::string& key, std::string& caption)
{
    int first = 0, last = 0;
    ini.CachedSection(3, first, last);
    const std::string prefix = "0301TITLE_" + key + ";";
    const int idx = ini.IniFindLine(prefix, first, last);
    if (idx < 0) return false;
    auto cols = Split(ini.IniLines()[static_cast<std::size_t>(idx)].substr(4), ';');
    const std::string col = cols.size() > 7 ? Trim(cols[7]) : std::string();
    caption = TextToNum(col) != 0.0 ? "T:" + col : col;
    return true;
}

}  // namespace aerolyx
