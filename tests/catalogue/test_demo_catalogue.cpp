// The demo catalogue on SQLite and, when configured, PostgreSQL: the
// program's statements (the named functions of each consumer) filled with
// real values find the rows the demo data holds, and the data is consistent:
// curves the engine can fit, keys that resolve, formulas that compile,
// choice-list values that exist.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "support/CatalogueConnections.h"
#include "accessories/AccRoutines.h"
#include "accessories/AccessorySql.h"
#include "common/IniFile.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "engine/EngineQueries.h"
#include "expression/CExpression.h"
#include "lang/CTranslater.h"
#include "model/CFanData.h"
#include "model/ChoiceListSql.h"
#include "model/ModelTestSupport.h"
#include "selection/SelectionSql.h"
#include "support/TestSupport.h"

using namespace aerolyx;

namespace {

std::set<std::string> Keys(IDatabase& db, const std::string& sql)
{
    std::set<std::string> out;
    for (Recordset rs = db.OpenRecordset(sql); !rs.Eof(); rs.MoveNext()) out.insert(ToUpper(rs.Field(0).toText()));
    return out;
}

// Every size through the engine's statements: its row, its curves, the
// speed and the noise of every offered pole.
void CheckCurves(IDatabase& db)
{
    Recordset sizes = db.OpenRecordset("SELECT * FROM tblFanSizes INNER JOIN tblFanData ON tblFanSizes.FsID = "
                                       "tblFanData.FsID ORDER BY tblFanSizes.FsID");
    ASSERT_GE(sizes.RecordCount(), 60);
    int active = 0, withoutNoise = 0;
    for (; !sizes.Eof(); sizes.MoveNext()) {
        const int fs = sizes.GetInt("FsID");
        SCOPED_TRACE("FsID " + std::to_string(fs));
        active += sizes.GetInt("FsActive") == 1;
        Recordset size = engine_sql::FanSize(db, fs);
        EXPECT_EQ(size.GetInt("FsID"), fs);
        EXPECT_GT(size.GetDouble("VartdPmin"), 0);
        const std::vector<std::string> poles = Split(sizes.GetText("FdPoles"), ',');
        ASSERT_FALSE(poles.empty());

        Recordset c = engine_sql::FanCurves(db, fs);
        ASSERT_GT(c.RecordCount(), 0);
        std::set<double> angles;
        double lastAngle = -1, lastFlow = 0, lastPressure = 0, peak = 0;
        for (; !c.Eof(); c.MoveNext()) {
            const double a = c.GetDouble("FanCN"), v = c.GetDouble("FanCM"), p = c.GetDouble("FanCPa");
            const double eta = c.GetDouble("FanCE"), lw = c.GetDouble("FanCDB");
            EXPECT_GE(a, lastAngle) << "curves come by angle";
            EXPECT_EQ(c.GetText("FanCPz"), Trim(poles.front()));  // all measured at the fastest offered speed
            if (a == lastAngle) {
                EXPECT_GT(v, lastFlow) << "flows of a curve ascend and differ";
                EXPECT_LT(p, lastPressure) << "pressure falls with the flow";
            }
            // the engine recomputes the efficiency from flow, pressure and power
            EXPECT_NEAR(eta, v * p / (36000.0 * c.GetDouble("FanCP")), 0.11);
            EXPECT_TRUE(lw > 50 && lw < 130) << lw;
            EXPECT_TRUE(sizes.GetDouble("FsMinVa") <= v && v <= sizes.GetDouble("FsMaxVa")) << v;
            EXPECT_TRUE(sizes.GetDouble("FsMinPa") <= p && p <= sizes.GetDouble("FsMaxPa")) << p;
            angles.insert(a);
            peak = std::max(peak, eta);
            lastAngle = a, lastFlow = v, lastPressure = p;
        }
        EXPECT_GE(angles.size(), 5u);
        EXPECT_TRUE(peak >= 55 && peak <= 86) << peak;

        int noiseRows = 0;
        for (const auto& pole : poles) {
            const int pz = static_cast<int>(TextToNum(pole));
            // a little below the synchronous speed at 50 Hz
            EXPECT_NEAR(engine_sql::PoleSpeed(db, pz).GetDouble("PolBN"), 6000.0 / pz, 300.0 / pz) << pole;
            for (Recordset noise = engine_sql::FanNoise(db, fs, pz); !noise.Eof(); noise.MoveNext()) {
                ++noiseRows;
                EXPECT_EQ(noise.GetInt("NsCPz"), pz);
                double energy = 0;
                for (int b = 1; b <= 8; ++b) energy += std::pow(10.0, -noise.GetDouble("NdD" + std::to_string(b)) / 10);
                EXPECT_NEAR(10 * std::log10(energy), 0.0, 0.1) << "bands add up to the overall level";
            }
        }
        withoutNoise += noiseRows == 0;
    }
    EXPECT_GE(active, 60);
    EXPECT_GE(withoutNoise, 2);
    EXPECT_LE(withoutNoise, 6);
}

void CheckMotors(IDatabase& db)
{
    // {the values of a referring column, the keys they must be found among}
    const std::pair<const char*, const char*> refs[] = {
        {"SELECT PolID FROM tblMotBase", "SELECT PolID FROM tblEEPolz"},
        {"SELECT Fab0ID FROM tblMotBase", "SELECT Fab0ID FROM tblFab00"},
        {"SELECT MisoID FROM tblMotBase", "SELECT MisoID FROM tblEEIso"},
        {"SELECT IpID FROM tblMotBase", "SELECT IpID FROM tblEEIp"},
        {"SELECT SchaID FROM tblMotBase", "SELECT SchaID FROM tblEESchalt"},
        {"SELECT VoltHz FROM tblEEVolt", "SELECT FrqID FROM tblEEFreq"},
        {"SELECT FsID FROM tblAccData WHERE FsID IS NOT NULL", "SELECT FsID FROM tblFanSizes"},
        {"SELECT ActCode FROM tblAccData", "SELECT ActCode FROM tblAccTypes"},
    };
    for (const auto& [from, to] : refs) {
        const std::set<std::string> keys = Keys(db, to);
        for (const auto& k : Keys(db, from)) EXPECT_TRUE(keys.count(k)) << from << ": " << k;
    }
    std::map<int, int> voltHz;
    for (Recordset v = db.OpenRecordset("SELECT * FROM tblEEVolt"); !v.Eof(); v.MoveNext())
        voltHz[v.GetInt("VoltID")] = v.GetInt("VoltHz");
    std::map<int, std::pair<int, int>> steps;
    for (Recordset p = db.OpenRecordset("SELECT * FROM tblEEPolz"); !p.Eof(); p.MoveNext())
        steps[p.GetInt("PolID")] = {p.GetInt("PolP1"), p.GetInt("PolP2")};

    Recordset m = db.OpenRecordset("SELECT * FROM tblMotBase");
    ASSERT_GT(m.RecordCount(), 1000);
    for (; !m.Eof(); m.MoveNext()) {
        SCOPED_TRACE(m.GetText("MotName"));
        EXPECT_EQ(voltHz.at(m.GetInt("VoltID")), m.GetInt("FrqID"));
        const auto [p1, p2] = steps.at(m.GetInt("PolID"));
        EXPECT_EQ(m.Field("MotP2").isEmpty(), p2 == 0);
        EXPECT_EQ(m.Field("MotN2").isEmpty(), p2 == 0);
        const double n1 = m.GetDouble("MotN1"), sync = 6000.0 * m.GetInt("FrqID") / 50 / p1;
        EXPECT_TRUE(n1 < sync && n1 > 0.85 * sync) << n1 << " at a synchronous speed of " << sync;
        EXPECT_TRUE(m.GetDouble("MotEta1") > 40 && m.GetDouble("MotEta1") < 97) << m.GetDouble("MotEta1");
        EXPECT_TRUE(m.GetDouble("MotI1") > 0 && m.GetDouble("MotKg") > 0);
        EXPECT_GT(m.GetDouble("MotPrice2"), m.GetDouble("MotPrice1"));
    }
    EXPECT_EQ(Keys(db, "SELECT DISTINCT PolID FROM tblMotBase WHERE MotP2 > 0"), (std::set<std::string>{"6", "7"}));
}

void CheckAccessoriesAndTexts(IDatabase& db)
{
    std::set<std::string> fields;
    for (Recordset t = db.OpenRecordset("SELECT * FROM tblAccTypes"); !t.Eof(); t.MoveNext()) {
        const std::string fld = t.GetText("ActDpFld"), equ = t.GetText("ActDpEqu");
        EXPECT_EQ(fld.empty(), equ.empty()) << t.GetText("ActCode");
        if (fld.empty()) continue;
        EXPECT_TRUE(fields.insert(ToUpper(fld)).second) << fld << " switches one type only";
        EXPECT_TRUE(IContains(equ, "[C]")) << equ;
        EXPECT_EQ(equ.find('|'), std::string::npos) << "formulas are joined with |";
        // it compiles, and the drop is positive, plausible and rises with the velocity
        double last = -1;
        for (double v : {2.0, 7.5, 10.0, 12.5, 25.0}) {
            CExpression e;
            e.setExpression(IReplaceAll(equ, "[C]", NumToText(v)));
            ASSERT_EQ(e.Errorcode(), 0) << equ << ": " << e.ErrorDescription();
            const double dp = e.Value().toDouble();
            EXPECT_TRUE(dp > 0 && dp < 600 && dp >= last) << equ << " at " << v << ": " << dp;
            last = dp;
        }
    }
    EXPECT_EQ(fields, (std::set<std::string>{"I_DPAAC1", "I_DPAAC2", "I_DPAAC3", "I_DPAAC4", "I_DPAAC5"}));
    EXPECT_GE(db.OpenRecordset("SELECT * FROM tblAccTypes").RecordCount(), 7);

    const std::set<std::string> types = Keys(db, "SELECT ActCode FROM tblAccTypes");
    int common = 0;
    std::set<std::string> perSize;
    for (Recordset a = db.OpenRecordset("SELECT * FROM tblAccData"); !a.Eof(); a.MoveNext()) {
        // one article per size and type: the size change looks it up so
        if (a.Field("FsID").isEmpty())
            ++common;
        else
            EXPECT_TRUE(perSize.insert(a.GetText("FsID") + "/" + ToUpper(a.GetText("ActCode"))).second);
        EXPECT_GT(a.GetDouble("AdEuro1"), 0);
        EXPECT_GT(a.GetDouble("AdEuro2"), 0);
    }
    EXPECT_GE(common, 3);

    // product texts in every language for every series, type and accessory type
    std::set<std::string> codes = types;
    for (const auto& k : Keys(db, "SELECT TsCode FROM tblFanSeries")) codes.insert(k);
    for (const auto& k : Keys(db, "SELECT TpCode FROM tblFanTypes")) codes.insert(k);
    for (const char* lang : {"EN", "DE", "IT"}) {
        const std::set<std::string> have =
            Keys(db, std::string("SELECT TrnCode FROM tblLngTrans WHERE LngID='") + lang + "'");
        for (const auto& c : codes) EXPECT_TRUE(have.count(c)) << lang << " " << c;
    }
}

// The defaults and codes of the settings file's field definitions exist in the catalogue.
void CheckChoiceValues(IDatabase& db)
{
    const IniFile ini = IniFile::ReadIniFile(JoinPath(test::BuiltDataDir(), "Dodov.ini"));
    CFanData rec;
    ASSERT_GT(rec.LoadFanFields(ini), 100);
    auto def = [&rec](const std::string& name) { return rec.ValueToStr(name, false); };
    EXPECT_EQ(Keys(db, "SELECT TsActive FROM tblFanSeries WHERE TsCode='" + def("I_Serie") + "'"),
              (std::set<std::string>{"1"}));
    EXPECT_EQ(db.OpenRecordset(sql::Voltage(TextToNum(def("I_Volt")))).GetText("VoltHz"), def("I_Frq"));
    EXPECT_EQ(def("I_Pol") + def("I_Type"), "0-");
    for (int k = 1; k <= 5; ++k) {
        const std::string f = "I_DpaAc" + std::to_string(k);
        EXPECT_EQ(def(f), "0") << f;
        EXPECT_EQ(db.OpenRecordset(sql::PressureDropFormula(f)).RecordCount(), 1) << f;
    }
}

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
        {sql::CasingList("axm-s"), "CaType", "L,S"},  // codes compare without regard to case
        {sql::SizeList("O'Brien"), "FsSize", ""},     // quoted, not spliced
        // smallest first on any server; 1250 of AXM-L is switched off
        {sql::SizeList("AXM-L"), "FsSize", "315,355,400,450,500,560,630,710,800,900,1000,1120"},
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
    EXPECT_EQ(Count(db, sql::SwitchingList()), 6);
    EXPECT_EQ(Count(db, sql::ExClassList()), 1);
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

void CheckSelectionQueries(IDatabase& db)
{
    // the search: one series, optional type, casing and size, ascending sizes
    const auto sizes = Split(Column(db, sql::SelectFans("AXM", "-", "", 0), "FsSize"), ',');
    EXPECT_GE(sizes.size(), 35u);
    for (std::size_t i = 1; i < sizes.size(); ++i) EXPECT_LE(TextToNum(sizes[i - 1]), TextToNum(sizes[i]));
    EXPECT_EQ(Count(db, sql::SelectFans("axm", "AXM-S", "-", 0)), 26);
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
    test::ProgGuard guard;
    for (int n : {1, 2}) {
        Prog().PriceList = n;  // the window's list follows the user's price list
        Recordset list = db.OpenRecordset(AvailableAccQuery(fs, "IT"));
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
    const std::pair<const char*, void (*)(IDatabase&)> parts[] = {
        {"lists", CheckLists},
        {"selection queries", CheckSelectionQueries},
        {"accessory queries", CheckAccessoryQueries},
        {"curves", CheckCurves},
        {"motors", CheckMotors},
        {"accessories and texts", CheckAccessoriesAndTexts},
        {"choice values", CheckChoiceValues},
    };
    for (const auto& [name, check] : parts) {
        SCOPED_TRACE(name);
        check(db);
    }
}

}  // namespace

TEST(DemoCatalogue, SqliteAnswersTheProgramsQueriesConsistently)
{
    std::string err;
    auto db = test::OpenSqliteCatalogue(test::CatalogueFile(), &err);
    ASSERT_TRUE(db) << err;
    ASSERT_NO_THROW(CheckAll(*db));
}

TEST(DemoCatalogue, PostgresAnswersTheProgramsQueriesConsistently)
{
    std::string why;
    auto db = test::OpenPgCatalogue(&why);
    if (!db && !test::PgConfigured()) GTEST_SKIP() << why;
    ASSERT_TRUE(db) << why;
    ASSERT_NO_THROW(CheckAll(*db));
}

// (The SQLite connection's refusal to write is checked with the connection itself.)
TEST(DemoCatalogue, PostgresConnectionCannotWrite)
{
    std::string why;
    auto pg = test::OpenPgCatalogue(&why);
    if (!pg && !test::PgConfigured()) GTEST_SKIP() << why;
    ASSERT_TRUE(pg) << why;
    EXPECT_THROW(pg->OpenRecordset("INSERT INTO tblFab00 (Fab0ID, Fab0TextS) VALUES (9, 'X')"), DbError);
    EXPECT_THROW(pg->OpenRecordset("DELETE FROM tblFanCurve"), DbError);
    EXPECT_EQ(pg->OpenRecordset("SELECT * FROM tblFab00").RecordCount(), 2);
}
