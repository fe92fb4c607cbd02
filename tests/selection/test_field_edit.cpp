// Field edits as typed in the input grid, with their dependent fields.
#include <gtest/gtest.h>

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
    rec::Set(r, "I_Type", Variant("AXM-S"));
    rec::Set(r, "I_SizeD", Variant("400"));
    rec::Set(r, "I_CType", Variant("S"));
    rec::Set(r, "I_BaseTmp", Variant(20.0));
    struct Step {
        const char* field;
        const char* typed;
        const char* expect;  // "field=value" after the edit, "" for empty
    };
    // Run in order: each row builds on the ones before it.
    const Step steps[] = {
        {"I_PresT", "300", "I_PresT=300"},
        {"i_press", "250", "I_PresS=250"},
        {"I_PresS", "250", "I_PresT="},  // a static pressure empties the total one
        {"I_PresT", "", "I_PresS=250"},  // emptying one leaves the other
        {"I_Volt", "460", "I_Volt=4"},   // by its text; the frequency follows
        {"I_Volt", "460", "I_Frq=60"},
        {"I_Volt", "2", "I_Frq=50"},     // by its key
        {"I_Pol", "4/8", "I_Pol=7"},
        {"I_Pol", "3", "I_Pol=3"},
        {"I_Serie", "AXL", "I_Type=-"},  // the series resets type, size and casing type
        {"I_Serie", "AXL", "I_SizeD=-"},
        {"I_Serie", "AXL", "I_CType=-"},
        // 1000 m at 20 degC: 1013 * (1 - 6.5 / 293)^5.255 = 900.3 hPa, cut to 900
        {"I_BaseSea", "1000", "I_BaseBar=900"},
        {"O_Blades", "32767", "O_Blades=32767"},  // the edges of a 16-bit whole number
        {"O_Blades", "-32768", "O_Blades=-32768"},
        {"O_Blades", "6.5", "O_Blades=6"},  // halves to the even neighbour
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.field) + "=" + s.typed);
        const EditOutcome out = EditField(r, s.field, s.typed);
        EXPECT_TRUE(out.accepted) << out.message;
        const std::string name = std::string(s.expect).substr(0, std::string(s.expect).find('='));
        EXPECT_EQ(name + "=" + rec::Text(r, name), s.expect);
    }
    // and the density of air at 900 hPa and 20 degC
    EXPECT_NEAR(rec::Num(r, "I_BaseSpw"), 1.06984, 1e-5);
    // Only the position text leaves the results current.
    EXPECT_FALSE(EditField(r, "I_PosLV", "Pos. 2").outdates);
    EXPECT_TRUE(EditField(r, "I_Notes", "roof").outdates);
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
    const struct {
        const char* field;
        const char* typed;
        St status;
        const char* inMessage;
    } refused[] = {
        {"I_AirFlow", "lots", St::NotANumber, "not a number"},
        {"I_Nothing", "1", St::UnknownField, ""},
        {"I_Pol", "9/9", St::NotInList, "4/8"},  // the message lists the choices
        {"I_Volt", "999", St::NotInList, ""},
        {"I_BaseBar", "300", St::AirState, ""},  // outside 400..1050
        {"O_Blades", "32768", St::OutOfRange, ""},
        {"O_Blades", "-40000", St::OutOfRange, ""},
        {"O_Blades", "1e300", St::OutOfRange, ""},
    };
    for (const auto& t : refused) {
        SCOPED_TRACE(std::string(t.field) + "=" + t.typed);
        const EditOutcome out = EditField(r, t.field, t.typed);
        EXPECT_FALSE(out.accepted);
        EXPECT_FALSE(out.outdates);
        EXPECT_EQ(out.status, t.status);
        EXPECT_NE(out.message.find(t.inMessage), std::string::npos) << out.message;
        EXPECT_FALSE(out.message.empty());
    }
    EXPECT_EQ(r.WriteToString(), before);
}

}  // namespace
}  // namespace aerolyx
