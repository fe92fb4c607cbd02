// Saving a project when the file system works against it: a read-only
// folder, a full disk, a process killed in the middle of a save. The file on
// disk is always the previous complete save, and the user is told.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ModelTestSupport.h"
#include "lang/MessageSink.h"
#include "model/ProjectInfo.h"

using namespace aerolyx;

namespace {

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
        rec.setValueI("I_Project", Variant("Hall 3"));
        rec.setValueI("I_AirFlow", Variant(5000.0));
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
    const std::string path = folder + "/project.txt";
    {
        std::ofstream(path, std::ios::binary) << previous;
    }
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
    const std::string path = folder + "/project.txt";
    {
        std::ofstream(path, std::ios::binary) << previous;
    }
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

TEST_F(FileFaults, AProcessKilledWhileSavingLeavesThePreviousFile)
{
    test::TempDir dir;
    const std::string path = dir.file("project.txt");
    const std::string tmp = AtomicTempPath(path);
    rec.setValueI("I_Notes", Variant(std::string(24 << 20, 'n')));  // a save that takes a while
    for (int round = 0; round < 3; ++round) {
        {
            std::ofstream(path, std::ios::binary) << previous;
        }
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
        if (WIFEXITED(status)) {
            // It finished first: then the new file is there whole.
            const std::string now = Slurp(path);
            EXPECT_NE(now.find("I_Project=Hall 3\n"), std::string::npos);
            EXPECT_EQ(now.substr(now.size() - 1), "\n");
            continue;
        }
        ExpectPreviousFile(path);
    }

    // What a kill between the write and the rename leaves: the whole new
    // text in the temporary file, the old file in place. Opening tells the user.
    {
        std::ofstream(path, std::ios::binary) << previous;
        std::ofstream(tmp, std::ios::binary) << rec.WriteToString();
    }
    messages.clear();
    ExpectPreviousFile(path);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("unfinished save"), std::string::npos) << messages[0];
    // The next save goes through and takes the leftover with it.
    std::string message;
    rec.setValueI("I_Notes", Variant("short"));
    ASSERT_TRUE(SaveProjectFile(rec, path, true, &message)) << message;
    EXPECT_FALSE(FileExists(tmp));
    EXPECT_NE(Slurp(path).find("I_Project=Hall 3"), std::string::npos);
}

}  // namespace
