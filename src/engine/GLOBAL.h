#pragma once
// Work state shared by the numerical routines, and the 1-based array view
// they take their data through.
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace aerolyx {

// A 1-based view over contiguous storage: a(1) is first[0], a(n) first[n-1].
// Costs nothing over a pointer; the view never owns the data.
template <class T>
class Arr1 {
public:
    Arr1() = default;
    Arr1(T* first, int n) : p_(first), n_(n) {}
    template <class V>
    Arr1(V& v) : p_(v.data()), n_(static_cast<int>(v.size())) {}  // NOLINT: a view of the whole vector

    T& operator()(int i) const
    {
        assert(i >= 1 && i <= n_);
        return p_[i - 1];
    }
    int size() const { return n_; }
    T* data() const { return p_; }

private:
    T* p_ = nullptr;
    int n_ = 0;
};

// One least-squares factorisation and the abscissas it was made for.
struct LsqFactor {
    int n = -1, cols = 0;
    std::vector<double> x;         // the abscissas as given
    std::vector<double> qr;        // R and the Householder vectors (column-major)
    std::vector<double> colScale;  // column norms before the factorisation
    std::vector<double> vkk;       // the vectors' diagonal entries
    std::vector<double> vtv2;      // v^T v / 2 per vector
    std::vector<char> skip;        // column already zero: no reflection
};

// The abscissa part of a parabola through three points (MakeParabolaBasis).
struct ParabolaBasis {
    bool exact = true;  // 1/s is exact: scale by multiplying
    double s = 1, inv = 1, inv2 = 1;
    double t0 = 0, t1 = 0, ts = 0, dt01 = 0, dt12 = 0, dt02 = 0;
};

// One interior point of the resampling onto even steps, in the parts that
// depend on the abscissas alone (see CFormula::PrepareData).
struct ResampleStep {
    enum Kind : std::int8_t { kParabola, kGeneralParabola, kEnd };
    Kind kind = kEnd;
    int d = 0;          // data points at or before the step
    // Segment ends of the interpolations in the three points and in the
    // data, and their weights; found when first needed (i1 = 0 before).
    int i1 = 0, i2 = 0;
    double w1 = 0, w2 = 0;
    ParabolaBasis basis;
};

// The resampling of one set of abscissas.
struct ResamplePlan {
    int n = -1;
    std::vector<double> x;     // the abscissas as given
    std::vector<double> rx;    // the resampled abscissas
    std::vector<ResampleStep> steps;  // rx[1 .. size - 2]
};

// Scratch space of the routines; kept per thread so that several engines can
// fit curves at the same time, and kept between calls so that fitting does
// not allocate once the vectors have grown.
struct GlobalWork {
    std::vector<double> a, b, c, d;     // tridiagonal system and its right side
    std::array<LsqFactor, 32> factors;  // the last least-squares factorisations
    std::size_t nextFactor = 0;         // the one to replace next
    std::vector<double> rhs;            // least-squares right side
    std::vector<std::int16_t> order;    // ordering of the clamped spline's points
    std::array<ResamplePlan, 32> plans;  // the last resamplings: one per curve of a fan
    std::size_t nextPlan = 0;
};

GlobalWork& GLOBAL();

// The entry of a small per-thread cache that match accepts, or else the next
// one in turn, emptied (n = -1) for the caller to fill.
template <class Entry, std::size_t N, class Match>
Entry& CacheSlot(std::array<Entry, N>& cache, std::size_t& next, Match match)
{
    for (Entry& e : cache)
        if (e.n >= 0 && match(e)) return e;
    Entry& victim = cache[next];
    next = (next + 1) % N;
    victim.n = -1;
    return victim;
}

// Data sets fitted side by side at most.
constexpr int kSideBySide = 8;

// Calls f(std::integral_constant<int, S>{}) with S = count (1 to
// kSideBySide; more counts as kSideBySide), so that a loop over S data sets side by side can keep their
// running values in registers.
template <class F>
void SideBySide(int count, F&& f)
{
    static_assert(kSideBySide == 8, "one case per count");
    switch (count) {
    case 1: f(std::integral_constant<int, 1>{}); break;
    case 2: f(std::integral_constant<int, 2>{}); break;
    case 3: f(std::integral_constant<int, 3>{}); break;
    case 4: f(std::integral_constant<int, 4>{}); break;
    case 5: f(std::integral_constant<int, 5>{}); break;
    case 6: f(std::integral_constant<int, 6>{}); break;
    case 7: f(std::integral_constant<int, 7>{}); break;
    default: f(std::integral_constant<int, kSideBySide>{}); break;
    }
}

}  // namespace aerolyx
