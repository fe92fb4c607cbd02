#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "EngineTestKit.h"
#include "SweepCheck.h"
#include "common/Program.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineReply.h"

namespace aerolyx {
namespace {

using test::AddFan;
using test::Duty;
using test::FakeCatalogue;
using namespace reply;

const std::vector<int> kAngles = {10, 15, 20, 25, 30};

FakeCatalogue::Size SizeRow(int id, double minVa = 1000, double maxVa = 20000, double minPa = 50, double maxPa = 3000)
{
    return {.FsID = id, .FsMinVa = minVa, .FsMaxVa = maxVa, .FsMinPa = minPa, .FsMaxPa = maxPa, .VartdPmin = 40};
}

// The numbers of a query reply after "OK:".
std::vector<double> Nums(const std::string& reply)
{
    std::vector<double> out;
    for (const std::string& field : Split(reply.substr(std::min<std::size_t>(3, reply.size())), '#'))
        out.push_back(TextToNum(field));
    return out;
}

struct Fixture {
    explicit Fixture(const FakeCatalogue::Size& size = SizeRow(1), const std::vector<int>& angles = kAngles)
    {
        AddFan(db, size, angles);
    }
    std::string Run(const Duty& d) { return engine.Execute(1001, d.Text()); }
    FakeCatalogue db;
    DORozEvIdad engine{db};
};

TEST(Engine, RepliesAndSummaries)
{
    Fixture f;
    const std::string full = f.Run(Duty{});
    ASSERT_EQ(full.substr(0, 3), "OK:") << full;
    EXPECT_NE(full[3], ' ');
    const EngineReply r(full);  // its field count is the sweep's check
    EXPECT_EQ(r.Head(CurveCount), 5);
    // 11000 m³/h at 700 Pa lies between the 20° and 25° curves
    EXPECT_EQ(r.Head(LowerCurve), 3);
    EXPECT_EQ(r.Head(UpperCurve), 4);
    EXPECT_TRUE(r.Op(OpAngle) == 20 || r.Op(OpAngle) == 25) << r.Op(OpAngle);
    // catalogue curves follow in ascending blade angle
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(r.Curve(i, BladeAngle), kAngles[static_cast<std::size_t>(i - 1)]);
    // the protocol's own positions, which the readers of older replies know
    const std::vector<std::string> parts = Split(full, '#');
    EXPECT_EQ(parts[10], "0:0");
    EXPECT_EQ(parts[40] + " " + parts[46], "11000 700");  // flow and total pressure of the operating point

    // MAIN repeats the full summary; code 1 gives the short one and releases
    EXPECT_EQ(f.engine.Execute(2, "MAIN"), full);
    const std::string brief = f.engine.Execute(1, Duty{}.Text());
    ASSERT_EQ(brief.substr(0, 4), "OK: ") << brief;
    const std::vector<std::string> b = Split(brief, '#');
    ASSERT_EQ(b.size(), 13u);
    EXPECT_EQ(b[3], "5");
    for (std::size_t i = 4; i < 13; ++i) EXPECT_EQ(b[i], parts[i + 6]);
    EXPECT_EQ(f.engine.State(), 0);
    EXPECT_EQ(f.engine.Execute(7, ""), "ERROR: 1 'Illegal function");
}

TEST(Engine, CatalogueRowsKeptWhileTheConnectionStaysOpen)
{
    Fixture f;
    AddFan(f.db, SizeRow(2), kAngles, 6);
    auto count = [&](const std::string& prefix) {
        return std::count_if(f.db.log.begin(), f.db.log.end(), [&](const std::string& q) { return StartsWith(q, prefix); });
    };
    // Size 1 is read once for a repeated duty, a second pole, after a reset
    // and by another engine on the same connection; a reopened connection
    // reads it again, with the same answer.
    const std::string first = f.Run(Duty{});
    const std::string six = f.Run(Duty{.pole = 6});
    EXPECT_EQ(f.Run(Duty{}), first);
    f.engine.Execute(1099, "");
    f.Run(Duty{.fsid = 2, .pole = 6});
    DORozEvIdad other(f.db);
    EXPECT_EQ(other.Execute(1001, Duty{.pole = 6}.Text()), six);
    f.db.Reopen();
    EXPECT_EQ(f.Run(Duty{.pole = 6}), six);
    EXPECT_EQ(count("FanSize 1"), 2);
    EXPECT_EQ(count("FanCurves"), 3);
    EXPECT_EQ(count("FanNoise"), 4);  // (1, 4), (1, 6), (2, 6), (1, 6) again
    EXPECT_EQ(count("PoleSpeed 6"), 2);
}

// Input rules are checked in turn and the last failing one wins; faults of
// the calculation end the command. Either way the engine stays usable.
TEST(Engine, ErrorReplies)
{
    Fixture f;
    f.db.AddSize(SizeRow(2));  // a size without curve rows
    FakeCatalogue::Size noStep = SizeRow(3);
    noStep.FsGrdStp = 0;
    AddFan(f.db, noStep, kAngles);
    const struct {
        Duty duty;
        const char* reply;
    } cases[] = {
        {{.flow = 0}, "ERROR: 101"},
        {{.kind = 3}, "ERROR: 102"},
        {{.pressure = -1}, "ERROR: 103"},
        {{.factor = 9.5}, "ERROR: 104"},
        {{.factor = -0.1}, "ERROR: 104"},
        {{.flow = 0, .kind = 3, .fsid = 0}, "ERROR: 105"},
        {{.flow = 0, .kind = 3, .fsid = 77}, "ERROR: 106"},
        {{.flow = 0, .kind = 3}, "ERROR: 102"},
        {{.fsid = 2}, "ERROR: 201"},
        {{.minEta = 99}, "ERROR: 206"},
        {{.flow = 3000, .pressure = 2900}, "ERROR: 203"},  // far above every curve
        {{.freq = 0}, "ERROR: 11 'Division by zero"},
        {{.pole = 5}, "ERROR: 11 'Division by zero"},  // no speed for this pole code
        {{.fsid = 3}, "ERROR: 11 'Division by zero"},
        {{.fsid = 3, .pole = 40000}, "ERROR: 6 'Overflow"},  // beyond a 16-bit field
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.duty.Text());
        EXPECT_EQ(f.Run(c.duty), c.reply);
        EXPECT_EQ(f.engine.State(), 0);
        EXPECT_EQ(f.Run(Duty{.factor = 9, .minEta = 1}).substr(0, 3), "OK:");
    }
    // empty fields count as 0
    EXPECT_EQ(f.engine.Execute(1001, ""), "ERROR: 105");
    EXPECT_EQ(f.engine.Execute(1001, ";;;;2;1;;1"), "ERROR: 101");
    // a failing query is reported, not thrown
    f.db.FailOn("FanNoise");
    EXPECT_EQ(f.Run(Duty{}), "ERROR: -2147467259 'disk I/O error");

    DORozEvIdad orphan;
    Program saved = Prog();
    Prog().DB = nullptr;
    EXPECT_EQ(orphan.Execute(1001, Duty{}.Text()).substr(0, 12), "ERROR: 3709 ");
    Prog() = saved;
}

// One curve measured at 50 Hz with four poles (1450 rpm): 5000, 8000,
// 10000 m³/h at 1500, 1250, 1000 Pa, 2.5 kW, 70 %, 90 dB. Worked by hand:
// 60 Hz is ×1.2 on flow, ×1.44 on pressure, ×1.728 on power, +3.96 dB;
// two poles (2900 rpm) is ×2, ×4, ×8, +15.05 dB. The last pressure point is
// not smoothed; a constant power column stays constant.
TEST(Engine, CurvesConvertedByDensityFrequencyAndSpeed)
{
    struct Case {
        int freq, pole;
        double k;
        double flow[3], lastPressure, power, sound;
    };
    const Case cases[] = {
        {50, 4, 1.0, {5000, 8000, 10000}, 1000, 2.5, 90},
        {50, 4, 0.9, {5000, 8000, 10000}, 900, 2.5, 90},
        {60, 4, 1.0, {6000, 9600, 12000}, 1440, 4.32, 93.96},  // 1440 exactly, not 1439
        {50, 2, 1.0, {10000, 16000, 20000}, 4000, 20, 105.05},
        {60, 2, 1.0, {12000, 19200, 24000}, 5760, 34.56, 109.01},
    };
    FakeCatalogue db;
    db.AddSize(SizeRow(5));
    for (const auto& [v, p] : {std::pair{5000, 1500}, {8000, 1250}, {10000, 1000}})
        db.AddPoint(5, {4, 20, static_cast<double>(v), static_cast<double>(p), 2.5, 70, 90});
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.freq << " Hz, pole " << c.pole << ", k " << c.k);
        DORozEvIdad e(db);
        const Duty d{.flow = c.flow[2], .pressure = c.lastPressure, .k = c.k, .fsid = 5, .pole = c.pole,
                     .freq = c.freq};
        e.Execute(1001, d.Text());
        ASSERT_EQ(e.CurveCount(), 1);
        const auto& curve = e.Curve(1);
        ASSERT_EQ(curve.PointCount, 3);
        for (int j = 1; j <= 3; ++j) {
            EXPECT_EQ(curve.Flow[j], c.flow[j - 1]);
            EXPECT_EQ(curve.Power[j], c.power);
            EXPECT_DOUBLE_EQ(curve.SoundPower[j], c.sound);
        }
        EXPECT_EQ(curve.Pressure[3], c.lastPressure);
        if (c.freq == 50 && c.pole == 4) {
            EXPECT_EQ(curve.Eta[2], 70);  // as stored, not recomputed from flow, pressure and power
        }
    }
}

// A size of one 23° curve: the angle is rounded to the 5° step, the
// operating curve is that curve, and a duty well off it (beyond ±2 %) moves onto it.
TEST(Engine, SingleCurveSize)
{
    Fixture f(SizeRow(1), {23});
    DORozEvIdad& e = f.engine;
    e.Execute(1001, Duty{.flow = 12000, .pressure = 600}.Text());
    ASSERT_EQ(e.CurveCount(), 1);
    const auto& c1 = e.Curve(1);
    const EngineReply s(e.Execute(1001, Duty{.flow = c1.Flow[3], .pressure = c1.Pressure[3]}.Text()));
    EXPECT_EQ(s.Op(OpAngle), 25);
    EXPECT_EQ(s.Head(ReferenceAngle), 25);
    EXPECT_EQ(s.Head(UpperCurve), 1);
    for (int j = 2; j <= c1.PointCount; ++j) EXPECT_EQ(e.Curve(0).Pressure[j], c1.Pressure[j]);
    const EngineReply m(e.Execute(1001, Duty{.flow = c1.Flow[3], .pressure = 0.9 * c1.Pressure[3]}.Text()));
    EXPECT_NE(m.Head(DutyFlow), c1.Flow[3]);
}

// The size's limits carry a 1 % margin each way: 8080 / 1.01 = 8000 m³/h,
// 14850 / 0.99 = 15000 m³/h, 606 / 1.01 = 600 Pa, 792 / 0.99 = 800 Pa.
TEST(Engine, RangeChecksAtTheEdges)
{
    Fixture f(SizeRow(1, 8080, 14850, 606, 792));
    // {flow, pressure, refused}
    const std::tuple<double, double, bool> cases[] = {
        {8000, 700, false},  {7999, 700, true},    {15000, 700, false}, {15001, 700, true},
        {11000, 600, false}, {11000, 599.9, true}, {11000, 800, false}, {11000, 800.1, true}};
    for (const auto& [flow, pressure, refused] : cases) {
        SCOPED_TRACE(testing::Message() << flow << " m³/h " << pressure << " Pa");
        EXPECT_EQ(f.Run(Duty{.flow = flow, .pressure = pressure}) == "ERROR: 203", refused);
    }
    // after loading, 1.5 × the bare static pressure must reach the size's minimum of 300 Pa
    Fixture loaded(SizeRow(1, 1000, 20000, 300));
    EXPECT_NE(loaded.Run(Duty{.flow = 14000, .pressure = 200, .factor = 3, .kind = 1}), "ERROR: 201");
    EXPECT_EQ(loaded.Run(Duty{.flow = 14000, .pressure = 199, .factor = 3, .kind = 1}), "ERROR: 201");
}

TEST(Engine, StaticDutyWithLosses)
{
    Fixture f;
    const Duty d{.flow = 11000, .pressure = 500, .factor = 1.5, .kind = 1, .dpa = 20, .dpaz = 0.5,
                 .equations = "0.5*[C]^2|2*(|[c]*3|"};
    const std::string r = f.Run(d);
    ASSERT_EQ(r.substr(0, 3), "OK:") << r;
    // By hand: area 3.14 × 0.315² = 0.3115665 m², v = 9.807 m/s, v² = 96.18;
    // dynamic 0.6 v² = 57.7 -> 58; outlet 1.5 × 58 = 87; losses 20 + 0.5 × 58
    // = 49, + 0.5 v² -> 97, + 3 v -> 126 (the broken formula adds nothing).
    const EngineReply R(r);
    EXPECT_EQ(R.Op(OpDynamicPressure), 58);
    EXPECT_EQ(R.Op(OpExtraPressure), 87 + 126);
    EXPECT_EQ(R.Op(OpTotalPressure), 771);
    EXPECT_EQ(R.Op(OpStaticPressure), 500);

    // losses beyond the curve pressure: the static pressure goes negative
    const EngineReply N(f.Run(Duty{.dpa = 2000}));
    const double total = N.Op(OpTotalPressure);
    EXPECT_EQ(N.Op(OpStaticPressure), total - N.Op(OpDynamicPressure) - 2000);
    EXPECT_LT(N.Op(OpStaticPressure), 0);
}

// 1003 checks a duty against the calculated fan, 1004 recomputes it; both
// need a calculation, and a failed recompute drops it.
TEST(Engine, CheckAndRecompute)
{
    const char* kNotCalculated = "ERROR: 100 'Fan not precalculated";
    const char* kOutside = "ERROR: 102 'Pressure outside limit";
    const struct {
        int code;
        std::string text, reply;
    } steps[] = {
        {1003, "11000;700", kNotCalculated},
        {1003, "0;700", "ERROR: 101 'Air volume missing"},
        {1004, "11000;700", kNotCalculated},
        {1001, Duty{}.Text(), "OK:"},  // its reply compared up to here
        {1003, "12000abc;650 Pa", "OK:"},
        {1003, "11000;5000", kOutside},
        {1004, "-5;700", "ERROR: 101 'Air volume missing"},
        {1004, "11000;5000", "ERROR: 102"},
        {1004, "11000;700", kNotCalculated},
        {1003, "11000;700", "OK:"},
        {1099, "", "OK:"},
        {1003, "11000;700", kNotCalculated},
    };
    Fixture f;
    for (const auto& s : steps) {
        const std::string reply = f.engine.Execute(s.code, s.text);
        EXPECT_EQ(s.code == 1001 ? reply.substr(0, 3) : reply, s.reply) << s.code << " " << s.text;
    }

    ASSERT_EQ(f.Run(Duty{}).substr(0, 3), "OK:");
    const std::string r = f.engine.Execute(1004, "12000;650");
    const EngineReply R(r);
    EXPECT_EQ(R.Head(DutyFlow), 12000);
    EXPECT_EQ(R.Op(OpTotalPressure), 650);
    EXPECT_EQ(f.engine.State(), 3);
    EXPECT_EQ(f.engine.Execute(2, "MAIN"), r);
}

TEST(Engine, Queries)
{
    Fixture f;
    DORozEvIdad& e = f.engine;
    EXPECT_EQ(e.Execute(2, "KZ").substr(0, 7), "ERROR: ");
    ASSERT_EQ(f.Run(Duty{.pressure = 665, .k = 0.95}).substr(0, 3), "OK:");
    EXPECT_EQ(e.Execute(2, "KZ"), "OK:0.95#38");  // k, and the size's least pressure 40 Pa × k

    // FAN: the curve count, then per slot (operating curve first) its points of 7 fields
    std::size_t fields = 1;
    for (int slot = 0; slot <= 5; ++slot) fields += 1 + 7 * static_cast<std::size_t>(e.Curve(slot).PointCount);
    const std::vector<double> fan = Nums(e.Execute(2, "FAN"));
    EXPECT_EQ(fan.size(), fields);
    EXPECT_EQ(fan[1 + 1 + 4], e.Curve(0).Flow[1]);

    // GET:points;slot;kind -> count, x and y ranges, then the pairs. Kind 6 adds
    // the dynamic pressure: on the 10° curve at its first flow, 3500 m³/h
    // through 0.3115665 m² is 3.1204 m/s, 0.6 × 3.1204² × 0.95 = 5.550 Pa.
    const std::vector<double> q3 = Nums(e.Execute(2, "GET:20;1;3")), q6 = Nums(e.Execute(2, "GET:20;1;6"));
    ASSERT_EQ(q3.size(), 45u);
    EXPECT_EQ(q3[5], 3500);
    EXPECT_NEAR(q6[6] - q3[6], 5.55, 2e-6);
    EXPECT_NEAR(Nums(e.Execute(2, "GET:10;3;4"))[3], 20, 0.5);  // blade angle along the 20° curve
    for (const char* q : {"GET:50;31;3", "GET:50;-1;3", "GET:50;6;3", "GET:50;0;7", "GET:0;0;3"})
        EXPECT_EQ(e.Execute(2, q).substr(0, 7), "ERROR: ") << q;
    EXPECT_EQ(e.State(), 3);
}

// The weights and the distance term are the noise module's; here the
// engine's bands: without a spectrum row every band carries Lw, a row steps
// down from Lw, and a band below 0 reads 0.
TEST(Engine, NoiseBands)
{
    Fixture f;
    const EngineReply r(f.Run(Duty{.distance = 1}));
    const double lw = r.Op(OpSoundPower);
    EXPECT_DOUBLE_EQ(r.BandLevel(2), lw);
    EXPECT_NEAR(r.BandLevelA(2), lw - 7.9 - 16.1, 1e-9);  // 1 m away, 125 Hz weight

    f.db.AddNoise(1, 4, {10, 8, 6, 5, 7, 9, 12, 200});
    const EngineReply s(f.Run(Duty{}));
    EXPECT_NEAR(s.BandLevel(1), lw - 10, 1e-9);
    EXPECT_NEAR(s.BandLevel(8), lw - 200, 1e-9);
    EXPECT_EQ(s.BandLevelA(8), 0);
}

TEST(Engine, SweepOverSyntheticFan)
{
    Fixture f;
    int ok = 0, offCurve = 0;
    for (double v = 2000; v <= 18000; v += 500) {
        for (double p = 0; p <= 1400; p += 50) {
            const Duty d{.flow = v, .pressure = p};
            ok += test::CheckSweepReply(f.engine, d, f.Run(d), offCurve) ? 1 : 0;
        }
    }
    EXPECT_GT(ok, 200);
    EXPECT_EQ(offCurve, 0);
    EXPECT_LE(f.engine.MaxCrossingSteps(), 80);
}

}  // namespace
}  // namespace aerolyx
