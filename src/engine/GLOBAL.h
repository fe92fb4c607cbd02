#pragma once
// Work state shared by the numerical routines, and the 1-based array view
// they take their data through.
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
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

// Scratch space of the routines; kept per thread so that several engines can
// fit curves at the same time, and kept between calls so that fitting does
// not allocate once the vectors have grown.
struct GlobalWork {
    std::vector<double> a, b, c, d;     // tridiagonal system and its right side
    std::array<LsqFactor, 16> factors;  // the last least-squares factorisations
    std::size_t nextFactor = 0;         // the one to replace next
    std::vector<double> rhs;            // least-squares right side
    std::vector<std::int16_t> order;    // ordering of the clamped spline's points
};

GlobalWork& GLOBAL();

}  // namespace aerolyx
