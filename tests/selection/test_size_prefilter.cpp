// The search's prefilter against the engine itself: over every offerable
// size and pole number of the demo catalogue and a spread of duties, a size
// is dropped exactly when its duty command would be refused by the range
// check ("ERROR: 203" before any curve is loaded).
#include <gtest/gtest.h>

#include <cmath>

#include "accessories/AccRoutines.h"
#include "accessories/RecordValues.h"
#include "common/StrUtil.h"
#include "engine/DORozEvIdad.h"
#include "selection/DemoCatalogue.h"
#include "selection/SizePrefilter.h"

namespace aerolyx {
namespace {

TEST(SizePrefilter, DropsExactlyWhatTheEngineRefusesAtItsRangeCheck)
{
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok) << "demo catalogue missing";
    Recordset rows = cat.db().OpenRecordset("SELECT * FROM abfSelectFans ORDER BY FsSize");
    ASSERT_GT(rows.RecordCount(), 50);
    const std::string silencer = AccDpInfo("I_DpaAc2", 2);
    ASSERT_FALSE(silencer.empty());

    std::vector<SelectionDuty> duties;
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
                    duties.push_back(d);
                }

    std::unique_ptr<IFanEngine> filterEngine = MakeDefaultEngine();
    DORozEvIdad judge(cat.db());
    int dropped = 0, kept = 0, refusedLater = 0;
    for (const SelectionDuty& d : duties) {
        const std::vector<std::vector<int>> passing = PrefilterSizes(rows, d, *filterEngine);
        ASSERT_EQ(passing.size(), static_cast<std::size_t>(rows.RecordCount()));
        for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
            const std::vector<int>& pass = passing[static_cast<std::size_t>(rows.Position())];
            const int fsId = static_cast<int>(rec::ColNum(rows, "FsID"));
            for (const std::string& pText : Split(rec::ColText(rows, "FdPoles"), ',')) {
                if (Trim(pText).empty()) continue;
                const int p = static_cast<int>(std::lround(TextToNum(pText)));
                const std::string reply = judge.Execute(1001, Speed1Command(d, fsId, p));
                // a 203 with no curve loaded is the range check's; later
                // refusals (reachability) load the curves first
                const bool atRange = reply == "ERROR: 203" && judge.CurveCount() == 0;
                const bool passed = std::find(pass.begin(), pass.end(), p) != pass.end();
                EXPECT_EQ(passed, !atRange) << "FsID " << fsId << " pole " << p << " flow " << d.airFlow
                                            << " reply " << reply.substr(0, 20);
                (atRange ? dropped : kept)++;
                if (reply == "ERROR: 203" && !atRange) ++refusedLater;
            }
        }
    }
    // the spread reaches both sides of the check and the later 203s
    EXPECT_GT(dropped, 500);
    EXPECT_GT(kept, 200);
    EXPECT_GT(refusedLater, 0);
}

// A pole combination restricts the list before the range check; a size
// without pole numbers yields nothing.
TEST(SizePrefilter, PoleFilterAndEmptyPoleLists)
{
    Recordset rows({"FsID", "FdPoles"}, {{Variant(1), Variant("4,6")}, {Variant(2), Variant("")}, {Variant(3), Variant()}});
    struct PassAll : IFanEngine {
        std::string Execute(int, const std::string&) override { return {}; }
        int asked = 0;
        bool RefusedByRange(const std::string&) override { return ++asked, false; }
    } engine;
    SelectionDuty d;
    auto passing = PrefilterSizes(rows, d, engine);
    ASSERT_EQ(passing.size(), 3u);
    EXPECT_EQ(passing[0], (std::vector<int>{4, 6}));
    EXPECT_TRUE(passing[1].empty());
    EXPECT_TRUE(passing[2].empty());
    d.p1 = 6;
    passing = PrefilterSizes(rows, d, engine);
    EXPECT_EQ(passing[0], (std::vector<int>{6}));
    EXPECT_EQ(engine.asked, 3);
    EXPECT_EQ(rows.Position(), 0);
}

}  // namespace
}  // namespace aerolyx
