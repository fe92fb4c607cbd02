// aerolyx-cli select and show, run as a user would on the built data folder.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

struct CliRun {
    int status = -1;
    std::string out;  // stdout and stderr
};

CliRun Cli(const std::string& args)
{
    const std::string cmd = test::BuiltDataDir() + "/aerolyx-cli " + args + " 2>&1";
    CliRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

int CountLines(const std::string& s, const std::string& part)
{
    int n = 0;
    for (const auto& l : Split(s, '\n'))
        if (l.find(part) != std::string::npos) ++n;
    return n;
}

TEST(Cli, BadArgumentsAndFilesExitWithTwo)
{
    CliRun r = Cli("select --format xml");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("--format"), std::string::npos);
    r = Cli("select --set I_Bogus=1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("Unknown field: I_Bogus"), std::string::npos);
    r = Cli("select --set I_AirFlow=much");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("not a number"), std::string::npos);
    r = Cli("select --set I_AirFlow");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(Cli("select --choose 0").status, 2);
    EXPECT_EQ(Cli("select --choose").status, 2);
    EXPECT_EQ(Cli("select --units 'VL;litres'").status, 2);
    EXPECT_EQ(Cli("select --lang XX").status, 2);
    r = Cli("select --project /nonexistent/p.txt");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("/nonexistent/p.txt"), std::string::npos);
    EXPECT_EQ(Cli("select --data /nonexistent").status, 2);
    EXPECT_EQ(Cli("show").status, 2);
    EXPECT_EQ(Cli("show /nonexistent/p.txt").status, 2);
    EXPECT_EQ(Cli("frobnicate").status, 2);
    EXPECT_EQ(Cli("select --help").status, 0);
}

TEST(Cli, ShowListsTheFileFields)
{
    test::TempDir dir;
    const std::string f = dir.write("p.txt", "I_AirFlow=7200\nO_FanName=AXM-S 400 28 A-4\nI_Volt=4\nNoSuch=1\n\n");
    CliRun r = Cli("show " + f);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(CountLines(r.out, "AXM-S 400 28 A-4"), 1);
    EXPECT_EQ(CountLines(r.out, "7,200"), 1);
    EXPECT_EQ(CountLines(r.out, "m3/h"), 1);
    EXPECT_EQ(CountLines(r.out, "460"), 1);  // the choice text of voltage 4
    EXPECT_EQ(r.out.find("NoSuch"), std::string::npos);
    // Other units: 7200 m3/h shown as 2 m3/s.
    r = Cli("show " + f + " --units 'VL;m3/s'");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(CountLines(r.out, "2.000"), 1);

    EXPECT_EQ(Cli("show " + dir.write("q.txt", "nothing here\n")).status, 2);
}

}  // namespace
}  // namespace aerolyx
