#include "fos/applied_forces.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/error_lines.h"
#include "core/run_control.h"
#include "fos/applied_crossing.h"
#include "fos/applied_reinforcement.h"
#include "model/circle.h"
#include "model/exact_math.h"

namespace scarpex {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

int32_t usable_slice_count(const SliceTable& s) {
  return std::clamp(s.slice_count, 0, kMaxSlices);
}

// A tie of non-zero length acts on a surface only if it reaches it: the tie, from its head to
// its far end, must cross a segment of the trial surface.
bool tie_reaches_surface(const ProblemModel& m, int32_t row) {
  int32_t n = std::clamp(m.surface_point_count, 0, kMaxSurfacePoints);
  for (int32_t p = 1; p < n; ++p) {
    SegmentCrossing c =
        cross_segments(m.tie_x[row], m.tie_y[row], m.tie_end_x[row], m.tie_end_y[row],
                       m.surface_x[p], m.surface_y[p], m.surface_x[p + 1], m.surface_y[p + 1]);
    if (c.found) return true;
  }
  return false;
}

// A base point is hidden from the head when the sight line between them crosses a
// ground-surface boundary other than the one carrying the head. A touch at the head itself
// does not hide anything: a head placed where its boundary meets the next one would
// otherwise see no slice at all and the row would silently apply nothing.
bool hidden_from_head(const ProblemModel& m, int32_t row, float x, float y) {
  float xh = m.tie_x[row];
  float yh = m.tie_y[row];
  int32_t top = std::clamp(std::min(m.top_boundary_count, m.boundary_count), 0, kMaxBoundaries);
  for (int32_t b = 1; b <= top; ++b) {
    if (b == m.tie_boundary[row]) continue;
    SegmentCrossing c = cross_segments(xh, yh, x, y, m.boundary_x_left[b], m.boundary_y_left[b],
                                       m.boundary_x_right[b], m.boundary_y_right[b]);
    if (!c.found) continue;
    bool at_head =
        std::fabs(c.x - xh) < m.coord_tolerance && std::fabs(c.y - yh) < m.coord_tolerance;
    if (!at_head) return true;
  }
  return false;
}

// Spreads one row's line load over the slice bases it can see, with the intensity of a line
// load on an elastic half-plane, then scales the forces so that their components along the
// tie add up to the line load.
void apply_tie_row(ProblemModel& m, int32_t row, int32_t n) {
  SliceTable& s = m.slices;
  if (m.tie_length[row] != 0.0f && !tie_reaches_surface(m, row)) return;
  const float xh = m.tie_x[row];
  const float yh = m.tie_y[row];
  const float lambda = m.tie_inclination[row];
  const float p = m.tie_line_load[row];
  const float right_angle = 90.0f * m.deg_to_rad;

  Table<float, kMaxSlices> spread{}, ray{};
  Table<bool, kMaxSlices> reached{};
  float along_tie = 0.0f;
  for (int32_t i = 1; i <= n; ++i) {
    if (hidden_from_head(m, row, s.x_mid[i], s.y_base[i])) continue;
    reached[i] = true;
    float dx = s.x_mid[i] - xh;
    float dy = yh - s.y_base[i];
    float k;
    if (dx > 0.0f) {
      k = exact::atan(dy / dx);
    } else if (dx < 0.0f) {
      k = kPi - exact::atan(dy / (-dx));
    } else {
      k = dy < 0.0f ? -right_angle : right_angle;  // straight below (or above) the head
    }
    ray[i] = k;
    float d = std::sqrt(dx * dx + dy * dy);
    float omega = k - lambda;
    // A base point at the head itself has no distance to spread over: it takes nothing.
    if (d == 0.0f || omega < -right_angle || omega > right_angle) continue;
    spread[i] = 2.0f * p * s.width[i] * exact::cos(omega) / (kPi * d * exact::cos(s.alpha[i]));
    along_tie += spread[i] * exact::cos(omega);
  }
  float scale = along_tie == 0.0f ? 1.0f : p / along_tie;
  for (int32_t i = 1; i <= n; ++i) {
    if (!reached[i]) continue;
    float j = spread[i] * scale;
    float a = right_angle - s.alpha[i] - ray[i];
    s.tie_normal_force[i] += j * exact::cos(a);
    s.tie_shear_force[i] += j * exact::sin(a);
  }
}

// The crossing of a layer with the trial surface: layer segments from the last towards the
// first, and for each the surface segments from the last towards the first.
ReinforcementCrossing surface_crossing(const ProblemModel& m, int32_t layer) {
  int32_t points = usable_point_count(m, layer);
  int32_t n = std::clamp(m.surface_point_count, 0, kMaxSurfacePoints);
  for (int32_t p = points - 1; p >= 1; --p) {
    for (int32_t q = n - 1; q >= 1; --q) {
      ReinforcementCrossing c = cross_layer_segment(m, layer, p, m.surface_x[q], m.surface_y[q],
                                                    m.surface_x[q + 1], m.surface_y[q + 1]);
      if (c.found) return c;
    }
  }
  return ReinforcementCrossing{};
}

}  // namespace

void apply_tie_forces(Engine& e) {
  ProblemModel& m = e.model;
  int32_t n = usable_slice_count(m.slices);
  for (int32_t i = 1; i <= n; ++i) {
    m.slices.tie_normal_force[i] = 0.0f;
    m.slices.tie_shear_force[i] = 0.0f;
  }
  if (m.ties_active != 1) return;
  int32_t rows = std::clamp(m.tie_count, 0, kMaxTies);
  for (int32_t row = 1; row <= rows; ++row) apply_tie_row(m, row, n);
}

void compute_reinforcement_moment(Engine& e) {
  ProblemModel& m = e.model;
  if (m.bishop_method != 1) {
    write_error_line(e.report, "RF09");
    abort_run(e);
    return;
  }
  const float r = m.circle_radius;
  const float half_pi = kPi / 2.0f;
  Circle circle = surface_circle(m);
  float moment = 0.0f;
  int32_t layers = usable_layer_count(m);
  for (int32_t layer = 1; layer <= layers; ++layer) {
    ReinforcementCrossing c = surface_crossing(m, layer);
    if (!c.found) continue;
    if (c.incl_factor >= 1.0f - m.coord_tolerance) {
      moment += c.axial_force * r;
      continue;
    }
    float psi_c = surface_tangent_angle(m, circle, c.x, c.y);
    float psi_0 = c.segment_angle;
    float angle = half_pi - psi_c + psi_0 + c.incl_factor * (psi_c - psi_0);
    moment += c.shear_force * std::fabs(exact::cos(angle)) * r +
              c.axial_force * std::fabs(exact::sin(angle)) * r;
  }
  m.reinforcement_moment = moment;
}

}  // namespace scarpex
