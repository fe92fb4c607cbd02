// The program's catalogue statements (the named functions of each consumer),
// filled with real values, against the demo catalogue on SQLite and on
// PostgreSQL: each must run on both and find the rows the demo data holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "CatalogueDb.h"
#include "accessories/AccRoutines.h"
#include "accessories/AccessorySql.h"
#include "common/NumText.h"
#include "common/Program.h"
#include "common/StrUtil.h"
#include "engine/EngineQueries.h"
#include "lang/CTranslater.h"
#include "model/ChoiceListSql.h"
#include "selection/SelectionSql.h"

using namespace aerolyx;

namespace {

std::string N(double v) { return NumToText(v); }

std::vector<std::string> Column(IDatabase& db, const std::string& sql, const std::string& col)
{
    Recordset rs = db.OpenRecordset(sql);
    std::vector<std::string> out;
    for (; !rs.Eof(); rs.MoveNext()) out.push_back(rs.Field(col).toText());
    return out;
}

int Count(IDatabase& db, const std::string& sql) { return db.OpenRecordset(sql).RecordCount(); }

int FsIdOf(IDatabase& db, const std::string& type, const std::string& casing, int size)
{
    Recordset rs = db.OpenRecordset(sql::SelectFans(type.substr(0, 3), type, casing, size));
    EXPECT_EQ(rs.RecordCount(), 1) << type << " " << casing << " " << size;
    return rs.Eof() ? 0 : rs.GetInt("FsID");
}

void CheckChoiceLists(IDatabase& db)
{
    EXPECT_EQ(Column(db, sql::MakerList(), "Fab0ID"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Column(db, sql::PoleList(), "PolTextP"),
              (std::vector<std::string>{"2", "4", "6", "8", "12", "2/4", "4/8"}));
    EXPECT_EQ(Column(db, sql::VoltageList(), "VoltID"), (std::vector<std::string>{"1", "5", "2", "4", "3"}));
    EXPECT_EQ(Column(db, sql::FrequencyList(), "FrqID"), (std::vector<std::string>{"50", "60"}));
    EXPECT_EQ(Column(db, sql::InsulationList(), "MisoKz"), (std::vector<std::string>{"B", "F", "H"}));
    EXPECT_EQ(Column(db, sql::SwitchingList(), "SchaText").size(), 6u);
    EXPECT_EQ(Column(db, sql::ProtectionList(), "IpText"), (std::vector<std::string>{"IP54", "IP55", "IP65"}));
    // every motor is a standard one: one null entry
    Recordset ex = db.OpenRecordset(sql::ExClassList());
    ASSERT_EQ(ex.RecordCount(), 1);
    EXPECT_TRUE(ex.Field(0).isEmpty());

    // casing types of a type; codes compare without regard to case
    std::vector<std::string> ct = Column(db, sql::CasingList("axm-s"), "CaType");
    EXPECT_EQ(std::set<std::string>(ct.begin(), ct.end()), (std::set<std::string>{"L", "S"}));
    EXPECT_EQ(Count(db, sql::CasingList("AXL-P")), 0);
    // sizes of a type: 1250 of AXM-L is switched off
    std::vector<std::string> sizes = Column(db, sql::SizeList("AXM-L"), "FsSize");
    EXPECT_EQ(sizes.size(), 12u);
    EXPECT_EQ(std::count(sizes.begin(), sizes.end(), "1250"), 0);
    EXPECT_EQ(Count(db, sql::SizeList("NONE")), 0);
    EXPECT_EQ(Count(db, sql::SizeList("O'Brien")), 0);  // quoted, not spliced

    for (const char* lang : {"EN", "DE", "IT", "de"}) {
        Recordset se = db.OpenRecordset(sql::SeriesList(lang));
        EXPECT_EQ(se.RecordCount(), 3) << lang;
        EXPECT_EQ(se.FieldCount(), 2);
        Recordset ty = db.OpenRecordset(sql::TypeList("AXM", lang));
        EXPECT_EQ(ty.RecordCount(), 2) << lang;
        EXPECT_EQ(ty.FieldCount(), 3);
    }
    EXPECT_EQ(db.OpenRecordset(sql::Voltage(4)).GetInt("VoltHz"), 60);
}

void CheckEngineQueries(IDatabase& db)
{
    const int fs = FsIdOf(db, "AXM-S", "L", 500);
    Recordset size = engine_sql::FanSize(db, fs);
    ASSERT_EQ(size.RecordCount(), 1);
    EXPECT_GT(size.GetDouble("FsSizeI"), 480);
    EXPECT_LT(size.GetDouble("FsMinVa"), size.GetDouble("FsMaxVa"));
    EXPECT_LT(size.GetDouble("FsMinPa"), size.GetDouble("FsMaxPa"));
    EXPECT_GE(size.GetInt("FsGrdStp"), 1);
    EXPECT_GT(size.GetDouble("VartdPmin"), 0);

    Recordset curve = engine_sql::FanCurves(db, fs);
    ASSERT_GE(curve.RecordCount(), 5 * 6);
    const int pz = curve.GetInt("FanCPz");
    double lastAngle = -1, lastFlow = -1;
    std::set<int> angles;
    for (; !curve.Eof(); curve.MoveNext()) {
        const double a = curve.GetDouble("FanCN"), v = curve.GetDouble("FanCM");
        EXPECT_TRUE(a > lastAngle || (a == lastAngle && v > lastFlow));
        EXPECT_EQ(curve.GetInt("FanCPz"), pz);
        angles.insert(static_cast<int>(a));
        lastAngle = a;
        lastFlow = v;
    }
    EXPECT_GE(angles.size(), 5u);
    EXPECT_EQ(engine_sql::PoleSpeed(db, pz).GetInt("PolBN"), 1450);

    Recordset chart = db.OpenRecordset("SELECT * FROM tblFanCurve WHERE FsID=" + N(fs) + " ORDER BY FanCN, FanCM, FanCPa");
    EXPECT_EQ(chart.RecordCount(), db.OpenRecordset("SELECT * FROM tblFanCurve WHERE FsID=" + N(fs)).RecordCount());

    Recordset noise = engine_sql::FanNoise(db, fs, 6);
    ASSERT_EQ(noise.RecordCount(), 1);
    for (int b = 1; b <= 8; ++b) EXPECT_GE(noise.GetDouble("NdD" + std::to_string(b), -1), 0) << b;
    EXPECT_TRUE(engine_sql::FanNoise(db, fs, 2).Eof());  // not offered
}

void CheckSelectionQueries(IDatabase& db)
{
    // the search: one series, optional type, casing and size, ascending sizes
    Recordset all = db.OpenRecordset(sql::SelectFans("AXM", "-", "", 0));
    EXPECT_GE(all.RecordCount(), 35);
    double last = 0;
    for (; !all.Eof(); all.MoveNext()) {
        EXPECT_GE(all.GetDouble("FsSize"), last);
        last = all.GetDouble("FsSize");
        EXPECT_FALSE(all.GetText("FdPoles").empty());
    }
    EXPECT_EQ(Count(db, sql::SelectFans("axm", "AXM-S", "-", 0)), 26);
    Recordset one = db.OpenRecordset(sql::SelectFans("AXM", "AXM-L", "L", 630));
    ASSERT_EQ(one.RecordCount(), 1);
    for (const char* col : {"TsCode", "TpCode", "CaType", "FsSize", "FdPoles", "FsID", "tblFanTpSe.Fab0ID",
                            "tblFanSeries.Fab0ID", "TpMotForm", "FsMaxMot", "FdName", "FsImQt", "FsSizeI",
                            "FdEuro1", "FdEuro2", "FdKg"})
        EXPECT_GE(one.FieldIndex(col), 0) << col;
    EXPECT_EQ(one.GetInt("tblFanTpSe.Fab0ID"), 2);  // the pair names its own maker
    EXPECT_EQ(one.GetInt("tblFanSeries.Fab0ID"), 1);
    EXPECT_EQ(one.GetText("FdPoles"), "4,6,8");
    EXPECT_EQ(one.GetText("TpMotForm"), "B3");
    EXPECT_GT(one.GetDouble("FdEuro2"), one.GetDouble("FdEuro1"));
    EXPECT_EQ(Count(db, sql::SelectFans("AXM", "AXM-L", "", 1250)), 0);  // inactive

    Recordset polz = db.OpenRecordset(sql::PoleCombination(7));
    EXPECT_EQ(polz.GetInt("PolP1"), 4);
    EXPECT_EQ(polz.GetInt("PolP2"), 8);
    EXPECT_EQ(polz.GetText("PolTextP"), "4/8");
    EXPECT_EQ(db.OpenRecordset(sql::PoleSpeed(4)).GetInt("PolBN"), 1450);

    EXPECT_EQ(db.OpenRecordset(sql::SeriesSuffix("AXH")).GetText("TsTxAdd"), "HP");
    EXPECT_EQ(db.OpenRecordset(sql::SeriesSuffix("AXM")).GetText("TsTxAdd"), "");

    // motor: the smallest that covers the demand
    sql::MotorDemand d;
    d.minPower = 2.31;
    d.maker = 1;
    d.frequency = 50;
    d.voltage = 2;
    d.form = "B5";
    d.poleKey = 2;
    Recordset m = db.OpenRecordset(sql::Motor(d));
    ASSERT_EQ(m.RecordCount(), 1);
    EXPECT_DOUBLE_EQ(m.GetDouble("MotP1"), 3.0);
    EXPECT_EQ(m.GetText("MotForm"), "B5");
    EXPECT_GT(m.GetDouble("MotN1"), 1350);
    EXPECT_LT(m.GetDouble("MotN1"), 1500);
    EXPECT_TRUE(m.Field("MotN2").isEmpty());
    for (const char* col : {"MotName", "MotBgr", "MotBgrZ", "MotLg", "SchaID", "MotExClass", "MisoID", "IpID",
                            "MotIaI1", "MotEta1", "MotPrice1", "MotPrice2", "MotKg"})
        EXPECT_GE(m.FieldIndex(col), 0) << col;
    d = {3, 2, 60, 4, "b35", 3, 132};  // form compared without case, frame capped
    Recordset exact = db.OpenRecordset(sql::Motor(d));
    ASSERT_EQ(exact.RecordCount(), 1);
    EXPECT_DOUBLE_EQ(exact.GetDouble("MotP1"), 3.0);
    EXPECT_EQ(Count(db, sql::Motor({30, 1, 50, 2, "B14", 2, 100})), 0);
    Recordset two = db.OpenRecordset(sql::Motor({4.2, 1, 50, 2, "B3", 7, 0}));
    ASSERT_EQ(two.RecordCount(), 1);
    EXPECT_GT(two.GetDouble("MotP1"), two.GetDouble("MotP2"));
    EXPECT_LT(two.GetDouble("MotN2"), two.GetDouble("MotN1"));

    EXPECT_EQ(db.OpenRecordset(sql::Insulation(m.GetDouble("MisoID"))).GetText("MisoKz"), "F");
    EXPECT_FALSE(db.OpenRecordset(sql::Protection(m.GetDouble("IpID"))).GetText("IpText").empty());
    EXPECT_FALSE(db.OpenRecordset(sql::Maker(m.GetDouble("Fab0ID"))).GetText("Fab0TextS").empty());
}

void CheckPriceQueries(IDatabase& db)
{
    // combination prices of the guide-vane type, single- and two-speed
    Recordset row = db.OpenRecordset("SELECT * FROM tblFanPrices WHERE TpCode='AXH-G' AND PrsSize=800 AND PrsPol2=0");
    ASSERT_GE(row.RecordCount(), 3);
    sql::PriceKey k;
    k.priceList = 1;
    k.type = "AXH-G";
    k.series = "AXH";
    k.casing = "G";
    k.size = 800;
    k.pole1 = row.GetDouble("PrsPol1");
    k.kw1 = row.GetDouble("PrsKw1");
    Recordset p = db.OpenRecordset(sql::CombinationPrice(k));
    ASSERT_EQ(p.RecordCount(), 1);
    EXPECT_GT(p.GetDouble("PrsPrice1"), 1000);
    sql::PriceKey noCasing = k;
    noCasing.casing = "";
    EXPECT_EQ(Count(db, sql::CombinationPrice(noCasing)), 0);
    Recordset t = db.OpenRecordset("SELECT * FROM tblFanPrices WHERE TpCode='AXH-G' AND PrsPol2<>0");
    ASSERT_GT(t.RecordCount(), 0);
    sql::PriceKey twoSpeed = k;
    twoSpeed.priceList = 2;
    twoSpeed.size = t.GetDouble("PrsSize");
    twoSpeed.pole1 = t.GetDouble("PrsPol1");
    twoSpeed.kw1 = t.GetDouble("PrsKw1");
    twoSpeed.pole2 = t.GetDouble("PrsPol2");
    twoSpeed.kw2 = t.GetDouble("PrsKw2");
    EXPECT_EQ(Count(db, sql::CombinationPrice(twoSpeed)), 1);
    // blade surcharge only for the 12-blade sizes
    EXPECT_EQ(Count(db, sql::BladeSurcharge(k, 12)), 1);
    sql::PriceKey small = twoSpeed;
    small.size = 500;
    EXPECT_EQ(Count(db, sql::BladeSurcharge(small, 9)), 0);
    Recordset g = db.OpenRecordset(sql::SelectFans("AXH", "AXH-G", "", 0));
    ASSERT_GT(g.RecordCount(), 0);
    for (; !g.Eof(); g.MoveNext()) EXPECT_EQ(g.GetDouble("FdEuro1", -1), 0);
}

void CheckAccessoryQueries(IDatabase& db)
{
    Recordset dp = db.OpenRecordset(sql::PressureDropFormula("I_DpaAc2"));
    ASSERT_EQ(dp.RecordCount(), 1);
    EXPECT_EQ(dp.GetText("ActCode"), "SIL");
    EXPECT_TRUE(IContains(dp.GetText("ActDpEqu"), "[C]"));
    EXPECT_EQ(Count(db, sql::PressureDropFormula("I_DpaAc6")), 0);

    const int fs = FsIdOf(db, "AXM-S", "S", 630);
    for (int n : {1, 2}) {
        Recordset list = db.OpenRecordset(sql::AvailableAccessories(fs, "IT", n));
        EXPECT_EQ(list.RecordCount(), 7 + 6);  // the size's own articles and the common ones
        std::string prev;
        for (; !list.Eof(); list.MoveNext()) {
            EXPECT_LE(ToUpper(prev), ToUpper(list.GetText("AdName")));
            prev = list.GetText("AdName");
            EXPECT_GT(list.GetDouble("AdEuro" + N(n)), 0);
            EXPECT_FALSE(list.GetText("TrnText").empty());
        }
    }
    Recordset prices = db.OpenRecordset(sql::ArticlePrices(1));
    const int total = prices.RecordCount();
    Recordset sil = db.OpenRecordset(sql::ArticleForSize(fs, "SIL"));
    ASSERT_EQ(sil.RecordCount(), 1);
    const std::string id = sil.GetText("AdID");
    prices.Filter("AdID=" + id);
    EXPECT_EQ(prices.RecordCount(), 1);
    prices.Filter("");
    EXPECT_EQ(prices.RecordCount(), total);
    Recordset art = db.OpenRecordset(sql::Article(TextToNum(id)));
    EXPECT_EQ(art.GetText("ActCode"), "SIL");
    EXPECT_FALSE(art.Field("FsID").isEmpty());
    EXPECT_EQ(Count(db, sql::Article(999999)), 0);
    // a plate fan takes no silencer
    EXPECT_EQ(Count(db, sql::ArticleForSize(FsIdOf(db, "AXL-P", "", 500), "SIL")), 0);
}

void CheckPrintQueries(IDatabase& db)
{
    const int fs = FsIdOf(db, "AXH-L", "G", 710);
    for (const char* dir : {"A", "B"}) {
        Recordset dims = db.OpenRecordset(std::string("SELECT * FROM tblFanDims WHERE TdCode='") + dir +
                                          "' AND TpCode='AXH-L'");
        ASSERT_EQ(dims.RecordCount(), 1);
        EXPECT_EQ(Split(dims.GetText("TdDims"), ',').size(), Split(dims.GetText("TdIds"), ',').size());
    }
    Recordset data = db.OpenRecordset("SELECT * FROM tblFanData WHERE FsID=" + N(fs));
    ASSERT_EQ(data.RecordCount(), 1);
    for (int d = 1; d <= 12; ++d) EXPECT_GE(data.FieldIndex("FdD" + std::to_string(d)), 0) << d;
    const auto frames = Split(data.GetText("FdMot"), ',');
    ASSERT_GE(frames.size(), 2u);
    for (int d = 10; d <= 12; ++d)
        EXPECT_EQ(Split(data.GetText("FdD" + std::to_string(d)), ',').size(), frames.size()) << d;
    for (std::size_t i = 1; i < frames.size(); ++i) EXPECT_LT(TextToNum(frames[i - 1]), TextToNum(frames[i]));
    EXPECT_GT(data.GetDouble("FdD8"), 0);  // foot height of a long casing

    Recordset lang = db.OpenRecordset(CTranslater::TableQuery("EN"));
    ASSERT_GT(lang.RecordCount(), 50);
    EXPECT_GE(lang.FieldIndex("ID"), 0);
    EXPECT_GE(lang.FieldIndex("Text"), 0);
    EXPECT_EQ(lang.GetInt("ID"), 1);
    EXPECT_EQ(db.OpenRecordset(CTranslater::TableQuery("DE")).RecordCount(), lang.RecordCount());
}

void CheckAll(IDatabase& db)
{
    {
        SCOPED_TRACE("choice lists");
        CheckChoiceLists(db);
    }
    {
        SCOPED_TRACE("engine");
        CheckEngineQueries(db);
    }
    {
        SCOPED_TRACE("selection");
        CheckSelectionQueries(db);
    }
    {
        SCOPED_TRACE("prices");
        CheckPriceQueries(db);
    }
    {
        SCOPED_TRACE("accessories");
        CheckAccessoryQueries(db);
    }
    {
        SCOPED_TRACE("print-out");
        CheckPrintQueries(db);
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

// The accessory routines reach the same rows through the program-wide connection.
TEST(CatalogueQueries, AccessoryRoutinesFindTheirRows)
{
    std::string err;
    auto db = test::OpenSqliteCatalogue(test::CatalogueFile(), &err);
    ASSERT_TRUE(db) << err;
    Program saved = Prog();
    Prog().DB = db.get();
    Prog().PriceList = 2;
    const char* codes[] = {"GRD", "SIL", "DMP", "BND", "FLX"};
    for (int k = 1; k <= 5; ++k) {
        const std::string f = "I_DpaAc" + std::to_string(k);
        EXPECT_EQ(AccDpInfo(f, 1), codes[k - 1]);
        EXPECT_TRUE(IContains(AccDpInfo(f, 2), "[C]"));
    }
    EXPECT_EQ(AccDpInfo("I_DpaAc9", 1), "");
    Recordset list = db->OpenRecordset(AvailableAccQuery(FsIdOf(*db, "AXH-G", "", 900), "DE"));
    EXPECT_EQ(list.RecordCount(), 7 + 6);
    EXPECT_GE(list.FieldIndex("AdEuro2"), 0);
    Prog() = saved;
}
