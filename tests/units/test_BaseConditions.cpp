#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "common/StrUtil.h"
#include "units/BaseConditions.h"

using namespace aerolyx;

TEST(BaseConditions, AltitudeGivesPressureAndDensity)
{
    BaseState s{1000, 20, 1013, 50, 1.2};
    ASSERT_TRUE(BaseConditions(s, "I_BaseSea"));
    const double p = std::trunc(1013 * std::pow(1 - 6.5 / 293.0, 5.255));
    EXPECT_EQ(p, 900);
    EXPECT_DOUBLE_EQ(s.Pressure, p);
    EXPECT_NEAR(s.Density, 900 * 0.34847 / 293.15, 1e-12);
    EXPECT_NEAR(s.Density, 1.0698, 0.0001);

    // And back: 900 mbar at 20 degC lies at about the same altitude (the
    // altitude relation is the approximate inverse, 2.6 % high here).
    BaseState back = s;
    ASSERT_TRUE(BaseConditions(back, "I_BaseBar"));
    const double q = std::pow(900.0, 1 / 5.255);
    EXPECT_EQ(back.Altitude, std::trunc((std::pow(1013.0, 1 / 5.255) - q) * 293 / (q * 6.5) * 1000));
    EXPECT_NEAR(back.Altitude, 1000, 30);
    EXPECT_NEAR(back.Density, s.Density, 1e-12);
    EXPECT_EQ(s.Altitude, 1000);
    EXPECT_EQ(s.Humidity, 50);

    // Standard air at sea level and 20 degC is exactly 1.2 kg/m3.
    BaseState sea{0, 20, 900, 40, 1.0};
    ASSERT_TRUE(BaseConditions(sea, "i_basesea"));
    EXPECT_EQ(sea.Pressure, 1013);
    EXPECT_EQ(sea.Density, 1.2);
}

TEST(BaseConditions, PressureOrDensityGivesTheOthers)
{
    BaseState s{0, 20, 950, 50, 1.2};
    ASSERT_TRUE(BaseConditions(s, "I_BaseBar"));
    EXPECT_EQ(s.Pressure, 950);
    EXPECT_NEAR(s.Density, 950 * 0.34847 / 293.15, 1e-12);
    // The altitude of 950 mbar at 20 degC, about 550 m, cut to metres.
    EXPECT_NEAR(s.Altitude, 550, 15);
    EXPECT_EQ(s.Altitude, std::trunc(s.Altitude));

    BaseState d{500, 20, 950, 50, 1.1};
    ASSERT_TRUE(BaseConditions(d, "I_BaseSpw"));
    EXPECT_EQ(d.Density, 1.1);
    EXPECT_EQ(d.Pressure, std::trunc(293.15 * 1.1 / 0.34847));
    EXPECT_EQ(d.Pressure, 925);
    EXPECT_GT(d.Altitude, 700);

    BaseState std12{750, 35, 900, 50, 1.2};
    ASSERT_TRUE(BaseConditions(std12, "I_BaseSpw"));
    EXPECT_EQ(std12.Pressure, 1013);
    EXPECT_EQ(std12.Altitude, 0);
}

TEST(BaseConditions, TemperatureAndHumidityZeroMeanTwentyDegrees)
{
    BaseState s{0, 0, 1013, 0, 1.3};
    ASSERT_TRUE(BaseConditions(s, "I_BaseRf"));
    EXPECT_EQ(s.Density, 1.2);  // sea level at 20 degC
    EXPECT_EQ(s.Temperature, 20);

    // The field typed keeps what was typed.
    BaseState t{0, 0, 1013, 0, 1.3};
    ASSERT_TRUE(BaseConditions(t, "I_BaseTmp"));
    EXPECT_EQ(t.Temperature, 0);
    EXPECT_EQ(t.Density, 1.2);

    // At 0 degC with some humidity the temperature counts as it is.
    BaseState c{0, 0, 1013, 30, 1.2};
    ASSERT_TRUE(BaseConditions(c, "I_BaseTmp"));
    EXPECT_NEAR(c.Density, 1013 * 0.34847 / 273.15, 1e-12);
}

TEST(BaseConditions, InvalidStatesChangeNothing)
{
    const BaseState cases[] = {
        {0, 20, 300, 50, 0},     // pressure below 400
        {0, 20, 1100, 50, 0},    // pressure above 1050
        {6000, 20, 0, 50, 0},    // altitude above 5000
        {-200, 20, 0, 50, 0},    // altitude below -100
        {0, 20, 0, 120, 0},      // humidity above 100
        {0, 20, 0, -1, 0},       // humidity below 0
        {0, 20, 0, 50, 2.5},     // density above 2
        {0, -300, 0, 50, 0},     // below absolute zero
        {0, NAN, 0, 50, 0},
    };
    const char* fields[] = {"I_BaseBar", "I_BaseBar", "I_BaseSea", "I_BaseSea", "I_BaseRf",
                            "I_BaseRf",  "I_BaseSpw", "I_BaseTmp", "I_BaseTmp"};
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

TEST(BaseConditions, WritesEveryFieldButTheChangedOne)
{
    std::map<std::string, double, ILess> fields = {
        {"I_BaseSea", 1000}, {"I_BaseTmp", 20}, {"I_BaseBar", 1013}, {"I_BaseRf", 50}, {"I_BaseSpw", 1.2}};
    std::map<std::string, int, ILess> writes;
    auto get = [&](const std::string& n) { return fields[n]; };
    auto set = [&](const std::string& n, double v) {
        fields[n] = v;
        ++writes[n];
    };
    ASSERT_TRUE(BaseConditions(get, set, "i_basesea"));
    EXPECT_EQ(writes.count("I_BaseSea"), 0u);
    EXPECT_EQ(writes.size(), 4u);
    EXPECT_EQ(fields["I_BaseBar"], 900);

    writes.clear();
    fields["I_BaseBar"] = 200;
    EXPECT_FALSE(BaseConditions(get, set, "I_BaseBar"));
    EXPECT_TRUE(writes.empty());
}
