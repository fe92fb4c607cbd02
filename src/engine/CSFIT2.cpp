#include <cstddef>

#include "engine/Numerics.h"

namespace aerolyx {

void CSFIT2(int n, Arr1<const double> X, Arr1<const double> Y, double yp1, double ypn, double x, double& y)
{
    if (n < 1) {
        y = 0.0;
        return;
    }
    if (n == 1) {
        y = Y(1);
        return;
    }
    GlobalWork& g = GLOBAL();
    const auto sz = static_cast<std::size_t>(n + 1);
    if (g.order.size() < sz) g.order.resize(sz);
    if (g.a.size() < sz) g.a.resize(sz);
    if (g.c.size() < sz) g.c.resize(sz);
    if (g.d.size() < sz) g.d.resize(sz);
    std::int16_t* p = g.order.data();
    for (int i = 1; i <= n; ++i) p[i] = static_cast<std::int16_t>(i);
    for (int i = 2; i <= n; ++i)
        for (int j = i; j > 1 && X(p[j]) < X(p[j - 1]); --j) {
            const std::int16_t t = p[j];
            p[j] = p[j - 1];
            p[j - 1] = t;
        }
    auto xs = [&](int k) { return X(p[k]); };
    auto ys = [&](int k) { return Y(p[k]); };

    // Clamped ends: 2 h1 m1 + h1 m2 = 6 ((y2 - y1) / h1 - y'1) and
    // h m(n-1) + 2 h m(n) = 6 (y'n - (yn - y(n-1)) / h); Thomas algorithm.
    double* c = g.c.data();
    double* d = g.d.data();
    double* m = g.a.data();
    for (int k = 1; k <= n; ++k) {
        const double h0 = k > 1 ? xs(k) - xs(k - 1) : 0.0;
        const double h1 = k < n ? xs(k + 1) - xs(k) : 0.0;
        double rhs;
        if (k == 1)
            rhs = 6.0 * ((ys(2) - ys(1)) / h1 - yp1);
        else if (k == n)
            rhs = 6.0 * (ypn - (ys(n) - ys(n - 1)) / h0);
        else
            rhs = 6.0 * ((ys(k + 1) - ys(k)) / h1 - (ys(k) - ys(k - 1)) / h0);
        double diag = 2.0 * (h0 + h1);
        if (k > 1) {
            diag -= h0 * c[k - 1];
            rhs -= h0 * d[k - 1];
        }
        c[k] = h1 / diag;
        d[k] = rhs / diag;
    }
    m[n] = d[n];
    for (int k = n - 1; k >= 1; --k) m[k] = d[k] - c[k] * m[k + 1];

    int lo = 1, hi = n;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        if (xs(mid) > x)
            hi = mid;
        else
            lo = mid;
    }
    const double xa = xs(lo), xb = xs(lo + 1);
    const double h = xb - xa, a = xb - x, b = x - xa;
    y = m[lo] * a * a * a / (6.0 * h) + m[lo + 1] * b * b * b / (6.0 * h) + (ys(lo) / h - m[lo] * h / 6.0) * a +
        (ys(lo + 1) / h - m[lo + 1] * h / 6.0) * b;
}

}  // namespace aerolyx
