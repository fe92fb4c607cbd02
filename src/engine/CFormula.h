#pragma once
// Curve fitter: holds one data set y(x) and one fitted formula at a time.
//
// Use:
//     CFormula f;
//     f.ForSetData(n, flow, pressure);     // copies flow[0..n-1], pressure[0..n-1]
//     f.ForInitData(1);                    // 1 natural spline ... 5 polynomial
//     double p = f.ForGetPoint(q);         // 0 outside [X(1), X(n)]
//     f.ForFreeData();                     // before the next data set
//
// Points are passed 0-based from the arrays' first elements and held 1-based
// (X(1)..X(n)); they are expected in ascending X. Nothing here throws.
//
// Formula types: 1 natural cubic spline, 2 piecewise linear, 3 cubic spline
// with three-point end slopes, 4 piecewise linear of the resampled data,
// 5 least-squares polynomial of degree min(n - 2, 4) of the resampled data
// (resampling gives 49 or 50 points, so degree 4).
#include <array>
#include <cstdint>
#include <vector>

namespace aerolyx {

// A least-squares polynomial (type 5) reduced to what reading it needs: the
// range of its resampled data and its coefficients. Reads exactly as the
// CFormula it came from.
struct FitPolynomial {
    double lo = 0.0, hi = -1.0;  // empty range: reads 0
    std::array<double, 5> coeff{};
    int count = 0;
    double At(double x) const
    {
        if (!(x >= lo && x <= hi)) return 0.0;
        return Horner(coeff.data(), count, x);
    }
    // Highest power first, as the fitter has always summed.
    static double Horner(const double* c, int n, double x)
    {
        double y = 0.0;
        for (int i = n - 1; i >= 0; --i) y = y * x + c[i];
        return y;
    }
};

class CFormula {
public:
    // Result codes.
    static constexpr std::int16_t NoData = -2;        // ForInitData before ForSetData
    static constexpr std::int16_t AlreadyBuilt = -3;  // ForInitData twice
    static constexpr std::int16_t BadType = -4;       // type outside 1..5 (also in LastError())

    CFormula() = default;
    ~CFormula();
    CFormula(const CFormula&) = default;
    CFormula& operator=(const CFormula&) = default;
    CFormula(CFormula&&) = default;
    CFormula& operator=(CFormula&&) = default;

    // Copies n points; result 0 and DataState 1. n <= 0 (or above 32767, or a
    // null array) copies nothing and gives 1, leaving the object as it was.
    // A formula built earlier is discarded.
    std::int16_t ForSetData(int n, const double* x, const double* y);
    // The same with n = the shorter of the two vectors.
    std::int16_t ForSetData(const std::vector<double>& x, const std::vector<double>& y);

    // Builds the formula; result = number of points it rests on (after
    // resampling for types 4 and 5), DataState 2. NoData (-2) without data,
    // AlreadyBuilt (-3) when built already. BadType (-4) for a type outside
    // 1..5: nothing is built, LastError() becomes -4, the object counts as
    // ready and evaluates to 0.
    std::int16_t ForInitData(int type);

    // The formula at x for X(1) <= x <= X(n) once built; otherwise 0.
    double ForGetPoint(double x) const;

    // The built type-5 formula as a FitPolynomial; an empty one otherwise.
    FitPolynomial Polynomial() const;

    // Drops data and formula (DataState 0); always true.
    bool ForFreeData();

    // Largest / mean deviation of the formula from n given points: relative
    // |(f(x) - y) / y|, absolute where y = 0. f is ForGetPoint. n <= 0 gives 0.
    double ForGetAbwMax(int n, const double* x, const double* y) const;
    double ForGetAbwMittel(int n, const double* x, const double* y) const;

    // Fits types 1..5 in turn and returns the one with the strictly smallest
    // deviation (measure 1: ForGetAbwMax, else ForGetAbwMittel); the first on
    // ties; 1 when no fit gives a finite deviation. Leaves this object alone.
    static std::int16_t ForGetBestFormula(const double* x, const double* y, int n, int measure);

    // m + 1 points from x[0] to x[n-1] in m equal steps, with ForGetPoint
    // values. The outputs are resized; m <= 0 or n <= 0 leaves them empty.
    void ForExpandValues(int n, const double* x, int m, std::vector<double>& xout,
                         std::vector<double>& yout) const;

    // count points from X(1) to X(n) in equal steps |X(n) - X(1)| / (count - 1),
    // evaluated straight from the formula (no range test). count returns the
    // number written (at most 100000; 1 when X(1) = X(n); 0 without a built
    // formula). The outputs are resized to it.
    void ForExpandValuesOpt(int& count, std::vector<double>& xout, std::vector<double>& yout) const;

    // State, 1-based where it is an array.
    std::int16_t DataState() const { return dataState_; }  // 0 none, 1 data, 2 formula
    std::int16_t FormulaType() const { return formulaType_; }
    int Count() const { return static_cast<int>(x_.size()); }
    double X(int i) const { return x_.at(static_cast<std::size_t>(i - 1)); }
    double Y(int i) const { return y_.at(static_cast<std::size_t>(i - 1)); }
    double SplineM(int i) const { return m_.at(static_cast<std::size_t>(i - 1)); }
    std::int16_t SplineIdx(int i) const { return idx_.at(static_cast<std::size_t>(i - 1)); }
    int CoeffCount() const { return static_cast<int>(coeff_.size()); }
    double Coeff(int i) const { return coeff_.at(static_cast<std::size_t>(i - 1)); }
    double SlopeFirst() const { return slopeFirst_; }
    double SlopeLast() const { return slopeLast_; }
    // The error number ForInitData recorded last (-4), 0 when none.
    int LastError() const { return lastError_; }

private:
    double Eval(double x) const;
    void PrepareData();

    std::vector<double> x_, y_, m_, coeff_;
    std::vector<std::int16_t> idx_;
    double slopeFirst_ = 0.0, slopeLast_ = 0.0;
    std::int16_t formulaType_ = 0;
    std::int16_t dataState_ = 0;
    bool built_ = false;  // false after a bad type: evaluations give 0
    int lastError_ = 0;
};

}  // namespace aerolyx
