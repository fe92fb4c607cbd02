#include <gtest/gtest.h>

#include <string>

#include "common/Program.h"
#include "common/SettingsStore.h"
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
    EXPECT_EQ(store.Get("Settings", "Measurements", ""), saved);
    CUnit other(&store);
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
