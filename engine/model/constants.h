// Numbers that recur across the engine: the coordinate tolerance, the degree factor and the
// codes that end a run or a trial.
#pragma once

#include <cstdint>

namespace scarpex {

// Two coordinates closer than this are the same point.
inline constexpr float kCoordTolerance = 0.001f;
// Degrees to radians, to the single-precision digits the results are reproduced with.
inline constexpr float kDegToRad = 0.017453292f;

// Values of stop_code. Above 0 the run ends at the next check, except for the trial-local
// codes (10 to 21) that a search clears: 12 at its next initiation point and at its end, the
// others before the next trial.
enum StopCode : int32_t {
  kRunGoesOn = 0,
  kRunEnded = 2,               // abort_run or stop_run
  kCircleNotGenerated = 10,    // a traced circle ran past 100 points inside the ground
  kSurfaceNotGenerated = 11,   // an irregular or block surface could not be completed
  kLimitsTooRestrictive = 12,  // every attempt of a trial failed
  kSpencerOuterFailed = 13,    // Spencer's method: no outer convergence
  kSpencerLocalFailed = 14,    // Spencer's method: no convergence at one angle
  kSurfaceNotSliced = 21,      // the surface cannot be cut into slices
};

}  // namespace scarpex
