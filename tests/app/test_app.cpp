#include <gtest/gtest.h>

#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <tuple>

#include "app/AppContext.h"
#include "app/DbConnection.h"
#include "app/QtSettingsStore.h"
#include "app/UserSettings.h"
#include "common/IniFile.h"
#include "common/NumberFormat.h"
#include "common/SettingsStore.h"
#include "common/TextFile.h"
#include "lang/CTranslater.h"
#include "lang/MessageSink.h"
#include "support/TestSupport.h"
#include "units/CUnit.h"

using namespace aerolyx;

namespace {

struct Messages {
    std::vector<std::string> texts;
    std::vector<MessageKind> kinds;
    MessageSink prev;
    Messages()
    {
        prev = SetMessageSink([this](const std::string& t, MessageKind k) {
            texts.push_back(t);
            kinds.push_back(k);
        });
    }
    ~Messages() { SetMessageSink(prev); }
};

// Sets (or with nullptr removes) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_.c_str(), old_->c_str(), 1) : ::unsetenv(name_.c_str()); }

private:
    std::string name_;
    std::optional<std::string> old_;
};

// Builds a small catalogue file through a separate, writable connection.
std::string MakeCatalogue(const test::TempDir& dir)
{
    const std::string path = dir.file("cat.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fixture-writer");
        db.setDatabaseName(QString::fromStdString(path));
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        for (const char* sql : {
                 "CREATE TABLE tblFanSeries (TsID INTEGER, TsCode TEXT COLLATE NOCASE, TsName TEXT, Fab0ID INTEGER, "
                 "Factor REAL, Big INTEGER)",
                 "INSERT INTO tblFanSeries VALUES (1, 'AXL', 'Light', 1, 1.5, 5000000000)",
                 "INSERT INTO tblFanSeries VALUES (2, 'AXM', 'O''Brien''s', 2, NULL, 7)",
                 "INSERT INTO tblFanSeries VALUES (3, 'AXH', NULL, 1, 2.25, 8)",
                 "CREATE TABLE tblFanTpSe (TsID INTEGER, Fab0ID INTEGER)",
                 "INSERT INTO tblFanTpSe VALUES (1, 9)",
                 "CREATE VIEW abfSelectFans AS SELECT s.TsCode, t.Fab0ID AS \"tblFanTpSe.Fab0ID\", "
                 "s.Fab0ID AS \"tblFanSeries.Fab0ID\" FROM tblFanSeries s INNER JOIN tblFanTpSe t ON s.TsID = t.TsID"})
            EXPECT_TRUE(q.exec(sql)) << sql;
    }
    QSqlDatabase::removeDatabase("fixture-writer");
    return path;
}

// A complete little data folder: settings file, two languages, a catalogue.
void MakeDataFolder(const test::TempDir& dir, bool withCatalogue = true)
{
    dir.write("Dodov.ini",
              "[0]\r\nCustomer=Test Fans  /* title\r\nPriceList=2\r\nPriceCurrency=CHF\r\n"
              "[1]\r\nVersion=3.4\r\n"
              "[2]\r\nProvider=SQLite\r\nData Source={PATH}\\cat.sqlite\r\nCURSOR=client\r\n"
              "[3]\r\nEN=Sans;UTF-8;0\r\nDE=Sans;UTF-8;0\r\n");
    dir.write("Lang_EN.txt", "0001:English\r\n0012:Fan\r\n");
    dir.write("Lang_DE.txt", "0001:Deutsch\r\n0012:L\xC3\xBC" "fter\r\n");
    if (withCatalogue) MakeCatalogue(dir);
}

// Start-up over the data folder with these per-user [Settings] values.
StartupOptions Options(const test::TempDir& dir, int lcid = 1033,
                       const std::vector<std::pair<const char*, const char*>>& settings = {})
{
    StartupOptions o;
    o.dataDir = dir.path();
    o.settings = std::make_unique<MemorySettingsStore>();
    for (const auto& [key, value] : settings) o.settings->Set("Settings", key, value);
    o.localeId = lcid;
    return o;
}

// The program's connection to the small catalogue.
class DbConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MakeCatalogue(dir_);
        conn_ = OpenConnection(ini_, dir_.path(), "DB", "", "");
        ASSERT_TRUE(conn_) << (quiet_.texts.empty() ? "" : quiet_.texts[0]);
    }

    test::TempDir dir_;
    IniFile ini_ = IniFile::FromText("[2]\nProvider=SQLite\nData Source={PATH}\\cat.sqlite\n'Data Source=elsewhere\n");
    Messages quiet_;
    std::unique_ptr<DbConnection> conn_;
};

}  // namespace

TEST(Startup, BuildsTheProgramObjects)
{
    test::TempDir dir;
    MakeDataFolder(dir);
    Messages msgs;
    const Program before = Prog();
    const NumberLocale localeBefore = DisplayLocale();
    DisplayLocale().decimal = "#";
    {
        AppContext ctx;
        ASSERT_TRUE(ctx.Main(Options(dir, 2055, {{"Rebate", "12.5"}, {"Measurements", "T;\xC2\xB0" "F"}})));
        EXPECT_TRUE(msgs.texts.empty()) << msgs.texts[0];
        EXPECT_EQ(ctx.Caption(), "Test Fans - Version 3.4");
        EXPECT_DOUBLE_EQ(ctx.Rebate, 12.5);
        EXPECT_EQ(ctx.PriceCurrency, "CHF");
        EXPECT_EQ(ctx.Translator->Language(), "DE");  // from the Swiss German locale
        EXPECT_EQ(ctx.Translator->Translate("Fan", ctx.DefaultTranslator.get()), "L\xC3\xBC" "fter");
        EXPECT_EQ(ctx.Units->GetUnitCode("T"), "\xC2\xB0" "F");
        EXPECT_EQ(DisplayLocale().decimal, QLocale::system().decimalPoint().toStdString());
        // The shared program state is the context's while it lives.
        ASSERT_NE(Prog().DB, nullptr);
        EXPECT_EQ(Prog().DB->OpenRecordset("SELECT TOP 1 TsCode FROM tblFanSeries").GetText("TsCode"), "AXL");
    }
    EXPECT_EQ(Prog().DB, before.DB);
    EXPECT_EQ(DisplayLocale().decimal, "#");
    DisplayLocale() = localeBefore;
}

TEST(Startup, LanguageChoiceAndFallback)
{
    test::TempDir dir;
    MakeDataFolder(dir);
    Messages msgs;
    {
        // A stored language overrides the locale; one without a file falls back silently.
        AppContext ctx;
        ASSERT_TRUE(ctx.Main(Options(dir, 1031, {{"Language", "IT"}, {"Rebate", "100"}})));
        EXPECT_EQ(ctx.Translator->Language(), "EN");
        EXPECT_DOUBLE_EQ(ctx.Rebate, 0);  // never a rebate that would wipe out prices
        EXPECT_TRUE(msgs.texts.empty());
    }
    // The Windows locale numbers of the German and Italian speaking
    // countries; everything else is English.
    const std::vector<std::tuple<const char*, int, const char*>> locales = {
        {"de_LI", 5127, "DE"}, {"it_CH", 2064, "IT"}, {"en_US", 1033, "EN"}};
    for (const auto& [name, lcid, language] : locales) {
        EXPECT_EQ(LocaleIdOf(QLocale(name)), lcid) << name;
        EXPECT_EQ(DefaultLanguageOf(lcid), language) << name;
    }
    EXPECT_EQ(DefaultLanguageOf(LocaleIdOf(QLocale("fr_FR"))), "EN");
}

TEST(Startup, FailuresAreReportedNotFatal)
{
    test::TempDir dir;
    MakeDataFolder(dir, false);
    {
        Messages msgs;
        AppContext ctx;
        ASSERT_TRUE(ctx.Main(Options(dir)));
        EXPECT_EQ(Prog().DB, nullptr);
        ASSERT_EQ(msgs.texts.size(), 1u);
        EXPECT_EQ(msgs.kinds[0], MessageKind::Critical);
        EXPECT_EQ(ctx.connectionMessage, msgs.texts[0]);
    }
    {
        // No settings file: reported, then the English text table cannot start.
        test::TempDir empty;
        Messages msgs;
        AppContext ctx;
        EXPECT_FALSE(ctx.Main(Options(empty)));
        ASSERT_EQ(msgs.texts.size(), 3u);
        EXPECT_NE(msgs.texts[0].find("Dodov.ini"), std::string::npos);
        EXPECT_EQ(msgs.texts[2], "Can't start default language\r\nPlease contact your software distributer");
        EXPECT_EQ(msgs.kinds[2], MessageKind::Critical);
    }
}

TEST(Startup, DataFolderRule)
{
    test::TempDir prog, other, bare, prefix;
    {
        // AEROLYX_DATA wins over an installed tree, but not over a program
        // folder that holds the settings file.
        ScopedEnv env("AEROLYX_DATA", other.path().c_str());
        std::filesystem::create_directories(prefix.file("bin"));
        prefix.write("share/Kelvaro/Dodov.ini", "[1]\nVersion=9\n");
        EXPECT_EQ(FindDataFolder(prefix.file("bin")), other.path());
        EXPECT_EQ(FindDataFolder(prog.path()), other.path());
        prog.write("Dodov.ini", "[1]\nVersion=9\n");
        EXPECT_EQ(FindDataFolder(prog.path()), prog.path());
    }
    ScopedEnv env("AEROLYX_DATA", nullptr);
    EXPECT_EQ(FindDataFolder(bare.path()), InstalledDataFolder());
    // An installed tree under any prefix: bin/ finds share/Kelvaro beside it.
    EXPECT_TRUE(std::filesystem::equivalent(FindDataFolder(prefix.file("bin")), prefix.file("share/Kelvaro")))
        << FindDataFolder(prefix.file("bin"));
}

TEST(QtSettingsStore, KeepsValuesInItsOwnFolder)
{
    const std::vector<std::array<const char*, 3>> values = {
        {"SETTINGS", "language", "IT"},
        {"User", "Name", "O'Neil, \"Jo\" = boss; x"},
        {"FanC", "ViewCharts", ""},  // stored empty is not missing
        {"Settings", "Measurements", "T;\xC2\xB0" "C|VL;m3/h"},
    };
    test::TempDir dir;
    {
        QtSettingsStore s(dir.path());
        s.Set("Settings", "Language", "DE");
        // Sections and keys match without regard to case, and writes land on the stored spelling.
        EXPECT_EQ(s.Get("settings", "LANGUAGE"), "DE");
        for (const auto& [section, key, value] : values) s.Set(section, key, value);
    }
    QtSettingsStore again(dir.path());
    for (const auto& [section, key, value] : values) EXPECT_EQ(again.Get(section, key, "x"), value) << key;

    // A hand-edited value with commas (QSettings reads it as a list) is not lost.
    test::TempDir hand;
    hand.write("Aerolyx/Aerolyx.ini", "[User]\nName=Smith, John\n");
    EXPECT_EQ(QtSettingsStore(hand.path()).Get("User", "Name"), "Smith,John");

    // Without a folder argument the environment variable decides.
    ScopedEnv env("AEROLYX_SETTINGS_DIR", hand.path().c_str());
    EXPECT_EQ(QtSettingsStore().Get("User", "Name"), "Smith,John");
}

TEST(UserSettings, StoredValueThenSettingsFileThenDefault)
{
    const IniFile ini = IniFile::FromText("[0]\nMyName=Ventilation Ltd\nMyLogo=logo.png\n[1]\nMyTel=wrong section\n");
    MemorySettingsStore store;
    EXPECT_EQ(ReadUserSetting(store, "Settings", "MyName", &ini), "Ventilation Ltd");
    EXPECT_EQ(ReadUserSetting(store, "settings", "mylogo", &ini), "logo.png");
    EXPECT_EQ(ReadUserSetting(store, "Settings", "MyTel", &ini), "");
    EXPECT_EQ(ReadUserSetting(store, "Settings", "Language", &ini), DefaultLanguageOf(LocaleIdOf(QLocale::system())));
    store.Set("Settings", "MyName", "Mine");
    EXPECT_EQ(ReadUserSetting(store, "Settings", "MyName", &ini), "Mine");  // the stored value overrides
}

TEST(QtSettingsStore, UnwritableFolderIsReported)
{
    test::TempDir dir;
    // A file where the settings folder should be: nothing can be written there.
    dir.write("Aerolyx", "not a folder");
    Messages msgs;
    {
        QtSettingsStore s(dir.path());
        s.Set("Settings", "Rebate", "5");
        s.Set("Settings", "Rebate", "6");
        EXPECT_EQ(s.Get("Settings", "Missing", "d"), "d");
    }
    ASSERT_EQ(msgs.texts.size(), 1u) << "once, not for every value";
    EXPECT_NE(msgs.texts[0].find("could not be saved"), std::string::npos);
}

TEST(ConnectionString, AssemblesSectionTwo)
{
    // Comment lines and lines without "=" are left out; the value ends at a
    // second "="; placeholders are filled after that cut, so the password
    // keeps its "=" (and its ";").
    IniFile ini = IniFile::FromText(
        "[1]\nVersion=1\n"
        "[2]\nData Source={PATH}\\db.mdb\nUser ID={USER}\nPassword={PWD}\nExtra=a=b=c\nCursor=server\n"
        "'Provider=other\nno equals sign here\nMixed={path}{PWD}{USER}\n"
        "[3]\nEN=a;b;0\n");
    ConnectionString cs = AssembleConnectionString(ini, "D:\\Fans", "bob", "s;cr=t");
    EXPECT_EQ(cs.text, "Data Source=D:\\Fans\\db.mdb;User ID=bob;Password=s;cr=t;Extra=a;Mixed={path}s;cr=tbob;");
    EXPECT_EQ(cs.cursorLocation, kCursorServer);
    EXPECT_EQ(AssembleConnectionString(IniFile::FromText("[2]\nCURSOR=client\n"), "/d", "", "").cursorLocation,
              kCursorClient);
    // No section 2 at all: nothing.
    EXPECT_EQ(AssembleConnectionString(IniFile::FromText("[0]\nProvider=x\n"), "/d", "", "").text, "");
}

TEST(SqlDialect, TopBecomesLimit)
{
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"SELECT TOP 1 * FROM t WHERE i=3 ORDER BY s", "SELECT * FROM t WHERE i=3 ORDER BY s LIMIT 1"},
        {"select distinct top 20 a FROM t  ;", "select distinct a FROM t LIMIT 20  ;"},
        {"SELECT a FROM t WHERE x IN (SELECT TOP 2 b FROM u ORDER BY b) AND y Is Null",
         "SELECT a FROM t WHERE x IN (SELECT b FROM u ORDER BY b LIMIT 2) AND y Is Null"},
        // Text inside quotes is never touched, nor a word that starts with TOP.
        {"SELECT a FROM t WHERE n='SELECT TOP 5 x' OR n='it''s'", ""},
        {"SELECT TOPS FROM t", ""},
        {"SELECT TOP 3 a FROM t WHERE n = 'unterminated", ""},
        // Stray closing brackets before a TOP: the limit still goes to the end
        // (the engine reports the brackets).
        {"x)) y SELECT TOP 2 b FROM u ", "x)) y SELECT b FROM u LIMIT 2 "},
    };
    for (const auto& [sql, adapted] : rows) EXPECT_EQ(AdaptSql(sql), adapted.empty() ? sql : adapted) << sql;
}

TEST_F(DbConnectionTest, ReadsSqliteCatalogueReadOnly)
{
    EXPECT_EQ(conn_->DatabaseName(), dir_.file("cat.sqlite"));

    Recordset rs = conn_->OpenRecordset("SELECT TOP 2 * FROM tblFanSeries ORDER BY TsID DESC");
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Field("TsCode"), Variant("AXH"));
    EXPECT_EQ(rs.GetText("tsname", "none"), "none");  // null
    EXPECT_EQ(rs.Field("Factor"), Variant(2.25));
    rs.MoveNext();
    EXPECT_EQ(rs.GetText("TsName"), "O'Brien's");

    // The case of text does not matter.
    rs = conn_->OpenRecordset("SELECT * FROM tblFanSeries WHERE TsCode='axl'");
    EXPECT_DOUBLE_EQ(rs.Field("Big").toDouble(), 5e9);  // beyond 32 bits

    rs = conn_->OpenRecordset("SELECT * FROM abfSelectFans");
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.GetInt("tblFanTpSe.Fab0ID"), 9);
    EXPECT_EQ(rs.GetInt("tblFanSeries.Fab0ID"), 1);

    // The program's connection cannot write.
    EXPECT_THROW(conn_->OpenRecordset("DELETE FROM tblFanSeries"), DbError);
    EXPECT_THROW(conn_->OpenRecordset("SELECT * FROM tblMissing"), DbError);

    // A second connection side by side, closed again, leaves the first working
    // (and every row is still there).
    OpenConnection(ini_, dir_.path(), "DB", "", "").reset();
    EXPECT_EQ(conn_->OpenRecordset("SELECT TsID FROM tblFanSeries").RecordCount(), 3);
    conn_->Close();
    EXPECT_THROW(conn_->OpenRecordset("SELECT 1"), DbError);
}

TEST_F(DbConnectionTest, PreparedQueriesAnswerAsTheSplicedText)
{
    const auto spliced = [&](const std::string& sql, const std::vector<Variant>& v) {
        return conn_->OpenRecordset(SpliceParameters(sql, v));
    };
    const auto same = [](Recordset a, Recordset b) {
        ASSERT_EQ(a.RecordCount(), b.RecordCount());
        for (; !a.Eof(); a.MoveNext(), b.MoveNext())
            for (const char* f : {"TsID", "TsCode", "TsName", "Factor", "Big"}) EXPECT_EQ(a.Field(f), b.Field(f)) << f;
    };
    // The same text run again with other values reuses its statement.
    const std::string byId = "SELECT * FROM tblFanSeries WHERE TsID=? ORDER BY TsID";
    for (const Variant& id : {Variant(1), Variant(3), Variant(3.0), Variant(2.5), Variant(), Variant(9)})
        same(conn_->OpenParameterized(byId, {id}), spliced(byId, {id}));

    const std::string byText = "SELECT * FROM tblFanSeries WHERE TsName=? OR TsCode=? OR TsName='?'";
    Recordset rs = conn_->OpenParameterized(byText, {Variant("O'Brien's"), Variant("axl")});
    EXPECT_EQ(rs.RecordCount(), 2);
    same(rs, spliced(byText, {Variant("O'Brien's"), Variant("axl")}));
    // A TOP text is adapted before it is prepared.
    EXPECT_EQ(conn_->OpenParameterized("SELECT TOP 1 * FROM tblFanSeries WHERE Fab0ID=?", {Variant(1)}).RecordCount(), 1);

    EXPECT_THROW(conn_->OpenParameterized(byId, {}), DbError);
    EXPECT_THROW(conn_->OpenParameterized("SELECT * FROM tblMissing WHERE a=?", {Variant(1)}), DbError);
    // Failures leave the connection and its statements usable; closing drops them.
    EXPECT_EQ(conn_->OpenParameterized(byId, {Variant(2)}).RecordCount(), 1);
    conn_->Close();
    EXPECT_THROW(conn_->OpenParameterized(byId, {Variant(2)}), DbError);
}

TEST(DbConnection, FailuresGiveTheConnectionMessage)
{
    test::TempDir dir;
    dir.write("junk.sqlite", std::string(4096, 'x'));
    // {section 2 of the settings file, how the message starts, what it names}
    const std::vector<std::array<const char*, 3>> rows = {
        {"Provider=Jet\nData Source=x.mdb\n", "Error 3706 to open connection DB\r\n", ""},
        {"Data Source={PATH}/absent.sqlite\n", "Error 14 to open connection DB\r\n", "absent.sqlite"},
        {"Data Source=junk.sqlite\n", "Error ", ""},  // not a database at all
        {"", "", "Data Source"},
    };
    for (const auto& [section, start, names] : rows) {
        Messages quiet;
        std::string msg;
        EXPECT_FALSE(OpenConnection(IniFile::FromText(std::string("[2]\n") + section), dir.path(), "DB", "", "", &msg));
        EXPECT_EQ(msg.rfind(start, 0), 0u) << msg;
        EXPECT_NE(msg.find(names), std::string::npos) << msg;
        ASSERT_EQ(quiet.texts.size(), 1u) << section;
        EXPECT_EQ(quiet.texts[0], msg);
    }
}
