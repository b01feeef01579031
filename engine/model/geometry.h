// The segment primitives shared by the whole engine, and the display transforms that turn
// stored coordinates into the user's (possibly mirrored) frame for the report.
// Segments are given left end first. An output that a case does not name is left unchanged.
#pragma once

#include <cstdint>

#include "model/constants.h"
#include "model/problem_model.h"

namespace scarpex {

// Elevation of the segment's line at x. Nothing is written for a vertical segment; otherwise
// y is written, and found tells whether x lies in the x-range widened by the tolerance.
void segment_y_at(float x1, float y1, float x2, float y2, float x, float& y, int32_t& found);

// Abscissa of the segment's line at elevation y; a vertical segment gives the mean abscissa.
// The found test is one-sided, as the surfaces that use it rise from their first end.
void segment_x_at(float x1, float y1, float x2, float y2, float y, float& x, int32_t& found);

// Crossing of segment A (x1,y1)-(x2,y2) with segment B (x3,y3)-(x4,y4); found when it lies on
// both within the tolerance. Nothing is written for two vertical or two parallel segments.
void intersect_segments(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                        float y4, float& x, float& y, int32_t& found);

float to_display_x(const ProblemModel& m, float x);
float to_display_y(const ProblemModel& m, float y);
float to_display_angle(const ProblemModel& m, float degrees);

// Fills the five unit labels from unit_system: 1 English, 3 generic, otherwise metric.
void set_unit_labels(ProblemModel& m);

}  // namespace scarpex
