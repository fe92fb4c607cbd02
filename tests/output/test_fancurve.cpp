// The performance chart over a hand-made catalogue: the loaded point lists
// against values worked out by hand, the panel layout, the dynamic pressure
// line, the pictures, and the bad input a fan file or a catalogue can bring.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include "common/IniFile.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "model/CFanData.h"
#include "output/CFanCurve.h"
#include "output/ChartPage.h"
#include "output/PngWriter.h"
#include "support/SqliteTestDb.h"
#include "support/TestCatalogue.h"
#include "output/GuiApp.h"
#include "support/TestSupport.h"
#include "units/CUnit.h"

using namespace aerolyx;

namespace {

// Size 1: two curves measured on a 2900 1/min motor, with rows that show the
// cut-off rounding; size 2: one curve without power or efficiency; size 3:
// no curve rows; size 4: one point and a row with a negative flow.
const char* kCatalogue = R"SQL(
CREATE TABLE tblEEPolB (PolBID INTEGER, PolBN INTEGER);
INSERT INTO tblEEPolB VALUES (2, 2900), (4, 1450), (6, 960);
CREATE TABLE tblFanSizes (FsID INTEGER);
INSERT INTO tblFanSizes VALUES (1), (2), (3), (4), (5);
CREATE TABLE tblFanCurve (FsID INTEGER, FanCPz INTEGER, FanCN INTEGER, FanCM REAL, FanCPa REAL, FanCP REAL,
  FanCE REAL, FanCDB REAL);
INSERT INTO tblFanCurve VALUES
  (1, 2, 25, 2500, 500, 0.8, 60, 0),
  (1, 2, 20, 3000, 300.4, 0.6, 70, 88),
  (1, 2, 20, 2001, 401.6, 0.5, NULL, 90),
  (2, 2, 30, 1000, 200, NULL, NULL, 85),
  (2, 2, 30, 1500, 150, 0, NULL, NULL),
  (4, 2, 10, -500, 100, 0.1, 50, 80),
  (4, 2, 10, 800, 100, 0.1, 50, 80),
  (5, 2, 20, 1000, 100, 0.123, NULL, 80);
)SQL";

class FanCurveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::EnsureGuiApp();
        saved_ = Prog();
        db_.Exec(kCatalogue);
        Prog().DB = &db_;
        Prog().Ini = &ini_;
        Prog().Settings = &settings_;
        Prog().Units = nullptr;
        Prog().Translator = nullptr;
        Prog().DefaultTranslator = nullptr;
        ASSERT_GT(record_.LoadFanFields(ini_), 0);
        Fan(1, 2, 4, 50);
    }
    void TearDown() override { Prog() = saved_; }

    void Fan(int fsId, int pole1, int pole2, int frq)
    {
        record_.setValueI("O_FsID", Variant(fsId));
        record_.setValueI("O_FanPol1", Variant(pole1));
        record_.setValueI("O_FanPol2", Variant(pole2));
        record_.setValueI("I_Frq", Variant(frq));
        record_.setValueI("O_FanName", Variant("AXT 400"));
        record_.setValueI("O_SizeD", Variant(500.0));
        record_.setValueI("O_Airflow1", Variant(2500.0));
        record_.setValueI("O_PresT1", Variant(450.0));
        record_.setValueI("O_Eta1", Variant(43.0));
        record_.setValueI("O_Vkw1", Variant(0.7));
        record_.setValueI("O_Lw1", Variant(89.0));
    }

    test::SqliteTestDb db_;
    IniFile ini_ = IniFile::FromText(test::TestFieldDefinitions());
    MemorySettingsStore settings_;
    CFanData record_;
    CFanCurve chart_;
    Program saved_;
};

TEST_F(FanCurveTest, CurvesAtTheirOwnSpeedKeepTheRowsWithEfficiencyFromAirAndShaftPower)
{
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.Note(), "");
    EXPECT_EQ(chart_.Labels(), "20,25");
    // 401.6 Pa is cut to 402 after adding a half; 300.4 to 300.
    EXPECT_EQ(chart_.PointList(CFanCurve::Pressure), "2001,402;3000,300|2500,500");
    // 2001/3600 x 402/0.5 = 446.9 -> 44.7; 3000/3600 x 300/0.6 = 416.7 -> 41.7; the stored 70 and 60 do not count.
    EXPECT_EQ(chart_.PointList(CFanCurve::Efficiency), "2001,44.7;3000,41.7|2500,43.4");
    EXPECT_EQ(chart_.PointList(CFanCurve::Power), "2001,0.5;3000,0.6|2500,0.8");
    // The 25 degree curve has no sound power: its point is left out, the curve stays.
    EXPECT_EQ(chart_.PointList(CFanCurve::Sound), "2001,90;3000,88|");
    EXPECT_EQ(chart_.PointsText(), "20,25\n2001,402;3000,300|2500,500\n2001,44.7;3000,41.7|2500,43.4\n"
                                   "2001,0.5;3000,0.6|2500,0.8\n2001,90;3000,88|\n");
}

TEST_F(FanCurveTest, CurvesMeasuredAtTwiceTheSpeedShrinkByTheFanLaws)
{
    // Speed 2 runs 1450 1/min, the curves were measured at 2900: r = 2.
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 2));
    EXPECT_EQ(chart_.NominalSpeed(), 1450);
    // 2001 / 2 = 1000.5 -> 1000; 402 / 4 = 100.5 -> 100 (cut, not rounded).
    EXPECT_EQ(chart_.PointList(CFanCurve::Pressure), "1000,100;1500,75|1250,125");
    // 0.5 / 8 = 0.0625; 0.6 / 8 = 0.075; 0.8 / 8 = 0.1.
    EXPECT_EQ(chart_.PointList(CFanCurve::Power), "1000,0.0625;1500,0.075|1250,0.1");
    // 90 - 50 log10 2 = 74.9485 -> 74.95.
    EXPECT_EQ(chart_.PointList(CFanCurve::Sound), "1000,74.95;1500,72.95|");
    // 1000/3600 x 100/0.0625 = 444.4 -> 44.4.
    EXPECT_EQ(chart_.PointList(CFanCurve::Efficiency), "1000,44.4;1500,41.7|1250,43.4");
}

TEST_F(FanCurveTest, SixtyHertzRaisesFlowByATenthOfTwoAndPressureByOneFortyFour)
{
    Fan(1, 2, 0, 60);
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    // 2001 x 1.2 = 2401.2 -> 2401; 402 x 1.44 = 578.88 -> 578; 300 x 1.44 = 432 exactly.
    EXPECT_EQ(chart_.PointList(CFanCurve::Pressure), "2401,578;3600,432|3000,720");
    // 0.5 x 1.728 = 0.864; 0.6 x 1.728 = 1.0368.
    EXPECT_EQ(chart_.PointList(CFanCurve::Power), "2401,0.864;3600,1.0368|3000,1.3824");
    // 90 + 50 log10 1.2 = 93.959 -> 93.96.
    EXPECT_EQ(chart_.PointList(CFanCurve::Sound), "2401,93.96;3600,91.96|");
    // 2401/3600 x 578/0.864 = 446.2 -> 44.6.
    EXPECT_EQ(chart_.PointList(CFanCurve::Efficiency), "2401,44.6;3600,41.7|3000,43.4");

    // 0.123 x 1.728 = 0.212544 -> 0.2125 kW (four decimals); 1200/3600 x 144/0.2125 = 225.9 -> 22.6 %.
    Fan(5, 2, 0, 60);
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.PointsText(), "20\n1200,144\n1200,22.6\n1200,0.2125\n1200,83.96\n");
}

TEST_F(FanCurveTest, NullPowerAndEfficiencyReadAsZeroAndOneCurveMakesOneLabel)
{
    Fan(2, 2, 0, 50);
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.Labels(), "30");
    EXPECT_EQ(chart_.PointList(CFanCurve::Efficiency), "1000,0;1500,0");
    EXPECT_EQ(chart_.PointList(CFanCurve::Power), "1000,0;1500,0");
    EXPECT_EQ(chart_.PointList(CFanCurve::Sound), "1000,85");
}

TEST_F(FanCurveTest, MissingCurvesSizesAndSpeedsGiveANoteNotSampleCurves)
{
    Fan(3, 2, 0, 50);
    EXPECT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.Labels(), "");
    EXPECT_EQ(chart_.Note(), "No curve data");
    EXPECT_TRUE(chart_.Curves().empty());
    chart_.DrawCurves();
    for (const auto& p : chart_.Panels()) {
        EXPECT_FALSE(p.hasOperatingPoint);
        for (const auto& s : p.series) EXPECT_TRUE(s.points.empty()) << s.name;
    }

    Fan(9, 2, 0, 50);  // a fan file whose size was taken out of the catalogue
    EXPECT_FALSE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_NE(chart_.Note().find("no longer in the catalogue"), std::string::npos);

    Fan(1, 2, 0, 50);
    EXPECT_FALSE(chart_.SubLoadFanRecords(record_, 2));  // no second speed
    EXPECT_FALSE(chart_.Note().empty());
    EXPECT_FALSE(chart_.SubLoadFanRecords(record_, 4));

    record_.setValueI("O_FsID", Variant());
    EXPECT_FALSE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.Labels(), "");

    Fan(1, 2, 0, 50);
    Prog().DB = nullptr;
    EXPECT_FALSE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_FALSE(chart_.Note().empty());
}

TEST_F(FanCurveTest, NegativeFlowsAreLeftOutWithANoteAndBrokenQueriesDoNotThrow)
{
    Fan(4, 2, 0, 50);
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.PointList(CFanCurve::Pressure), "800,100");
    EXPECT_NE(chart_.Note().find("negative"), std::string::npos);
    EXPECT_NE(chart_.Note().find("1"), std::string::npos);

    db_.Exec("DROP TABLE tblFanCurve");
    Fan(1, 2, 0, 50);
    EXPECT_FALSE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_NE(chart_.Note().find("cannot be read"), std::string::npos);
    EXPECT_EQ(chart_.Labels(), "");

    // A zero frequency would divide by zero: the curves stay as measured.
    db_.Exec("CREATE TABLE tblFanCurve (FsID INTEGER, FanCPz INTEGER, FanCN INTEGER, FanCM REAL, FanCPa REAL,\n"
             "  FanCP REAL, FanCE REAL, FanCDB REAL);\n"
             "INSERT INTO tblFanCurve VALUES (1, 2, 20, 2001, 401.6, 0.5, NULL, 90)");
    Fan(1, 2, 0, 0);
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.PointList(CFanCurve::Pressure), "2001,402");
    EXPECT_FALSE(chart_.Note().empty());
}

TEST_F(FanCurveTest, ViewFlagsLayTheVisiblePanelsOutTopDown)
{
    EXPECT_EQ(chart_.ViewFlags(), "1010");
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_TRUE(chart_.SetViewFlags(""));
    EXPECT_EQ(chart_.ViewFlags(), "1010");
    chart_.DrawCurves();
    ASSERT_EQ(chart_.Panels().size(), 2u);
    EXPECT_EQ(chart_.Panels()[0].panel, CFanCurve::Pressure);
    EXPECT_EQ(chart_.Panels()[1].panel, CFanCurve::Power);
    EXPECT_DOUBLE_EQ(chart_.Panels()[0].topPercent, 0);
    EXPECT_DOUBLE_EQ(chart_.Panels()[0].heightPercent, 49);
    EXPECT_DOUBLE_EQ(chart_.Panels()[1].topPercent, 50);
    EXPECT_DOUBLE_EQ(chart_.Panels()[1].heightPercent, 49);
    EXPECT_EQ(chart_.Panels()[0].title, "dPTot [PA]");  // no units object: the kind stands in
    EXPECT_EQ(chart_.Panels()[1].title, "P1 [KW]");

    ASSERT_TRUE(chart_.SetViewFlags("1111"));
    chart_.DrawCurves();
    ASSERT_EQ(chart_.Panels().size(), 4u);
    const double tops[] = {0, 25, 50, 75};
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(chart_.Panels()[static_cast<std::size_t>(i)].topPercent, tops[i]);
        EXPECT_DOUBLE_EQ(chart_.Panels()[static_cast<std::size_t>(i)].heightPercent, 24);
    }
    EXPECT_EQ(chart_.Panels()[1].title, "Eta [%]");
    EXPECT_EQ(chart_.Panels()[3].title, "Lw [dB]");

    for (const char* bad : {"101", "10100", "10a0", "2222"}) {
        EXPECT_FALSE(chart_.SetViewFlags(bad)) << bad;
        EXPECT_EQ(chart_.ViewFlags(), "1111");
    }
}

TEST_F(FanCurveTest, SeriesCarryTheAngleAndEveryVisiblePanelItsOperatingPoint)
{
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.SetViewFlags("1111");
    chart_.DrawCurves();
    const auto& panels = chart_.Panels();
    ASSERT_EQ(panels.size(), 4u);
    // Pressure: two curves and the dynamic pressure.
    ASSERT_EQ(panels[0].series.size(), 3u);
    EXPECT_EQ(panels[0].series[0].label, "20\xC2\xB0");
    EXPECT_EQ(panels[0].series[1].label, "25\xC2\xB0");
    EXPECT_EQ(panels[0].series[2].name, "PdValues");
    EXPECT_EQ(panels[0].series[0].points.size(), 2u);
    EXPECT_EQ(panels[3].series[1].points.size(), 0u);  // no sound power on 25 degrees
    const double op[] = {450, 43, 0.7, 89};
    for (std::size_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(panels[i].hasOperatingPoint) << i;
        EXPECT_DOUBLE_EQ(panels[i].operatingPoint.x(), 2500);
        EXPECT_DOUBLE_EQ(panels[i].operatingPoint.y(), op[i]);
        // Every point sits inside its panel's axis.
        EXPECT_LE(panels[i].y.min, op[i]);
        EXPECT_GE(panels[i].y.max, op[i]);
        for (const auto& s : panels[i].series)
            for (const QPointF& p : s.points)
                if (s.curve >= 0) EXPECT_TRUE(p.y() >= panels[i].y.min && p.y() <= panels[i].y.max) << s.name;
    }
    EXPECT_LE(chart_.FlowAxis().min, 2001);
    EXPECT_GE(chart_.FlowAxis().max, 3000);

    record_.setValueI("O_Airflow1", Variant(0));
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.DrawCurves();
    for (const auto& p : chart_.Panels()) EXPECT_FALSE(p.hasOperatingPoint);
}

TEST_F(FanCurveTest, AxisEndsFollowTheGranularityOfEachPanel)
{
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.SetViewFlags("1111");
    chart_.DrawCurves();
    for (const auto& p : chart_.Panels()) {
        EXPECT_GT(p.y.step, 0);
        EXPECT_NEAR(std::remainder(p.y.min, p.y.step), 0, 1e-9);
        EXPECT_NEAR(std::remainder(p.y.max, p.y.step), 0, 1e-9);
    }
    // Power 0.5 .. 0.8 kW: never a step finer than 0.05 kW.
    EXPECT_GE(chart_.Panels()[2].y.step, 0.05 - 1e-12);
    EXPECT_EQ(chart_.Panels()[0].y.min, 0);  // pressure and power from zero
    EXPECT_EQ(chart_.Panels()[2].y.min, 0);
}

TEST_F(FanCurveTest, DynamicPressureUsesThreePointOneFourAndTheUsersUnits)
{
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    // A = 3.14 x 0.25^2 = 0.19625 m2. 3600 m3/h: v = 5.0955 m/s, 0.6 v^2 = 15.58 -> 16 Pa.
    EXPECT_EQ(chart_.DynamicPressure(3600), 16);
    // 7065 m3/h: v = 10 m/s, 60 Pa.
    EXPECT_EQ(chart_.DynamicPressure(7065), 60);
    // 30000 m3/h: v = 42.463 m/s, 0.6 v^2 = 1081.9 -> 1082 Pa (the full pi would give 1081).
    EXPECT_EQ(chart_.DynamicPressure(30000), 1082);

    CUnit units(&settings_);
    units.LoadCodes("VL;m3/s|PA;InchWG");
    Prog().Units = &units;
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.DrawCurves();
    // 1.9625 m3/s is the same 7065 m3/h; 60 Pa = 0.2409 InchWG.
    EXPECT_NEAR(chart_.DynamicPressure(1.9625), 60 / 249.089, 1e-4);
    // The curves follow the user's units too: 2001 m3/h = 0.5558 m3/s, 402 Pa = 1.614 InchWG.
    const QPointF first = chart_.Panels()[0].series[0].points[0];
    EXPECT_NEAR(first.x(), 2001 / 3600.0, 1e-4);
    EXPECT_NEAR(first.y(), 402 / 249.089, 1e-3);

    record_.setValueI("O_SizeD", Variant(0));
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.DrawCurves();
    EXPECT_EQ(chart_.DynamicPressure(3600), 0);
    for (const auto& s : chart_.Panels()[0].series) EXPECT_NE(s.name, "PdValues");
}

TEST_F(FanCurveTest, PicturesHaveTheRequestedSizeAndUnknownFormatsWriteNothing)
{
    test::TempDir dir;
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.SetViewFlags("1111");
    std::string error;
    ASSERT_TRUE(chart_.GetCurveFile(dir.file("c.png"), 640, 480, &error)) << error;
    QImage png(QString::fromStdString(dir.file("c.png")));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(640, 480));
    // Not a blank picture: the curves' colours are in it.
    int coloured = 0;
    for (int y = 0; y < png.height(); y += 2)
        for (int x = 0; x < png.width(); x += 2) {
            const QColor c = png.pixelColor(x, y);
            if (std::abs(c.red() - c.green()) > 60 || std::abs(c.green() - c.blue()) > 60) ++coloured;
        }
    EXPECT_GT(coloured, 200);

    ASSERT_TRUE(chart_.GetCurveFile(dir.file("c.svg"), 800, 600, &error)) << error;
    QSvgRenderer svg(QString::fromStdString(dir.file("c.svg")));
    EXPECT_TRUE(svg.isValid());
    EXPECT_EQ(svg.defaultSize(), QSize(800, 600));

    ASSERT_TRUE(chart_.GetCurveFile(dir.file("c.JPG"), 320, 200, &error)) << error;
    EXPECT_EQ(QImage(QString::fromStdString(dir.file("c.JPG"))).size(), QSize(320, 200));
    ASSERT_TRUE(chart_.GetCurveFile(dir.file("c.bmp"), 320, 200, &error)) << error;
    EXPECT_EQ(QImage(QString::fromStdString(dir.file("c.bmp"))).size(), QSize(320, 200));

    for (const char* bad : {"c.tif", "c", "c.emf"}) {
        error.clear();
        EXPECT_FALSE(chart_.GetCurveFile(dir.file(bad), 320, 200, &error)) << bad;
        EXPECT_FALSE(error.empty());
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir.file(bad))));
    }
    EXPECT_FALSE(chart_.GetCurveFile(dir.file("tiny.png"), 5, 200, &error));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(dir.file("tiny.png"))));

    const std::string tmp = chart_.GetImageFile(9600, 7200);  // twips
    ASSERT_FALSE(tmp.empty());
    EXPECT_EQ(QFileInfo(QString::fromStdString(tmp)).fileName().left(5), "LyxIx");
    EXPECT_TRUE(QString::fromStdString(tmp).endsWith(".svg"));
    QSvgRenderer tmpSvg(QString::fromStdString(tmp));
    EXPECT_EQ(tmpSvg.defaultSize(), QSize(640, 480));
    QFile::remove(QString::fromStdString(tmp));
}

TEST_F(FanCurveTest, PaintingEmptyOrOddChartsNeverFails)
{
    QImage img(300, 200, QImage::Format_RGB32);
    QPainter p(&img);
    CFanCurve unloaded;
    unloaded.Paint(p, QRectF(0, 0, 300, 200));
    chart_.SetViewFlags("0000");
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.Paint(p, QRectF(0, 0, 300, 200));
    Fan(4, 2, 0, 50);  // a single point
    chart_.SetViewFlags("1111");
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.Paint(p, QRectF(0, 0, 40, 30));
    p.end();
    EXPECT_EQ(chart_.Panels().size(), 4u);
}

TEST_F(FanCurveTest, PdfPageCarriesTheHeaderAndTheChart)
{
    test::TempDir dir;
    record_.setValueI("I_Project", Variant("Hall 3"));
    record_.setValueI("I_ClientName", Variant("Miller"));
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    const ChartPageHeader h = ChartPageHeaderOf(record_);
    EXPECT_EQ(h.project, "Hall 3 - Miller");
    EXPECT_EQ(h.fan, "AXT 400");
    std::string error;
    ASSERT_TRUE(WriteChartPdf(dir.file("c.pdf"), chart_, h, QPageLayout::Landscape, QPageSize::A4, &error)) << error;
    QFile f(QString::fromStdString(dir.file("c.pdf")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(5) == "%PDF-");
    EXPECT_FALSE(WriteChartPdf(dir.file("no/such/dir/c.pdf"), chart_, h, QPageLayout::Landscape, QPageSize::A4, &error));

    EXPECT_EQ(OrientationFromSetting("1"), QPageLayout::Portrait);
    EXPECT_EQ(OrientationFromSetting(""), QPageLayout::Landscape);
    EXPECT_EQ(PaperFromSetting("1"), QPageSize::Letter);
    EXPECT_EQ(PaperFromSetting("xyz"), QPageSize::A4);
    EXPECT_EQ(PaperSetting(PaperFromSetting("8")), "8");
}

}  // namespace

namespace {

TEST_F(FanCurveTest, OwnPngEncoderIsLossless)
{
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    QImage img(333, 211, QImage::Format_RGB32);  // odd sizes: no row padding luck
    img.fill(Qt::white);
    {
        QPainter p(&img);
        chart_.Paint(p, QRectF(0, 0, 333, 211));
    }
    img.setPixelColor(0, 0, QColor(255, 0, 1));  // wrap-around differences in the first column
    img.setPixelColor(1, 0, QColor(1, 255, 0));
    const QByteArray png = EncodePng(img);
    ASSERT_FALSE(png.isEmpty());
    QImage back = QImage::fromData(png, "PNG");
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), img);
    EXPECT_EQ(back.dotsPerMeterX(), img.dotsPerMeterX());
    EXPECT_TRUE(EncodePng(QImage()).isEmpty());
}

}  // namespace
