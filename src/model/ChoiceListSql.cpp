#include "model/ChoiceListSql.h"

#include "common/StrUtil.h"

namespace aerolyx::sql {

std::string MakerList() { return "SELECT Fab0ID, Fab0TextS FROM tblFab00 ORDER BY Fab0ID"; }
std::string PoleList() { return "SELECT PolID, PolTextP FROM tblEEPolz ORDER BY PolID"; }
std::string VoltageList() { return "SELECT VoltID, VoltText FROM tblEEVolt ORDER BY VoltPhase, VoltNenn"; }
std::string FrequencyList() { return "SELECT FrqID, FrqHz FROM tblEEFreq ORDER BY FrqHz"; }
std::string InsulationList() { return "SELECT MisoID, MisoKz FROM tblEEIso ORDER BY MisoID"; }
std::string SwitchingList() { return "SELECT SchaID, SchaText FROM tblEESchalt ORDER BY SchaText"; }
std::string ProtectionList() { return "SELECT IpID, IpText FROM tblEEIp ORDER BY IpText"; }
std::string ExClassList() { return "SELECT DISTINCT MotExClass FROM tblMotBase ORDER BY MotExClass"; }

std::string SeriesList(const std::string& language)
{
    return "SELECT tblFanSeries.TsCode, tblLngTrans.TrnText"
           " FROM tblLngTrans INNER JOIN tblFanSeries ON tblLngTrans.TrnCode = tblFanSeries.TsCode"
           " WHERE tblLngTrans.LngID='" + SqlQuote(language) + "' AND TsActive=1";
}

// DISTINCT lists name their order: a server may hand back distinct rows in
// any order, and a drop-down must not depend on that.
std::string TypeList(const std::string& series, const std::string& language)
{
    return "SELECT DISTINCT tblFanTypes.TpCode, tblFanTypes.TpCode AS Code2, tblLngTrans.TrnText"
           " FROM (tblFanTypes INNER JOIN tblFanTpSe ON tblFanTypes.TpCode = tblFanTpSe.TpCode)"
           " INNER JOIN tblLngTrans ON tblFanTypes.TpCode = tblLngTrans.TrnCode"
           " Where tblFanTpSe.TsCode='" + SqlQuote(series) + "' AND tblLngTrans.LngID='" + SqlQuote(language) +
           "' AND tblFanTpSe.TsActive=1 AND tblFanTypes.TpActive=1 ORDER BY tblFanTypes.TpCode";
}

std::string CasingList(const std::string& type)
{
    return "SELECT DISTINCT tblFanData.CaType FROM tblFanSizes INNER JOIN tblFanData"
           " ON tblFanSizes.FsID = tblFanData.FsID WHERE tblFanSizes.TpCode='" + SqlQuote(type) +
           "' AND tblFanData.CaType is not NULL ORDER BY tblFanData.CaType";
}

std::string SizeList(const std::string& type)
{
    return "SELECT DISTINCT tblFanSizes.FsSize FROM tblFanSizes WHERE tblFanSizes.TpCode='" + SqlQuote(type) +
           "' AND FsActive=1 ORDER BY tblFanSizes.FsSize";
}

}  // namespace aerolyx::sql
