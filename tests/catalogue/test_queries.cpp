// The program's catalogue statements (the named functions of each consumer),
// filled with real values, against the demo catalogue on SQLite and on
// PostgreSQL: each must run on both and find the rows the demo data holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "support/CatalogueConnections.h"
#include "accessories/AccessorySql.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "engine/EngineQueries.h"
#include "lang/CTranslater.h"
#include "model/ChoiceListSql.h"
#include "selection/SelectionSql.h"

using namespace aerolyx;

namespace {

// One column of every row, joined with ",".
std::string Column(IDatabase& db, const std::string& sql, const std::string& col)
{
    std::vector<std::string> out;
    for (Recordset rs = db.OpenRecordset(sql); !rs.Eof(); rs.MoveNext()) out.push_back(rs.Field(col).toText());
    return Join(out, ",");
}

int Count(IDatabase& db, const std::string& sql) { return db.OpenRecordset(sql).RecordCount(); }

int FsIdOf(IDatabase& db, const std::string& type, const std::string& casing, int size)
{
    Recordset rs = db.OpenRecordset(sql::SelectFans(type.substr(0, 3), type, casing, size));
    EXPECT_EQ(rs.RecordCount(), 1) << type << " " << casing << " " << size;
    return rs.Eof() ? 0 : rs.GetInt("FsID");
}

void CheckLists(IDatabase& db)
{
    // {statement, column, the demo data's answer in order}
    const struct {
        std::string sql, column, expected;
    } lists[] = {
        {sql::MakerList(), "Fab0ID", "1,2"},
        {sql::PoleList(), "PolTextP", "2,4,6,8,12,2/4,4/8"},
        {sql::VoltageList(), "VoltID", "1,5,2,4,3"},
        {sql::FrequencyList(), "FrqID", "50,60"},
        {sql::InsulationList(), "MisoKz", "B,F,H"},
        {sql::ProtectionList(), "IpText", "IP54,IP55,IP65"},
        {sql::ExClassList(), "MotExClass", ""},  // every motor is a standard one: one null entry
        {sql::CasingList("AXL-P"), "CaType", ""},
        {sql::SizeList("O'Brien"), "FsSize", ""},  // quoted, not spliced
        {sql::Voltage(4), "VoltHz", "60"},
        {sql::PoleCombination(7), "PolP1", "4"},
        {sql::PoleCombination(7), "PolP2", "8"},
        {sql::PoleSpeed(4), "PolBN", "1450"},
        {sql::SeriesSuffix("AXH"), "TsTxAdd", "HP"},
        {sql::SeriesSuffix("AXM"), "TsTxAdd", ""},
        {sql::PressureDropFormula("I_DpaAc2"), "ActCode", "SIL"},
        {sql::PressureDropFormula("I_DpaAc6"), "ActCode", ""},
    };
    for (const auto& l : lists) EXPECT_EQ(Column(db, l.sql, l.column), l.expected) << l.sql;
    // the sizes of a type, in no promised order; 1250 of AXM-L is switched off
    auto sizes = Split(Column(db, sql::SizeList("AXM-L"), "FsSize"), ',');
    std::sort(sizes.begin(), sizes.end(), [](const auto& a, const auto& b) { return TextToNum(a) < TextToNum(b); });
    EXPECT_EQ(Join(sizes, ","), "315,355,400,450,500,560,630,710,800,900,1000,1120");
    EXPECT_EQ(Count(db, sql::SwitchingList()), 6);
    EXPECT_EQ(Count(db, sql::ExClassList()), 1);
    // casing types of a type; codes compare without regard to case
    const auto ct = Split(Column(db, sql::CasingList("axm-s"), "CaType"), ',');
    EXPECT_EQ(std::set<std::string>(ct.begin(), ct.end()), (std::set<std::string>{"L", "S"}));
    for (const char* lang : {"EN", "DE", "IT", "de"}) {
        Recordset se = db.OpenRecordset(sql::SeriesList(lang));
        Recordset ty = db.OpenRecordset(sql::TypeList("AXM", lang));
        EXPECT_EQ(std::to_string(se.RecordCount()) + "x" + std::to_string(se.FieldCount()) + " " +
                      std::to_string(ty.RecordCount()) + "x" + std::to_string(ty.FieldCount()),
                  "3x2 2x3")
            << lang;
    }
    Recordset lang = db.OpenRecordset(CTranslater::TableQuery("EN"));
    ASSERT_GT(lang.RecordCount(), 50);
    EXPECT_EQ(lang.GetInt("ID"), 1);
    EXPECT_EQ(Count(db, CTranslater::TableQuery("DE")), lang.RecordCount());
}

void CheckEngineQueries(IDatabase& db)
{
    const int fs = FsIdOf(db, "AXM-S", "L", 500);
    Recordset size = engine_sql::FanSize(db, fs);
    ASSERT_EQ(size.RecordCount(), 1);
    EXPECT_GT(size.GetDouble("FsSizeI"), 480);
    EXPECT_LT(size.GetDouble("FsMinVa"), size.GetDouble("FsMaxVa"));
    EXPECT_LT(size.GetDouble("FsMinPa"), size.GetDouble("FsMaxPa"));
    EXPECT_GT(size.GetDouble("VartdPmin"), 0);

    // (their order is checked with the curves of every size)
    Recordset curve = engine_sql::FanCurves(db, fs);
    ASSERT_GE(curve.RecordCount(), 5 * 6);
    const int pz = curve.GetInt("FanCPz");
    EXPECT_EQ(engine_sql::PoleSpeed(db, pz).GetInt("PolBN"), 1450);
    Recordset noise = engine_sql::FanNoise(db, fs, 6);
    ASSERT_EQ(noise.RecordCount(), 1);
    for (int b = 1; b <= 8; ++b) EXPECT_GE(noise.GetDouble("NdD" + std::to_string(b), -1), 0) << b;
    EXPECT_TRUE(engine_sql::FanNoise(db, fs, 2).Eof());  // not offered
}

void CheckSelectionQueries(IDatabase& db)
{
    // the search: one series, optional type, casing and size, ascending sizes
    const auto sizes = Split(Column(db, sql::SelectFans("AXM", "-", "", 0), "FsSize"), ',');
    EXPECT_GE(sizes.size(), 35u);
    for (std::size_t i = 1; i < sizes.size(); ++i) EXPECT_LE(TextToNum(sizes[i - 1]), TextToNum(sizes[i]));
    EXPECT_EQ(Count(db, sql::SelectFans("axm", "AXM-S", "-", 0)), 26);
    EXPECT_EQ(Count(db, sql::SelectFans("AXM", "AXM-L", "", 1250)), 0);  // inactive
    Recordset one = db.OpenRecordset(sql::SelectFans("AXM", "AXM-L", "L", 630));
    ASSERT_EQ(one.RecordCount(), 1);
    // the pair names its own maker beside the series'
    EXPECT_EQ(one.GetText("tblFanTpSe.Fab0ID") + " " + one.GetText("tblFanSeries.Fab0ID") + " " +
                  one.GetText("FdPoles") + " " + one.GetText("TpMotForm"),
              "2 1 4,6,8 B3");

    // motor: the smallest that covers the demand; form compared without
    // case, frame capped, two-speed steps
    const struct {
        sql::MotorDemand d;
        const char* p1;  // "" = none
    } motors[] = {
        {{2.31, 1, 50, 2, "B5", 2, 0}, "3"},
        {{3, 2, 60, 4, "b35", 3, 132}, "3"},
        {{30, 1, 50, 2, "B14", 2, 100}, ""},
        {{4.2, 1, 50, 2, "B3", 7, 0}, "5.5"},
    };
    for (const auto& m : motors) EXPECT_EQ(Column(db, sql::Motor(m.d), "MotP1"), m.p1) << sql::Motor(m.d);
    Recordset m = db.OpenRecordset(sql::Motor(motors[0].d));
    ASSERT_FALSE(m.Eof());
    EXPECT_EQ(db.OpenRecordset(sql::Insulation(m.GetDouble("MisoID"))).GetText("MisoKz"), "F");
    EXPECT_FALSE(db.OpenRecordset(sql::Protection(m.GetDouble("IpID"))).GetText("IpText").empty());
    EXPECT_FALSE(db.OpenRecordset(sql::Maker(m.GetDouble("Fab0ID"))).GetText("Fab0TextS").empty());

    // combination prices of the guide-vane type (no list price), single- and
    // two-speed, and the blade surcharge of the 12-blade sizes only
    EXPECT_EQ(Column(db, sql::SelectFans("AXH", "AXH-G", "", 800), "FdEuro1"), "0");
    sql::PriceKey k{1, "AXH-G", "AXH", "G", 800, 4, 3.0, 0, 0};
    EXPECT_EQ(Column(db, sql::CombinationPrice(k), "PrsPrice1"), "2910");
    sql::PriceKey twoSpeed{2, "AXH-G", "AXH", "G", 800, 4, 3.0, 8, 0.75};
    EXPECT_EQ(Column(db, sql::CombinationPrice(twoSpeed), "PrsPrice2"), "3493");
    sql::PriceKey noCasing = k;
    noCasing.casing = "";
    EXPECT_EQ(Count(db, sql::CombinationPrice(noCasing)), 0);
    EXPECT_EQ(Count(db, sql::BladeSurcharge(k, 12)), 1);
    k.size = 500;
    EXPECT_EQ(Count(db, sql::BladeSurcharge(k, 9)), 0);
}

void CheckAccessoryQueries(IDatabase& db)
{
    const int fs = FsIdOf(db, "AXM-S", "S", 630);
    for (int n : {1, 2}) {
        Recordset list = db.OpenRecordset(sql::AvailableAccessories(fs, "IT", n));
        EXPECT_EQ(list.RecordCount(), 7 + 6);  // the size's own articles and the common ones
        std::string prev;
        for (; !list.Eof(); list.MoveNext()) {
            EXPECT_LE(ToUpper(prev), ToUpper(list.GetText("AdName")));
            prev = list.GetText("AdName");
            EXPECT_GT(list.GetDouble("AdEuro" + std::to_string(n)), 0);
            EXPECT_FALSE(list.GetText("TrnText").empty());
        }
    }
    Recordset sil = db.OpenRecordset(sql::ArticleForSize(fs, "SIL"));
    ASSERT_EQ(sil.RecordCount(), 1);
    const std::string id = sil.GetText("AdID");
    Recordset prices = db.OpenRecordset(sql::ArticlePrices(1));
    const int total = prices.RecordCount();
    prices.Filter("AdID=" + id);
    EXPECT_EQ(prices.RecordCount(), 1);
    prices.Filter("");
    EXPECT_EQ(prices.RecordCount(), total);
    EXPECT_EQ(Column(db, sql::Article(TextToNum(id)), "ActCode"), "SIL");
    EXPECT_EQ(Count(db, sql::Article(999999)), 0);
    // a plate fan takes no silencer
    EXPECT_EQ(Count(db, sql::ArticleForSize(FsIdOf(db, "AXL-P", "", 500), "SIL")), 0);
}

void CheckAll(IDatabase& db)
{
    const std::pair<const char*, void (*)(IDatabase&)> parts[] = {{"lists", CheckLists},
                                                                  {"engine", CheckEngineQueries},
                                                                  {"selection", CheckSelectionQueries},
                                                                  {"accessories", CheckAccessoryQueries}};
    for (const auto& [name, check] : parts) {
        SCOPED_TRACE(name);
        check(db);
    }
}

}  // namespace

TEST(CatalogueQueries, SqliteAnswersEveryProgramQuery)
{
    std::string err;
    auto db = test::OpenSqliteCatalogue(test::CatalogueFile(), &err);
    ASSERT_TRUE(db) << err;
    ASSERT_NO_THROW(CheckAll(*db));
}

TEST(CatalogueQueries, PostgresAnswersEveryProgramQuery)
{
    std::string why;
    auto db = test::OpenPgCatalogue(&why);
    if (!db && !test::PgConfigured()) GTEST_SKIP() << why;
    ASSERT_TRUE(db) << why;
    ASSERT_NO_THROW(CheckAll(*db));
}
