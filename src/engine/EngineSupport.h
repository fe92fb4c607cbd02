#pragma once
// Helpers shared by the engine's source files (not for other libraries).
#include <cmath>
#include <string>

#include "common/Database.h"
#include "common/Rounding.h"
#include "common/StrUtil.h"
#include "engine/CFormula.h"

namespace aerolyx::engine_detail {

// Ends the current command with a reply; thrown from deep inside a step and
// turned into the reply text by DORozEvIdad::Execute.
struct Reply {
    std::string text;
};
struct DivisionByZero {};

inline double Div(double a, double b)
{
    if (b == 0.0) throw DivisionByZero{};
    return a / b;
}

inline std::string ErrorCode(int code) { return "ERROR: " + std::to_string(code); }

// To 1 / scale, halves up (the engine rounds positive values only).
inline double Rnd(double x, double scale) { return Fix(x * scale + 0.5) / scale; }

inline void BuildFit(CFormula& f, int n, const double* x, const double* y, int type)
{
    f.ForFreeData();
    f.ForSetData(n, x, y);
    f.ForInitData(type);
}

// The least-squares fit of a constant column is that constant; the fitter's
// result carries rounding noise, which the integer part of an angle would
// turn into the angle below.
inline bool ConstantColumn(int n, const double* y)
{
    for (int i = 1; i < n; ++i)
        if (y[i] != y[0]) return false;
    return n > 0;
}

// A catalogue value; null and blank text read as 0.
inline double Num(const Recordset& rs, int col)
{
    const Variant& v = rs.Field(col);
    if (v.isEmpty()) return 0.0;
    if (v.isText() && Trim(v.textValue()).empty()) return 0.0;
    return v.toDouble();
}

inline int ColumnIndex(const Recordset& rs, const char* name)
{
    const int i = rs.FieldIndex(name);
    if (i < 0) throw DbError(3265, std::string("Item cannot be found in the collection: column '") + name + "'.");
    return i;
}

}  // namespace aerolyx::engine_detail
