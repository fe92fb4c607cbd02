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
    units.SetUnitCode("VL", "m3/s");
    ASSERT_TRUE(f->setValue(Variant("1")));
    EXPECT_DOUBLE_EQ(f->ValueI().toDouble(), 3600.0);
    EXPECT_DOUBLE_EQ(f->Value().toDouble(), 1.0);
    EXPECT_EQ(f->ValueF() + " " + f->UnitKZ(false) + " / " + f->ValueStr(), "1.000 m3/s / 3600");
    units.SetUnitCode("VL", "m3/h");
    EXPECT_EQ(f->ValueF(), "3,600");
    // Empty passes through both conversions.
    ASSERT_TRUE(f->setValue(Variant()));
    EXPECT_TRUE(f->ValueI().isEmpty());
    EXPECT_EQ(f->ValueF() + f->ValueStr(), "");

    // Humidity as enthalpy depends on the related field's temperature, and
    // the owner's answer for it reaches the conversion: 50 % at 30 degC is
    // 64.3 kJ/kg, at 0 degC 4.7 kJ/kg.
    CFanData rec;
    rec.Add(Field("I_BaseTmp;5;;;;;0;131;;30;;T"));
    rec.Add(Field("I_BaseRf;5;;;;I_BaseTmp;0;133;;50;;RF"));
    units.SetUnitCode("RF", "kJ/kg");
    EXPECT_NEAR(rec.Value("I_BaseRf").toDouble(), 64.3, 0.3);
    rec.setValueI("I_BaseTmp", 0.0);
    EXPECT_NEAR(rec.Value("I_BaseRf").toDouble(), 4.7, 0.3);
    ASSERT_TRUE(rec.setValue("I_BaseRf", Variant(4.7)));
    EXPECT_NEAR(rec.ValueI("I_BaseRf").toDouble(), 50, 2);
}

TEST_F(FieldTest, DisplayFormatsFollowTheLocaleTheFileFormDoesNot)
{
    const struct {
        const char* def;
        bool commaLocale;
        double value;
        const char* shown;
        const char* file;
    } rows[] = {
        {"O_X;5;;#,##0.0?;;;0;1;;;;", false, 0.0, "", "0"},  // blank when zero
        {"O_X;5;;#,##0.0?;;;0;1;;;;", false, 1234.56, "1,234.6", "1234.56"},
        {"O_Y;5;;?;;;0;1;;;;", false, 2.4, "2", "2.4"},
        {"I_D;5;;#0.00;;;0;1;;;;", true, 1.5, "1,50", "1.5"},
        {"I_P;5;;;;;0;1;;;;", true, 0.5, "0,5", "0.5"},  // no format: the plain value
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.def) + " " + std::to_string(r.value));
        DisplayLocale() = r.commaLocale ? NumberLocale{",", "."} : NumberLocale{".", ","};
        auto f = Field(r.def);
        f->setValueI(r.value);
        EXPECT_EQ(f->ValueF(), r.shown);
        EXPECT_EQ(f->ValueStr(), r.file);
    }
    // Typed text follows the locale, file text does and reads a leading number.
    auto d = Field("I_D;5;;#0.00;;;0;1;;;;");
    ASSERT_TRUE(d->setValue(Variant("1,5")));
    EXPECT_DOUBLE_EQ(d->ValueI().toDouble(), 1.5);
    ASSERT_TRUE(d->setValueStr("12.5abc"));
    EXPECT_DOUBLE_EQ(d->ValueI().toDouble(), 12.5);
}

TEST_F(FieldTest, RawValuesConvertToTheFieldTypeOrChangeNothing)
{
    const struct {
        const char* def;
        Variant in;
        bool accepted;
        Variant stored;
    } rows[] = {
        {"I_I;2;;;;;0;1;;7;;", Variant("1 2 3 4"), true, Variant(1234)},
        {"I_I;2;;;;;0;1;;7;;", Variant("40000"), false, Variant(7)},  // beyond a 16-bit integer
        {"I_I;2;;;;;0;1;;7;;", Variant("abc"), false, Variant(7)},
        {"I_I;2;;;;;0;1;;7;;", Variant(2.5), true, Variant(2)},  // halves to even
        {"I_I;2;;;;;0;1;;7;;", Variant(3.5), true, Variant(4)},
        {"I_I;2;;;;;0;1;;7;;", Variant(""), true, Variant()},
        {"I_D;5;;;;;0;1;;;;", Variant("  , "), true, Variant(0.0)},
        {"I_D;5;;;;;0;1;;;;", Variant("1 000.5"), true, Variant(1000.5)},
        {"I_T;8;;;;;0;1;;;;", Variant(12.5), true, Variant("12.5")},
        {"I_O;3;;;;;0;1;;5;;", Variant(5), true, Variant()},  // an unknown type holds nothing
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.def) + " <- " + r.in.toText());
        auto f = Field(r.def);
        EXPECT_EQ(f->setValueI(r.in), r.accepted);
        EXPECT_EQ(f->ValueI(), r.stored);
    }
    auto i = Field("I_I;2;;;;;0;1;;7;;");
    EXPECT_FALSE(i->setValue(Variant("12x")));
    EXPECT_EQ(i->ValueI(), Variant(7));
}

TEST_F(FieldTest, UnitLabelsAndKinds)
{
    const struct {
        const char* unit;
        const char* code;
        const char* label;
    } rows[] = {{"vl", "VL", ""}, {"%", "", "%"}, {"VALUTA", "", "CHF"}, {"", "", ""}};
    for (const auto& r : rows) {
        CLpField f;
        f.SetMyUnit(r.unit);
        EXPECT_EQ(f.UnitCode(), r.code) << r.unit;
        if (f.UnitCode().empty()) {
            EXPECT_EQ(f.UnitKZ(true), r.label) << r.unit;
        }
    }
}

TEST_F(FieldTest, ChoiceListsBothWays)
{
    CFanData rec;
    rec.Add(Field("I_Yes;2;YESNO;;;;0;1;;0;;"));
    CLpField& f = *rec.Item("I_Yes");
    EXPECT_EQ(f.CboBox(true), "|#0;No|#1;Yes");
    ASSERT_TRUE(f.setValue(Variant("Yes")));
    EXPECT_EQ(f.ValueI(), Variant(1));
    EXPECT_EQ(f.ValueStr() + " " + f.ValueF(), "1 Yes");
    EXPECT_EQ(f.FirstCBoxVal(false) + " " + f.FirstCBoxVal(true), "#0 No");
    // An unmatched text stores an empty value; a number is the value itself.
    ASSERT_TRUE(f.setValue(Variant("Maybe")));
    EXPECT_TRUE(f.ValueI().isEmpty());
    ASSERT_TRUE(f.setValue(Variant(1)));
    EXPECT_EQ(f.ValueF(), "Yes");

    // A named list of the settings file for a text field; an unknown name is
    // a one-entry list of the name itself; no name, no list.
    rec.Add(Field("I_AirDir;8;AIRDIR;;...;;1;154;;A;;"));
    EXPECT_EQ(rec.ValueF("I_AirDir"), "A - over motor");
    ASSERT_TRUE(rec.setValue("I_AirDir", Variant(" B - impeller first ")));
    EXPECT_EQ(rec.ValueI("I_AirDir"), Variant("B"));
    EXPECT_EQ(Field("I_U;8;NOLIST;;;;0;1;;;;")->CboBox(true), "|NOLIST");
    EXPECT_EQ(Field("I_N;5;;;;;0;1;;;;")->CboBox(true), "");

    // Two-column entries from the catalogue: the shown text picks the code.
    test::FakeDb db;
    db.Answer("FROM (tblFanTypes", {{"TpCode", "Code2", "TrnText"},
                                    {{Variant("AXM-S"), Variant("AXM-S"), Variant("Short casing")},
                                     {Variant("AXM-L"), Variant("AXM-L"), Variant("Long casing")}}});
    Prog().DB = &db;
    rec.Add(Field("I_Serie;8;;;;;0;1;;AXM;;"));
    rec.Add(Field("I_Type;8;FTYPE;;;;0;1;;-;;"));
    EXPECT_EQ(rec.ValueF("I_Type"), "-");
    ASSERT_TRUE(rec.setValue("I_Type", Variant("Long casing")));
    EXPECT_EQ(rec.ValueI("I_Type"), Variant("AXM-L"));
    EXPECT_EQ(rec.ValueF("I_Type"), "Long casing");
}

TEST(ChoiceList, PlainAndTwoColumnEntries)
{
    const auto e = ParseChoiceList("ignored|-|#AXM-S;AXM-S\tShort casing|#3;a;b|x\ty");
    ASSERT_EQ(e.size(), 4u);
    // more than one ";", or a tab but no ";": plain entries
    const ChoiceEntry::Kind kinds[] = {ChoiceEntry::Kind::Plain, ChoiceEntry::Kind::TwoColumn,
                                       ChoiceEntry::Kind::Plain, ChoiceEntry::Kind::Plain};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(e[i].kind, kinds[i]) << i;
    EXPECT_EQ(e[1].value + "/" + e[1].shown, "AXM-S/Short casing");
    EXPECT_EQ(JoinChoiceList(e), "|-|#AXM-S;AXM-S\tShort casing|#3;a;b|x\ty");
    EXPECT_TRUE(ParseChoiceList("").empty());
    EXPECT_TRUE(ParseChoiceList("no bar").empty());
}

// The field's three questions reach its owner.
struct Recorder : ILpFieldEvents {
    int changed = 0;
    std::string answer = "?";
    void LpField_ParentValue(const CLpField&, const std::string&, Variant& value) override { value = Variant(30.0); }
    void LpField_CboBoxData(const CLpField&, const std::string&, std::string& list) override
    {
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
    EXPECT_EQ(f->ValueI(), Variant("B"));  // "?" left: the settings file's list
    f->setValueI(Variant("A"));            // only typed values raise the event
    r.answer = "|#A;owner's text";
    EXPECT_EQ(f->ValueF(), "owner's text");
    EXPECT_TRUE(f->setValue(Variant()));
    auto n = Field("I_N;2;;;;;0;1;;;;");
    n->setOwner(&r);
    EXPECT_FALSE(n->setValue(Variant("x")));  // a failed conversion raises nothing
    EXPECT_EQ(r.changed, 2);
}

}  // namespace
