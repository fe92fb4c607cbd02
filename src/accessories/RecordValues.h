#pragma once
// Short spellings for reading and writing stored values of the project
// record, and for reading catalogue columns with the null rules the data
// sheet uses (null or a missing column reads as 0 / "").
#include <string>
#include <string_view>

#include "common/Database.h"
#include "common/NumText.h"
#include "common/Variant.h"
#include "model/CFanData.h"

namespace aerolyx::rec {

inline Variant Get(const CFanData& r, std::string_view name) { return r.ValueI(std::string(name)); }
inline double Num(const CFanData& r, std::string_view name) { return Get(r, name).toDouble(); }
inline std::string Text(const CFanData& r, std::string_view name) { return Get(r, name).toText(); }
inline void Set(CFanData& r, std::string_view name, const Variant& v) { r.setValueI(std::string(name), v); }
inline void SetEmpty(CFanData& r, std::string_view name) { r.setValueI(std::string(name), Variant()); }

// Catalogue columns.
inline bool HasCol(const Recordset& rs, std::string_view col) { return rs.FieldIndex(col) >= 0; }
inline Variant Col(const Recordset& rs, std::string_view col)
{
    return HasCol(rs, col) ? rs.Field(col) : Variant();
}
inline double ColNum(const Recordset& rs, std::string_view col) { return Col(rs, col).toDouble(); }
inline std::string ColText(const Recordset& rs, std::string_view col) { return Col(rs, col).toText(); }

}  // namespace aerolyx::rec
