#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "units/BaseConditions.h"

using namespace aerolyx;

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
