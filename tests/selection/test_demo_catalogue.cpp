// The accessory routines and the selection on the demo catalogue.
#include <gtest/gtest.h>

#include "accessories/AccRoutines.h"
#include "accessories/RecordValues.h"
#include "model/CFanData.h"
#include "selection/DemoCatalogue.h"
#include "selection/modCalcStart.h"

namespace aerolyx {
namespace {

TEST(DemoAccessories, FollowSizeSyncAndPrice)
{
    test::DemoCatalogue cat(10.0);
    ASSERT_TRUE(cat.ok) << "demo catalogue missing";
    CFanData r;
    ASSERT_GT(r.LoadFanFields(), 0);

    // AXM-S 400 (FsID 25) -> 450 (26): guard 92 -> 99, silencer 93 -> 100,
    // the size-free repair switch 595 stays.
    rec::Set(r, "O_FsID", Variant(26.0));
    AccFollowSize(r, "92,93,595|1,2,1", 25);
    EXPECT_EQ(GetAccLine(r), "99,100,595|1,2,1");

    // The shutter switch demands a shutter of the size; the silencer switch
    // is satisfied by the silencer already there.
    rec::Set(r, "I_DpaAc3", Variant(1));
    rec::Set(r, "I_DpaAc2", Variant(1));
    AccSyncDp(r);
    EXPECT_EQ(GetAccLine(r), "99,100,595,101|1,2,1,1");

    AccCalcPrice(r);
    // 41 + 2 x 577 + 64.50 + 139 at 10 %.
    EXPECT_DOUBLE_EQ(rec::Num(r, "O_AccPrice"), 36.9 + 2 * 519.3 + 58.05 + 125.1);

    EXPECT_EQ(AccDpEquations(r), AccDpInfo("I_DpaAc2", 2) + "|" + AccDpInfo("I_DpaAc3", 2));
    EXPECT_EQ(AccDpInfo("I_DpaAc3", 1), "DMP");

    // The list of available articles: the size's own and the size-free ones.
    Recordset all = cat.db().OpenRecordset(AvailableAccQuery(26, "EN"));
    int own = 0, free = 0;
    for (; !all.Eof(); all.MoveNext()) {
        const Recordset one = cat.db().OpenRecordset("SELECT FsID FROM tblAccData WHERE AdID=" + all.Field("AdID").toText());
        one.Field("FsID").isEmpty() ? ++free : ++own;
    }
    EXPECT_EQ(own, 7);
    EXPECT_EQ(free, 6);
}

// Everyday duties on the demo catalogue with the real engine: plausible
// sizes, speeds and shaft powers, and nothing for a duty beyond every fan.
TEST(DemoSelection, EverydayDutiesFindPlausibleFans)
{
    test::DemoCatalogue cat;
    ASSERT_TRUE(cat.ok) << "demo catalogue missing";
    auto run = [](const char* series, double flow, double ps) {
        CFanData r;
        r.LoadFanFields();
        rec::Set(r, "I_Serie", Variant(series));
        rec::Set(r, "I_AirFlow", Variant(flow));
        rec::Set(r, "I_PresS", Variant(ps));
        return SearchCandidates(r, nullptr, MakeDefaultEngine);
    };
    auto within = [](const auto& found, double minSize, double maxSize, double minKw, double maxKw) {
        for (const auto& c : found) {
            const std::string what = rec::Text(*c, "O_FanName");
            EXPECT_GE(rec::Num(*c, "O_SizeD"), minSize) << what;
            EXPECT_LE(rec::Num(*c, "O_SizeD"), maxSize) << what;
            EXPECT_GE(rec::Num(*c, "O_Vkw1"), minKw) << what;
            EXPECT_LE(rec::Num(*c, "O_Vkw1"), maxKw) << what;
            EXPECT_GT(rec::Num(*c, "O_Eta1"), 30) << what;
        }
    };
    // 5,000 m3/h at 250 Pa: 355..630 mm at about half a kilowatt
    const auto small = run("AXM", 5000, 250);
    EXPECT_GE(small.size(), 6u);
    within(small, 355, 630, 0.3, 1.1);
    // 20,000 m3/h at 400 Pa: 710..1120 mm at 3 to 4 kW
    const auto big = run("AXH", 20000, 400);
    EXPECT_GE(big.size(), 6u);
    within(big, 710, 1250, 2.3, 4.8);
    double best = 0;
    for (const auto& c : big) best = std::max(best, rec::Num(*c, "O_Eta1"));
    EXPECT_GT(best, 80);  // guide vanes pay off
    for (const char* s : {"AXL", "AXM", "AXH"}) EXPECT_TRUE(run(s, 200000, 3000).empty()) << s;
}

}  // namespace
}  // namespace aerolyx
