#include "units/CUnit.h"

#include <cmath>
#include <vector>

#include "common/Program.h"
#include "common/Rounding.h"
#include "common/SettingsStore.h"
#include "common/StrUtil.h"
#include "units/CMollier.h"

namespace aerolyx {

namespace {

enum Kind { kT, kVL, kVM, kVW, kRF, kKW, kKWM, kPA, kKPA, kVEL, kBAR, kUPM };

const std::array<const char*, CUnit::KindCount> kKinds = {"T",  "VL",  "VM", "VW",  "RF",  "KW",
                                                          "KWM", "PA", "KPA", "VEL", "BAR", "UPM"};

// Units offered per kind, in the order of the state; the first is the normal unit.
const std::array<std::vector<std::string>, CUnit::KindCount> kUnits = {{
    {"\xC2\xB0" "C", "\xC2\xB0" "K", "\xC2\xB0" "F"},
    {"m3/h", "m3/s", "cfm"},
    {"m3/h", "m3/s", "cfm"},
    {"m3/h", "m3/s", "l/h", "l/min", "l/s", "gpm"},
    {"%", "g/kg", "kJ/kg", "T"},
    {"kW", "HP"},
    {"kW", "BtuH"},
    {"Pa", "InchWG"},
    {"kPa", "InchWG"},
    {"m/s", "fpm"},
    {"mbar", "kPa", "InchWG"},
    {"1/min", "1/sec"},
}};

// Order of the stored form.
constexpr std::array<int, CUnit::KindCount> kStoredOrder = {kT,   kVL, kVM,  kVW,  kRF,  kKW,
                                                            kPA,  kKPA, kVEL, kBAR, kUPM, kKWM};

const char* const kDefaultCodes =
    "T;\xC2\xB0" "C|VL;m3/h|VM;m3/h|VW;l/s|RF;%|KW;kW|PA;Pa|KPA;kPa|VEL;m/s|BAR;mbar|UPM;1/min|KWM;kW";

const std::string kDeg = "\xC2\xB0";

constexpr double kStdPressure = 101.325;  // kPa, the humidity units refer to it

// Temperature unit code of the moist-air functions: 0 degC, 1 K, 2 degF.
int TempCode(const std::string& upperUnit)
{
    if (upperUnit == "F" || upperUnit == kDeg + "F") return 2;
    if (upperUnit == "K" || upperUnit == kDeg + "K") return 1;
    return 0;
}

// Wet-bulb code of an RF unit, or -1 when it is not a wet-bulb unit.
int WetBulbCode(const std::string& upperUnit, const std::string& chosenTemp)
{
    if (upperUnit == "T") return TempCode(ToUpper(chosenTemp));
    if (upperUnit == "TC") return 0;
    if (upperUnit == "TK") return 1;
    if (upperUnit == "TF") return 2;
    return -1;
}

double Clamp100(double v) { return v < 0.0 ? 0.0 : (v > 100.0 ? 100.0 : v); }

struct Conv {
    bool known = false;
    double value = 0.0;
    int decimals = 0;
};

}  // namespace

const std::array<const char*, CUnit::KindCount>& CUnit::Kinds() { return kKinds; }
const char* CUnit::DefaultCodes() { return kDefaultCodes; }

CUnit::CUnit(ISettingsStore* store) : store_(store)
{
    for (int i = 0; i < KindCount; ++i) chosen_[i] = kUnits[i].front();
    chosen_[kVW] = "l/s";
}

int CUnit::KindIndex(const std::string& kind) const
{
    const std::string k = ToUpper(Trim(kind));
    for (int i = 0; i < KindCount; ++i)
        if (k == kKinds[i]) return i;
    return -1;
}

bool CUnit::TestUnit(const std::string& text)
{
    const std::string k = ToUpper(text);
    for (const char* kind : kKinds)
        if (k == kind) return true;
    return false;
}

ISettingsStore* CUnit::Store() const { return store_ ? store_ : Prog().Settings; }

const CMollier& CUnit::Mollier() const
{
    static const CMollier own;
    if (mollier_) return *mollier_;
    if (Prog().Mollier) return *Prog().Mollier;
    return own;
}

std::string CUnit::GetUnitCodes(const std::string& kind) const
{
    const int i = KindIndex(kind);
    if (i < 0) return kind;
    return Join(kUnits[i], "|");
}

std::string CUnit::GetUnitCode(const std::string& kind) const
{
    const int i = KindIndex(kind);
    if (i < 0) return {};
    return chosen_[i];
}

void CUnit::SetUnitCode(const std::string& kind, const std::string& unit)
{
    const int i = KindIndex(kind);
    if (i < 0) return;
    // Only units the kind offers (the wet-bulb variants too for humidity);
    // kept in the list's spelling so that the stored form stays canonical.
    const std::string u = ToUpper(Trim(unit));
    for (const auto& offered : kUnits[i]) {
        if (ToUpper(offered) == u) {
            chosen_[i] = offered;
            return;
        }
    }
    if (i == kRF && (u == "TC" || u == "TK" || u == "TF")) chosen_[i] = u;
}

std::string CUnit::FormatF(const std::string& kind) const
{
    std::string unit;
    return FormatF(kind, unit);
}

std::string CUnit::FormatF(const std::string& kind, std::string& unit) const
{
    const int i = KindIndex(kind);
    if (i < 0) return {};
    if (unit.empty()) unit = chosen_[i];
    const std::string u = ToUpper(unit);
    switch (i) {
    case kT: return "##0.00";
    case kVL: return u == "M3/S" ? "#0.000" : "#,##0";
    case kVM: return u == "M3/S" ? "#0.000" : "#,##0.00";
    case kVW: return "#,##0.000";
    case kPA: return u == "INCHWG" ? "##0.000" : "##0";
    case kKPA: return "#,##0.00";
    case kVEL: return u == "FPM" ? "#,##0" : "#0.00";
    case kKW: return u == "HP" ? "#,##0" : "#,##0.00";
    case kKWM: return "#,##0.00";
    case kUPM: return u == "1/SEC" ? "##0.00" : "#,##0";
    // kPa and InchWG carry two decimals once converted.
    case kBAR: return (u == "KPA" || u == "INCHWG") ? "#,##0.00" : "#,##0";
    case kRF: return "##0.00";
    }
    return {};
}

Variant CUnit::Normalizze(const std::string& kind, const Variant& value, double t,
                          const std::string& unit) const
{
    if (value.isEmpty() || Trim(kind).empty()) return value;
    const int i = KindIndex(kind);
    const double v = value.toDouble();
    if (i < 0) return Variant(v);
    const std::string u = ToUpper(unit.empty() ? chosen_[i] : unit);
    Conv c;
    auto set = [&c](double val, int dec) {
        c.known = true;
        c.value = val;
        c.decimals = dec;
    };
    switch (i) {
    case kT:
        if (u == "C" || u == kDeg + "C") set(v, 2);
        else if (u == "F" || u == kDeg + "F") set((v - 32.0) / (9.0 / 5.0), 2);
        else if (u == "K" || u == kDeg + "K") set(v - 273.15, 2);
        break;
    case kVL:
    case kVM: {
        const int d = i == kVL ? 0 : 2;
        if (u == "M3/H") set(v, d);
        else if (u == "M3/S") set(v * 3600.0, d);
        else if (u == "CFM") set(v * 1.699011, d);
        break;
    }
    case kVW:
        if (u == "M3/H") set(v * 1000.0 / 3600.0, 3);
        else if (u == "M3/S") set(v * 1000.0, 3);
        else if (u == "GPM") set(v / 15.85032, 3);
        else if (u == "L/H") set(v / 3600.0, 3);
        else if (u == "L/MIN") set(v / 60.0, 3);
        else if (u == "L/S") set(v, 3);
        break;
    case kUPM:
        if (u == "1/MIN") set(v, 0);
        else if (u == "1/SEC") set(v * 60.0, 2);
        break;
    case kPA:
        if (u == "PA") set(v, 0);
        else if (u == "INCHWG") set(v * 249.089, 0);
        break;
    case kKPA:
        if (u == "KPA") set(v, 2);
        else if (u == "INCHWG") set(v * 249.089 / 1000.0, 2);
        break;
    case kVEL:
        if (u == "M/S") set(v, 2);
        else if (u == "FPM") set(v / 196.8504, 2);
        break;
    case kKW:
        if (u == "KW") set(v, 2);
        else if (u == "HP") set(v * 0.7456999, 2);
        break;
    case kKWM:
        if (u == "KW") set(v, 2);
        else if (u == "BTUH") set(v * 0.0002928104, 2);
        break;
    case kBAR:
        if (u == "MBAR") set(v, 0);
        else if (u == "KPA") set(v * 10.0, 0);
        else if (u == "INCHWG") set(v * 2.49089, 0);
        break;
    case kRF: {
        const CMollier& m = Mollier();
        const int wb = WetBulbCode(u, chosen_[kT]);
        double phi;       // fraction, or OutOfRange
        bool above;       // the input lies beyond saturation
        if (u == "G/KG") {
            phi = m.Humidity(t, kStdPressure, 5, v / 1000.0, 0);
            const double ps = m.SatPressure(t, 0);
            above = v / 1000.0 > 0.62198 * ps / (kStdPressure - ps);
        } else if (u == "KJ/KG") {
            phi = m.Humidity(t, kStdPressure, 4, v, 0);
            above = v > m.Enthalpy(t, kStdPressure, 3, 1.0, 0);
        } else if (wb >= 0) {
            // The dry bulb is in degC already; only the wet bulb carries the code.
            const double tw = CMollier::ToCelsius(v, wb);
            phi = m.Humidity(t, kStdPressure, 1, tw, 0);
            above = tw > t;
        } else {
            set(Clamp100(v), 2);
            break;
        }
        // A state beyond saturation is saturated air, not dry air.
        if (phi == CMollier::OutOfRange) set(above && t >= -60.0 ? 100.0 : 0.0, 2);
        else set(Clamp100(100.0 * phi), 2);
        break;
    }
    }
    if (!c.known) return Variant(v);
    return Variant(RoundDec(c.value, c.decimals));
}

Variant CUnit::NormalToUnit(const std::string& kind, const Variant& value, double t,
                            const std::string& unit) const
{
    if (value.isEmpty() || Trim(kind).empty()) return value;
    const int i = KindIndex(kind);
    const double v = value.toDouble();
    if (i < 0) return Variant(v);
    const std::string u = ToUpper(unit.empty() ? chosen_[i] : unit);
    Conv c;
    auto set = [&c](double val, int dec) {
        c.known = true;
        c.value = val;
        c.decimals = dec;
    };
    switch (i) {
    case kT:
        if (u == "C" || u == kDeg + "C") set(v, 2);
        else if (u == "F" || u == kDeg + "F") set(v * 9.0 / 5.0 + 32.0, 2);
        else if (u == "K" || u == kDeg + "K") set(v + 273.15, 2);
        break;
    case kVL:
        if (u == "M3/H") set(v, 0);
        else if (u == "M3/S") set(v / 3600.0, 3);
        else if (u == "CFM") set(v / 1.699011, 3);
        break;
    case kVM:
        if (u == "M3/H") set(v, 2);
        else if (u == "M3/S") set(v / 3600.0, 2);
        else if (u == "CFM") set(v / 1.699011, 2);
        break;
    case kVW:
        if (u == "M3/H") set(v / 1000.0 * 3600.0, 3);
        else if (u == "M3/S") set(v / 1000.0, 3);
        else if (u == "GPM") set(v * 15.85032, 2);
        else if (u == "L/H") set(v * 3600.0, 2);
        else if (u == "L/MIN") set(v * 60.0, 2);
        else if (u == "L/S") set(v, 3);
        break;
    case kUPM:
        if (u == "1/MIN") set(v, 0);
        else if (u == "1/SEC") set(v / 60.0, 2);
        break;
    case kPA:
        if (u == "PA") set(v, 0);
        else if (u == "INCHWG") set(v / 249.089, 3);
        break;
    case kKPA:
        if (u == "KPA") set(v, 2);
        else if (u == "INCHWG") set(v / 249.089 * 1000.0, 2);
        break;
    case kVEL:
        if (u == "M/S") set(v, 2);
        else if (u == "FPM") set(v * 196.8504, 2);
        break;
    case kKW:
        if (u == "KW") set(v, 2);
        else if (u == "HP") set(v / 0.7456999, 0);
        break;
    case kKWM:
        if (u == "KW") set(v, 2);
        else if (u == "BTUH") set(v / 0.0002928104, 0);
        break;
    case kBAR:
        if (u == "MBAR") set(v, 0);
        else if (u == "KPA") set(v / 10.0, 2);
        else if (u == "INCHWG") set(v / 2.49089, 2);
        break;
    case kRF: {
        const CMollier& m = Mollier();
        const int wb = WetBulbCode(u, chosen_[kT]);
        if (u == "G/KG") set(1000.0 * m.HumidRatio(t, kStdPressure, 3, v / 100.0, 0), 0);
        else if (u == "KJ/KG") set(m.Enthalpy(t, kStdPressure, 3, v / 100.0, 0), 0);
        else if (wb >= 0) set(CMollier::FromCelsius(m.WetBulb(t, kStdPressure, 3, v / 100.0, 0), wb), 0);
        else set(v, 0);
        break;
    }
    }
    if (!c.known) return Variant(v);
    return Variant(RoundDec(c.value, c.decimals));
}

Variant CUnit::ChangeUnit(const std::string& kind, const std::string& targetUnit, const Variant& value,
                          double t, const std::string& sourceUnit) const
{
    if (value.isEmpty() || targetUnit.empty()) return value;
    return NormalToUnit(kind, Normalizze(kind, value, t, sourceUnit), t, targetUnit);
}

void CUnit::LoadCodes(const std::string& text)
{
    std::string codes = text;
    if (codes.empty()) {
        const ISettingsStore* s = Store();
        codes = s ? s->Get("Settings", "Measurements", kDefaultCodes) : kDefaultCodes;
    }
    for (const std::string& pair : Split(codes, '|')) {
        const auto semi = pair.find(';');
        if (semi == std::string::npos) continue;
        SetUnitCode(pair.substr(0, semi), pair.substr(semi + 1));
    }
}

std::string CUnit::SaveCodes(bool write)
{
    std::vector<std::string> pairs;
    for (int i : kStoredOrder) pairs.push_back(std::string(kKinds[i]) + ";" + chosen_[i]);
    std::string codes = Join(pairs, "|");
    if (write) {
        if (ISettingsStore* s = Store()) s->Set("Settings", "Measurements", codes);
    }
    return codes;
}

}  // namespace aerolyx
