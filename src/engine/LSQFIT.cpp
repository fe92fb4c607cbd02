#include <algorithm>
#include <cmath>
#include <cstddef>

#include "engine/Numerics.h"

namespace aerolyx {

void LSQFIT(int n, Arr1<const double> X, Arr1<const double> Y, int m, Arr1<double> C)
{
    if (m < 1) return;
    for (int i = 1; i <= m; ++i) C(i) = 0.0;
    if (n < 1) return;
    const int cols = std::min(m, n);

    // Abscissas scaled by a power of two (exact) into [-1, 1]: the monomial
    // columns of flows in the thousands would otherwise span 1e15.
    double xmax = 0.0;
    for (int j = 1; j <= n; ++j) xmax = std::max(xmax, std::fabs(X(j)));
    double s = 1.0;
    if (xmax > 0.0 && std::isfinite(xmax)) {
        int e = 0;
        std::frexp(xmax, &e);
        s = std::ldexp(1.0, e);
    }

    // Three distinct points and three terms (the resampling's parabolas):
    // the interpolating parabola in Newton form, without the QR set-up.
    if (cols == 3 && n == 3) {
        const double t0 = X(1) / s, t1 = X(2) / s, t2 = X(3) / s;
        if (t0 != t1 && t1 != t2 && t0 != t2) {
            const double d01 = (Y(2) - Y(1)) / (t1 - t0);
            const double d12 = (Y(3) - Y(2)) / (t2 - t1);
            const double a2 = (d12 - d01) / (t2 - t0);
            const double a1 = d01;
            C(3) = a2 / (s * s);
            C(2) = (a1 - a2 * (t0 + t1)) / s;
            C(1) = Y(1) - a1 * t0 + a2 * t0 * t1;
            return;
        }
    }

    GlobalWork& g = GLOBAL();
    const auto rows = static_cast<std::size_t>(n);
    const auto need = rows * static_cast<std::size_t>(cols);
    if (g.qr.size() < need) g.qr.resize(need);
    if (g.rhs.size() < rows) g.rhs.resize(rows);
    if (g.colScale.size() < static_cast<std::size_t>(cols)) g.colScale.resize(static_cast<std::size_t>(cols));
    double* A = g.qr.data();  // column-major, A[i * n + j] = row j of column i
    double* b = g.rhs.data();
    double* scale = g.colScale.data();

    for (int j = 0; j < n; ++j) {
        const double t = X(j + 1) / s;
        double p = 1.0;
        for (int i = 0; i < cols; ++i) {
            A[i * n + j] = p;
            p *= t;
        }
        b[j] = Y(j + 1);
    }
    // Columns normalised to unit length, so that the rank test below is
    // relative to each column.
    for (int i = 0; i < cols; ++i) {
        double ss = 0.0;
        for (int j = 0; j < n; ++j) ss += A[i * n + j] * A[i * n + j];
        const double nrm = std::sqrt(ss);
        scale[i] = nrm > 0.0 ? nrm : 1.0;
        for (int j = 0; j < n; ++j) A[i * n + j] /= scale[i];
    }

    // Householder QR; R overwrites the upper triangle, Q^T is applied to b.
    for (int k = 0; k < cols; ++k) {
        double* ak = A + k * n;
        double ss = 0.0;
        for (int j = k; j < n; ++j) ss += ak[j] * ak[j];
        const double alpha = std::sqrt(ss);
        if (alpha == 0.0) continue;
        const double diag = ak[k] > 0.0 ? -alpha : alpha;
        // v = a - diag e_k stored in place; beta = 1 / (v^T v / 2) = 1 / (alpha (alpha + |a_k|))
        ak[k] -= diag;
        const double vtv2 = alpha * (alpha + std::fabs(ak[k] + diag));
        for (int i = k + 1; i < cols; ++i) {
            double* ai = A + i * n;
            double dot = 0.0;
            for (int j = k; j < n; ++j) dot += ak[j] * ai[j];
            const double f = dot / vtv2;
            for (int j = k; j < n; ++j) ai[j] -= f * ak[j];
        }
        double dot = 0.0;
        for (int j = k; j < n; ++j) dot += ak[j] * b[j];
        const double f = dot / vtv2;
        for (int j = k; j < n; ++j) b[j] -= f * ak[j];
        ak[k] = diag;
    }

    // Back substitution; a column the data do not determine gets 0.
    constexpr double rankTol = 1e-13;
    double* d = b;  // solution overwrites the first cols entries of b
    for (int k = cols - 1; k >= 0; --k) {
        const double rkk = A[k * n + k];
        if (!(std::fabs(rkk) > rankTol)) {
            d[k] = 0.0;
            continue;
        }
        double r = d[k];
        for (int i = k + 1; i < cols; ++i) r -= A[i * n + k] * d[i];
        d[k] = r / rkk;
    }
    double sp = 1.0;
    for (int i = 0; i < cols; ++i) {
        C(i + 1) = d[i] / scale[i] / sp;
        sp *= s;
    }
}

}  // namespace aerolyx
