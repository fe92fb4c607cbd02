// The project record and its fields: building from definitions, value
// forms (display, stored, file, formatted) with unit conversion, text and
// file forms of the record, cloning, and choice lists. The integrity of the
// shipped data folder: the settings file's field definitions, grid rows and
// choice lists, and the three text tables. The project file and the
// project-information logic: save and reload of every stored value, the
// dialog's fill and store, rebate re-pricing, and saving when the file system
// works against it (a read-only folder, a full disk, a save cut short): the
// file on disk is always the previous complete save, and the user is told.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ModelTestSupport.h"
#include "common/NumText.h"
#include "common/StrUtil.h"
#include "lang/MessageSink.h"
#include "model/CLpField.h"
#include "model/GridRows.h"
#include "model/ProjectInfo.h"
#include "units/CMollier.h"

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
    "[305]\nAIRDIR=|#A;A - over motor|#B;B - impeller first\n";

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DisplayLocale() = NumberLocale{".", ","};
        Prog().Units = &units;
        Prog().Mollier = &mollier;
        Prog().Ini = &ini;
        Prog().DB = nullptr;
        Prog().Translator = nullptr;
        Prog().DefaultTranslator = nullptr;
        Prog().PriceCurrency = "CHF";
        rec.LoadFanFields();
    }

    // A field from a definition line, holding its default.
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
    IniFile ini = IniFile::FromText(kDefs);
    CFanData rec;
};

TEST_F(RecordTest, BuildsFieldsFromDefinitionLines)
{
    // Caption lines are skipped; the first of two definitions of a name counts.
    ASSERT_EQ(rec.Count(), 7);
    const CLpField* n = rec.Item("I_NAME");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->Caption() + "|" + n->Text2() + "|" + n->EditButton() + "|" + n->Text3() + "|" + n->ValueI().toText(),
              "Literal caption|T:7|btn|more|hello");
    EXPECT_EQ(rec.Item("I_Yes")->Caption(), "T:2");  // a numeric caption is a text ID
    EXPECT_FALSE(rec.setValue("I_None", Variant(1)));  // absent names ignore writes

    // Without settings there are no fields.
    Prog().Ini = nullptr;
    CFanData none;
    EXPECT_EQ(none.LoadFanFields(), 0);
}

// Definitions are parsed once per settings file; a file replaced in place,
// or moved away, must not leave the old fields behind.
TEST_F(RecordTest, FollowsTheSettingsFileItIsGiven)
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

// Both forms filter by a prefix (written case-sensitively, read not) and take
// the value as everything after the first "="; every field's round trip is
// the project file's test.
TEST_F(RecordTest, StringAndFileFormsByPrefix)
{
    EXPECT_EQ(rec.ValueToStr("I_None", true), "I_None=?");
    EXPECT_TRUE(rec.ValueFromStr("O_Text=a=b==c"));
    EXPECT_FALSE(rec.ValueFromStr("O_Text") || rec.ValueFromStr("Unknown=1"));
    EXPECT_EQ(rec.WriteToString("O_"), "O_Price=|O_Text=a=b==c");
    CFanData other;
    other.LoadFanFields(ini);
    other.ReadFromString("O_Text=x| I_AirFlow=7 ", "o_");
    EXPECT_EQ(other.ValueToStr("O_Text", false) + " " + other.ValueToStr("I_AirFlow", false), "x 5000");

    test::TempDir dir;
    const std::string path = dir.file("fan.txt");
    rec.setValueI("I_AirFlow", 1234.5);
    ASSERT_TRUE(rec.WriteToFile(path, "I_"));
    std::string content;
    ASSERT_TRUE(ReadTextFile(path, content));
    EXPECT_EQ(content, "I_AirFlow=1234.5\nI_Name=hello\nI_Yes=1\nI_Tmp=20\nI_Rf=50\n");

    // Blank lines, unknown names and lines without "=" are skipped; lines are trimmed.
    const std::string p2 = dir.write("f.txt", "\r\n  O_Text = no\r\n O_Text=yes  \r\nNope=1\r\ngarbage\r\n");
    ASSERT_TRUE(other.ReadFromFile(p2, "o_"));
    EXPECT_EQ(other.ValueI("O_Text"), Variant("yes"));

    // A value's line break cannot smuggle in another field.
    rec.setValueI("O_Text", Variant("a\r\nI_AirFlow=1\nb"));
    ASSERT_TRUE(rec.WriteToFile(p2));
    ASSERT_TRUE(other.ReadFromFile(p2));
    EXPECT_EQ(other.ValueI("O_Text"), Variant("a<LF>I_AirFlow=1<LF>b"));
    EXPECT_DOUBLE_EQ(other.ValueI("I_AirFlow").toDouble(), 1234.5);
    EXPECT_FALSE(other.ReadFromFile(dir.file("missing.txt")));
}

TEST_F(RecordTest, CloneCopyAndMoveKeepStoredValuesAndEvents)
{
    units.SetUnitCode("VL", "m3/s");
    rec.setValue("I_AirFlow", Variant("2"));
    auto clone = rec.CloneMe();
    EXPECT_EQ(clone->WriteToString(), rec.WriteToString());
    units.SetUnitCode("VL", "m3/h");
    EXPECT_DOUBLE_EQ(clone->Value("I_AirFlow").toDouble(), 7200.0);  // stored, not shown, values travel
    clone->setValueI("O_Text", Variant("changed"));
    EXPECT_TRUE(rec.ValueI("O_Text").isEmpty());

    // A moved record still answers its fields' questions; a removed field
    // leaves no pointer to it behind.
    rec.SetToField("I_Rf");
    rec.ActFieldSave();
    CFanData moved = std::move(rec);
    EXPECT_EQ(moved.ActField(), moved.Item("I_Rf"));
    EXPECT_EQ(moved.Item("I_Rf")->owner(), &moved);
    EXPECT_EQ(moved.Item("I_Yes")->CboBox(false), "|#0;No|#1;Yes");
    moved.Remove("I_Rf");
    moved.ActFieldRestore();
    EXPECT_EQ(moved.ActField(), nullptr);
}

TEST_F(RecordTest, CatalogueListsQuoteSplicedValuesAndFallBack)
{
    test::FakeDb db;
    Prog().DB = &db;
    db.Answer("FROM tblFab00", {{"Fab0ID", "Fab0TextS"}, {{Variant(1), Variant("North")}, {Variant(2), Variant()}}});
    db.Answer("MotExClass", {{"MotExClass"}, {{Variant()}, {Variant("EEx")}}});
    db.Answer("FROM (tblFanTypes", {{"a", "b", "c"},
                                    {{Variant(), Variant("X"), Variant("Desc")},
                                     {Variant("AXM-L"), Variant("AXM-L"), Variant("Long casing")}}});
    const std::pair<const char*, const char*> lists[] = {
        {"motfab", "|#1;North|#2;"}, {"MOTEXCLS", "|-|EEx"},
        {"MOTPOL", "|#0;-"},  // no rows: the initial entry stays
        {"SIZED", "|-"},      {"YESNO", "|#0;No|#1;Yes"}, {"AIRDIR", "?"}};
    for (const auto& [name, list] : lists) EXPECT_EQ(rec.ChoiceListFor(name), list) << name;

    // Text from the record is spliced with its quotes doubled.
    CFanData r2;
    ASSERT_TRUE(r2.Add(CFanData::FieldFromDefinition("I_Serie;8;;;;;0;1;;;;")));
    r2.setValueI("I_Serie", Variant("AX'M"));
    EXPECT_EQ(r2.ChoiceListFor("FTYPE"), "|-|#-;X\tDesc|#AXM-L;AXM-L\tLong casing");
    EXPECT_NE(db.queries.back().find("'AX''M'"), std::string::npos);
    // A two-column entry: the shown text picks the code.
    ASSERT_TRUE(r2.Add(Field("I_Type;8;FTYPE;;;;0;1;;-;;")));
    ASSERT_TRUE(r2.setValue("I_Type", Variant("Long casing")));
    EXPECT_EQ(r2.ValueI("I_Type").toText() + " " + r2.ValueF("I_Type"), "AXM-L Long casing");

    // A failing or missing catalogue gives the empty-result lists.
    db.fail = true;
    EXPECT_EQ(rec.ChoiceListFor("MOTFAB") + " " + rec.ChoiceListFor("FTYPE"), "|#0;- |-");
    Prog().DB = nullptr;
    EXPECT_EQ(rec.ChoiceListFor("SERIE"), "|#0;-");
    EXPECT_EQ(rec.Item("I_Yes")->CboBox(true), "|#0;No|#1;Yes");
}

TEST_F(RecordTest, UnitFieldsConvertAndLabel)
{
    auto f = Field("I_AirFlow;5;;;;;0;120;;;;vl");
    units.SetUnitCode("VL", "m3/s");
    ASSERT_TRUE(f->setValue(Variant("1")));
    EXPECT_DOUBLE_EQ(f->ValueI().toDouble(), 3600.0);
    EXPECT_EQ(f->ValueF() + " " + f->UnitKZ(false) + " / " + f->ValueStr(), "1.000 m3/s / 3600");
    units.SetUnitCode("VL", "m3/h");
    EXPECT_EQ(f->ValueF(), "3,600");
    // Empty passes through both conversions.
    ASSERT_TRUE(f->setValue(Variant()));
    EXPECT_EQ(f->ValueF() + f->ValueStr(), "");

    // Humidity as enthalpy depends on the related field's temperature, and
    // the owner's answer for it reaches the conversion both ways: 50 % at
    // 30 degC (not the default 20) is 64.3 kJ/kg.
    units.SetUnitCode("RF", "kJ/kg");
    rec.setValueI("I_Tmp", 30.0);
    EXPECT_NEAR(rec.Value("I_Rf").toDouble(), 64.3, 0.3);
    ASSERT_TRUE(rec.setValue("I_Rf", Variant(64.3)));
    EXPECT_NEAR(rec.ValueI("I_Rf").toDouble(), 50, 0.5);

    // A unit kind becomes the code, anything else a fixed label; "VALUTA" is the currency.
    for (const auto& [unit, shown] : {std::pair{"vl", "m3/h"}, {"%", "%"}, {"VALUTA", "CHF"}, {"", ""}}) {
        CLpField plain;
        plain.SetMyUnit(unit);
        EXPECT_EQ(plain.UnitKZ(true), shown) << unit;
    }
}

TEST_F(RecordTest, DisplayFormatsFollowTheLocaleTheFileFormDoesNot)
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

TEST_F(RecordTest, RawValuesConvertToTheFieldTypeOrChangeNothing)
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

// The field asks its owner for its list and tells it of typed values only.
struct Recorder : ILpFieldEvents {
    int changed = 0;
    void LpField_ParentValue(const CLpField&, const std::string&, Variant& value) override { value = Variant(); }
    void LpField_CboBoxData(const CLpField&, const std::string&, std::string& list) override { list = "|#A;owner's"; }
    void LpField_ValueChanged(CLpField&) override { ++changed; }
};

TEST_F(RecordTest, ChoiceListsBothWaysAndFromTheOwner)
{
    CLpField& f = *rec.Item("I_Yes");
    ASSERT_TRUE(f.setValue(Variant("Yes")));
    EXPECT_EQ(f.ValueStr() + " " + f.ValueF(), "1 Yes");
    // An unmatched text stores an empty value.
    ASSERT_TRUE(f.setValue(Variant("Maybe")));
    EXPECT_TRUE(f.ValueI().isEmpty());

    // A named list of the settings file for a text field; an unknown name is
    // a one-entry list of the name itself; no name, no list.
    CFanData r;
    r.Add(Field("I_AirDir;8;AIRDIR;;...;;1;154;;A;;"));
    EXPECT_EQ(r.ValueF("I_AirDir"), "A - over motor");
    ASSERT_TRUE(r.setValue("I_AirDir", Variant(" B - impeller first ")));
    EXPECT_EQ(r.ValueI("I_AirDir"), Variant("B"));
    EXPECT_EQ(Field("I_U;8;NOLIST;;;;0;1;;;;")->CboBox(true), "|NOLIST");
    EXPECT_EQ(Field("I_N;5;;;;;0;1;;;;")->CboBox(true), "");

    Recorder owner;
    auto x = Field("I_X;8;AIRDIR;;;;0;1;;;;");
    x->setOwner(&owner);
    EXPECT_TRUE(x->setValue(Variant("owner's")));
    EXPECT_EQ(x->ValueI(), Variant("A"));
    x->setValueI(Variant("B"));
    EXPECT_EQ(owner.changed, 1);
}

std::map<int, std::string> LangTable(const std::string& code)
{
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadTextLines(JoinPath(test::BuiltDataDir(), "Lang_" + code + ".txt"), lines)) << code;
    std::map<int, std::string> t;
    for (const auto& l : lines) {
        if (l.size() < 5 || l[4] != ':' || !IsNumeric(l.substr(0, 4))) continue;
        const int id = static_cast<int>(TextToNum(l.substr(0, 4)));
        EXPECT_TRUE(t.emplace(id, l.substr(5)).second) << code << " repeats ID " << id;
    }
    return t;
}

int TextId(const std::string& caption) { return StartsWith(caption, "T:") ? static_cast<int>(TextToNum(caption.substr(2))) : 0; }

using DataFolderTest = test::DataFolderFixture;

TEST_F(DataFolderTest, FieldDefinitionsAndGridRows)
{
    int first = 0, last = 0;
    ini.IniSectionRange("0301", first, last);
    ASSERT_GT(last, first);
    std::set<std::string, ILess> names;
    std::set<std::string, ILess> titles;
    for (int i = first; i <= last; ++i) {
        const std::string line = ini.IniLines()[static_cast<std::size_t>(i)].substr(4);
        const auto cols = Split(line, ';');
        if (IStartsWith(cols[0], "TITLE_")) {
            ASSERT_GE(cols.size(), 8u) << line;
            EXPECT_GT(TextToNum(cols[7]), 0) << line;
            titles.insert(cols[0].substr(6));
            continue;
        }
        ASSERT_EQ(cols.size(), 12u) << line;
        EXPECT_TRUE(std::regex_match(cols[0], std::regex("[IO]_[A-Za-z0-9]+"))) << line;
        EXPECT_TRUE(names.insert(cols[0]).second) << "defined twice: " << cols[0];
        const int type = static_cast<int>(TextToNum(cols[1]));
        EXPECT_TRUE(type == 2 || type == 5 || type == 8) << line;
        // a list is the catalogue's ("?" for any other name) or the settings file's
        if (!cols[2].empty()) {
            EXPECT_TRUE(rec.ChoiceListFor(cols[2]) != "?" || ini.IniComboList(cols[2]) != "|" + cols[2]) << line;
        }
        if (!cols[5].empty()) {
            EXPECT_TRUE(names.count(cols[5])) << "related field defined later or absent: " << line;
        }
        // A numeric field's default is a number in the file form.
        if (type != 8 && !cols[9].empty()) {
            EXPECT_TRUE(IsNumeric(cols[9])) << line;
        }
    }

    EXPECT_EQ(rec.Count(), static_cast<int>(names.size()));

    for (const char* code : {"0310", "0311"}) {
        const auto rows = ReadGridRows(ini, code);
        ASSERT_GT(rows.size(), 10u) << code;
        std::set<std::string, ILess> shown;
        for (const auto& r : rows) {
            if (r.title) {
                EXPECT_TRUE(titles.count(r.key)) << r.key;  // its caption: the language test
                continue;
            }
            EXPECT_FALSE(r.field1.empty() && r.field2.empty()) << code;
            for (const auto& n : {r.field1, r.field2}) {
                if (n.empty()) continue;
                EXPECT_NE(rec.Item(n), nullptr) << code << " names an undefined field " << n;
                EXPECT_TRUE(shown.insert(n).second) << code << " shows " << n << " twice";
            }
        }
    }
}

// Every field name the program's code spells out is defined, and every text
// it translates by its English wording is in the English table; a name or
// text cut short, to be completed in the code, begins a defined one.
TEST_F(DataFolderTest, NamesAndTextsTheCodeSpellsOutExist)
{
    const auto en = LangTable("EN");
    static const std::regex field(R"re("([IO]_[A-Za-z0-9]+)")re"), tr(R"re(\bTr\("([^"]+)")re");
    int fields = 0, texts = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(JoinPath(test::SourceDir(), "src"))) {
        std::string code;
        if (!e.is_regular_file() || !ReadTextFile(e.path().string(), code)) continue;
        const std::string where = " in " + e.path().filename().string();
        for (std::sregex_iterator m(code.begin(), code.end(), field), end; m != end; ++m, ++fields) {
            bool found = false;
            for (const auto& f : rec) found = found || IStartsWith(f.FName(), (*m)[1].str());
            EXPECT_TRUE(found) << (*m)[1] << where;
        }
        for (std::sregex_iterator m(code.begin(), code.end(), tr), end; m != end; ++m, ++texts) {
            bool found = false;
            for (const auto& [id, text] : en) found = found || StartsWith(text, (*m)[1].str());
            EXPECT_TRUE(found) << "Tr(\"" << (*m)[1] << "\")" << where;
        }
    }
    EXPECT_GT(fields, 300);
    EXPECT_GT(texts, 40);
}

TEST_F(DataFolderTest, LanguageFilesShareTheirIdsAndHoldEveryCaption)
{
    const auto en = LangTable("EN");
    const auto de = LangTable("DE");
    const auto it = LangTable("IT");
    ASSERT_GT(en.size(), 100u);
    for (const auto& [id, text] : en) {
        EXPECT_FALSE(Trim(text).empty()) << id;
        EXPECT_TRUE(de.count(id)) << "DE lacks " << id;
        EXPECT_TRUE(it.count(id)) << "IT lacks " << id;
    }

    // The first line names the language.
    EXPECT_EQ(en.at(1) + " " + de.at(1) + " " + it.at(1), "English Deutsch Italiano");

    // Every caption of a field, a title row and a pressure-drop accessory type.
    for (const auto& f : rec)
        EXPECT_TRUE(en.count(TextId(f.Caption()))) << f.FName() << " " << f.Caption();
    for (const char* code : {"0310", "0311"})
        for (const auto& r : ReadGridRows(ini, code))
            if (r.title) {
                std::string caption;
                ASSERT_TRUE(TitleCaption(ini, r.key, caption));
                EXPECT_TRUE(en.count(TextId(caption))) << r.key;
            }
    for (int id = 281; id <= 285; ++id) EXPECT_TRUE(en.count(id)) << id;
}

class ProjectTest : public test::DataFolderFixture {
protected:
    void SetUp() override
    {
        DataFolderFixture::SetUp();
        DisplayLocale() = NumberLocale{",", "."};  // files must not depend on it
        Prog().Rebate = 0;
        SetAccessoryPricing({});
    }
    void TearDown() override { SetAccessoryPricing({}); }
};

TEST_F(ProjectTest, SaveAndReloadRestoresEveryStoredValue)
{
    // A distinct value in every field, of the field's own type.
    int n = 0;
    for (auto& f : rec) {
        ++n;
        switch (f.ValueType()) {
        case 2: f.setValueI(n); break;
        case 5: f.setValueI(n + 0.125 + 1e-7 * n); break;
        default: f.setValueI(Variant("v" + std::to_string(n) + " ä=é;#|x")); break;
        }
    }
    rec.setValueI("I_Notes", Variant("line 1<LF>line 2"));
    rec.setValueI("I_PresT", Variant());  // an empty value stays empty
    test::TempDir dir;
    const std::string path = dir.file("project.txt");
    ASSERT_TRUE(SaveProjectFile(rec, path, true));

    CFanData loaded;
    loaded.LoadFanFields();
    bool outdated = true;
    ASSERT_TRUE(OpenProjectFile(loaded, path, outdated));
    EXPECT_FALSE(outdated);
    for (const auto& f : rec) {
        const Variant& got = loaded.ValueI(f.FName());
        EXPECT_EQ(got, f.ValueI()) << f.FName() << ": " << got.toText() << " vs " << f.ValueI().toText();
    }

    // Saved as outdated, the loaded project is marked outdated.
    ASSERT_TRUE(SaveProjectFile(rec, path, false));
    ASSERT_TRUE(OpenProjectFile(loaded, path, outdated));
    EXPECT_TRUE(outdated);
    EXPECT_FALSE(OpenProjectFile(loaded, dir.file("nothing.txt"), outdated));
}

TEST_F(ProjectTest, LoadingSetsTheRebateFromTheProject)
{
    test::TempDir dir;
    // The project's rebate wins; without a valid one the present one stays.
    const std::pair<const char*, double> files[] = {
        {"I_Rebate=7.5\nO_Calc=1\n", 7.5}, {"I_Project=P\n", 12.5}, {"I_Rebate=100\n", 12.5}};
    for (const auto& [text, rebate] : files) {
        rec.setValueI("I_Rebate", 12.5);
        Prog().Rebate = 12.5;
        bool outdated = false;
        ASSERT_TRUE(OpenProjectFile(rec, dir.write("p.txt", text), outdated)) << text;
        EXPECT_DOUBLE_EQ(Prog().Rebate, rebate) << text;
    }
}

TEST_F(ProjectTest, FillAndStoreTheProjectDialog)
{
    settings.Set("User", "Name", "Ann");
    settings.Set("User", "Days", "4 weeks");
    settings.Set("Settings", "MyCity", "Elsewhere");
    rec.ReadFromString("I_UserMail=own@x|I_Notes=first<LF>second");
    Prog().Rebate = 2.5;

    ProjectInfoValues v = FillProjectFields(rec, "07.12.26");
    // The user's own texts fill empty fields only; the settings' company
    // lines win over the settings file's.
    EXPECT_EQ(rec.ValueI("I_UserMail"), Variant("own@x"));
    EXPECT_EQ(rec.ValueI("I_LiDate"), Variant("4 weeks"));
    EXPECT_EQ(v.texts[4] + "|" + v.notes + "|" + v.rebate + "|" + v.date, "Ann|first\nsecond|2,5|07.12.26");
    EXPECT_TRUE(v.prtPrs);  // the definition's default
    EXPECT_EQ(v.company[0], ini.IniValue("0000MyName"));
    EXPECT_EQ(v.company[2], "Elsewhere");

    v.texts[0] = "Tunnel";
    v.texts[4] = "Bob";
    v.notes = "a\r\nb\nc";
    v.prtPrs = false;
    v.company[5] = "me@company";
    v.date = "08.12.26";
    ASSERT_TRUE(StoreProjectFields(rec, v));
    const char* stored = "I_Project=Tunnel|I_Notes=a<LF>b<LF>c|I_PrtPrs=0|I_Date=08.12.26|I_Rebate=2.5";
    std::string got;
    for (const std::string& kv : Split(stored, '|'))
        got += (got.empty() ? "" : "|") + rec.ValueToStr(kv.substr(0, kv.find('=')), true);
    EXPECT_EQ(got, stored);
    EXPECT_EQ(settings.Get("User", "Name", "") + " " + settings.Get("Settings", "MyMail", "") + " " +
                  settings.Get("Settings", "Rebate", ""),
              "Bob me@company 2.5");
}

// How each price is re-based is the selection's test; here the dialog's
// part: when it re-prices, and what it refuses.
TEST_F(ProjectTest, RebateChangeRepricesAndInvalidRebatesAreRefused)
{
    EXPECT_DOUBLE_EQ(RepriceValue(100.0, 0, 12.345), 87.66);  // 87.655 rounds up
    EXPECT_DOUBLE_EQ(RepriceValue(50.0, 100, 0), 50.0);       // never divides by zero
    EXPECT_FALSE(RepriceProject(rec, 0, 100));

    int pricingCalls = 0;
    SetAccessoryPricing([&](CFanData&) { ++pricingCalls; });
    Prog().Rebate = 10;
    rec.ReadFromString("I_Rebate=10|O_SumPrice=135");
    ProjectInfoValues v = FillProjectFields(rec, "today");

    // Unchanged rebate: no price moves (one pricing call at the end).
    ASSERT_TRUE(StoreProjectFields(rec, v));

    // Refused rebates: a message and nothing changed.
    v.texts[0] = "changed";
    for (const char* bad : {"100", "-1", "abc", "150,5"}) {
        v.rebate = bad;
        std::string message;
        EXPECT_FALSE(StoreProjectFields(rec, v, &message)) << bad;
        EXPECT_FALSE(message.empty()) << bad;
    }
    EXPECT_EQ(rec.ValueI("I_Project").toText(), "");
    EXPECT_DOUBLE_EQ(Prog().Rebate, 10.0);
    EXPECT_EQ(settings.Get("Settings", "Rebate", "none"), "10");

    v.rebate = "20";
    ASSERT_TRUE(StoreProjectFields(rec, v));
    EXPECT_DOUBLE_EQ(rec.ValueI("O_SumPrice").toDouble(), 120.0);
    EXPECT_EQ(pricingCalls, 1);
    EXPECT_DOUBLE_EQ(Prog().Rebate, 20.0);
}

std::string Slurp(const std::string& path)
{
    std::string text;
    ReadTextFile(path, text);
    return text;
}

// A small tmpfs of its own (needs the right to mount; tests skip without it).
class ScratchMount {
public:
    explicit ScratchMount(const std::string& dir, const std::string& options)
        : dir_(dir), ok_(::mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0)
    {
    }
    ~ScratchMount()
    {
        if (ok_) ::umount2(dir_.c_str(), MNT_DETACH);
    }
    bool ok() const { return ok_; }
    bool ReadOnly() { return ::mount("tmpfs", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0; }

private:
    std::string dir_;
    bool ok_;
};

class FileFaults : public test::DataFolderFixture {
protected:
    void SetUp() override
    {
        DataFolderFixture::SetUp();
        rec.ReadFromString("I_Project=Hall 3|I_AirFlow=5000");
        prevSink = SetMessageSink([this](const std::string& t, MessageKind) { messages.push_back(t); });
    }
    void TearDown() override { SetMessageSink(prevSink); }

    // The previous save is still there, whole, and opens as it was.
    void ExpectPreviousFile(const std::string& path)
    {
        EXPECT_EQ(Slurp(path), previous);
        CFanData loaded;
        loaded.LoadFanFields();
        bool outdated = false;
        ASSERT_TRUE(OpenProjectFile(loaded, path, outdated));
        EXPECT_EQ(loaded.ValueI("I_Project").toText(), "Hall 2");
    }

    const std::string previous = "I_Project=Hall 2\nI_AirFlow=4000\n";
    std::vector<std::string> messages;
    MessageSink prevSink;
};

TEST_F(FileFaults, SavingIntoAReadOnlyFolderKeepsThePreviousFile)
{
    test::TempDir dir;
    const std::string folder = dir.file("ro");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ScratchMount mnt(folder, "size=256k");
    const std::string path = dir.write("ro/project.txt", previous);
    if (mnt.ok()) {
        ASSERT_TRUE(mnt.ReadOnly());
    } else if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    } else {
        GTEST_SKIP() << "cannot mount a read-only folder here, and permissions do not bind root";
    }
    std::string message;
    EXPECT_FALSE(SaveProjectFile(rec, path, true, &message));
    EXPECT_NE(message.find("could not be saved"), std::string::npos) << message;
    EXPECT_NE(message.find(path), std::string::npos) << message;
    ExpectPreviousFile(path);
    ::chmod(folder.c_str(), 0755);
}

TEST_F(FileFaults, SavingOntoAFullDiskKeepsThePreviousFile)
{
    test::TempDir dir;
    const std::string folder = dir.file("full");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ScratchMount mnt(folder, "size=64k");
    if (!mnt.ok()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root or CAP_SYS_ADMIN)";
    const std::string path = dir.write("full/project.txt", previous);
    // Fill the disk to the last block.
    {
        std::ofstream filler(folder + "/filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()) && filler.flush()) {
        }
    }
    rec.setValueI("I_Notes", Variant(std::string(20000, 'n')));  // more than any block left
    std::string message;
    EXPECT_FALSE(SaveProjectFile(rec, path, true, &message));
    EXPECT_NE(message.find("could not be saved"), std::string::npos) << message;
    EXPECT_NE(message.find("No space left"), std::string::npos) << message;
    ExpectPreviousFile(path);
    EXPECT_FALSE(FileExists(AtomicTempPath(path)));  // nothing half-written left behind

    // Room again: the save goes through.
    ASSERT_EQ(std::remove((folder + "/filler").c_str()), 0);
    EXPECT_TRUE(SaveProjectFile(rec, path, true, &message)) << message;
    EXPECT_NE(Slurp(path).find("I_Project=Hall 3"), std::string::npos);
}

// A process killed while saving leaves the previous file (or, when the save
// won the race, the whole new one). What a kill between the write and the
// rename leaves (the whole new text in the temporary file, the old file in
// place) opens as the old project and tells the user; the next save takes the
// leftover with it.
TEST_F(FileFaults, AProcessKilledWhileSavingLeavesThePreviousFile)
{
    test::TempDir dir;
    const std::string path = dir.file("project.txt");
    const std::string tmp = AtomicTempPath(path);
    rec.setValueI("I_Notes", Variant(std::string(24 << 20, 'n')));  // a save that takes a while
    for (int round = 0; round < 3; ++round) {
        dir.write("project.txt", previous);
        std::remove(tmp.c_str());
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SaveProjectFile(rec, path, true);
            ::_exit(0);
        }
        // Kill it once its temporary file has grown by `round` steps.
        struct stat st{};
        for (int i = 0; i < 20000; ++i) {
            if (::stat(tmp.c_str(), &st) == 0 && st.st_size > static_cast<off_t>(round) * (4 << 20)) break;
            ::usleep(100);
        }
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status)) {
            ExpectPreviousFile(path);
            continue;
        }
        const std::string now = Slurp(path);
        EXPECT_TRUE(now.find("I_Project=Hall 3\n") != std::string::npos && now.back() == '\n');
    }

    dir.write("project.txt", previous);
    dir.write(tmp.substr(dir.path().size() + 1), rec.WriteToString());
    messages.clear();
    ExpectPreviousFile(path);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("unfinished save"), std::string::npos) << messages[0];
    std::string message;
    rec.setValueI("I_Notes", Variant("short"));
    ASSERT_TRUE(SaveProjectFile(rec, path, true, &message)) << message;
    EXPECT_FALSE(FileExists(tmp));
    EXPECT_NE(Slurp(path).find("I_Project=Hall 3"), std::string::npos);
}

}  // namespace
