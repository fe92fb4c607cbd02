#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "engine/Numerics.h"

namespace aerolyx {

namespace {

// The power of two just above |x| for the largest |x|, so that dividing by it
// is exact.
double ScaleFor(double xmax)
{
    if (!(xmax > 0.0) || !std::isfinite(xmax)) return 1.0;
    const auto bits = std::bit_cast<std::uint64_t>(xmax);
    const auto biased = (bits >> 52) & 0x7ffu;
    // 2^e for xmax = m 2^e, 0.5 <= m < 1, straight from the exponent field;
    // subnormals and the top binade go the long way.
    if (biased != 0 && biased < 0x7feu) return std::bit_cast<double>((biased + 1) << 52);
    int e = 0;
    std::frexp(xmax, &e);
    return std::ldexp(1.0, e);
}

bool ParabolaScaled(double s, double x0, double x1, double x2, double y0, double y1, double y2, double c[3])
{
    // Within this range 1/s and 1/s² are exact powers of two, so multiplying
    // by them rounds exactly as dividing by s and s² does, and is cheaper.
    if (s > 0x1p-500 && s < 0x1p500) {
        const double inv = 1.0 / s, inv2 = 1.0 / (s * s);
        const double t0 = x0 * inv, t1 = x1 * inv, t2 = x2 * inv;
        if (!(t0 != t1 && t1 != t2 && t0 != t2)) return false;
        const double d01 = (y1 - y0) / (t1 - t0);
        const double d12 = (y2 - y1) / (t2 - t1);
        const double a2 = (d12 - d01) / (t2 - t0);
        const double a1 = d01;
        c[2] = a2 * inv2;
        c[1] = (a1 - a2 * (t0 + t1)) * inv;
        c[0] = y0 - a1 * t0 + a2 * t0 * t1;
        return true;
    }
    const double t0 = x0 / s, t1 = x1 / s, t2 = x2 / s;
    if (!(t0 != t1 && t1 != t2 && t0 != t2)) return false;
    const double d01 = (y1 - y0) / (t1 - t0);
    const double d12 = (y2 - y1) / (t2 - t1);
    const double a2 = (d12 - d01) / (t2 - t0);
    const double a1 = d01;
    c[2] = a2 / (s * s);
    c[1] = (a1 - a2 * (t0 + t1)) / s;
    c[0] = y0 - a1 * t0 + a2 * t0 * t1;
    return true;
}

}  // namespace

bool Parabola3(double x0, double x1, double x2, double y0, double y1, double y2, double c[3])
{
    const double xmax = std::max(std::max(std::max(0.0, std::fabs(x0)), std::fabs(x1)), std::fabs(x2));
    return ParabolaScaled(ScaleFor(xmax), x0, x1, x2, y0, y1, y2, c);
}

namespace {

// The matching factorisation, or an emptied slot (n = -1) to factor into.
LsqFactor& FindFactor(GlobalWork& g, int n, Arr1<const double> X, int cols)
{
    const auto bytes = static_cast<std::size_t>(n) * sizeof(double);
    for (LsqFactor& f : g.factors)
        if (f.n == n && f.cols == cols && std::memcmp(f.x.data(), X.data(), bytes) == 0) return f;
    LsqFactor& victim = g.factors[g.nextFactor];
    g.nextFactor = (g.nextFactor + 1) % g.factors.size();
    victim.n = -1;
    return victim;
}

// Householder QR of the column-normalised Vandermonde matrix in t = x / s.
// qr holds R above the diagonal and on it, the Householder vectors below;
// vkk their diagonal entries and vtv2 their v^T v / 2.
void Factor(LsqFactor& fa, int n, Arr1<const double> X, int cols, double s)
{
    const auto rows = static_cast<std::size_t>(n);
    const auto ucols = static_cast<std::size_t>(cols);
    fa.x.assign(X.data(), X.data() + n);
    fa.qr.resize(rows * ucols);
    fa.colScale.resize(ucols);
    fa.vkk.assign(ucols, 0.0);
    fa.vtv2.assign(ucols, 0.0);
    fa.skip.assign(ucols, 1);
    double* A = fa.qr.data();  // column-major, A[i * n + j] = row j of column i
    double* scale = fa.colScale.data();

    for (int j = 0; j < n; ++j) {
        const double t = X(j + 1) / s;
        double p = 1.0;
        for (int i = 0; i < cols; ++i) {
            A[i * n + j] = p;
            p *= t;
        }
    }
    // Columns normalised to unit length, so that the rank test is relative
    // to each column.
    for (int i = 0; i < cols; ++i) {
        double ss = 0.0;
        for (int j = 0; j < n; ++j) ss += A[i * n + j] * A[i * n + j];
        const double nrm = std::sqrt(ss);
        scale[i] = nrm > 0.0 ? nrm : 1.0;
        for (int j = 0; j < n; ++j) A[i * n + j] /= scale[i];
    }
    for (int k = 0; k < cols; ++k) {
        double* ak = A + k * n;
        double ss = 0.0;
        for (int j = k; j < n; ++j) ss += ak[j] * ak[j];
        const double alpha = std::sqrt(ss);
        if (alpha == 0.0) continue;
        const double diag = ak[k] > 0.0 ? -alpha : alpha;
        // v = a - diag e_k stored in place; v^T v / 2 = alpha (alpha + |a_k|)
        ak[k] -= diag;
        const double vtv2 = alpha * (alpha + std::fabs(ak[k] + diag));
        for (int i = k + 1; i < cols; ++i) {
            double* ai = A + i * n;
            double dot = 0.0;
            for (int j = k; j < n; ++j) dot += ak[j] * ai[j];
            const double f = dot / vtv2;
            for (int j = k; j < n; ++j) ai[j] -= f * ak[j];
        }
        const auto uk = static_cast<std::size_t>(k);
        fa.vkk[uk] = ak[k];
        fa.vtv2[uk] = vtv2;
        fa.skip[uk] = 0;
        ak[k] = diag;
    }
    fa.n = n;
    fa.cols = cols;
}

}  // namespace

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
    const double s = ScaleFor(xmax);

    // Three distinct points and three terms (the resampling's parabolas).
    if (cols == 3 && n == 3) {
        double c[3];
        if (ParabolaScaled(s, X(1), X(2), X(3), Y(1), Y(2), Y(3), c)) {
            C(1) = c[0];
            C(2) = c[1];
            C(3) = c[2];
            return;
        }
    }

    // The factorisation depends on the abscissas alone. Every column of a
    // curve (pressure, efficiency, power, ...) is fitted over the same
    // resampled flows, so the last few factorisations are kept and only Q^T b
    // is formed again: the same operations in the same order, hence the same
    // coefficients to the last bit.
    GlobalWork& g = GLOBAL();
    LsqFactor& fa = FindFactor(g, n, X, cols);
    if (fa.n != n || fa.cols != cols) Factor(fa, n, X, cols, s);

    const double* A = fa.qr.data();
    if (g.rhs.size() < static_cast<std::size_t>(n)) g.rhs.resize(static_cast<std::size_t>(n));
    double* b = g.rhs.data();
    for (int j = 0; j < n; ++j) b[j] = Y(j + 1);
    for (int k = 0; k < cols; ++k) {
        if (fa.skip[static_cast<std::size_t>(k)]) continue;
        const double vtv2 = fa.vtv2[static_cast<std::size_t>(k)];
        const double* ak = A + k * n;
        const double vk = fa.vkk[static_cast<std::size_t>(k)];
        double dot = 0.0;
        dot += vk * b[k];
        for (int j = k + 1; j < n; ++j) dot += ak[j] * b[j];
        const double f = dot / vtv2;
        b[k] -= f * vk;
        for (int j = k + 1; j < n; ++j) b[j] -= f * ak[j];
    }
    const double* scale = fa.colScale.data();

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
