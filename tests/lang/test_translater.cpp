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

const IniFile& Ini()
{
    static const IniFile ini = IniFile::FromText("[3]\nEN=Arial;ANSI;0\nDE=Arial;ANSI;0\nIT=Tahoma;Western;238\n");
    return ini;
}

// UTF-8 text -> UTF-16LE with the byte-order mark (BMP only).
std::string Utf16(const std::string& utf8)
{
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned c = static_cast<unsigned char>(utf8[i]);
        unsigned cp = c;
        int extra = c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) cp = c & (extra == 2 ? 0x0F : 0x1F);
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += static_cast<std::size_t>(extra) + 1;
        out += static_cast<char>(cp & 0xFF);
        out += static_cast<char>(cp >> 8);
    }
    return out;
}

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

}  // namespace

TEST(CTranslater, LoadsFilesOfBothEncodings)
{
    test::TempDir dir;
    dir.write("Lang_EN.txt",
              "0001:English\r\n"
              "0010:Airflow   \r\n"
              "0012:Fan\r\n"
              "0013:Two<br>lines\r\n"
              "012:short id\r\n"
              "2001:too high\r\n"
              "0000:zero\r\n"
              "; range 1000-1199\r\n"
              "0010:Air flow\r\n");  // a later line replaces the earlier one
    dir.write("Lang_DE.txt", Utf16("0001:Deutsch\r\n0012:L\xC3\xBC" "fter\r\n0014:Gr\xC3\xB6\xC3\x9F" "e\r\n"));
    // 8-bit file in the Windows code page.
    dir.write("Lang_IT.txt", "0001:Italiano\n0012:Ventilatore \xE0\n");

    CTranslater en, de, it;
    ASSERT_TRUE(en.Startup("EN", dir.path(), Ini()));
    EXPECT_EQ(en.Language(), "EN");
    EXPECT_EQ(en.Text(10), "Air flow");
    EXPECT_EQ(en.Text(13), "Two\r\nlines");
    EXPECT_EQ(en.Text(12), "Fan");
    EXPECT_EQ(en.Text(0), "");
    EXPECT_EQ(en.GetIDByName("short id"), 0);
    EXPECT_EQ(en.GetIDByName("too high"), 0);
    EXPECT_EQ(en.GetIDByName("zero"), 0);

    ASSERT_TRUE(de.Startup("DE", dir.path() + "/", Ini()));
    EXPECT_EQ(de.Text(12), "L\xC3\xBC" "fter");
    EXPECT_EQ(de.Text(14), "Gr\xC3\xB6\xC3\x9F" "e");
    EXPECT_EQ(de.ReadLngFileLanguage(dir.file("Lang_DE.txt")), "Deutsch");

    ASSERT_TRUE(it.Startup("it", dir.path(), Ini()));  // code case does not matter for the file
    EXPECT_EQ(it.Text(12), "Ventilatore \xC3\xA0");
    EXPECT_EQ(it.ActCharFont(), "Tahoma");
    EXPECT_EQ(it.ActCharSetString(), "Western");
    EXPECT_EQ(it.ActCharSetID(), 238);

    EXPECT_EQ(en.LanguageList(dir.path()), "DE- Deutsch|EN- English|IT- Italiano");
    test::TempDir empty;
    EXPECT_EQ(en.LanguageList(empty.path()), "");
    EXPECT_EQ(en.ReadFile(dir.file("Lang_IT.txt"), true), "0001:Italiano\n0012:Ventilatore \xC3\xA0\n");
}

TEST(CTranslater, StartFailuresLeaveTheTable)
{
    test::TempDir dir;
    dir.write("Lang_EN.txt", "0001:English\n0012:Fan\n");
    dir.write("Lang_FR.txt", "0001:Fran\xC3\xA7" "ais\n0012:Ventilateur\n");
    CTranslater t;
    Captured msgs;
    EXPECT_FALSE(t.Startup("XX", dir.path(), Ini()));  // no file: silent
    EXPECT_TRUE(msgs.texts.empty());
    EXPECT_FALSE(t.Startup("FR", dir.path(), Ini()));  // file but no definition
    ASSERT_EQ(msgs.texts.size(), 1u);
    EXPECT_EQ(msgs.texts[0], "Language definition in INI file missing");
    EXPECT_EQ(t.Language(), "");
    EXPECT_EQ(t.Text(12), "");
    EXPECT_FALSE(t.Startup("../EN", dir.path(), Ini()));

    // Reloading keeps entries that the new file lacks.
    ASSERT_TRUE(t.Startup("EN", dir.path(), Ini()));
    dir.write("Lang_DE.txt", "0001:Deutsch\n");
    ASSERT_TRUE(t.Startup("DE", dir.path(), Ini()));
    EXPECT_EQ(t.Language(), "DE");
    EXPECT_EQ(t.Text(1), "Deutsch");
    EXPECT_EQ(t.Text(12), "Fan");
}

TEST(CTranslater, TranslatesWithFallback)
{
    test::TempDir dir;
    dir.write("Lang_EN.txt", "0001:English\n0012:Fan\n0020:Motor\n0030:Only English\n");
    dir.write("Lang_DE.txt", "0001:Deutsch\n0012:L\xC3\xBC" "fter\n0020:Motor\n");
    CTranslater en, de;
    ASSERT_TRUE(en.Startup("EN", dir.path(), Ini()));
    ASSERT_TRUE(de.Startup("DE", dir.path(), Ini()));

    EXPECT_EQ(de.Translate("T:12", &en), "L\xC3\xBC" "fter");
    EXPECT_EQ(de.Translate("Fan", &en), "L\xC3\xBC" "fter");
    EXPECT_EQ(de.Translate("fan", &en), "L\xC3\xBC" "fter");   // English text matched without case
    EXPECT_EQ(de.Translate("T:30", &en), "Only English");       // empty entry: the fallback's text
    EXPECT_EQ(de.Translate("T:30"), "");                        // no fallback: the entry as it is
    EXPECT_EQ(de.Translate("Unknown words", &en), "Unknown words");
    EXPECT_EQ(de.Translate("T:2001", &en), "T:2001");
    EXPECT_EQ(de.Translate("12", &en), "12");                   // numbers are not looked up
    EXPECT_EQ(de.Translate("Fan"), "Fan");                      // no fallback, no lookup
    EXPECT_EQ(de.Translate("gC", &en), "\xC2\xB0" "C");
    EXPECT_EQ(en.GetIDByName("MOTOR"), 20);
}

TEST(CTranslater, LoadsTablesFromTheCatalogue)
{
    FakeDb db;
    CTranslater t;
    ASSERT_TRUE(t.StartupDB("DE", db));
    EXPECT_EQ(db.lastSql, CTranslater::TableQuery("DE"));  // run on the catalogue in tests/catalogue
    EXPECT_EQ(t.Language(), "DE");
    EXPECT_EQ(t.Text(3), "Drei\r\nZeilen");
    EXPECT_EQ(t.GetIDByName("too high"), 0);

    db.fail = true;
    EXPECT_FALSE(t.StartupDB("IT", db));
    EXPECT_EQ(t.Language(), "DE");
    EXPECT_EQ(t.Text(3), "Drei\r\nZeilen");
    db.lastSql.clear();
    EXPECT_FALSE(t.StartupDB("DE x; DROP", db));  // never spliced into SQL
    EXPECT_EQ(db.lastSql, "");
}

TEST(Tr, ActiveTranslatorWithEnglishFallbackElseTheTextItself)
{
    test::TempDir dir;
    dir.write("Lang_EN.txt", "0001:English\r\n0100:Speed\r\n0102:Fan\r\n");
    dir.write("Lang_DE.txt", "0001:Deutsch\r\n0100:Drehzahl\r\n");
    CTranslater en, de;
    ASSERT_TRUE(en.Startup("EN", dir.path(), Ini()));
    ASSERT_TRUE(de.Startup("DE", dir.path(), Ini()));
    const Program saved = Prog();
    Prog().DefaultTranslator = &en;
    Prog().Translator = &de;
    EXPECT_EQ(Tr("Speed") + "|" + Tr("T:102"), "Drehzahl|Fan");
    Prog().Translator = nullptr;
    EXPECT_EQ(Tr("T:100"), "Speed");
    Prog().DefaultTranslator = nullptr;
    EXPECT_EQ(Tr("T:100"), "T:100");
    Prog() = saved;
}
