// The base of the central block of a sliding-block surface, shared by both block generators:
// one random point in each box, and the order in which the points are kept while the sides
// are built.
#pragma once

#include <cstdint>

#include "core/engine.h"

namespace scarpex {

// The boxes of the model, or 0 when their count is outside the box table.
int32_t usable_box_count(const ProblemModel& m);

// Places one random point in each box, uniformly along its centre line and across its
// height (two draws per box, in box order). The points are stored in reverse order, the last
// box's point as point 1, so that the left side can be appended to them.
void place_block_base(Engine& e, int32_t boxes);

// Reverses points 1 to count of the current surface.
void reverse_surface_points(ProblemModel& m, int32_t count);

}  // namespace scarpex
