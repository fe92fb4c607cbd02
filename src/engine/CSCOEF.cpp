#include <cstddef>

#include "engine/Numerics.h"

namespace aerolyx {

void CSCOEF(int n, Arr1<const double> X, Arr1<const double> Y, Arr1<double> M, Arr1<std::int16_t> P)
{
    if (n < 1) return;
    for (int i = 1; i <= n; ++i) P(i) = static_cast<std::int16_t>(i);
    // Exchange neighbours while the later one has the smaller X: linear on the
    // already ascending curves the engine passes.
    for (int i = 2; i <= n; ++i)
        for (int j = i; j > 1 && X(P(j)) < X(P(j - 1)); --j) {
            const std::int16_t t = P(j);
            P(j) = P(j - 1);
            P(j - 1) = t;
        }
    for (int i = 1; i <= n; ++i) M(i) = 0.0;
    if (n < 3) return;

    // Interior second derivatives m(2..n-1) by forward elimination and back
    // substitution of the symmetric tridiagonal system (ordered points).
    GlobalWork& g = GLOBAL();
    const auto sz = static_cast<std::size_t>(n + 1);
    if (g.c.size() < sz) g.c.resize(sz);
    if (g.d.size() < sz) g.d.resize(sz);
    double* c = g.c.data();  // modified super-diagonal
    double* d = g.d.data();  // modified right side, then the solution
    auto xs = [&](int k) { return X(P(k)); };
    auto ys = [&](int k) { return Y(P(k)); };

    for (int k = 2; k <= n - 1; ++k) {
        const double h0 = xs(k) - xs(k - 1);
        const double h1 = xs(k + 1) - xs(k);
        const double rhs = 6.0 * ((ys(k + 1) - ys(k)) / h1 - (ys(k) - ys(k - 1)) / h0);
        double diag = 2.0 * (h0 + h1);
        double r = rhs;
        if (k > 2) {
            diag -= h0 * c[k - 1];
            r -= h0 * d[k - 1];
        }
        c[k] = h1 / diag;
        d[k] = r / diag;
    }
    double next = 0.0;  // m(n) = 0
    for (int k = n - 1; k >= 2; --k) {
        next = d[k] - c[k] * next;
        M(P(k)) = next;
    }
}

}  // namespace aerolyx
