#pragma once
// The catalogue statements of the engine, one function each. All are
// prepared with their values bound; the catalogue is only read.
#include <cstddef>
#include <vector>

#include "common/Database.h"

namespace aerolyx::engine_sql {

// The size's row of tblFanSizes (FsSizeI, FsMinVa .. FsMaxPa, FsGrdStp, VartdPmin).
Recordset FanSize(IDatabase& db, int fsid);
// The measured points of a size in curve order: by blade angle, then flow.
Recordset FanCurves(IDatabase& db, int fsid);
// The same rows for several sizes at once, ordered by size first; `fsids`
// must hold kSizesPerStatement ids (repeats allowed).
constexpr std::size_t kSizesPerStatement = 256;
Recordset FanSizes(IDatabase& db, const std::vector<int>& fsids);
Recordset FanCurvesOfSizes(IDatabase& db, const std::vector<int>& fsids);
Recordset FanNoiseOfSizes(IDatabase& db, const std::vector<int>& fsids);
// The speed (PolBN) of a pole code of tblEEPolB.
Recordset PoleSpeed(IDatabase& db, int poleCode);
// The octave-band differences NdD1..NdD8 of a size at a pole code.
Recordset FanNoise(IDatabase& db, int fsid, int poleCode);

}  // namespace aerolyx::engine_sql
