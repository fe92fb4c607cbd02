#pragma once
// The numerical routines of the curve fitter. Data arrays are 1-based views
// (Arr1) of n points, n >= 2 unless stated; results come back through the
// reference arguments. Arithmetic never throws: degenerate data (equal
// abscissas) give non-finite values, not crashes.
#include <cstdint>

#include "engine/GLOBAL.h"

namespace aerolyx {

// Natural cubic spline set-up. P(1..n) receives the point indices ordered by
// ascending X (the data arrays are not reordered); M(1..n) the second
// derivatives at the points, M(i) belonging to point i (0 at both ends of the
// ordered set). n = 1 gives M(1) = 0, P(1) = 1.
void CSCOEF(int n, Arr1<const double> X, Arr1<const double> Y, Arr1<double> M, Arr1<std::int16_t> P);

// Evaluates the spline set up by CSCOEF at x. Outside the data range the
// outermost cubic is continued.
void CSFIT1(int n, Arr1<const double> X, Arr1<const double> Y, Arr1<const double> M,
            Arr1<const std::int16_t> P, double x, double& y);

// Evaluates the cubic spline through the points whose first derivatives at
// the ends of the ordered set are yp1 (at the smallest X) and ypn (at the
// largest X). The spline is set up on every call.
void CSFIT2(int n, Arr1<const double> X, Arr1<const double> Y, double yp1, double ypn, double x, double& y);

// Three-point derivative estimate dy/dx at the data abscissa X(i), 1 <= i <= n,
// for points in ascending X (one-sided at the ends; two points give the chord).
void DERIV3(int n, Arr1<const double> X, Arr1<const double> Y, int i, double& yp);

// Piecewise-linear interpolation: the first X(i) >= x is searched from X(1);
// i = 1 gives Y(1); x beyond X(n) continues the last segment. n = 1 gives Y(1).
void INTERP1(int n, Arr1<const double> X, Arr1<const double> Y, double x, double& y);

// Least-squares polynomial y = C(1) + C(2) x + ... + C(m) x^(m-1) through
// n >= 1 points (m >= 1). Solved by Householder QR on the Vandermonde matrix
// in scaled abscissas, so degree-4 fits of flows of several thousand m3/h
// keep their accuracy. Coefficients that the data cannot determine (m > n,
// repeated abscissas) come back 0.
void LSQFIT(int n, Arr1<const double> X, Arr1<const double> Y, int m, Arr1<double> C);

// The parabola c[0] + c[1] x + c[2] x² through three points, exactly as
// LSQFIT(3, X, Y, 3, C) gives it; false (c untouched) when the abscissas are
// not distinct, where LSQFIT takes its general path.
bool Parabola3(double x0, double x1, double x2, double y0, double y1, double y2, double c[3]);

}  // namespace aerolyx
