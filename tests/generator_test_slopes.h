// Slopes and search settings for driving the trial surface generators directly, without a
// search driver: the model is filled as a search would fill it before a trial.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "model/geometry.h"
#include "test_engine.h"

namespace scarpex::testing {

inline constexpr float kDegree = 0.017453292f;

struct Line {
  float x1, y1, x2, y2;
  int32_t soil = 1;
};

// Sets the boundaries: the first `top` of them form the ground surface.
inline void set_profile(ProblemModel& m, const std::vector<Line>& lines, int32_t top) {
  m.boundary_count = static_cast<int32_t>(lines.size());
  m.top_boundary_count = top;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::size_t k = i + 1;
    m.boundary_x_left[k] = lines[i].x1;
    m.boundary_y_left[k] = lines[i].y1;
    m.boundary_x_right[k] = lines[i].x2;
    m.boundary_y_right[k] = lines[i].y2;
    m.boundary_soil_type[k] = lines[i].soil;
  }
}

// Elevation of the ground surface at x, or NaN outside it.
inline float ground_at(const ProblemModel& m, float x) {
  for (int32_t j = 1; j <= m.top_boundary_count; ++j) {
    float y = 0.0f;
    int32_t found = 0;
    segment_y_at(m.boundary_x_left[j], m.boundary_y_left[j], m.boundary_x_right[j],
                 m.boundary_y_right[j], x, y, found);
    if (found == 1) return y;
  }
  return NAN;
}

// A slope rising to the right: level toe at 10 up to x = 20, a 2H:1V face up to (40, 20),
// level crest to x = 70. Circular search settings with initiation at x = 10, termination
// between 25 and 65, first segments dipping 5 to 45 degrees.
inline std::unique_ptr<Engine> circle_search_engine() {
  auto e = make_test_engine();
  ProblemModel& m = e->model;
  set_profile(m, {{0, 10, 20, 10}, {20, 10, 40, 20}, {40, 20, 70, 20}}, 3);
  m.circular_search = 1;
  m.block_search = 0;
  m.angle_45 = 45.0f * m.deg_to_rad;
  m.angle_90 = 90.0f * m.deg_to_rad;
  m.segment_length = 3.0f;
  m.min_elevation = 0.0f;
  m.term_x_left = 25.0f;
  m.term_x_right = 65.0f;
  m.term_y_left = ground_at(m, 25.0f);
  m.term_y_right = ground_at(m, 65.0f);
  m.init_angle_upper = -5.0f * m.deg_to_rad;
  m.init_angle_lower = -m.angle_45;
  m.start_boundary = 1;
  m.surface_x[1] = 10.0005f;
  m.surface_y[1] = 10.0f;
  return e;
}

// Whether segment (x1,y1)-(x2,y2) crosses limit boundary `limit`.
inline bool segment_crosses_limit(const ProblemModel& m, int32_t limit, float x1, float y1,
                                  float x2, float y2) {
  float x = 0.0f, y = 0.0f;
  int32_t found = 0;
  intersect_segments(m.limit_x_left[limit], m.limit_y_left[limit], m.limit_x_right[limit],
                     m.limit_y_right[limit], x1, y1, x2, y2, x, y, found);
  return found == 1;
}

}  // namespace scarpex::testing

namespace scarpex::testing {

// The same slope and settings for an irregular search.
inline std::unique_ptr<Engine> irregular_search_engine() {
  auto e = circle_search_engine();
  e->model.circular_search = 0;
  return e;
}

// A random state whose next draw returns `numerator` / 16384 (numerator odd), while fewer
// than 4096 values have been drawn.
inline RandomState state_before(int64_t numerator) {
  int64_t inverse = 1;
  while ((inverse * 78125) % 16384 != 1) inverse += 2;
  return RandomState{(numerator * inverse) % 16384, 0};
}

}  // namespace scarpex::testing

namespace scarpex::testing {

struct Box {
  float x_left, y_left, x_right, y_right, height;
};

inline void set_boxes(ProblemModel& m, const std::vector<Box>& boxes) {
  m.box_count = static_cast<int32_t>(boxes.size());
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    std::size_t k = i + 1;
    m.box_x_left[k] = boxes[i].x_left;
    m.box_y_left[k] = boxes[i].y_left;
    m.box_x_right[k] = boxes[i].x_right;
    m.box_y_right[k] = boxes[i].y_right;
    m.box_height[k] = boxes[i].height;
  }
}

// A block search on the slope of circle_search_engine with two boxes under its face.
inline std::unique_ptr<Engine> block_search_engine(bool rankine = false) {
  auto e = circle_search_engine();
  ProblemModel& m = e->model;
  m.circular_search = 0;
  m.block_search = 1;
  m.block2_mode = rankine ? 1 : 0;
  m.failed_generation_count = 0;
  e->report.use_memory();
  set_boxes(m, {{12, 6, 22, 6, 2}, {28, 8, 38, 10, 2}});
  return e;
}

}  // namespace scarpex::testing
