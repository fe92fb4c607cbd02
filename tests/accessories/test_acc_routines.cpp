// Accessory line, prices, size changes and pressure-drop switches over the
// hand-made catalogue.
#include <gtest/gtest.h>

#include "accessories/AccRoutines.h"
#include "accessories/RecordValues.h"
#include "model/CFanData.h"
#include "support/TestCatalogue.h"

namespace aerolyx {
namespace {

std::unique_ptr<CFanData> NewRecord(int fsId, const std::string& line)
{
    auto r = std::make_unique<CFanData>();
    r->LoadFanFields();
    rec::Set(*r, "O_FsID", Variant(static_cast<double>(fsId)));
    rec::Set(*r, "O_AccLine", Variant(line));
    return r;
}

double PriceOf(const std::string& line, double rebate)
{
    Prog().Rebate = rebate;
    auto r = NewRecord(11, line);
    AccCalcPrice(*r);
    return rec::Num(*r, "O_AccPrice");
}

TEST(AccLineFormat, ParseAndBuild)
{
    AccLine l = AccLine::Parse("12,40|1,2");
    EXPECT_EQ(l.ids, (std::vector<std::string>{"12", "40"}));
    EXPECT_EQ(l.quantities, (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(l.hasQuantities);
    l.quantities[0] = "0";
    EXPECT_EQ(l.Build(), "40|2");
    l.quantities[1] = "0";
    EXPECT_FALSE(l.AnyKept());

    l = AccLine::Parse("12,40");
    EXPECT_FALSE(l.hasQuantities);
    EXPECT_EQ(l.quantities, (std::vector<std::string>{"1", "1"}));
    EXPECT_TRUE(AccLine::Parse("").ids.empty());
    // A quantity list shorter than the article list.
    EXPECT_EQ(AccLine::Parse("5,6|3").Build(), "5,6|3,1");
}

TEST(AccCalcPrice, NetPricesTimesQuantities)
{
    test::TestCatalogue cat;
    EXPECT_DOUBLE_EQ(PriceOf("12,40|1,2", 15), 102.0);  // 85.00 + 2 x 8.50
    EXPECT_DOUBLE_EQ(PriceOf("70|1", 0), 0.01);          // half a cent is added before cutting
    EXPECT_DOUBLE_EQ(PriceOf("12,40", 0), 0.0);          // dialog form: no price until read back
    EXPECT_DOUBLE_EQ(PriceOf("", 0), 0.0);
    EXPECT_DOUBLE_EQ(PriceOf("12,999|1,5", 0), 100.0);   // a vanished article adds nothing
    EXPECT_DOUBLE_EQ(PriceOf("x;DROP|1", 0), 0.0);       // not an article key: ignored, never spliced
    EXPECT_EQ(cat.db().CountQueries("SELECT AdID, AdEuro1 FROM tblAccData"), 4);
    Prog().PriceList = 2;
    EXPECT_DOUBLE_EQ(PriceOf("12|1", 0), 110.0);
    EXPECT_DOUBLE_EQ(AccNetPrice(100, 15), 85.0);
}

TEST(AccDpInfo, TypesFormulasAndTheList)
{
    test::TestCatalogue cat;
    EXPECT_EQ(AccDpInfo("I_DpaAc1", 1), "GRD");
    EXPECT_EQ(AccDpInfo("I_DpaAc2", 2), "2*[c]^2+10");
    EXPECT_EQ(AccDpInfo("I_DpaAc5", 1), "");
    EXPECT_EQ(AccDpInfo("x' OR '1'='1", 1), "");

    auto r = NewRecord(11, "");
    EXPECT_EQ(AccDpEquations(*r), "");
    rec::Set(*r, "I_DpaAc2", Variant(1));
    rec::Set(*r, "I_DpaAc3", Variant(1));  // type with an empty formula
    rec::Set(*r, "I_DpaAc5", Variant(1));  // no type at all
    EXPECT_EQ(AccDpEquations(*r), "2*[c]^2+10");
    rec::Set(*r, "I_DpaAc1", Variant(1));
    EXPECT_EQ(AccDpEquations(*r), "0.5*[C]^2|2*[c]^2+10");
    EXPECT_EQ(GetAccLine(*NewRecord(11, "12|1")), "12|1");
}

TEST(AccFollowSize, ArticlesMoveToTheNewSize)
{
    test::TestCatalogue cat;
    // Size 400 -> 315: guard and silencer have articles for 315, the
    // flexible connection has none, the feet fit every size.
    auto r = NewRecord(12, "");
    AccFollowSize(*r, "12,40,41,60|1,2,1,4", 11);
    EXPECT_EQ(GetAccLine(*r), "50,51,60|1,1,4");

    // Same size: the old line is put back as it was.
    r = NewRecord(11, "");
    AccFollowSize(*r, "12,40", 11);
    EXPECT_EQ(GetAccLine(*r), "12,40");

    // A line without quantities is not moved.
    r = NewRecord(12, "");
    AccFollowSize(*r, "12,40", 11);
    EXPECT_EQ(GetAccLine(*r), "");

    // Nothing left: the line becomes empty.
    r = NewRecord(12, "keep");
    AccFollowSize(*r, "40,999|1,1", 11);
    EXPECT_EQ(GetAccLine(*r), "");

    r = NewRecord(12, "x");
    AccFollowSize(*r, "", 11);
    EXPECT_EQ(GetAccLine(*r), "");
}

TEST(AccSyncDp, SwitchesDemandTheirTypes)
{
    test::TestCatalogue cat;
    // The silencer switch on, a silencer already in the line: nothing added.
    auto r = NewRecord(11, "41,40|1,2");
    rec::Set(*r, "I_DpaAc2", Variant(1));
    AccSyncDp(*r);
    EXPECT_EQ(GetAccLine(*r), "41,40|1,2");

    // Guard switched on too: the size's guard is appended with quantity 1.
    rec::Set(*r, "I_DpaAc1", Variant(1));
    AccSyncDp(*r);
    EXPECT_EQ(GetAccLine(*r), "41,40,12|1,2,1");

    // From an empty line, in switch order; a vanished article is dropped.
    r = NewRecord(12, "999|1");
    rec::Set(*r, "I_DpaAc2", Variant(1));
    rec::Set(*r, "I_DpaAc1", Variant(1));
    AccSyncDp(*r);
    EXPECT_EQ(GetAccLine(*r), "50,51|1,1");

    // No switch on: untouched, even a line naming a vanished article.
    r = NewRecord(12, "999|1");
    AccSyncDp(*r);
    EXPECT_EQ(GetAccLine(*r), "999|1");

    // Dialog form without quantities is left alone.
    r = NewRecord(12, "50");
    rec::Set(*r, "I_DpaAc2", Variant(1));
    AccSyncDp(*r);
    EXPECT_EQ(GetAccLine(*r), "50");

    // Demanded type without an article for the size and nothing else left.
    r = NewRecord(21, "999|1");
    rec::Set(*r, "I_DpaAc1", Variant(1));
    AccSyncDp(*r);
    EXPECT_EQ(GetAccLine(*r), "");
}

TEST(AccRoutines, CallingOrderAfterACalculation)
{
    test::TestCatalogue cat(10.0);
    // The fan moved from 400 to 315 with the silencer switch on.
    auto r = NewRecord(12, "");
    rec::Set(*r, "I_DpaAc2", Variant(1));
    AccFollowSize(*r, "12,40|1,1", 11);
    AccSyncDp(*r);
    AccCalcPrice(*r);
    EXPECT_EQ(GetAccLine(*r), "50,51|1,1");
    EXPECT_DOUBLE_EQ(rec::Num(*r, "O_AccPrice"), 81.0 + 207.0);
}

}  // namespace
}  // namespace aerolyx
