// Field edits as typed in the input grid, with their dependent fields.
#include <gtest/gtest.h>

#include <cmath>

#include "accessories/RecordValues.h"
#include "model/CFanData.h"
#include "selection/FieldEdit.h"
#include "support/TestCatalogue.h"

namespace aerolyx {
namespace {

TEST(FieldEdit, DependentFieldsFollow)
{
    test::TestCatalogue cat;
    CFanData r;
    r.LoadFanFields();
    std::string err;

    ASSERT_TRUE(EditField(r, "I_PresT", "300", &err)) << err;
    EXPECT_EQ(rec::Num(r, "I_PresT"), 300);
    ASSERT_TRUE(EditField(r, "i_press", "250", &err)) << err;
    EXPECT_EQ(rec::Num(r, "I_PresS"), 250);
    EXPECT_TRUE(rec::Get(r, "I_PresT").isEmpty());
    ASSERT_TRUE(EditField(r, "I_PresT", "", &err));  // emptying one leaves the other
    EXPECT_EQ(rec::Num(r, "I_PresS"), 250);

    // Voltage by its text or its key; the frequency follows.
    ASSERT_TRUE(EditField(r, "I_Volt", "460", &err)) << err;
    EXPECT_EQ(rec::Num(r, "I_Volt"), 4);
    EXPECT_EQ(rec::Num(r, "I_Frq"), 60);
    ASSERT_TRUE(EditField(r, "I_Volt", "2", &err)) << err;
    EXPECT_EQ(rec::Num(r, "I_Frq"), 50);

    ASSERT_TRUE(EditField(r, "I_Pol", "4/8", &err)) << err;
    EXPECT_EQ(rec::Num(r, "I_Pol"), 7);
    ASSERT_TRUE(EditField(r, "I_Pol", "3", &err)) << err;
    EXPECT_EQ(rec::Num(r, "I_Pol"), 3);

    // Series resets type, size and casing type.
    rec::Set(r, "I_Type", Variant("AXM-S"));
    rec::Set(r, "I_SizeD", Variant("400"));
    rec::Set(r, "I_CType", Variant("S"));
    ASSERT_TRUE(EditField(r, "I_Serie", "AXL", &err)) << err;
    EXPECT_EQ(rec::Text(r, "I_Type"), "-");
    EXPECT_EQ(rec::Text(r, "I_SizeD"), "-");
    EXPECT_EQ(rec::Text(r, "I_CType"), "-");

    // Base conditions: 1000 m at 20 degC.
    rec::Set(r, "I_BaseTmp", Variant(20.0));
    ASSERT_TRUE(EditField(r, "I_BaseSea", "1000", &err)) << err;
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
    std::string err;
    EXPECT_FALSE(EditField(r, "I_AirFlow", "lots", &err));
    EXPECT_NE(err.find("not a number"), std::string::npos);
    EXPECT_FALSE(EditField(r, "I_Nothing", "1", &err));
    EXPECT_NE(err.find("Unknown field"), std::string::npos);
    EXPECT_FALSE(EditField(r, "I_Pol", "9/9", &err));
    EXPECT_NE(err.find("4/8"), std::string::npos);  // the message lists the choices
    EXPECT_FALSE(EditField(r, "I_Volt", "999", &err));
    EXPECT_FALSE(EditField(r, "I_BaseBar", "300", &err));  // outside 400..1050
    EXPECT_EQ(r.WriteToString(), before);
}

}  // namespace
}  // namespace aerolyx
