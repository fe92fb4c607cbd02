// aerolyx-cli chart on a two-speed fan chosen from the demo catalogue, and
// sound on a fan file written here; the bad input a user can give each.
#include <gtest/gtest.h>

#include <string>

#include "cli/CliRun.h"
#include "common/NumText.h"
#include "common/StrUtil.h"

namespace aerolyx {
namespace {

using test::Cli;

// A two-speed fan (4/8 poles) chosen and saved as a user would.
class CliChartTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new test::TempDir;
        fan_ = dir_->file("two.txt");
        const test::CliRun r = Cli("select --set I_AirFlow=8000 --set I_PresS=300 --set I_Pol=7 --choose 1 --save " + fan_);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    static void TearDownTestSuite() { delete dir_; }
    static inline test::TempDir* dir_ = nullptr;
    static inline std::string fan_;
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

    ASSERT_EQ(Cli("chart " + fan_ + " --out " + dir_->file("c.png") + " --panels 1111").status, 0);
    EXPECT_EQ(test::ReadBytes(dir_->file("c.png")).substr(12, 12), std::string("IHDR\0\0\x06\x40\0\0\x04\xB0", 12))
        << "not 1600 x 1200";
    ASSERT_EQ(Cli("chart " + fan_ + " --out " + dir_->file("c.svg") + " --width 900 --height 700 --speed 2").status, 0);
    EXPECT_NE(test::ReadBytes(dir_->file("c.svg")).find("<svg width=\"900\" height=\"700\""), std::string::npos);
    ASSERT_EQ(Cli("chart " + fan_ + " --out " + dir_->file("c.pdf")).status, 0);
    EXPECT_EQ(test::ReadBytes(dir_->file("c.pdf")).substr(0, 5), "%PDF-");
}

TEST_F(CliChartTest, BadInputExitsWithTwoAndWritesNothing)
{
    const std::string text = test::ReadBytes(fan_);
    const test::TempDir dir;
    const std::string out = dir.file("x.png");
    const std::string gone = dir.write("gone.txt", ReplaceAll(text, "O_FsID=", "O_FsID=99999"));
    const std::string noFan = dir.write("nofan.txt", ReplaceAll(text, "O_FsID=", "O_Gone="));
    const std::string single = dir.write("one.txt", ReplaceAll(text, "O_FanPol2=8", "O_FanPol2=0"));
    const struct {
        std::string args, says;
    } rows[] = {
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
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const test::CliRun r = Cli("chart " + row.args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find(row.says), std::string::npos) << r.err;
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
    auto sound = [&](const std::string& args) { return test::Cli("sound " + args, "AEROLYX_SETTINGS_DIR=" + dir.path()); };
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
