#pragma once
// Keeps the air state of a project consistent: altitude (m), temperature
// (degC), barometric pressure (mbar), relative humidity (%) and density
// (kg/m3). 0 in pressure, altitude or density means "derive it".
#include <functional>
#include <string>

namespace aerolyx {

struct BaseState {
    double Altitude = 0.0;     // I_BaseSea
    double Temperature = 0.0;  // I_BaseTmp
    double Pressure = 0.0;     // I_BaseBar
    double Humidity = 0.0;     // I_BaseRf
    double Density = 0.0;      // I_BaseSpw
};

// Field names of the five values.
inline constexpr const char* kBaseSea = "I_BaseSea";
inline constexpr const char* kBaseTmp = "I_BaseTmp";
inline constexpr const char* kBaseBar = "I_BaseBar";
inline constexpr const char* kBaseRf = "I_BaseRf";
inline constexpr const char* kBaseSpw = "I_BaseSpw";

// Recomputes `state` after the field `changedField` (one of the names above,
// any case; another name clears nothing) was edited. Returns false and
// leaves `state` untouched when the state is invalid.
bool BaseConditions(BaseState& state, const std::string& changedField);

// The same over a field store reached by name: reads the five fields with
// `get`, and when valid writes every one except the changed field with `set`.
bool BaseConditions(const std::function<double(const std::string&)>& get,
                    const std::function<void(const std::string&, double)>& set,
                    const std::string& changedField);

}  // namespace aerolyx
