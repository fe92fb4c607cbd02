// aerolyx-cli print, run as a user would: a fan chosen on the demo catalogue
// with two speeds and accessories, printed through a layout written here.
#include <gtest/gtest.h>
#include <filesystem>
#include <string>

#include "output/DemoLayout.h"
#include "cli/CliRun.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

test::CliRun Sh(const std::string& cmd) { return test::Run(cmd + " 2>&1"); }
std::string Cli() { return test::CliProgram(); }

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
        const test::CliRun sel = Sh(Cli() + " select --data " + data.path() +
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
    const test::CliRun r = Sh("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + Cli() + " print " + fan + " --pdf " +
                     pdf + " --lang DE --data " + data.path());
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("2 pages"), std::string::npos) << r.out;
    // The German layout is missing: the English one prints, with the fan's values
    // and the accessories named in the print language.
    EXPECT_NE(r.out.find("TDAXIAL2_EN.txt"), std::string::npos);
    const std::string t = Text(pdf);
    for (const char* v : {"Speed 2", "[m3/h]", "250", "665 1/min", "Page", "Schutzgitter", "Schalldämpfer"})
        EXPECT_NE(t.find(v), std::string::npos) << v << "\n" << t;
    const std::string fanName = test::FanField(fan, "O_FanName");
    ASSERT_FALSE(fanName.empty());
    EXPECT_NE(t.find(fanName), std::string::npos);
}

TEST_F(CliPrint, FailuresExitWithTwoAndKeepThePreviousFile)
{
    const std::string pdf = work.write("old.pdf", "previous");
    std::filesystem::remove(data.file("TDAXIAL2_EN.txt"));
    test::CliRun r = Sh(Cli() + " print " + fan + " --pdf " + pdf + " --data " + data.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("Printlayout " + data.path() + "/TDAXIAL2_EN.txt not found"), std::string::npos) << r.out;
    EXPECT_EQ(test::ReadBytes(pdf), "previous");

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
