#pragma once
// The fan laws: a fan's flow, pressure, shaft power and sound power at another
// speed (or supply frequency, which drives the speed in proportion).
// Unrounded; each caller applies its own rounding. Speeds are passed as the new
// and the old value rather than as one ratio so that exact products (1000 Pa at
// 60 Hz = 1440 Pa) stay exact. The old speed must not be 0.
#include <cmath>

namespace aerolyx::fanlaws {

constexpr double kNominalFrequency = 50.0;

inline double Flow(double q, double nNew, double nOld) { return nNew * q / nOld; }
inline double Pressure(double p, double nNew, double nOld) { return p * nNew * nNew / (nOld * nOld); }
inline double Power(double P, double nNew, double nOld) { return P * nNew * nNew * nNew / (nOld * nOld * nOld); }
inline double SoundPower(double L, double nNew, double nOld) { return 50 * std::log10(nNew / nOld) + L; }

// From curves measured at 50 Hz to the supply frequency f.
inline double FlowAtFrequency(double q, double f) { return q * f / kNominalFrequency; }
inline double PressureAtFrequency(double p, double f) { return p * (f * f) / 2500; }
inline double PowerAtFrequency(double P, double f) { return P * (f * f * f) / 125000; }
inline double SoundPowerAtFrequency(double L, double f) { return 50 * std::log10(f / kNominalFrequency) + L; }

// Both at once, as one ratio of products.
inline double FlowAtSpeedAndFrequency(double q, double nNew, double nOld, double f)
{
    return q * nNew * f / (nOld * kNominalFrequency);
}

// Air efficiency in percent, one decimal: air power over shaft power.
inline double EfficiencyPercent(double q, double p, double P)
{
    return std::trunc(q / 3600 * p / P + 0.5) / 10;
}

}  // namespace aerolyx::fanlaws
