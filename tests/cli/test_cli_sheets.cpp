// The sheets of a saved fan from the command line, run as a user would:
// print and text on the shipped layouts and text sheets (fans chosen over all
// types of the demo catalogue, one with two speeds and accessories, read back
// from the PDF), chart on a two-speed fan, sound on a fan file written here,
// and the bad input a user can give each.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/CliRun.h"
#include "common/NumText.h"
#include "common/StrUtil.h"

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

// A two-speed fan (4/8 poles) chosen and saved as a user would.
class CliChartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const test::CliRun r = Cli("select --set I_AirFlow=8000 --set I_PresS=300 --set I_Pol=7 --choose 1 --save " + fan_);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    test::TempDir dir_;
    const std::string fan_ = dir_.file("two.txt");
};

// The first point of the pressure list, speed 2 against speed 1: the flow by
// the speed ratio 720/1450, the pressure by its square, each cut to a whole
// number (the fan laws themselves are worked by hand in the chart's own tests).
TEST_F(CliChartTest, PointsOfTheSecondSpeedAndPicturesAtTheAskedSize)
{
    const test::CliRun one = Cli("chart " + fan_ + " --points");
    const test::CliRun two = Cli("chart " + fan_ + " --points --speed 2");
    ASSERT_EQ(one.status + two.status, 0) << one.err << two.err;
    const auto first = [](const std::string& out) { return Split(Split(Split(out, '\n').at(1), ';')[0], ','); };
    const double r = 720.0 / 1450;
    EXPECT_NEAR(TextToNum(first(two.out)[0]), TextToNum(first(one.out)[0]) * r, 1);
    EXPECT_NEAR(TextToNum(first(two.out)[1]), TextToNum(first(one.out)[1]) * r * r, 1);

    ASSERT_EQ(Cli("chart " + fan_ + " --out " + dir_.file("c.png") + " --panels 1111").status, 0);
    EXPECT_EQ(test::ReadBytes(dir_.file("c.png")).substr(12, 12), std::string("IHDR\0\0\x06\x40\0\0\x04\xB0", 12))
        << "not 1600 x 1200";
    ASSERT_EQ(Cli("chart " + fan_ + " --out " + dir_.file("c.svg") + " --width 900 --height 700 --speed 2").status, 0);
    EXPECT_NE(test::ReadBytes(dir_.file("c.svg")).find("<svg width=\"900\" height=\"700\""), std::string::npos);
    ASSERT_EQ(Cli("chart " + fan_ + " --out " + dir_.file("c.pdf")).status, 0);
    EXPECT_EQ(test::ReadBytes(dir_.file("c.pdf")).substr(0, 5), "%PDF-");
}

TEST_F(CliChartTest, BadInputExitsWithTwoAndWritesNothing)
{
    const std::string text = test::ReadBytes(fan_);
    const test::TempDir dir;
    const std::string out = dir.file("x.png");
    const std::string gone = dir.write("gone.txt", ReplaceAll(text, "O_FsID=", "O_FsID=99999"));
    const std::string noFan = dir.write("nofan.txt", ReplaceAll(text, "O_FsID=", "O_Gone="));
    const std::string single = dir.write("one.txt", ReplaceAll(text, "O_FanPol2=8", "O_FanPol2=0"));
    // {arguments, what the message says}
    const std::pair<std::string, std::string> rows[] = {
        {dir.file("none.txt") + " --out " + out, "no such file"},
        {fan_ + " --out " + dir.file("x.tif"), "unknown picture format"},
        {fan_ + " --out " + out + " --speed 3", "--speed"},
        {fan_ + " --out " + out + " --panels 12", "--panels"},
        {fan_ + " --out " + out + " --width 0", "--width"},
        {fan_ + " --out", "needs a value"},
        {fan_, "nothing to do"},
        {gone + " --out " + out, "no longer in the catalogue"},
        {noFan + " --out " + out, "O_FsID"},
        {single + " --out " + out + " --speed 2", "no motor speed 2"},
    };
    for (const auto& [args, says] : rows) {
        SCOPED_TRACE(args);
        const test::CliRun r = Cli("chart " + args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        EXPECT_FALSE(FileExists(out));
        EXPECT_FALSE(FileExists(dir.file("x.tif")));
    }
}

const char* kFan =
    "O_FanName=AXM 355\nI_LwpDist=3\nO_Lw1=92.7\nO_LwA1=71.6\nO_L1wp1=77\nO_L1wp2=83.8\nO_L1wp3=87.4\n"
    "O_L1wp4=87.8\nO_L1wp5=85.1\nO_L1wp6=79.1\nO_L1wp7=67.4\nO_L1wp8=58.1\nO_L1wp1d=33.3\nO_L1wp2d=50.2\n"
    "O_L1wp3d=61.3\nO_L1wp4d=67.1\nO_L1wp5d=67.6\nO_L1wp6d=62.8\nO_L1wp7d=50.9\nO_L1wp8d=39.5\n";

TEST(CliSound, TablesPicturesAndWhatAFileLacks)
{
    const test::TempDir dir;
    const std::string fan = dir.write("fan.txt", kFan);
    // The sheet keeps its options in the user's settings: a store of its own.
    auto sound = [&](const std::string& args) {
        return test::Cli("sound " + args, "AEROLYX_SETTINGS_DIR=" + dir.path());
    };
    const struct {
        std::string args;
        int status;
        std::string says;
    } rows[] = {
        {"--power --bands --format csv " + fan, 0,
         "Description,Sum,63 Hz,125 Hz,250 Hz,500 Hz,1 kHz,2 kHz,4 kHz,8 kHz\n"
         "LwA,92.7,77.0,83.8,87.4,87.8,85.1,79.1,67.4,58.1\n"},
        {"--nr --pressure --format json -- " + fan, 0, "{\"band\": \"8 kHz\", \"hz\": 8000, \"level\": 39.5, \"nr\": 45.4}"},
        {"--format xml " + fan, 2, "--format"},
        {"--power --pressure " + fan, 2, "--pressure"},
        {"--out " + dir.file("s.doc") + " " + fan, 2, "s.doc"},
        {"--pressure " + dir.write("nodist.txt", std::string(kFan) + "I_LwpDist=0\n"), 2, "no listening distance"},
        {dir.write("empty.txt", "nothing here\n"), 2, "empty.txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const test::CliRun r = sound(row.args);
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_NE(r.all().find(row.says), std::string::npos) << r.all();
    }
    EXPECT_FALSE(FileExists(dir.file("s.doc")));
    ASSERT_EQ(sound("--pressure --out " + dir.file("s.pdf") + " " + fan).status, 0);
    EXPECT_EQ(test::ReadBytes(dir.file("s.pdf")).substr(0, 5), "%PDF-");
    ASSERT_EQ(sound("--nr --out " + dir.file("s.svg") + " " + fan).status, 0);
    EXPECT_NE(test::ReadBytes(dir.file("s.svg")).find("NR 100"), std::string::npos);
}

}  // namespace
}  // namespace aerolyx
