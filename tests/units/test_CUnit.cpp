#include <gtest/gtest.h>

#include <string>

#include "common/Program.h"
#include "common/SettingsStore.h"
#include "support/TestSupport.h"
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

TEST(CUnit, IntoNormalUnitEveryKindWithRounding)
{
    CUnit u;
    EXPECT_DOUBLE_EQ(N(u, "T", 68, kDegF), 20);
    EXPECT_DOUBLE_EQ(N(u, "T", 98.6, "F"), 37);
    EXPECT_DOUBLE_EQ(N(u, "T", 300, kDegK), 26.85);
    EXPECT_DOUBLE_EQ(N(u, "VL", 1, "m3/s"), 3600);
    EXPECT_DOUBLE_EQ(N(u, "VL", 100.4, "m3/h"), 100);
    EXPECT_DOUBLE_EQ(N(u, "VL", 2000, "cfm"), 3398);
    EXPECT_DOUBLE_EQ(N(u, "VM", 2000, "CFM"), 3398.02);
    EXPECT_DOUBLE_EQ(N(u, "VM", 12.345, "m3/h"), 12.35);
    EXPECT_DOUBLE_EQ(N(u, "VW", 9, "m3/h"), 2.5);
    EXPECT_DOUBLE_EQ(N(u, "VW", 100, "gpm"), 6.309);
    EXPECT_DOUBLE_EQ(N(u, "VW", 1800, "l/h"), 0.5);
    EXPECT_DOUBLE_EQ(N(u, "VW", 30, "l/min"), 0.5);
    EXPECT_DOUBLE_EQ(N(u, "UPM", 24.2, "1/sec"), 1452);
    EXPECT_DOUBLE_EQ(N(u, "UPM", 1450.5, "1/min"), 1451);
    EXPECT_DOUBLE_EQ(N(u, "PA", 2, "InchWG"), 498);
    EXPECT_DOUBLE_EQ(N(u, "KPA", 0.25, "inchwg"), 0.06);
    EXPECT_DOUBLE_EQ(N(u, "VEL", 1000, "fpm"), 5.08);
    EXPECT_DOUBLE_EQ(N(u, "KW", 10, "HP"), 7.46);
    EXPECT_DOUBLE_EQ(N(u, "KWM", 10000, "BtuH"), 2.93);
    EXPECT_DOUBLE_EQ(N(u, "BAR", 101.325, "kPa"), 1013);
    EXPECT_DOUBLE_EQ(N(u, "BAR", 29.92, "InchWG"), 75);
    EXPECT_DOUBLE_EQ(N(u, "BAR", 1012.6, "mbar"), 1013);
    // Half away from zero, also below zero.
    EXPECT_DOUBLE_EQ(N(u, "PA", -2.5, "Pa"), -3);
    EXPECT_DOUBLE_EQ(N(u, "T", -0.125, kDegC), -0.13);
}

TEST(CUnit, FromNormalUnitEveryKindWithRounding)
{
    CUnit u;
    EXPECT_DOUBLE_EQ(S(u, "T", 20, kDegF), 68);
    EXPECT_DOUBLE_EQ(S(u, "T", 20, "K"), 293.15);
    EXPECT_DOUBLE_EQ(S(u, "VL", 3600, "m3/s"), 1);
    EXPECT_DOUBLE_EQ(S(u, "VL", 5000, "cfm"), 2942.889);
    EXPECT_DOUBLE_EQ(S(u, "VM", 5000, "cfm"), 2942.89);
    EXPECT_DOUBLE_EQ(S(u, "VM", 5000, "m3/s"), 1.39);
    EXPECT_DOUBLE_EQ(S(u, "VM", 12.345, "m3/h"), 12.35);
    EXPECT_DOUBLE_EQ(S(u, "VW", 2.5, "m3/h"), 9);
    EXPECT_DOUBLE_EQ(S(u, "VW", 6.309, "gpm"), 100);
    EXPECT_DOUBLE_EQ(S(u, "VW", 0.5, "l/h"), 1800);
    EXPECT_DOUBLE_EQ(S(u, "UPM", 1450, "1/sec"), 24.17);
    EXPECT_DOUBLE_EQ(S(u, "PA", 249.089, "InchWG"), 1);
    EXPECT_DOUBLE_EQ(S(u, "PA", 500, "InchWG"), 2.007);
    EXPECT_DOUBLE_EQ(S(u, "KPA", 0.5, "InchWG"), 2.01);
    EXPECT_DOUBLE_EQ(S(u, "VEL", 5.08, "fpm"), 1000);
    EXPECT_DOUBLE_EQ(S(u, "KW", 7.5, "HP"), 10.06);
    // A small motor keeps its size in HP: 0.09 kW is 0.12 HP, not 0.
    EXPECT_DOUBLE_EQ(S(u, "KW", 0.09, "HP"), 0.12);
    EXPECT_DOUBLE_EQ(S(u, "KW", 0.37, "HP"), 0.5);
    EXPECT_DOUBLE_EQ(S(u, "KWM", 2.93, "BtuH"), 10006);
    EXPECT_DOUBLE_EQ(S(u, "BAR", 1013, "kPa"), 101.3);
    EXPECT_DOUBLE_EQ(S(u, "BAR", 1013, "InchWG"), 406.68);
    EXPECT_DOUBLE_EQ(S(u, "PA", -2.5, "Pa"), -3);
}

TEST(CUnit, ChosenUnitIsUsedWhenNoneIsGiven)
{
    CUnit u;
    u.SetUnitCode("vl", "M3/S");  // any case; stored in the list's spelling
    EXPECT_EQ(u.GetUnitCode("VL"), "m3/s");
    EXPECT_DOUBLE_EQ(u.Normalizze("VL", Variant(1.0)).toDouble(), 3600);
    EXPECT_DOUBLE_EQ(u.NormalToUnit("VL", Variant(7200)).toDouble(), 2);
    std::string unit;
    EXPECT_EQ(u.FormatF("VL", unit), "#0.000");
    EXPECT_EQ(unit, "m3/s");
    // Text values are read in the number text form.
    EXPECT_DOUBLE_EQ(u.Normalizze("VL", Variant("0.5")).toDouble(), 1800);
}

TEST(CUnit, EmptyUnknownAndPassThroughValues)
{
    CUnit u;
    EXPECT_TRUE(u.Normalizze("VL", Variant()).isEmpty());
    EXPECT_TRUE(u.NormalToUnit("VL", Variant()).isEmpty());
    EXPECT_TRUE(u.ChangeUnit("VL", "cfm", Variant(), 20, "m3/h").isEmpty());
    // An empty kind leaves the value as it came (type included).
    EXPECT_EQ(u.Normalizze("", Variant("12.3456")), Variant("12.3456"));
    EXPECT_EQ(u.NormalToUnit("", Variant(7)), Variant(7));
    // An unlisted kind gives a double without conversion or rounding.
    EXPECT_EQ(u.Normalizze("XYZ", Variant(12.3456)), Variant(12.3456));
    EXPECT_EQ(u.NormalToUnit("XYZ", Variant(3)), Variant(3.0));
    // A unit the kind does not offer passes through unconverted.
    EXPECT_DOUBLE_EQ(N(u, "PA", 12.345, "psi"), 12.345);
    EXPECT_DOUBLE_EQ(S(u, "VL", 12.345, "l/s"), 12.345);
}

TEST(CUnit, ChangeUnitGoesThroughTheNormalUnit)
{
    CUnit u;
    EXPECT_DOUBLE_EQ(u.ChangeUnit("VL", "cfm", Variant(1.0), 20, "m3/s").toDouble(), 2118.88);
    EXPECT_DOUBLE_EQ(u.ChangeUnit("T", kDegF, Variant(300.0), 20, "K").toDouble(), 80.33);
    EXPECT_DOUBLE_EQ(u.ChangeUnit("PA", "Pa", Variant(1.0), 20, "InchWG").toDouble(), 249);
    // No target unit: the value unchanged.
    EXPECT_EQ(u.ChangeUnit("VL", "", Variant(1.234), 20, "m3/s"), Variant(1.234));
}

TEST(CUnit, StoredFormLoadAndSave)
{
    MemorySettingsStore store;
    CUnit u(&store);
    // Absent setting: the defaults.
    u.LoadCodes();
    EXPECT_EQ(u.SaveCodes(false), CUnit::DefaultCodes());
    EXPECT_EQ(store.Get("Settings", "Measurements", "none"), "none");

    // Only the temperature pair counts; other kinds keep their choice.
    u.SetUnitCode("PA", "InchWG");
    u.LoadCodes("T;" + kDegF + "|XX;abc|garbage|VL");
    EXPECT_EQ(u.GetUnitCode("T"), kDegF);
    EXPECT_EQ(u.GetUnitCode("PA"), "InchWG");
    EXPECT_EQ(u.GetUnitCode("VL"), "m3/h");

    const std::string saved = u.SaveCodes(true);
    EXPECT_EQ(saved, "T;" + kDegF + "|VL;m3/h|VM;m3/h|VW;l/s|RF;%|KW;kW|PA;InchWG|KPA;kPa|VEL;m/s|BAR;mbar|UPM;1/"
                     "min|KWM;kW");
    EXPECT_EQ(store.Get("Settings", "Measurements", ""), saved);

    CUnit other(&store);
    other.LoadCodes();
    EXPECT_EQ(other.SaveCodes(false), saved);

    // A unit the kind does not offer changes nothing.
    other.SetUnitCode("VEL", "knots");
    EXPECT_EQ(other.GetUnitCode("VEL"), "m/s");
}

TEST(CUnit, SettingsStoreOfTheProgramIsUsedWhenNoneIsGiven)
{
    MemorySettingsStore store;
    store.Set("Settings", "Measurements", "VEL;fpm|UPM;1/sec");
    ISettingsStore* saved = Prog().Settings;
    Prog().Settings = &store;
    CUnit u;
    u.LoadCodes("");
    EXPECT_EQ(u.GetUnitCode("VEL"), "fpm");
    EXPECT_EQ(u.GetUnitCode("UPM"), "1/sec");
    u.SetUnitCode("KW", "HP");
    u.SaveCodes(true);
    EXPECT_NE(store.Get("Settings", "Measurements", "").find("KW;HP"), std::string::npos);
    Prog().Settings = nullptr;
    u.SaveCodes(true);  // no store: nothing to write, no failure
    Prog().Settings = saved;
}

TEST(CUnit, UnitListsCodesAndKinds)
{
    CUnit u;
    EXPECT_EQ(u.GetUnitCodes("VW"), "m3/h|m3/s|l/h|l/min|l/s|gpm");
    EXPECT_EQ(u.GetUnitCodes("bar"), "mbar|kPa|InchWG");
    EXPECT_EQ(u.GetUnitCodes("RF"), "%|g/kg|kJ/kg|T");
    // Kelvin is written without a degree sign; a choice stored with one still loads.
    EXPECT_EQ(u.GetUnitCodes("T"), kDegC + "|K|" + kDegF);
    CUnit old;
    old.LoadCodes("T;" + kDegK);
    EXPECT_EQ(old.GetUnitCode("T"), "K");
    EXPECT_DOUBLE_EQ(old.Normalizze("T", Variant(300.0)).toDouble(), 26.85);
    EXPECT_EQ(u.GetUnitCodes("QQ"), "QQ");
    EXPECT_EQ(u.GetUnitCode("QQ"), "");
    EXPECT_EQ(u.GetUnitCode("VW"), "l/s");
    u.SetUnitCode("QQ", "x");  // ignored
    EXPECT_TRUE(CUnit::TestUnit("vl"));
    EXPECT_FALSE(CUnit::TestUnit("%"));
    EXPECT_FALSE(CUnit::TestUnit(""));
}

TEST(CUnit, NumberFormats)
{
    CUnit u;
    auto f = [&](const char* kind, std::string unit) { return u.FormatF(kind, unit); };
    EXPECT_EQ(f("T", kDegF), "##0.00");
    EXPECT_EQ(f("VL", "cfm"), "#,##0");
    EXPECT_EQ(f("VL", "m3/s"), "#0.000");
    EXPECT_EQ(f("PA", "Pa"), "##0");
    EXPECT_EQ(f("PA", "InchWG"), "##0.000");
    EXPECT_EQ(f("VEL", "fpm"), "#,##0");
    EXPECT_EQ(f("KW", "HP"), "#,##0.00");
    EXPECT_EQ(f("UPM", "1/sec"), "##0.00");
    EXPECT_EQ(f("BAR", "mbar"), "#,##0");
    EXPECT_EQ(f("BAR", "kPa"), "#,##0.00");
    EXPECT_EQ(f("RF", "g/kg"), "##0.00");
    EXPECT_EQ(f("NOPE", "x"), "");
    EXPECT_EQ(u.FormatF("PA"), "##0");
}

TEST(CUnit, HumidityUnitsThroughMoistAir)
{
    CUnit u;
    // 20 degC, 50 %: W = 7.26 g/kg, h = 38.54 kJ/kg, wet bulb 13.8 degC (56.8 degF).
    EXPECT_DOUBLE_EQ(S(u, "RF", 50, "g/kg"), 7);
    EXPECT_DOUBLE_EQ(S(u, "RF", 50, "kJ/kg"), 39);
    EXPECT_DOUBLE_EQ(S(u, "RF", 50, "T"), 14);
    EXPECT_DOUBLE_EQ(S(u, "RF", 50, "TF"), 57);
    EXPECT_DOUBLE_EQ(S(u, "RF", 50, "TK"), 287);
    EXPECT_DOUBLE_EQ(S(u, "RF", 50.4, "%"), 50);
    // Back: 7 g/kg at 20 degC is 48.22 % (pw = 1.1277 kPa of 2.3388 kPa).
    EXPECT_DOUBLE_EQ(N(u, "RF", 7, "g/kg"), 48.22);
    EXPECT_NEAR(N(u, "RF", 38.545, "kJ/kg"), 50.0, 0.02);
    EXPECT_NEAR(N(u, "RF", 13.7686, "TC"), 50.0, 0.01);
    // "T" follows the chosen temperature unit.
    u.SetUnitCode("T", kDegF);
    EXPECT_DOUBLE_EQ(S(u, "RF", 50, "T"), 57);
    EXPECT_NEAR(N(u, "RF", 56.7835, "T"), 50.0, 0.01);
    EXPECT_NEAR(N(u, "RF", 286.9186, "TK"), 50.0, 0.01);
    // Limited to 0..100; beyond saturation is saturated air.
    EXPECT_DOUBLE_EQ(N(u, "RF", 120, "%"), 100);
    EXPECT_DOUBLE_EQ(N(u, "RF", -5, "%"), 0);
    EXPECT_DOUBLE_EQ(N(u, "RF", 20, "g/kg"), 100);
    EXPECT_DOUBLE_EQ(N(u, "RF", 25, "TC"), 100);
    EXPECT_DOUBLE_EQ(N(u, "RF", -1, "g/kg"), 0);
    // The dry bulb matters: 7 g/kg is nearly saturated at 9 degC.
    EXPECT_GT(N(u, "RF", 7, "g/kg", 9.0), 95.0);
}
