// The circular branch of the trial surface generator: from the first segment it draws a
// constant turning angle, so that all points lie on one circle, between the flattest circle
// that reaches the right termination point and the sharpest that reaches the left one.
#pragma once

#include "search/surface_branch.h"

namespace scarpex {

BranchEnd trace_circular_branch(Engine& e, const FirstSegment& first);

// Radius of the circle whose chords of the given length turn by `turning` radians.
float circle_radius_of(float chord_length, float turning);

}  // namespace scarpex
