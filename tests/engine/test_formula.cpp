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
    Curve(8, 1000.0, 6000.0, x, y);
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
