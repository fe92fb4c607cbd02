// aerolyx-cli print and text, run as a user would on the shipped layouts and
// text sheets: a fan chosen over all types of the demo catalogue with two
// speeds and accessories, read back from the PDF.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/CliRun.h"

namespace aerolyx {
namespace {

using test::Cli;

const char* kTwoSpeedWithAccessories = "--set I_Pol=4/8 --set I_DpaAc1=Yes --set I_DpaAc2=Yes";

class CliPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The built data folder without the German two-speed layout.
        for (const auto& e : std::filesystem::directory_iterator(test::BuiltDataDir()))
            if (e.path().filename() != "TDAXIAL2_DE.txt")
                std::filesystem::create_symlink(e.path(), data.file(e.path().filename()));
        fan = Fan("");
        type = test::FanField(fan, "O_Type");
        name = test::FanField(fan, "O_FanName");
        ASSERT_FALSE(type.empty());
    }
    std::string Fan(const std::string& inputs)
    {
        const std::string file = work.file("fan" + std::to_string(++fans) + ".txt");
        const test::CliRun r = Cli("select --data " + data.path() + " --set I_AirFlow=5000 --set I_PresS=250 " + inputs +
                                   " --choose 1 --save " + file);
        EXPECT_EQ(r.status, 0) << r.err;
        return file;
    }
    test::CliRun Text(const std::string& opts) { return Cli("text " + fan + " " + opts); }

    test::TempDir data, work;
    std::string fan, type, name;
    int fans = 0;
};
using CliText = CliPrint;

TEST_F(CliPrint, WritesTheSheetWithoutAnyDisplay)
{
    const std::string pdf = work.file("sheet.pdf");
    const std::string two = Fan(kTwoSpeedWithAccessories);
    // No display and no platform chosen: the tool picks the offscreen one.
    const test::CliRun r = Cli("print " + two + " --pdf " + pdf + " --lang DE --data " + data.path(),
                               "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    ASSERT_EQ(r.status, 0) << r.err;
    // The German layout is missing: the English one prints, with the fan's values
    // and the accessories named in the print language.
    EXPECT_NE(r.all().find("3 pages, " + data.path() + "/TDAXIAL2_EN.txt"), std::string::npos) << r.all();
    const std::string t = test::PdfText(pdf);
    for (const std::string& v : {test::FanField(two, "O_FanName"), std::string("Speed 2"), std::string("5,000 m3/h"),
                                 std::string("665 1/min"), std::string("Page 2"), std::string("Schutzgitter"),
                                 std::string("Schalldämpfer")})
        EXPECT_NE(t.find(v), std::string::npos) << v << "\n" << t;
}

// Every shipped layout prints whole: no line is skipped for an unknown
// command, font, field or picture.
TEST_F(CliPrint, EveryShippedLayoutPrintsWithoutSkippedLines)
{
    for (const std::string& file : {Fan("--set I_DpaAc1=Yes"), Fan(kTwoSpeedWithAccessories)})
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

TEST_F(CliText, FillsTheSheetOfTheChosenFansTypeInEachLanguage)
{
    ASSERT_EQ(test::FanField(fan, "I_Type"), "-");  // no type given: the sheet of the chosen fan's type
    const test::CliRun en = Text("");
    ASSERT_EQ(en.status, 0) << en.err;
    for (const std::string& part : {"Axial fan " + name, std::string("5,000  m3/h"), std::string("250  Pa")})
        EXPECT_NE(en.out.find(part), std::string::npos) << part << "\n" << en.out;
    EXPECT_EQ(en.out.find('{'), std::string::npos) << en.out;
    EXPECT_NE(Text("--lang de --variant 2").out.find("Ausschreibung: Axialventilator " + name), std::string::npos);
    EXPECT_NE(Text("--lang IT").out.find("Ventilatore assiale " + name), std::string::npos);
}

TEST_F(CliText, WritesRtfAndAPdfThePrintCommandMatches)
{
    const std::string rtf = work.file("t.rtf"), pdf = work.file("t.pdf"), printed = work.file("p.pdf");
    ASSERT_EQ(Text("--variant 2 --out " + rtf).status, 0);
    const std::string r = test::ReadBytes(rtf);
    EXPECT_EQ(r.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(r.find(" 5,000 "), std::string::npos);
    EXPECT_EQ(r.find("\\{O_"), std::string::npos);

    const test::CliRun p = Text("--lang DE --variant 2 --out " + pdf);
    ASSERT_EQ(p.status, 0) << p.err;
    EXPECT_NE(p.all().find(type + "_AXM_SV_DE.rtf"), std::string::npos) << p.all();
    const std::string t = test::PdfText(pdf);
    for (const char* part : {"Ausschreibungstext", "Betriebsdaten", "5,000"})  // the German layout and the sheet
        EXPECT_NE(t.find(part), std::string::npos) << part << "\n" << t;
    EXPECT_EQ(t.find('{'), std::string::npos) << t;
    ASSERT_EQ(Cli("print " + fan + " --type TEXTW --lang DE --pdf " + printed).status, 0);
    EXPECT_EQ(test::PdfText(printed), t);
}

TEST_F(CliText, MissingSheetsAndBadArgumentsLeaveFilesAlone)
{
    const std::string old = work.write("old.rtf", "keep me");
    test::CliRun r = Text("--lang FR --out " + old);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("TXT/" + type + "_AXM_FR.rtf not found"), std::string::npos) << r.err;
    EXPECT_EQ(test::ReadBytes(old), "keep me");
    for (const char* bad : {"--variant 3", "--lang DEU", "--format html", "--out x.doc", "--format rtf --out x.txt",
                            "--bogus", "--lang"}) {
        r = Text(bad);
        EXPECT_EQ(r.status, 2) << bad << ": " << r.all();
        EXPECT_NE(r.err.find("aerolyx-cli: "), std::string::npos) << bad;
    }
}

}  // namespace
}  // namespace aerolyx
