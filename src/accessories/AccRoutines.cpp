#include "accessories/AccRoutines.h"

#include "accessories/AccessorySql.h"
#include "accessories/RecordValues.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"

namespace aerolyx {

namespace {

IDatabase& Db() { return ProgDb(); }

std::string SwitchName(int k) { return "I_DpaAc" + std::to_string(k); }

bool SwitchOn(const CFanData& record, int k) { return rec::Num(record, SwitchName(k)) == 1; }

// ActCode of an article; false when the article does not exist.
bool ArticleType(const std::string& id, std::string& type, bool* sizeFree = nullptr)
{
    if (!IsNumeric(id)) return false;  // a line is user input: never splice anything else
    Recordset rs = Db().OpenRecordset(sql::Article(TextToNum(id)));
    if (rs.Eof()) return false;
    type = rs.GetText("ActCode");
    if (sizeFree) *sizeFree = rs.Field("FsID").isEmpty();
    return true;
}

// AdID of the article of `type` for fan size `fsId`; "" when there is none.
std::string ArticleForSize(double fsId, const std::string& type)
{
    Recordset rs = Db().OpenRecordset(sql::ArticleForSize(fsId, type));
    if (rs.Eof()) return {};
    return rs.Field("AdId").toText();
}

// An accessory line that ends with no entries is emptied rather than left
// naming articles of a former size.
void StoreLine(CFanData& record, const AccLine& line)
{
    rec::Set(record, "O_AccLine", line.AnyKept() ? Variant(line.Build()) : Variant(std::string()));
}

}  // namespace

AccLine AccLine::Parse(const std::string& text)
{
    AccLine line;
    if (text.empty()) return line;
    const auto bar = text.find('|');
    const std::string idsPart = bar == std::string::npos ? text : text.substr(0, bar);
    for (auto& id : Split(idsPart, ',')) line.ids.push_back(Trim(id));
    if (bar != std::string::npos) {
        line.hasQuantities = true;
        for (auto& q : Split(text.substr(bar + 1), ',')) line.quantities.push_back(Trim(q));
    }
    // Quantities missing at the end of a hand-edited line count as 1; surplus
    // ones belong to no article.
    line.quantities.resize(line.ids.size(), "1");
    return line;
}

std::string AccLine::Build() const
{
    std::vector<std::string> keptIds, keptQty;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (quantities[i] == "0") continue;
        keptIds.push_back(ids[i]);
        keptQty.push_back(quantities[i]);
    }
    return Join(keptIds, ",") + "|" + Join(keptQty, ",");
}

bool AccLine::AnyKept() const
{
    for (const auto& q : quantities)
        if (q != "0") return true;
    return false;
}

std::string AccDpInfo(const std::string& fieldName, int mode)
{
    Recordset rs = Db().OpenRecordset(sql::PressureDropFormula(fieldName));
    if (rs.Eof()) return {};
    return mode == 1 ? rs.GetText("ActCode") : rs.GetText("ActDpEqu");
}

std::string GetAccLine(const CFanData& record) { return rec::Text(record, "O_AccLine"); }

double AccNetPrice(double listPrice, double rebate)
{
    return Fix((1 - rebate / 100) * listPrice * 100 + 0.5) / 100;
}

std::string AvailableAccQuery(int fsId, const std::string& language)
{
    return sql::AvailableAccessories(fsId, language, Prog().PriceList);
}

void AccCalcPrice(CFanData& record)
{
    rec::Set(record, "O_AccPrice", Variant(0.0));
    const std::string text = GetAccLine(record);
    if (text.empty() || text.find('|') == std::string::npos) return;
    const AccLine line = AccLine::Parse(text);
    const std::string priceCol = "AdEuro" + std::to_string(Prog().PriceList);
    Recordset rs = Db().OpenRecordset(sql::ArticlePrices(Prog().PriceList));
    double sum = 0;
    for (std::size_t i = 0; i < line.ids.size(); ++i) {
        if (!IsNumeric(line.ids[i])) continue;
        rs.Filter("AdID=" + NumToText(TextToNum(line.ids[i])));
        if (rs.Eof()) continue;
        sum += AccNetPrice(rs.GetDouble(priceCol), Prog().Rebate) * TextToNum(line.quantities[i]);
    }
    rs.Close();
    rec::Set(record, "O_AccPrice", Variant(sum));
}

void AccFollowSize(CFanData& record, const std::string& oldLine, int oldFsID)
{
    const double s = rec::Num(record, "O_FsID");
    if (oldLine.empty() || s == oldFsID) {
        rec::Set(record, "O_AccLine", Variant(oldLine));
        return;
    }
    if (oldLine.find('|') == std::string::npos) return;
    AccLine line = AccLine::Parse(oldLine);
    for (std::size_t i = 0; i < line.ids.size(); ++i) {
        std::string type;
        bool sizeFree = false;
        if (!ArticleType(line.ids[i], type, &sizeFree)) {
            line.quantities[i] = "0";
            continue;
        }
        // An article that fits every size stays what it is.
        if (sizeFree) continue;
        const std::string id = ArticleForSize(s, type);
        if (id.empty())
            line.quantities[i] = "0";
        else
            line.ids[i] = id;
    }
    StoreLine(record, line);
}

void AccSyncDp(CFanData& record)
{
    std::string demanded[6];
    bool any = false;
    for (int k = 1; k <= 5; ++k) {
        if (!SwitchOn(record, k)) continue;
        any = true;
        demanded[k] = AccDpInfo(SwitchName(k), 1);
    }
    if (!any) return;
    const std::string text = GetAccLine(record);
    if (!text.empty() && text.find('|') == std::string::npos) return;
    AccLine line = AccLine::Parse(text);
    line.hasQuantities = true;
    for (std::size_t i = 0; i < line.ids.size(); ++i) {
        std::string type;
        if (!ArticleType(line.ids[i], type)) {
            line.quantities[i] = "0";
            continue;
        }
        for (int k = 1; k <= 5; ++k) {
            if (!demanded[k].empty() && IEquals(demanded[k], type)) {
                demanded[k].clear();
                break;
            }
        }
    }
    const double size = rec::Num(record, "O_FsID");
    for (int k = 1; k <= 5; ++k) {
        if (demanded[k].empty()) continue;
        const std::string id = ArticleForSize(size, demanded[k]);
        if (id.empty()) continue;
        line.ids.push_back(id);
        line.quantities.push_back("1");
    }
    StoreLine(record, line);
}

std::string AccDpEquations(const CFanData& record)
{
    std::vector<std::string> parts;
    for (int k = 1; k <= 5; ++k) {
        if (!SwitchOn(record, k)) continue;
        // A switch tied to no type has no formula; leaving it out keeps the
        // list free of empty entries.
        std::string equ = AccDpInfo(SwitchName(k), 2);
        if (!Trim(equ).empty()) parts.push_back(std::move(equ));
    }
    return Join(parts, "|");
}

}  // namespace aerolyx
