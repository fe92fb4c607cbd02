#include "units/BaseConditions.h"

#include <cmath>

#include "common/Rounding.h"
#include "common/StrUtil.h"

namespace aerolyx {

namespace {

constexpr double kExp = 5.255;

double AltitudeFromPressure(double pressure, double t)
{
    const double p5 = std::pow(pressure, 1.0 / kExp);
    return Fix((std::pow(1013.0, 1.0 / kExp) - p5) * (t + 273.0) / (p5 * 6.5) * 1000.0);
}

bool Finite(const BaseState& s)
{
    return std::isfinite(s.Altitude) && std::isfinite(s.Temperature) && std::isfinite(s.Pressure)
           && std::isfinite(s.Humidity) && std::isfinite(s.Density);
}

}  // namespace

bool BaseConditions(BaseState& state, const std::string& changedField)
{
    BaseState s = state;
    const bool sea = IEquals(changedField, kBaseSea);
    const bool tmp = IEquals(changedField, kBaseTmp);
    const bool bar = IEquals(changedField, kBaseBar);
    const bool rf = IEquals(changedField, kBaseRf);
    const bool spw = IEquals(changedField, kBaseSpw);

    if (sea || tmp || rf) {
        s.Pressure = 0;
        s.Density = 0;
    } else if (bar) {
        s.Density = 0;
        s.Altitude = 0;
    } else if (spw) {
        s.Pressure = 0;
        s.Altitude = 0;
    }

    if (!Finite(s)) return false;
    if (s.Pressure < 0 || s.Density < 0 || s.Humidity < 0 || s.Humidity > 100) return false;
    if (s.Pressure != 0 && (s.Pressure < 400 || s.Pressure > 1050)) return false;
    if (s.Altitude < -100 || s.Altitude > 5000) return false;
    if (s.Density > 2) return false;
    // The formulas below divide by the absolute temperature.
    if (s.Temperature <= -273.0) return false;

    double t = s.Temperature;
    if (t == 0 && s.Humidity == 0) t = 20.0;
    s.Temperature = t;

    if (s.Density == 0) {
        if (s.Pressure == 0) {
            s.Pressure = Fix(1013.0 * std::pow(1.0 - 6.5 * s.Altitude / 1000.0 / (t + 273.0), kExp));
        } else {
            s.Altitude = AltitudeFromPressure(s.Pressure, t);
        }
        s.Density = s.Pressure * 0.34847 / (t + 273.15);
        if (s.Altitude == 0 && t == 20.0) s.Density = 1.2;
    } else if (s.Density != 1.2) {
        s.Pressure = Fix((t + 273.15) * s.Density / 0.34847);
        s.Altitude = AltitudeFromPressure(s.Pressure, t);
    } else {
        s.Pressure = 1013;
        s.Altitude = 0;
    }
    if (s.Pressure == 0) s.Pressure = 1013;
    if (!Finite(s)) return false;

    // The edited field keeps what the user typed.
    if (sea) s.Altitude = state.Altitude;
    if (tmp) s.Temperature = state.Temperature;
    if (bar) s.Pressure = state.Pressure;
    if (rf) s.Humidity = state.Humidity;
    if (spw) s.Density = state.Density;
    state = s;
    return true;
}

bool BaseConditions(const std::function<double(const std::string&)>& get,
                    const std::function<void(const std::string&, double)>& set,
                    const std::string& changedField)
{
    BaseState s;
    s.Altitude = get(kBaseSea);
    s.Temperature = get(kBaseTmp);
    s.Pressure = get(kBaseBar);
    s.Humidity = get(kBaseRf);
    s.Density = get(kBaseSpw);
    if (!BaseConditions(s, changedField)) return false;
    const std::pair<const char*, double> out[] = {{kBaseSea, s.Altitude},
                                                  {kBaseTmp, s.Temperature},
                                                  {kBaseBar, s.Pressure},
                                                  {kBaseRf, s.Humidity},
                                                  {kBaseSpw, s.Density}};
    for (const auto& [name, value] : out)
        if (!IEquals(changedField, name)) set(name, value);
    return true;
}

}  // namespace aerolyx
