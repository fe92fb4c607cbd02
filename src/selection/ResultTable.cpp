#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <thread>

#include "accessories/RecordValues.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "selection/SelectionTexts.h"
#include "selection/modCalcStart.h"

namespace aerolyx {

namespace {

struct Column {
    const char* field;
    const char* caption;  // English, translated when the table is made
    const char* unitKind; // unit kind code, a literal unit after '=', or "$" for the currency
    int better;
};

// Power, noise, price and weight are best low, efficiency high; the duty
// columns, the velocity and the reserve are trade-offs without a best.
const Column kColumnsDef[ResultTable::kColumns] = {
    {"O_FanName", "", "", 0},
    {"O_Airflow1", "Airflow", "VL", 0},
    {"O_PresT1", "dPTot", "PA", 0},
    {"O_PresS1", "dPStat", "PA", 0},
    {"O_PresAc1", "dPAcc", "PA", 0},
    {"O_Vkw1", "P1", "KW", -1},
    {"O_S1MotRpm", "n", "UPM", 0},
    {"O_MotBgr", "", "", 0},
    {"O_Lw1", "Lw", "=dB", -1},
    {"O_Eta1", "Eta", "=%", +1},
    {"O_SumPrice", "Price", "$", -1},  // the price list's currency
    {"O_LwA1", "", "=dB(A)", -1},  // LwA, or LpA at a listening distance
    {"O_Velo1", "Velocity", "VEL", 0},
    {"O_SumKg", "Weight", "=kg", -1},
    {"O_PresDif1", "Reserve", "PA", 0},
};

double ShownNumber(const std::string& text)
{
    double v = 0;
    if (text.empty() || !ParseDisplayNumber(text, v) || !std::isfinite(v)) return std::numeric_limits<double>::quiet_NaN();
    return v;
}

bool SameFan(const CFanData& a, const CFanData& b)
{
    const std::string code = rec::Text(a, "O_Code");
    return !code.empty() && code == rec::Text(b, "O_Code") && rec::Num(a, "O_FsID") == rec::Num(b, "O_FsID") &&
           rec::Text(a, "O_FanName") == rec::Text(b, "O_FanName");
}

}  // namespace

bool ResultTable::IsBest(std::size_t row, int col) const
{
    if (col < 0 || col >= static_cast<int>(better.size()) || better[static_cast<std::size_t>(col)] == 0) return false;
    const int dir = better[static_cast<std::size_t>(col)];
    double best = std::numeric_limits<double>::quiet_NaN(), worst = best;
    const auto c = static_cast<std::size_t>(col);
    for (const auto& r : values) {
        const double v = c < r.size() ? r[c] : std::numeric_limits<double>::quiet_NaN();
        if (std::isnan(v)) continue;
        if (std::isnan(best) || v * dir > best * dir) best = v;
        if (std::isnan(worst) || v * dir < worst * dir) worst = v;
    }
    if (row >= values.size() || c >= values[row].size() || std::isnan(best) || best == worst) return false;
    return values[row][c] == best;
}

ResultTable MakeResultTable(const std::vector<const CFanData*>& records, const CFanData* present)
{
    ResultTable t;
    bool atDistance = false;
    for (const CFanData* r : records) atDistance = atDistance || rec::Num(*r, "I_LwpDist") > 0;
    for (const Column& c : kColumnsDef) {
        std::string caption = *c.caption ? Tr(c.caption) : std::string();
        if (std::string(c.field) == "O_LwA1") caption = atDistance ? Tr("LpA") : Tr("LwA");
        const std::string kind = c.unitKind;
        const std::string unit = kind.empty()  ? std::string()
                                : kind == "$"   ? Prog().PriceCurrency
                                : kind[0] == '=' ? kind.substr(1)
                                                 : UnitText(kind);
        t.header0.push_back(caption);
        t.fields.push_back(c.field);
        t.units.push_back(unit);
        t.better.push_back(c.better);
        t.header1.push_back(unit.empty() ? std::string() : "[" + unit + "]");
    }
    t.header1[0] = Tr("Fan");
    t.header1[7] = Tr("Motor");
    const std::size_t n = records.size();
    t.rows.resize(n);
    t.values.resize(n);
    auto fill = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            for (const Column& c : kColumnsDef) {
                t.rows[i].push_back(records[i]->ValueF(c.field));
                const bool text = c.unitKind[0] == '\0';
                t.values[i].push_back(text ? std::numeric_limits<double>::quiet_NaN() : ShownNumber(t.rows[i].back()));
            }
        }
    };
    // A long list is written on two threads. A choice field may ask the
    // catalogue for its list, which only this thread may do: a settings
    // file that makes a column one keeps the whole table here.
    const bool plain = n > 0 && std::none_of(std::begin(kColumnsDef), std::end(kColumnsDef), [&](const Column& c) {
        const CLpField* f = records[0]->Item(c.field);
        return f && !f->CboName().empty();
    });
    if (plain && n >= 200) {
        std::thread second(fill, n / 2, n);
        fill(0, n / 2);
        second.join();
    } else {
        fill(0, n);
    }
    for (std::size_t i = 0; i < n && present; ++i)
        if (SameFan(*records[i], *present)) {
            t.present = static_cast<int>(i) + 1;
            break;
        }
    return t;
}

}  // namespace aerolyx
