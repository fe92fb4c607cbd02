#include "engine/RangeCheck.h"

#include "common/Rounding.h"
#include "engine/FanLaws.h"

namespace aerolyx::engine_range {

bool DutyWithinRange(const StoredRange& r, double V, double target, double nm, double nc, double f, double k)
{
    auto flow = [&](double stored) { return fanlaws::FlowAtSpeedAndFrequency(stored, nm, nc, f); };
    // the stored pressure at the motor speed is truncated before the
    // frequency and density scale it
    auto pressure = [&](double stored) { return fanlaws::PressureAtFrequency(Fix(fanlaws::Pressure(stored, nm, nc)), f) * k; };
    return 1.01 * V >= flow(r.minVa) && 0.99 * V <= flow(r.maxVa) && 1.01 * target >= pressure(r.minPa) &&
           0.99 * target <= pressure(r.maxPa);
}

}  // namespace aerolyx::engine_range
