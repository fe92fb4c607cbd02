#include <gtest/gtest.h>

#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <tuple>

#include "app/AppContext.h"
#include "app/DbConnection.h"
#include "app/QtSettingsStore.h"
#include "app/UserSettings.h"
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
    if (!withCatalogue) return;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "startup-fixture");
        db.setDatabaseName(QString::fromStdString(dir.file("cat.sqlite")));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE tblFab00 (Fab0ID INTEGER, Fab0Name TEXT)"));
        ASSERT_TRUE(q.exec("INSERT INTO tblFab00 VALUES (1, 'Maker One')"));
    }
    QSqlDatabase::removeDatabase("startup-fixture");
}

StartupOptions Options(const test::TempDir& dir, MemorySettingsStore** store = nullptr, int lcid = 1033)
{
    StartupOptions o;
    o.dataDir = dir.path();
    auto s = std::make_unique<MemorySettingsStore>();
    if (store) *store = s.get();
    o.settings = std::move(s);
    o.localeId = lcid;
    return o;
}

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
        MemorySettingsStore* store = nullptr;
        StartupOptions o = Options(dir, &store, 2055);
        store->Set("Settings", "Rebate", "12.5");
        store->Set("Settings", "Measurements", "T;\xC2\xB0" "F");
        AppContext ctx;
        ASSERT_TRUE(ctx.Main(std::move(o)));
        EXPECT_TRUE(msgs.texts.empty()) << msgs.texts[0];
        EXPECT_EQ(ctx.Caption(), "Test Fans - Version 3.4");
        EXPECT_DOUBLE_EQ(ctx.Rebate, 12.5);
        EXPECT_EQ(ctx.PriceList, 2);
        EXPECT_EQ(ctx.PriceCurrency, "CHF");
        EXPECT_EQ(ctx.DefaultTranslator->Language(), "EN");
        EXPECT_EQ(ctx.Translator->Language(), "DE");  // from the Swiss German locale
        EXPECT_EQ(ctx.Translator->Translate("Fan", ctx.DefaultTranslator.get()), "L\xC3\xBC" "fter");
        EXPECT_EQ(ctx.Units->GetUnitCode("T"), "\xC2\xB0" "F");
        EXPECT_EQ(DisplayLocale().decimal, QLocale::system().decimalPoint().toStdString());
        // The shared program state is the context's while it lives.
        EXPECT_EQ(Prog().Translator, ctx.Translator.get());
        ASSERT_NE(Prog().DB, nullptr);
        EXPECT_EQ(Prog().DB->OpenRecordset("SELECT TOP 1 Fab0Name FROM tblFab00").GetText("Fab0Name"), "Maker One");
    }
    EXPECT_EQ(Prog().DB, before.DB);
    EXPECT_EQ(Prog().Translator, before.Translator);
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
        MemorySettingsStore* store = nullptr;
        StartupOptions o = Options(dir, &store, 1031);
        store->Set("Settings", "Language", "IT");
        store->Set("Settings", "Rebate", "100");
        AppContext ctx;
        ASSERT_TRUE(ctx.Main(std::move(o)));
        EXPECT_EQ(ctx.Translator->Language(), "EN");
        EXPECT_DOUBLE_EQ(ctx.Rebate, 0);  // never a rebate that would wipe out prices
        EXPECT_TRUE(msgs.texts.empty());
    }
    // The Windows locale numbers of the German and Italian speaking
    // countries; everything else is English.
    const std::vector<std::tuple<const char*, int, const char*>> locales = {
        {"de_DE", 1031, "DE"}, {"de_CH", 2055, "DE"}, {"de_AT", 3079, "DE"}, {"de_LU", 4103, "DE"},
        {"de_LI", 5127, "DE"}, {"it_IT", 1040, "IT"}, {"it_CH", 2064, "IT"}, {"en_US", 1033, "EN"},
    };
    for (const auto& [name, lcid, language] : locales) {
        EXPECT_EQ(LocaleIdOf(QLocale(name)), lcid) << name;
        EXPECT_EQ(DefaultLanguageOf(lcid), language) << name;
    }
    EXPECT_EQ(DefaultLanguageOf(LocaleIdOf(QLocale("fr_FR"))), "EN");
    EXPECT_EQ(DefaultLanguageOf(0), "EN");
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
        EXPECT_EQ(msgs.texts[0].rfind("Error 14 to open connection DB\r\n", 0), 0u) << msgs.texts[0];
        EXPECT_NE(msgs.texts[0].find("cat.sqlite"), std::string::npos);
        EXPECT_EQ(ctx.connectionMessage, msgs.texts[0]);
        EXPECT_EQ(ctx.Translator->Language(), "EN");
    }
    {
        // No settings file: reported, then the English text table cannot start.
        test::TempDir empty;
        Messages msgs;
        AppContext ctx;
        EXPECT_FALSE(ctx.Main(Options(empty)));
        EXPECT_FALSE(ctx.settingsFileRead);
        ASSERT_EQ(msgs.texts.size(), 3u);
        EXPECT_NE(msgs.texts[0].find("Dodov.ini"), std::string::npos);
        EXPECT_EQ(msgs.texts[1].rfind("Error ", 0), 0u);
        EXPECT_EQ(msgs.texts[2], "Can't start default language\r\nPlease contact your software distributer");
        EXPECT_EQ(msgs.kinds[2], MessageKind::Critical);
    }
    {
        // Language file present but no definition line for it.
        test::TempDir d;
        d.write("Dodov.ini", "[1]\nVersion=1\n");
        d.write("Lang_EN.txt", "0001:English\n");
        Messages msgs;
        AppContext ctx;
        EXPECT_FALSE(ctx.Main(Options(d)));
        ASSERT_FALSE(msgs.texts.empty());
        EXPECT_NE(std::find(msgs.texts.begin(), msgs.texts.end(), "Language definition in INI file missing"),
                  msgs.texts.end());
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
    EXPECT_TRUE(EndsWith(InstalledDataFolder(), "/share/Kelvaro")) << InstalledDataFolder();
    // An installed tree under any prefix: bin/ finds share/Kelvaro beside it.
    EXPECT_TRUE(std::filesystem::equivalent(FindDataFolder(prefix.file("bin")), prefix.file("share/Kelvaro")))
        << FindDataFolder(prefix.file("bin"));

    // The program's own folder is used when it holds the settings file.
    MakeDataFolder(prog);
    StartupOptions o = Options(prog);
    o.dataDir.clear();
    o.programDir = prog.path();
    Messages msgs;
    AppContext ctx;
    ASSERT_TRUE(ctx.Main(std::move(o)));
    EXPECT_EQ(ctx.AppPath, prog.path());
}

TEST(QtSettingsStore, KeepsValuesInItsOwnFolder)
{
    test::TempDir dir;
    {
        QtSettingsStore s(dir.path());
        EXPECT_EQ(s.Get("Settings", "Language", "EN"), "EN");
        s.Set("Settings", "Language", "DE");
        s.Set("User", "Name", "O'Neil, \"Jo\" = boss; x");
        s.Set("FanC", "ViewCharts", "");
        s.Set("Settings", "Measurements", "T;\xC2\xB0" "C|VL;m3/h");
        // Sections and keys match without regard to case, and writes land on the stored spelling.
        EXPECT_EQ(s.Get("settings", "LANGUAGE"), "DE");
        s.Set("SETTINGS", "language", "IT");
        EXPECT_EQ(s.Get("Settings", "Language"), "IT");
    }
    EXPECT_TRUE(FileExists(dir.file("Aerolyx/Aerolyx.ini")));
    QtSettingsStore again(dir.path());
    EXPECT_EQ(again.Get("Settings", "Language"), "IT");
    EXPECT_EQ(again.Get("User", "Name"), "O'Neil, \"Jo\" = boss; x");
    EXPECT_EQ(again.Get("FanC", "ViewCharts", "x"), "");  // stored empty is not missing
    EXPECT_EQ(again.Get("Settings", "Measurements"), "T;\xC2\xB0" "C|VL;m3/h");

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
    EXPECT_EQ(ReadUserSetting(store, "User", "Name", &ini), "");
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
