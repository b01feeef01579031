#include "search/block_base.h"

#include <algorithm>

#include "search/random_numbers.h"

namespace scarpex {

int32_t usable_box_count(const ProblemModel& m) {
  return (m.box_count >= 1 && m.box_count <= kMaxBoxes) ? m.box_count : 0;
}

void place_block_base(Engine& e, int32_t boxes) {
  ProblemModel& m = e.model;
  for (int32_t i = 1; i <= boxes; ++i) {
    float r = next_random(e.rng);
    float r_across = next_random(e.rng);
    int32_t k = boxes - i + 1;
    m.surface_x[k] = m.box_x_left[i] + (m.box_x_right[i] - m.box_x_left[i]) * r;
    m.surface_y[k] = m.box_y_left[i] + (m.box_y_right[i] - m.box_y_left[i]) * r +
                     (r_across - 0.5f) * m.box_height[i];
  }
}

void reverse_surface_points(ProblemModel& m, int32_t count) {
  std::reverse(m.surface_x.begin() + 1, m.surface_x.begin() + 1 + count);
  std::reverse(m.surface_y.begin() + 1, m.surface_y.begin() + 1 + count);
}

}  // namespace scarpex
