#include "units/CMollier.h"

#include <cmath>

#include "common/Rounding.h"

namespace aerolyx {

namespace {

constexpr double kEps = 0.62198;  // ratio of the molar masses of water and dry air

double RatioFromPartial(double pw, double p) { return kEps * pw / (p - pw); }

// Humidity ratio from the thermodynamic wet-bulb temperature (both degC).
double RatioFromWetBulb(const CMollier& m, double t, double p, double tw)
{
    const double psw = m.SatPressure(tw, 0);
    const double wsw = RatioFromPartial(psw, p);
    return ((2501.0 - 2.381 * tw) * wsw - (t - tw)) / (2501.0 + 1.805 * t - 4.186 * tw);
}

// Secant iteration for a temperature where f is zero, from the guesses t0 and
// t1: stops when |f| is within 1e-6 (or not a number), when the secant is
// flat, when a step is shorter than minStep, or after maxSteps steps.
template <class F>
double Secant(F f, double t0, double t1, int maxSteps, double minStep)
{
    double f0 = f(t0);
    double f1 = f(t1);
    for (int i = 0; i < maxSteps && std::fabs(f1) > 1e-6; ++i) {
        const double den = f1 - f0;
        if (den == 0.0) break;
        const double t2 = t1 - f1 * (t1 - t0) / den;
        t0 = t1;
        f0 = f1;
        t1 = t2;
        f1 = f(t1);
        if (std::fabs(t1 - t0) < minStep) break;
    }
    return t1;
}

}  // namespace

double CMollier::ToCelsius(double value, int unit)
{
    switch (unit) {
    case 0: return value;
    case 1: return value - 273.15;
    case 2: return (value - 32.0) / (9.0 / 5.0);
    default: return 0.0;
    }
}

double CMollier::FromCelsius(double value, int unit, bool round)
{
    double v = value;
    switch (unit) {
    case 0: break;
    case 1: v = value + 273.15; break;
    case 2: v = 9.0 / 5.0 * value + 32.0; break;
    default: break;
    }
    if (round) {
        const double r = Fix(std::fabs(v) * 100.0 + 0.5) / 100.0;
        v = v < 0 ? -r : r;
    }
    return v;
}

double CMollier::SatPressure(double t, int unit) const
{
    const double T = ToCelsius(t, unit) + 273.15;
    double lnp;
    if (T < 273.15) {
        lnp = -5674.5359 / T - 0.51523058 - 0.009677843 * T + 6.2215701e-7 * T * T
              + 2.0747825e-9 * T * T * T - 9.484024e-13 * T * T * T * T + 4.1635019 * std::log(T);
    } else {
        lnp = -5800.2206 / T - 5.516256 - 0.048640239 * T + 4.1764768e-5 * T * T
              - 1.4452093e-8 * T * T * T + 6.5459673 * std::log(T);
    }
    return std::exp(lnp);
}

double CMollier::HumidRatio(double t, double p, int mode, double x, int unit) const
{
    const double tc = ToCelsius(t, unit);
    switch (mode) {
    case 1: return RatioFromWetBulb(*this, tc, p, ToCelsius(x, unit));
    case 2: return RatioFromPartial(SatPressure(ToCelsius(x, unit), 0), p);
    case 3: return RatioFromPartial(x * SatPressure(tc, 0), p);
    case 4: return (x - 1.006 * tc) / (2501.0 + 1.805 * tc);
    default: return InvalidMode;
    }
}

double CMollier::Enthalpy(double t, double p, int mode, double x, int unit) const
{
    if (mode < 1 || mode > 4) return InvalidMode;
    const double tc = ToCelsius(t, unit);
    const double w = HumidRatio(t, p, mode, x, unit);
    return 1.006 * tc + w * (2501.0 + 1.805 * tc);
}

double CMollier::DryBulb(double h, double p, int mode, double x, int unit) const
{
    if (mode < 1 || mode > 4) return InvalidMode;
    // A fixed humidity ratio gives the temperature directly.
    if (mode == 2 || mode == 4) {
        const double w = mode == 4 ? x : HumidRatio(0.0, p, 2, x, unit);
        return (h - 2501.0 * w) / (1.006 + 1.805 * w);
    }
    // Wet bulb or relative humidity: secant iteration on the enthalpy.
    auto f = [&](double t) {
        if (mode == 1) {
            const double tw = ToCelsius(x, unit);
            const double w = RatioFromWetBulb(*this, t, p, tw);
            return 1.006 * t + w * (2501.0 + 1.805 * t) - h;
        }
        return Enthalpy(t, p, 3, x, 0) - h;
    };
    return Secant(f, 0.0, 20.0, 15, 1e-4);
}

double CMollier::Humidity(double t, double p, int mode, double x, int unit) const
{
    const double tc = ToCelsius(t, unit);
    if (mode == 1 || mode == 2) x = ToCelsius(x, unit);
    if (tc < -60.0) return OutOfRange;
    const double ps = SatPressure(tc, 0);
    const double ws = RatioFromPartial(ps, p);
    double w = 0.0;
    bool fromRatio = true;
    switch (mode) {
    case 1:
        if (x > tc) return OutOfRange;
        w = RatioFromWetBulb(*this, tc, p, x);
        break;
    case 2: w = HumidRatio(tc, p, 2, x, 0); break;
    case 4: w = (x - 1.006 * tc) / (2501.0 + 1.805 * tc); break;
    case 5: w = x; break;
    default: fromRatio = false; break;
    }
    double phi = 0.0;
    if (fromRatio) {
        const double mu = w / ws;
        phi = mu / (1.0 - (1.0 - mu) * ps / p);
    } else if (mode == 3) {
        phi = x;
    }
    if (!(phi >= 0.0 && phi <= 1.0)) return OutOfRange;
    return phi;
}

double CMollier::DewPoint(double t, double p, int mode, double x, int unit) const
{
    double w;
    switch (mode) {
    case 1:
    case 3: w = HumidRatio(t, p, mode, x, unit); break;
    case 2: return ToCelsius(x, unit);
    case 4: w = x; break;
    default: return InvalidMode;
    }
    const double pw = p * w / (kEps + w);
    const double a = std::log(pw);
    return 6.54 + 14.526 * a + 0.7389 * a * a + 0.09486 * a * a * a + 0.4569 * std::pow(pw, 0.1984);
}

double CMollier::WetBulb(double t, double p, int mode, double x, int unit) const
{
    const double tc = ToCelsius(t, unit);
    double target;
    switch (mode) {
    case 1: return ToCelsius(x, unit);
    case 2:
    case 3: target = HumidRatio(t, p, mode, x, unit); break;
    case 4: target = x; break;
    default: return InvalidMode;
    }
    auto f = [&](double tw) { return RatioFromWetBulb(*this, tc, p, tw) - target; };
    const double t0 = mode == 4 ? 25.0 : tc;
    return Secant(f, t0, t0 - 10.0, 100, 0.0);
}

double CMollier::Volume(double t, double p, int mode, double x, int unit) const
{
    double w;
    if (mode == 3) w = HumidRatio(t, p, 3, x, unit);
    else if (mode == 4) w = x;
    else return 0.0;
    return (ToCelsius(t, unit) + 273.15) / p * (0.2871 + 0.4615 * w) / (1.0 + w);
}

double CMollier::CP_l(double t) const
{
    return 1.006156 + t * (1.01051e-5 + t * (1.72963e-7 + t * (-2.979734e-10 + t * 5.240699e-13)));
}

double CMollier::CP_d(double t) const { return 1.836906 + t * (2.232598e-4 + t * 8.402695e-8); }

double CMollier::PD(double t, double p, int mode, double x, int unit) const
{
    double w;
    if (mode >= 1 && mode <= 3) w = HumidRatio(t, p, mode, x, unit);
    else if (mode == 4) w = x;
    else return InvalidMode;
    return p * w / (kEps + w);
}

double CMollier::P0(double altitude) const
{
    const double T = 15.0 - 0.0065 * altitude + 273.16;
    return Fix(101325.0 * std::exp(-284.0976 * altitude / 8314.41 / T) + 0.5) / 1000.0;
}

double CMollier::HW(double t) const
{
    return 3.0751039e-8 * t * t * t * t - 1.0165836e-5 * t * t * t + 1.5369405e-3 * t * t + 4.1074877 * t
           + 0.3771069;
}

// Difference of the vapour enthalpy of the moist-air relation and the liquid
// enthalpy, so that it agrees with the rest of the class.
double CMollier::r(double t) const { return 2501.0 + 1.805 * t - HW(t); }

}  // namespace aerolyx
