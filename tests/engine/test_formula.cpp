// The spline, interpolation and least-squares routines worked by hand, and
// the curve formulas built on them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "engine/CFormula.h"
#include "engine/Numerics.h"

using namespace aerolyx;

namespace {

using V = std::vector<double>;

double Poly(const V& c, double x)
{
    double y = 0;
    for (std::size_t i = c.size(); i-- > 0;) y = y * x + c[i];
    return y;
}

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
