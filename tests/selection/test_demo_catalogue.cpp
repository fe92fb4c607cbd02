// The search on the demo catalogue with the real engine, and the catalogue
// server (PostgreSQL from scripts/pg-test-server.sh) stopped mid-selection.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <unistd.h>

#include "accessories/AccRoutines.h"
#include "accessories/RecordValues.h"
#include "app/DbConnection.h"
#include "common/StrUtil.h"
#include "engine/CatalogueCache.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineQueries.h"
#include "engine/EngineReply.h"
#include "selection/DemoCatalogue.h"
#include "selection/SizePrefilter.h"
#include "selection/modCalcStart.h"

namespace aerolyx {
namespace {

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
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok) << "demo catalogue missing";
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
                    SelectionDuty d;
                    d.airFlow = flow;
                    (stat ? d.presS : d.presT) = pres;
                    d.frq = frq;
                    d.k = frq == 60 ? 1.0 : 0.85;  // with and without a density below standard
                    d.accEquations = flow == 3000.0 ? silencer : "";
                    d.dpaMan = flow == 9000.0 ? 40 : 0;
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

// The search's form of a duty command is the full reply cut after the
// operating curve's record; errors read the same.
TEST(SearchDuty, IsTheFullReplyUpToTheOperatingCurve)
{
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok) << "demo catalogue missing";
    Recordset rows = cat.db().OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    SelectionDuty d;
    d.airFlow = 9000;
    d.presS = 300;
    DORozEvIdad e(cat.db());
    int answered = 0;
    for (const SizePole& sp : SizePoles(rows)) {
        const std::string command = Speed1Command(d, sp.fsId, sp.pole);
        const std::string full = e.Execute(1001, command);
        const std::string cut = e.ExecuteOperatingPoint(command);
        if (full.rfind("OK:", 0) != 0) {
            EXPECT_EQ(cut, full);
            continue;
        }
        ++answered;
        EXPECT_EQ(full.compare(0, cut.size(), cut), 0) << sp.fsId;
        EXPECT_EQ(full[cut.size()], '#') << sp.fsId;
        EXPECT_EQ(EngineReply(cut).FieldCount(), reply::CurvePosition(1, reply::BladeAngle)) << sp.fsId;
    }
    EXPECT_GT(answered, 10);
}

TEST(CatalogueCache, KeptCurvesAnswerAsFreshlyLoadedOnes)
{
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok) << "demo catalogue missing";
    Recordset rows = cat.db().OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    std::shared_ptr<CatalogueCache> cache = CatalogueCache::Of(cat.db());
    const std::vector<SizePole> all = SizePoles(rows);
    std::vector<SelectionDuty> duties;
    for (double flow : {2500.0, 12000.0})
        for (int frq : {50, 60}) {
            SelectionDuty d;
            d.airFlow = flow;
            d.presS = 250;
            d.frq = frq;
            d.k = frq == 60 ? 0.8 : 1.0;
            duties.push_back(d);
        }
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

// Rows fetched for many sizes at once must be those of each size's own
// statement, down to the order and the sizes that have none.
TEST(CatalogueCache, PreloadKeepsWhatEachSizesStatementGives)
{
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok) << "demo catalogue missing";
    IDatabase& db = cat.db();
    Recordset rows = db.OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    std::vector<int> ids{999999};  // no such size
    for (const SizePole& sp : SizePoles(rows)) ids.push_back(sp.fsId);
    std::shared_ptr<CatalogueCache> cache = CatalogueCache::Of(db);
    cache->Preload(db, ids);
    const std::size_t entries = cache->Entries();

    auto text = [](Recordset r) {
        std::string out;
        for (int c = 0; c < r.FieldCount(); ++c) out += r.FieldName(c) + ";";
        for (r.MoveFirst(); !r.Eof(); r.MoveNext())
            for (int c = 0; c < r.FieldCount(); ++c) out += "|" + r.Field(c).toText();
        return out;
    };
    const auto notAgain = [] {
        ADD_FAILURE() << "asked the catalogue again";
        return Recordset();
    };
    for (const int id : ids) {
        SCOPED_TRACE(id);
        EXPECT_EQ(text(*cache->SizeRow(id, notAgain)), text(engine_sql::FanSize(db, id)));
        EXPECT_EQ(text(*cache->CurveRows(id, notAgain)), text(engine_sql::FanCurves(db, id)));
    }
    for (const SizePole& sp : SizePoles(rows)) {
        // a pole code without rows is still asked for
        const Recordset noise = engine_sql::FanNoise(db, sp.fsId, sp.pole);
        if (noise.RecordCount() > 0) {
            EXPECT_EQ(text(*cache->NoiseRows(sp.fsId, sp.pole, notAgain)), text(noise));
        }
    }
    EXPECT_EQ(cache->Entries(), entries);
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
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok);
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
    test::HookedCatalogue stopper(pg, [&](const std::string&) {
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

}  // namespace
}  // namespace aerolyx
