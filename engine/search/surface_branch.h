// What the common frame of the circular and irregular generators hands to the branch that
// continues a trial surface after its first segment, and how a branch ends.
#pragma once

#include <cstdint>

#include "core/engine.h"

namespace scarpex {

// How a branch ended one attempt.
enum class BranchEnd {
  kComplete,     // a surface is in the model, surface_point_count set
  kNextAttempt,  // this attempt gave nothing; the frame draws a new first segment
  kFailed,       // stop_code is 10 or 11: the call ends at once
};

// The first segment P1P2 of the attempt (points 1 and 2 of the current surface hold it).
struct FirstSegment {
  float angle = 0.0f;        // its angle from the horizontal, radians, positive upward
  float angle_floor = 0.0f;  // lowest angle any later segment may take
};

// Largest number of points of a surface, and the angle margin kept below the vertical.
inline constexpr int32_t kLastPoint = kMaxSurfacePoints;
inline constexpr float kAngleMargin = 0.001f;

}  // namespace scarpex
