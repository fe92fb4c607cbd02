// Consistency of the demo catalogue: curves the engine can fit, pole and
// motor keys that resolve, formulas that compile, choice-list values and
// price columns that exist. Run on SQLite and, when configured, PostgreSQL.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "CatalogueDb.h"
#include "accessories/AccessorySql.h"
#include "common/NumText.h"
#include "expression/CExpression.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "selection/SelectionSql.h"
#include "support/TestSupport.h"

using namespace aerolyx;

namespace {

std::string N(double v) { return NumToText(v); }

std::set<std::string> Keys(IDatabase& db, const std::string& sql)
{
    std::set<std::string> out;
    for (Recordset rs = db.OpenRecordset(sql); !rs.Eof(); rs.MoveNext()) out.insert(ToUpper(rs.Field(0).toText()));
    return out;
}

void CheckCurves(IDatabase& db)
{
    const std::set<std::string> poleNumbers = Keys(db, "SELECT PolBID FROM tblEEPolB");
    Recordset sizes = db.OpenRecordset("SELECT * FROM tblFanSizes INNER JOIN tblFanData ON tblFanSizes.FsID = "
                                       "tblFanData.FsID ORDER BY tblFanSizes.FsID");
    ASSERT_GE(sizes.RecordCount(), 60);
    int active = 0, withoutNoise = 0;
    for (; !sizes.Eof(); sizes.MoveNext()) {
        const int fs = sizes.GetInt("FsID");
        SCOPED_TRACE("FsID " + std::to_string(fs));
        active += sizes.GetInt("FsActive") == 1;
        const std::vector<std::string> poles = Split(sizes.GetText("FdPoles"), ',');
        ASSERT_FALSE(poles.empty());
        for (const auto& p : poles) EXPECT_TRUE(poleNumbers.count(Trim(p))) << p;

        Recordset c = db.OpenRecordset("SELECT * FROM tblFanCurve WHERE FsID=" + N(fs) + " ORDER BY FanCN ,FanCM ");
        ASSERT_GT(c.RecordCount(), 0);
        EXPECT_EQ(c.GetText("FanCPz"), Trim(poles.front()));  // measured at the fastest offered speed
        std::map<int, int> points;
        double lastAngle = -1, lastFlow = 0, lastPressure = 0, peak = 0, minV = 1e9, maxV = 0, minP = 1e9, maxP = 0;
        auto endCurve = [&] {
            if (lastAngle >= 0) {
                EXPECT_GE(peak, 55) << "angle " << lastAngle;
                EXPECT_LE(peak, 86) << "angle " << lastAngle;
            }
        };
        for (; !c.Eof(); c.MoveNext()) {
            const double a = c.GetDouble("FanCN"), v = c.GetDouble("FanCM"), p = c.GetDouble("FanCPa");
            const double pw = c.GetDouble("FanCP"), eta = c.GetDouble("FanCE"), lw = c.GetDouble("FanCDB");
            if (a != lastAngle) {
                endCurve();
                peak = 0;
            } else {
                EXPECT_GT(v, lastFlow) << "flows of a curve ascend and differ";
                EXPECT_LT(p, lastPressure) << "pressure falls with the flow";
            }
            ++points[static_cast<int>(a)];
            // the engine recomputes the efficiency from these three
            EXPECT_NEAR(eta, v * p / (36000.0 * pw), 0.11);
            EXPECT_GT(lw, 50);
            EXPECT_LT(lw, 130);
            peak = std::max(peak, eta);
            minV = std::min(minV, v), maxV = std::max(maxV, v), minP = std::min(minP, p), maxP = std::max(maxP, p);
            lastAngle = a, lastFlow = v, lastPressure = p;
        }
        endCurve();
        EXPECT_GE(points.size(), 5u);
        EXPECT_LE(points.size(), 8u);
        for (const auto& [angle, n] : points) {
            EXPECT_GE(n, 6) << "angle " << angle;
            EXPECT_LE(n, 10) << "angle " << angle;
        }
        EXPECT_LE(sizes.GetDouble("FsMinVa"), minV);
        EXPECT_GE(sizes.GetDouble("FsMaxVa"), maxV);
        EXPECT_LE(sizes.GetDouble("FsMinPa"), minP);
        EXPECT_GE(sizes.GetDouble("FsMaxPa"), maxP);

        Recordset noise = db.OpenRecordset("SELECT * FROM tblFanNoise WHERE FsID=" + N(fs));
        if (noise.RecordCount() == 0) ++withoutNoise;
        for (; !noise.Eof(); noise.MoveNext()) {
            EXPECT_NE(std::find(poles.begin(), poles.end(), noise.GetText("NsCPz")), poles.end());
            double energy = 0;
            for (int b = 1; b <= 8; ++b) energy += std::pow(10.0, -noise.GetDouble("NdD" + std::to_string(b)) / 10);
            EXPECT_NEAR(10 * std::log10(energy), 0.0, 0.1) << "bands add up to the overall level";
        }
    }
    EXPECT_GE(active, 60);
    EXPECT_GE(withoutNoise, 2);
    EXPECT_LE(withoutNoise, 6);
}

void CheckMotors(IDatabase& db)
{
    const std::set<std::string> polz = Keys(db, "SELECT PolID FROM tblEEPolz");
    const std::set<std::string> makers = Keys(db, "SELECT Fab0ID FROM tblFab00");
    const std::set<std::string> iso = Keys(db, "SELECT MisoID FROM tblEEIso"), ip = Keys(db, "SELECT IpID FROM tblEEIp");
    const std::set<std::string> scha = Keys(db, "SELECT SchaID FROM tblEESchalt");
    std::map<int, int> voltHz;
    for (Recordset v = db.OpenRecordset("SELECT * FROM tblEEVolt"); !v.Eof(); v.MoveNext())
        voltHz[v.GetInt("VoltID")] = v.GetInt("VoltHz");
    const std::set<std::string> freqs = Keys(db, "SELECT FrqID FROM tblEEFreq");
    for (const auto& [id, hz] : voltHz) EXPECT_TRUE(freqs.count(std::to_string(hz))) << "voltage " << id;

    std::map<int, std::pair<int, int>> steps;
    for (Recordset p = db.OpenRecordset("SELECT * FROM tblEEPolz"); !p.Eof(); p.MoveNext())
        steps[p.GetInt("PolID")] = {p.GetInt("PolP1"), p.GetInt("PolP2")};

    Recordset m = db.OpenRecordset("SELECT * FROM tblMotBase");
    ASSERT_GT(m.RecordCount(), 1000);
    std::map<std::string, std::pair<double, double>> range;  // maker/pole -> smallest, largest
    std::set<int> forms;
    for (; !m.Eof(); m.MoveNext()) {
        SCOPED_TRACE(m.GetText("MotName"));
        EXPECT_TRUE(polz.count(m.GetText("PolID")));
        EXPECT_TRUE(makers.count(m.GetText("Fab0ID")));
        EXPECT_TRUE(iso.count(m.GetText("MisoID")));
        EXPECT_TRUE(ip.count(m.GetText("IpID")));
        EXPECT_TRUE(scha.count(m.GetText("SchaID")));
        EXPECT_EQ(voltHz.at(m.GetInt("VoltID")), m.GetInt("FrqID"));
        const auto [p1, p2] = steps.at(m.GetInt("PolID"));
        EXPECT_EQ(m.Field("MotP2").isEmpty(), p2 == 0);
        EXPECT_EQ(m.Field("MotN2").isEmpty(), p2 == 0);
        const double n1 = m.GetDouble("MotN1"), sync = 6000.0 * m.GetInt("FrqID") / 50 / p1;
        EXPECT_LT(n1, sync);
        EXPECT_GT(n1, 0.85 * sync);
        EXPECT_GT(m.GetDouble("MotEta1"), 40);
        EXPECT_LT(m.GetDouble("MotEta1"), 97);
        EXPECT_GT(m.GetDouble("MotI1"), 0);
        EXPECT_GT(m.GetDouble("MotPrice2"), m.GetDouble("MotPrice1"));
        EXPECT_GT(m.GetDouble("MotKg"), 0);
        if (p2 == 0) {
            auto& r = range[m.GetText("Fab0ID") + "/" + std::to_string(p1)];
            if (r.first == 0 || m.GetDouble("MotP1") < r.first) r.first = m.GetDouble("MotP1");
            r.second = std::max(r.second, m.GetDouble("MotP1"));
        }
    }
    for (const char* key : {"1/2", "1/4", "1/6", "1/8", "2/2", "2/4", "2/6", "2/8"}) {
        ASSERT_TRUE(range.count(key)) << key;
        EXPECT_DOUBLE_EQ(range[key].first, 0.12) << key;
        EXPECT_DOUBLE_EQ(range[key].second, 75) << key;
    }
    EXPECT_EQ(Keys(db, "SELECT DISTINCT PolID FROM tblMotBase WHERE MotP2 > 0"), (std::set<std::string>{"6", "7"}));
}

// Every offered size and speed gets a motor for its heaviest point in the
// default supply, so the search never drops a size for want of one.
void CheckMotorCover(IDatabase& db)
{
    std::map<int, int> speed;
    for (Recordset p = db.OpenRecordset("SELECT * FROM tblEEPolB"); !p.Eof(); p.MoveNext())
        speed[p.GetInt("PolBID")] = p.GetInt("PolBN");
    for (Recordset f = db.OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize"); !f.Eof(); f.MoveNext()) {
        const int fs = f.GetInt("FsID");
        Recordset c = db.OpenRecordset("SELECT * FROM tblFanCurve WHERE FsID=" + N(fs) + " ORDER BY FanCN ,FanCM ");
        double maxPower = 0;
        for (; !c.Eof(); c.MoveNext()) maxPower = std::max(maxPower, c.GetDouble("FanCP"));
        c.MoveFirst();
        const int measured = c.GetInt("FanCPz");
        const int maker = f.GetInt("tblFanTpSe.Fab0ID") != 0 ? f.GetInt("tblFanTpSe.Fab0ID") : f.GetInt("tblFanSeries.Fab0ID");
        for (const auto& p : Split(f.GetText("FdPoles"), ',')) {
            const int pole = static_cast<int>(TextToNum(p));
            const double need = maxPower * std::pow(double(speed[pole]) / speed[measured], 3) * 1.05;
            const int polId = pole == 2 ? 1 : pole == 4 ? 2 : pole == 6 ? 3 : 4;
            std::string sql = "SELECT TOP 1 * FROM tblMotBase WHERE MotP1>=" + N(std::round(need * 100) / 100) +
                              " AND Fab0ID=" + N(maker) + " AND FrqID=50 AND VoltID=2 AND MotForm='" +
                              f.GetText("TpMotForm") + "' AND PolID=" + N(polId);
            if (f.GetInt("FsMaxMot") > 0) sql += " AND MotBgr<=" + N(f.GetInt("FsMaxMot"));
            EXPECT_EQ(db.OpenRecordset(sql + " ORDER BY MotP1").RecordCount(), 1) << sql;
        }
    }
}

void CheckAccessoriesAndTexts(IDatabase& db)
{
    std::set<std::string> fields;
    int withFormula = 0;
    for (Recordset t = db.OpenRecordset("SELECT * FROM tblAccTypes"); !t.Eof(); t.MoveNext()) {
        const std::string fld = t.GetText("ActDpFld"), equ = t.GetText("ActDpEqu");
        EXPECT_EQ(fld.empty(), equ.empty()) << t.GetText("ActCode");
        if (fld.empty()) continue;
        ++withFormula;
        EXPECT_TRUE(fields.insert(ToUpper(fld)).second) << fld << " switches one type only";
        EXPECT_TRUE(IContains(equ, "[C]")) << equ;
        EXPECT_EQ(equ.find('|'), std::string::npos) << "formulas are joined with |";
    }
    EXPECT_EQ(fields, (std::set<std::string>{"I_DPAAC1", "I_DPAAC2", "I_DPAAC3", "I_DPAAC4", "I_DPAAC5"}));
    EXPECT_EQ(withFormula, 5);
    EXPECT_GE(db.OpenRecordset("SELECT * FROM tblAccTypes").RecordCount(), 7);

    const std::set<std::string> types = Keys(db, "SELECT ActCode FROM tblAccTypes");
    const std::set<std::string> sizes = Keys(db, "SELECT FsID FROM tblFanSizes");
    int common = 0;
    std::set<std::string> perSize;
    for (Recordset a = db.OpenRecordset("SELECT * FROM tblAccData"); !a.Eof(); a.MoveNext()) {
        EXPECT_TRUE(types.count(ToUpper(a.GetText("ActCode"))));
        if (a.Field("FsID").isEmpty())
            ++common;
        else {
            EXPECT_TRUE(sizes.count(a.GetText("FsID")));
            // one article per size and type: the size change looks it up so
            EXPECT_TRUE(perSize.insert(a.GetText("FsID") + "/" + ToUpper(a.GetText("ActCode"))).second);
        }
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

void CheckPriceColumns(IDatabase& db)
{
    // (both price lists' columns are read by the program's own statements in test_queries)
    // every size has a list price or combination prices for each offered speed
    for (Recordset f = db.OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize"); !f.Eof(); f.MoveNext()) {
        EXPECT_GT(f.GetDouble("FdKg"), 0);
        if (f.GetDouble("FdEuro1") > 0) {
            EXPECT_GT(f.GetDouble("FdEuro2"), f.GetDouble("FdEuro1"));
            continue;
        }
        for (const auto& p : Split(f.GetText("FdPoles"), ','))
            EXPECT_GT(db.OpenRecordset("SELECT * FROM tblFanPrices WHERE TpCode='" + f.GetText("TpCode") +
                                       "' AND PrsSize=" + f.GetText("FsSize") + " AND PrsPol1=" + p)
                          .RecordCount(),
                      0)
                << f.GetText("TpCode") << " " << f.GetText("FsSize") << " " << p;
    }
}

// The defaults and codes of the settings file's field definitions.
void CheckChoiceValues(IDatabase& db)
{
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadTextLines(JoinPath(test::BuiltDataDir(), "Dodov.ini"), lines));
    std::map<std::string, std::string, ILess> def;
    std::vector<std::string> airDirs;
    for (const auto& l : lines) {
        const auto f = Split(l, ';');
        if (f.size() > 9 && IStartsWith(f[0], "I_")) def.emplace(Trim(f[0]), Trim(f[9]));
        if (IStartsWith(l, "AIRDIR="))
            for (const auto& e : Split(l.substr(7), '|'))
                if (StartsWith(e, "#")) airDirs.push_back(e.substr(1, e.find(';') - 1));
    }
    ASSERT_TRUE(def.count("I_Serie"));
    EXPECT_EQ(db.OpenRecordset("SELECT * FROM tblFanSeries WHERE TsCode='" + def["I_Serie"] + "' AND TsActive=1")
                  .RecordCount(), 1);
    EXPECT_EQ(db.OpenRecordset(sql::Voltage(TextToNum(def["I_Volt"]))).GetText("VoltHz"), def["I_Frq"]);
    EXPECT_EQ(db.OpenRecordset("SELECT * FROM tblEEFreq WHERE FrqID=" + def["I_Frq"]).RecordCount(), 1);
    EXPECT_EQ(def["I_Pol"], "0");
    EXPECT_EQ(def["I_Type"], "-");
    ASSERT_EQ(airDirs, (std::vector<std::string>{"A", "B"}));
    for (const auto& t : Keys(db, "SELECT TpCode FROM tblFanTypes"))
        for (const auto& a : airDirs)
            EXPECT_EQ(db.OpenRecordset("SELECT * FROM tblFanDims WHERE TdCode='" + a + "' AND TpCode='" + t + "'")
                          .RecordCount(), 1) << a << " " << t;
    for (int k = 1; k <= 5; ++k) {
        const std::string f = "I_DpaAc" + std::to_string(k);
        EXPECT_EQ(def[f], "0") << f;
        EXPECT_EQ(db.OpenRecordset(sql::PressureDropFormula(f)).RecordCount(), 1) << f;
    }
}

void CheckAll(IDatabase& db)
{
    SCOPED_TRACE("curves");
    CheckCurves(db);
    SCOPED_TRACE("motors");
    CheckMotors(db);
    CheckMotorCover(db);
    SCOPED_TRACE("accessories and texts");
    CheckAccessoriesAndTexts(db);
    SCOPED_TRACE("prices");
    CheckPriceColumns(db);
    SCOPED_TRACE("choice values");
    CheckChoiceValues(db);
}

}  // namespace

TEST(CatalogueIntegrity, Sqlite)
{
    std::string err;
    auto db = test::OpenSqliteCatalogue(test::CatalogueFile(), &err);
    ASSERT_TRUE(db) << err;
    ASSERT_NO_THROW(CheckAll(*db));
}

TEST(CatalogueIntegrity, Postgres)
{
    std::string why;
    auto db = test::OpenPgCatalogue(&why);
    if (!db && !test::PgConfigured()) GTEST_SKIP() << why;
    ASSERT_TRUE(db) << why;
    ASSERT_NO_THROW(CheckAll(*db));
}

TEST(CatalogueIntegrity, AccessoryFormulasCompile)
{
    std::string err;
    auto db = test::OpenSqliteCatalogue(test::CatalogueFile(), &err);
    ASSERT_TRUE(db) << err;
    Recordset t = db->OpenRecordset("SELECT * FROM tblAccTypes");
    int checked = 0;
    for (; !t.Eof(); t.MoveNext()) {
        const std::string equ = t.GetText("ActDpEqu");
        if (equ.empty()) continue;
        double last = -1;
        for (double v : {2.0, 7.5, 10.0, 12.5, 25.0}) {
            CExpression e;
            e.setExpression(IReplaceAll(equ, "[C]", NumToText(v)));
            ASSERT_EQ(e.Errorcode(), 0) << equ << ": " << e.ErrorDescription();
            const double dp = e.Value().toDouble();
            EXPECT_GT(dp, 0) << equ << " at " << v;
            EXPECT_LT(dp, 600) << equ << " at " << v;
            EXPECT_GE(dp, last) << equ << " rises with the velocity";
            last = dp;
        }
        ++checked;
    }
    EXPECT_EQ(checked, 5);
}

TEST(CatalogueIntegrity, SqliteConnectionCannotWrite)
{
    // a copy, so that a failure cannot damage the shared catalogue
    test::TempDir dir;
    const std::string copy = dir.file("fans.db");
    std::filesystem::copy_file(test::CatalogueFile(), copy);
    std::string err;
    auto db = test::OpenSqliteCatalogue(copy, &err);
    ASSERT_TRUE(db) << err;
    for (const char* sql : {"INSERT INTO tblFab00 (Fab0ID, Fab0TextS) VALUES (9, 'X')", "DELETE FROM tblFanCurve",
                            "UPDATE tblMotBase SET MotPrice1 = 0", "DROP TABLE tblAccData",
                            "CREATE TABLE tblNew (A INTEGER)"})
        EXPECT_THROW(db->OpenRecordset(sql), DbError) << sql;
    EXPECT_EQ(db->OpenRecordset("SELECT * FROM tblFab00").RecordCount(), 2);
    EXPECT_GT(db->OpenRecordset("SELECT * FROM tblFanCurve").RecordCount(), 0);
}

TEST(CatalogueIntegrity, PostgresConnectionCannotWrite)
{
    std::string why;
    auto pg = test::OpenPgCatalogue(&why);
    if (!pg && !test::PgConfigured()) GTEST_SKIP() << why;
    ASSERT_TRUE(pg) << why;
    EXPECT_THROW(pg->OpenRecordset("INSERT INTO tblFab00 (Fab0ID, Fab0TextS) VALUES (9, 'X')"), DbError);
    EXPECT_THROW(pg->OpenRecordset("DELETE FROM tblFanCurve"), DbError);
    EXPECT_EQ(pg->OpenRecordset("SELECT * FROM tblFab00").RecordCount(), 2);
}
