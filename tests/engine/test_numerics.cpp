#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "engine/Numerics.h"

using namespace aerolyx;

namespace {

using V = std::vector<double>;

// Dense Gaussian elimination with partial pivoting, independent of the
// routines under test.
V SolveDense(std::vector<V> a, V b)
{
    const std::size_t n = b.size();
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t p = k;
        for (std::size_t i = k + 1; i < n; ++i)
            if (std::fabs(a[i][k]) > std::fabs(a[p][k])) p = i;
        std::swap(a[k], a[p]);
        std::swap(b[k], b[p]);
        for (std::size_t i = k + 1; i < n; ++i) {
            const double f = a[i][k] / a[k][k];
            for (std::size_t j = k; j < n; ++j) a[i][j] -= f * a[k][j];
            b[i] -= f * b[k];
        }
    }
    V x(n);
    for (std::size_t k = n; k-- > 0;) {
        double s = b[k];
        for (std::size_t j = k + 1; j < n; ++j) s -= a[k][j] * x[j];
        x[k] = s / a[k][k];
    }
    return x;
}

double Poly(const V& c, double x)
{
    double y = 0;
    for (std::size_t i = c.size(); i-- > 0;) y = y * x + c[i];
    return y;
}

}  // namespace

TEST(Numerics, NaturalSplineMatchesDirectSolveOnShuffledData)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> step(20.0, 400.0), val(-50.0, 50.0);
    for (int trial = 0; trial < 20; ++trial) {
        const int n = 3 + trial % 12;
        V xs(n), ys(n);
        double x = 500.0, y = 900.0;
        for (int i = 0; i < n; ++i) {
            xs[i] = x += step(rng);
            ys[i] = y += val(rng);
        }
        // Feed the points in a scrambled order: the set-up must order them.
        std::vector<int> perm(n);
        std::iota(perm.begin(), perm.end(), 0);
        std::shuffle(perm.begin(), perm.end(), rng);
        V X(n), Y(n);
        for (int i = 0; i < n; ++i) {
            X[i] = xs[perm[i]];
            Y[i] = ys[perm[i]];
        }
        V M(n);
        std::vector<std::int16_t> P(n);
        CSCOEF(n, X, Y, M, P);

        for (int k = 1; k <= n; ++k) EXPECT_EQ(X[P[k - 1] - 1], xs[k - 1]);

        // Natural spline system over the ordered points.
        std::vector<V> A(n, V(n, 0.0));
        V b(n, 0.0);
        A[0][0] = A[n - 1][n - 1] = 1.0;
        for (int i = 1; i < n - 1; ++i) {
            const double h0 = xs[i] - xs[i - 1], h1 = xs[i + 1] - xs[i];
            A[i][i - 1] = h0;
            A[i][i] = 2 * (h0 + h1);
            A[i][i + 1] = h1;
            b[i] = 6 * ((ys[i + 1] - ys[i]) / h1 - (ys[i] - ys[i - 1]) / h0);
        }
        const V m = SolveDense(A, b);
        for (int k = 0; k < n; ++k) EXPECT_NEAR(M[P[k] - 1], m[k], 1e-9 * (1 + std::fabs(m[k])));

        // Interpolates the points and has a continuous slope at the knots.
        for (int k = 0; k < n; ++k) {
            double yk;
            CSFIT1(n, X, Y, M, P, xs[k], yk);
            EXPECT_NEAR(yk, ys[k], 1e-9 * std::fabs(ys[k]));
        }
        for (int k = 1; k < n - 1; ++k) {
            const double h = 1e-4;
            double a, b0, c;
            CSFIT1(n, X, Y, M, P, xs[k] - h, a);
            CSFIT1(n, X, Y, M, P, xs[k], b0);
            CSFIT1(n, X, Y, M, P, xs[k] + h, c);
            EXPECT_NEAR((b0 - a) / h, (c - b0) / h, 1e-3 * (1 + std::fabs((c - b0) / h)));
        }
    }
}

TEST(Numerics, SplineOfCollinearAndShortData)
{
    const V X{1.0, 2.0, 4.0}, Y{3.0, 5.0, 9.0};  // y = 2x + 1
    V M(3);
    std::vector<std::int16_t> P(3);
    CSCOEF(3, X, Y, M, P);
    for (double x : {1.0, 1.3, 2.0, 3.7, 4.0}) {
        double y;
        CSFIT1(3, X, Y, M, P, x, y);
        EXPECT_NEAR(y, 2 * x + 1, 1e-12);
    }
    EXPECT_EQ(M[1], 0.0);

    const V X1{5.0}, Y1{7.0};
    V M1(1);
    std::vector<std::int16_t> P1(1);
    CSCOEF(1, X1, Y1, M1, P1);
    double y;
    CSFIT1(1, X1, Y1, M1, P1, 5.0, y);
    EXPECT_EQ(y, 7.0);
}

TEST(Numerics, ClampedSplineReproducesCubicAndDerivativeIsExactForParabolas)
{
    const V c{4.0, -1.5, 0.3, -0.02};
    const V dc{-1.5, 0.6, -0.06};
    const V X{0.0, 1.0, 2.5, 3.0, 4.5, 6.0};
    V Y(X.size());
    for (std::size_t i = 0; i < X.size(); ++i) Y[i] = Poly(c, X[i]);
    const int n = static_cast<int>(X.size());
    for (double x : {0.0, 0.4, 1.7, 3.0, 5.2, 6.0}) {
        double y;
        CSFIT2(n, X, Y, Poly(dc, 0.0), Poly(dc, 6.0), x, y);
        EXPECT_NEAR(y, Poly(c, x), 1e-10);
    }

    const V q{2.0, 3.0, -0.5};  // uneven spacing: the formula must weight it
    const V Xq{1.0, 1.5, 3.5, 4.0, 7.0};
    V Yq(Xq.size());
    for (std::size_t i = 0; i < Xq.size(); ++i) Yq[i] = Poly(q, Xq[i]);
    for (int i = 1; i <= 5; ++i) {
        double yp;
        DERIV3(5, Xq, Yq, i, yp);
        EXPECT_NEAR(yp, 3.0 - Xq[i - 1], 1e-11) << "at point " << i;
    }
    double yp;
    DERIV3(2, Xq, Yq, 2, yp);
    EXPECT_NEAR(yp, (Yq[1] - Yq[0]) / 0.5, 1e-12);
}

TEST(Numerics, LinearInterpolation)
{
    const V X{1.0, 2.0, 4.0, 8.0}, Y{10.0, 20.0, 0.0, 40.0};
    double y;
    INTERP1(4, X, Y, 1.0, y);
    EXPECT_EQ(y, 10.0);
    for (int i = 0; i < 4; ++i) {
        INTERP1(4, X, Y, X[i], y);
        EXPECT_EQ(y, Y[i]);
    }
    INTERP1(4, X, Y, 3.0, y);
    EXPECT_DOUBLE_EQ(y, 10.0);
    INTERP1(4, X, Y, 0.0, y);  // before the first point: the first value
    EXPECT_EQ(y, 10.0);
    INTERP1(4, X, Y, 10.0, y);  // beyond the last: the last segment goes on
    EXPECT_DOUBLE_EQ(y, 60.0);
    INTERP1(1, X, Y, 5.0, y);
    EXPECT_EQ(y, 10.0);
}

TEST(Numerics, LeastSquaresInterpolationRegressionAndDegenerateData)
{
    // m = n interpolates.
    const V X{1.0, 2.0, 3.0, 5.0}, Y{2.0, -1.0, 4.0, 0.5};
    V C(4);
    LSQFIT(4, X, Y, 4, C);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(Poly(C, X[i]), Y[i], 1e-11);

    // Three close points at large flows: the parabola through them.
    const V q{900.0, 0.12, -2.0e-5};
    const V X3{5000.0, 5100.0, 5300.0};
    V Y3(3), Q(3);
    for (int i = 0; i < 3; ++i) Y3[i] = Poly(q, X3[i]);
    LSQFIT(3, X3, Y3, 3, Q);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(Q[i], q[i], 1e-7 * std::fabs(q[i]));
    EXPECT_NEAR(Poly(Q, 5200.0), Poly(q, 5200.0), 1e-9);

    // m = 2 is the regression line.
    const V Xr{0.0, 1.0, 2.0, 3.0, 4.0}, Yr{1.0, 3.2, 4.8, 7.1, 9.0};
    V L(2);
    LSQFIT(5, Xr, Yr, 2, L);
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < 5; ++i) {
        sx += Xr[i];
        sy += Yr[i];
        sxx += Xr[i] * Xr[i];
        sxy += Xr[i] * Yr[i];
    }
    const double slope = (5 * sxy - sx * sy) / (5 * sxx - sx * sx);
    EXPECT_NEAR(L[1], slope, 1e-12);
    EXPECT_NEAR(L[0], (sy - slope * sx) / 5, 1e-12);

    // More terms than points: the extra ones stay 0, the points are still met.
    V E(5, 99.0);
    LSQFIT(3, X, Y, 5, E);
    EXPECT_EQ(E[3], 0.0);
    EXPECT_EQ(E[4], 0.0);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(Poly(E, X[i]), Y[i], 1e-11);

    // All abscissas equal: a finite answer (the mean), not NaN.
    const V Xs{3.0, 3.0, 3.0}, Ys{1.0, 2.0, 6.0};
    V S(3);
    LSQFIT(3, Xs, Ys, 3, S);
    for (double c : S) EXPECT_TRUE(std::isfinite(c));
    EXPECT_NEAR(Poly(S, 3.0), 3.0, 1e-12);
}

TEST(Numerics, QuarticFitOfLargeFlowsKeepsFullAccuracy)
{
    // A fan pressure curve over several thousand m3/h, exactly quartic.
    const V c{1200.0, 0.11, -4.0e-5, 2.5e-9, -1.1e-13};
    V X(50), Y(50);
    for (int i = 0; i < 50; ++i) {
        X[i] = 800.0 + i * 150.0;
        Y[i] = Poly(c, X[i]);
    }
    V C(5);
    LSQFIT(50, X, Y, 5, C);
    for (int i = 0; i < 50; ++i) EXPECT_NEAR(Poly(C, X[i]), Y[i], 1e-9 * std::fabs(Y[i])) << X[i];
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(C[i], c[i], 1e-6 * std::fabs(c[i]));
}
