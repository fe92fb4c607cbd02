// aerolyx-cli print, run as a user would on the shipped layouts: a fan chosen
// on the demo catalogue with two speeds and accessories, read back from the PDF.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/CliRun.h"

namespace aerolyx {
namespace {

using test::Cli;

class CliPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The built data folder without the German two-speed layout.
        for (const auto& e : std::filesystem::directory_iterator(test::BuiltDataDir()))
            if (e.path().filename() != "TDAXIAL2_DE.txt")
                std::filesystem::create_symlink(e.path(), data.file(e.path().filename()));
        fan = Fan("--set I_Pol=4/8 --set I_DpaAc1=Yes --set I_DpaAc2=Yes");
    }
    std::string Fan(const std::string& inputs)
    {
        const std::string file = work.file("fan" + std::to_string(++fans) + ".txt");
        const test::CliRun r = Cli("select --data " + data.path() + " --set I_AirFlow=5000 --set I_PresS=250 " + inputs +
                                   " --choose 1 --save " + file);
        EXPECT_EQ(r.status, 0) << r.err;
        return file;
    }

    test::TempDir data, work;
    std::string fan;
    int fans = 0;
};

TEST_F(CliPrint, WritesTheSheetWithoutAnyDisplay)
{
    const std::string pdf = work.file("sheet.pdf");
    // No display and no platform chosen: the tool picks the offscreen one.
    const test::CliRun r = Cli("print " + fan + " --pdf " + pdf + " --lang DE --data " + data.path(),
                               "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    ASSERT_EQ(r.status, 0) << r.err;
    // The German layout is missing: the English one prints, with the fan's values
    // and the accessories named in the print language.
    EXPECT_NE(r.all().find("3 pages, " + data.path() + "/TDAXIAL2_EN.txt"), std::string::npos) << r.all();
    const std::string t = test::PdfText(pdf);
    for (const std::string& v : {test::FanField(fan, "O_FanName"), std::string("Speed 2"), std::string("5,000 m3/h"),
                                 std::string("665 1/min"), std::string("Page 2"), std::string("Schutzgitter"),
                                 std::string("Schalldämpfer")})
        EXPECT_NE(t.find(v), std::string::npos) << v << "\n" << t;
}

// Every shipped layout prints whole: no line is skipped for an unknown
// command, font, field or picture.
TEST_F(CliPrint, EveryShippedLayoutPrintsWithoutSkippedLines)
{
    const std::string one = Fan("--set I_DpaAc1=Yes");
    for (const std::string& file : {one, fan})
        for (const char* type : {"FAN", "TEXTW"})
            for (const char* lang : {"EN", "DE", "IT"}) {
                SCOPED_TRACE(file + " " + type + " " + lang);
                const test::CliRun r = Cli("print " + file + " --type " + type + " --lang " + lang + " --pdf " +
                                           work.file("x.pdf"));  // the built data folder, with every layout
                EXPECT_EQ(r.status, 0) << r.err;
                EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
            }
}

TEST_F(CliPrint, FailuresExitWithTwoAndKeepThePreviousFile)
{
    const std::string pdf = work.write("old.pdf", "previous");
    const std::string args = " --pdf " + pdf + " --data " + data.path();
    // Results that are not current are not printed, as in the window.
    test::CliRun r = Cli("print " + work.write("stale.txt", "O_Calc=0\nO_Type=AXM-L\n") + args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("not current"), std::string::npos) << r.err;
    for (const char* bad : {" --type CHART", " --lang ENG", " --pdf"})  // the last without its value
        EXPECT_EQ(Cli("print " + fan + args + bad).status, 2) << bad;
    EXPECT_EQ(test::ReadBytes(pdf), "previous");
    r = Cli("print " + fan + " --pdf /nonexistent/dir/x.pdf");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("/nonexistent/dir/x.pdf"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace aerolyx
