#include "engine/Numerics.h"

namespace aerolyx {

void INTERP1(int n, Arr1<const double> X, Arr1<const double> Y, double x, double& y)
{
    if (n < 1) {
        y = 0.0;
        return;
    }
    int i = 1;
    while (i <= n && X(i) < x) ++i;
    if (i > n) i = n;
    if (i == 1) {
        y = Y(1);
        return;
    }
    y = Y(i - 1) + (x - X(i - 1)) / (X(i) - X(i - 1)) * (Y(i) - Y(i - 1));
}

}  // namespace aerolyx
