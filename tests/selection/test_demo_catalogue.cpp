// The search on the demo catalogue with the real engine, shared out over
// threads, and the catalogue server (PostgreSQL from scripts/pg-test-server.sh)
// stopped mid-selection.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <unistd.h>

#include "accessories/AccRoutines.h"
#include "accessories/RecordValues.h"
#include "app/DbConnection.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "engine/CatalogueCache.h"
#include "engine/DORozEvIdad.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "selection/SizePrefilter.h"
#include "selection/modCalcStart.h"
#include "support/CatalogueConnections.h"
#include "units/CUnit.h"

namespace aerolyx {
namespace {

// The built data folder's settings file and demo catalogue (or `catalogue`)
// installed into Prog() for a test, restored afterwards.
class DemoCatalogue {
public:
    // `catalogue`: another catalogue file than the demo one.
    explicit DemoCatalogue(double rebate = 0.0, const std::string& catalogue = {})
        : saved_(Prog()), ini_(IniFile::ReadIniFile(JoinPath(test::BuiltDataDir(), "Dodov.ini"))),
          db_(test::OpenSqliteCatalogue(catalogue.empty() ? test::CatalogueFile() : catalogue, nullptr))
    {
        units_.LoadCodes("");
        Prog().AppPath = test::BuiltDataDir();
        Prog().Ini = &ini_;
        Prog().DB = db_.get();
        Prog().Settings = &settings_;
        Prog().Units = &units_;
        Prog().Translator = nullptr;
        Prog().DefaultTranslator = nullptr;
        Prog().Rebate = rebate;
        Prog().PriceList = 1;
    }
    ~DemoCatalogue() { Prog() = saved_; }
    DemoCatalogue(const DemoCatalogue&) = delete;
    DemoCatalogue& operator=(const DemoCatalogue&) = delete;

    bool ok() const { return db_ != nullptr; }
    IDatabase& db() { return *db_; }

private:
    Program saved_;
    IniFile ini_;
    MemorySettingsStore settings_;
    CUnit units_{&settings_};
    std::unique_ptr<DbConnection> db_;
};

// Passes every query on to another catalogue after `before(sql)`, which may
// throw or pull the server away.
class HookedCatalogue : public IDatabase {
public:
    HookedCatalogue(IDatabase& real, std::function<void(const std::string&)> before)
        : real_(real), before_(std::move(before))
    {
    }
    Recordset OpenRecordset(const std::string& sql) override
    {
        before_(sql);
        return real_.OpenRecordset(sql);
    }
    Recordset OpenParameterized(const std::string& sql, const std::vector<Variant>& params) override
    {
        before_(sql);
        return real_.OpenParameterized(sql, params);
    }

private:
    IDatabase& real_;
    std::function<void(const std::string&)> before_;
};

// Every size and pole of the catalogue, in row order.
struct SizePole {
    std::size_t row;
    int fsId, pole;
};
std::vector<SizePole> SizePoles(Recordset& rows)
{
    std::vector<SizePole> out;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext())
        for (const std::string& p : Split(rec::ColText(rows, "FdPoles"), ','))
            if (!Trim(p).empty())
                out.push_back({static_cast<std::size_t>(rows.Position()), static_cast<int>(rec::ColNum(rows, "FsID")),
                               static_cast<int>(std::lround(TextToNum(p)))});
    return out;
}

// A size is dropped exactly when its duty command would be refused by the
// range check ("ERROR: 203" before any curve is loaded).
TEST(SizePrefilter, DropsExactlyWhatTheEngineRefusesAtItsRangeCheck)
{
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok()) << "demo catalogue missing";
    Recordset rows = cat.db().OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    const std::string silencer = AccDpInfo("I_DpaAc2", 2);
    ASSERT_FALSE(silencer.empty());
    std::unique_ptr<IFanEngine> filterEngine = MakeDefaultEngine();
    DORozEvIdad judge(cat.db());
    const std::vector<SizePole> all = SizePoles(rows);
    int dropped = 0, kept = 0, refusedLater = 0;
    for (double flow : {400.0, 3000.0, 9000.0, 40000.0})
        for (double pres : {60.0, 300.0, 1200.0})
            for (int frq : {50, 60})
                for (bool stat : {true, false}) {
                    // with and without a density below standard
                    SelectionDuty d{.frq = frq, .dpaMan = flow == 9000.0 ? 40.0 : 0.0, .k = frq == 60 ? 1.0 : 0.85,
                                    .airFlow = flow, .accEquations = flow == 3000.0 ? silencer : ""};
                    (stat ? d.presS : d.presT) = pres;
                    const std::vector<std::vector<int>> passing = PrefilterSizes(rows, d, *filterEngine);
                    ASSERT_EQ(passing.size(), static_cast<std::size_t>(rows.RecordCount()));
                    for (const SizePole& sp : all) {
                        const std::vector<int>& pass = passing[sp.row];
                        const std::string reply = judge.Execute(1001, Speed1Command(d, sp.fsId, sp.pole));
                        // later refusals (reachability) load the curves first
                        const bool atRange = reply == "ERROR: 203" && judge.CurveCount() == 0;
                        EXPECT_EQ(std::find(pass.begin(), pass.end(), sp.pole) != pass.end(), !atRange)
                            << "FsID " << sp.fsId << " pole " << sp.pole << " flow " << flow << " -> " << reply;
                        (atRange ? dropped : kept)++;
                        refusedLater += reply == "ERROR: 203" && !atRange;
                    }
                }
    // the spread reaches both sides of the check and the later 203s
    EXPECT_GT(dropped, 500);
    EXPECT_GT(kept, 200);
    EXPECT_GT(refusedLater, 0);
}

TEST(CatalogueCache, KeptCurvesAnswerAsFreshlyLoadedOnes)
{
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok()) << "demo catalogue missing";
    Recordset rows = cat.db().OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    std::shared_ptr<CatalogueCache> cache = CatalogueCache::Of(cat.db());
    const std::vector<SizePole> all = SizePoles(rows);
    std::vector<SelectionDuty> duties;
    for (double flow : {2500.0, 12000.0})
        for (int frq : {50, 60})
            duties.push_back({.frq = frq, .k = frq == 60 ? 0.8 : 1.0, .airFlow = flow, .presS = 250});
    auto replies = [&] {
        std::vector<std::string> out;
        for (const SelectionDuty& d : duties) {
            DORozEvIdad e(cat.db());
            for (const SizePole& sp : all) out.push_back(e.Execute(1001, Speed1Command(d, sp.fsId, sp.pole)));
        }
        return out;
    };
    cache->SetBudget(0);  // cold: nothing kept from one duty to the next
    const std::vector<std::string> cold = replies();
    cache->SetBudget(CatalogueCache::kDefaultBudget);
    replies();  // a first pass keeps what each duty needs, the second runs on it
    const std::size_t entries = cache->Entries();
    EXPECT_EQ(replies(), cold);
    EXPECT_GT(std::count_if(cold.begin(), cold.end(), [](const std::string& r) { return r.rfind("OK:", 0) == 0; }), 20);
    EXPECT_EQ(cache->Entries(), entries) << "the warm run should have found everything kept";

    // A reopened connection starts with an empty cache and no kept statement rows.
    auto& conn = dynamic_cast<DbConnection&>(cat.db());
    const std::string sql = "SELECT * FROM tblEEPolz ORDER BY PolID";
    const auto kept = conn.OpenKept(sql);
    EXPECT_EQ(conn.OpenKept(sql), kept);
    int n = 0;
    std::string why;
    ASSERT_TRUE(conn.Open(n, why)) << why;
    EXPECT_EQ(CatalogueCache::Of(conn)->Entries(), 0u);
    EXPECT_NE(conn.OpenKept(sql), kept);
}

TEST(CatalogueCache, BoundedLeastRecentlyUsedOut)
{
    CatalogueCache cache;
    const Recordset hundred({"a", "b"}, std::vector<std::vector<Variant>>(100, {Variant(1), Variant(2.5)}));
    const std::size_t one = hundred.ApproxBytes();
    cache.SetBudget(3 * one);
    int loads = 0;
    auto load = [&] {
        ++loads;
        return hundred;
    };
    // 1 is used again after 2 and 3, so 4 pushes 2 out.
    for (int id : {1, 2, 3, 1, 4, 1, 3}) cache.CurveRows(id, load);
    EXPECT_EQ(loads, 4);
    EXPECT_LE(cache.Bytes(), 3 * one);
    cache.CurveRows(2, load);
    EXPECT_EQ(loads, 5);
    // one entry above the budget is still handed out, and the rest goes
    cache.SetBudget(one / 2);
    EXPECT_EQ(cache.Entries(), 1u);
    EXPECT_EQ(cache.CurveRows(7, [] { return Recordset({"a"}, {{Variant(7)}}); })->Field("a").toInt(), 7);
}

// pg_ctl on the test server's cluster, as its owner.
bool PgCtl(const std::string& action)
{
    const std::string dir = test::PgEnv("DIR") + "/data";
    const std::string bin = test::PgEnv("BIN").empty() ? "/usr/lib/postgresql/15/bin" : test::PgEnv("BIN");
    const std::string cmd = (::geteuid() == 0 ? "runuser -u postgres -- " : "") + bin + "/pg_ctl -D " + dir +
                            " -w -t 60 -l " + dir + "/server.log -m immediate " + action + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

class FirstChoice : public SelectionUi {
public:
    int ChooseCandidate(const ResultTable&, const ResultList&) override { return 1; }
    void NoFansFound(const std::string& m) override { noFans = m; }
    std::string noFans;
};

TEST(PgFaults, ServerStoppedMidSelectionThenBack)
{
    if (!test::PgConfigured() || test::PgEnv("DIR").empty())
        GTEST_SKIP() << "no PostgreSQL test server (scripts/pg-test-server.sh start sets AEROLYX_PG_*)";
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok());
    std::string why;
    const auto conn = test::OpenPgCatalogue(&why);
    ASSERT_TRUE(conn) << why;
    DbConnection& pg = *conn;

    CFanData record;
    ASSERT_GT(record.LoadFanFields(), 0);
    record.ReadFromString("I_AirFlow=5000|I_PresS=250|I_Project=Hall 3");
    const std::string before = record.WriteToString();

    // Stopped after the size list, while the candidates are computed.
    int queries = 0;
    bool stopped = false;
    HookedCatalogue stopper(pg, [&](const std::string&) {
        if (++queries == 4) stopped = PgCtl("stop");
    });
    Prog().DB = &stopper;
    FirstChoice ui;
    ResultList stored;
    std::string message;
    bool taken = false;
    try {
        taken = SelectFans(record, ui, stored);
    } catch (const DbError& e) {
        message = e.what();
    }
    ASSERT_TRUE(stopped) << "the selection ran only " << queries << " queries";
    EXPECT_FALSE(taken);
    EXPECT_TRUE(ui.noFans.empty()) << "a lost server is not 'no fans': " << ui.noFans;
    EXPECT_NE(message.find("connection"), std::string::npos) << message;
    EXPECT_EQ(record.WriteToString(), before);

    // The server is back: the same connection selects again.
    ASSERT_TRUE(PgCtl("restart"));
    Prog().DB = &pg;
    FirstChoice ui2;
    ResultList stored2;
    EXPECT_TRUE(SelectFans(record, ui2, stored2)) << ui2.noFans;
    EXPECT_EQ(record.ValueI("I_Project").toText(), "Hall 3");
}

// Every field of every candidate for the duty ("I_AirFlow=...|...").
std::vector<std::string> Listed(const std::string& duty, int threads)
{
    Prog().SearchThreads = threads;
    CFanData r;
    r.LoadFanFields();
    r.ReadFromString(duty);
    std::vector<std::string> out;
    for (const auto& c : SearchCandidates(r, nullptr)) {
        std::string line;
        for (int i = 0; i < c->Count(); ++i) line += c->ItemAt(i)->ValueI().toText() + ";";
        out.push_back(line);
    }
    return out;
}

TEST(SearchThreads, TwoThreadsListWhatOneLists)
{
    const std::string file = ::testing::TempDir() + "aerolyx_threads_300.db";
    const std::string make = JoinPath(test::BuiltDataDir(), "aerolyx-catalogue") + " --sizes 300 --out " + file;
    ASSERT_EQ(std::system((make + " >/dev/null").c_str()), 0) << "catalogue generator failed";
    DemoCatalogue cat(0.0, file);
    ASSERT_TRUE(cat.ok());
    for (int pol : {0, 7}) {  // any speed; two speeds 4/8
        const std::string duty = "I_AirFlow=15000|I_PresS=300|I_Frq=50|I_Pol=" + std::to_string(pol);
        const auto one = Listed(duty, 1);
        EXPECT_GT(one.size(), 10u);
        EXPECT_EQ(Listed(duty, 3), one) << duty;
    }
}

TEST(SearchThreads, FailedQueryOnAWorkerStopsTheSearch)
{
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok());
    for (int threads : {1, 2}) {
        int left = 3;  // the curve query of the third size fails
        HookedCatalogue failing(cat.db(), [&](const std::string& sql) {
            if (sql.find("tblFanCurve") != std::string::npos && --left == 0) throw DbError(-7, "curves lost");
        });
        Prog().DB = &failing;
        try {
            Listed("I_AirFlow=8000|I_PresS=400|I_Frq=50", threads);
            ADD_FAILURE() << threads << " threads: the search went on without the curves";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number, -7) << threads << " threads: " << e.what();
        }
    }
}

TEST(SmallestMotor, IsTheRowTheStatementPicks)
{
    DemoCatalogue cat;
    ASSERT_TRUE(cat.ok());
    IDatabase& db = cat.db();
    Recordset groups = db.OpenRecordset("SELECT DISTINCT Fab0ID, FrqID, VoltID, MotForm, PolID FROM tblMotBase LIMIT 40");
    int compared = 0;
    for (; !groups.Eof(); groups.MoveNext()) {
        sql::MotorDemand d{0, groups.GetDouble("Fab0ID"), groups.GetDouble("FrqID"), groups.GetDouble("VoltID"),
                           groups.GetText("MotForm"), groups.GetDouble("PolID"), 0};
        Recordset powers = db.OpenRecordset(sql::MotorRange(d));
        std::vector<double> tries = {0.0, 1e9};
        for (; !powers.Eof(); powers.MoveNext())
            for (double delta : {0.0, 1e-9})  // on a power and just above it
                tries.push_back(powers.GetDouble("MotP1") + delta);
        for (double frame : {0.0, 100.0})
            for (double p : tries) {
                d.minPower = p;
                d.maxFrame = frame;
                Recordset want = db.OpenRecordset(sql::Motor(d));
                Recordset got = SmallestMotor(db, d);
                ASSERT_EQ(got.Eof(), want.Eof()) << p;
                if (!want.Eof()) ASSERT_EQ(got.GetInt("MotID"), want.GetInt("MotID")) << p;
                ++compared;
            }
    }
    EXPECT_GT(compared, 200);
}

}  // namespace
}  // namespace aerolyx
