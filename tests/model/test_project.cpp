// The project file and the project-information logic: save and reload of
// every stored value, the dialog's fill and store, rebate re-pricing, and
// saving when the file system works against it (a read-only folder, a full
// disk, a save cut short): the file on disk is always the previous complete
// save, and the user is told.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ModelTestSupport.h"
#include "common/StrUtil.h"
#include "lang/MessageSink.h"
#include "model/ProjectInfo.h"

using namespace aerolyx;

namespace {

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
