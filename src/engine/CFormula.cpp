#include "engine/CFormula.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/Numerics.h"

namespace aerolyx {

namespace {

constexpr int kMaxPoints = 32767;     // counts and spline indices are 16-bit
constexpr int kResampleSteps = 48;
constexpr std::size_t kResampleCap = 53;  // first + interior + last
constexpr int kMaxExpand = 100000;

double Deviation(double f, double y)
{
    const double e = std::fabs(f - y);
    return y == 0.0 ? e : std::fabs((f - y) / y);
}

}  // namespace

CFormula::~CFormula()
{
    if (dataState_ != 0) ForFreeData();
}

std::int16_t CFormula::ForSetData(int n, const double* x, const double* y)
{
    if (n <= 0 || n > kMaxPoints || x == nullptr || y == nullptr) return 1;
    x_.assign(x, x + n);
    y_.assign(y, y + n);
    m_.clear();
    idx_.clear();
    coeff_.clear();
    slopeFirst_ = slopeLast_ = 0.0;
    formulaType_ = 0;
    built_ = false;
    dataState_ = 1;
    return 0;
}

std::int16_t CFormula::ForSetData(const std::vector<double>& x, const std::vector<double>& y)
{
    const auto n = std::min(x.size(), y.size());
    if (n > static_cast<std::size_t>(kMaxPoints)) return 1;
    return ForSetData(static_cast<int>(n), x.data(), y.data());
}

std::int16_t CFormula::ForInitData(int type)
{
    if (dataState_ == 0) return NoData;
    if (dataState_ == 2) return AlreadyBuilt;
    if (type < 1 || type > 5) {
        lastError_ = BadType;
        formulaType_ = 0;
        built_ = false;
        dataState_ = 2;
        return BadType;
    }
    formulaType_ = static_cast<std::int16_t>(type);
    if (type == 4 || type == 5) PrepareData();

    const int n = Count();
    const Arr1<const double> X(x_), Y(y_);
    switch (type) {
    case 1:
        m_.assign(x_.size(), 0.0);
        idx_.assign(x_.size(), 0);
        CSCOEF(n, X, Y, Arr1<double>(m_), Arr1<std::int16_t>(idx_));
        break;
    case 3:
        DERIV3(n, X, Y, 1, slopeFirst_);
        DERIV3(n, X, Y, n, slopeLast_);
        break;
    case 5: {
        const int degree = n - 2 < 4 ? n - 2 : 4;
        coeff_.assign(static_cast<std::size_t>(std::max(degree, 0) + 1), 0.0);
        LSQFIT(n, X, Y, static_cast<int>(coeff_.size()), Arr1<double>(coeff_));
        break;
    }
    default: break;  // 2 and 4 interpolate the points as they are
    }
    built_ = true;
    dataState_ = 2;
    return static_cast<std::int16_t>(n);
}

// Resamples the points onto 48 even steps: a local parabola through the last
// resampled point and the next two data points, averaged with straight-line
// estimates where it would turn against the data.
void CFormula::PrepareData()
{
    const int n = Count();
    const Arr1<const double> X(x_), Y(y_);
    // Built in scratch space that then trades places with the data, so that
    // refitting allocates nothing.
    thread_local std::vector<double> rx, ry;
    rx.clear();
    ry.clear();
    rx.reserve(kResampleCap);
    ry.reserve(kResampleCap);

    const double s = (X(n) - X(1)) / kResampleSteps;
    rx.push_back(X(1));
    ry.push_back(Y(1));
    double x = X(1) + s;
    // d = the data points before the first one beyond x; x only grows, so
    // the search goes on from where it stopped.
    int d = 0;
    // The cap also ends the loop when s is too small to move x.
    while (x < X(n) && rx.size() < kResampleCap - 1) {
        while (d < n && X(d + 1) <= x) ++d;
        const double xk = rx.back(), yk = ry.back();
        double value;
        double L1 = 0.0, L2 = 0.0;
        if (d < n - 1) {
            const std::array<double, 3> px{xk, X(d + 1), X(d + 2)};
            const std::array<double, 3> py{yk, Y(d + 1), Y(d + 2)};
            std::array<double, 3> c{};
            if (!Parabola3(px[0], px[1], px[2], py[0], py[1], py[2], c.data()))
                LSQFIT(3, Arr1<const double>(px), Arr1<const double>(py), 3, Arr1<double>(c));
            const double q = c[0] + x * (c[1] + x * c[2]);
            if ((q > yk && Y(d + 1) < yk) || (q < yk && Y(d + 1) > yk)) {
                INTERP1(3, Arr1<const double>(px), Arr1<const double>(py), x, L1);
                INTERP1(n, X, Y, x, L2);
                value = (q + L1 + L2) / 3.0;
            } else {
                value = q;
            }
        } else {
            // Before two resampled points exist, the last one stands in for
            // the one before it.
            const std::size_t k = rx.size();
            const double xp = k >= 2 ? rx[k - 2] : xk;
            const double yp = k >= 2 ? ry[k - 2] : yk;
            const std::array<double, 3> px{xk, xp, X(n)};
            const std::array<double, 3> py{yk, yp, Y(n)};
            INTERP1(3, Arr1<const double>(px), Arr1<const double>(py), x, L1);
            INTERP1(n, X, Y, x, L2);
            value = (yk + L1 + L2) / 3.0;
        }
        rx.push_back(x);
        ry.push_back(value);
        x += s;
    }
    rx.push_back(X(n));
    ry.push_back(Y(n));
    x_.swap(rx);
    y_.swap(ry);
}

double CFormula::Eval(double x) const
{
    if (!built_) return 0.0;
    const int n = Count();
    const Arr1<const double> X(x_), Y(y_);
    double y = 0.0;
    switch (formulaType_) {
    case 1: CSFIT1(n, X, Y, Arr1<const double>(m_), Arr1<const std::int16_t>(idx_), x, y); break;
    case 2:
    case 4: INTERP1(n, X, Y, x, y); break;
    case 3: CSFIT2(n, X, Y, slopeFirst_, slopeLast_, x, y); break;
    case 5: y = FitPolynomial::Horner(coeff_.data(), static_cast<int>(coeff_.size()), x); break;
    default: break;
    }
    return y;
}

double CFormula::ForGetPoint(double x) const
{
    if (dataState_ != 2 || x_.empty()) return 0.0;
    if (!(x >= x_.front() && x <= x_.back())) return 0.0;
    return Eval(x);
}

FitPolynomial CFormula::Polynomial() const
{
    FitPolynomial p;
    if (!built_ || dataState_ != 2 || formulaType_ != 5 || x_.empty() || coeff_.size() > p.coeff.size()) return p;
    p.lo = x_.front();
    p.hi = x_.back();
    p.count = static_cast<int>(coeff_.size());
    std::copy(coeff_.begin(), coeff_.end(), p.coeff.begin());
    return p;
}

bool CFormula::ForFreeData()
{
    x_.clear();
    y_.clear();
    m_.clear();
    idx_.clear();
    coeff_.clear();
    built_ = false;
    dataState_ = 0;
    return true;
}

double CFormula::ForGetAbwMax(int n, const double* x, const double* y) const
{
    if (n <= 0 || x == nullptr || y == nullptr) return 0.0;
    double worst = 0.0;
    for (int i = 0; i < n; ++i) worst = std::max(worst, Deviation(ForGetPoint(x[i]), y[i]));
    return worst;
}

double CFormula::ForGetAbwMittel(int n, const double* x, const double* y) const
{
    if (n <= 0 || x == nullptr || y == nullptr) return 0.0;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += Deviation(ForGetPoint(x[i]), y[i]);
    return sum / n;
}

std::int16_t CFormula::ForGetBestFormula(const double* x, const double* y, int n, int measure)
{
    std::int16_t bestType = 1;
    double best = 1e18;
    for (int type = 1; type <= 5; ++type) {
        CFormula f;
        if (f.ForSetData(n, x, y) != 0) break;
        f.ForInitData(type);
        const double dev = measure == 1 ? f.ForGetAbwMax(n, x, y) : f.ForGetAbwMittel(n, x, y);
        if (dev < best) {
            best = dev;
            bestType = static_cast<std::int16_t>(type);
        }
    }
    return bestType;
}

void CFormula::ForExpandValues(int n, const double* x, int m, std::vector<double>& xout,
                               std::vector<double>& yout) const
{
    xout.clear();
    yout.clear();
    if (n <= 0 || m <= 0 || x == nullptr) return;
    m = std::min(m, kMaxExpand);
    const double x1 = x[0];
    const double step = (x[n - 1] - x1) / m;
    xout.resize(static_cast<std::size_t>(m) + 1);
    yout.resize(xout.size());
    for (int k = 0; k <= m; ++k) {
        const double xk = k == m ? x[n - 1] : x1 + k * step;
        xout[static_cast<std::size_t>(k)] = xk;
        yout[static_cast<std::size_t>(k)] = ForGetPoint(xk);
    }
}

void CFormula::ForExpandValuesOpt(int& count, std::vector<double>& xout, std::vector<double>& yout) const
{
    xout.clear();
    yout.clear();
    if (dataState_ != 2 || x_.empty() || count <= 0) {
        count = 0;
        return;
    }
    const double x1 = x_.front(), xn = x_.back();
    int want = std::min(count, kMaxExpand);
    if (want == 1 || !(xn != x1)) want = 1;
    const double step = want > 1 ? std::fabs(xn - x1) / (want - 1) : 0.0;
    xout.reserve(static_cast<std::size_t>(want));
    yout.reserve(static_cast<std::size_t>(want));
    for (int k = 0; k < want; ++k) {
        // The last abscissa is X(n) itself, not the end of a sum of steps.
        const double xk = k == want - 1 && want > 1 ? xn : x1 + k * step;
        if (k > 0 && !(xk <= std::max(x1, xn))) break;
        xout.push_back(xk);
        yout.push_back(Eval(xk));
    }
    count = static_cast<int>(xout.size());
}

}  // namespace aerolyx
