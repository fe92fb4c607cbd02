// The engine's catalogue cache on the demo catalogue: replies from kept
// curves are the replies of freshly loaded ones, the memory bound holds,
// and a reopened connection starts afresh.
#include <gtest/gtest.h>

#include <cmath>

#include "accessories/RecordValues.h"
#include "app/DbConnection.h"
#include "common/StrUtil.h"
#include "engine/CatalogueCache.h"
#include "engine/DORozEvIdad.h"
#include "selection/DemoCatalogue.h"
#include "selection/modCalcStart.h"

namespace aerolyx {
namespace {

std::vector<std::string> AllCommands(IDatabase& db, const SelectionDuty& d)
{
    std::vector<std::string> out;
    Recordset rows = db.OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    for (; !rows.Eof(); rows.MoveNext())
        for (const std::string& p : Split(rec::ColText(rows, "FdPoles"), ','))
            if (!Trim(p).empty())
                out.push_back(Speed1Command(d, static_cast<int>(rec::ColNum(rows, "FsID")),
                                            static_cast<int>(std::lround(TextToNum(p)))));
    return out;
}

TEST(CatalogueCache, KeptCurvesAnswerAsFreshlyLoadedOnes)
{
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok) << "demo catalogue missing";
    std::shared_ptr<CatalogueCache> cache = CatalogueCache::Of(cat.db());
    std::vector<std::pair<SelectionDuty, std::vector<std::string>>> runs;
    for (double flow : {2500.0, 12000.0})
        for (int frq : {50, 60})
            for (double k : {1.0, 0.8}) {
                SelectionDuty d;
                d.airFlow = flow;
                d.presS = 250;
                d.frq = frq;
                d.k = k;
                runs.emplace_back(d, AllCommands(cat.db(), d));
            }

    // cold: a budget of nothing keeps no curves from one duty to the next
    cache->SetBudget(0);
    std::vector<std::vector<std::string>> cold;
    for (auto& [d, cmds] : runs) {
        DORozEvIdad e(cat.db());
        auto& r = cold.emplace_back();
        for (const std::string& c : cmds) r.push_back(e.Execute(1001, c));
    }
    cache->SetBudget(CatalogueCache::kDefaultBudget);
    // warm: a first pass keeps what each duty needs, the second runs on it
    for (auto& [d, cmds] : runs) {
        DORozEvIdad e(cat.db());
        for (const std::string& c : cmds) e.Execute(1001, c);
    }
    const std::size_t entries = cache->Entries();
    int ok = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        DORozEvIdad e(cat.db());
        for (std::size_t j = 0; j < runs[i].second.size(); ++j) {
            const std::string reply = e.Execute(1001, runs[i].second[j]);
            EXPECT_EQ(reply, cold[i][j]) << runs[i].second[j];
            ok += reply.rfind("OK:", 0) == 0;
        }
    }
    EXPECT_GT(ok, 20);
    EXPECT_EQ(cache->Entries(), entries) << "the warm run should have found everything kept";
}

TEST(CatalogueCache, BoundedLeastRecentlyUsedOut)
{
    CatalogueCache cache;
    auto rows = [](int n) {
        std::vector<std::vector<Variant>> r(static_cast<std::size_t>(n), std::vector<Variant>{Variant(1), Variant(2.5)});
        return Recordset({"a", "b"}, r);
    };
    const std::size_t one = rows(100).ApproxBytes();
    cache.SetBudget(3 * one);
    int loads = 0;
    auto load = [&] { ++loads; return rows(100); };
    for (int id : {1, 2, 3}) cache.CurveRows(id, load);
    cache.CurveRows(1, load);  // 1 is now the most recent
    cache.CurveRows(4, load);  // 2 goes
    EXPECT_EQ(loads, 4);
    EXPECT_LE(cache.Bytes(), 3 * one);
    cache.CurveRows(1, load);
    cache.CurveRows(3, load);
    EXPECT_EQ(loads, 4);
    cache.CurveRows(2, load);
    EXPECT_EQ(loads, 5);
    // one entry above the budget is still handed out, and the rest goes
    cache.SetBudget(one / 2);
    EXPECT_EQ(cache.Entries(), 1u);
    EXPECT_EQ(cache.CurveRows(7, [] { return Recordset({"a"}, {{Variant(7)}}); })->Field("a").toInt(), 7);
}

TEST(CatalogueCache, ReopenedConnectionStartsAfresh)
{
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok) << "demo catalogue missing";
    auto& conn = dynamic_cast<DbConnection&>(cat.db());
    std::shared_ptr<CatalogueCache> before = CatalogueCache::Of(conn);
    EXPECT_EQ(CatalogueCache::Of(conn), before);
    before->SizeRow(1, [] { return Recordset({"FsID"}, {{Variant(1)}}); });
    int n = 0;
    std::string why;
    ASSERT_TRUE(conn.Open(n, why)) << why;
    std::shared_ptr<CatalogueCache> after = CatalogueCache::Of(conn);
    EXPECT_NE(after, before);
    EXPECT_EQ(after->Entries(), 0u);
}

}  // namespace
}  // namespace aerolyx
