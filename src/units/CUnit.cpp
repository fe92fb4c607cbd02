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

// One unit of a kind: its name as offered, and the linear conversion
// normal = (v - offset) * mul / div, back v / mul * div + offset, with the
// decimals each direction rounds to. Humidity (RF) units other than % go
// through the moist-air functions instead.
struct UnitDef {
    const char* name;
    double offset = 0, mul = 0, div = 0;
    int toNormal = 0, toUnit = 0;  // decimals
};

// Units offered per kind, in the order of the state; the first is the normal unit.
const std::array<std::vector<UnitDef>, CUnit::KindCount> kUnits = {{
    {{"\xC2\xB0" "C", 0, 1, 1, 2, 2}, {"K", 273.15, 1, 1, 2, 2}, {"\xC2\xB0" "F", 32, 1, 9.0 / 5.0, 2, 2}},
    {{"m3/h", 0, 1, 1, 0, 0}, {"m3/s", 0, 3600, 1, 0, 3}, {"cfm", 0, 1.699011, 1, 0, 3}},
    {{"m3/h", 0, 1, 1, 2, 2}, {"m3/s", 0, 3600, 1, 2, 2}, {"cfm", 0, 1.699011, 1, 2, 2}},
    {{"m3/h", 0, 1000, 3600, 3, 3}, {"m3/s", 0, 1000, 1, 3, 3}, {"l/h", 0, 1, 3600, 3, 2},
     {"l/min", 0, 1, 60, 3, 2}, {"l/s", 0, 1, 1, 3, 3}, {"gpm", 0, 1, 15.85032, 3, 2}},
    {{"%", 0, 1, 1, 2, 0}, {"g/kg"}, {"kJ/kg"}, {"T"}},
    {{"kW", 0, 1, 1, 2, 2}, {"HP", 0, 0.7456999, 1, 2, 2}},
    {{"kW", 0, 1, 1, 2, 2}, {"BtuH", 0, 0.0002928104, 1, 2, 0}},
    {{"Pa", 0, 1, 1, 0, 0}, {"InchWG", 0, 249.089, 1, 0, 3}},
    {{"kPa", 0, 1, 1, 2, 2}, {"InchWG", 0, 249.089, 1000, 2, 2}},
    {{"m/s", 0, 1, 1, 2, 2}, {"fpm", 0, 1, 196.8504, 2, 2}},
    {{"mbar", 0, 1, 1, 0, 0}, {"kPa", 0, 10, 1, 0, 2}, {"InchWG", 0, 2.49089, 1, 0, 2}},
    {{"1/min", 0, 1, 1, 0, 0}, {"1/sec", 0, 60, 1, 2, 2}},
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

// The linear unit of the kind named (upper case) by u; temperatures also
// without the degree sign. Null for an unknown unit and for the humidity
// units the moist-air functions convert.
const UnitDef* Linear(int kind, const std::string& u)
{
    for (const UnitDef& d : kUnits[kind]) {
        if (d.mul == 0.0) continue;
        const std::string name = ToUpper(d.name);
        // Temperatures may be written with or without the degree sign.
        if (u == name || (kind == kT && (kDeg + u == name || u == kDeg + name))) return &d;
    }
    return nullptr;
}

}  // namespace

const std::array<const char*, CUnit::KindCount>& CUnit::Kinds() { return kKinds; }
const char* CUnit::DefaultCodes() { return kDefaultCodes; }

CUnit::CUnit(ISettingsStore* store) : store_(store)
{
    for (int i = 0; i < KindCount; ++i) chosen_[i] = kUnits[i].front().name;
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
    std::vector<std::string> names;
    for (const UnitDef& d : kUnits[i]) names.push_back(d.name);
    return Join(names, "|");
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
    std::string u = ToUpper(Trim(unit));
    // Kelvin has no degree sign; a stored choice from before still counts.
    if (i == kT && u == kDeg + "K") u = "K";
    for (const UnitDef& offered : kUnits[i]) {
        if (ToUpper(offered.name) == u) {
            chosen_[i] = offered.name;
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
    // Two decimals in HP as in kW: small fans differ below one HP.
    case kKW: return "#,##0.00";
    case kKWM: return "#,##0.00";
    case kUPM: return u == "1/SEC" ? "##0.00" : "#,##0";
    // kPa and InchWG carry two decimals once converted.
    case kBAR: return (u == "KPA" || u == "INCHWG") ? "#,##0.00" : "#,##0";
    case kRF: return "##0.00";
    }
    return {};
}

bool CUnit::Resolve(const std::string& kind, const Variant& value, const std::string& unit, int& i,
                    std::string& upperUnit, Variant& passed) const
{
    if (value.isEmpty() || Trim(kind).empty()) {
        passed = value;
        return false;
    }
    i = KindIndex(kind);
    if (i < 0) {
        passed = Variant(value.toDouble());
        return false;
    }
    upperUnit = ToUpper(unit.empty() ? chosen_[i] : unit);
    return true;
}

Variant CUnit::Normalizze(const std::string& kind, const Variant& value, double t,
                          const std::string& unit) const
{
    int i = -1;
    std::string u;
    Variant passed;
    if (!Resolve(kind, value, unit, i, u, passed)) return passed;
    const double v = value.toDouble();
    if (i == kRF && u != "%") {
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
            return Variant(RoundDec(Clamp100(v), 2));
        }
        // A state beyond saturation is saturated air, not dry air.
        if (phi == CMollier::OutOfRange) return Variant(RoundDec(above && t >= -60.0 ? 100.0 : 0.0, 2));
        return Variant(RoundDec(Clamp100(100.0 * phi), 2));
    }
    const UnitDef* d = Linear(i, u);
    if (!d) return Variant(v);
    const double n = (v - d->offset) * d->mul / d->div;
    return Variant(RoundDec(i == kRF ? Clamp100(n) : n, d->toNormal));
}

Variant CUnit::NormalToUnit(const std::string& kind, const Variant& value, double t,
                            const std::string& unit) const
{
    int i = -1;
    std::string u;
    Variant passed;
    if (!Resolve(kind, value, unit, i, u, passed)) return passed;
    const double v = value.toDouble();
    if (i == kRF && u != "%") {
        const CMollier& m = Mollier();
        const int wb = WetBulbCode(u, chosen_[kT]);
        double r = v;
        if (u == "G/KG") r = 1000.0 * m.HumidRatio(t, kStdPressure, 3, v / 100.0, 0);
        else if (u == "KJ/KG") r = m.Enthalpy(t, kStdPressure, 3, v / 100.0, 0);
        else if (wb >= 0) r = CMollier::FromCelsius(m.WetBulb(t, kStdPressure, 3, v / 100.0, 0), wb);
        return Variant(RoundDec(r, 0));
    }
    const UnitDef* d = Linear(i, u);
    if (!d) return Variant(v);
    // Fahrenheit keeps its form v * 9 / 5: v * 1.8 rounds differently at ties.
    const bool fahrenheit = i == kT && d->name == kUnits[kT][2].name;
    const double r = fahrenheit ? v * 9.0 / 5.0 + 32.0 : v / d->mul * d->div + d->offset;
    return Variant(RoundDec(r, d->toUnit));
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
