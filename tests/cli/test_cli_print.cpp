// aerolyx-cli print, run as a user would: a fan chosen on the demo catalogue
// with two speeds and accessories, printed through a layout written here.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "output/DemoLayout.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

struct ShellRun {
    int status = -1;
    std::string out;
};

ShellRun Sh(const std::string& cmd)
{
    ShellRun r;
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

std::string Cli() { return test::BuiltDataDir() + "/aerolyx-cli"; }

class CliPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A data folder of the built files plus the demo layout.
        namespace fs = std::filesystem;
        for (const char* f : {"Dodov.ini", "Lang_EN.txt", "Lang_DE.txt", "Lang_IT.txt", "fans.db"})
            fs::create_symlink(test::BuiltDataDir() + "/" + f, data.file(f));
        data.write("TDAXIAL2_EN.txt", test::DemoLayout());
        fan = work.file("fan.txt");
        const ShellRun sel = Sh(Cli() + " select --data " + data.path() +
                           " --set I_AirFlow=5000 --set I_PresS=250 --set I_Pol=4/8 --set I_DpaAc1=Yes"
                           " --set I_DpaAc2=Yes --choose 1 --save " + fan);
        ASSERT_EQ(sel.status, 0) << sel.out;
    }
    std::string Text(const std::string& pdf) { return Sh("pdftotext -layout " + pdf + " -").out; }

    test::TempDir data, work;
    std::string fan;
};

TEST_F(CliPrint, WritesTheSheetWithoutAnyDisplay)
{
    const std::string pdf = work.file("sheet.pdf");
    // No display and no platform chosen: the tool picks the offscreen one.
    const ShellRun r = Sh("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + Cli() + " print " + fan + " --pdf " +
                     pdf + " --lang DE --data " + data.path());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("2 pages"), std::string::npos) << r.out;
    // The German layout is missing: the English one prints, with the fan's values
    // and the accessories named in the print language.
    EXPECT_NE(r.out.find("TDAXIAL2_EN.txt"), std::string::npos);
    const std::string t = Text(pdf);
    for (const char* v : {"Speed 2", "[m3/h]", "250", "665 1/min", "Page", "Schutzgitter", "Schalldämpfer"})
        EXPECT_NE(t.find(v), std::string::npos) << v << "\n" << t;
    std::string fanName;
    {
        std::ifstream in(fan);
        for (std::string l; std::getline(in, l);)
            if (l.rfind("O_FanName=", 0) == 0) fanName = l.substr(10);
    }
    ASSERT_FALSE(fanName.empty());
    EXPECT_NE(t.find(fanName), std::string::npos);
}

TEST_F(CliPrint, FailuresExitWithTwoAndKeepThePreviousFile)
{
    const std::string pdf = work.write("old.pdf", "previous");
    std::filesystem::remove(data.file("TDAXIAL2_EN.txt"));
    ShellRun r = Sh(Cli() + " print " + fan + " --pdf " + pdf + " --data " + data.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("Printlayout " + data.path() + "/TDAXIAL2_EN.txt not found"), std::string::npos) << r.out;
    std::ifstream in(pdf);
    std::string kept((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(kept, "previous");

    EXPECT_EQ(Sh(Cli() + " print " + fan).status, 2);                                 // no --pdf
    EXPECT_EQ(Sh(Cli() + " print --pdf " + pdf).status, 2);                           // no file
    EXPECT_EQ(Sh(Cli() + " print " + fan + " --pdf " + pdf + " --type CHART").status, 2);
    EXPECT_EQ(Sh(Cli() + " print " + fan + " --pdf " + pdf + " --lang ENG").status, 2);
    EXPECT_EQ(Sh(Cli() + " print /nonexistent/fan.txt --pdf " + pdf).status, 2);
    // Results that are not current are not printed, as in the window.
    const std::string stale = work.write("stale.txt", "O_Calc=0\nO_Type=AXM-L\n");
    r = Sh(Cli() + " print " + stale + " --pdf " + pdf + " --data " + data.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("not current"), std::string::npos);
    // An unwritable target.
    data.write("TDAXIAL2_EN.txt", test::DemoLayout());
    r = Sh(Cli() + " print " + fan + " --pdf /nonexistent/dir/x.pdf --data " + data.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("/nonexistent/dir/x.pdf"), std::string::npos);
}

}  // namespace
}  // namespace aerolyx
