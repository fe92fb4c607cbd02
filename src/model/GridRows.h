#pragma once
// The row lists of the input and output grids (sections 0310 and 0311) and
// the caption lines of their title rows (section 0301, "TITLE_" & key).
#include <string>
#include <vector>

namespace aerolyx {

class IniFile;

struct GridRowDef {
    bool title = false;
    std::string key;     // title rows: the caption key (without "TITLE_")
    std::string field1;  // field rows: the fields of the two value columns (may be empty)
    std::string field2;
    std::string flags;
    // "T:" & key & ":" & flags, or "F:" & field1 & ":" & field2 & ":" & flags.
    std::string RowData() const;
};

// The rows of section "0310" or "0311" in display order.
std::vector<GridRowDef> ReadGridRows(const IniFile& ini, const std::string& sectionCode);

// Column 7 of the caption line "TITLE_" & key ("T:" & column when it is a
// text ID); false when the line is missing.
bool TitleCaption(const IniFile& ini, const std::string& key, std::string& caption);

}  // namespace aerolyx
