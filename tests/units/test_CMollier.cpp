#include <gtest/gtest.h>

#include <cmath>

#include "units/CMollier.h"

using namespace aerolyx;

namespace {

// Saturation pressure of water (over ice below 0 degC) in kPa, from the
// standard psychrometric tables (ASHRAE Handbook - Fundamentals,
// "Thermodynamic properties of water at saturation").
struct SatRow {
    double t, ps;
};
const SatRow kSat[] = {{-20, 0.10326}, {-10, 0.25991}, {0, 0.61121}, {10, 1.2282},  {20, 2.3392},
                       {25, 3.1699},   {30, 4.2467},   {40, 7.3844}, {60, 19.946}, {100, 101.42}};

double Ps(double t)
{
    for (const auto& r : kSat)
        if (r.t == t) return r.ps;
    return NAN;
}

// Humidity ratio of the ideal-gas relation W = 0.62198 pw / (p - pw) from a
// tabulated vapour pressure. (The tables' own saturation ratios include the
// enhancement factor and lie about 0.4 % higher; the relation here does not.)
double Ratio(double pw, double p) { return 0.62198 * pw / (p - pw); }

void ExpectRel(double actual, double expected, double rel, const char* what)
{
    EXPECT_NEAR(actual, expected, std::fabs(expected) * rel) << what;
}

}  // namespace

TEST(CMollier, SaturationPressureMatchesTables)
{
    CMollier m;
    for (const auto& r : kSat) ExpectRel(m.SatPressure(r.t), r.ps, 0.001, "SatPressure");
    // The unit code: 293.15 K and 68 degF are 20 degC.
    ExpectRel(m.SatPressure(293.15, 1), 2.3392, 0.001, "K");
    ExpectRel(m.SatPressure(68, 2), 2.3392, 0.001, "F");
}

TEST(CMollier, HumidityRatioAtSeveralTemperaturesAndPressures)
{
    CMollier m;
    for (double p : {101.325, 95.0, 89.875, 80.0}) {
        for (double t : {0.0, 10.0, 20.0, 30.0, 40.0}) {
            for (double phi : {0.3, 0.5, 1.0}) {
                ExpectRel(m.HumidRatio(t, p, 3, phi), Ratio(phi * Ps(t), p), 0.001, "HumidRatio mode 3");
                // Relative humidity back from the ratio (short of saturation:
                // the tabulated pressure is a hair above the computed one).
                if (phi < 1.0) {
                    EXPECT_NEAR(m.Humidity(t, p, 5, Ratio(phi * Ps(t), p)), phi, 0.001 * phi);
                }
            }
            // Dew point given: the saturation ratio at the dew point.
            ExpectRel(m.HumidRatio(t + 5, p, 2, t), Ratio(Ps(t), p), 0.001, "HumidRatio mode 2");
        }
    }
    // 20 degC, 50 %, sea level: about 0.0073 kg/kg.
    EXPECT_NEAR(m.HumidRatio(20, 101.325, 3, 0.5), 0.0073, 0.00005);
    EXPECT_EQ(m.HumidRatio(20, 101.325, 7, 0.5), CMollier::InvalidMode);
}

TEST(CMollier, EnthalpyAndVolumeOfDryAndMoistAir)
{
    CMollier m;
    // Dry air (W = 0) from the tables: h_a = 20.121 kJ/kg at 20 degC and
    // 40.249 at 40 degC; v_a = 0.7734, 0.8301 and 0.8869 m3/kg at 0, 20 and 40 degC.
    ExpectRel(m.Enthalpy(20, 101.325, 3, 0.0), 20.121, 0.001, "h_a 20");
    ExpectRel(m.Enthalpy(40, 101.325, 3, 0.0), 40.249, 0.001, "h_a 40");
    ExpectRel(m.Volume(0, 101.325, 4, 0.0), 0.7734, 0.001, "v_a 0");
    ExpectRel(m.Volume(20, 101.325, 3, 0.0), 0.8301, 0.001, "v_a 20");
    ExpectRel(m.Volume(40, 101.325, 4, 0.0), 0.8869, 0.001, "v_a 40");
    // Moist air: h = 1.006 t + W (2501 + 1.805 t); v = R_a T (1 + 1.6078 W) / p
    // per kg of dry air, divided by (1 + W) for a kg of moist air.
    const double w = Ratio(0.5 * Ps(30), 90.0);
    ExpectRel(m.Enthalpy(30, 90.0, 3, 0.5), 30.18 + w * 2555.15, 0.001, "h 30/50%/90kPa");
    ExpectRel(m.Volume(30, 90.0, 3, 0.5), 0.2871 * 303.15 * (1 + 1.6075 * w) / 90.0 / (1 + w), 0.001, "v");
    // Enthalpy given: its own humidity ratio.
    EXPECT_NEAR(m.HumidRatio(25, 101.325, 4, m.Enthalpy(25, 101.325, 3, 0.6)),
                m.HumidRatio(25, 101.325, 3, 0.6), 1e-9);
    EXPECT_EQ(m.Volume(25, 101.325, 1, 15), 0.0);
}

TEST(CMollier, DewPointAndWetBulb)
{
    CMollier m;
    // Air whose vapour pressure is the tabulated saturation pressure at td has
    // the dew point td (the correlation holds to a few hundredths of a kelvin).
    for (double td : {10.0, 20.0, 30.0, 40.0, 60.0})
        for (double p : {101.325, 85.0})
            EXPECT_NEAR(m.DewPoint(td + 10, p, 4, Ratio(Ps(td), p)), td, 0.05) << td << " " << p;
    EXPECT_NEAR(m.DewPoint(30, 101.325, 3, 0.5), 18.4, 0.1);  // 30 degC, 50 %: 18.4 degC
    EXPECT_EQ(m.DewPoint(30, 101.325, 2, 12.5), 12.5);

    // Wet bulb: the psychrometric relation inverted; at saturation it is the dry bulb.
    EXPECT_NEAR(m.WetBulb(20, 101.325, 3, 1.0), 20.0, 0.01);
    EXPECT_NEAR(m.WetBulb(20, 101.325, 3, 0.5), 13.8, 0.05);  // 20 degC, 50 %: 13.8 degC
    for (double t : {15.0, 25.0, 35.0}) {
        for (double tw : {t - 8, t - 3}) {
            const double w = m.HumidRatio(t, 101.325, 1, tw);
            EXPECT_NEAR(m.WetBulb(t, 101.325, 4, w), tw, 0.01);
            const double phi = m.Humidity(t, 101.325, 1, tw);
            EXPECT_NEAR(m.WetBulb(t, 101.325, 3, phi), tw, 0.01);
            EXPECT_NEAR(m.Humidity(t, 101.325, 5, w), phi, 1e-9);
        }
    }
    // Wet bulb in degF with a dry bulb in degF.
    EXPECT_NEAR(m.Humidity(68, 101.325, 1, 56.78, 2), 0.5, 0.002);
    EXPECT_EQ(m.WetBulb(20, 101.325, 0, 0.5), CMollier::InvalidMode);
}

TEST(CMollier, HumidityRejectsImpossibleStates)
{
    CMollier m;
    EXPECT_EQ(m.Humidity(20, 101.325, 1, 25), CMollier::OutOfRange);   // wet bulb above dry bulb
    EXPECT_EQ(m.Humidity(-61, 101.325, 3, 0.5), CMollier::OutOfRange);  // below -60 degC
    EXPECT_EQ(m.Humidity(20, 101.325, 5, 0.02), CMollier::OutOfRange);  // beyond saturation
    EXPECT_DOUBLE_EQ(m.Humidity(20, 101.325, 3, 0.42), 0.42);
    EXPECT_EQ(m.Humidity(20, 101.325, 6, 0.42), 0.0);  // no humidity given
    EXPECT_NEAR(m.Humidity(20, 101.325, 2, 20), 1.0, 1e-9);
    EXPECT_NEAR(m.Humidity(20, 101.325, 4, m.Enthalpy(20, 101.325, 3, 0.7)), 0.7, 1e-9);
}

TEST(CMollier, AltitudeTemperatureUnitsAndAuxiliaries)
{
    CMollier m;
    EXPECT_DOUBLE_EQ(m.P0(0), 101.325);
    // The isothermal relation stays near the standard atmosphere (89.875 kPa
    // at 1000 m, 79.495 at 2000 m).
    EXPECT_NEAR(m.P0(1000), 89.875, 0.15);
    EXPECT_NEAR(m.P0(2000), 79.495, 0.5);

    EXPECT_DOUBLE_EQ(CMollier::ToCelsius(68, 2), 20);
    EXPECT_DOUBLE_EQ(CMollier::ToCelsius(5, 9), 0);
    EXPECT_DOUBLE_EQ(CMollier::FromCelsius(20, 2), 68);
    EXPECT_DOUBLE_EQ(CMollier::FromCelsius(-17.123, 1, true), 256.03);
    EXPECT_DOUBLE_EQ(CMollier::FromCelsius(-17.125, 0, true), -17.13);

    // Liquid enthalpy 83.9 kJ/kg and latent heat 2453.5 kJ/kg at 20 degC (tables).
    EXPECT_NEAR(m.HW(20), 83.9, 1.0);
    ExpectRel(m.r(20), 2453.5, 0.001, "r");
    ExpectRel(m.CP_l(20), 1.0064, 0.001, "cp air");
    ExpectRel(m.CP_d(20), 1.8418, 0.001, "cp vapour");
    ExpectRel(m.PD(20, 101.325, 3, 0.5), 0.5 * 2.3392, 0.001, "PD");

    // Dry bulb back from the enthalpy.
    const double h = m.Enthalpy(25, 101.325, 3, 0.6);
    EXPECT_NEAR(m.DryBulb(h, 101.325, 3, 0.6), 25.0, 0.001);
    EXPECT_NEAR(m.DryBulb(m.Enthalpy(31, 101.325, 3, 0.4), 101.325, 4, m.HumidRatio(31, 101.325, 3, 0.4)), 31.0,
                1e-9);
    EXPECT_EQ(m.DryBulb(50, 101.325, 9, 0), CMollier::InvalidMode);
}
