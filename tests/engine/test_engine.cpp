// The engine over a synthetic fan: replies, catalogue reads, input and
// calculation errors, fan laws, losses, queries, noise and a sweep; and the
// spline, interpolation and least-squares routines worked by hand, with the
// curve formulas built on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>
#include <tuple>
#include <vector>

#include "EngineTestKit.h"
#include "SweepCheck.h"
#include "common/Program.h"
#include "engine/CFormula.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineReply.h"
#include "engine/Numerics.h"

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

using V = std::vector<double>;

double Poly(const V& c, double x)
{
    double y = 0;
    for (std::size_t i = c.size(); i-- > 0;) y = y * x + c[i];
    return y;
}

// A fan pressure curve: falling, gently curved.
double FanCurve(double q) { return 1500.0 - 0.02 * q - 1.5e-5 * q * q; }

void SampleCurve(int n, double q0, double q1, V& x, V& y)
{
    x.resize(n);
    y.resize(n);
    for (int i = 0; i < n; ++i) {
        x[i] = q0 + (q1 - q0) * i / (n - 1);
        y[i] = FanCurve(x[i]);
    }
}

TEST(Formula, ResultCodesAndStates)
{
    CFormula f;
    const V x{1.0, 2.0, 3.0}, y{5.0, 4.0, 2.0};
    EXPECT_EQ(f.ForSetData(0, x.data(), y.data()), 1);
    EXPECT_EQ(f.ForInitData(1), CFormula::NoData);
    EXPECT_EQ(f.ForSetData(3, x.data(), y.data()), 0);
    EXPECT_EQ(f.ForInitData(1), 3);
    EXPECT_EQ(f.ForInitData(1), CFormula::AlreadyBuilt);
    EXPECT_TRUE(f.ForFreeData());
    EXPECT_EQ(f.ForGetPoint(2.0), 0.0);

    // an unknown type builds nothing but counts as ready
    f.ForSetData(x, y);
    EXPECT_EQ(f.ForInitData(9), CFormula::BadType);
    EXPECT_EQ(f.ForGetPoint(2.0), 0.0);
    EXPECT_EQ(f.ForInitData(1), CFormula::AlreadyBuilt);
}

TEST(Formula, EveryTypeMeetsItsDataAndIsZeroOutside)
{
    V x, y;
    SampleCurve(8, 1000.0, 6000.0, x, y);
    for (int type = 1; type <= 5; ++type) {
        SCOPED_TRACE(type);
        CFormula f;
        f.ForSetData(x, y);
        f.ForInitData(type);
        // splines and the line interpolate; the resampled fits lag a little at the end
        const double tol = type <= 3 ? 1e-9 : 0.02 * y.back();
        EXPECT_NEAR(f.ForGetPoint(1000.0), y.front(), tol);
        EXPECT_NEAR(f.ForGetPoint(6000.0), y.back(), tol);
        EXPECT_EQ(f.ForGetPoint(std::nextafter(1000.0, 0.0)), 0.0);
        EXPECT_EQ(f.ForGetPoint(std::nextafter(6000.0, 1e9)), 0.0);
        if (type != 2) {
            EXPECT_NEAR(f.ForGetPoint(3300.0), FanCurve(3300.0), 3.0);
        }
    }
}

// Resampling steps 1/48 of the range: exact steps reach the last point at the
// 48th, 49 points. Before the second-to-last data point the local parabolas
// of a line are the line itself.
TEST(Formula, ResamplingOfALine)
{
    CFormula f;
    const V x{0.0, 16.0, 48.0}, y{10.0, 26.0, 58.0};
    f.ForSetData(x, y);
    ASSERT_EQ(f.ForInitData(4), 49);
    for (int i = 1; i <= 49; ++i) {
        EXPECT_EQ(f.X(i), i - 1.0);
        if (f.X(i) < 16.0 || i == 49) {
            EXPECT_NEAR(f.Y(i), f.X(i) + 10.0, 1e-9) << i;
        }
    }
    // two points: monotone, between the ends, at most a small lag above the line
    CFormula two;
    two.ForSetData(V{100.0, 580.3}, V{900.0, 420.0});
    const int n = two.ForInitData(4);
    ASSERT_TRUE(n == 49 || n == 50);
    EXPECT_EQ(two.Y(n), 420.0);
    for (int i = 2; i <= n; ++i) {
        const double line = 900.0 - (two.X(i) - 100.0) * 480.0 / 480.3;
        EXPECT_LE(two.Y(i), two.Y(i - 1)) << i;
        EXPECT_GE(two.Y(i), line - 1e-9) << i;
        EXPECT_LT(two.Y(i) - line, 0.03 * 480.0) << i;
    }
}

TEST(Formula, DeviationMeasuresAndExpansion)
{
    const V x{1.0, 2.0, 3.0}, y{2.0, 0.0, 6.0};
    CFormula f;
    f.ForSetData(x, y);
    f.ForInitData(2);
    // the line gives f(1.5) = 1 (0.5 off), f(2) = 0 against 1 (1 off), f(2.5) = 3 (0.5 off)
    const V px{1.5, 2.0, 2.5}, py{2.0, 1.0, 2.0};
    EXPECT_DOUBLE_EQ(f.ForGetAbwMax(3, px.data(), py.data()), 1.0);
    EXPECT_DOUBLE_EQ(f.ForGetAbwMittel(3, px.data(), py.data()), 2.0 / 3.0);
    const V zx{2.0}, zy{0.0}, ox{5.0};
    EXPECT_EQ(f.ForGetAbwMax(1, zx.data(), zy.data()), 0.0);  // absolute where y = 0
    EXPECT_EQ(f.ForGetAbwMax(1, ox.data(), zy.data()), 0.0);  // outside: f = 0

    // evenly spaced points from the first to the last abscissa, 0.25 apart
    int count = 9;
    V xo, yo;
    f.ForExpandValuesOpt(count, xo, yo);
    ASSERT_EQ(count, 9);
    EXPECT_EQ(xo[1], 1.25);
    EXPECT_EQ(xo[8], 3.0);
    EXPECT_EQ(yo[6], 3.0);  // 2.5 on the rising segment

    // a single point: one value, no endless loop
    CFormula one;
    one.ForSetData(V{300.0}, V{12.0});
    one.ForInitData(1);
    EXPECT_EQ(one.ForGetPoint(300.0), 12.0);
    count = 25;
    one.ForExpandValuesOpt(count, xo, yo);
    EXPECT_EQ(count, 1);
}

// The least-squares factorisations are kept per thread and reused for the
// next fit over the same flows: a fit after many others (factorisations of
// other flows, other columns over the same flows) gets the bits of a fit in
// a fresh thread, which starts with nothing kept.
TEST(Formula, KeptFactorisationsGiveTheBitsOfAFreshFit)
{
    const V flow{900, 1150, 1420, 1660, 1910, 2170, 2400, 2650};
    const V column{310, 300, 282, 261, 233, 198, 160, 112};
    auto fitted = [&](int type) {
        CFormula f;
        f.ForSetData(flow, column);
        f.ForInitData(type);
        V bits;
        for (int i = 1; i <= f.Count(); ++i) bits.push_back(f.Y(i));
        for (int i = 1; i <= f.CoeffCount(); ++i) bits.push_back(f.Coeff(i));
        bits.push_back(f.ForGetPoint(1777));
        return bits;
    };
    for (const int type : {4, 5}) {
        SCOPED_TRACE(type);
        V fresh;
        std::thread([&] { fresh = fitted(type); }).join();
        for (int other = 0; other < 40; ++other) {
            V x = flow, y = column;
            for (double& q : x) q += other % 3 == 0 ? 0.0 : 7.0 * other;
            for (double& p : y) p *= 1.0 + 0.01 * other;
            CFormula f;
            f.ForSetData(x, y);
            f.ForInitData(type);
        }
        EXPECT_EQ(fitted(type), fresh);
    }
}

// Natural spline through (0,0) (1,1) (2,0) (3,1), fed out of order. By hand:
// 4 M1 + M2 = -12 and M1 + 4 M2 = 12 give M1 = -4, M2 = 4; on [0, 1]
// y(0.5) = -4 × 0.125 / 6 + (1 + 4/6) × 0.5 = 0.75, continued to
// y(-0.5) = -0.75; the point symmetry gives y(1.5) = 0.5 and y(2.5) = 0.25.
TEST(Numerics, NaturalSplineByHand)
{
    const V X{2, 0, 3, 1}, Y{0, 0, 1, 1};
    V M(4);
    std::vector<std::int16_t> P(4);
    CSCOEF(4, X, Y, M, P);
    EXPECT_EQ(P, (std::vector<std::int16_t>{2, 4, 1, 3}));
    const V m{4, 0, 0, -4};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(M[i], m[i], 1e-12) << "point " << i;
    const std::pair<double, double> at[] = {{-0.5, -0.75}, {0, 0}, {0.5, 0.75}, {1.5, 0.5}, {2.5, 0.25}, {3, 1}};
    for (const auto& [x, want] : at) {
        double y;
        CSFIT1(4, X, Y, M, P, x, y);
        EXPECT_NEAR(y, want, 1e-12) << x;
    }
}

TEST(Numerics, ClampedSplineReproducesCubicAndDerivativeIsExactForParabolas)
{
    const V c{4.0, -1.5, 0.3, -0.02};  // slope -1.5 + 0.6 x - 0.06 x²: -1.5 at 0, -0.06 at 6
    const V X{0.0, 1.0, 2.5, 3.0, 4.5, 6.0};
    V Y;
    for (double x : X) Y.push_back(Poly(c, x));
    for (double x : {0.0, 0.4, 1.7, 3.0, 5.2, 6.0}) {
        double y;
        CSFIT2(6, X, Y, -1.5, -0.06, x, y);
        EXPECT_NEAR(y, Poly(c, x), 1e-10) << x;
    }
    // y = 2 + 3x - 0.5x², y' = 3 - x, on uneven steps and at both one-sided ends
    const V Xq{1.0, 1.5, 3.5, 4.0, 7.0};
    V Yq;
    for (double x : Xq) Yq.push_back(Poly({2.0, 3.0, -0.5}, x));
    for (int i = 1; i <= 5; ++i) {
        double yp;
        DERIV3(5, Xq, Yq, i, yp);
        EXPECT_NEAR(yp, 3.0 - Xq[i - 1], 1e-11) << "at point " << i;
    }
    double chord;
    DERIV3(2, Xq, Yq, 2, chord);
    EXPECT_NEAR(chord, (5.375 - 4.5) / 0.5, 1e-12);
}

TEST(Numerics, LinearInterpolation)
{
    const V X{1.0, 2.0, 4.0, 8.0}, Y{10.0, 20.0, 0.0, 40.0};
    // before the first point the first value; beyond the last the last segment goes on
    const std::pair<double, double> cases[] = {{0, 10}, {1, 10}, {2, 20}, {3, 10}, {4, 0}, {6, 20}, {8, 40}, {10, 60}};
    for (const auto& [x, want] : cases) {
        double y;
        INTERP1(4, X, Y, x, y);
        EXPECT_DOUBLE_EQ(y, want) << x;
    }
    double y;
    INTERP1(1, X, Y, 5.0, y);
    EXPECT_EQ(y, 10.0);
}

TEST(Numerics, LeastSquares)
{
    // m = 2 is the regression line: sums 10, 25.1, 30, 70.1 give slope
    // (350.5 - 251) / 50 = 1.99 and intercept (25.1 - 19.9) / 5 = 1.04
    const V Xr{0, 1, 2, 3, 4}, Yr{1.0, 3.2, 4.8, 7.1, 9.0};
    V L(2);
    LSQFIT(5, Xr, Yr, 2, L);
    EXPECT_NEAR(L[1], 1.99, 1e-12);
    EXPECT_NEAR(L[0], 1.04, 1e-12);

    // more terms than points: the extra ones stay 0, the points are still met
    const V X{1.0, 2.0, 3.0}, Y{2.0, -1.0, 4.0};
    V E(5, 99.0);
    LSQFIT(3, X, Y, 5, E);
    EXPECT_EQ(E[3], 0.0);
    EXPECT_EQ(E[4], 0.0);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(Poly(E, X[i]), Y[i], 1e-11);

    // all abscissas equal: the mean, not NaN
    const V Xs{3, 3, 3}, Ys{1, 2, 6};
    V S(3);
    LSQFIT(3, Xs, Ys, 3, S);
    EXPECT_NEAR(Poly(S, 3.0), 3.0, 1e-12);

    // an exact quartic over several thousand m³/h keeps full accuracy
    const V q{1200.0, 0.11, -4.0e-5, 2.5e-9, -1.1e-13};
    V Xl, Yl;
    for (int i = 0; i < 50; ++i) {
        Xl.push_back(800.0 + i * 150.0);
        Yl.push_back(Poly(q, Xl.back()));
    }
    V Q(5);
    LSQFIT(50, Xl, Yl, 5, Q);
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(Q[i], q[i], 1e-6 * std::fabs(q[i])) << i;
}

}  // namespace
}  // namespace aerolyx
