#include "acoustics/CNoise.h"

#include <cmath>

#include "common/Constants.h"
#include "common/Rounding.h"

namespace aerolyx {

namespace {

// Noise-rating curves NR 0, 5, ... 130 as polynomials in ln(band id); each
// reproduces the standard NR levels at band ids 1..9 to within 0.1 dB.
constexpr double kNR[CNoise::CurveCount][7] = {
        {55.400045, -33.527656, 21.557571, -28.484339, 10.750552, 0.2438139, -0.48631481},  // NR 0
        {58.852127, -40.919441, 51.320817, -70.133241, 39.006241, -9.0336036, 0.69148654},  // NR 5
        {62.257604, -40.155566, 50.56087, -68.187971, 37.308869, -8.3596137, 0.58633031},  // NR 10
        {65.658255, -40.052499, 53.711151, -73.698254, 42.121097, -10.351582, 0.89420822},  // NR 15
        {69.049351, -40.32398, 58.459029, -82.063862, 49.251904, -13.19202, 1.315654},  // NR 20
        {72.450002, -40.220913, 61.60931, -87.574146, 54.064132, -15.183988, 1.6235319},  // NR 25
        {75.853707, -37.972691, 54.907714, -76.501511, 45.602767, -12.080305, 1.1787097},  // NR 30
        {79.254985, -38.31805, 59.833731, -84.705178, 52.381117, -14.766048, 1.5815531},  // NR 35
        {82.645783, -38.376216, 63.736898, -91.789554, 58.576648, -17.276461, 1.9578241},  // NR 40
        {86.063406, -38.874421, 67.796564, -96.60715, 61.480621, -18.152879, 2.0603799},  // NR 45
        {89.399997, -31.72238, 45.259497, -66.444787, 42.48901, -12.450425, 1.3990623},  // NR 50
        {92.905114, -39.249652, 76.027324, -110.74822, 73.532823, -23.006602, 2.7911164},  // NR 55
        {96.31208, -39.334382, 78.564071, -113.68803, 75.300293, -23.512314, 2.8403563},  // NR 60
        {99.710014, -37.28809, 74.019303, -107.52669, 71.592444, -22.497848, 2.7367067},  // NR 65
        {103.06674, -33.224763, 63.54632, -95.29672, 65.268829, -21.074046, 2.6317297},  // NR 70
        {106.45989, -29.640354, 53.672485, -82.372933, 57.66944, -19.061671, 2.4411728},  // NR 75
        {109.86353, -33.58959, 71.598666, -108.46045, 76.027497, -25.278553, 3.2506009},  // NR 80
        {113.27393, -36.619977, 85.74475, -128.44211, 89.879591, -29.97309, 3.8694784},  // NR 85
        {116.67008, -26.867673, 51.095866, -78.176763, 55.268262, -18.492386, 2.3865967},  // NR 90
        {120.06051, -27.041693, 55.83163, -86.590078, 62.452514, -21.38764, 2.82549},  // NR 95
        {123.46762, -26.199859, 55.134175, -85.478051, 61.965074, -21.348505, 2.8325243},  // NR 100
        {126.8782, -27.785539, 64.187687, -98.781761, 71.636906, -24.776639, 3.301657},  // NR 105
        {130.27119, -23.596447, 50.640642, -78.575661, 57.405823, -19.940141, 2.6582746},  // NR 110
        {133.66325, -21.517216, 46.617672, -74.196975, 55.727, -19.893177, 2.7198004},  // NR 115
        {137.06872, -22.928633, 54.678951, -85.87695, 64.102635, -22.79626, 3.1042022},  // NR 120
        {140.47931, -24.514312, 63.732463, -99.18066, 73.774467, -26.224394, 3.5733349},  // NR 125
        {143.89995, -24.756053, 65.652915, -99.712596, 72.935527, -25.57867, 3.4407391},  // NR 130
};

// A-weighting of the octave bands 63 Hz .. 8 kHz.
constexpr double kAWeight[8] = {-26.2, -16.1, -8.6, -3.2, 0.0, 1.2, 1.0, -1.1};

int BandOf(double band)
{
    if (band > 9) return CNoise::GetFrequencyID(band);
    const double b = std::nearbyint(band);
    return b < 1 ? 1 : static_cast<int>(b);
}

double Poly(int k, double x)
{
    const double* c = kNR[k - 1];
    return c[0] + x * (c[1] + x * (c[2] + x * (c[3] + x * (c[4] + x * (c[5] + x * c[6])))));
}

// NR of a level lying below curve k, proportional to the level. Where that
// ratio has no meaning (a curve level at or below 0 dB, a negative level)
// the rating is 0, which joins the neighbouring values without a jump.
double RatioNR(int k, double level, double curve)
{
    if (curve <= 0.0 || level < 0.0) return 0.0;
    return (5.0 * k - 5.0) * (1.0 - (curve - level) / curve);
}

}  // namespace

double CNoise::AWeighting(int band) { return band >= 1 && band <= 8 ? kAWeight[band - 1] : 0.0; }

double CNoise::CurveLevel(int k, int b)
{
    if (k < 1 || k > CurveCount || b < 1 || b > 9) return 0.0;
    return Poly(k, std::log(static_cast<double>(b)));
}

std::int16_t CNoise::GetFrequencyID(double f)
{
    if (f >= 8000) return 9;
    if (f >= 4000) return 8;
    if (f >= 2000) return 7;
    if (f >= 1000) return 6;
    if (f >= 500) return 5;
    if (f >= 250) return 4;
    if (f >= 125) return 3;
    if (f >= 62) return 2;
    return 1;
}

double CNoise::GetNoiseNR(double level, double band) const
{
    const int b = BandOf(band);
    double result = 0.0;
    bool found = false;
    for (int k = 1; k <= CurveCount; ++k) {
        const double lk = CurveLevel(k, b);
        if (lk - level > 0) {
            result = RatioNR(k, level, lk);
            found = true;
            break;
        }
    }
    // Above the NR 130 curve: the same proportion to the top curve.
    if (!found) result = RatioNR(CurveCount, level, CurveLevel(CurveCount, b));
    return Fix(result * 100.0 + 0.5) / 100.0;
}

bool CNoise::GetNoiseNRBand(std::span<const double> levels, std::span<double> nr, double& maxNR,
                            int lowerBound) const
{
    const std::size_t base = lowerBound == 1 ? 1 : 0;
    if (levels.size() < base + 9 || nr.size() < base + 9) return false;
    double mx = 0.0;
    for (int b = 1; b <= 9; ++b) {
        const std::size_t i = base + static_cast<std::size_t>(b - 1);
        const double level = levels[i];
        double value = 0.0;
        for (int k = 1; k <= CurveCount; ++k) {
            const double lk = CurveLevel(k, b);
            if (lk - level >= 0) {
                value = Fix(RatioNR(k, level, lk) * 10.0 + 0.5) / 10.0;
                if (value > mx) mx = value;
                break;
            }
        }
        nr[i] = value;
    }
    maxNR = mx;
    return true;
}

double CNoise::GetNoiseNRSheet(int curve, double band) const
{
    if (curve < 1 || curve > 18) return 0.0;
    return CurveLevel(curve + 3, BandOf(band));
}

double CNoise::GetDistanceValue(double r) const
{
    if (!(r > 0.0) || !std::isfinite(r)) return 0.0;
    const double v = 10.0 * std::log(2 * kSheetPi * r * r) / std::log(10.0);
    return Fix(v * 10.0 + 0.2) / 10.0;
}

double CNoise::LogAdd(double a, double b) const
{
    const double v = 10.0 * std::log10(std::pow(10.0, 0.1 * a) + std::pow(10.0, 0.1 * b));
    return Fix(v * 10.0 + 0.5) / 10.0;
}

double CNoise::LogSumEx(std::span<const double> levels) const
{
    double s = 0.0;
    const std::size_t n = levels.size() < 8 ? levels.size() : 8;
    for (std::size_t i = 0; i < n; ++i) s += std::pow(10.0, levels[i] / 10.0 + kAWeight[i] / 10.0);
    double level = 0.0;
    if (s > 0) level = 10.0 * std::log10(s);
    return Fix(level * 10.0 + 0.5) / 10.0;
}

double CNoise::LogSum(std::span<const double> levels) const { return LogSumEx(levels); }

}  // namespace aerolyx
