#pragma once
// Rounding helpers with the classic semantics the data sheets are checked
// against.
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace aerolyx {

struct OverflowError : std::overflow_error {
    using std::overflow_error::overflow_error;
};

// Cuts toward zero: Fix(-2.7) = -2.
inline double Fix(double x) { return std::trunc(x); }
// Next integer down: Int(-2.3) = -3.
inline double Int(double x) { return std::floor(x); }
// Nearest integer, halves to the even neighbour.
inline double RoundHalfEven(double x) { return std::nearbyint(x); }

inline std::int32_t CLng(double x)
{
    const double r = std::nearbyint(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw OverflowError("Overflow");
    return static_cast<std::int32_t>(r);
}

inline std::int16_t CInt(double x)
{
    const double r = std::nearbyint(x);
    if (!(r >= -32768.0 && r <= 32767.0)) throw OverflowError("Overflow");
    return static_cast<std::int16_t>(r);
}

// Half away from zero to d decimals; 0 stays 0.
inline double RoundDec(double x, int d)
{
    if (x == 0.0) return 0.0;
    const double p = std::pow(10.0, d);
    const double r = Fix(p * std::fabs(x) + 0.5) / p;
    return x < 0 ? -r : r;
}

}  // namespace aerolyx
