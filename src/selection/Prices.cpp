// Candidate prices and weights, and re-pricing of a stored result list.
#include "accessories/RecordValues.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"
#include "model/ProjectInfo.h"
#include "selection/modCalcStart.h"

namespace aerolyx {

double NetPrice(double listPrice, double rebate)
{
    return Fix(listPrice * (1 - rebate / 100) * 100 + 0.5) / 100;
}

double NetPrice(double listPrice) { return NetPrice(listPrice, Prog().Rebate); }

void PriceCandidate(CFanData& c, const Recordset& row, const Recordset& motor)
{
    if (!Prog().DB) throw DbError(0, "No database connection");
    IDatabase& db = *Prog().DB;
    const std::string list = std::to_string(Prog().PriceList);
    const double fanList = rec::ColNum(row, "FdEuro" + list);

    const double fan = NetPrice(fanList);
    const double mot = NetPrice(rec::ColNum(motor, "MotPrice" + list));
    rec::Set(c, "O_FanPrice", Variant(fan));
    rec::Set(c, "O_MotPrice", Variant(mot));
    rec::Set(c, "O_SumPrice", Variant(fan + mot));

    if (fanList == 0) {
        const std::string type = SqlQuote(rec::Text(c, "O_Type"));
        const std::string serie = SqlQuote(rec::Text(c, "I_Serie"));
        const std::string size = NumToText(rec::ColNum(row, "FsSize"));
        const std::string ctype = rec::Text(c, "O_CType");
        std::string sql = "SELECT PrsPrice" + list + " FROM tblFanPrices WHERE TpCode='" + type + "' AND TsCode='" +
                          serie + "' AND PrsSize=" + size + " AND " + " PrsPol1= " +
                          NumToText(rec::Num(c, "O_S1MotPol")) + " AND PrsKw1=" + NumToText(rec::Num(c, "O_S1MotKw"));
        sql += ctype.empty() ? std::string(" AND CaType Is Null") : " AND CaType='" + SqlQuote(ctype) + "'";
        if (rec::Num(c, "O_S2MotPol") != 0)
            sql += " AND PrsPol2= " + NumToText(rec::Num(c, "O_S2MotPol")) +
                   " AND PrsKw2=" + NumToText(rec::Num(c, "O_S2MotKw"));
        else
            sql += " AND PrsPol2=0 AND PrsKw2=0";
        Recordset prs = db.OpenRecordset(sql);
        if (!prs.Eof()) {
            double sum = NetPrice(prs.GetDouble("PrsPrice" + list));
            rec::Set(c, "O_FanPrice", Variant(0.0));
            rec::Set(c, "O_MotPrice", Variant(0.0));
            Recordset sur = db.OpenRecordset("SELECT PrsPrice" + list + " FROM tblFanPricesM WHERE TpCode='" + type +
                                             "' AND TsCode='" + serie + "' AND PrsSize=" + size + " AND " +
                                             " PrsSch= " + NumToText(rec::Num(c, "O_Blades")));
            if (!sur.Eof()) sum += NetPrice(sur.GetDouble("PrsPrice" + list));
            rec::Set(c, "O_SumPrice", Variant(sum));
        }
    }
    rec::Set(c, "I_Rebate", Variant(Prog().Rebate));

    const double fanKg = rec::ColNum(row, "FdKg");
    const double motKg = rec::ColNum(motor, "MotKg");
    rec::Set(c, "O_FanKg", Variant(fanKg));
    rec::Set(c, "O_MotKg", Variant(motKg));
    rec::Set(c, "O_SumKg", Variant(fanKg + motKg));
}

void RepriceCandidate(CFanData& c, double rebate)
{
    const double r = rec::Num(c, "I_Rebate");
    if (r == rebate) return;
    // The project dialog's rule, so that a fan costs the same in the list and
    // in the project. A stored 100 % rebate no longer tells the list price:
    // such a candidate keeps its prices and its rebate.
    RepricePrices(c, r, rebate);
}

}  // namespace aerolyx
