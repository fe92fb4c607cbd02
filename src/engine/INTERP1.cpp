#include "engine/Numerics.h"

namespace aerolyx {

void InterpSegment(int n, Arr1<const double> X, double x, int& i, double& w)
{
    i = 1;
    while (i <= n && X(i) < x) ++i;
    if (i > n) i = n;
    w = i == 1 ? 0.0 : (x - X(i - 1)) / (X(i) - X(i - 1));
}

void INTERP1(int n, Arr1<const double> X, Arr1<const double> Y, double x, double& y)
{
    if (n < 1) {
        y = 0.0;
        return;
    }
    int i = 1;
    double w = 0.0;
    InterpSegment(n, X, x, i, w);
    y = InterpPick(i, w, Y);
}

}  // namespace aerolyx
