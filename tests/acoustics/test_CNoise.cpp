#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "acoustics/CNoise.h"
#include "common/Rounding.h"

using namespace aerolyx;

// Published noise-rating curves (ISO R 1996), NR 0 .. 130 in steps of 10,
// octave-band levels in dB at 31.5 Hz .. 8 kHz.
constexpr double kPublished[14][9] = {
        {55.4, 35.5, 22.0, 12.0, 4.8, 0.0, -3.5, -6.1, -8.0},  // NR 0
        {62.2, 43.4, 30.7, 21.3, 14.5, 10.0, 6.7, 4.2, 2.3},  // NR 10
        {69.0, 51.3, 39.4, 30.6, 24.3, 20.0, 16.8, 14.4, 12.6},  // NR 20
        {75.8, 59.2, 48.1, 39.9, 34.0, 30.0, 27.0, 24.7, 22.9},  // NR 30
        {82.6, 67.1, 56.8, 49.2, 43.8, 40.0, 37.1, 34.9, 33.2},  // NR 40
        {89.5, 75.0, 65.5, 58.5, 53.5, 50.0, 47.3, 45.2, 43.5},  // NR 50
        {96.3, 82.9, 74.2, 67.8, 63.2, 60.0, 57.4, 55.4, 53.8},  // NR 60
        {103.1, 90.8, 82.9, 77.1, 73.0, 70.0, 67.6, 65.7, 64.1},  // NR 70
        {109.9, 98.7, 91.6, 86.4, 82.7, 80.0, 77.7, 75.9, 74.4},  // NR 80
        {116.7, 106.6, 100.3, 95.7, 92.5, 90.0, 87.9, 86.2, 84.7},  // NR 90
        {123.5, 114.5, 109.0, 105.0, 102.2, 100.0, 98.0, 96.4, 95.0},  // NR 100
        {130.3, 122.4, 117.7, 114.3, 111.9, 110.0, 108.2, 106.7, 105.3},  // NR 110
        {137.1, 130.3, 126.4, 123.6, 121.7, 120.0, 118.3, 116.9, 115.6},  // NR 120
        {143.9, 138.2, 135.1, 132.9, 131.4, 130.0, 128.5, 127.2, 125.9},  // NR 130
};

TEST(CNoise, CurvesReproduceThePublishedLevels)
{
    for (int row = 0; row < 14; ++row) {
        const int k = 2 * row + 1;  // curve index of NR 10 * row
        for (int b = 1; b <= 9; ++b) {
            SCOPED_TRACE(testing::Message() << "NR " << 10 * row << " band " << b);
            EXPECT_LE(std::fabs(RoundDec(CNoise::CurveLevel(k, b), 1) - kPublished[row][b - 1]), 0.1 + 1e-9);
            if (row > 0) {
                EXPECT_GT(CNoise::CurveLevel(k, b), CNoise::CurveLevel(k - 1, b));  // the curve 5 below
            }
        }
    }
    EXPECT_EQ(CNoise::CurveLevel(0, 1), 0.0);
    EXPECT_EQ(CNoise::CurveLevel(28, 1), 0.0);
    // the drawable curves by index and band or frequency
    CNoise n;
    EXPECT_NEAR(n.GetNoiseNRSheet(18, 1), 123.5, 0.1);  // NR 100 at 31.5 Hz
    EXPECT_NEAR(n.GetNoiseNRSheet(8, 63), 75.0, 0.1);   // NR 50 at 63 Hz
}

TEST(CNoise, FrequencyBands)
{
    // band edges: a band runs from its centre to just below the next one
    const std::pair<double, int> cases[] = {{0, 1},     {31.5, 1}, {61.9, 1}, {62, 2},    {124.9, 2},  {125, 3},
                                            {1000, 6},  {3999, 7}, {4000, 8}, {8000, 9}, {16000, 9}};
    for (const auto& [f, id] : cases) EXPECT_EQ(CNoise::GetFrequencyID(f), id) << f;
}

// A level is rated in proportion to the next curve above it: 60 dB at 125 Hz
// lies below NR 45 (61.15 dB), 45 × 60 / 61.15; 58.5 dB at 250 Hz lies on
// NR 50 and is rated against NR 55 (63.15 dB), 55 × 58.5 / 63.15. At 1 kHz
// the curves are NR itself. Band ids run to 9, frequencies above.
TEST(CNoise, NoiseRatingOfOneBand)
{
    // {level, band id or frequency, NR, tolerance}
    const std::array<double, 4> cases[] = {
        {60, 3, 45 * 60 / 61.15, 0.1},
        {60, 125, 45 * 60 / 61.15, 0.1},
        {58.5, 4, 55 * 58.5 / 63.15, 0.05},
        {37.3, 6, 37.3, 0.2},
        {140, 6, 140, 0.2},
        {50, 10, 0, 0},  // 31.5 Hz: below NR 0
        {-20, 6, 0, 0},
        {-7, 9, 0, 0},  // curves at or below 0 dB: 0 rather than a large number
    };
    CNoise n;
    for (const auto& [level, band, nr, tol] : cases)
        EXPECT_NEAR(n.GetNoiseNR(level, band), nr, tol) << level << " dB, band " << band;
    EXPECT_GT(n.GetNoiseNR(150, 1), 130.0);  // above NR 130: proportional to the top curve
}

TEST(CNoise, NoiseRatingOfNineBands)
{
    CNoise n;
    // a fan spectrum peaking at 250 Hz, indexed from 0; each band rated as alone, to one decimal
    const std::array<double, 9> levels = {70, 72, 74, 75, 68, 60, 52, 45, 38};
    std::array<double, 9> nr{};
    double mx = -1;
    ASSERT_TRUE(n.GetNoiseNRBand(levels, nr, mx));
    for (int b = 1; b <= 9; ++b) EXPECT_NEAR(nr[b - 1], n.GetNoiseNR(levels[b - 1], b), 0.06) << b;
    EXPECT_EQ(mx, *std::max_element(nr.begin(), nr.end()));
    // indexed from 1: element 0 is left alone; a level on a curve gives its NR
    std::vector<double> one(10, 20.0), out(10, -5.0);
    one[6] = 40.0;  // NR 40 at 1 kHz
    ASSERT_TRUE(n.GetNoiseNRBand(one, out, mx, 1));
    EXPECT_EQ(out[0], -5.0);
    EXPECT_EQ(out[6], 40.0);
    EXPECT_EQ(mx, 40.0);
    EXPECT_FALSE(n.GetNoiseNRBand(levels, nr, mx, 1));  // too short
}

TEST(CNoise, DistanceAndLevelSums)
{
    CNoise n;
    // hemispherical spreading 10 lg(2π r²): 7.98 dB at 1 m, 27.98 at 10 m, cut to 0.1 after adding 0.02
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(1), 7.9);
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(10), 27.9);
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(-3), 0.0);
    EXPECT_DOUBLE_EQ(n.LogAdd(60, 60), 63.0);
    EXPECT_DOUBLE_EQ(n.LogAdd(70, 67), 71.8);

    // A-weighting of the octave bands 63 Hz .. 8 kHz (IEC 61672): one band of
    // 80 dB alone reads 80 + its weight; all eight together 80 + 6.99 = 87.0 dB(A)
    const double weight[8] = {-26.2, -16.1, -8.6, -3.2, 0.0, 1.2, 1.0, -1.1};
    for (std::size_t b = 0; b < 8; ++b) {
        std::array<double, 8> single;
        single.fill(-200);
        single[b] = 80;
        EXPECT_NEAR(n.LogSumEx(single), 80 + weight[b], 1e-9) << "band " << b + 1;
    }
    const std::array<double, 8> flat = {80, 80, 80, 80, 80, 80, 80, 80};
    EXPECT_DOUBLE_EQ(n.LogSumEx(flat), 87.0);
    EXPECT_DOUBLE_EQ(n.LogSumEx(std::span<const double>{}), 0.0);
}
