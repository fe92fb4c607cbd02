#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "EngineTestKit.h"
#include "SweepCheck.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineQueries.h"
#include "engine/EngineReply.h"

namespace aerolyx {
namespace {

using test::AddFan;
using test::Duty;
using test::FakeCatalogue;
using test::ReplyFields;
namespace rec = test::rec;

const std::vector<int> kAngles = {10, 15, 20, 25, 30};

FakeCatalogue::Size SizeRow(int id)
{
    FakeCatalogue::Size s;
    s.FsID = id;
    s.FsSizeI = 630;
    s.FsMinVa = 1000;
    s.FsMaxVa = 20000;
    s.FsMinPa = 50;
    s.FsMaxPa = 3000;
    s.FsGrdStp = 5;
    s.VartdPmin = 40;
    return s;
}

struct Fixture {
    Fixture() { AddFan(db, SizeRow(1), kAngles); }
    FakeCatalogue db;
    DORozEvIdad engine{db};
};

// Stored rows of one curve in flow order, as the fake holds them.
std::vector<FakeCatalogue::Point> Rows(int angle)
{
    FakeCatalogue tmp;
    AddFan(tmp, SizeRow(9), {angle});
    Recordset rs = engine_sql::FanCurves(tmp, 9);
    std::vector<FakeCatalogue::Point> pts;
    for (; !rs.Eof(); rs.MoveNext())
        pts.push_back({rs.GetInt("FanCPz"), rs.GetInt("FanCN"), rs.GetDouble("FanCM"), rs.GetDouble("FanCPa"),
                       rs.GetDouble("FanCP"), rs.GetDouble("FanCE"), rs.GetDouble("FanCDB")});
    return pts;
}

TEST(Engine, RepliesAndSummaries)
{
    Fixture f;
    Duty d;
    const std::string full = f.engine.Execute(1001, d.Text());
    ASSERT_EQ(full.substr(0, 3), "OK:") << full;
    EXPECT_NE(full[3], ' ');
    const ReplyFields r(full);
    EXPECT_EQ(r.size(), 19u + 6u * 31u);
    EXPECT_EQ(r[rec::DutyFlow], 11000);
    EXPECT_EQ(r[rec::Density], 1);   // k
    EXPECT_EQ(r[rec::CurveCount], 5);   // CurveCount
    EXPECT_EQ(r.parts[rec::kHeadFields], "0:0");
    EXPECT_EQ(f.engine.State(), 3);
    // the duty lies between the 20° and 25° curves
    EXPECT_EQ(r[rec::LowerCurve], 3);
    EXPECT_EQ(r[rec::UpperCurve], 4);
    const double angle = r[rec::At(0, rec::OpAngle)];
    EXPECT_GE(angle, 20);
    EXPECT_LE(angle, 25);
    EXPECT_EQ(std::fmod(angle, 5), 0);
    EXPECT_EQ(r[rec::At(0, rec::OpFlow)], 11000);
    EXPECT_EQ(r[rec::At(0, rec::OpTotal)], 700);
    // database curves are listed in ascending blade angle
    for (int i = 1; i <= 5; ++i) {
        const int a = kAngles[static_cast<std::size_t>(i - 1)];
        EXPECT_EQ(r[rec::At(i, rec::BladeAngle)], a);
        // a curve's angle column is constant: its limit points carry that angle
        EXPECT_EQ(r[rec::At(i, rec::LowAngle)], a);
        EXPECT_EQ(r[rec::At(i, rec::HighAngle)], a);
        EXPECT_EQ(r[rec::At(i, rec::OpAngle)], a);
    }

    // the view reads the same fields by name; a cut reply has no operating point
    const EngineReply view(full);
    EXPECT_TRUE(view.HasOperatingPoint());
    EXPECT_EQ(view.Head(reply::LowerCurve), 3);
    EXPECT_EQ(view.Op(reply::OpTotalPressure), 700);
    EXPECT_EQ(view.Curve(2, reply::BladeAngle), 15);
    std::size_t cut = 0;
    for (int i = 0; i < 49; ++i) cut = full.find('#', cut + 1);
    EXPECT_EQ(EngineReply(full.substr(0, cut)).FieldCount(), 49u);
    EXPECT_FALSE(EngineReply(full.substr(0, cut)).HasOperatingPoint());
    EXPECT_FALSE(EngineReply("ERROR: 203").HasOperatingPoint());
    EXPECT_EQ(EngineReply(full.substr(3)).Op(reply::OpFlow), 11000);

    // MAIN repeats the full summary; code 1 gives the short one and releases
    EXPECT_EQ(f.engine.Execute(2, "MAIN"), full);
    EXPECT_EQ(f.engine.Execute(1002, "main"), full);
    const std::string brief = f.engine.Execute(1, d.Text());
    ASSERT_EQ(brief.substr(0, 4), "OK: ") << brief;
    const ReplyFields b(brief);
    EXPECT_EQ(b.size(), 13u);
    EXPECT_EQ(b[0], 11000);
    EXPECT_EQ(b[3], 5);
    for (std::size_t i = 4; i < 13; ++i) EXPECT_EQ(b.parts[i], r.parts[i + 6]);
    EXPECT_EQ(f.engine.State(), 0);
    EXPECT_EQ(f.engine.Execute(1003, "11000;700"), "ERROR: 100 'Fan not precalculated");

    EXPECT_EQ(f.engine.Execute(7, ""), "ERROR: 1 'Illegal function");
    EXPECT_EQ(f.engine.Execute(1099, ""), "OK:");
    EXPECT_EQ(f.engine.Execute(9, "ignored"), "OK:");
}

TEST(Engine, CatalogueRowsKeptWhileTheConnectionStaysOpen)
{
    Fixture f;
    AddFan(f.db, SizeRow(2), kAngles, 6);
    auto count = [&](const std::string& prefix) {
        return std::count_if(f.db.log.begin(), f.db.log.end(), [&](const std::string& q) { return StartsWith(q, prefix); });
    };
    Duty d;
    const std::string first = f.engine.Execute(1001, d.Text());
    d.pole = 6;
    const std::string six = f.engine.Execute(1001, d.Text());
    d.pole = 4;
    EXPECT_EQ(f.engine.Execute(1001, d.Text()), first);
    EXPECT_EQ(count("FanSize"), 1);
    EXPECT_EQ(count("FanCurves"), 1);
    EXPECT_EQ(count("FanNoise"), 2);
    EXPECT_EQ(count("PoleSpeed 6"), 1);
    d.fsid = 2;
    d.pole = 6;
    f.engine.Execute(1001, d.Text());
    EXPECT_EQ(count("FanSize 2"), 1);
    EXPECT_EQ(count("FanCurves 2"), 1);
    // a reset of the engine keeps the catalogue's rows; another engine
    // object on the same connection shares them
    f.engine.Execute(1099, "");
    f.engine.Execute(1001, d.Text());
    DORozEvIdad other(f.db);
    d.fsid = 1;
    EXPECT_EQ(other.Execute(1001, d.Text()), six);
    EXPECT_EQ(count("FanSize 2"), 1);
    EXPECT_EQ(count("FanCurves"), 2);
    // a reopened connection reads them again, with the same answer
    f.db.Reopen();
    EXPECT_EQ(f.engine.Execute(1001, d.Text()), six);
    EXPECT_EQ(count("FanSize 1"), 2);
    EXPECT_EQ(count("FanCurves 1"), 2);
    EXPECT_EQ(count("PoleSpeed 6"), 2);
}

TEST(Engine, Validation)
{
    Fixture f;
    auto run = [&](Duty d) { return f.engine.Execute(1001, d.Text()); };
    Duty d;
    d.flow = 0;
    EXPECT_EQ(run(d), "ERROR: 101");
    d = Duty{};
    d.kind = 3;
    EXPECT_EQ(run(d), "ERROR: 102");
    d = Duty{};
    d.pressure = -1;
    EXPECT_EQ(run(d), "ERROR: 103");
    d = Duty{};
    d.factor = 9.5;
    EXPECT_EQ(run(d), "ERROR: 104");
    d.factor = -0.1;
    EXPECT_EQ(run(d), "ERROR: 104");
    d.factor = 9;
    EXPECT_NE(run(d), "ERROR: 104");
    d = Duty{};
    d.fsid = 0;
    EXPECT_EQ(run(d), "ERROR: 105");
    d.fsid = 77;
    EXPECT_EQ(run(d), "ERROR: 106");
    // the last failing rule wins
    d = Duty{};
    d.flow = 0;
    d.kind = 3;
    d.fsid = 0;
    EXPECT_EQ(run(d), "ERROR: 105");
    d.fsid = 77;
    EXPECT_EQ(run(d), "ERROR: 106");
    d.fsid = 1;
    EXPECT_EQ(run(d), "ERROR: 102");
    // empty fields count as 0
    EXPECT_EQ(f.engine.Execute(1001, ""), "ERROR: 105");
    EXPECT_EQ(f.engine.Execute(1001, ";;;;2;1;;1"), "ERROR: 101");
    EXPECT_EQ(f.engine.State(), 0);
    EXPECT_EQ(run(Duty{}).substr(0, 3), "OK:");
}

TEST(Engine, CalculationErrors)
{
    Fixture f;
    // a size without curve rows
    f.db.AddSize(SizeRow(2));
    Duty d;
    d.fsid = 2;
    EXPECT_EQ(f.engine.Execute(1001, d.Text()), "ERROR: 201");

    // minimum efficiency not reached
    d = Duty{};
    d.minEta = 99;
    EXPECT_EQ(f.engine.Execute(1001, d.Text()), "ERROR: 206");
    EXPECT_EQ(f.engine.State(), 0);
    d.minEta = 1;
    EXPECT_EQ(f.engine.Execute(1001, d.Text()).substr(0, 3), "OK:");

    // far above every curve: no limit point that can be reached
    d = Duty{};
    d.flow = 3000;
    d.pressure = 2900;
    EXPECT_EQ(f.engine.Execute(1001, d.Text()), "ERROR: 203");

    // arithmetic faults end the command and leave the engine usable
    d = Duty{};
    d.freq = 0;
    EXPECT_EQ(f.engine.Execute(1001, d.Text()), "ERROR: 11 'Division by zero");
    EXPECT_EQ(f.engine.State(), 0);
    d = Duty{};
    d.pole = 5;  // no speed for this pole code
    EXPECT_EQ(f.engine.Execute(1001, d.Text()), "ERROR: 11 'Division by zero");
    FakeCatalogue::Size z = SizeRow(3);
    z.FsGrdStp = 0;
    AddFan(f.db, z, kAngles);
    d = Duty{};
    d.fsid = 3;
    EXPECT_EQ(f.engine.Execute(1001, d.Text()), "ERROR: 11 'Division by zero");
    d.pole = 40000;  // beyond a 16-bit field
    EXPECT_EQ(f.engine.Execute(1001, d.Text()), "ERROR: 6 'Overflow");

    // a failing query is reported, not thrown
    f.db.FailOn("FanNoise");
    EXPECT_EQ(f.engine.Execute(1001, Duty{}.Text()), "ERROR: -2147467259 'disk I/O error");
    f.db.FailOn("");
    EXPECT_EQ(f.engine.Execute(1001, Duty{}.Text()).substr(0, 3), "OK:");

    // without any catalogue
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
        Duty d;
        d.fsid = 5;
        d.freq = c.freq;
        d.pole = c.pole;
        d.k = c.k;
        d.flow = c.flow[2];
        d.pressure = c.lastPressure;
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
        if (c.freq == 50 && c.pole == 4) EXPECT_EQ(curve.Eta[2], 70);  // not recomputed at the curves' own speed
    }
}

TEST(Engine, DutyOnADatabaseCurve)
{
    Fixture f;
    ASSERT_EQ(f.engine.Execute(1001, Duty{}.Text()).substr(0, 3), "OK:");
    // a smoothed point of the 20° curve: the spline passes through it
    const auto& c3 = f.engine.Curve(3);
    Duty d;
    d.flow = c3.Flow[4];
    d.pressure = c3.Pressure[4];
    const std::string r = f.engine.Execute(1001, d.Text());
    ASSERT_EQ(r.substr(0, 3), "OK:") << r;
    const ReplyFields R(r);
    EXPECT_EQ(R[rec::LowerCurve], 3);  // LowerCurve: t = 0
    EXPECT_EQ(R[rec::At(0, rec::OpAngle)], 20);
    EXPECT_EQ(R[rec::At(0, rec::OpFlow)], d.flow);
    const auto& s0 = f.engine.Curve(0);
    const auto& low = f.engine.Curve(3);
    ASSERT_EQ(s0.PointCount, f.engine.Curve(4).PointCount);
    for (int j = 1; j <= s0.PointCount; ++j)
        EXPECT_NEAR(s0.Pressure[j], low.Formula.ForGetPoint(s0.Flow[j]), 1.0) << j;
}

TEST(Engine, SingleCurveSize)
{
    FakeCatalogue db;
    FakeCatalogue::Size s = SizeRow(1);
    s.FsGrdStp = 5;
    db.AddSize(s);
    for (const auto& p : Rows(23)) db.AddPoint(1, p);
    DORozEvIdad e(db);
    // first find a point exactly on the curve, then run it
    Duty d;
    d.flow = 12000;
    d.pressure = 600;
    e.Execute(1001, d.Text());
    ASSERT_EQ(e.CurveCount(), 1);
    d.flow = e.Curve(1).Flow[3];
    d.pressure = e.Curve(1).Pressure[3];
    const std::string r = e.Execute(1001, d.Text());
    ASSERT_EQ(r.substr(0, 3), "OK:") << r;
    const ReplyFields R(r);
    EXPECT_EQ(R[rec::At(0, rec::OpAngle)], 25);  // 23° rounded to the 5° step
    EXPECT_EQ(R[rec::ReferenceAngle], 25);                         // ReferenceAngle
    EXPECT_EQ(R[rec::LowerCurve], 1);
    EXPECT_EQ(R[rec::UpperCurve], 1);
    const auto& s0 = e.Curve(0);
    const auto& c1 = e.Curve(1);
    ASSERT_EQ(s0.PointCount, c1.PointCount);
    for (int j = 2; j <= c1.PointCount; ++j) {  // t = 1: slot 0 is the curve itself
        EXPECT_EQ(s0.Flow[j], c1.Flow[j]);
        EXPECT_EQ(s0.Pressure[j], c1.Pressure[j]);
        EXPECT_NEAR(s0.Eta[j], c1.Eta[j], 1e-9);
        EXPECT_NEAR(s0.Power[j], c1.Power[j], 1e-9);
    }
    // well off the single curve (outside ±2 %) the duty moves to the curve
    d.pressure *= 0.9;
    const ReplyFields m(e.Execute(1001, d.Text()));
    EXPECT_NE(m[rec::DutyFlow], d.flow);
}

TEST(Engine, RangeChecks)
{
    FakeCatalogue db;
    FakeCatalogue::Size s = SizeRow(1);
    s.FsMinVa = 8080;   // 1.01 × 8000
    s.FsMaxVa = 14850;  // 0.99 × 15000
    s.FsMinPa = 606;    // 1.01 × 600
    s.FsMaxPa = 792;    // 0.99 × 800
    AddFan(db, s, kAngles);
    DORozEvIdad e(db);
    auto run = [&](double v, double p) {
        Duty d;
        d.flow = v;
        d.pressure = p;
        return e.Execute(1001, d.Text());
    };
    EXPECT_NE(run(8000, 700), "ERROR: 203");
    EXPECT_EQ(run(7999, 700), "ERROR: 203");
    EXPECT_NE(run(15000, 700), "ERROR: 203");
    EXPECT_EQ(run(15001, 700), "ERROR: 203");
    EXPECT_NE(run(11000, 600), "ERROR: 203");
    EXPECT_EQ(run(11000, 599.9), "ERROR: 203");
    EXPECT_NE(run(11000, 800), "ERROR: 203");
    EXPECT_EQ(run(11000, 800.1), "ERROR: 203");

    // after loading: 1.5 × the pressure must reach the size's minimum
    FakeCatalogue db2;
    FakeCatalogue::Size s2 = SizeRow(1);
    s2.FsMinPa = 300;
    AddFan(db2, s2, kAngles);
    DORozEvIdad e2(db2);
    Duty d;
    d.kind = 1;  // static: the target carries the losses, the check the bare pressure
    d.factor = 3;
    d.flow = 14000;
    d.pressure = 200;
    EXPECT_NE(e2.Execute(1001, d.Text()), "ERROR: 201");
    d.pressure = 199;
    EXPECT_EQ(e2.Execute(1001, d.Text()), "ERROR: 201");
}

TEST(Engine, StaticDutyWithLosses)
{
    Fixture f;
    Duty d;
    d.kind = 1;
    d.flow = 11000;
    d.pressure = 500;
    d.factor = 1.5;
    d.dpa = 20;
    d.dpaz = 0.5;
    d.equations = "0.5*[C]^2|2*(|[c]*3|";
    const std::string r = f.engine.Execute(1001, d.Text());
    ASSERT_EQ(r.substr(0, 3), "OK:") << r;
    // By hand: area 3.14 × 0.315² = 0.3115665 m², v = 9.807 m/s, v² = 96.18;
    // dynamic 0.6 v² = 57.7 -> 58; outlet 1.5 × 58 = 87; losses 20 + 0.5 × 58
    // = 49, + 0.5 v² -> 97, + 3 v -> 126 (the broken formula adds nothing).
    const ReplyFields R(r);
    EXPECT_EQ(R[rec::At(0, rec::OpDynamic)], 58);
    EXPECT_EQ(R[rec::At(0, rec::OpExtra)], 87 + 126);
    EXPECT_EQ(R[rec::At(0, rec::OpTotal)], 771);
    // the protocol's own positions, which the readers of older replies know
    EXPECT_EQ(R.parts[40] + " " + R.parts[45] + " " + R.parts[46] + " " + R.parts[47], "11000 500 771 58");
    EXPECT_EQ(R[rec::At(0, rec::OpStatic)], 500);

    // losses beyond the curve pressure: the static pressure goes negative
    d = Duty{};
    d.dpa = 2000;
    const ReplyFields N(f.engine.Execute(1001, d.Text()));
    const double total = N[rec::At(0, rec::OpTotal)];
    EXPECT_EQ(N[rec::At(0, rec::OpStatic)], total - N[rec::At(0, rec::OpDynamic)] - 2000);
    EXPECT_LT(N[rec::At(0, rec::OpStatic)], 0);
    EXPECT_EQ(N.parts[rec::At(0, rec::OpStatic)][0], '-');
}

TEST(Engine, CheckAndRecompute)
{
    Fixture f;
    DORozEvIdad& e = f.engine;
    EXPECT_EQ(e.Execute(1003, "11000;700"), "ERROR: 100 'Fan not precalculated");
    EXPECT_EQ(e.Execute(1003, "0;700"), "ERROR: 101 'Air volume missing");
    EXPECT_EQ(e.Execute(1004, "11000;700"), "ERROR: 100 'Fan not precalculated");
    EXPECT_EQ(e.Execute(1004, "0;700"), "ERROR: 100 'Fan not precalculated");

    ASSERT_EQ(e.Execute(1001, Duty{}.Text()).substr(0, 3), "OK:");
    EXPECT_EQ(e.Execute(1003, "11000;700"), "OK:");
    EXPECT_EQ(e.Execute(1003, "12000abc;650 Pa"), "OK:");
    EXPECT_EQ(e.Execute(1003, "11000;5000"), "ERROR: 102 'Pressure outside limit");
    EXPECT_EQ(e.Execute(1003, "500;100"), "ERROR: 102 'Pressure outside limit");
    EXPECT_EQ(e.State(), 3);
    EXPECT_EQ(e.Execute(1004, "-5;700"), "ERROR: 101 'Air volume missing");

    const std::string r = e.Execute(1004, "12000;650");
    ASSERT_EQ(r.substr(0, 3), "OK:") << r;
    const ReplyFields R(r);
    EXPECT_EQ(R[rec::DutyFlow], 12000);
    EXPECT_EQ(R[rec::At(0, rec::OpFlow)], 12000);
    EXPECT_EQ(R[rec::At(0, rec::OpTotal)], 650);
    EXPECT_EQ(e.Duty().PressureKind, 2);
    EXPECT_EQ(e.State(), 3);
    EXPECT_EQ(e.Execute(2, "MAIN"), r);

    EXPECT_EQ(e.Execute(1004, "11000;5000"), "ERROR: 102");
    EXPECT_EQ(e.State(), 1);
    EXPECT_EQ(e.Execute(1004, "11000;700"), "ERROR: 100 'Fan not precalculated");
    EXPECT_EQ(e.Execute(1003, "11000;700"), "OK:");
    EXPECT_EQ(e.Execute(1099, ""), "OK:");
    EXPECT_EQ(e.Execute(1003, "11000;700"), "ERROR: 100 'Fan not precalculated");
}

TEST(Engine, Queries)
{
    Fixture f;
    DORozEvIdad& e = f.engine;
    EXPECT_EQ(e.Execute(2, "GET:50;0;6").substr(0, 7), "ERROR: ");
    EXPECT_EQ(e.Execute(2, "KZ").substr(0, 7), "ERROR: ");
    Duty d;
    d.k = 0.95;
    d.pressure = 665;
    ASSERT_EQ(e.Execute(1001, d.Text()).substr(0, 3), "OK:");

    EXPECT_EQ(e.Execute(2, "KZ"), "OK:0.95#38");
    EXPECT_EQ(e.Execute(2, "SOMETHING"), "OK:");

    // FAN: slot 0 first, then the curves in ascending angle
    const ReplyFields fan(e.Execute(2, "FAN"));
    EXPECT_EQ(fan[0], 5);
    std::size_t pos = 1;
    for (int slot = 0; slot <= 5; ++slot) {
        const auto& c = e.Curve(slot);
        ASSERT_EQ(fan[pos], c.PointCount);
        ++pos;
        for (int j = 1; j <= c.PointCount; ++j, pos += 7) {
            EXPECT_EQ(fan[pos + 2], c.Pressure[j]);
            EXPECT_EQ(fan[pos + 4], c.Flow[j]);
            if (slot > 0) {
                EXPECT_EQ(fan[pos + 3], kAngles[static_cast<std::size_t>(slot - 1)]);
            }
        }
    }
    EXPECT_EQ(pos, fan.size());

    auto decimals = [](const std::string& t) {
        const auto dot = t.find('.');
        return dot == std::string::npos ? 0 : static_cast<int>(t.size() - dot - 1);
    };
    auto checkGet = [&](const std::string& reply) {
        const ReplyFields g(reply);
        EXPECT_EQ(reply.substr(0, 3), "OK:") << reply;
        const int m = static_cast<int>(g[0]);
        EXPECT_GE(m, 2);
        EXPECT_EQ(g.size(), 5u + 2u * static_cast<std::size_t>(m));
        double xmin = 9999999, xmax = 0, ymin = 9999999, ymax = 0;
        for (std::size_t i = 5; i < g.size(); ++i) {
            EXPECT_LE(decimals(g.parts[i]), 6) << g.parts[i];
            EXPECT_GE(g[i], 0);
            if (i % 2 == 1) {
                xmin = std::min(xmin, g[i]);
                xmax = std::max(xmax, g[i]);
            } else {
                ymin = std::min(ymin, g[i]);
                ymax = std::max(ymax, g[i]);
            }
        }
        EXPECT_EQ(g[1], xmin);
        EXPECT_EQ(g[2], xmax);
        EXPECT_EQ(g[3], ymin);
        EXPECT_EQ(g[4], ymax);
        return g;
    };
    const ReplyFields p3 = checkGet(e.Execute(2, "GET:50;0;3"));
    const ReplyFields p6 = checkGet(e.Execute(1002, "GET:50;0;6"));
    EXPECT_EQ(p3[0], 50);
    EXPECT_EQ(p3[1], e.Curve(0).Flow[1]);
    ASSERT_EQ(p3.size(), p6.size());
    // kind 6 adds the dynamic pressure: on the 10° curve at its first flow,
    // 3500 m³/h through 0.3115665 m² is 3.1204 m/s, 0.6 × 3.1204² × 0.95 = 5.550 Pa
    const ReplyFields q3 = checkGet(e.Execute(2, "GET:20;1;3")), q6 = checkGet(e.Execute(2, "GET:20;1;6"));
    EXPECT_EQ(q3[5], 3500);
    EXPECT_NEAR(q6[6] - q3[6], 5.55, 2e-6);
    for (const char* q : {"GET:20;1;1", "GET:20;2;2", "GET:20;5;4", "GET:20;0;5"}) checkGet(e.Execute(2, q));
    const ReplyFields angle = checkGet(e.Execute(2, "GET:10;3;4"));
    EXPECT_NEAR(angle[3], 20, 0.5);

    EXPECT_EQ(e.Execute(2, "GET:50;31;3").substr(0, 7), "ERROR: ");
    EXPECT_EQ(e.Execute(2, "GET:50;-1;3").substr(0, 7), "ERROR: ");
    EXPECT_EQ(e.Execute(2, "GET:50;6;3").substr(0, 7), "ERROR: ");  // beyond CurveCount
    EXPECT_EQ(e.Execute(2, "GET:50;0;7").substr(0, 7), "ERROR: ");
    EXPECT_EQ(e.Execute(2, "GET:0;0;3").substr(0, 7), "ERROR: ");
    EXPECT_EQ(e.State(), 3);
}

TEST(Engine, Noise)
{
    EXPECT_DOUBLE_EQ(DORozEvIdad::GetNoiseDBA(70, 1), 43.8);
    EXPECT_EQ(DORozEvIdad::GetNoiseDBA(10, 1), 0);
    EXPECT_EQ(DORozEvIdad::GetNoiseDBA(70, 0), 0);
    EXPECT_EQ(DORozEvIdad::GetNoiseDBA(70, 9), 0);
    EXPECT_DOUBLE_EQ(DORozEvIdad::GetNoiseDBA(70, 6), 71.2);

    const double w[9] = {0, -26.2, -16.1, -8.6, -3.2, 0, 1.2, 1.0, -1.1};
    Fixture f;
    // no spectrum row: every band carries Lw; 1 m subtracts 7.9 dB
    Duty d;
    d.distance = 1;
    ReplyFields r(f.engine.Execute(1001, d.Text()));
    const double lw = r[rec::At(0, rec::OpSoundPower)];
    double sum = 0;
    const EngineReply view(f.engine.Execute(2, "MAIN"));
    for (int i = 1; i <= 8; ++i) {
        EXPECT_DOUBLE_EQ(view.BandLevel(i), lw);
        const double a = std::max(0.0, lw - 7.9 + w[i]);
        EXPECT_NEAR(view.BandLevelA(i), a, 1e-9);
        sum += std::pow(10.0, a / 10);
    }
    EXPECT_EQ(r[rec::At(0, rec::OpSoundPowerA)], Fix(10 * std::log10(sum) * 10 + 0.5) / 10);

    // with a spectrum row, bands step down from Lw; a band below 0 reads 0
    f.db.AddNoise(1, 4, {10, 8, 6, 5, 7, 9, 12, 200});
    d.distance = 0;
    r = ReplyFields(f.engine.Execute(1001, d.Text()));
    EXPECT_EQ(r.parts[rec::kHeadFields + 1], NumToText(lw - 10) + ":" + NumToText(lw - 10 - 26.2));
    EXPECT_EQ(r.parts[rec::kHeadFields + 8], NumToText(lw - 200) + ":0");
}

TEST(Engine, SweepOverSyntheticFan)
{
    Fixture f;
    int ok = 0, offCurve = 0;
    for (double v = 2000; v <= 18000; v += 500) {
        for (double p = 0; p <= 1400; p += 50) {
            Duty d;
            d.flow = v;
            d.pressure = p;
            ok += test::CheckSweepReply(f.engine, d, f.engine.Execute(1001, d.Text()), offCurve) ? 1 : 0;
        }
    }
    EXPECT_GT(ok, 200);
    EXPECT_EQ(offCurve, 0);
    EXPECT_LE(f.engine.MaxCrossingSteps(), 80);
}

}  // namespace
}  // namespace aerolyx
