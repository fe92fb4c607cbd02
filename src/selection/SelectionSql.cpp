#include "selection/SelectionSql.h"

#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx::sql {

std::string SelectFans(const std::string& series, const std::string& type, const std::string& casing,
                       double size)
{
    std::string sql = "SELECT * FROM abfSelectFans";
    sql += " WHERE TsCode='" + SqlQuote(series) + "'";
    if (type != "-" && !type.empty()) sql += " AND TpCode='" + SqlQuote(type) + "'";
    if (casing != "-" && !casing.empty()) sql += " AND CaType='" + SqlQuote(casing) + "'";
    if (size != 0) sql += " AND FsSize=" + NumToText(size);
    sql += " ORDER BY FsSize";
    return sql;
}

std::string PoleCombination(double polId) { return "SELECT * FROM tblEEPolz WHERE PolID=" + NumToText(polId); }
std::string PoleSpeed(double poles) { return "SELECT * FROM tblEEPolB WHERE PolBID=" + NumToText(poles); }

namespace {
std::string MotorWhere(const MotorDemand& d)
{
    std::string sql = "Fab0ID=" + NumToText(d.maker);
    sql += " AND FrqID=" + NumToText(d.frequency);
    sql += " AND VoltID=" + NumToText(d.voltage);
    sql += " AND MotForm='" + SqlQuote(d.form) + "'";
    sql += " AND PolID=" + NumToText(d.poleKey);
    if (d.maxFrame > 0) sql += " AND MotBgr<=" + NumToText(d.maxFrame);
    return sql + " ORDER BY MotP1";
}
}  // namespace

std::string Motor(const MotorDemand& d)
{
    return "SELECT TOP 1 * FROM tblMotBase WHERE MotP1>=" + NumToText(d.minPower) + " AND " + MotorWhere(d);
}

std::string MotorRange(const MotorDemand& d) { return "SELECT * FROM tblMotBase WHERE " + MotorWhere(d); }

std::string SeriesSuffix(const std::string& series)
{
    return "SELECT TsTxAdd FROM tblFanSeries WHERE TsCode='" + SqlQuote(series) + "'";
}
std::string Insulation(double id) { return "SELECT * FROM tblEEIso WHERE MisoID=" + NumToText(id); }
std::string Protection(double id) { return "SELECT * FROM tblEEIp WHERE IpID=" + NumToText(id); }
std::string Maker(double id) { return "SELECT * FROM tblFab00 WHERE Fab0ID=" + NumToText(id); }
std::string Voltage(double id) { return "SELECT * FROM tblEEVolt WHERE VoltID=" + NumToText(id); }

std::string CombinationPrice(const PriceKey& k)
{
    std::string sql = "SELECT PrsPrice" + std::to_string(k.priceList) + " FROM tblFanPrices WHERE TpCode='" +
                      SqlQuote(k.type) + "' AND TsCode='" + SqlQuote(k.series) + "' AND PrsSize=" +
                      NumToText(k.size) + " AND " + " PrsPol1= " + NumToText(k.pole1) + " AND PrsKw1=" +
                      NumToText(k.kw1);
    sql += k.casing.empty() ? std::string(" AND CaType Is Null") : " AND CaType='" + SqlQuote(k.casing) + "'";
    if (k.pole2 != 0)
        sql += " AND PrsPol2= " + NumToText(k.pole2) + " AND PrsKw2=" + NumToText(k.kw2);
    else
        sql += " AND PrsPol2=0 AND PrsKw2=0";
    return sql;
}

std::string BladeSurcharge(const PriceKey& k, double blades)
{
    return "SELECT PrsPrice" + std::to_string(k.priceList) + " FROM tblFanPricesM WHERE TpCode='" +
           SqlQuote(k.type) + "' AND TsCode='" + SqlQuote(k.series) + "' AND PrsSize=" + NumToText(k.size) +
           " AND " + " PrsSch= " + NumToText(blades);
}

}  // namespace aerolyx::sql
