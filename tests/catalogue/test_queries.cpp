// Every SQL text the program sends to the catalogue, filled with real
// values, against the demo catalogue on SQLite and on PostgreSQL.
#include <gtest/gtest.h>

#include <set>

#include "CatalogueDb.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "engine/EngineQueries.h"

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
    Recordset rs = db.OpenRecordset("SELECT * FROM abfSelectFans WHERE TsCode='" + type.substr(0, 3) +
                                    "' AND TpCode='" + type + "' AND CaType='" + casing + "' AND FsSize=" + N(size) +
                                    " ORDER BY FsSize");
    EXPECT_EQ(rs.RecordCount(), 1) << type << " " << casing << " " << size;
    return rs.Eof() ? 0 : rs.GetInt("FsID");
}

void CheckChoiceLists(IDatabase& db)
{
    EXPECT_EQ(Column(db, "SELECT Fab0ID, Fab0TextS FROM tblFab00 ORDER BY Fab0ID", "Fab0ID"),
              (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Column(db, "SELECT PolID, PolTextP FROM tblEEPolz ORDER BY PolID", "PolTextP"),
              (std::vector<std::string>{"2", "4", "6", "8", "12", "2/4", "4/8"}));
    EXPECT_EQ(Column(db, "SELECT VoltID, VoltText FROM tblEEVolt ORDER BY VoltPhase, VoltNenn", "VoltID"),
              (std::vector<std::string>{"1", "5", "2", "4", "3"}));
    EXPECT_EQ(Column(db, "SELECT FrqID, FrqHz FROM tblEEFreq ORDER BY FrqHz", "FrqID"),
              (std::vector<std::string>{"50", "60"}));
    EXPECT_EQ(Column(db, "SELECT MisoID, MisoKz FROM tblEEIso ORDER BY MisoID", "MisoKz"),
              (std::vector<std::string>{"B", "F", "H"}));
    EXPECT_EQ(Column(db, "SELECT SchaID, SchaText FROM tblEESchalt ORDER BY SchaText", "SchaText").size(), 6u);
    EXPECT_EQ(Column(db, "SELECT IpID, IpText FROM tblEEIp ORDER BY IpText", "IpText"),
              (std::vector<std::string>{"IP54", "IP55", "IP65"}));
    // every motor is a standard one: one null entry
    Recordset ex = db.OpenRecordset("SELECT DISTINCT MotExClass FROM tblMotBase ORDER BY MotExClass");
    ASSERT_EQ(ex.RecordCount(), 1);
    EXPECT_TRUE(ex.Field(0).isEmpty());

    // casing types of a type; codes compare without regard to case
    std::vector<std::string> ct = Column(db,
        "SELECT DISTINCT tblFanData.CaType FROM tblFanSizes INNER JOIN tblFanData ON tblFanSizes.FsID = "
        "tblFanData.FsID WHERE tblFanSizes.TpCode='axm-s' AND tblFanData.CaType is not NULL", "CaType");
    EXPECT_EQ(std::set<std::string>(ct.begin(), ct.end()), (std::set<std::string>{"L", "S"}));
    EXPECT_EQ(Count(db, "SELECT DISTINCT tblFanData.CaType FROM tblFanSizes INNER JOIN tblFanData ON "
                        "tblFanSizes.FsID = tblFanData.FsID WHERE tblFanSizes.TpCode='AXL-P' AND "
                        "tblFanData.CaType is not NULL"), 0);
    // sizes of a type: 1250 of AXM-L is switched off
    std::vector<std::string> sizes = Column(db,
        "SELECT DISTINCT tblFanSizes.FsSize FROM tblFanSizes WHERE tblFanSizes.TpCode='AXM-L' AND FsActive=1",
        "FsSize");
    EXPECT_EQ(sizes.size(), 12u);
    EXPECT_EQ(std::count(sizes.begin(), sizes.end(), "1250"), 0);
    EXPECT_EQ(Count(db, "SELECT DISTINCT tblFanSizes.FsSize FROM tblFanSizes WHERE tblFanSizes.TpCode='NONE' "
                        "AND FsActive=1"), 0);

    for (const char* lang : {"EN", "DE", "IT", "de"}) {
        Recordset se = db.OpenRecordset(
            std::string("SELECT tblFanSeries.TsCode, tblLngTrans.TrnText FROM tblLngTrans INNER JOIN tblFanSeries "
                        "ON tblLngTrans.TrnCode = tblFanSeries.TsCode WHERE tblLngTrans.LngID='") +
            lang + "' AND TsActive=1");
        EXPECT_EQ(se.RecordCount(), 3) << lang;
        EXPECT_EQ(se.FieldCount(), 2);
        Recordset ty = db.OpenRecordset(
            std::string("SELECT DISTINCT tblFanTypes.TpCode, tblFanTypes.TpCode AS Code2, tblLngTrans.TrnText FROM "
                        "(tblFanTypes INNER JOIN tblFanTpSe ON tblFanTypes.TpCode = tblFanTpSe.TpCode) INNER JOIN "
                        "tblLngTrans ON tblFanTypes.TpCode = tblLngTrans.TrnCode Where tblFanTpSe.TsCode='AXM' AND "
                        "tblLngTrans.LngID='") + lang + "' AND tblFanTpSe.TsActive=1 AND tblFanTypes.TpActive=1");
        EXPECT_EQ(ty.RecordCount(), 2) << lang;
        EXPECT_EQ(ty.FieldCount(), 3);
    }
    EXPECT_EQ(db.OpenRecordset("SELECT * FROM tblEEVolt WHERE VoltID=4").GetInt("VoltHz"), 60);
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
    Recordset all = db.OpenRecordset("SELECT * FROM abfSelectFans WHERE TsCode='AXM' ORDER BY FsSize");
    EXPECT_GE(all.RecordCount(), 35);
    double last = 0;
    for (; !all.Eof(); all.MoveNext()) {
        EXPECT_GE(all.GetDouble("FsSize"), last);
        last = all.GetDouble("FsSize");
        EXPECT_FALSE(all.GetText("FdPoles").empty());
    }
    EXPECT_EQ(Count(db, "SELECT * FROM abfSelectFans WHERE TsCode='axm' AND TpCode='AXM-S' ORDER BY FsSize"), 26);
    Recordset one = db.OpenRecordset("SELECT * FROM abfSelectFans WHERE TsCode='AXM' AND TpCode='AXM-L' AND "
                                     "CaType='L' AND FsSize=630 ORDER BY FsSize");
    ASSERT_EQ(one.RecordCount(), 1);
    for (const char* col : {"TsCode", "TpCode", "CaType", "FsSize", "FdPoles", "FsID", "tblFanTpSe.Fab0ID",
                            "tblFanSeries.Fab0ID", "TpMotForm", "FsMaxMot", "FdName", "FsImQt", "FsSizeI",
                            "FdEuro1", "FdEuro2", "FdKg"})
        EXPECT_GE(one.FieldIndex(col), 0) << col;
    EXPECT_EQ(one.GetInt("tblFanTpSe.Fab0ID"), 2);  // the pair names its own maker
    EXPECT_EQ(one.GetInt("tblFanSeries.Fab0ID"), 1);
    EXPECT_EQ(one.GetText("FdPoles"), "4,6,8");
    EXPECT_EQ(one.GetText("TpMotForm"), "B3");
    EXPECT_GT(one.GetDouble("FdEuro1"), 0);
    EXPECT_GT(one.GetDouble("FdEuro2"), one.GetDouble("FdEuro1"));
    EXPECT_EQ(Count(db, "SELECT * FROM abfSelectFans WHERE TsCode='AXM' AND TpCode='AXM-L' AND FsSize=1250 ORDER BY "
                        "FsSize"), 0);  // inactive

    Recordset polz = db.OpenRecordset("SELECT * FROM tblEEPolz WHERE PolID=7");
    EXPECT_EQ(polz.GetInt("PolP1"), 4);
    EXPECT_EQ(polz.GetInt("PolP2"), 8);
    EXPECT_EQ(polz.GetText("PolTextP"), "4/8");

    EXPECT_EQ(db.OpenRecordset("SELECT TsTxAdd FROM tblFanSeries WHERE TsCode='AXH'").GetText("TsTxAdd"), "HP");
    EXPECT_EQ(db.OpenRecordset("SELECT TsTxAdd FROM tblFanSeries WHERE TsCode='AXM'").GetText("TsTxAdd"), "");

    // motor: the smallest that covers the demand, ties impossible
    Recordset m = db.OpenRecordset("SELECT TOP 1 * FROM tblMotBase WHERE MotP1>=" + N(2.31) +
                                   " AND Fab0ID=1 AND FrqID=50 AND VoltID=2 AND MotForm='B5' AND PolID=2 ORDER BY MotP1");
    ASSERT_EQ(m.RecordCount(), 1);
    EXPECT_DOUBLE_EQ(m.GetDouble("MotP1"), 3.0);
    EXPECT_EQ(m.GetText("MotForm"), "B5");
    EXPECT_GT(m.GetDouble("MotN1"), 1350);
    EXPECT_LT(m.GetDouble("MotN1"), 1500);
    EXPECT_GT(m.GetDouble("MotI1"), 4);
    EXPECT_LT(m.GetDouble("MotI1"), 9);
    EXPECT_TRUE(m.Field("MotN2").isEmpty());
    for (const char* col : {"MotName", "MotBgr", "MotBgrZ", "MotLg", "SchaID", "MotExClass", "MisoID", "IpID",
                            "MotIaI1", "MotEta1", "MotPrice1", "MotPrice2", "MotKg"})
        EXPECT_GE(m.FieldIndex(col), 0) << col;
    Recordset exact = db.OpenRecordset("SELECT TOP 1 * FROM tblMotBase WHERE MotP1>=3 AND Fab0ID=2 AND FrqID=60 AND "
                                       "VoltID=4 AND MotForm='b35' AND PolID=3 AND MotBgr<=132 ORDER BY MotP1");
    ASSERT_EQ(exact.RecordCount(), 1);
    EXPECT_DOUBLE_EQ(exact.GetDouble("MotP1"), 3.0);
    EXPECT_EQ(Count(db, "SELECT TOP 1 * FROM tblMotBase WHERE MotP1>=30 AND Fab0ID=1 AND FrqID=50 AND VoltID=2 AND "
                        "MotForm='B14' AND PolID=2 AND MotBgr<=100 ORDER BY MotP1"), 0);
    Recordset two = db.OpenRecordset("SELECT TOP 1 * FROM tblMotBase WHERE MotP1>=4.2 AND Fab0ID=1 AND FrqID=50 AND "
                                     "VoltID=2 AND MotForm='B3' AND PolID=7 ORDER BY MotP1");
    ASSERT_EQ(two.RecordCount(), 1);
    EXPECT_GT(two.GetDouble("MotP1"), two.GetDouble("MotP2"));
    EXPECT_LT(two.GetDouble("MotN2"), two.GetDouble("MotN1"));

    EXPECT_EQ(db.OpenRecordset("SELECT * FROM tblEEIso WHERE MisoID=" + m.GetText("MisoID")).GetText("MisoKz"), "F");
    EXPECT_FALSE(db.OpenRecordset("SELECT * FROM tblEEIp WHERE IpID=" + m.GetText("IpID")).GetText("IpText").empty());
    EXPECT_FALSE(db.OpenRecordset("SELECT * FROM tblFab00 WHERE Fab0ID=" + m.GetText("Fab0ID")).GetText("Fab0TextS").empty());
    EXPECT_EQ(db.OpenRecordset("SELECT * FROM tblEEPolz WHERE PolID=" + m.GetText("PolID")).GetInt("PolP1"), 4);
}

void CheckPriceQueries(IDatabase& db)
{
    // combination prices of the guide-vane type, single- and two-speed
    Recordset row = db.OpenRecordset("SELECT * FROM tblFanPrices WHERE TpCode='AXH-G' AND PrsSize=800 AND PrsPol2=0");
    ASSERT_GE(row.RecordCount(), 3);
    const std::string base = "SELECT PrsPrice1 FROM tblFanPrices WHERE TpCode='AXH-G' AND TsCode='AXH' AND PrsSize=800 AND ";
    Recordset p = db.OpenRecordset(base + " PrsPol1= " + row.GetText("PrsPol1") + " AND PrsKw1=" + N(row.GetDouble("PrsKw1")) +
                                   " AND CaType='G' AND PrsPol2=0 AND PrsKw2=0");
    ASSERT_EQ(p.RecordCount(), 1);
    EXPECT_GT(p.GetDouble("PrsPrice1"), 1000);
    EXPECT_EQ(Count(db, base + " PrsPol1= " + row.GetText("PrsPol1") + " AND PrsKw1=" + N(row.GetDouble("PrsKw1")) +
                            " AND CaType Is Null AND PrsPol2=0 AND PrsKw2=0"), 0);
    Recordset t = db.OpenRecordset("SELECT * FROM tblFanPrices WHERE TpCode='AXH-G' AND PrsPol2<>0");
    ASSERT_GT(t.RecordCount(), 0);
    const std::string two = "SELECT PrsPrice2 FROM tblFanPrices WHERE TpCode='AXH-G' AND TsCode='AXH' AND PrsSize=" +
                            t.GetText("PrsSize") + " AND  PrsPol1= " + t.GetText("PrsPol1") + " AND PrsKw1=" +
                            N(t.GetDouble("PrsKw1")) + " AND CaType='G' AND PrsPol2= " + t.GetText("PrsPol2") +
                            " AND PrsKw2=" + N(t.GetDouble("PrsKw2"));
    EXPECT_EQ(Count(db, two), 1) << two;
    // blade surcharge only for the 12-blade sizes
    EXPECT_EQ(Count(db, "SELECT PrsPrice1 FROM tblFanPricesM WHERE TpCode='AXH-G' AND TsCode='AXH' AND PrsSize=800 AND "
                        " PrsSch= 12"), 1);
    EXPECT_EQ(Count(db, "SELECT PrsPrice2 FROM tblFanPricesM WHERE TpCode='AXH-G' AND TsCode='AXH' AND PrsSize=500 AND "
                        " PrsSch= 9"), 0);
    Recordset g = db.OpenRecordset("SELECT * FROM abfSelectFans WHERE TsCode='AXH' AND TpCode='AXH-G' ORDER BY FsSize");
    ASSERT_GT(g.RecordCount(), 0);
    for (; !g.Eof(); g.MoveNext()) EXPECT_EQ(g.GetDouble("FdEuro1", -1), 0);
}

void CheckAccessoryQueries(IDatabase& db)
{
    Recordset dp = db.OpenRecordset("SELECT ActCode, ActDpEqu FROM tblAccTypes WHERE tblAccTypes.ActDpFld='I_DpaAc2'");
    ASSERT_EQ(dp.RecordCount(), 1);
    EXPECT_EQ(dp.GetText("ActCode"), "SIL");
    EXPECT_TRUE(IContains(dp.GetText("ActDpEqu"), "[C]"));
    EXPECT_EQ(Count(db, "SELECT ActCode, ActDpEqu FROM tblAccTypes WHERE tblAccTypes.ActDpFld='I_DpaAc6'"), 0);

    const int fs = FsIdOf(db, "AXM-S", "S", 630);
    for (int n : {1, 2}) {
        Recordset list = db.OpenRecordset(
            "SELECT tblAccData.AdID, tblAccData.AdName, tblAccData.AdEuro" + N(n) +
            ", tblAccTypes.ActDesc, tblLngTrans.TrnText, tblAccTypes.ActCode, tblLngTrans.TrnCode FROM (tblAccTypes "
            "INNER JOIN tblAccData ON tblAccTypes.ActCode = tblAccData.ActCode) INNER JOIN tblLngTrans ON "
            "tblAccTypes.ActCode = tblLngTrans.TrnCode Where (((tblAccData.FsID) = " + N(fs) +
            " Or (tblAccData.FsID) Is Null) AND LngID='IT') ORDER BY tblAccData.AdName");
        EXPECT_EQ(list.RecordCount(), 7 + 6);  // the size's own articles and the common ones
        std::string prev;
        for (; !list.Eof(); list.MoveNext()) {
            EXPECT_LE(ToUpper(prev), ToUpper(list.GetText("AdName")));
            prev = list.GetText("AdName");
            EXPECT_GT(list.GetDouble("AdEuro" + N(n)), 0);
            EXPECT_FALSE(list.GetText("TrnText").empty());
        }
    }
    Recordset prices = db.OpenRecordset("SELECT AdID, AdEuro1 FROM tblAccData");
    const int total = prices.RecordCount();
    Recordset sil = db.OpenRecordset("SELECT AdId, ActCode FROM tblAccData WHERE FsID=" + N(fs) + " AND ActCode='SIL'");
    ASSERT_EQ(sil.RecordCount(), 1);
    const std::string id = sil.GetText("AdID");
    prices.Filter("AdID=" + id);
    EXPECT_EQ(prices.RecordCount(), 1);
    prices.Filter("");
    EXPECT_EQ(prices.RecordCount(), total);
    EXPECT_EQ(db.OpenRecordset("SELECT ActCode FROM tblAccData WHERE AdID=" + id).GetText("ActCode"), "SIL");
    EXPECT_EQ(Count(db, "SELECT ActCode FROM tblAccData WHERE AdID=999999"), 0);
    // a plate fan takes no silencer
    EXPECT_EQ(Count(db, "SELECT AdId, ActCode FROM tblAccData WHERE FsID=" +
                            N(db.OpenRecordset("SELECT * FROM abfSelectFans WHERE TsCode='AXL' AND TpCode='AXL-P' AND "
                                               "FsSize=500 ORDER BY FsSize").GetInt("FsID")) + " AND ActCode='SIL'"), 0);

    Recordset print = db.OpenRecordset(
        "SELECT tblAccData.*, tblAccTypes.ActDims, tblLngTrans.TrnText, tblLngTrans.TrnCode FROM (tblAccTypes INNER "
        "JOIN tblAccData ON tblAccTypes.ActCode = tblAccData.ActCode) INNER JOIN tblLngTrans ON tblAccTypes.ActCode = "
        "tblLngTrans.TrnCode Where tblAccData.AdID = " + id + " AND LngID='DE'");
    ASSERT_EQ(print.RecordCount(), 1);
    EXPECT_EQ(print.GetText("TrnText"), "Schalldämpfer");
    EXPECT_EQ(Split(print.GetText("ActDims"), ';').size(), 3u);
    EXPECT_GT(print.GetDouble("AdEuro2"), print.GetDouble("AdEuro1"));
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

    Recordset lang = db.OpenRecordset("SELECT * FROM tblLangEN ORDER BY ID");
    ASSERT_GT(lang.RecordCount(), 50);
    EXPECT_GE(lang.FieldIndex("ID"), 0);
    EXPECT_GE(lang.FieldIndex("Text"), 0);
    EXPECT_EQ(lang.GetInt("ID"), 1);
    EXPECT_EQ(db.OpenRecordset("SELECT * FROM tblLangDE ORDER BY ID").RecordCount(), lang.RecordCount());
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

#ifdef AEROLYX_HAVE_CEXPRESSION
#include "accessories/AccRoutines.h"
#include "common/Program.h"

// The accessory routines' own query texts against the catalogue.
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
    const int fs = db->OpenRecordset("SELECT * FROM abfSelectFans WHERE TsCode='AXH' AND TpCode='AXH-G' AND "
                                     "FsSize=900 ORDER BY FsSize").GetInt("FsID");
    Recordset list = db->OpenRecordset(AvailableAccQuery(fs, "DE"));
    EXPECT_EQ(list.RecordCount(), 7 + 6);
    EXPECT_GE(list.FieldIndex("AdEuro2"), 0);
    Prog() = saved;
}
#endif
