// Geometric scans and checks shared by the trial surface generators: where a surface segment
// leaves the ground surface or crosses a boundary of the profile, which search limit it
// crosses, whether a point lies on the ground, whether a surface is finite. Every scan keeps to the
// rows that were read, whatever the counts in the model say.
#pragma once

#include <cstdint>

#include "model/problem_model.h"

namespace scarpex {

// A point where a segment crosses a boundary.
struct Crossing {
  bool found = false;
  int32_t boundary = 0;
  float x = 0.0f;
  float y = 0.0f;
};

// A straight piece of a trial surface, from its earlier point to its later one.
struct Segment {
  float x1, y1, x2, y2;
};

// The counts of the model, clamped to the sizes of their tables.
int32_t top_boundaries(const ProblemModel& m);
int32_t all_boundaries(const ProblemModel& m);
int32_t search_limits(const ProblemModel& m);

// Ground surface extent: the left end of the first top boundary and the right end of the last.
float ground_extent_left(const ProblemModel& m);
float ground_extent_right(const ProblemModel& m);

// Crossing of boundary j (passed first, left end first) with the segment given.
Crossing cross_boundary(const ProblemModel& m, int32_t j, const Segment& s);

// The first boundary, from `first` up to `last` (ascending) or down to it (descending), that
// the segment crosses. Rows outside 1..boundary table are never read.
Crossing first_crossing_ascending(const ProblemModel& m, int32_t first, int32_t last,
                                  const Segment& s);
Crossing first_crossing_descending(const ProblemModel& m, int32_t first, int32_t last,
                                   const Segment& s);

// The first search limit (input order) that the segment crosses, 0 when none.
int32_t first_limit_crossed(const ProblemModel& m, const Segment& s);
bool crosses_limit(const ProblemModel& m, int32_t limit, const Segment& s);
// Whether the limits are in force and at least one is stored.
bool limits_in_force(const ProblemModel& m);
// Limits numbered up to limit_upward_count deflect surfaces upward.
bool deflects_upward(const ProblemModel& m, int32_t limit);

// Whether a top boundary holding x has exactly the elevation y there.
bool lies_on_ground(const ProblemModel& m, float x, float y);

// Whether points 1 to count of the current surface are all finite: no NaN or infinite
// coordinate may leave a generator.
bool surface_points_finite(const ProblemModel& m, int32_t count);

}  // namespace scarpex
