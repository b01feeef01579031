#include "fos/base_strength.h"

#include <algorithm>
#include <cmath>

#include "model/exact_math.h"

namespace scarpex {

namespace {

// Between the reference elevations y1 (upper) and y2 (lower) the strength goes linearly
// from (c, phi) to (c2, phi2); above y1 it is (c, phi), below y2 (c2, phi2).
void vary_with_depth(float y, float y1, float y2, float c2, float phi2, float& c, float& phi) {
  if (y >= y1) return;
  if (y2 >= y) {
    c = c2;
    phi = phi2;
    return;
  }
  float t = (y - y1) / (y2 - y1);
  phi = phi + (phi2 - phi) * t;
  c = c + (c2 - c) * t;
}

// Range of a direction table selected by alpha: range 1 below the first limit (or at it,
// when `first_inclusive`), range k+1 for limit k <= alpha < limit k+1; 0 when none.
int32_t select_range(const Table<float, kMaxAnisoRanges>& limits, int32_t count, float alpha,
                     bool first_inclusive) {
  count = std::clamp(count, 0, kMaxAnisoRanges);
  if (count == 0) return 0;
  if (alpha < limits[1] || (first_inclusive && alpha == limits[1])) return 1;
  for (int32_t k = 1; k < count; ++k) {
    if (limits[k] <= alpha && alpha < limits[k + 1]) return k + 1;
  }
  return 0;
}

}  // namespace

BaseStrength base_strength(const ProblemModel& m, int32_t soil, float y_base, float alpha,
                           RepeatMemo<>* tangent) {
  BaseStrength strength;
  if (soil < 1 || soil > kMaxSoils) return strength;  // never read outside the soil table
  float c = m.soil_cohesion[soil];
  float phi = m.soil_friction_angle[soil];
  bool varies = m.soil_depth_variation[soil] > 0;
  float y1 = m.soil_y_ref_1[soil];
  float y2 = m.soil_y_ref_2[soil];
  if (varies) {
    vary_with_depth(y_base, y1, y2, m.soil_cohesion_2[soil], m.soil_friction_angle_2[soil], c, phi);
  }
  if (m.aniso_active != 0 && m.aniso_count > 0) {
    int32_t entries = std::min(m.aniso_count, kMaxAnisoEntries);
    for (int32_t i = 1; i <= entries; ++i) {
      if (m.aniso_soil[i] != soil) continue;
      if (m.aniso_bottom_given[i] <= 0) {
        int32_t k = select_range(m.aniso_direction[i], m.aniso_range_count[i], alpha, false);
        if (k == 0) continue;
        c = m.aniso_cohesion[i][k];
        phi = m.aniso_friction[i][k];
        break;
      }
      // A table pair for the two reference elevations. An inclination at or beyond a table's
      // last limit takes the last range.
      int32_t top_count = std::clamp(m.aniso_range_count[i], 1, kMaxAnisoRanges);
      int32_t bottom_count = std::clamp(m.aniso_bottom_range_count[i], 1, kMaxAnisoRanges);
      int32_t top = select_range(m.aniso_direction[i], top_count, alpha, true);
      int32_t bottom = select_range(m.aniso_bottom_direction[i], bottom_count, alpha, true);
      if (top == 0) top = top_count;
      if (bottom == 0) bottom = bottom_count;
      if (!varies) continue;
      c = m.aniso_cohesion[i][top];
      phi = m.aniso_friction[i][top];
      vary_with_depth(y_base, y1, y2, m.aniso_bottom_cohesion[i][bottom],
                      m.aniso_bottom_friction[i][bottom], c, phi);
    }
  }
  strength.cohesion = c;
  strength.friction_angle = phi;
  const float radians = phi * m.deg_to_rad;
  auto tan = [](float a) { return exact::tan(a); };
  strength.tan_phi = tangent != nullptr ? (*tangent)(radians, tan) : tan(radians);
  return strength;
}

}  // namespace scarpex
