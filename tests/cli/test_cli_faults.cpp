// The command line on a damaged installation: a catalogue that is missing,
// cut short or locked by another program, a data folder with only the
// essentials, a settings store that holds garbage.
// A selection either works or stops with a message; the project file it was
// started from is never touched.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/CliRun.h"

namespace aerolyx {
namespace {

namespace fs = std::filesystem;
using test::Cli;

// A copy of the built data folder: settings file, language files and
// (unless told otherwise) the catalogue; no layouts, pictures or text sheets.
class DataCopy {
public:
    explicit DataCopy(bool withCatalogue = true)
    {
        const std::string src = test::BuiltDataDir();
        for (const char* f : {"Dodov.ini", "Lang_EN.txt", "Lang_DE.txt", "Lang_IT.txt"})
            fs::copy_file(src + "/" + f, dir.file(f));
        if (withCatalogue) fs::copy_file(src + "/fans.db", catalogue());
    }
    std::string catalogue() const { return dir.file("fans.db"); }
    test::TempDir dir;
};

const char* kDuty = "--set I_AirFlow=5000 --set I_PresS=250";

// A project saved from a working selection, for the runs that must not touch it.
std::string SavedProject(const test::TempDir& where)
{
    const std::string file = where.file("project.txt");
    const test::CliRun r = Cli(std::string("select ") + kDuty + " --set I_Project=Hall --choose 1 --save " + file);
    EXPECT_EQ(r.status, 0) << r.all();
    return file;
}

// A selection from the project, saved back onto it: fails with a message
// and leaves the file exactly as it was.
void ExpectStopsWithMessage(const std::string& data, const std::string& project, const std::string& expected)
{
    const std::string before = test::ReadBytes(project);
    const test::CliRun r = Cli("select --data " + data + " --project " + project + " --choose 1 --save " + project);
    EXPECT_NE(r.status, 0) << r.all();
    EXPECT_NE(r.all().find(expected), std::string::npos) << r.all();
    EXPECT_EQ(test::ReadBytes(project), before);
    EXPECT_FALSE(FileExists(AtomicTempPath(project)));
}

TEST(CliFaults, DamagedCatalogueStopsTheSelectionWithAMessage)
{
    test::TempDir work;
    const std::string project = SavedProject(work);

    DataCopy missing(false);
    ExpectStopsWithMessage(missing.dir.path(), project, "fans.db");

    // Cut after its first pages: the header reads, the tables do not.
    DataCopy cut;
    fs::resize_file(cut.catalogue(), 16384);
    ExpectStopsWithMessage(cut.dir.path(), project, "catalogue");
}

TEST(CliFaults, ACatalogueLockedByAnotherWriterStopsTheSelectionThenWorksAgain)
{
    if (std::system("command -v sqlite3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "the sqlite3 program is not installed";
    test::TempDir work;
    const std::string project = SavedProject(work);
    DataCopy data;

    // Another program holds the write lock until its input ends.
    const std::string fifo = work.file("lock.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string ready = work.file("locked");
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const std::string script = "exec sqlite3 " + data.catalogue() + " < " + fifo;
        ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    {
        std::ofstream lock(fifo);
        lock << "BEGIN EXCLUSIVE;\nDELETE FROM tblFanSeries;\n.shell touch " << ready << "\n" << std::flush;
        for (int i = 0; i < 200 && !FileExists(ready); ++i) ::usleep(50000);
        ASSERT_TRUE(FileExists(ready)) << "the lock holder did not start";

        const auto t0 = std::chrono::steady_clock::now();
        ExpectStopsWithMessage(data.dir.path(), project, "locked");
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(60)) << "waited too long for the lock";
        lock << "ROLLBACK;\n.quit\n" << std::flush;
    }
    int status = 0;
    ::waitpid(holder, &status, 0);

    const test::CliRun ok = Cli("select --data " + data.dir.path() + " --project " + project + " --choose 1 --save " +
                       work.file("again.txt"));
    EXPECT_EQ(ok.status, 0) << ok.all();
}

// No layouts, pictures or text sheets: selecting and showing need none of
// them; the print-out, text sheet and sound sheet name what is missing, write
// no document they cannot fill and leave an earlier output and the project
// as they were.
TEST(CliFaults, DataFolderWithOnlyTheEssentials)
{
    DataCopy data;
    const std::string src = test::BuiltDataDir();
    const std::string at = " --data " + data.dir.path();
    const std::string fan = data.dir.file("p.txt");
    ASSERT_EQ(Cli("select" + at + " " + kDuty + " --choose 1 --save " + fan).status, 0);
    EXPECT_EQ(Cli("show" + at + " " + fan).status, 0);
    const std::string project = test::ReadBytes(fan);
    const std::string old = data.dir.write("old.pdf", "an earlier print-out");

    auto refused = [&](const std::string& args, const std::string& missing) {
        SCOPED_TRACE(args);
        const test::CliRun r = Cli(args + at, "QT_QPA_PLATFORM=offscreen");
        EXPECT_EQ(r.status, 2) << r.all();
        EXPECT_NE(r.all().find(data.dir.file(missing)), std::string::npos) << r.all();
        EXPECT_EQ(r.all().find("Wrote"), std::string::npos) << r.all();
        EXPECT_EQ(test::ReadBytes(old), "an earlier print-out");
        EXPECT_EQ(test::ReadBytes(fan), project);
    };
    // No layouts at all: the English fallback is named; a text print-out
    // first names its tender text in the language asked for.
    refused("print " + fan + " --pdf " + old, "TDAXIAL_EN.txt");
    refused("print " + fan + " --type TEXT --lang DE --pdf " + old, "TXT/AXM-L_AXM_DE.rtf");
    refused("text " + fan + " --out " + old, "TXT/AXM-L_AXM_EN.rtf");

    // Layouts, but no pictures and no tender texts.
    for (const char* f : {"TDAXIAL_EN.txt", "TDAXIAL2_EN.txt", "TXAXIAL_EN.txt"})
        fs::copy_file(src + "/" + f, data.dir.file(f));
    refused("print " + fan + " --type TEXT --pdf " + old, "TXT/AXM-L_AXM_EN.rtf");
    refused("print " + fan + " --type TEXTW --pdf " + old, "TXT/AXM-L_AXM_SV_EN.rtf");
    // The data sheet has its values without pictures: printed, each missing one named.
    test::CliRun r = Cli("print " + fan + " --pdf " + old + at, "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(r.status, 0) << r.all();
    EXPECT_NE(r.all().find("picture cannot be loaded: " + data.dir.file("CAD/AXM-L_A_L.png")), std::string::npos)
        << r.all();
    EXPECT_EQ(test::ReadBytes(old).rfind("%PDF-", 0), 0u);
    // The sound sheet needs nothing from the folder but the catalogue's data in the project.
    r = Cli("sound " + fan + " --out " + data.dir.file("sound.pdf") + at, "QT_QPA_PLATFORM=offscreen");
    EXPECT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(test::ReadBytes(data.dir.file("sound.pdf")).rfind("%PDF-", 0), 0u);
    EXPECT_EQ(test::ReadBytes(fan), project);

    // Without the user's language file the language is refused by name.
    fs::remove(data.dir.file("Lang_DE.txt"));
    r = Cli("show" + at + " --lang DE " + fan);
    EXPECT_EQ(r.status, 2) << r.all();
    EXPECT_NE(r.all().find("--lang DE"), std::string::npos) << r.all();
}

// (An unwritable store is reported by the store's own tests.)
TEST(CliFaults, SettingsStoreWithGarbageStillSelects)
{
    const test::CliRun clean = Cli(std::string("select ") + kDuty, "AEROLYX_SETTINGS_DIR=$(mktemp -d)");
    ASSERT_EQ(clean.status, 0) << clean.all();

    test::TempDir settings;
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
    garbage += "\n[Settings]\nLanguage=\xff\xfe\nRebate=lots\nUnits=\x01\x02\n[User\n=\n";
    settings.write("Aerolyx/Aerolyx.ini", garbage);
    test::CliRun r = Cli(std::string("select ") + kDuty, "AEROLYX_SETTINGS_DIR=" + settings.path());
    EXPECT_EQ(r.status, 0) << r.all();
    EXPECT_EQ(r.all(), clean.all());
}

}  // namespace
}  // namespace aerolyx
