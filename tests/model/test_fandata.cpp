// The project record: building from definitions, text and file forms,
// cloning, and the choice lists it answers from the catalogue.
#include <gtest/gtest.h>

#include <fstream>

#include "ModelTestSupport.h"
#include "common/IniFile.h"
#include "common/SettingsStore.h"
#include "common/TextFile.h"
#include "model/CFanData.h"
#include "support/TestSupport.h"
#include "units/CUnit.h"

using namespace aerolyx;

namespace {

const char* kDefs =
    "[301]\n"
    "TITLE_DUTY;;;;;;;11\n"
    "I_AirFlow;5;;;;;0;120;;5000;;VL\n"
    "I_Name;8;;;btn;;0;Literal caption;7;hello;more;\n"
    "I_Yes;2;YESNO;;;;1;2;;1;;\n"
    "I_Tmp;5;;;;;0;131;;20;;T\n"
    "I_Rf;5;;;;I_Tmp;0;133;;50;;rf\n"
    "i_name;8;;;;;0;999;;second;;\n"
    "O_Price;5;;#,##0.00;;;0;370;;;;VALUTA\n"
    "O_Text;8;;;;;0;301;;;;\n"
    "[305]\n"
    "AIRDIR=|#A;A|#B;B\n";

class FanDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DisplayLocale() = NumberLocale{".", ","};
        Prog().Units = &units;
        Prog().Ini = &ini;
        Prog().DB = nullptr;
        Prog().Translator = nullptr;
        Prog().DefaultTranslator = nullptr;
        rec.LoadFanFields();
    }

    test::ProgGuard guard;
    MemorySettingsStore store;
    CUnit units{&store};
    IniFile ini = IniFile::FromText(kDefs);
    CFanData rec;
};

TEST_F(FanDataTest, BuildsFieldsFromDefinitionLines)
{
    // Caption lines are skipped; the first of two definitions of a name counts.
    ASSERT_EQ(rec.Count(), 7);
    EXPECT_EQ(rec.ItemAt(0)->FName(), "I_AirFlow");
    EXPECT_EQ(rec.ItemAt(6)->FName(), "O_Text");
    EXPECT_EQ(rec.ItemAt(7), nullptr);
    EXPECT_EQ(rec.ValueI("I_Name"), Variant("hello"));

    const CLpField* n = rec.Item("I_NAME");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->ValueType(), 8);
    EXPECT_EQ(n->Caption(), "Literal caption");
    EXPECT_EQ(n->Text2(), "T:7");
    EXPECT_EQ(n->EditButton(), "btn");
    EXPECT_EQ(n->DefValue(), "hello");
    EXPECT_EQ(n->Text3(), "more");
    EXPECT_EQ(n->ValueI(), Variant("hello"));

    const CLpField* y = rec.Item("I_Yes");
    EXPECT_EQ(y->CboName(), "YESNO");
    EXPECT_TRUE(y->CboTranslate());
    EXPECT_EQ(y->Caption(), "T:2");
    EXPECT_EQ(y->ValueI(), Variant(1));

    const CLpField* rf = rec.Item("I_Rf");
    EXPECT_EQ(rf->UnitCode(), "RF");
    EXPECT_EQ(rf->ParentName(), "I_Tmp");
    EXPECT_EQ(rec.Item("O_Price")->UnitText(), "VALUTA");
    EXPECT_EQ(rec.Item("O_Price")->FormatStr(), "#,##0.00");
    EXPECT_DOUBLE_EQ(rec.ValueI("I_AirFlow").toDouble(), 5000.0);

    // Absent names read empty and ignore writes.
    EXPECT_EQ(rec.Item("I_None"), nullptr);
    EXPECT_TRUE(rec.Value("I_None").isEmpty());
    EXPECT_FALSE(rec.setValue("I_None", Variant(1)));
    EXPECT_EQ(rec.ValueF("I_None"), "");

    // Reloading restores the defaults; without settings lines there are no fields.
    rec.setValueI("I_AirFlow", 1.0);
    rec.LoadFanFields();
    EXPECT_DOUBLE_EQ(rec.ValueI("I_AirFlow").toDouble(), 5000.0);
    Prog().Ini = nullptr;
    CFanData none;
    EXPECT_EQ(none.LoadFanFields(), 0);
}

// Definitions are parsed once per settings file; a file replaced in place,
// or moved away, must not leave the old fields behind.
TEST_F(FanDataTest, FollowsTheSettingsFileItIsGiven)
{
    ini = IniFile::FromText("[301]\nI_Other;5;;;;;0;1;;7;;\n");
    ASSERT_EQ(rec.LoadFanFields(), 1);
    EXPECT_DOUBLE_EQ(rec.ValueI("I_Other").toDouble(), 7.0);
    EXPECT_EQ(rec.Item("I_AirFlow"), nullptr);

    IniFile moved = std::move(ini);
    EXPECT_EQ(rec.LoadFanFields(), 0);
    EXPECT_EQ(rec.LoadFanFields(moved), 1);

    // A clone of a record that has lost a field still copies the rest by name.
    rec.setValueI("I_Other", 9.0);
    CFanData wider;
    IniFile both = IniFile::FromText("[301]\nI_First;5;;;;;0;1;;1;;\nI_Other;5;;;;;0;1;;7;;\n");
    wider.LoadFanFields(both);
    rec.CopyMe(wider);
    EXPECT_DOUBLE_EQ(wider.ValueI("I_Other").toDouble(), 9.0);
    EXPECT_DOUBLE_EQ(wider.ValueI("I_First").toDouble(), 1.0);
}

TEST_F(FanDataTest, TextFormsAndValueWithEquals)
{
    EXPECT_EQ(rec.ValueToStr("I_None", true), "I_None=?");
    EXPECT_EQ(rec.ValueToStr("I_None", false), "?");
    EXPECT_EQ(rec.ValueToStr("I_AirFlow", true), "I_AirFlow=5000");

    // The value is everything after the first "=".
    EXPECT_TRUE(rec.ValueFromStr("O_Text=a=b==c"));
    EXPECT_EQ(rec.ValueI("O_Text"), Variant("a=b==c"));
    EXPECT_FALSE(rec.ValueFromStr("O_Text"));
    EXPECT_FALSE(rec.ValueFromStr("Unknown=1"));
    EXPECT_TRUE(rec.ValueFromStr("o_text="));
    EXPECT_TRUE(rec.ValueI("O_Text").isEmpty());

    rec.setValueI("O_Text", Variant("x=y"));
    const std::string s = rec.WriteToString("O_");
    EXPECT_EQ(s, "O_Price=|O_Text=x=y");
    CFanData other;
    other.LoadFanFields(ini);
    other.ReadFromString(s + "| I_AirFlow=7 ", "o_");
    EXPECT_EQ(other.ValueI("O_Text"), Variant("x=y"));
    EXPECT_DOUBLE_EQ(other.ValueI("I_AirFlow").toDouble(), 5000.0);  // filtered by the prefix
    other.ReadFromString(" I_AirFlow=7 ");
    EXPECT_DOUBLE_EQ(other.ValueI("I_AirFlow").toDouble(), 7.0);

    // Clearing compares the prefix case-sensitively.
    rec.ClearAllValues("i_");
    EXPECT_FALSE(rec.ValueI("I_AirFlow").isEmpty());
    rec.ClearAllValues("I_");
    EXPECT_TRUE(rec.ValueI("I_AirFlow").isEmpty());
    EXPECT_FALSE(rec.ValueI("O_Text").isEmpty());
    rec.ClearAllValues();
    EXPECT_TRUE(rec.ValueI("O_Text").isEmpty());
}

TEST_F(FanDataTest, FilesByPrefix)
{
    test::TempDir dir;
    const std::string path = dir.file("fan.txt");
    rec.setValueI("I_AirFlow", 1234.5);
    rec.setValueI("I_Name", Variant("Ä=ö"));
    rec.setValueI("O_Text", Variant("out"));
    ASSERT_TRUE(rec.WriteToFile(path, "I_"));
    std::string content;
    ASSERT_TRUE(ReadTextFile(path, content));
    EXPECT_EQ(content, "I_AirFlow=1234.5\nI_Name=Ä=ö\nI_Yes=1\nI_Tmp=20\nI_Rf=50\n");

    CFanData other;
    other.LoadFanFields(ini);
    other.setValueI("O_Text", Variant("keep"));
    other.setValueI("I_Yes", 0);
    ASSERT_TRUE(other.ReadFromFile(path, "i_"));
    EXPECT_DOUBLE_EQ(other.ValueI("I_AirFlow").toDouble(), 1234.5);
    EXPECT_EQ(other.ValueI("I_Name"), Variant("Ä=ö"));
    EXPECT_EQ(other.ValueI("I_Yes"), Variant(1));
    EXPECT_EQ(other.ValueI("O_Text"), Variant("keep"));

    // Blank lines, unknown names and lines without "=" are skipped; lines are trimmed.
    test::TempDir d2;
    const std::string p2 = d2.write("f.txt", "\r\n  O_Text = no\r\n O_Text=yes  \r\nNope=1\r\ngarbage\r\n");
    ASSERT_TRUE(other.ReadFromFile(p2));
    EXPECT_EQ(other.ValueI("O_Text"), Variant("yes"));

    // A value's line break cannot smuggle in another field.
    rec.setValueI("O_Text", Variant("a\r\nI_AirFlow=1\nb"));
    ASSERT_TRUE(rec.WriteToFile(p2));
    ASSERT_TRUE(other.ReadFromFile(p2));
    EXPECT_EQ(other.ValueI("O_Text"), Variant("a<LF>I_AirFlow=1<LF>b"));
    EXPECT_DOUBLE_EQ(other.ValueI("I_AirFlow").toDouble(), 1234.5);

    // A missing file reports failure and changes nothing.
    std::string error;
    EXPECT_FALSE(other.ReadFromFile(dir.file("missing.txt"), "", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(other.ValueI("O_Text"), Variant("a<LF>I_AirFlow=1<LF>b"));

    // A write that cannot happen fails without touching the old file.
    EXPECT_FALSE(rec.WriteToFile(dir.file("no/such/dir/fan.txt"), "", &error));
    ASSERT_TRUE(ReadTextFile(path, content));
    EXPECT_NE(content.find("I_AirFlow=1234.5"), std::string::npos);
}

TEST_F(FanDataTest, CloneCopyAndMoveKeepStoredValuesAndEvents)
{
    units.SetUnitCode("VL", "m3/s");
    rec.setValue("I_AirFlow", Variant("2"));
    rec.setValueI("O_Text", Variant("t"));
    auto clone = rec.CloneMe();
    ASSERT_EQ(clone->Count(), rec.Count());
    EXPECT_DOUBLE_EQ(clone->ValueI("I_AirFlow").toDouble(), 7200.0);
    units.SetUnitCode("VL", "m3/h");
    EXPECT_DOUBLE_EQ(clone->Value("I_AirFlow").toDouble(), 7200.0);
    clone->setValueI("O_Text", Variant("changed"));
    EXPECT_EQ(rec.ValueI("O_Text"), Variant("t"));

    CFanData target;
    target.LoadFanFields(ini);
    target.Remove("O_Text");
    rec.CopyMe(target);
    EXPECT_DOUBLE_EQ(target.ValueI("I_AirFlow").toDouble(), 7200.0);
    EXPECT_EQ(target.Item("O_Text"), nullptr);
    EXPECT_EQ(target.Count(), rec.Count() - 1);

    // A moved record still answers its fields' questions.
    target.SetToField("I_Rf");
    CFanData moved = std::move(target);
    EXPECT_EQ(moved.ActField(), moved.Item("I_Rf"));
    EXPECT_EQ(moved.Item("I_Yes")->CboBox(false), "|#0;No|#1;Yes");
    EXPECT_EQ(moved.Item("I_Rf")->owner(), &moved);
    moved.ActFieldSave();
    moved.SetToField("nothing");
    EXPECT_EQ(moved.ActField(), nullptr);
    moved.ActFieldRestore();
    EXPECT_EQ(moved.ActField(), moved.Item("I_Rf"));
    moved.Remove("I_Rf");
    moved.ActFieldRestore();
    EXPECT_EQ(moved.ActField(), nullptr);
}

TEST_F(FanDataTest, CatalogueListsQuoteSplicedValuesAndFallBack)
{
    test::FakeDb db;
    Prog().DB = &db;
    db.Answer("FROM tblFab00", {{"Fab0ID", "Fab0TextS"}, {{Variant(1), Variant("North")}, {Variant(2), Variant()}}});
    db.Answer("MotExClass", {{"MotExClass"}, {{Variant()}, {Variant("EEx")}}});
    db.Answer("FROM (tblFanTypes", {{"a", "b", "c"}, {{Variant(), Variant("X"), Variant("Desc")}}});
    EXPECT_EQ(rec.ChoiceListFor("motfab"), "|#1;North|#2;");
    EXPECT_EQ(rec.ChoiceListFor("MOTEXCLS"), "|-|EEx");
    EXPECT_EQ(rec.ChoiceListFor("MOTPOL"), "|#0;-");   // no rows: the initial entry stays
    EXPECT_EQ(rec.ChoiceListFor("MOTVOLT"), "|#0;-");  // no rows of a two-column query
    EXPECT_EQ(rec.ChoiceListFor("SIZED"), "|-");
    EXPECT_EQ(rec.ChoiceListFor("YESNO"), "|#0;No|#1;Yes");
    EXPECT_EQ(rec.ChoiceListFor("AIRDIR"), "?");

    // Text from the record is spliced with its quotes doubled.
    CFanData r2;
    ASSERT_TRUE(r2.Add(CFanData::FieldFromDefinition("I_Serie;8;;;;;0;1;;;;")));
    r2.setValueI("I_Serie", Variant("AX'M"));
    EXPECT_EQ(r2.ChoiceListFor("FTYPE"), "|-|#-;X\tDesc");
    EXPECT_NE(db.queries.back().find("tblFanTpSe.TsCode='AX''M'"), std::string::npos);

    // A failing or missing catalogue gives the empty-result lists.
    db.fail = true;
    EXPECT_EQ(rec.ChoiceListFor("MOTFAB"), "|#0;-");
    EXPECT_EQ(rec.ChoiceListFor("MOTEXCLS"), "|-");
    EXPECT_EQ(rec.ChoiceListFor("FTYPE"), "|-");
    Prog().DB = nullptr;
    EXPECT_EQ(rec.ChoiceListFor("SERIE"), "|#0;-");
    EXPECT_EQ(rec.Item("I_Yes")->CboBox(true), "|#0;No|#1;Yes");
}

}  // namespace
