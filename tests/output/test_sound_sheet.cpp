// The sound sheet's content: options, table texts, NR values and chart series.
#include <gtest/gtest.h>

#include "common/NumberFormat.h"
#include "common/Program.h"
#include "common/SettingsStore.h"
#include "model/CFanData.h"
#include "model/ModelTestSupport.h"
#include "output/SoundSheet.h"

namespace aerolyx {
namespace {

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
}  // namespace aerolyx
