// Field edits as typed in the input grid, with their dependent fields.
#include <gtest/gtest.h>

#include <cmath>

#include "accessories/RecordValues.h"
#include "model/CFanData.h"
#include "selection/FieldEdit.h"
#include "support/TestCatalogue.h"

namespace aerolyx {
namespace {

bool Ok(CFanData& r, const std::string& name, const std::string& typed)
{
    const EditOutcome out = EditField(r, name, typed);
    EXPECT_TRUE(out.message.empty()) << out.message;
    return out.accepted;
}

TEST(FieldEdit, DependentFieldsFollow)
{
    test::TestCatalogue cat;
    CFanData r;
    r.LoadFanFields();

    ASSERT_TRUE(Ok(r, "I_PresT", "300"));
    EXPECT_EQ(rec::Num(r, "I_PresT"), 300);
    ASSERT_TRUE(Ok(r, "i_press", "250"));
    EXPECT_EQ(rec::Num(r, "I_PresS"), 250);
    EXPECT_TRUE(rec::Get(r, "I_PresT").isEmpty());
    ASSERT_TRUE(Ok(r, "I_PresT", ""));  // emptying one leaves the other
    EXPECT_EQ(rec::Num(r, "I_PresS"), 250);

    // Voltage by its text or its key; the frequency follows.
    ASSERT_TRUE(Ok(r, "I_Volt", "460"));
    EXPECT_EQ(rec::Num(r, "I_Volt"), 4);
    EXPECT_EQ(rec::Num(r, "I_Frq"), 60);
    ASSERT_TRUE(Ok(r, "I_Volt", "2"));
    EXPECT_EQ(rec::Num(r, "I_Frq"), 50);

    ASSERT_TRUE(Ok(r, "I_Pol", "4/8"));
    EXPECT_EQ(rec::Num(r, "I_Pol"), 7);
    ASSERT_TRUE(Ok(r, "I_Pol", "3"));
    EXPECT_EQ(rec::Num(r, "I_Pol"), 3);

    // Series resets type, size and casing type.
    rec::Set(r, "I_Type", Variant("AXM-S"));
    rec::Set(r, "I_SizeD", Variant("400"));
    rec::Set(r, "I_CType", Variant("S"));
    ASSERT_TRUE(Ok(r, "I_Serie", "AXL"));
    EXPECT_EQ(rec::Text(r, "I_Type"), "-");
    EXPECT_EQ(rec::Text(r, "I_SizeD"), "-");
    EXPECT_EQ(rec::Text(r, "I_CType"), "-");

    // Base conditions: 1000 m at 20 degC.
    rec::Set(r, "I_BaseTmp", Variant(20.0));
    ASSERT_TRUE(Ok(r, "I_BaseSea", "1000"));
    const double bar = std::trunc(1013 * std::pow(1 - 6.5 / 293, 5.255));
    EXPECT_EQ(rec::Num(r, "I_BaseBar"), bar);
    EXPECT_NEAR(rec::Num(r, "I_BaseSpw"), bar * 0.34847 / 293.15, 1e-9);
}

TEST(FieldEdit, BadInputChangesNothing)
{
    test::TestCatalogue cat;
    CFanData r;
    r.LoadFanFields();
    rec::Set(r, "I_AirFlow", Variant(5000.0));
    rec::Set(r, "I_BaseBar", Variant(1013.0));
    rec::Set(r, "I_BaseSpw", Variant(1.2));
    const std::string before = r.WriteToString();
    using St = EditOutcome::Status;
    auto refused = [&r](const char* name, const char* typed) {
        const EditOutcome out = EditField(r, name, typed);
        EXPECT_FALSE(out.accepted) << name << "=" << typed;
        EXPECT_FALSE(out.outdates) << name << "=" << typed;
        return out;
    };
    EditOutcome out = refused("I_AirFlow", "lots");
    EXPECT_EQ(out.status, St::NotANumber);
    EXPECT_NE(out.message.find("not a number"), std::string::npos);
    EXPECT_EQ(refused("I_Nothing", "1").status, St::UnknownField);
    out = refused("I_Pol", "9/9");
    EXPECT_EQ(out.status, St::NotInList);
    EXPECT_NE(out.message.find("4/8"), std::string::npos);  // the message lists the choices
    EXPECT_EQ(refused("I_Volt", "999").status, St::NotInList);
    EXPECT_EQ(refused("I_BaseBar", "300").status, St::AirState);  // outside 400..1050
    // Whole-number fields hold 16 bits, in both directions.
    EXPECT_EQ(refused("O_Blades", "32768").status, St::OutOfRange);
    EXPECT_EQ(refused("O_Blades", "-40000").status, St::OutOfRange);
    EXPECT_EQ(refused("O_Blades", "1e300").status, St::OutOfRange);
    EXPECT_EQ(r.WriteToString(), before);

    // The edges of the 16-bit range are values; halves go to the even neighbour.
    EXPECT_TRUE(Ok(r, "O_Blades", "32767"));
    EXPECT_EQ(rec::Num(r, "O_Blades"), 32767);
    EXPECT_TRUE(Ok(r, "O_Blades", "-32768"));
    EXPECT_EQ(rec::Num(r, "O_Blades"), -32768);
    EXPECT_TRUE(Ok(r, "O_Blades", "6.5"));
    EXPECT_EQ(rec::Num(r, "O_Blades"), 6);
    // Only the position text leaves the results current.
    EXPECT_FALSE(EditField(r, "I_PosLV", "Pos. 2").outdates);
    EXPECT_TRUE(EditField(r, "I_Notes", "roof").outdates);
}

}  // namespace
}  // namespace aerolyx
