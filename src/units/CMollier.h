#pragma once
// Moist-air (psychrometric) properties. Stateless; Prog().Mollier is the
// program-wide instance. Pressures in kPa, temperatures in the unit given by
// the unit code (0 = degC, 1 = K, 2 = degF) where a function takes one;
// results in degC, kg/kg, kJ/kg, m3/kg.
//
// The humidity argument x is selected by mode: 1 = wet-bulb temperature,
// 2 = dew-point temperature, 3 = relative humidity as a fraction (0..1),
// 4 = enthalpy in kJ/kg (HumidRatio, Enthalpy) or the humidity ratio W in
// kg/kg (WetBulb, DewPoint, Volume, PD). The unit code applies to t and, for
// modes 1 and 2, to x.
namespace aerolyx {

class CMollier {
public:
    static constexpr double InvalidMode = -10000.0;   // mode outside 1..4
    static constexpr double OutOfRange = -9999.0;     // Humidity: no valid state

    // Humidity ratio W in kg water per kg dry air.
    double HumidRatio(double t, double p, int mode, double x, int unit = 0) const;
    // Specific enthalpy in kJ/kg dry air.
    double Enthalpy(double t, double p, int mode, double x, int unit = 0) const;
    // Dry-bulb temperature (degC) of air with enthalpy h (kJ/kg) whose
    // humidity is given by mode/x as above (mode 4: x is W).
    double DryBulb(double h, double p, int mode, double x, int unit = 0) const;
    // Relative humidity as a fraction; its own modes: 1 wet bulb, 2 dew
    // point, 3 relative humidity, 4 enthalpy, 5 humidity ratio W.
    // OutOfRange when t < -60 degC, the wet bulb exceeds t, or the result
    // lies outside 0..1.
    double Humidity(double t, double p, int mode, double x, int unit = 0) const;
    double DewPoint(double t, double p, int mode, double x, int unit = 0) const;
    double WetBulb(double t, double p, int mode, double x, int unit = 0) const;
    // Specific volume in m3 per kg of moist air (modes 3 and 4 only, else 0).
    double Volume(double t, double p, int mode, double x, int unit = 0) const;
    // Saturation pressure of water vapour (over ice below 0 degC) in kPa.
    double SatPressure(double t, int unit = 0) const;
    // Specific heat (kJ/kg K) of dry air and of water vapour at t degC.
    double CP_l(double t) const;
    double CP_d(double t) const;
    // Partial pressure of the water vapour in kPa.
    double PD(double t, double p, int mode, double x, int unit = 0) const;
    // Standard-atmosphere pressure at the altitude in m, kPa (3 decimals).
    double P0(double altitude) const;
    // Enthalpy of liquid water at t degC, kJ/kg.
    double HW(double t) const;
    // Latent heat of vaporisation at t degC, kJ/kg.
    double r(double t) const;

    static double ToCelsius(double value, int unit);
    // With `round` the result has two decimals (half away from zero).
    static double FromCelsius(double value, int unit, bool round = false);
};

}  // namespace aerolyx
