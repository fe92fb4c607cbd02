#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "acoustics/CNoise.h"
#include "common/Rounding.h"

using namespace aerolyx;

namespace {

// Published noise-rating curves (ISO R 1996), NR 0 .. 130 in steps of 5,
// octave-band levels in dB at 31.5 Hz .. 8 kHz.
constexpr double kPublished[27][9] = {
        {55.4, 35.5, 22.0, 12.0, 4.8, 0.0, -3.5, -6.1, -8.0},  // NR 0
        {58.8, 39.5, 26.4, 16.7, 9.7, 5.0, 1.6, -1.0, -2.9},  // NR 5
        {62.2, 43.4, 30.7, 21.3, 14.5, 10.0, 6.7, 4.2, 2.3},  // NR 10
        {65.6, 47.4, 35.1, 26.0, 19.4, 15.0, 11.7, 9.3, 7.5},  // NR 15
        {69.0, 51.3, 39.4, 30.6, 24.3, 20.0, 16.8, 14.4, 12.6},  // NR 20
        {72.4, 55.3, 43.8, 35.3, 29.2, 25.0, 21.9, 19.5, 17.8},  // NR 25
        {75.8, 59.2, 48.1, 39.9, 34.0, 30.0, 27.0, 24.7, 22.9},  // NR 30
        {79.2, 63.2, 52.5, 44.6, 38.9, 35.0, 32.0, 29.8, 28.1},  // NR 35
        {82.6, 67.1, 56.8, 49.2, 43.8, 40.0, 37.1, 34.9, 33.2},  // NR 40
        {86.0, 71.1, 61.2, 53.9, 48.6, 45.0, 42.2, 40.0, 38.4},  // NR 45
        {89.5, 75.0, 65.5, 58.5, 53.5, 50.0, 47.3, 45.2, 43.5},  // NR 50
        {92.9, 79.0, 69.9, 63.2, 58.4, 55.0, 52.3, 50.3, 48.7},  // NR 55
        {96.3, 82.9, 74.2, 67.8, 63.2, 60.0, 57.4, 55.4, 53.8},  // NR 60
        {99.7, 86.9, 78.6, 72.5, 68.1, 65.0, 62.5, 60.5, 59.0},  // NR 65
        {103.1, 90.8, 82.9, 77.1, 73.0, 70.0, 67.6, 65.7, 64.1},  // NR 70
        {106.5, 94.8, 87.3, 81.8, 77.9, 75.0, 72.6, 70.8, 69.3},  // NR 75
        {109.9, 98.7, 91.6, 86.4, 82.7, 80.0, 77.7, 75.9, 74.4},  // NR 80
        {113.3, 102.7, 96.0, 91.1, 87.6, 85.0, 82.8, 81.0, 79.6},  // NR 85
        {116.7, 106.6, 100.3, 95.7, 92.5, 90.0, 87.9, 86.2, 84.7},  // NR 90
        {120.1, 110.6, 104.7, 100.4, 97.3, 95.0, 92.9, 91.3, 89.9},  // NR 95
        {123.5, 114.5, 109.0, 105.0, 102.2, 100.0, 98.0, 96.4, 95.0},  // NR 100
        {126.9, 118.5, 113.4, 109.7, 107.1, 105.0, 103.1, 101.5, 100.2},  // NR 105
        {130.3, 122.4, 117.7, 114.3, 111.9, 110.0, 108.2, 106.7, 105.3},  // NR 110
        {133.7, 126.4, 122.1, 119.0, 116.8, 115.0, 113.2, 111.8, 110.5},  // NR 115
        {137.1, 130.3, 126.4, 123.6, 121.7, 120.0, 118.3, 116.9, 115.6},  // NR 120
        {140.5, 134.3, 130.8, 128.3, 126.6, 125.0, 123.4, 122.0, 120.8},  // NR 125
        {143.9, 138.2, 135.1, 132.9, 131.4, 130.0, 128.5, 127.2, 125.9},  // NR 130
};

}  // namespace

TEST(CNoise, CurvesReproduceThePublishedLevels)
{
    for (int k = 1; k <= 27; ++k) {
        for (int b = 1; b <= 9; ++b) {
            const double level = CNoise::CurveLevel(k, b);
            if (k == 1 || k == 11 || k == 27) {
                // The three rows kept as first printed hold to the tenth of a dB.
                EXPECT_LE(std::fabs(RoundDec(level, 1) - kPublished[k - 1][b - 1]), 0.1 + 1e-9) << k << " " << b;
            } else {
                EXPECT_LE(std::fabs(level - kPublished[k - 1][b - 1]), 0.1) << "NR " << 5 * (k - 1) << " band " << b;
            }
            if (k > 1) {
                EXPECT_GT(level, CNoise::CurveLevel(k - 1, b)) << k << " " << b;
            }
        }
    }
    // The printed rows evaluated.
    const double nr0[9] = {55.4, 35.5, 22.0, 12.0, 4.8, -0.1, -3.6, -6.1, -8.0};
    const double nr130[9] = {143.9, 138.2, 135.1, 132.9, 131.4, 130.0, 128.5, 127.1, 125.9};
    for (int b = 1; b <= 9; ++b) {
        EXPECT_DOUBLE_EQ(RoundDec(CNoise::CurveLevel(1, b), 1), nr0[b - 1]);
        EXPECT_DOUBLE_EQ(RoundDec(CNoise::CurveLevel(27, b), 1), nr130[b - 1]);
    }
    EXPECT_EQ(CNoise::CurveLevel(0, 1), 0.0);
    EXPECT_EQ(CNoise::CurveLevel(28, 1), 0.0);
    EXPECT_EQ(CNoise::CurveLevel(5, 10), 0.0);
}

TEST(CNoise, FrequencyBands)
{
    EXPECT_EQ(CNoise::GetFrequencyID(31.5), 1);
    EXPECT_EQ(CNoise::GetFrequencyID(61.9), 1);
    EXPECT_EQ(CNoise::GetFrequencyID(62), 2);
    EXPECT_EQ(CNoise::GetFrequencyID(124.9), 2);
    EXPECT_EQ(CNoise::GetFrequencyID(125), 3);
    EXPECT_EQ(CNoise::GetFrequencyID(250), 4);
    EXPECT_EQ(CNoise::GetFrequencyID(500), 5);
    EXPECT_EQ(CNoise::GetFrequencyID(1000), 6);
    EXPECT_EQ(CNoise::GetFrequencyID(2000), 7);
    EXPECT_EQ(CNoise::GetFrequencyID(3999), 7);
    EXPECT_EQ(CNoise::GetFrequencyID(4000), 8);
    EXPECT_EQ(CNoise::GetFrequencyID(8000), 9);
    EXPECT_EQ(CNoise::GetFrequencyID(16000), 9);
    EXPECT_EQ(CNoise::GetFrequencyID(0), 1);
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
    EXPECT_EQ(n.GetNoiseNR(50, 9), n.GetNoiseNR(50, 8000));
    EXPECT_EQ(n.GetNoiseNR(50, 10), n.GetNoiseNR(50, 1));
    EXPECT_NE(n.GetNoiseNR(50, 9), n.GetNoiseNR(50, 1));
    // A level on curve k is rated against curve k + 1.
    const double on = CNoise::CurveLevel(11, 4);
    EXPECT_DOUBLE_EQ(n.GetNoiseNR(on, 4), Fix(55 * on / CNoise::CurveLevel(12, 4) * 100 + 0.5) / 100);
    // Two decimals.
    const double r = n.GetNoiseNR(47.123, 5);
    EXPECT_DOUBLE_EQ(r, std::round(r * 100) / 100);
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

    // A band above every curve keeps 0 and leaves the maximum alone.
    std::array<double, 9> loud = {0, 0, 0, 0, 0, 200, 0, 0, 0};
    ASSERT_TRUE(n.GetNoiseNRBand(loud, nr, mx));
    EXPECT_EQ(nr[5], 0.0);
    EXPECT_GE(mx, 0.0);
    EXPECT_LT(mx, 20.0);

    // Too short: nothing changes.
    std::array<double, 8> shortLevels{};
    nr.fill(7.0);
    mx = 3;
    EXPECT_FALSE(n.GetNoiseNRBand(shortLevels, nr, mx));
    EXPECT_FALSE(n.GetNoiseNRBand(levels, nr, mx, 1));
    EXPECT_EQ(nr[0], 7.0);
    EXPECT_EQ(mx, 3.0);
}

TEST(CNoise, DrawableCurves)
{
    CNoise n;
    EXPECT_NEAR(n.GetNoiseNRSheet(1, 6), 15.0, 0.1);     // NR 15 at 1 kHz
    EXPECT_NEAR(n.GetNoiseNRSheet(18, 1), 123.5, 0.1);   // NR 100 at 31.5 Hz
    EXPECT_NEAR(n.GetNoiseNRSheet(8, 63), 75.0, 0.1);    // NR 50 at 63 Hz
    EXPECT_EQ(n.GetNoiseNRSheet(8, 63), CNoise::CurveLevel(11, 2));
    EXPECT_EQ(n.GetNoiseNRSheet(0, 3), 0.0);
    EXPECT_EQ(n.GetNoiseNRSheet(19, 3), 0.0);
}

TEST(CNoise, DistanceAndLevelSums)
{
    CNoise n;
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(1), 7.9);   // 7.98 cut after adding 0.02
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(2), 14.0);  // 14.0002
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(10), 27.9); // 27.9796
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(0), 0.0);
    EXPECT_DOUBLE_EQ(n.GetDistanceValue(-3), 0.0);

    EXPECT_DOUBLE_EQ(n.LogAdd(60, 60), 63.0);
    EXPECT_DOUBLE_EQ(n.LogAdd(80, 60), 80.0);
    EXPECT_DOUBLE_EQ(n.LogAdd(70, 67), 71.8);
    EXPECT_DOUBLE_EQ(n.LogAdd(0, 0), 3.0);

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
