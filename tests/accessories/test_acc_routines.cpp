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
    l.quantities[0] = "0";
    EXPECT_EQ(l.Build(), "40|2");
    l.quantities[1] = "0";
    EXPECT_FALSE(l.AnyKept());

    l = AccLine::Parse("12,40");
    EXPECT_FALSE(l.hasQuantities);
    EXPECT_EQ(l.quantities, (std::vector<std::string>{"1", "1"}));
    // A quantity list shorter than the article list.
    EXPECT_EQ(AccLine::Parse("5,6|3").Build(), "5,6|3,1");
}

TEST(AccCalcPrice, NetPricesTimesQuantities)
{
    test::TestCatalogue cat;
    EXPECT_DOUBLE_EQ(PriceOf("12,40|1,2", 15), 102.0);  // 85.00 + 2 x 8.50
    EXPECT_DOUBLE_EQ(PriceOf("70|1", 0), 0.01);          // half a cent is added before cutting
    EXPECT_DOUBLE_EQ(PriceOf("12,40", 0), 0.0);          // dialog form: no price until read back
    EXPECT_DOUBLE_EQ(PriceOf("12,999|1,5", 0), 100.0);   // a vanished article adds nothing
    EXPECT_DOUBLE_EQ(PriceOf("x;DROP|1", 0), 0.0);       // not an article key: ignored, never spliced
    Prog().PriceList = 2;
    EXPECT_DOUBLE_EQ(PriceOf("12|1", 0), 110.0);
}

TEST(AccDpInfo, TypesFormulasAndTheList)
{
    test::TestCatalogue cat;
    EXPECT_EQ(AccDpInfo("I_DpaAc1", 1), "GRD");
    EXPECT_EQ(AccDpInfo("I_DpaAc2", 2), "2*[c]^2+10");
    EXPECT_EQ(AccDpInfo("I_DpaAc5", 1), "");
    EXPECT_EQ(AccDpInfo("x' OR '1'='1", 1), "");

    auto r = NewRecord(11, "");
    r->ReadFromString("I_DpaAc2=1|I_DpaAc3=1|I_DpaAc5=1");  // 3: a type with an empty formula, 5: no type
    EXPECT_EQ(AccDpEquations(*r), "2*[c]^2+10");
    rec::Set(*r, "I_DpaAc1", Variant(1));
    EXPECT_EQ(AccDpEquations(*r), "0.5*[C]^2|2*[c]^2+10");
}

// Size 400 (FsID 11) -> 315 (FsID 12): guard and silencer have articles for
// 315, the flexible connection has none, the feet fit every size.
TEST(AccFollowSize, ArticlesMoveToTheNewSize)
{
    const struct {
        int fsid;
        const char* line;
        const char* oldLine;
        const char* expected;
    } cases[] = {
        {12, "", "12,40,41,60|1,2,1,4", "50,51,60|1,1,4"},
        {11, "", "12,40", "12,40"},            // same size: the old line as it was
        {12, "kept", "12,40", "kept"},         // without quantities: not moved
        {12, "gone", "40,999|1,1", ""},        // nothing left
        {12, "gone", "", ""},
    };
    test::TestCatalogue cat;
    for (const auto& c : cases) {
        auto r = NewRecord(c.fsid, c.line);
        AccFollowSize(*r, c.oldLine, 11);
        EXPECT_EQ(GetAccLine(*r), c.expected) << c.oldLine << " to FsID " << c.fsid;
    }
}

// Switched-on pressure drops demand an article of their type in the line.
TEST(AccSyncDp, SwitchesDemandTheirTypes)
{
    const struct {
        int fsid;
        const char* line;
        std::vector<const char*> switches;
        const char* expected;
    } cases[] = {
        {11, "41,40|1,2", {"I_DpaAc2"}, "41,40|1,2"},  // a silencer is there already
        {11, "41,40|1,2", {"I_DpaAc2", "I_DpaAc1"}, "41,40,12|1,2,1"},  // the size's guard appended
        {12, "999|1", {"I_DpaAc2", "I_DpaAc1"}, "50,51|1,1"},  // in switch order; a vanished article dropped
        {12, "999|1", {}, "999|1"},                 // no switch on: untouched
        {12, "50", {"I_DpaAc2"}, "50"},             // dialog form without quantities
        {21, "999|1", {"I_DpaAc1"}, ""},            // no article of the type for the size
    };
    test::TestCatalogue cat;
    for (const auto& c : cases) {
        auto r = NewRecord(c.fsid, c.line);
        for (const char* sw : c.switches) rec::Set(*r, sw, Variant(1));
        AccSyncDp(*r);
        EXPECT_EQ(GetAccLine(*r), c.expected) << c.line << " at FsID " << c.fsid;
    }
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
