#include "engine/Numerics.h"

namespace aerolyx {

namespace {

// The cubic of the interval [xa, xb] with end values ya, yb and second
// derivatives ma, mb.
inline double SplineCubic(double xa, double xb, double ya, double yb, double ma, double mb, double x)
{
    const double h = xb - xa;
    const double a = xb - x;
    const double b = x - xa;
    return ma * a * a * a / (6.0 * h) + mb * b * b * b / (6.0 * h) + (ya / h - ma * h / 6.0) * a +
           (yb / h - mb * h / 6.0) * b;
}

}  // namespace

void CSFIT1(int n, Arr1<const double> X, Arr1<const double> Y, Arr1<const double> M,
            Arr1<const std::int16_t> P, double x, double& y)
{
    if (n < 1) {
        y = 0.0;
        return;
    }
    if (n == 1) {
        y = Y(1);
        return;
    }
    // Interval k: X(P(k)) <= x < X(P(k+1)), clamped to the first and last.
    int lo = 1, hi = n;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        if (X(P(mid)) > x)
            hi = mid;
        else
            lo = mid;
    }
    const int i = P(lo), j = P(lo + 1);
    y = SplineCubic(X(i), X(j), Y(i), Y(j), M(i), M(j), x);
}

}  // namespace aerolyx
