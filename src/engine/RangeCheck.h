#pragma once
// The size and range check of a duty command: the size's stored flow and
// pressure range, scaled to the duty's motor speed, supply frequency and
// density, must contain the duty within 1 %. The engine refuses a size that
// fails it before loading any curve; the selection search asks the same
// question of every size before sending it a duty.
namespace aerolyx::engine_range {

// FsMinVa, FsMaxVa, FsMinPa, FsMaxPa of tblFanSizes as stored.
struct StoredRange {
    double minVa = 0, maxVa = 0, minPa = 0, maxPa = 0;
};

// V the duty flow (m³/h), target the required total pressure (Pa); nm the
// motor speed, nc the speed of the stored curves, f the supply frequency,
// k the density ratio. nc and f must not be 0.
bool DutyWithinRange(const StoredRange& r, double V, double target, double nm, double nc, double f, double k);

}  // namespace aerolyx::engine_range
