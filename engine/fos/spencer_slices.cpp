#include "fos/spencer_slices.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "fos/applied_reinforcement.h"
#include "fos/base_strength.h"
#include "fos/repeat_memo.h"
#include "fos/spencer_steps.h"
#include "model/circle.h"
#include "model/exact_math.h"

namespace scarpex {

namespace {

struct Point {
  float x, y;
};

// The base line that reinforcement crossings are found on is the polyline through the base
// centres of the slices, begun at the surface's left end and ended at its right end. Slice i
// owns the part of it from its left edge (included) to its right edge (excluded, except for
// the last slice): the piece from centre i-1 to centre i right of the left edge, and the piece
// from centre i to centre i+1 left of the right edge. Every point of the line belongs to one
// slice, so a layer crossing it adds its force exactly once.
Point base_line_point(const SliceTable& s, int32_t k) {
  if (k < 1) return {s.x_edge[1], s.y_edge[1]};
  if (k > s.slice_count) return {s.x_edge[s.slice_count + 1], s.y_edge[s.slice_count + 1]};
  return {s.x_mid[k], s.y_base[k]};
}

struct BasePiece {
  Point from, to;
  float x_low, x_high;  // part of the piece that the slice owns
  bool high_included;
};

// Adds one crossing. psi is the direction of the axial force relative to the slip surface
// (of tangent psi_c): the inclination factor turns it from the layer's direction (0) to the
// surface's (1). A factor below 0 leaves the layer's direction as it is.
void add_components(const ReinforcementCrossing& c, float psi_c, float tolerance, float& r1,
                    float& r2) {
  float psi = c.segment_angle;
  if (c.incl_factor >= -tolerance) psi = (1.0f - c.incl_factor) * (c.segment_angle - psi_c);
  r1 += c.axial_force * exact::cos(psi) + c.shear_force * exact::sin(psi);
  r2 += c.shear_force * exact::cos(psi) - c.axial_force * exact::sin(psi);
}

// Reinforcement components R1 and R2 of slice i: for each layer, searched from its last
// segment towards its first, the first crossing with the slice's part of the base line.
void reinforcement_components(const ProblemModel& m, const Circle& circle, int32_t i, float& r1,
                              float& r2) {
  r1 = 0.0f;
  r2 = 0.0f;
  const SliceTable& s = m.slices;
  bool last = i == s.slice_count;
  const BasePiece pieces[2] = {
      {base_line_point(s, i - 1), base_line_point(s, i), s.x_edge[i], s.x_mid[i], true},
      {base_line_point(s, i), base_line_point(s, i + 1), s.x_mid[i], s.x_edge[i + 1], last},
  };
  int32_t layers = usable_layer_count(m);
  for (int32_t layer = 1; layer <= layers; ++layer) {
    bool counted = false;
    for (int32_t p = usable_point_count(m, layer) - 1; p >= 1 && !counted; --p) {
      for (const BasePiece& piece : pieces) {
        ReinforcementCrossing c =
            cross_layer_segment(m, layer, p, piece.from.x, piece.from.y, piece.to.x, piece.to.y);
        if (!c.found || c.x < piece.x_low) continue;
        if (c.x > piece.x_high || (c.x == piece.x_high && !piece.high_included)) continue;
        add_components(c, surface_tangent_angle(m, circle, c.x, c.y), m.coord_tolerance, r1, r2);
        counted = true;
        break;
      }
    }
  }
}

// The values of slice i that depend on the surface alone: its strength, the normal and
// tangential forces of the known loads and its base stresses but the shear.
void prepare_surface_slice(const ProblemModel& m, int32_t i, float r1, float r2, SpencerSlice& w) {
  const SliceTable& s = m.slices;
  const float kh = m.earthquake_kh;
  const float kv = m.earthquake_kv;
  const float alpha = s.alpha[i];
  const float b = s.width[i];
  const float w_slice = s.weight[i];

  BaseStrength strength = base_strength(m, s.base_soil[i], s.y_base[i], alpha);
  w.cohesion = strength.cohesion;
  w.tan_phi = strength.tan_phi;

  const float cos_a = exact::cos(alpha);
  const float sin_a = exact::sin(alpha);
  w.known_normal = (s.tie_normal_force[i] - s.base_water_force[i]) +
                   s.top_water_force[i] * exact::cos(s.beta[i] - alpha) +
                   s.load_force[i] * exact::cos(s.load_angle[i] - alpha) +
                   w_slice * ((1.0f - kv) * cos_a - kh * sin_a);
  w.cohesion_force = w.cohesion * b / cos_a;
  // The reinforcement force (R1 towards +x, R2 downwards) holds the mass back: the mass
  // slides towards -x, as the weight and earthquake terms below take it. Taken with the
  // opposite sign, a layer would push the mass towards the face and lower the factor of
  // safety, where the Modified Bishop method (rightly) raises it.
  w.resisting_prepared = w.cohesion_force + w.tan_phi * w.known_normal + r1 * sin_a + r2 * cos_a;
  w.tangential = s.top_water_force[i] * exact::sin(s.beta[i] - alpha) + s.tie_shear_force[i] +
                 s.load_force[i] * exact::sin(s.load_angle[i] - alpha) + r1 * cos_a - r2 * sin_a -
                 w_slice * ((1.0f - kv) * sin_a + kh * cos_a);
  w.effective_stress = w.known_normal * cos_a / b;
  w.pore_pressure = s.base_water_force[i] * cos_a / b;
}

// The side-force inclination of a slice and its functions. The slices of the first four
// fifths share one inclination, so it is found once for them.
struct SideForceAngle {
  float theta = 0.0f;
  float sin = 0.0f, cos = 0.0f, tan = 0.0f;
};

SideForceAngle side_force_angle(float tangent) {
  SideForceAngle a;
  a.theta = exact::atan(tangent);
  a.sin = exact::sin(a.theta);
  a.cos = exact::cos(a.theta);
  a.tan = exact::tan(a.theta);
  return a;
}

// The values of slice i for one side-force angle, and its base stresses for the trial factor.
void prepare_angle_slice(ProblemModel& m, int32_t i, float tan_theta, float fos,
                         RepeatMemo<SideForceAngle>& angles, SpencerSlice& w,
                         float& coupling_limit) {
  SliceTable& s = m.slices;
  const SideForceAngle a =
      angles(side_force_function(i, s.slice_count) * tan_theta, side_force_angle);
  w.theta = a.theta;
  w.sin_theta = a.sin;
  w.cos_theta = a.cos;
  w.tan_theta = a.tan;
  w.resisting = w.resisting_prepared;
  const float d = s.alpha[i] - w.theta;
  w.cos_d = exact::cos(d);
  w.sin_d = exact::sin(d);
  w.tan_d = exact::tan(d);
  w.coupling = w.tan_d * w.tan_phi;
  coupling_limit = std::max(coupling_limit, -w.coupling);

  s.base_effective_stress[i] = w.effective_stress;
  s.base_pore_pressure[i] = w.pore_pressure;
  s.base_total_stress[i] = w.effective_stress + w.pore_pressure;
  s.base_shear_stress[i] = w.cohesion + w.tan_phi * w.effective_stress / fos;
}

// The angle between slice i's base and the side force on its left, alpha(i) - theta(i-1). Where
// the two sides share an inclination it is the slice's own d, whose functions are known.
void prepare_left_side(const SliceTable& s, int32_t i, const SpencerSlice& left, SpencerSlice& w) {
  if (std::bit_cast<uint32_t>(left.theta) == std::bit_cast<uint32_t>(w.theta)) {
    w.cos_dl = w.cos_d;
    w.tan_dl = w.tan_d;
    return;
  }
  const float dl = s.alpha[i] - left.theta;
  w.cos_dl = exact::cos(dl);
  w.tan_dl = exact::tan(dl);
}

// Reinforcement components and everything else of the slices that no angle changes, found at
// the first preparation of a surface.
void prepare_surface(const ProblemModel& m, SpencerSlices& work) {
  const Circle circle = surface_circle(m);
  for (int32_t i = 1; i <= work.count; ++i) {
    float r1 = 0.0f;
    float r2 = 0.0f;
    reinforcement_components(m, circle, i, r1, r2);
    prepare_surface_slice(m, i, r1, r2, work.slice[i]);
  }
  work.surface_prepared = true;
}

}  // namespace

void prepare_slices(ProblemModel& m, float theta, float fos, SpencerSlices& work,
                    float& misleading_limit) {
  work.count = std::clamp(m.slices.slice_count, 0, kMaxSlices);
  if (!work.surface_prepared) prepare_surface(m, work);
  const float tan_theta = exact::tan(theta);
  RepeatMemo<SideForceAngle> angles;
  work.coupling_limit = 0.0f;
  for (int32_t i = 1; i <= work.count; ++i) {
    prepare_angle_slice(m, i, tan_theta, fos, angles, work.slice[i], work.coupling_limit);
  }
  misleading_limit = std::max(misleading_limit, work.coupling_limit);
  for (int32_t i = 2; i <= work.count; ++i) {
    prepare_left_side(m.slices, i, work.slice[i - 1], work.slice[i]);
  }
}

bool sweep_slices(const ProblemModel& m, SpencerSlices& work, float fos, SpencerSweep& sweep) {
  const SliceTable& s = m.slices;
  const int32_t n = work.count;
  if (n < 1 || fos == 0.0f || !std::isfinite(fos)) return false;
  float last_moment = 0.0f;  // MN
  for (int32_t i = 1; i <= n; ++i) {
    SpencerSlice& w = work.slice[i];
    const float b = s.width[i];
    const float y_base = s.y_base[i];
    const float m_theta = w.cos_d * (1.0f + w.coupling / fos);
    if (m_theta == 0.0f || !std::isfinite(m_theta)) return false;
    float increment = (w.resisting / fos + w.tangential) / m_theta;
    float mobilised = (w.cohesion_force + w.tan_phi * (w.known_normal - w.sin_d * increment)) / fos;
    if (mobilised < 0.0f) {
      w.resisting = 0.0f;  // for the rest of this angle
      increment = w.tangential / m_theta;
    }
    float e;
    float y_thrust;
    if (i == 1) {
      e = increment;
      y_thrust = e == 0.0f ? y_base : y_base + 0.5f * b * w.tan_theta;
    } else {
      const SpencerSlice& left = work.slice[i - 1];
      const float e_left = sweep.side_force[i - 1];
      const float h = sweep.thrust_y[i - 1] - y_base;
      e = increment + e_left * w.cos_dl * (1.0f + w.tan_dl * w.tan_phi / fos) / m_theta;
      const float left_moment = 0.5f * b * left.sin_theta + left.cos_theta * h;
      y_thrust = e == 0.0f ? y_base
                           : y_base + (0.5f * b * e * w.sin_theta + e_left * left_moment) /
                                          (w.cos_theta * e);
      if (i == n) last_moment = left_moment * e_left;
    }
    if (!std::isfinite(e) || !std::isfinite(y_thrust)) return false;
    sweep.side_force[i] = e;
    sweep.thrust_y[i] = y_thrust;
  }

  // A water-filled tension crack at the right end of the sliding mass.
  const SpencerSlice& last = work.slice[n];
  const int32_t soil = s.base_soil[n];
  const bool soil_known = soil >= 1 && soil <= kMaxSoils;
  const float ru = soil_known ? m.soil_pore_pressure_ratio[soil] : 0.0f;
  const float gamma = soil_known ? m.soil_total_unit_weight[soil] : 0.0f;
  const float height = s.height[n];
  const float z = tension_crack_depth(last.cohesion, last.tan_phi, ru, gamma, fos, height);
  const float water = crack_water_force(z);
  sweep.force_residual = sweep.side_force[n] - water;
  sweep.moment_residual = last_moment - (height - 2.0f * z / 3.0f) * water;
  return std::isfinite(sweep.force_residual) && std::isfinite(sweep.moment_residual);
}

void restore_resisting(SpencerSlices& work) {
  for (int32_t i = 1; i <= work.count; ++i)
    work.slice[i].resisting = work.slice[i].resisting_prepared;
}

bool m_theta_positive(const SpencerSlices& work, float fos) {
  for (int32_t i = 1; i <= work.count; ++i) {
    const SpencerSlice& w = work.slice[i];
    if (!(w.cos_d * (1.0f + w.coupling / fos) > 0.0f)) return false;
  }
  return true;
}

void fill_thrust_line(ProblemModel& m, const SpencerSweep& sweep) {
  const SliceTable& s = m.slices;
  ThrustLine& t = m.thrust;
  const int32_t n = std::clamp(s.slice_count, 0, kMaxSlices);
  for (int32_t i = 1; i <= n; ++i) {
    const float b = s.width[i];
    const float tan_a = exact::tan(s.alpha[i]);
    t.thrust_x[i] = s.x_mid[i] + 0.5f * b;
    t.side_height[i] = s.height[i] + (exact::tan(s.beta[i]) - tan_a) * 0.5f * b;
    if (i == n) {
      // The last side is the surface's right end, where no side force acts.
      t.thrust_y[i] = s.y_edge[n + 1];
      t.thrust_ratio[i] = 0.0f;
      t.side_force[i] = 0.0f;
      continue;
    }
    t.thrust_y[i] = sweep.thrust_y[i];
    t.thrust_ratio[i] = t.side_height[i] == 0.0f
                            ? 0.0f
                            : (t.thrust_y[i] - (s.y_base[i] + tan_a * 0.5f * b)) / t.side_height[i];
    t.side_force[i] = sweep.side_force[i];
  }
}

}  // namespace scarpex
