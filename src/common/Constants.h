#pragma once

namespace aerolyx {

// Pi as the data sheets have always been computed with it (fan areas,
// outlet velocities, the distance term of sound pressure levels).
inline constexpr double kSheetPi = 3.14;

}  // namespace aerolyx
