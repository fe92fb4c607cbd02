#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

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

}  // namespace

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
    for (double c : S) EXPECT_TRUE(std::isfinite(c));
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
