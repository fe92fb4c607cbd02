// Value forms of a field: display, stored, file and formatted text, unit
// conversion through the program's units, and the choice-list syntax.
#include <gtest/gtest.h>

#include <memory>

#include "ModelTestSupport.h"
#include "common/IniFile.h"
#include "common/SettingsStore.h"
#include "model/CFanData.h"
#include "model/CLpField.h"
#include "units/CMollier.h"
#include "units/CUnit.h"

using namespace aerolyx;

namespace {

class FieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DisplayLocale() = NumberLocale{".", ","};
        Prog().Units = &units;
        Prog().Mollier = &mollier;
        Prog().Ini = &ini;
        Prog().Translator = nullptr;
        Prog().DefaultTranslator = nullptr;
        Prog().DB = nullptr;
        Prog().PriceCurrency = "CHF";
    }

    std::unique_ptr<CLpField> Field(const std::string& def)
    {
        auto f = CFanData::FieldFromDefinition(def);
        f->setValueStr(f->DefValue());
        return f;
    }

    test::ProgGuard guard;
    MemorySettingsStore store;
    CUnit units{&store};
    CMollier mollier;
    IniFile ini = IniFile::FromText("[305]\nAIRDIR=|#A;A - over motor|#B;B - impeller first\n");
};

TEST_F(FieldTest, UnitFieldConvertsBetweenDisplayAndNormalUnit)
{
    auto f = Field("I_AirFlow;5;;;;;0;120;;;;vl");
    EXPECT_EQ(f->UnitCode(), "VL");
    units.SetUnitCode("VL", "m3/s");
    ASSERT_TRUE(f->setValue(Variant("1")));
    EXPECT_DOUBLE_EQ(f->ValueI().toDouble(), 3600.0);
    EXPECT_DOUBLE_EQ(f->Value().toDouble(), 1.0);
    EXPECT_EQ(f->ValueF(), "1.000");
    EXPECT_EQ(f->ValueStr(), "3600");
    EXPECT_EQ(f->UnitKZ(false), "m3/s");

    // The same stored value in the default unit, with grouping.
    units.SetUnitCode("VL", "m3/h");
    EXPECT_EQ(f->ValueF(), "3,600");

    // Empty passes through both conversions.
    ASSERT_TRUE(f->setValue(Variant()));
    EXPECT_TRUE(f->ValueI().isEmpty());
    EXPECT_TRUE(f->Value().isEmpty());
    EXPECT_EQ(f->ValueF(), "");
    EXPECT_EQ(f->ValueStr(), "");
}

TEST_F(FieldTest, HumidityConvertsWithTheRelatedTemperature)
{
    CFanData rec;
    rec.Add(Field("I_BaseTmp;5;;;;;0;131;;30;;T"));
    rec.Add(Field("I_BaseRf;5;;;;I_BaseTmp;0;133;;50;;RF"));
    units.SetUnitCode("RF", "kJ/kg");
    // The enthalpy depends on the dry-bulb temperature, so the related
    // field's value must reach the conversion.
    const double expected = units.NormalToUnit("RF", Variant(50.0), 30.0).toDouble();
    EXPECT_NE(expected, units.NormalToUnit("RF", Variant(50.0), 0.0).toDouble());
    EXPECT_DOUBLE_EQ(rec.Value("I_BaseRf").toDouble(), expected);

    ASSERT_TRUE(rec.setValue("I_BaseRf", Variant(40.0)));
    EXPECT_DOUBLE_EQ(rec.ValueI("I_BaseRf").toDouble(), units.Normalizze("RF", Variant(40.0), 30.0).toDouble());
}

TEST_F(FieldTest, FormatsAndBlankWhenZero)
{
    auto f = Field("O_X;5;;#,##0.0?;;;0;1;;;;");
    f->setValueI(0.0);
    EXPECT_EQ(f->ValueF(), "");
    f->setValueI(1234.56);
    EXPECT_EQ(f->ValueF(), "1,234.6");

    auto only = Field("O_Y;5;;?;;;0;1;;;;");
    only->setValueI(2.4);
    EXPECT_EQ(only->ValueF(), "2");

    // Display follows the locale; the file form does not.
    DisplayLocale() = NumberLocale{",", "."};
    auto d = Field("I_D;5;;#0.00;;;0;1;;;;");
    ASSERT_TRUE(d->setValue(Variant("1,5")));
    EXPECT_DOUBLE_EQ(d->ValueI().toDouble(), 1.5);
    EXPECT_EQ(d->ValueF(), "1,50");
    EXPECT_EQ(d->ValueStr(), "1.5");
    ASSERT_TRUE(d->setValueStr("2.25"));
    EXPECT_DOUBLE_EQ(d->ValueI().toDouble(), 2.25);

    // Without any format the plain value is shown with the locale's separator.
    auto plain = Field("I_P;5;;;;;0;1;;;;");
    plain->setValueI(0.5);
    EXPECT_EQ(plain->ValueF(), "0,5");
}

TEST_F(FieldTest, RawValuesConvertToTheFieldTypeOrChangeNothing)
{
    auto i = Field("I_I;2;;;;;0;1;;7;;");
    EXPECT_EQ(i->ValueI(), Variant(7));
    ASSERT_TRUE(i->setValueI(Variant("1 2 3 4")));
    EXPECT_EQ(i->ValueI(), Variant(1234));
    EXPECT_FALSE(i->setValueI(Variant("40000")));  // beyond a 16-bit integer
    EXPECT_FALSE(i->setValueI(Variant("abc")));
    EXPECT_FALSE(i->setValue(Variant("12x")));
    EXPECT_EQ(i->ValueI(), Variant(1234));
    ASSERT_TRUE(i->setValueI(Variant(2.5)));  // halves to even
    EXPECT_EQ(i->ValueI(), Variant(2));
    ASSERT_TRUE(i->setValueI(Variant("")));
    EXPECT_TRUE(i->ValueI().isEmpty());

    auto d = Field("I_D;5;;;;;0;1;;;;");
    ASSERT_TRUE(d->setValueI(Variant("  , ")));
    EXPECT_EQ(d->ValueI(), Variant(0.0));
    ASSERT_TRUE(d->setValueI(Variant("1 000.5")));
    EXPECT_DOUBLE_EQ(d->ValueI().toDouble(), 1000.5);

    auto t = Field("I_T;8;;;;;0;1;;;;");
    ASSERT_TRUE(t->setValueI(Variant(12.5)));
    EXPECT_EQ(t->ValueI(), Variant("12.5"));
    EXPECT_EQ(t->ValueStr(), "12.5");

    // ValueStr reads a leading number and ignores what follows it.
    ASSERT_TRUE(d->setValueStr("12.5abc"));
    EXPECT_DOUBLE_EQ(d->ValueI().toDouble(), 12.5);

    auto other = Field("I_O;3;;;;;0;1;;5;;");
    EXPECT_TRUE(other->ValueI().isEmpty());
    EXPECT_EQ(other->ValueStr(), "");
}

TEST_F(FieldTest, UnitLabelsAndKinds)
{
    CLpField f;
    f.SetMyUnit("vl");
    EXPECT_EQ(f.UnitCode(), "VL");
    EXPECT_EQ(f.UnitText(), "");
    f.SetMyUnit("%");
    EXPECT_EQ(f.UnitCode(), "");
    EXPECT_EQ(f.UnitText(), "%");
    EXPECT_EQ(f.UnitKZ(true), "%");
    f.SetMyUnit("VALUTA");
    EXPECT_EQ(f.UnitKZ(true), "CHF");
    f.SetMyUnit("");
    EXPECT_EQ(f.UnitKZ(true), "");
}

TEST_F(FieldTest, CodedChoiceListBothWays)
{
    CFanData rec;
    rec.Add(Field("I_Yes;2;YESNO;;;;0;1;;0;;"));
    CLpField& f = *rec.Item("I_Yes");
    EXPECT_EQ(f.CboBox(true), "|#0;No|#1;Yes");
    ASSERT_TRUE(f.setValue(Variant("Yes")));
    EXPECT_EQ(f.ValueI(), Variant(1));
    EXPECT_EQ(f.Value(), Variant("Yes"));
    EXPECT_EQ(f.ValueStr(), "1");
    EXPECT_EQ(f.ValueF(), "Yes");
    EXPECT_EQ(f.FirstCBoxVal(false), "#0");
    EXPECT_EQ(f.FirstCBoxVal(true), "No");

    // An unmatched text stores an empty value; a number is the value itself.
    ASSERT_TRUE(f.setValue(Variant("Maybe")));
    EXPECT_TRUE(f.ValueI().isEmpty());
    ASSERT_TRUE(f.setValue(Variant(1)));
    EXPECT_EQ(f.ValueF(), "Yes");

    // A named list of section 0305 for a text field; an unknown name is a
    // one-entry list of the name itself.
    rec.Add(Field("I_AirDir;8;AIRDIR;;...;;1;154;;A;;"));
    EXPECT_EQ(rec.ValueF("I_AirDir"), "A - over motor");
    ASSERT_TRUE(rec.setValue("I_AirDir", Variant(" B - impeller first ")));
    EXPECT_EQ(rec.ValueI("I_AirDir"), Variant("B"));
    rec.Add(Field("I_U;8;NOLIST;;;;0;1;;;;"));
    EXPECT_EQ(rec.Item("I_U")->CboBox(true), "|NOLIST");

    // A field without list name has no list at all.
    EXPECT_EQ(Field("I_N;5;;;;;0;1;;;;")->CboBox(true), "");
}

TEST_F(FieldTest, PlainAndTwoColumnEntries)
{
    const auto e = ParseChoiceList("ignored|-|#AXM-S;AXM-S\tShort casing|#3;a;b|x\ty");
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].kind, ChoiceEntry::Kind::Plain);
    EXPECT_EQ(e[1].kind, ChoiceEntry::Kind::TwoColumn);
    EXPECT_EQ(e[1].value, "AXM-S");
    EXPECT_EQ(e[1].shown, "Short casing");
    EXPECT_EQ(e[2].kind, ChoiceEntry::Kind::Plain);  // more than one ";"
    EXPECT_EQ(e[3].kind, ChoiceEntry::Kind::Plain);  // a tab but no ";"
    EXPECT_EQ(JoinChoiceList(e), "|-|#AXM-S;AXM-S\tShort casing|#3;a;b|x\ty");
    EXPECT_TRUE(ParseChoiceList("").empty());
    EXPECT_TRUE(ParseChoiceList("no bar").empty());

    test::FakeDb db;
    db.Answer("FROM (tblFanTypes", {{"TpCode", "Code2", "TrnText"},
                                    {{Variant("AXM-S"), Variant("AXM-S"), Variant("Short casing")},
                                     {Variant("AXM-L"), Variant("AXM-L"), Variant("Long casing")}}});
    db.Answer("tblFanSizes.FsSize", {{"FsSize"}, {{Variant(315.0)}, {Variant(400.0)}}});
    Prog().DB = &db;
    CFanData rec;
    rec.Add(Field("I_Serie;8;;;;;0;1;;AXM;;"));
    rec.Add(Field("I_Type;8;FTYPE;;;;0;1;;-;;"));
    rec.Add(Field("I_SizeD;8;SIZED;;;;0;1;;0;;"));
    EXPECT_EQ(rec.ValueF("I_Type"), "-");
    ASSERT_TRUE(rec.setValue("I_Type", Variant("Long casing")));
    EXPECT_EQ(rec.ValueI("I_Type"), Variant("AXM-L"));
    EXPECT_EQ(rec.ValueF("I_Type"), "Long casing");
    EXPECT_EQ(rec.FirstCBoxVal("I_Type", false), "-");

    ASSERT_TRUE(rec.setValue("I_SizeD", Variant("400")));
    EXPECT_EQ(rec.ValueI("I_SizeD"), Variant("400"));
    EXPECT_EQ(rec.ValueF("I_SizeD"), "400");
    ASSERT_TRUE(rec.setValue("I_SizeD", Variant("-")));
    EXPECT_EQ(rec.ValueF("I_SizeD"), "-");
}

// The field's three questions reach its owner.
struct Recorder : ILpFieldEvents {
    int changed = 0;
    std::string listAsked;
    std::string answer = "?";
    void LpField_ParentValue(const CLpField&, const std::string& name, Variant& value) override
    {
        value = name == "I_T" ? Variant(30.0) : Variant();
    }
    void LpField_CboBoxData(const CLpField&, const std::string& name, std::string& list) override
    {
        listAsked = name;
        if (answer != "?") list = answer;
    }
    void LpField_ValueChanged(CLpField&) override { ++changed; }
};

TEST_F(FieldTest, EventsReachTheOwner)
{
    Recorder r;
    auto f = Field("I_X;8;AIRDIR;;;;0;1;;;;");
    f->setOwner(&r);
    EXPECT_TRUE(f->setValue(Variant("B - impeller first")));
    EXPECT_EQ(r.changed, 1);
    EXPECT_EQ(r.listAsked, "AIRDIR");
    EXPECT_EQ(f->ValueI(), Variant("B"));  // "?" left: the settings file's list
    f->setValueI(Variant("A"));
    EXPECT_EQ(r.changed, 1);  // only typed values raise the event
    r.answer = "|#A;owner's text";
    EXPECT_EQ(f->ValueF(), "owner's text");
    EXPECT_TRUE(f->setValue(Variant()));
    EXPECT_EQ(r.changed, 2);

    // A failed conversion raises nothing.
    auto n = Field("I_N;2;;;;;0;1;;;;");
    n->setOwner(&r);
    EXPECT_FALSE(n->setValue(Variant("x")));
    EXPECT_EQ(r.changed, 2);

    // The owner's answer for the related field goes into the conversion.
    auto rf = Field("I_R;5;;;;I_T;0;1;;60;;RF");
    rf->setOwner(&r);
    units.SetUnitCode("RF", "kJ/kg");
    EXPECT_DOUBLE_EQ(rf->Value().toDouble(), units.NormalToUnit("RF", Variant(60.0), 30.0).toDouble());
}

}  // namespace
