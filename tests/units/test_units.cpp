// The display units with their conversions, moist air against the
// psychrometric tables, and the base conditions (altitude, pressure,
// temperature, density) one edited field sets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "common/Program.h"
#include "common/SettingsStore.h"
#include "units/BaseConditions.h"
#include "units/CMollier.h"
#include "units/CUnit.h"

using namespace aerolyx;

namespace {

const std::string kDegC = "\xC2\xB0" "C";
const std::string kDegF = "\xC2\xB0" "F";
const std::string kDegK = "\xC2\xB0" "K";

double N(const CUnit& u, const char* kind, double v, const std::string& unit, double t = 20.0)
{
    return u.Normalizze(kind, Variant(v), t, unit).toDouble();
}
double S(const CUnit& u, const char* kind, double v, const std::string& unit, double t = 20.0)
{
    return u.NormalToUnit(kind, Variant(v), t, unit).toDouble();
}

// Saturation pressure of water (over ice below 0 degC) in kPa, from the
// standard psychrometric tables of water at saturation.
struct SatRow {
    double t, ps;
};
const SatRow kSat[] = {{-20, 0.10326}, {-10, 0.25991}, {0, 0.61121}, {10, 1.2282},  {20, 2.3392},
                       {25, 3.1699},   {30, 4.2467},   {40, 7.3844}, {60, 19.946}, {100, 101.42}};

// Humidity ratio of the ideal-gas relation W = 0.62198 pw / (p - pw) from a
// tabulated vapour pressure (the tables' own saturation ratios include the
// enhancement factor and lie about 0.4 % higher).
double Ratio(double pw, double p) { return 0.62198 * pw / (p - pw); }

}  // namespace

// Hand-worked from the unit definitions (1 cfm = 1.699011 m³/h, 1 inch of
// water = 249.089 Pa, 1 HP = 0.7457 kW, 1 gpm = 0.06309 l/s, ...), rounded
// half away from zero to the decimals of the normal unit (into it) or of the
// chosen unit (out of it).
TEST(CUnit, ConversionsBothWaysWithRounding)
{
    const struct {
        bool intoNormal;
        const char* kind;
        std::string unit;
        double value, expected;
    } cases[] = {
        {true, "T", kDegF, 68, 20},
        {true, "T", kDegK, 300, 26.85},
        {true, "VL", "cfm", 2000, 3398},
        {true, "VM", "CFM", 2000, 3398.02},
        {true, "VW", "gpm", 100, 6.309},
        {true, "VEL", "fpm", 1000, 5.08},
        {true, "KW", "HP", 10, 7.46},
        {true, "BAR", "InchWG", 29.92, 75},
        {true, "PA", "Pa", -2.5, -3},
        {true, "T", kDegC, -0.125, -0.13},
        {false, "VL", "cfm", 5000, 2942.889},
        {false, "VM", "m3/s", 5000, 1.39},
        {false, "UPM", "1/sec", 1450, 24.17},
        {false, "PA", "InchWG", 500, 2.007},
        {false, "KW", "HP", 0.09, 0.12},  // a small motor keeps its size in HP
    };
    CUnit u;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.intoNormal ? "into " : "out of ") << c.kind << " " << c.value << " "
                                        << c.unit);
        EXPECT_DOUBLE_EQ(c.intoNormal ? N(u, c.kind, c.value, c.unit) : S(u, c.kind, c.value, c.unit), c.expected);
    }
    EXPECT_DOUBLE_EQ(u.ChangeUnit("VL", "cfm", Variant(1.0), 20, "m3/s").toDouble(), 2118.88);
}

TEST(CUnit, UnknownValuesKindsAndUnits)
{
    CUnit u;
    EXPECT_TRUE(u.Normalizze("VL", Variant()).isEmpty());
    // an empty kind leaves the value as it came (type included)
    EXPECT_EQ(u.Normalizze("", Variant("12.3456")), Variant("12.3456"));
    // an unlisted kind gives a double without conversion or rounding
    EXPECT_EQ(u.Normalizze("XYZ", Variant(12.3456)), Variant(12.3456));
    // a unit the kind does not offer passes through unconverted
    EXPECT_DOUBLE_EQ(N(u, "PA", 12.345, "psi"), 12.345);
    EXPECT_EQ(u.GetUnitCodes("bar"), "mbar|kPa|InchWG");
    // large numbers are grouped
    std::string cfm = "cfm";
    EXPECT_EQ(u.FormatF("VL", cfm), "#,##0");
}

TEST(CUnit, ChosenUnitsStoredAndUsed)
{
    MemorySettingsStore store;
    CUnit u(&store);
    u.LoadCodes();  // absent setting: the defaults
    EXPECT_EQ(u.SaveCodes(false), CUnit::DefaultCodes());

    u.SetUnitCode("vl", "M3/S");  // any case; kept in the list's spelling (the saved text)
    EXPECT_DOUBLE_EQ(u.Normalizze("VL", Variant("0.5")).toDouble(), 1800);
    EXPECT_EQ(u.FormatF("VL"), "#0.000");

    // only the temperature pair of the stored text counts; other kinds keep their choice
    u.SetUnitCode("PA", "InchWG");
    u.LoadCodes("T;" + kDegF + "|XX;abc|garbage|VL");
    const std::string saved = u.SaveCodes(true);
    EXPECT_EQ(saved, "T;" + kDegF + "|VL;m3/s|VM;m3/h|VW;l/s|RF;%|KW;kW|PA;InchWG|KPA;kPa|VEL;m/s|BAR;mbar|UPM;1/"
                     "min|KWM;kW");
    CUnit other(&store);  // reads what was saved to the store
    other.LoadCodes();
    other.SetUnitCode("VL", "knots");  // not offered: nothing changes
    EXPECT_EQ(other.SaveCodes(false), saved);
    // a choice stored with a degree sign on Kelvin still loads
    other.LoadCodes("T;" + kDegK);
    EXPECT_EQ(other.GetUnitCode("T"), "K");

    // without a store of its own, the program's
    ISettingsStore* previous = Prog().Settings;
    Prog().Settings = &store;
    CUnit global;
    global.LoadCodes("");
    EXPECT_EQ(global.GetUnitCode("PA"), "InchWG");
    Prog().Settings = nullptr;
    global.SaveCodes(true);  // no store: nothing to write, no failure
    Prog().Settings = previous;
}

// 20 degC, 50 %, sea level: W = 7.26 g/kg, h = 38.54 kJ/kg, wet bulb
// 13.8 degC (56.8 degF); 7 g/kg at 20 degC is 48.22 % (1.1277 of 2.3388 kPa).
TEST(CUnit, HumidityUnitsThroughMoistAir)
{
    CUnit u;
    EXPECT_DOUBLE_EQ(S(u, "RF", 50, "g/kg"), 7);
    EXPECT_DOUBLE_EQ(S(u, "RF", 50, "T"), 14);
    EXPECT_DOUBLE_EQ(N(u, "RF", 7, "g/kg"), 48.22);
    // "T" follows the chosen temperature unit
    u.SetUnitCode("T", kDegF);
    EXPECT_DOUBLE_EQ(S(u, "RF", 50, "T"), 57);
    EXPECT_NEAR(N(u, "RF", 56.7835, "T"), 50.0, 0.01);
    // limited to 0..100: beyond saturation is saturated air
    EXPECT_DOUBLE_EQ(N(u, "RF", 20, "g/kg"), 100);
}

TEST(CMollier, SaturationHumidityRatioAndDewPointMatchTables)
{
    CMollier m;
    for (const auto& r : kSat) {
        SCOPED_TRACE(r.t);
        EXPECT_NEAR(m.SatPressure(r.t), r.ps, 0.001 * r.ps);
        if (r.t < 0 || r.t > 40) continue;
        for (double p : {101.325, 89.875}) {
            EXPECT_NEAR(m.HumidRatio(r.t, p, 3, 0.3), Ratio(0.3 * r.ps, p), 1e-3 * Ratio(0.3 * r.ps, p));
            EXPECT_NEAR(m.Humidity(r.t, p, 5, Ratio(0.5 * r.ps, p)), 0.5, 0.0005);
            // air whose vapour pressure is the saturation pressure at td has the dew point td
            EXPECT_NEAR(m.HumidRatio(r.t + 5, p, 2, r.t), Ratio(r.ps, p), 1e-3 * Ratio(r.ps, p));
            EXPECT_NEAR(m.DewPoint(r.t + 10, p, 4, Ratio(r.ps, p)), r.t, 0.05);
        }
    }
    // the unit code: 293.15 K and 68 degF are 20 degC
    EXPECT_NEAR(m.SatPressure(293.15, 1), 2.3392, 0.0023);
    EXPECT_EQ(m.HumidRatio(20, 101.325, 7, 0.5), CMollier::InvalidMode);
}

// Dry air from the tables: h = 40.249 kJ/kg at 40 degC, v = 0.7734 m³/kg at
// 0 degC. Moist air:
// h = 1.006 t + W (2501 + 1.805 t), v = 0.2871 T (1 + 1.6078 W) / p / (1 + W).
TEST(CMollier, EnthalpyAndVolume)
{
    CMollier m;
    EXPECT_NEAR(m.Enthalpy(40, 101.325, 3, 0.0), 40.249, 0.04);
    EXPECT_NEAR(m.Volume(0, 101.325, 4, 0.0), 0.7734, 0.0008);
    const double w = Ratio(0.5 * 4.2467, 90.0);  // 30 degC, 50 %, 90 kPa
    EXPECT_NEAR(m.Enthalpy(30, 90.0, 3, 0.5), 30.18 + w * 2555.15, 0.06);
    EXPECT_NEAR(m.Volume(30, 90.0, 3, 0.5), 0.2871 * 303.15 * (1 + 1.6078 * w) / 90.0 / (1 + w), 0.001);
    // back from the enthalpy: the humidity ratio, the humidity and the dry bulb
    const double h = m.Enthalpy(25, 101.325, 3, 0.6);
    EXPECT_NEAR(m.HumidRatio(25, 101.325, 4, h), m.HumidRatio(25, 101.325, 3, 0.6), 1e-9);
    EXPECT_NEAR(m.Humidity(25, 101.325, 4, h), 0.6, 1e-9);
    EXPECT_NEAR(m.DryBulb(h, 101.325, 3, 0.6), 25.0, 0.001);
    EXPECT_EQ(m.DryBulb(50, 101.325, 9, 0), CMollier::InvalidMode);
}

TEST(CMollier, WetBulb)
{
    CMollier m;
    EXPECT_NEAR(m.WetBulb(20, 101.325, 3, 0.5), 13.8, 0.05);  // 20 degC, 50 %: 13.8 degC
    EXPECT_NEAR(m.WetBulb(20, 101.325, 3, 1.0), 20.0, 0.01);  // saturated: the dry bulb
    EXPECT_NEAR(m.DewPoint(30, 101.325, 3, 0.5), 18.4, 0.1);  // 30 degC, 50 %: dew point 18.4 degC
    for (double t : {15.0, 35.0}) {
        for (double tw : {t - 8, t - 3}) {
            const double w = m.HumidRatio(t, 101.325, 1, tw);
            EXPECT_NEAR(m.WetBulb(t, 101.325, 4, w), tw, 0.01);
            EXPECT_NEAR(m.WetBulb(t, 101.325, 3, m.Humidity(t, 101.325, 1, tw)), tw, 0.01);
        }
    }
    EXPECT_NEAR(m.Humidity(68, 101.325, 1, 56.78, 2), 0.5, 0.002);  // in degF
    // impossible states
    EXPECT_EQ(m.Humidity(20, 101.325, 1, 25), CMollier::OutOfRange);   // wet bulb above dry bulb
    EXPECT_EQ(m.Humidity(-61, 101.325, 3, 0.5), CMollier::OutOfRange);  // below -60 degC
    EXPECT_EQ(m.Humidity(20, 101.325, 5, 0.02), CMollier::OutOfRange);  // beyond saturation
}

TEST(CMollier, AltitudeAndTemperatureUnits)
{
    CMollier m;
    // near the standard atmosphere: 101.325 and 79.495 kPa at 0 and 2000 m
    EXPECT_DOUBLE_EQ(m.P0(0), 101.325);
    EXPECT_NEAR(m.P0(2000), 79.495, 0.5);
    EXPECT_DOUBLE_EQ(CMollier::FromCelsius(-17.123, 1, true), 256.03);
    EXPECT_DOUBLE_EQ(CMollier::FromCelsius(-17.125, 0, true), -17.13);
}

// Worked by hand: 1000 m at 20 degC is 1013 (1 - 6.5 / 293)^5.255 = 900 mbar
// and 900 × 0.34847 / 293.15 = 1.06984 kg/m³; the altitude relation read
// backwards gives 1026 m for 900 mbar, 554 m for 950 mbar, 786 m for 925 mbar.
// 1.2 kg/m³ is standard air (sea level, 20 degC); a temperature of 0 with no
// humidity counts as 20 degC unless the temperature itself was typed.
TEST(BaseConditions, EditedFieldDrivesTheOthers)
{
    const struct {
        BaseState in;
        const char* field;
        BaseState out;
    } cases[] = {
        {{1000, 20, 1013, 50, 1.2}, "I_BaseSea", {1000, 20, 900, 50, 1.06984}},
        {{0, 20, 900, 40, 1.0}, "i_basesea", {0, 20, 1013, 40, 1.2}},
        {{1000, 20, 900, 50, 1.06984}, "I_BaseBar", {1026, 20, 900, 50, 1.06984}},
        {{0, 20, 950, 50, 1.2}, "I_BaseBar", {554, 20, 950, 50, 1.12927}},
        {{500, 20, 950, 50, 1.1}, "I_BaseSpw", {786, 20, 925, 50, 1.1}},
        {{750, 35, 900, 50, 1.2}, "I_BaseSpw", {0, 35, 1013, 50, 1.2}},
        {{0, 0, 1013, 0, 1.3}, "I_BaseRf", {0, 20, 1013, 0, 1.2}},
        {{0, 0, 1013, 0, 1.3}, "I_BaseTmp", {0, 0, 1013, 0, 1.2}},
        {{0, 0, 1013, 30, 1.2}, "I_BaseTmp", {0, 0, 1013, 30, 1.29233}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.field << " " << c.in.Altitude << " m " << c.in.Pressure << " mbar");
        BaseState s = c.in;
        ASSERT_TRUE(BaseConditions(s, c.field));
        EXPECT_EQ(s.Altitude, c.out.Altitude);
        EXPECT_EQ(s.Temperature, c.out.Temperature);
        EXPECT_EQ(s.Pressure, c.out.Pressure);
        EXPECT_EQ(s.Humidity, c.out.Humidity);
        EXPECT_NEAR(s.Density, c.out.Density, 5e-6);
    }
}

TEST(BaseConditions, InvalidStatesChangeNothing)
{
    const BaseState cases[] = {
        {0, 20, 300, 50, 0},     // pressure below 400
        {0, 20, 1100, 50, 0},    // pressure above 1050
        {6000, 20, 0, 50, 0},    // altitude above 5000
        {0, 20, 0, 120, 0},      // humidity above 100
        {0, 20, 0, 50, 2.5},     // density above 2
        {0, NAN, 0, 50, 0},
    };
    const char* fields[] = {"I_BaseBar", "I_BaseBar", "I_BaseSea", "I_BaseRf", "I_BaseSpw", "I_BaseTmp"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        BaseState s = cases[i];
        EXPECT_FALSE(BaseConditions(s, fields[i])) << i;
        EXPECT_EQ(std::memcmp(&s, &cases[i], sizeof s), 0) << i;
    }
    // A pressure of 300 after an altitude edit is cleared first, so it counts only
    // when the pressure itself was typed.
    BaseState ok{0, 20, 300, 50, 0};
    EXPECT_TRUE(BaseConditions(ok, "I_BaseSea"));
    EXPECT_EQ(ok.Pressure, 1013);
}
