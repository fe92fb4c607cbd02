#include "engine/EngineQueries.h"

namespace aerolyx::engine_sql {

Recordset FanSize(IDatabase& db, int fsid)
{
    return db.OpenParameterized("SELECT * FROM tblFanSizes WHERE FsID=?", {Variant(fsid)});
}

Recordset FanCurves(IDatabase& db, int fsid)
{
    return db.OpenParameterized("SELECT * FROM tblFanCurve WHERE FsID=? ORDER BY FanCN ,FanCM ", {Variant(fsid)});
}

namespace {

std::string InList(std::size_t n)
{
    std::string list = "(";
    for (std::size_t i = 0; i < n; ++i) list += i ? ",?" : "?";
    return list + ")";
}

std::vector<Variant> Ids(const std::vector<int>& fsids)
{
    return std::vector<Variant>(fsids.begin(), fsids.end());
}

}  // namespace

Recordset FanSizes(IDatabase& db, const std::vector<int>& fsids)
{
    static const std::string sql = "SELECT * FROM tblFanSizes WHERE FsID IN " + InList(kSizesPerStatement);
    return db.OpenParameterized(sql, Ids(fsids));
}

Recordset FanCurvesOfSizes(IDatabase& db, const std::vector<int>& fsids)
{
    static const std::string sql =
        "SELECT * FROM tblFanCurve WHERE FsID IN " + InList(kSizesPerStatement) + " ORDER BY FsID ,FanCN ,FanCM ";
    return db.OpenParameterized(sql, Ids(fsids));
}

Recordset FanNoiseOfSizes(IDatabase& db, const std::vector<int>& fsids)
{
    static const std::string sql =
        "SELECT * FROM tblFanNoise WHERE FsID IN " + InList(kSizesPerStatement) + " ORDER BY FsID ,NsCPz ";
    return db.OpenParameterized(sql, Ids(fsids));
}

Recordset PoleSpeed(IDatabase& db, int poleCode)
{
    return db.OpenParameterized("SELECT PolBN FROM tblEEPolB WHERE PolBID=?", {Variant(poleCode)});
}

Recordset FanNoise(IDatabase& db, int fsid, int poleCode)
{
    return db.OpenParameterized("SELECT * FROM tblFanNoise WHERE FsID=? AND NsCPz=?", {Variant(fsid), Variant(poleCode)});
}

}  // namespace aerolyx::engine_sql
