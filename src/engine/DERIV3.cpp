#include "engine/Numerics.h"

namespace aerolyx {

void DERIV3(int n, Arr1<const double> X, Arr1<const double> Y, int i, double& yp)
{
    if (n < 2 || i < 1 || i > n) {
        yp = 0.0;
        return;
    }
    if (n == 2) {
        yp = (Y(2) - Y(1)) / (X(2) - X(1));
        return;
    }
    // Derivative of the parabola through three neighbouring points.
    if (i == 1) {
        const double h1 = X(2) - X(1), h2 = X(3) - X(2);
        yp = -(2.0 * h1 + h2) / (h1 * (h1 + h2)) * Y(1) + (h1 + h2) / (h1 * h2) * Y(2) -
             h1 / (h2 * (h1 + h2)) * Y(3);
    } else if (i == n) {
        const double h1 = X(n - 1) - X(n - 2), h2 = X(n) - X(n - 1);
        yp = h2 / (h1 * (h1 + h2)) * Y(n - 2) - (h1 + h2) / (h1 * h2) * Y(n - 1) +
             (h1 + 2.0 * h2) / (h2 * (h1 + h2)) * Y(n);
    } else {
        const double h1 = X(i) - X(i - 1), h2 = X(i + 1) - X(i);
        yp = -h2 / (h1 * (h1 + h2)) * Y(i - 1) + (h2 - h1) / (h1 * h2) * Y(i) + h1 / (h2 * (h1 + h2)) * Y(i + 1);
    }
}

}  // namespace aerolyx
