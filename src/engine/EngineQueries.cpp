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

Recordset PoleSpeed(IDatabase& db, int poleCode)
{
    return db.OpenParameterized("SELECT PolBN FROM tblEEPolB WHERE PolBID=?", {Variant(poleCode)});
}

Recordset FanNoise(IDatabase& db, int fsid, int poleCode)
{
    return db.OpenParameterized("SELECT * FROM tblFanNoise WHERE FsID=? AND NsCPz=?", {Variant(fsid), Variant(poleCode)});
}

}  // namespace aerolyx::engine_sql
