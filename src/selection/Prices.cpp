// Candidate prices and weights, and re-pricing of a stored result list.
#include "accessories/RecordValues.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"
#include "model/ProjectInfo.h"
#include "selection/SelectionSql.h"
#include "selection/modCalcStart.h"

namespace aerolyx {

double NetPrice(double listPrice, double rebate)
{
    return Fix(listPrice * (1 - rebate / 100) * 100 + 0.5) / 100;
}

double NetPrice(double listPrice) { return NetPrice(listPrice, Prog().Rebate); }

void PriceCandidate(CFanData& c, const Recordset& row, const Recordset& motor)
{
    IDatabase& db = ProgDb();
    const std::string list = std::to_string(Prog().PriceList);
    const double fanList = rec::ColNum(row, "FdEuro" + list);

    const double fan = NetPrice(fanList);
    const double mot = NetPrice(rec::ColNum(motor, "MotPrice" + list));
    rec::Set(c, "O_FanPrice", Variant(fan));
    rec::Set(c, "O_MotPrice", Variant(mot));
    rec::Set(c, "O_SumPrice", Variant(fan + mot));

    if (fanList == 0) {
        sql::PriceKey key;
        key.priceList = Prog().PriceList;
        key.type = rec::Text(c, "O_Type");
        key.series = rec::Text(c, "I_Serie");
        key.casing = rec::Text(c, "O_CType");
        key.size = rec::ColNum(row, "FsSize");
        key.pole1 = rec::Num(c, "O_S1MotPol");
        key.kw1 = rec::Num(c, "O_S1MotKw");
        key.pole2 = rec::Num(c, "O_S2MotPol");
        key.kw2 = rec::Num(c, "O_S2MotKw");
        Recordset prs = *db.OpenKept(sql::CombinationPrice(key));
        if (!prs.Eof()) {
            double sum = NetPrice(prs.GetDouble("PrsPrice" + list));
            rec::Set(c, "O_FanPrice", Variant(0.0));
            rec::Set(c, "O_MotPrice", Variant(0.0));
            Recordset sur = *db.OpenKept(sql::BladeSurcharge(key, rec::Num(c, "O_Blades")));
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
