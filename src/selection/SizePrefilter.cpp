#include "selection/SizePrefilter.h"

#include <cmath>

#include "accessories/RecordValues.h"
#include "common/Database.h"
#include "common/StrUtil.h"

namespace aerolyx {

std::vector<int> PassingPoles(const Recordset& row, const SelectionDuty& d, IFanEngine& engine,
                              std::vector<std::string>* commands)
{
    std::vector<int> poles;
    const std::string list = rec::ColText(row, "FdPoles");
    if (Trim(list).empty()) return poles;
    const int fsId = static_cast<int>(rec::ColNum(row, "FsID"));
    for (const std::string& pText : Split(list, ',')) {
        const int p = static_cast<int>(std::lround(TextToNum(pText)));
        if (d.p1 != 0 && p != d.p1) continue;
        std::string command = Speed1Command(d, fsId, p);
        if (engine.RefusedByRange(command)) continue;
        poles.push_back(p);
        if (commands) commands->push_back(std::move(command));
    }
    return poles;
}

std::vector<std::vector<int>> PrefilterSizes(Recordset& rows, const SelectionDuty& d, IFanEngine& engine)
{
    std::vector<std::vector<int>> passing;
    passing.reserve(static_cast<std::size_t>(rows.RecordCount()));
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) passing.push_back(PassingPoles(rows, d, engine));
    rows.MoveFirst();
    return passing;
}

}  // namespace aerolyx
