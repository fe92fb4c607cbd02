// aerolyx-cli chart on fans chosen from the demo catalogue, and the bad
// input a user can give it.
#include <gtest/gtest.h>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSvgRenderer>
#include <cmath>
#include <string>

#include "common/NumText.h"
#include "common/StrUtil.h"
#include "common/TextFile.h"
#include "cli/CliRun.h"
#include "support/TestSupport.h"

namespace aerolyx {
namespace {

test::CliRun Chart(const std::string& args) { return test::RunApart(test::CliProgram() + " " + args); }

// A two-speed fan (4/8 poles) chosen and saved as a user would.
class CliChartTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new test::TempDir;
        const test::CliRun r = Chart("select --set I_AirFlow=8000 --set I_PresS=300 --set I_Pol=7 --choose 1 --save " +
                            dir_->file("two.txt"));
        ASSERT_EQ(r.status, 0) << r.err;
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string File(const std::string& name) { return dir_->file(name); }
    static test::TempDir* dir_;
};
test::TempDir* CliChartTest::dir_ = nullptr;

std::vector<double> FirstPoint(const std::string& list)
{
    const auto xy = Split(Split(Split(list, '|')[0], ';')[0], ',');
    return {TextToNum(xy[0]), TextToNum(xy.size() > 1 ? xy[1] : "")};
}

TEST_F(CliChartTest, PointsOfBothSpeedsFollowTheFanLaws)
{
    const test::CliRun one = Chart("chart " + File("two.txt") + " --points");
    ASSERT_EQ(one.status, 0) << one.err;
    const auto l1 = Split(TrimRight(one.out), '\n');
    ASSERT_EQ(l1.size(), 5u) << one.out;
    const std::size_t curves = Split(l1[0], ',').size();
    for (std::size_t i = 1; i < 5; ++i) EXPECT_EQ(Split(l1[i], '|').size(), curves) << i;

    const test::CliRun two = Chart("chart " + File("two.txt") + " --points --speed 2");
    ASSERT_EQ(two.status, 0) << two.err;
    const auto l2 = Split(TrimRight(two.out), '\n');
    ASSERT_EQ(l2.size(), 5u);
    EXPECT_EQ(l2[0], l1[0]);  // the same curves
    // Speed 1 runs at the curves' own 1450 1/min, speed 2 at 720: flow x 720/1450
    // and pressure x (720/1450)^2, each cut to a whole number.
    const auto p1 = FirstPoint(l1[1]), p2 = FirstPoint(l2[1]);
    EXPECT_EQ(p2[0], std::trunc(p1[0] * 720 / 1450));
    EXPECT_EQ(p2[1], std::trunc(p1[1] * 720 * 720 / (1450.0 * 1450)));
    const auto w1 = FirstPoint(l1[3]), w2 = FirstPoint(l2[3]);
    EXPECT_NEAR(w2[1], w1[1] * std::pow(720.0 / 1450, 3), 1e-4);
    const auto s1 = FirstPoint(l1[4]), s2 = FirstPoint(l2[4]);
    EXPECT_NEAR(s2[1], s1[1] + 50 * std::log10(720.0 / 1450), 0.01);
}

TEST_F(CliChartTest, PicturesAndPdfAreWrittenAtTheAskedSize)
{
    int argc = 1;
    static char name[] = "tests_cli";
    char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    test::CliRun r = Chart("chart " + File("two.txt") + " --out " + File("c.png") + " --panels 1111");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(QImage(QString::fromStdString(File("c.png"))).size(), QSize(1600, 1200));
    r = Chart("chart " + File("two.txt") + " --out " + File("c.svg") + " --width 900 --height 700 --speed 2");
    ASSERT_EQ(r.status, 0) << r.err;
    QSvgRenderer svg(QString::fromStdString(File("c.svg")));
    EXPECT_TRUE(svg.isValid());
    EXPECT_EQ(svg.defaultSize(), QSize(900, 700));
    r = Chart("chart " + File("two.txt") + " --out " + File("c.pdf"));
    ASSERT_EQ(r.status, 0) << r.err;
    QFile f(QString::fromStdString(File("c.pdf")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");
}

TEST_F(CliChartTest, BadInputExitsWithTwoAndWritesNothing)
{
    std::string text;
    ASSERT_TRUE(ReadTextFile(File("two.txt"), text));
    const test::TempDir dir;
    const std::string out = dir.file("x.png");
    auto fails = [&](const std::string& args, const std::string& says) {
        const test::CliRun r = Chart(args);
        EXPECT_EQ(r.status, 2) << args << "\n" << r.err;
        EXPECT_NE(r.err.find(says), std::string::npos) << args << "\n" << r.err;
        EXPECT_FALSE(FileExists(out)) << args;
    };
    fails("chart " + dir.file("none.txt") + " --out " + out, "no such file");
    fails("chart --out " + out, "needs a fan file");
    fails("chart " + File("two.txt") + " --out " + dir.file("x.tif"), "unknown picture format");
    fails("chart " + File("two.txt") + " --out " + out + " --speed 3", "--speed");
    fails("chart " + File("two.txt") + " --out " + out + " --panels 12", "--panels");
    fails("chart " + File("two.txt") + " --out " + out + " --width 0", "--width");
    fails("chart " + File("two.txt") + " --out", "needs a value");
    fails("chart " + File("two.txt"), "nothing to do");

    // The fan no longer in the catalogue; a file without a chosen fan.
    const std::string gone = dir.write("gone.txt", ReplaceAll(text, "O_FsID=", "O_FsID=99999") + "\n");
    std::string noFan;
    for (const auto& l : Split(text, '\n'))
        if (!StartsWith(l, "O_FsID=")) noFan += l + "\n";
    const std::string none = dir.write("nofan.txt", noFan);
    fails("chart " + gone + " --out " + out, "no longer in the catalogue");
    fails("chart " + none + " --out " + out, "O_FsID");
    // A file whose single-speed record asks for speed 2.
    std::string single;
    for (const auto& l : Split(text, '\n')) single += (StartsWith(l, "O_FanPol2=") ? "O_FanPol2=0" : l) + "\n";
    fails("chart " + dir.write("one.txt", single) + " --out " + out + " --speed 2", "no motor speed 2");
}

}  // namespace
}  // namespace aerolyx
