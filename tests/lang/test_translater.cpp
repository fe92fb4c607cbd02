#include <gtest/gtest.h>

#include <vector>

#include "common/Database.h"
#include "common/IniFile.h"
#include "common/Program.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"
#include "lang/Tr.h"
#include "support/TestSupport.h"

using namespace aerolyx;

namespace {

const IniFile kIni = IniFile::FromText("[3]\nEN=Arial;ANSI;0\nDE=Arial;ANSI;0\nIT=Tahoma;Western;238\n");

struct Captured {
    std::vector<std::string> texts;
    MessageSink previous;
    Captured()
    {
        previous = SetMessageSink([this](const std::string& t, MessageKind) { texts.push_back(t); });
    }
    ~Captured() { SetMessageSink(previous); }
};

class FakeDb : public IDatabase {
public:
    std::string lastSql;
    bool fail = false;
    Recordset OpenRecordset(const std::string& sql) override
    {
        lastSql = sql;
        if (fail) throw DbError(-1, "no such table");
        return Recordset({"ID", "Text"}, {{Variant(3), Variant("Drei<br>Zeilen")},
                                          {Variant(2001), Variant("too high")},
                                          {Variant(), Variant("null id")},
                                          {Variant(5), Variant()}});
    }
};

// A data folder with English, German and Italian (in the Windows code page;
// how each encoding is read is the text file reader's test).
class Languages : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write("Lang_EN.txt",
                  "0001:English\r\n"
                  "0010:Airflow   \r\n"
                  "0012:Fan\r\n"
                  "0013:Two<br>lines\r\n"
                  "0020:Motor\r\n"
                  "0030:Only English\r\n"
                  "2001:too high\r\n"
                  "; range 1000-1199\r\n"
                  "0010:Air flow\r\n");  // a later line replaces the earlier one
        dir.write("Lang_DE.txt",
                  "0001:Deutsch\r\n0012:L\xC3\xBC" "fter\r\n0014:Gr\xC3\xB6\xC3\x9F" "e\r\n0020:Motor\r\n");
        dir.write("Lang_IT.txt", "0001:Italiano\n0012:Ventilatore \xE0\n");
        ASSERT_TRUE(en.Startup("EN", dir.path(), kIni));
        ASSERT_TRUE(de.Startup("DE", dir.path() + "/", kIni));
    }
    test::TempDir dir;
    CTranslater en, de;
};

}  // namespace

TEST_F(Languages, LoadsTheTablesOfTheDataFolder)
{
    EXPECT_EQ(en.Text(10), "Air flow");
    EXPECT_EQ(en.Text(13), "Two\r\nlines");
    EXPECT_EQ(en.GetIDByName("too high"), 0);
    EXPECT_EQ(de.Text(14), "Gr\xC3\xB6\xC3\x9F" "e");

    CTranslater it;
    ASSERT_TRUE(it.Startup("it", dir.path(), kIni));  // code case does not matter for the file
    EXPECT_EQ(it.Text(12), "Ventilatore \xC3\xA0");
    EXPECT_EQ(it.ActCharFont() + " " + it.ActCharSetString() + " " + std::to_string(it.ActCharSetID()),
              "Tahoma Western 238");
    EXPECT_EQ(en.LanguageList(dir.path()), "DE- Deutsch|EN- English|IT- Italiano");
}

TEST_F(Languages, StartFailuresLeaveTheTable)
{
    dir.write("Lang_FR.txt", "0001:Fran\xC3\xA7" "ais\n0012:Ventilateur\n");
    Captured msgs;
    EXPECT_FALSE(en.Startup("XX", dir.path(), kIni));  // no file: silent
    EXPECT_TRUE(msgs.texts.empty());
    EXPECT_FALSE(en.Startup("FR", dir.path(), kIni));  // file but no definition
    ASSERT_EQ(msgs.texts.size(), 1u);
    EXPECT_EQ(msgs.texts[0], "Language definition in INI file missing");
    EXPECT_FALSE(en.Startup("../EN", dir.path(), kIni));
    EXPECT_EQ(en.Language() + " " + en.Text(1), "EN English");

    // Reloading keeps entries that the new file lacks.
    ASSERT_TRUE(en.Startup("DE", dir.path(), kIni));
    EXPECT_EQ(en.Text(1) + " " + en.Text(30), "Deutsch Only English");
}

TEST(CTranslater, LoadsTablesFromTheCatalogue)
{
    FakeDb db;
    CTranslater t;
    ASSERT_TRUE(t.StartupDB("DE", db));
    EXPECT_EQ(db.lastSql, CTranslater::TableQuery("DE"));  // run on the catalogue in tests/catalogue
    EXPECT_EQ(t.Text(3), "Drei\r\nZeilen");
    EXPECT_EQ(t.GetIDByName("too high"), 0);

    db.fail = true;
    EXPECT_FALSE(t.StartupDB("IT", db));
    EXPECT_EQ(t.Language() + " " + t.Text(3), "DE Drei\r\nZeilen");
    db.lastSql.clear();
    EXPECT_FALSE(t.StartupDB("DE x; DROP", db));  // never spliced into SQL
    EXPECT_EQ(db.lastSql, "");
}

// An entry by "T:id" or by its English text (any case); an empty or missing
// entry falls back to the English table, else the text stays as it is.
TEST_F(Languages, TranslatesWithFallback)
{
    const std::pair<const char*, std::string> cases[] = {
        {"T:12", "L\xC3\xBC" "fter"}, {"fan", "L\xC3\xBC" "fter"}, {"T:30", "Only English"},
        {"Unknown words", "Unknown words"}, {"T:2001", "T:2001"}, {"12", "12"},  // numbers are not looked up
        {"gC", "\xC2\xB0" "C"},
    };
    for (const auto& [text, want] : cases) EXPECT_EQ(de.Translate(text, &en), want) << text;
    EXPECT_EQ(de.Translate("T:30"), "");  // no fallback: the entry as it is
    EXPECT_EQ(de.Translate("Fan"), "Fan");  // no fallback, no lookup by text

    // Tr: the active translator with the program's default as fallback
    const Program saved = Prog();
    Prog().DefaultTranslator = &en;
    Prog().Translator = &de;
    EXPECT_EQ(Tr("Fan") + "|" + Tr("T:30"), "L\xC3\xBC" "fter|Only English");
    Prog().Translator = nullptr;
    EXPECT_EQ(Tr("T:20"), "Motor");
    Prog() = saved;
}
