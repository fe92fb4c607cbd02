#include "engine/CFormula.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "engine/Numerics.h"

namespace aerolyx {

namespace {

constexpr int kMaxPoints = 32767;     // counts and spline indices are 16-bit
constexpr int kResampleSteps = 48;
constexpr std::size_t kResampleCap = 53;  // first + interior + last
constexpr int kMaxExpand = 100000;

// Degree min(n - 2, 4), at least a constant.
std::size_t PolynomialTerms(int n) { return static_cast<std::size_t>(std::max(n - 2 < 4 ? n - 2 : 4, 0) + 1); }

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
    if (type == 4 || type == 5) {
        CFormula* self = this;
        PrepareData(&self, 1);
    }
    return Complete();
}

void CFormula::ForInitDataTogether(CFormula* const* formulas, int count, int type)
{
    if (count <= 0) return;
    const std::vector<double>& x = formulas[0]->x_;
    bool together = type == 4 || type == 5;
    for (int i = 0; i < count && together; ++i) {
        const CFormula& f = *formulas[i];
        together = f.dataState_ == 1 && f.x_.size() == x.size() &&
                   std::memcmp(f.x_.data(), x.data(), x.size() * sizeof(double)) == 0 &&
                   std::find(formulas, formulas + i, formulas[i]) == formulas + i;
    }
    if (!together) {
        for (int i = 0; i < count; ++i) formulas[i]->ForInitData(type);
        return;
    }
    for (int first = 0; first < count; first += kSideBySide) {
        CFormula* const* fs = formulas + first;
        const int k = std::min(kSideBySide, count - first);
        for (int i = 0; i < k; ++i) fs[i]->formulaType_ = static_cast<std::int16_t>(type);
        PrepareData(fs, k);
        if (type != 5) {
            for (int i = 0; i < k; ++i) fs[i]->Complete();
            continue;
        }
        // The polynomials over the shared resampled flows, side by side too.
        const int n = fs[0]->Count();
        const std::size_t terms = PolynomialTerms(n);
        std::array<Arr1<const double>, kSideBySide> ys;
        std::array<Arr1<double>, kSideBySide> cs;
        for (int i = 0; i < k; ++i) {
            CFormula& f = *fs[i];
            f.coeff_.assign(terms, 0.0);
            ys[static_cast<std::size_t>(i)] = Arr1<const double>(f.y_);
            cs[static_cast<std::size_t>(i)] = Arr1<double>(f.coeff_);
        }
        LSQFIT(n, Arr1<const double>(fs[0]->x_), k, ys.data(), static_cast<int>(terms), cs.data());
        for (int i = 0; i < k; ++i) {
            fs[i]->built_ = true;
            fs[i]->dataState_ = 2;
        }
    }
}

std::int16_t CFormula::Complete()
{
    const int type = formulaType_;
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
        coeff_.assign(PolynomialTerms(n), 0.0);
        LSQFIT(n, X, Y, static_cast<int>(coeff_.size()), Arr1<double>(coeff_));
        break;
    }
    default: break;  // 2 and 4 interpolate the points as they are
    }
    built_ = true;
    dataState_ = 2;
    return static_cast<std::int16_t>(n);
}

namespace {

// Everything of the resampling that depends on the abscissas alone. Every
// column of a curve is fitted over the same flows, so the last few plans
// are kept per thread.
ResamplePlan& PlanFor(int n, Arr1<const double> X)
{
    GlobalWork& g = GLOBAL();
    const auto bytes = static_cast<std::size_t>(n) * sizeof(double);
    ResamplePlan& p = CacheSlot(g.plans, g.nextPlan, [&](const ResamplePlan& e) {
        return e.n == n && std::memcmp(e.x.data(), X.data(), bytes) == 0;
    });
    if (p.n >= 0) return p;
    p.x.assign(X.data(), X.data() + n);
    p.rx.clear();
    p.steps.clear();
    p.rx.reserve(kResampleCap);
    p.steps.reserve(kResampleCap);

    const double s = (X(n) - X(1)) / kResampleSteps;
    p.rx.push_back(X(1));
    double x = X(1) + s;
    // d = the data points before the first one beyond x; x only grows, so
    // the search goes on from where it stopped.
    int d = 0;
    // The cap also ends the loop when s is too small to move x.
    while (x < X(n) && p.rx.size() < kResampleCap - 1) {
        while (d < n && X(d + 1) <= x) ++d;
        const double xk = p.rx.back();
        ResampleStep st;
        st.d = d;
        if (d < n - 1)
            st.kind = MakeParabolaBasis(xk, X(d + 1), X(d + 2), st.basis) ? ResampleStep::kParabola
                                                                           : ResampleStep::kGeneralParabola;
        else
            st.kind = ResampleStep::kEnd;
        p.rx.push_back(x);
        p.steps.push_back(st);
        x += s;
    }
    p.rx.push_back(X(n));
    p.n = n;
    return p;
}

// The straight-line estimates' segments of step k (rx[k + 1]) of the plan.
void FindSegments(ResamplePlan& plan, std::size_t k, int n, Arr1<const double> X)
{
    ResampleStep& st = plan.steps[k];
    const double xk = plan.rx[k], x = plan.rx[k + 1];
    // Before two resampled points exist, the last one stands in for the one
    // before it.
    const std::array<double, 3> px = st.kind == ResampleStep::kEnd
                                         ? std::array<double, 3>{xk, k >= 1 ? plan.rx[k - 1] : xk, X(n)}
                                         : std::array<double, 3>{xk, X(st.d + 1), X(st.d + 2)};
    InterpSegment(3, Arr1<const double>(px), x, st.i1, st.w1);
    InterpSegment(n, X, x, st.i2, st.w2);
}

// One resampled value: a local parabola through the last resampled point
// (xk, yk) and the next two data points, averaged with straight-line
// estimates where it would turn against the data; past the last two data
// points only the straight lines, with yp the value before yk.
inline double StepValue(ResamplePlan& plan, std::size_t k, int n, Arr1<const double> X, Arr1<const double> Y,
                        double yk, double yp)
{
    const ResampleStep& st = plan.steps[k];
    const double x = plan.rx[k + 1];
    if (st.kind == ResampleStep::kEnd) {
        if (st.i1 == 0) FindSegments(plan, k, n, X);
        const std::array<double, 3> py{yk, yp, Y(n)};
        return (yk + InterpPick(st.i1, st.w1, Arr1<const double>(py)) + InterpPick(st.i2, st.w2, Y)) / 3.0;
    }
    const int d = st.d;
    const std::array<double, 3> py{yk, Y(d + 1), Y(d + 2)};
    std::array<double, 3> c{};
    if (st.kind == ResampleStep::kParabola) {
        ParabolaFrom(st.basis, py[0], py[1], py[2], c.data());
    } else {
        const std::array<double, 3> px{plan.rx[k], X(d + 1), X(d + 2)};
        LSQFIT(3, Arr1<const double>(px), Arr1<const double>(py), 3, Arr1<double>(c));
    }
    const double q = c[0] + x * (c[1] + x * c[2]);
    if (!((q > yk && py[1] < yk) || (q < yk && py[1] > yk))) return q;
    if (st.i1 == 0) FindSegments(plan, k, n, X);
    return (q + InterpPick(st.i1, st.w1, Arr1<const double>(py)) + InterpPick(st.i2, st.w2, Y)) / 3.0;
}

// S data sets over one plan. Each set's steps form one chain of dependent
// divisions; advancing S chains step by step, their last values held in
// registers, lets the processor overlap them.
template <int S>
void ResampleSide(ResamplePlan& plan, int n, Arr1<const double> X, const Arr1<const double>* Y, double* const* out)
{
    std::array<double, S> yk, yp;
    for (int j = 0; j < S; ++j) yk[j] = yp[j] = out[j][0] = Y[j](1);
    const std::size_t steps = plan.steps.size();
    for (std::size_t k = 0; k < steps; ++k) {
        for (int j = 0; j < S; ++j) {
            const double value = StepValue(plan, k, n, X, Y[j], yk[j], yp[j]);
            out[j][k + 1] = value;
            yp[j] = yk[j];
            yk[j] = value;
        }
    }
    for (int j = 0; j < S; ++j) out[j][steps + 1] = Y[j](n);
}

}  // namespace

// Resamples the points onto 48 even steps (see StepValue).
void CFormula::PrepareData(CFormula* const* formulas, int count)
{
    assert(count >= 1 && count <= kSideBySide);  // the callers take the formulas kSideBySide at a time
    const int n = formulas[0]->Count();
    const Arr1<const double> X(formulas[0]->x_);
    ResamplePlan& plan = PlanFor(n, X);
    // Built in scratch space that then trades places with the data, so that
    // refitting allocates nothing.
    thread_local std::array<std::vector<double>, kSideBySide> out;
    std::array<Arr1<const double>, kSideBySide> ys;
    std::array<double*, kSideBySide> outs{};
    for (int j = 0; j < count; ++j) {
        const auto uj = static_cast<std::size_t>(j);
        out[uj].resize(plan.rx.size());
        outs[uj] = out[uj].data();
        ys[uj] = Arr1<const double>(formulas[j]->y_);
    }
    SideBySide(count, [&](auto side) { ResampleSide<side()>(plan, n, X, ys.data(), outs.data()); });
    for (int i = 0; i < count; ++i) {
        CFormula& f = *formulas[i];
        f.y_.swap(out[static_cast<std::size_t>(i)]);
        f.x_.assign(plan.rx.begin(), plan.rx.end());
    }
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
    case 5:
        for (auto it = coeff_.rbegin(); it != coeff_.rend(); ++it) y = y * x + *it;
        break;
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
