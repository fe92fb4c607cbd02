#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "EngineTestKit.h"
#include "SweepCheck.h"
#include "common/Program.h"
#include "common/Rounding.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineQueries.h"

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
    EXPECT_EQ(r[0], 11000);
    EXPECT_EQ(r[2], 1);   // k
    EXPECT_EQ(r[9], 5);   // CurveCount
    EXPECT_EQ(r.parts[10], "0:0");
    EXPECT_EQ(f.engine.State(), 3);
    // the duty lies between the 20° and 25° curves
    EXPECT_EQ(r[6], 3);
    EXPECT_EQ(r[7], 4);
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

TEST(Engine, SizeRowsKeptBetweenDutiesOfOneSize)
{
    Fixture f;
    AddFan(f.db, SizeRow(2), kAngles, 6);
    auto count = [&](const std::string& prefix) {
        return std::count_if(f.db.log.begin(), f.db.log.end(), [&](const std::string& q) { return StartsWith(q, prefix); });
    };
    Duty d;
    const std::string first = f.engine.Execute(1001, d.Text());
    d.pole = 6;
    f.engine.Execute(1001, d.Text());
    d.pole = 4;
    EXPECT_EQ(f.engine.Execute(1001, d.Text()), first);
    EXPECT_EQ(count("FanSize"), 1);
    EXPECT_EQ(count("FanCurves"), 1);
    EXPECT_EQ(count("FanNoise"), 3);
    EXPECT_EQ(count("PoleSpeed 6"), 1);
    d.fsid = 2;
    d.pole = 6;
    f.engine.Execute(1001, d.Text());
    EXPECT_EQ(count("FanSize 2"), 1);
    EXPECT_EQ(count("FanCurves 2"), 1);
    f.engine.Execute(1099, "");
    f.engine.Execute(1001, d.Text());
    EXPECT_EQ(count("FanSize 2"), 2);
    EXPECT_EQ(count("FanCurves 2"), 2);
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

TEST(Engine, ConversionsAtOwnPoleAndDensity)
{
    // 50 Hz at the curves' own pole code: flows and sound as stored, the
    // last (unsmoothed) pressure point scaled by k only; constant power and
    // efficiency survive the smoothing unchanged.
    FakeCatalogue db;
    FakeCatalogue::Size s = SizeRow(1);
    db.AddSize(s);
    for (const int a : kAngles) {
        for (const auto& p : Rows(a)) {
            auto q = p;
            q.power = 2.5;
            q.eta = 70;
            db.AddPoint(1, q);
        }
    }
    for (const double k : {1.0, 0.9}) {
        DORozEvIdad e(db);
        Duty d;
        d.k = k;
        d.pressure = 700 * k;
        ASSERT_EQ(e.Execute(1001, d.Text()).substr(0, 3), "OK:");
        for (int i = 1; i <= 5; ++i) {
            const auto rows = Rows(kAngles[static_cast<std::size_t>(i - 1)]);
            const auto& c = e.Curve(i);
            ASSERT_EQ(c.PointCount, 6);
            for (int j = 1; j <= 6; ++j) {
                const auto& row = rows[static_cast<std::size_t>(j - 1)];
                EXPECT_EQ(c.Flow[j], row.flow);
                EXPECT_EQ(c.SoundPower[j], row.sound);
                EXPECT_EQ(c.Power[j], 2.5);
                EXPECT_EQ(c.Eta[j], 70);
                EXPECT_EQ(c.Angle[j], row.angle);
                EXPECT_NEAR(c.Pressure[j], row.pressure * k, 5);
            }
            EXPECT_EQ(c.Pressure[6], Fix(rows[5].pressure * k + 0.5));
            EXPECT_EQ(c.FlowMin, rows[0].flow);
            EXPECT_EQ(c.FlowMax, rows[5].flow);
        }
    }
}

TEST(Engine, ConversionsForFrequencyAndSpeed)
{
    FakeCatalogue db;
    db.AddSize(SizeRow(1));
    for (const int a : kAngles)
        for (const auto& p : Rows(a)) {
            auto q = p;
            q.power = 2.5;
            db.AddPoint(1, q);
        }
    // 60 Hz: flows ×1.2 and pressures ×1.44 cut to integers, power ×1.728,
    // sound +3.96 dB
    {
        DORozEvIdad e(db);
        Duty d;
        d.freq = 60;
        d.flow = 13200;
        d.pressure = 1000;
        ASSERT_EQ(e.Execute(1001, d.Text()).substr(0, 3), "OK:");
        for (int i = 1; i <= 5; ++i) {
            const auto rows = Rows(kAngles[static_cast<std::size_t>(i - 1)]);
            const auto& c = e.Curve(i);
            for (int j = 1; j <= 6; ++j) {
                const auto& row = rows[static_cast<std::size_t>(j - 1)];
                EXPECT_EQ(c.Flow[j], Fix(row.flow * 6 / 5));
                EXPECT_EQ(c.SoundPower[j], Fix((row.sound + 3.9590623948) * 100 + 0.5) / 100);
                EXPECT_EQ(c.Power[j], 4.32);
                // efficiency recomputed from the converted point (then smoothed)
                EXPECT_NEAR(c.Eta[j], c.Flow[j] / 3600 * c.Pressure[j] / 4.32 / 10, 0.015 * c.Eta[j] + 0.2);
            }
            EXPECT_EQ(c.Pressure[6], Fix(rows[5].pressure * 36 / 25));
        }
        // 1000 Pa exactly ×1.44 stays 1440, not 1439
        FakeCatalogue one;
        one.AddSize(SizeRow(5));
        one.AddPoint(5, {4, 20, 5000, 1500, 2.5, 70, 90});
        one.AddPoint(5, {4, 20, 8000, 1250, 2.5, 70, 90});
        one.AddPoint(5, {4, 20, 10000, 1000, 2.5, 70, 90});
        DORozEvIdad e1(one);
        Duty d1;
        d1.fsid = 5;
        d1.freq = 60;
        d1.flow = 10000;
        d1.pressure = 1700;
        e1.Execute(1001, d1.Text());
        ASSERT_EQ(e1.CurveCount(), 1);
        EXPECT_EQ(e1.Curve(1).Pressure[3], 1440);
        EXPECT_EQ(e1.Curve(1).Flow[3], 12000);
    }
    // a two-pole motor on curves measured with four poles: speed ratio 2
    {
        DORozEvIdad e(db);
        Duty d;
        d.pole = 2;
        d.flow = 22000;
        d.pressure = 2800;
        const std::string r = e.Execute(1001, d.Text());
        ASSERT_EQ(r.substr(0, 3), "OK:") << r;
        for (int i = 1; i <= 5; ++i) {
            const auto rows = Rows(kAngles[static_cast<std::size_t>(i - 1)]);
            const auto& c = e.Curve(i);
            for (int j = 1; j <= 6; ++j) {
                const auto& row = rows[static_cast<std::size_t>(j - 1)];
                EXPECT_EQ(c.Flow[j], 2 * row.flow);
                EXPECT_EQ(c.SoundPower[j], Fix((row.sound + 50 * std::log10(2.0)) * 100 + 0.5) / 100);
                EXPECT_EQ(c.Power[j], 20);
            }
            EXPECT_EQ(c.Pressure[6], 4 * rows[5].pressure);
        }
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
    EXPECT_EQ(R[6], 3);  // LowerCurve: t = 0
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
    EXPECT_EQ(R[8], 25);                         // ReferenceAngle
    EXPECT_EQ(R[6], 1);
    EXPECT_EQ(R[7], 1);
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
    EXPECT_NE(m[0], d.flow);
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
    const ReplyFields R(r);
    const double area = 3.14 * 0.315 * 0.315;
    const double v = 11000.0 / 3600 / area;
    const double pd = Fix(0.6 * v * v + 0.5);
    const double outlet = Fix(pd * 1.5 + 0.5);
    double sum = CInt(20 + 0.5 * pd);
    sum = CInt(sum + 0.5 * v * v);
    sum = CInt(sum + 3 * v);  // the broken formula in between adds nothing
    const double acc = Fix(sum + 0.5);
    EXPECT_EQ(R[rec::At(0, rec::OpDynamic)], pd);
    EXPECT_EQ(R[rec::At(0, rec::OpExtra)], outlet + acc);
    EXPECT_EQ(R[rec::At(0, rec::OpTotal)], 500 + pd + outlet + acc);
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
    EXPECT_EQ(R[0], 12000);
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
    const double area = 3.14 * 0.315 * 0.315;
    for (std::size_t i = 5; i < p3.size(); i += 2) {
        const double v = p3[i] / 3600 / area;
        EXPECT_NEAR(p6[i + 1] - p3[i + 1], Fix(0.6 * v * v * 1000 * 0.95 + 0.5) / 1000, 2e-6);
    }
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
    for (int i = 1; i <= 8; ++i) {
        const auto pair = Split(r.parts[10 + static_cast<std::size_t>(i)], ':');
        ASSERT_EQ(pair.size(), 2u);
        EXPECT_DOUBLE_EQ(TextToNum(pair[0]), lw);
        const double a = std::max(0.0, lw - 7.9 + w[i]);
        EXPECT_NEAR(TextToNum(pair[1]), a, 1e-9);
        sum += std::pow(10.0, a / 10);
    }
    EXPECT_EQ(r[rec::At(0, rec::OpSoundPowerA)], Fix(10 * std::log10(sum) * 10 + 0.5) / 10);

    // with a spectrum row, bands step down from Lw; a band below 0 reads 0
    f.db.AddNoise(1, 4, {10, 8, 6, 5, 7, 9, 12, 200});
    d.distance = 0;
    r = ReplyFields(f.engine.Execute(1001, d.Text()));
    EXPECT_EQ(r.parts[11], NumToText(lw - 10) + ":" + NumToText(lw - 10 - 26.2));
    EXPECT_EQ(r.parts[18], NumToText(lw - 200) + ":0");
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
