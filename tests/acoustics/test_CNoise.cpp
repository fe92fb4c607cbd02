#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "acoustics/CNoise.h"
#include "common/Rounding.h"

using namespace aerolyx;

namespace {

// Published noise-rating curves (ISO R 1996), NR 0 .. 130 in steps of 10,
// octave-band levels in dB at 31.5 Hz .. 8 kHz.
constexpr double kPublished[27][9] = {
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

}  // namespace

TEST(CNoise, CurvesReproduceThePublishedLevels)
{
    for (int row = 0; row < 14; ++row) {
        const int k = 2 * row + 1;  // curve index of NR 10 * row
        for (int b = 1; b <= 9; ++b) {
            const double level = CNoise::CurveLevel(k, b);
            EXPECT_LE(std::fabs(RoundDec(level, 1) - kPublished[row][b - 1]), 0.1 + 1e-9) << "NR " << 10 * row << " band " << b;
            if (k < 27) EXPECT_GT(CNoise::CurveLevel(k + 1, b), level) << k << " " << b;
        }
    }
    EXPECT_EQ(CNoise::CurveLevel(0, 1), 0.0);
    EXPECT_EQ(CNoise::CurveLevel(28, 1), 0.0);
    EXPECT_EQ(CNoise::CurveLevel(5, 10), 0.0);
}

TEST(CNoise, FrequencyBands)
{
    // band edges: a band runs from its centre to just below the next one
    const std::pair<double, int> cases[] = {{0, 1},     {31.5, 1}, {61.9, 1}, {62, 2},    {124.9, 2},  {125, 3},
                                            {1000, 6},  {3999, 7}, {4000, 8}, {8000, 9}, {16000, 9}};
    for (const auto& [f, id] : cases) EXPECT_EQ(CNoise::GetFrequencyID(f), id) << f;
}

TEST(CNoise, NoiseRatingOfOneBand)
{
    CNoise n;
    // At 1 kHz the curves are NR itself, so the rating follows the level.
    for (double level = 1; level < 130; level += 3.7) EXPECT_NEAR(n.GetNoiseNR(level, 6), level, 0.2) << level;
    // 60 dB at 125 Hz lies below NR 45 (61.2 dB): 45 x 60 / 61.2.
    EXPECT_NEAR(n.GetNoiseNR(60, 3), 45 * 60 / 61.15, 0.1);
    // Band ids up to 9, frequencies above.
    EXPECT_EQ(n.GetNoiseNR(60, 3), n.GetNoiseNR(60, 125));
    EXPECT_EQ(n.GetNoiseNR(50, 10), n.GetNoiseNR(50, 1));
    // A level on curve k is rated against curve k + 1.
    const double on = CNoise::CurveLevel(11, 4);
    EXPECT_DOUBLE_EQ(n.GetNoiseNR(on, 4), Fix(55 * on / CNoise::CurveLevel(12, 4) * 100 + 0.5) / 100);
    // Below NR 0.
    EXPECT_EQ(n.GetNoiseNR(40, 1), 0.0);
    EXPECT_EQ(n.GetNoiseNR(-20, 6), 0.0);
    // Levels where the proportion has no meaning (curves at or below 0 dB)
    // rate 0 rather than a large number.
    EXPECT_EQ(n.GetNoiseNR(-7, 9), 0.0);
    EXPECT_EQ(n.GetNoiseNR(-1, 7), 0.0);
    // Above NR 130: proportional to the top curve.
    EXPECT_NEAR(n.GetNoiseNR(140, 6), 140.0, 0.2);
    EXPECT_GT(n.GetNoiseNR(150, 1), 130.0);
}

TEST(CNoise, NoiseRatingOfNineBands)
{
    CNoise n;
    // A fan spectrum peaking at 250 Hz, indexed from 0.
    const std::array<double, 9> levels = {70, 72, 74, 75, 68, 60, 52, 45, 38};
    std::array<double, 9> nr{};
    double mx = -1;
    ASSERT_TRUE(n.GetNoiseNRBand(levels, nr, mx));
    double expectMax = 0;
    for (int b = 1; b <= 9; ++b) {
        const double single = n.GetNoiseNR(levels[b - 1], b);
        EXPECT_NEAR(nr[b - 1], single, 0.06) << b;  // one decimal against two
        EXPECT_DOUBLE_EQ(nr[b - 1], std::round(nr[b - 1] * 10) / 10);
        expectMax = std::max(expectMax, nr[b - 1]);
    }
    EXPECT_EQ(mx, expectMax);
    EXPECT_NEAR(mx, 70.0, 3.0);  // 250 Hz at 75 dB is about NR 70

    // Indexed from 1: element 0 is left alone; a level on a curve gives its NR.
    std::vector<double> one(10, 20.0);
    one[0] = 999;
    one[6] = CNoise::CurveLevel(9, 6);  // on NR 40 at 1 kHz
    std::vector<double> out(10, -5.0);
    ASSERT_TRUE(n.GetNoiseNRBand(one, out, mx, 1));
    EXPECT_EQ(out[0], -5.0);
    EXPECT_EQ(out[6], 40.0);
    EXPECT_EQ(mx, 40.0);

    // Too short: nothing changes.
    nr.fill(7.0);
    mx = 3;
    EXPECT_FALSE(n.GetNoiseNRBand(levels, nr, mx, 1));
    EXPECT_EQ(nr[0], 7.0);
    EXPECT_EQ(mx, 3.0);
}

TEST(CNoise, DrawableCurves)
{
    CNoise n;
    EXPECT_NEAR(n.GetNoiseNRSheet(18, 1), 123.5, 0.1);   // NR 100 at 31.5 Hz
    EXPECT_NEAR(n.GetNoiseNRSheet(8, 63), 75.0, 0.1);    // NR 50 at 63 Hz
    EXPECT_EQ(n.GetNoiseNRSheet(19, 3), 0.0);
}

TEST(CNoise, DistanceAndLevelSums)
{
    CNoise n;
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(1), 7.9);   // 7.98 cut after adding 0.02
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(2), 14.0);  // 14.0002
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(10), 27.9); // 27.9796
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(-3), 0.0);

    EXPECT_DOUBLE_EQ(n.LogAdd(60, 60), 63.0);
    EXPECT_DOUBLE_EQ(n.LogAdd(80, 60), 80.0);
    EXPECT_DOUBLE_EQ(n.LogAdd(70, 67), 71.8);

    // Equal band levels of 80 dB: 80 + 10 lg sum(10^(w/10)) = 87.0 dB(A).
    const std::array<double, 8> flat = {80, 80, 80, 80, 80, 80, 80, 80};
    EXPECT_DOUBLE_EQ(n.LogSumEx(flat), 87.0);
    EXPECT_DOUBLE_EQ(n.LogSum(flat), 87.0);
    // One band only, at 1 kHz (no weighting).
    const std::array<double, 8> single = {-200, -200, -200, -200, 65.0, -200, -200, -200};
    EXPECT_DOUBLE_EQ(n.LogSumEx(single), 65.0);
    // 63 Hz alone carries -26.2 dB.
    const std::array<double, 1> low = {90.0};
    EXPECT_DOUBLE_EQ(n.LogSumEx(low), 63.8);
    EXPECT_DOUBLE_EQ(n.LogSumEx(std::span<const double>{}), 0.0);
}
