#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "engine/CFormula.h"

using namespace aerolyx;

namespace {

using V = std::vector<double>;

// A fan pressure curve: falling, gently curved.
double FanCurve(double q) { return 1500.0 - 0.02 * q - 1.5e-5 * q * q; }

void Curve(int n, double q0, double q1, V& x, V& y)
{
    x.resize(n);
    y.resize(n);
    for (int i = 0; i < n; ++i) {
        x[i] = q0 + (q1 - q0) * i / (n - 1);
        y[i] = FanCurve(x[i]);
    }
}

}  // namespace

TEST(Formula, ResultCodesAndStates)
{
    CFormula f;
    const V x{1.0, 2.0, 3.0}, y{5.0, 4.0, 2.0};
    EXPECT_EQ(f.ForSetData(0, x.data(), y.data()), 1);
    EXPECT_EQ(f.DataState(), 0);
    EXPECT_EQ(f.ForInitData(1), CFormula::NoData);
    EXPECT_EQ(f.ForGetPoint(2.0), 0.0);

    EXPECT_EQ(f.ForSetData(3, x.data(), y.data()), 0);
    EXPECT_EQ(f.DataState(), 1);
    EXPECT_EQ(f.ForInitData(1), 3);
    EXPECT_EQ(f.DataState(), 2);
    EXPECT_EQ(f.ForInitData(1), CFormula::AlreadyBuilt);

    EXPECT_TRUE(f.ForFreeData());
    EXPECT_EQ(f.DataState(), 0);
    EXPECT_EQ(f.Count(), 0);
    EXPECT_EQ(f.ForGetPoint(2.0), 0.0);

    // An unknown type builds nothing but counts as ready.
    f.ForSetData(x, y);
    EXPECT_EQ(f.ForInitData(9), CFormula::BadType);
    EXPECT_EQ(f.LastError(), -4);
    EXPECT_EQ(f.DataState(), 2);
    EXPECT_EQ(f.ForGetPoint(2.0), 0.0);
    EXPECT_EQ(f.ForInitData(1), CFormula::AlreadyBuilt);
    int count = 10;
    V xo, yo;
    f.ForExpandValuesOpt(count, xo, yo);
    for (double v : yo) EXPECT_EQ(v, 0.0);
}

TEST(Formula, RangeRuleAtTheEnds)
{
    V x, y;
    Curve(8, 1000.0, 6000.0, x, y);
    for (int type = 1; type <= 5; ++type) {
        CFormula f;
        f.ForSetData(x, y);
        f.ForInitData(type);
        // The ends give the formula's own value (the resampled fits lag a
        // little in the last segment).
        int two = 2;
        V ex, ey;
        f.ForExpandValuesOpt(two, ex, ey);
        ASSERT_EQ(two, 2);
        EXPECT_EQ(f.ForGetPoint(1000.0), ey[0]) << type;
        EXPECT_EQ(f.ForGetPoint(6000.0), ey[1]) << type;
        EXPECT_NEAR(ey[0], y.front(), 0.02 * y.front()) << type;
        EXPECT_NEAR(ey[1], y.back(), 0.02 * y.back()) << type;
        EXPECT_EQ(f.ForGetPoint(std::nextafter(1000.0, 0.0)), 0.0) << type;
        EXPECT_EQ(f.ForGetPoint(std::nextafter(6000.0, 1e9)), 0.0) << type;
    }
}

TEST(Formula, InterpolatingTypesMeetTheData)
{
    V x, y;
    Curve(7, 500.0, 5000.0, x, y);
    for (int type : {1, 2, 3}) {
        CFormula f;
        f.ForSetData(x, y);
        EXPECT_EQ(f.ForInitData(type), 7);
        EXPECT_LT(f.ForGetAbwMax(7, x.data(), y.data()), 1e-12) << type;
        // Between the points the spline follows the smooth curve closely.
        if (type != 2) {
            EXPECT_NEAR(f.ForGetPoint(2700.0), FanCurve(2700.0), 1.0) << type;
        }
    }
    CFormula lin;
    lin.ForSetData(x, y);
    lin.ForInitData(2);
    const double mid = 0.5 * (x[2] + x[3]);
    EXPECT_DOUBLE_EQ(lin.ForGetPoint(mid), 0.5 * (y[2] + y[3]));
}

TEST(Formula, ResamplingOfShortAndLongData)
{
    // Two points: only the last-segment rule applies, from the first step on
    // (the last resampled point standing in for the one before it). It
    // averages with the previous value, so the line is followed with a small
    // lag, monotone and between the end values.
    {
        CFormula f;
        const V x{100.0, 580.3}, y{900.0, 420.0};
        f.ForSetData(x, y);
        const int n = f.ForInitData(4);
        ASSERT_TRUE(n == 49 || n == 50);
        EXPECT_EQ(f.X(1), 100.0);
        EXPECT_EQ(f.Y(1), 900.0);
        EXPECT_EQ(f.X(n), 580.3);
        EXPECT_EQ(f.Y(n), 420.0);
        for (int i = 2; i <= n; ++i) {
            EXPECT_LE(f.Y(i), f.Y(i - 1)) << i;
            const double line = 900.0 + (f.X(i) - 100.0) * (420.0 - 900.0) / 480.3;
            EXPECT_GE(f.Y(i), line - 1e-9) << i;
            EXPECT_LT(f.Y(i) - line, 0.03 * 480.0) << i;
        }
        CFormula g;
        g.ForSetData(x, y);
        g.ForInitData(5);
        EXPECT_EQ(g.CoeffCount(), 5);
        EXPECT_NEAR(g.ForGetPoint(100.0), 900.0, 15.0);
    }
    // Exact steps reach X(n) at the 48th step: 49 points. Before the
    // second-to-last data point the local parabolas of a line are the line.
    {
        CFormula f;
        const V x{0.0, 16.0, 48.0}, y{10.0, 26.0, 58.0};
        f.ForSetData(x, y);
        EXPECT_EQ(f.ForInitData(4), 49);
        for (int i = 1; i <= 49; ++i) {
            EXPECT_EQ(f.X(i), i - 1.0);
            if (f.X(i) < 16.0 || i == 49) {
                EXPECT_NEAR(f.Y(i), f.X(i) + 10.0, 1e-9) << i;
            }
        }
    }
    // Three points: the same count rule with an inexact step.
    {
        CFormula f;
        const V x{0.0, 0.35, 0.7}, y{3.0, 2.0, 0.5};
        f.ForSetData(x, y);
        const int n = f.ForInitData(4);
        EXPECT_TRUE(n == 49 || n == 50);
        EXPECT_EQ(f.X(n), 0.7);
        EXPECT_LT(f.X(n - 1), 0.7);
    }
    // Four points: still a quartic after resampling.
    {
        CFormula f;
        V x, y;
        Curve(4, 1000.0, 7000.0, x, y);
        f.ForSetData(x, y);
        const int n = f.ForInitData(5);
        EXPECT_TRUE(n == 49 || n == 50);
        EXPECT_EQ(f.CoeffCount(), 5);
        // Ascending, evenly stepped abscissas.
        for (int i = 2; i < f.Count(); ++i) EXPECT_NEAR(f.X(i) - f.X(i - 1), 125.0, 1e-9);
        // Up to the second-to-last data point the local parabolas of a
        // quadratic are the quadratic itself.
        for (int i = 1; i <= f.Count() && f.X(i) < x[2]; ++i) EXPECT_NEAR(f.Y(i), FanCurve(f.X(i)), 1e-7);
        EXPECT_LT(f.ForGetAbwMax(4, x.data(), y.data()), 0.02);
    }
    // Thirty points of a measured-looking curve.
    {
        CFormula f;
        V x, y;
        Curve(30, 2000.0, 9000.0, x, y);
        for (int i = 0; i < 30; ++i) y[i] += (i % 2 ? 0.4 : -0.4);
        f.ForSetData(x, y);
        EXPECT_EQ(f.ForInitData(4), 50);
        for (int i = 1; i <= 50; ++i)
            EXPECT_NEAR(f.Y(i), FanCurve(f.X(i)), f.X(i) < x[28] ? 3.0 : 20.0) << f.X(i);
    }
}

TEST(Formula, PolynomialFitsOfExactPolynomials)
{
    // A constant survives every resampling branch: the fit is exact.
    {
        const V x{1500.0, 2300.0, 3100.0, 4200.0, 6000.0}, y(5, 640.0);
        CFormula f;
        f.ForSetData(x, y);
        const int n = f.ForInitData(5);
        EXPECT_TRUE(n == 49 || n == 50);
        EXPECT_NEAR(f.Coeff(1), 640.0, 1e-9);
        for (int i = 2; i <= 5; ++i) EXPECT_NEAR(f.Coeff(i) * std::pow(6000.0, i - 1), 0.0, 1e-9);
        EXPECT_LT(f.ForGetAbwMax(5, x.data(), y.data()), 1e-13);
    }
    // A dense straight line: only the short last segment lags a little.
    {
        V x(30), y(30);
        for (int i = 0; i < 30; ++i) {
            x[i] = 1500.0 + 150.0 * i;
            y[i] = 800.0 - 0.075 * x[i];
        }
        CFormula f;
        f.ForSetData(x, y);
        f.ForInitData(5);
        EXPECT_LT(f.ForGetAbwMittel(30, x.data(), y.data()), 1e-3);
        EXPECT_NEAR(f.ForGetPoint(3000.0), 575.0, 0.5);
    }
    // A dense quadratic fan curve: the quartic follows it, the steep end
    // (where the last segment lags) least closely.
    {
        V x, y;
        Curve(30, 1000.0, 8000.0, x, y);
        CFormula f;
        f.ForSetData(x, y);
        f.ForInitData(5);
        EXPECT_LT(f.ForGetAbwMax(30, x.data(), y.data()), 0.03);
        EXPECT_LT(f.ForGetAbwMittel(30, x.data(), y.data()), 0.003);
        for (double q = 1000.0; q <= 6000.0; q += 250.0) EXPECT_NEAR(f.ForGetPoint(q), FanCurve(q), 3.0) << q;
    }
}

TEST(Formula, DeviationMeasuresAndBestFormula)
{
    const V x{1.0, 2.0, 3.0}, y{2.0, 0.0, 6.0};
    CFormula f;
    f.ForSetData(x, y);
    f.ForInitData(2);
    const V px{1.5, 2.0, 2.5}, py{2.0, 1.0, 2.0};
    // f(1.5) = 1 (rel 0.5), f(2) = 0 against 1 (rel 1), f(2.5) = 3 (rel 0.5).
    EXPECT_DOUBLE_EQ(f.ForGetAbwMax(3, px.data(), py.data()), 1.0);
    EXPECT_DOUBLE_EQ(f.ForGetAbwMittel(3, px.data(), py.data()), 2.0 / 3.0);
    const V zx{2.0}, zy{0.0};
    EXPECT_EQ(f.ForGetAbwMax(1, zx.data(), zy.data()), 0.0);  // absolute where y = 0
    const V ox{5.0}, oy{0.0};
    EXPECT_EQ(f.ForGetAbwMax(1, ox.data(), oy.data()), 0.0);  // outside: f = 0

    const V lx{1.0, 2.0, 3.0, 4.0, 5.0}, ly{3.0, 5.0, 7.0, 9.0, 11.0};
    EXPECT_EQ(CFormula::ForGetBestFormula(lx.data(), ly.data(), 5, 1), 1);
    EXPECT_EQ(CFormula::ForGetBestFormula(lx.data(), ly.data(), 5, 2), 1);
}

TEST(Formula, Expansions)
{
    V x, y;
    Curve(10, 1000.0, 5500.0, x, y);
    CFormula f;
    f.ForSetData(x, y);
    f.ForInitData(5);

    int count = 10;
    V xo, yo;
    f.ForExpandValuesOpt(count, xo, yo);
    ASSERT_EQ(count, 10);
    ASSERT_EQ(xo.size(), 10u);
    EXPECT_EQ(xo.front(), 1000.0);
    EXPECT_EQ(xo.back(), 5500.0);
    EXPECT_NEAR(xo[1] - xo[0], 500.0, 1e-9);
    for (int i = 0; i < 10; ++i) EXPECT_NEAR(yo[i], FanCurve(xo[i]), 0.01 * FanCurve(xo[i]));

    count = 1;
    f.ForExpandValuesOpt(count, xo, yo);
    EXPECT_EQ(count, 1);
    count = 0;
    f.ForExpandValuesOpt(count, xo, yo);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(xo.empty());

    f.ForExpandValues(10, x.data(), 9, xo, yo);
    ASSERT_EQ(xo.size(), 10u);
    EXPECT_EQ(xo.back(), 5500.0);
    EXPECT_EQ(yo.back(), f.ForGetPoint(5500.0));
    EXPECT_EQ(f.ForGetPoint(xo[4]), yo[4]);

    // A single point: no step, one value, no endless loop.
    CFormula one;
    const V sx{300.0}, sy{12.0};
    one.ForSetData(sx, sy);
    one.ForInitData(1);
    EXPECT_EQ(one.ForGetPoint(300.0), 12.0);
    count = 25;
    one.ForExpandValuesOpt(count, xo, yo);
    EXPECT_EQ(count, 1);
    CFormula one5;
    one5.ForSetData(sx, sy);
    one5.ForInitData(5);
    EXPECT_NEAR(one5.ForGetPoint(300.0), 12.0, 1e-12);
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
