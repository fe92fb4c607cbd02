// The project record: building from definitions, text and file forms,
// cloning, and the choice lists it answers from the catalogue.
#include <gtest/gtest.h>

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
    "[305]\nAIRDIR=|#A;A|#B;B\n";

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
    const CLpField* n = rec.Item("I_NAME");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->Caption() + "|" + n->Text2() + "|" + n->EditButton() + "|" + n->Text3() + "|" + n->ValueI().toText(),
              "Literal caption|T:7|btn|more|hello");
    const CLpField* y = rec.Item("I_Yes");
    EXPECT_TRUE(y->CboTranslate());
    EXPECT_EQ(y->Caption() + "|" + y->CboName(), "T:2|YESNO");
    EXPECT_EQ(rec.Item("I_Rf")->UnitCode() + "|" + rec.Item("I_Rf")->ParentName(), "RF|I_Tmp");
    EXPECT_EQ(rec.Item("O_Price")->UnitText(), "VALUTA");

    // Absent names read empty and ignore writes.
    EXPECT_EQ(rec.Item("I_None"), nullptr);
    EXPECT_TRUE(rec.Value("I_None").isEmpty());
    EXPECT_FALSE(rec.setValue("I_None", Variant(1)));

    // Reloading restores the defaults; without settings there are no fields.
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
    EXPECT_EQ(rec.Item("I_AirFlow"), nullptr);
    IniFile moved = std::move(ini);
    EXPECT_EQ(rec.LoadFanFields(), 0);
    EXPECT_EQ(rec.LoadFanFields(moved), 1);

    // A clone into a record with other fields copies what both have, by name.
    rec.setValueI("I_Other", 9.0);
    CFanData wider;
    IniFile both = IniFile::FromText("[301]\nI_First;5;;;;;0;1;;1;;\nI_Other;5;;;;;0;1;;7;;\n");
    wider.LoadFanFields(both);
    rec.CopyMe(wider);
    EXPECT_EQ(wider.WriteToString(), "I_First=1|I_Other=9");
}

TEST_F(FanDataTest, TextFormsAndValueWithEquals)
{
    EXPECT_EQ(rec.ValueToStr("I_None", true) + " " + rec.ValueToStr("I_AirFlow", true), "I_None=? I_AirFlow=5000");
    // The value is everything after the first "=".
    EXPECT_TRUE(rec.ValueFromStr("O_Text=a=b==c"));
    EXPECT_EQ(rec.ValueI("O_Text"), Variant("a=b==c"));
    EXPECT_FALSE(rec.ValueFromStr("O_Text"));
    EXPECT_FALSE(rec.ValueFromStr("Unknown=1"));

    rec.setValueI("O_Text", Variant("x=y"));
    const std::string s = rec.WriteToString("O_");
    EXPECT_EQ(s, "O_Price=|O_Text=x=y");
    CFanData other;
    other.LoadFanFields(ini);
    other.ReadFromString(s + "| I_AirFlow=7 ", "o_");  // filtered by the prefix
    EXPECT_EQ(other.WriteToString(), "I_AirFlow=5000|I_Name=hello|I_Yes=1|I_Tmp=20|I_Rf=50|O_Price=|O_Text=x=y");

    // Clearing compares the prefix case-sensitively.
    rec.ClearAllValues("i_");
    EXPECT_FALSE(rec.ValueI("I_AirFlow").isEmpty());
    rec.ClearAllValues("I_");
    EXPECT_TRUE(rec.ValueI("I_AirFlow").isEmpty());
    EXPECT_FALSE(rec.ValueI("O_Text").isEmpty());
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
    EXPECT_EQ(other.WriteToString(), "I_AirFlow=1234.5|I_Name=Ä=ö|I_Yes=1|I_Tmp=20|I_Rf=50|O_Price=|O_Text=keep");

    // Blank lines, unknown names and lines without "=" are skipped; lines are trimmed.
    const std::string p2 = dir.write("f.txt", "\r\n  O_Text = no\r\n O_Text=yes  \r\nNope=1\r\ngarbage\r\n");
    ASSERT_TRUE(other.ReadFromFile(p2));
    EXPECT_EQ(other.ValueI("O_Text"), Variant("yes"));

    // A value's line break cannot smuggle in another field.
    rec.setValueI("O_Text", Variant("a\r\nI_AirFlow=1\nb"));
    ASSERT_TRUE(rec.WriteToFile(p2));
    ASSERT_TRUE(other.ReadFromFile(p2));
    EXPECT_EQ(other.ValueI("O_Text"), Variant("a<LF>I_AirFlow=1<LF>b"));
    EXPECT_DOUBLE_EQ(other.ValueI("I_AirFlow").toDouble(), 1234.5);

    // A missing file or an impossible write reports failure and changes nothing.
    std::string error;
    EXPECT_FALSE(other.ReadFromFile(dir.file("missing.txt"), "", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(other.ValueI("O_Text"), Variant("a<LF>I_AirFlow=1<LF>b"));
    EXPECT_FALSE(rec.WriteToFile(dir.file("no/such/dir/fan.txt"), "", &error));
}

TEST_F(FanDataTest, CloneCopyAndMoveKeepStoredValuesAndEvents)
{
    units.SetUnitCode("VL", "m3/s");
    rec.setValue("I_AirFlow", Variant("2"));
    auto clone = rec.CloneMe();
    EXPECT_EQ(clone->WriteToString(), rec.WriteToString());
    units.SetUnitCode("VL", "m3/h");
    EXPECT_DOUBLE_EQ(clone->Value("I_AirFlow").toDouble(), 7200.0);  // stored, not shown, values travel
    clone->setValueI("O_Text", Variant("changed"));
    EXPECT_TRUE(rec.ValueI("O_Text").isEmpty());

    // A moved record still answers its fields' questions.
    rec.SetToField("I_Rf");
    CFanData moved = std::move(rec);
    EXPECT_EQ(moved.ActField(), moved.Item("I_Rf"));
    EXPECT_EQ(moved.Item("I_Rf")->owner(), &moved);
    EXPECT_EQ(moved.Item("I_Yes")->CboBox(false), "|#0;No|#1;Yes");
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
    const std::pair<const char*, const char*> lists[] = {
        {"motfab", "|#1;North|#2;"}, {"MOTEXCLS", "|-|EEx"},
        {"MOTPOL", "|#0;-"},  // no rows: the initial entry stays
        {"SIZED", "|-"},      {"YESNO", "|#0;No|#1;Yes"}, {"AIRDIR", "?"}};
    for (const auto& [name, list] : lists) EXPECT_EQ(rec.ChoiceListFor(name), list) << name;

    // Text from the record is spliced with its quotes doubled.
    CFanData r2;
    ASSERT_TRUE(r2.Add(CFanData::FieldFromDefinition("I_Serie;8;;;;;0;1;;;;")));
    r2.setValueI("I_Serie", Variant("AX'M"));
    EXPECT_EQ(r2.ChoiceListFor("FTYPE"), "|-|#-;X\tDesc");
    EXPECT_NE(db.queries.back().find("'AX''M'"), std::string::npos);

    // A failing or missing catalogue gives the empty-result lists.
    db.fail = true;
    EXPECT_EQ(rec.ChoiceListFor("MOTFAB") + " " + rec.ChoiceListFor("FTYPE"), "|#0;- |-");
    Prog().DB = nullptr;
    EXPECT_EQ(rec.ChoiceListFor("SERIE"), "|#0;-");
    EXPECT_EQ(rec.Item("I_Yes")->CboBox(true), "|#0;No|#1;Yes");
}

}  // namespace
