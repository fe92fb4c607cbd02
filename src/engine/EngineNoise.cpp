// Noise at the operating point: octave-band sound power levels from the
// catalogue's band differences, A-weighted at the duty's distance.
#include <cmath>

#include "acoustics/CNoise.h"
#include "common/Rounding.h"
#include "engine/CatalogueCache.h"
#include "engine/DORozEvIdad.h"
#include "engine/EngineQueries.h"
#include "engine/EngineSupport.h"

namespace aerolyx {

using namespace engine_detail;


double DORozEvIdad::GetNoiseDBA(double level, int band)
{
    if (band < 1 || band > 8) return 0.0;
    const double r = level + CNoise::AWeighting(band);
    return r < 0 ? 0.0 : r;
}


void DORozEvIdad::ComputeNoise()
{
    CurveSlot& s0 = curves_[0];
    const double lw = s0.OpSoundPower;
    const double r = duty_.Distance;
    // the distance enters squared, so its sign does not count
    const double dist = CNoise().GetDistanceValue(std::fabs(r));
    IDatabase& db = Db();
    const int fsid = duty_.FsID, pole = duty_.PoleCode;
    Recordset rs = *Cache().NoiseRows(fsid, pole, [&] { return engine_sql::FanNoise(db, fsid, pole); });
    rs.MoveFirst();
    const bool row = !rs.Eof();
    double sum = 0;
    for (int i = 1; i <= 8; ++i) {
        const auto bi = static_cast<std::size_t>(i);
        bandLevel_[bi] = row ? lw - Num(rs, ColumnIndex(rs, ("NdD" + std::to_string(i)).c_str())) : lw;
        bandLevelA_[bi] = GetNoiseDBA(bandLevel_[bi] - dist, i);
        sum += std::pow(10.0, bandLevelA_[bi] / 10);
    }
    rs.Close();
    const double level = sum > 0 ? 10 * std::log10(sum) : 0.0;
    s0.OpSoundPowerA = Fix(level * 10 + 0.5) / 10;
}

}  // namespace aerolyx
