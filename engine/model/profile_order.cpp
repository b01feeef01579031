#include "model/profile_order.h"

#include <cmath>

namespace scarpex {

namespace {

struct Line {
  bool vertical = false;
  float slope = 0.0f;
  float intercept = 0.0f;
};

Line boundary_line(const ProblemModel& m, int32_t k) {
  Line line;
  float xl = m.boundary_x_left[k];
  float xr = m.boundary_x_right[k];
  if (std::fabs(xl - xr) < m.coord_tolerance) {
    line.vertical = true;
    return line;
  }
  line.slope = (m.boundary_y_left[k] - m.boundary_y_right[k]) / (xl - xr);
  line.intercept = m.boundary_y_left[k] - xl * line.slope;
  return line;
}

// Two sloping boundaries: they may cross only outside their common x-range, on the side
// where boundary i stays above boundary j.
bool sloping_pair_in_order(const ProblemModel& m, int32_t i, int32_t j, const Line& li,
                           const Line& lj) {
  float t = m.coord_tolerance;
  if (std::fabs(li.slope - lj.slope) < t) return !(lj.intercept - li.intercept >= t);
  float xc = (lj.intercept - li.intercept) / (li.slope - lj.slope);
  bool i_steeper = li.slope > lj.slope;
  bool j_steeper = lj.slope > li.slope;
  if (m.boundary_x_left[j] >= xc - t && i_steeper) return true;
  if (xc + t >= m.boundary_x_right[j] && j_steeper) return true;
  if (m.boundary_x_left[i] >= xc - t && i_steeper) return true;
  if (xc + t >= m.boundary_x_right[i] && j_steeper) return true;
  return false;
}

}  // namespace

bool boundary_pair_in_order(const ProblemModel& m, int32_t i, int32_t j) {
  float t = m.coord_tolerance;
  if (m.boundary_x_left[j] >= m.boundary_x_right[i] ||
      m.boundary_x_left[i] >= m.boundary_x_right[j]) {
    return true;  // the x-ranges do not overlap
  }
  Line li = boundary_line(m, i);
  Line lj = boundary_line(m, j);
  if (!li.vertical && !lj.vertical) return sloping_pair_in_order(m, i, j, li, lj);
  if (li.vertical && !lj.vertical) {
    float y = m.boundary_y_left[j] + (m.boundary_x_left[i] - m.boundary_x_left[j]) * lj.slope;
    return y - m.boundary_y_left[i] < t && y - m.boundary_y_right[i] < t;
  }
  if (!li.vertical && lj.vertical) {
    float y = m.boundary_y_left[i] + (m.boundary_x_left[j] - m.boundary_x_left[i]) * li.slope;
    return m.boundary_y_left[j] - y < t && m.boundary_y_right[j] - y < t;
  }
  // Both vertical: no end of j may lie higher than an end of i by the tolerance or more.
  return m.boundary_y_left[j] - m.boundary_y_left[i] < t &&
         m.boundary_y_right[j] - m.boundary_y_left[i] < t &&
         m.boundary_y_left[j] - m.boundary_y_right[i] < t &&
         m.boundary_y_right[j] - m.boundary_y_right[i] < t;
}

}  // namespace scarpex
