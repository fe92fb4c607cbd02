// The performance chart over a hand-made catalogue: the point lists against
// values worked out by hand, the panels, the dynamic pressure line, the
// pictures, and the bad input a fan file or a catalogue can bring. The sound
// sheet's content: options, table texts, NR values and chart series.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QProcess>

#include "common/IniFile.h"
#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "model/CFanData.h"
#include "model/ModelTestSupport.h"
#include "output/CFanCurve.h"
#include "output/ChartPage.h"
#include "output/PngWriter.h"
#include "output/SoundSheet.h"
#include "support/GuiApp.h"
#include "support/SqliteTestDb.h"
#include "support/TestCatalogue.h"
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
        db_.Exec(kCatalogue);
        Prog() = Program{};
        Prog().DB = &db_;
        Prog().Ini = &ini_;
        Prog().Settings = &settings_;
        ASSERT_GT(record_.LoadFanFields(ini_), 0);
        record_.ReadFromString("O_FanName=AXT 400|O_FanPol1=2|O_SizeD=500|O_Airflow1=2500|O_PresT1=450|O_Eta1=43|"
                               "O_Vkw1=0.7|O_Lw1=89");
        Fan(1, 4, 50);
        ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    }
    // The size at 2 poles, with a second speed at pole2 (0: none).
    void Fan(int fsId, int pole2, int frq)
    {
        record_.setValueI("O_FsID", Variant(fsId));
        record_.setValueI("O_FanPol2", Variant(pole2));
        record_.setValueI("I_Frq", Variant(frq));
    }

    test::SqliteTestDb db_;
    IniFile ini_ = IniFile::FromText(test::TestFieldDefinitions());
    MemorySettingsStore settings_;
    CFanData record_;
    CFanCurve chart_;
    test::ProgGuard guard_;
};

// Each row worked by hand. Size 1 at its own 2900 1/min: 401.6 Pa is cut to
// 402 after adding a half, 300.4 to 300; efficiency from air and shaft power,
// 2001/3600 x 402/0.5 = 446.9 -> 44.7 % (the stored 70 and 60 do not count);
// the 25 degree curve has no sound power. At 1450 1/min (r = 2): flow / 2,
// pressure / 4 (cut: 100.5 -> 100), power / 8, sound - 50 log10 2 = 74.95.
// At 60 Hz: flow x 1.2, pressure x 1.44 (578.88 -> 578), power x 1.728,
// sound + 50 log10 1.2 = 93.96; power keeps four decimals (0.2125).
// Size 2 has NULL power and efficiency: they read as zero.
TEST_F(FanCurveTest, PointListsFollowTheFanLawsWithTheirCutOffs)
{
    const struct {
        int fsId, pole2, frq, speed;
        const char* points;
    } rows[] = {
        {1, 4, 50, 1,
         "20,25\n2001,402;3000,300|2500,500\n2001,44.7;3000,41.7|2500,43.4\n2001,0.5;3000,0.6|2500,0.8\n"
         "2001,90;3000,88|\n"},
        {1, 4, 50, 2,
         "20,25\n1000,100;1500,75|1250,125\n1000,44.4;1500,41.7|1250,43.4\n1000,0.0625;1500,0.075|1250,0.1\n"
         "1000,74.95;1500,72.95|\n"},
        {1, 0, 60, 1,
         "20,25\n2401,578;3600,432|3000,720\n2401,44.6;3600,41.7|3000,43.4\n2401,0.864;3600,1.0368|3000,1.3824\n"
         "2401,93.96;3600,91.96|\n"},
        {5, 0, 60, 1, "20\n1200,144\n1200,22.6\n1200,0.2125\n1200,83.96\n"},
        {2, 0, 50, 1, "30\n1000,200;1500,150\n1000,0;1500,0\n1000,0;1500,0\n1000,85\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("size " + std::to_string(row.fsId) + " speed " + std::to_string(row.speed) + " at " +
                     std::to_string(row.frq) + " Hz");
        Fan(row.fsId, row.pole2, row.frq);
        ASSERT_TRUE(chart_.SubLoadFanRecords(record_, row.speed));
        EXPECT_EQ(chart_.PointsText(), row.points);
        EXPECT_EQ(chart_.Note(), "");
    }
    EXPECT_EQ(chart_.NominalSpeed(), 2900);
}

TEST_F(FanCurveTest, MissingOrBadDataGivesANoteNeverSampleCurves)
{
    Fan(3, 0, 50);  // a size without curve rows
    EXPECT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.Note(), "No curve data");
    chart_.DrawCurves();
    for (const auto& p : chart_.Panels())
        for (const auto& s : p.series) EXPECT_TRUE(s.points.empty()) << s.name;

    // (A size gone from the catalogue and a missing second speed: the command line's chart tests.)
    record_.setValueI("O_FsID", Variant());
    EXPECT_FALSE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.Labels(), "");

    Fan(4, 0, 50);  // a negative flow is left out and named
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.PointList(CFanCurve::Pressure), "800,100");
    EXPECT_NE(chart_.Note().find("negative"), std::string::npos);

    // A zero frequency would divide by zero: the curves stay as measured.
    Fan(1, 0, 0);
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_EQ(chart_.PointList(CFanCurve::Pressure), "2001,402;3000,300|2500,500");
    EXPECT_FALSE(chart_.Note().empty());

    db_.Exec("DROP TABLE tblFanCurve");
    Fan(1, 0, 50);
    EXPECT_FALSE(chart_.SubLoadFanRecords(record_, 1));
    EXPECT_NE(chart_.Note().find("cannot be read"), std::string::npos);
    EXPECT_EQ(chart_.Labels(), "");
}

TEST_F(FanCurveTest, ViewFlagsLayTheVisiblePanelsOutTopDownWithTheOperatingPoint)
{
    EXPECT_EQ(chart_.ViewFlags(), "1010");
    chart_.DrawCurves();
    ASSERT_EQ(chart_.Panels().size(), 2u);
    EXPECT_EQ(chart_.Panels()[1].title, "P1 [KW]");  // no units object: the kind stands in

    ASSERT_TRUE(chart_.SetViewFlags("1111"));
    chart_.DrawCurves();
    const auto& panels = chart_.Panels();
    ASSERT_EQ(panels.size(), 4u);
    EXPECT_EQ(panels[0].series[1].label, "25\xC2\xB0");
    EXPECT_EQ(panels[0].series[2].name, "PdValues");
    const double op[] = {450, 43, 0.7, 89};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(panels[i].title);
        EXPECT_DOUBLE_EQ(panels[i].topPercent, 25.0 * static_cast<double>(i));
        EXPECT_DOUBLE_EQ(panels[i].heightPercent, 24);
        ASSERT_TRUE(panels[i].hasOperatingPoint);
        EXPECT_DOUBLE_EQ(panels[i].operatingPoint.y(), op[i]);
        // Axis ends on whole steps, every curve point inside.
        EXPECT_NEAR(std::remainder(panels[i].y.max, panels[i].y.step), 0, 1e-9);
        for (const auto& s : panels[i].series) {
            if (s.curve < 0) continue;
            for (const QPointF& p : s.points) EXPECT_TRUE(p.y() >= panels[i].y.min && p.y() <= panels[i].y.max) << s.name;
        }
    }
    EXPECT_EQ(panels[0].y.min, 0);  // pressure from zero
    EXPECT_FALSE(chart_.SetViewFlags("2222"));
    EXPECT_EQ(chart_.ViewFlags(), "1111");
    record_.setValueI("O_Airflow1", Variant(0));
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.DrawCurves();
    for (const auto& p : chart_.Panels()) EXPECT_FALSE(p.hasOperatingPoint);
}

TEST_F(FanCurveTest, DynamicPressureUsesThreePointOneFourAndTheUsersUnits)
{
    // A = 3.14 x 0.25^2 = 0.19625 m2. 3600 m3/h: v = 5.0955 m/s, 0.6 v^2 = 15.58 -> 16 Pa;
    // 7065 m3/h: v = 10 m/s, 60 Pa; 30000 m3/h: 1081.9 -> 1082 Pa (the full pi gives 1081).
    EXPECT_EQ(chart_.DynamicPressure(3600), 16);
    EXPECT_EQ(chart_.DynamicPressure(30000), 1082);

    CUnit units(&settings_);
    units.LoadCodes("VL;m3/s|PA;InchWG");
    Prog().Units = &units;
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.DrawCurves();
    // 1.9625 m3/s is the same 7065 m3/h; 60 Pa = 0.2409 InchWG.
    EXPECT_NEAR(chart_.DynamicPressure(1.9625), 60 / 249.089, 1e-4);
    const QPointF first = chart_.Panels()[0].series[0].points[0];  // 2001 m3/h, 402 Pa
    EXPECT_NEAR(first.x(), 2001 / 3600.0, 1e-4);
    EXPECT_NEAR(first.y(), 402 / 249.089, 1e-3);

    record_.setValueI("O_SizeD", Variant(0));
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.DrawCurves();
    EXPECT_EQ(chart_.DynamicPressure(3600), 0);
    for (const auto& s : chart_.Panels()[0].series) EXPECT_NE(s.name, "PdValues");
}

// Picture sizes and formats are checked through the command line.
TEST_F(FanCurveTest, ChartsPaintTheirCurvesOddOnesPaintAndOwnPngIsLossless)
{
    chart_.SetViewFlags("1111");
    QImage img(333, 211, QImage::Format_RGB32);  // odd sizes: no row padding luck
    img.fill(Qt::white);
    {
        QPainter p(&img);
        chart_.Paint(p, QRectF(0, 0, 333, 211));
    }
    int coloured = 0;  // not a blank picture: the curves' colours are in it
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            coloured += std::abs(c.red() - c.green()) > 60 || std::abs(c.green() - c.blue()) > 60;
        }
    EXPECT_GT(coloured, 200);
    img.setPixelColor(0, 0, QColor(255, 0, 1));  // wrap-around differences in the first column
    img.setPixelColor(1, 0, QColor(1, 255, 0));
    const QImage back = QImage::fromData(EncodePng(img), "PNG");
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), img);
    EXPECT_EQ(back.dotsPerMeterX(), img.dotsPerMeterX());
    EXPECT_TRUE(EncodePng(QImage()).isEmpty());

    QPainter p(&img);
    CFanCurve().Paint(p, QRectF(0, 0, 300, 200));  // nothing loaded
    Fan(4, 0, 50);                                  // a single point in a tiny box
    ASSERT_TRUE(chart_.SubLoadFanRecords(record_, 1));
    chart_.Paint(p, QRectF(0, 0, 40, 30));
}

TEST_F(FanCurveTest, PdfPageCarriesTheHeaderAndTheChart)
{
    test::TempDir dir;
    record_.setValueI("I_Project", Variant("Hall 3"));
    record_.setValueI("I_ClientName", Variant("Miller"));
    const ChartPageHeader h = ChartPageHeaderOf(record_);
    EXPECT_EQ(h.project, "Hall 3 - Miller");
    std::string error;
    ASSERT_TRUE(WriteChartPdf(dir.file("c.pdf"), chart_, h, QPageLayout::Landscape, QPageSize::A4, &error)) << error;
    QProcess p;
    p.start("pdftotext", {"-layout", QString::fromStdString(dir.file("c.pdf")), "-"});
    ASSERT_TRUE(p.waitForFinished(10000) && p.exitCode() == 0);
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Hall 3 - Miller") && text.contains("AXT 400")) << text.toStdString();
    EXPECT_FALSE(WriteChartPdf(dir.file("no/such/dir/c.pdf"), chart_, h, QPageLayout::Landscape, QPageSize::A4, &error));
}

class SoundSheetTest : public test::DataFolderFixture {
protected:
    void SetUp() override
    {
        DataFolderFixture::SetUp();
        DisplayLocale() = NumberLocale{};
        rec.ClearAllValues();
        // A fan chosen at 3 m, as the demo catalogue gives it.
        rec.ReadFromString(
            "O_FanName=AXM-L 355-L 29° A-2|I_Project=Hall 4|I_ClientName=Miller|I_LwpDist=3|"
            "O_Lw1=92.7|O_LwA1=71.6|"
            "O_L1wp1=77|O_L1wp2=83.8|O_L1wp3=87.4|O_L1wp4=87.8|O_L1wp5=85.1|O_L1wp6=79.1|O_L1wp7=67.4|O_L1wp8=58.1|"
            "O_L1wp1d=33.3|O_L1wp2d=50.2|O_L1wp3d=61.3|O_L1wp4d=67.1|O_L1wp5d=67.6|O_L1wp6d=62.8|O_L1wp7d=50.9|"
            "O_L1wp8d=39.5|");
    }
    static SoundOptions Opts(bool pressure, bool nr)
    {
        SoundOptions o;
        o.pressure = pressure;
        o.nrView = nr;
        return o;
    }
};

TEST_F(SoundSheetTest, OptionsComeFromTheSettingsWithTheirDefaults)
{
    // Opt1/Opt2: power or pressure; Opt3/Opt4: band levels or NR. Both of a
    // pair set: the later button was selected last; neither or rubbish: the
    // defaults. (Saving them is checked through the sound window.)
    const struct {
        const char *opt1, *opt2, *opt3, *opt4;
        SoundOptions expected;
    } rows[] = {
        {"", "", "", "", Opts(true, false)},
        {"1", "0", "0", "1", Opts(false, true)},
        {"1", "1", "1", "1", Opts(true, true)},
        {"yes", "yes", "yes", "yes", Opts(true, false)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.opt1) + row.opt2 + row.opt3 + row.opt4);
        MemorySettingsStore store;
        const char* values[] = {row.opt1, row.opt2, row.opt3, row.opt4};
        for (int k = 0; k < 4; ++k)
            if (values[k][0]) store.Set("SOUND", "Opt" + std::to_string(k + 1), values[k]);
        EXPECT_EQ(SoundOptions::Load(store), row.expected);
    }
}

TEST_F(SoundSheetTest, NRPerBandAgainstTheCurvesAtTheBandsOwnFrequency)
{
    // Levels picked so that the NR 50 curve (the one whose coefficients are
    // published) is the first above each, worked by hand: NR 50 lies at
    // 58.49 dB (250 Hz), 53.53 (500 Hz), 49.94 (1 kHz), 43.51 (8 kHz), and
    // NR = 50 x level / curve level. 63 Hz is below NR 0 (35.5 dB).
    rec.ReadFromString("O_L1wp1d=33.3|O_L1wp2d=0|O_L1wp3d=55|O_L1wp4d=50|O_L1wp5d=48|O_L1wp6d=-5|O_L1wp7d=|"
                        "O_L1wp8d=39.5|");
    SoundSheet s;
    s.Open(rec, Opts(true, true));
    const SoundTable t = s.Table();
    ASSERT_EQ(t.rows(), 2);
    EXPECT_EQ(t.fixedRows, 1);
    EXPECT_EQ(t.fixedCols, 1);
    EXPECT_EQ(t.cells[0], (std::vector<std::string>{"Description", "Max ", "63 Hz", "125 Hz", "250 Hz", "500 Hz",
                                                    "1 kHz", "2 kHz", "4 kHz", "8 kHz"}));
    // 250 Hz: 50 x 55 / 58.49 = 47.01; 500 Hz: 50 x 50 / 53.53 = 46.70;
    // 1 kHz: 50 x 48 / 49.94 = 48.05; 8 kHz: 50 x 39.5 / 43.51 = 45.40.
    EXPECT_EQ(t.cells[1], (std::vector<std::string>{"SPL", "48.1", "0.0", "0.0", "47.0", "46.7", "48.1", "0.0", "",
                                                    "45.4"}));
    EXPECT_EQ(s.MaxNRBand(), 5);
    EXPECT_FALSE(s.BandNR(7).has_value());
    EXPECT_EQ(s.TitleLine1(), "NR Noise Level  -  AXM-L 355-L 29° A-2");
    EXPECT_EQ(s.TitleLine2(), "Hall 4 - Miller");
    EXPECT_EQ(s.AxisTitleY(), "SPL [dB(A)]");

    // At 1 kHz every curve's level is its NR: 85.1 dB lies below NR 90 (90 dB).
    s.SetOptions(Opts(false, true));
    EXPECT_EQ(s.Table().cells[1][6], "85.1");
    EXPECT_EQ(s.Table().cells[1][0], "LWA");
}

TEST_F(SoundSheetTest, ChartsPutBandLevelsAtTheBandCentresAndLabelThemWithTheirNR)
{
    SoundSheet s;
    s.Open(rec, Opts(false, false));
    ASSERT_EQ(s.Series().size(), 1u);
    const auto power = s.Series()[0].points;
    ASSERT_EQ(power.size(), 8u);
    EXPECT_DOUBLE_EQ(power[0].x, 63);
    EXPECT_DOUBLE_EQ(power[7].x, 8000);
    EXPECT_DOUBLE_EQ(power[3].y, 87.8);
    EXPECT_EQ(power[7].label, "8000");

    s.SetOptions(Opts(true, true));
    const auto series = s.Series();
    ASSERT_EQ(series.size(), 19u);  // NR 100 down to NR 15, then the bands
    for (int i = 0; i < 18; ++i) {
        SCOPED_TRACE(series[i].title);
        EXPECT_EQ(series[i].title, std::to_string(100 - 5 * i));
        ASSERT_EQ(series[i].points.size(), 8u);
        EXPECT_NEAR(series[i].points[4].y, 100 - 5 * i, 0.1);  // at 1 kHz a curve's level is its NR
        if (i > 0) {
            EXPECT_LT(series[i].points[0].y, series[i - 1].points[0].y);
        }
    }
    const SoundSeries& bands = series.back();
    EXPECT_FALSE(bands.isCurve);
    ASSERT_EQ(bands.points.size(), 8u);
    // The band's level on the level axis, its NR as the label.
    EXPECT_DOUBLE_EQ(bands.points[7].y, 39.5);
    EXPECT_EQ(bands.points[7].label, "45.4");
    EXPECT_EQ(bands.points[0].label, "0.0");
    EXPECT_EQ(bands.highlight, 4);  // 1 kHz, NR 67.6
}

TEST_F(SoundSheetTest, AnOldFanFileWithoutBandFieldsShowsWhatItHas)
{
    CFanData old;
    old.LoadFanFields();
    old.ReadFromString("O_FanName=AXM 400|I_LwpDist=3|O_LwA1=70.2|");
    SoundSheet s;
    s.Open(old, Opts(true, false));
    EXPECT_EQ(s.Table().cells[2], (std::vector<std::string>{"SPL", "70.2", "", "", "", "", "", "", "", ""}));
    EXPECT_TRUE(s.Series().back().points.empty());
    s.SetOptions(Opts(true, true));
    EXPECT_EQ(s.MaxNRBand(), 0);
    EXPECT_EQ(s.Series().back().highlight, -1);
    // Negative and zero levels rate NR 0 and are drawn where they are.
    old.ReadFromString("O_L1wp2d=-4|O_L1wp9d=1|O_L1wp8d=0|");
    EXPECT_EQ(s.Table().cells[1][3], "0.0");
    EXPECT_EQ(s.Table().cells[1][9], "0.0");
    const auto pts = s.Series().back().points;
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_DOUBLE_EQ(pts[0].y, -4);
}

}  // namespace
