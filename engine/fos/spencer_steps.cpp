#include "fos/spencer_steps.h"

#include <algorithm>
#include <cmath>

#include "model/exact_math.h"

namespace scarpex {

float side_force_function(int32_t i, int32_t n) {
  float slices = static_cast<float>(n);
  if (static_cast<float>(i) <= 0.8f * slices) return 1.0f;
  return static_cast<float>(n - i) / (0.2f * slices);
}

float tension_crack_depth(float cohesion, float tan_phi, float pore_pressure_ratio,
                          float unit_weight, float fos, float height) {
  if (cohesion == 0.0f) return 0.0f;
  float phi_mobilised = exact::atan(tan_phi / fos);
  float s = exact::sin(phi_mobilised);
  float depth = 2.0f * cohesion / ((1.0f - pore_pressure_ratio) * unit_weight * fos) *
                std::sqrt((1.0f + s) / (1.0f - s));
  // No weight to close the crack (ru of 1, a weightless soil) or a fully mobilised friction
  // angle: the crack has no bound and runs through the whole last slice.
  if (!std::isfinite(depth)) return height;
  return std::min(depth, height);
}

float crack_water_force(float depth) {
  return 31.2f * (depth * depth);
}

float second_trial_factor(float first, float force_residual, float moment_residual) {
  if (force_residual >= 0.0f) return first * (moment_residual >= 0.0f ? 1.05f : 0.98f);
  return first * (moment_residual >= 0.0f ? 1.02f : 0.95f);
}

SecantRoot secant_root(float f_a, float r_a, float f_b, float r_b, float tolerance) {
  SecantRoot root;
  if (std::fabs(f_a - f_b) < tolerance) {
    root.value = (f_a + f_b) * 0.5f;
  } else {
    // Equal residuals: the line is level and has no root.
    if (r_b == r_a) return root;
    root.value = f_b - r_b * (f_b - f_a) / (r_b - r_a);
  }
  if (!std::isfinite(root.value)) return root;
  if (root.value == 0.0f) root.value = f_b;
  root.found = true;
  return root;
}

float next_theta(float theta_previous, float theta_current, float theta_star) {
  float t = theta_current;
  if (theta_star >= theta_current) {
    t = theta_star + (theta_star - theta_current) / 3.0f;
    t = std::min(t, 1.5f * theta_current);
  }
  if (theta_star <= theta_previous) t = theta_star - (theta_previous - theta_star) / 3.0f;
  t = std::max(t, 0.0f);
  if (theta_previous <= theta_star && theta_star <= theta_current) {
    if (theta_star - theta_previous > theta_current - theta_star) {
      t = theta_star - (theta_current - theta_star) / 3.0f;
    } else {
      t = theta_star + (theta_star - theta_previous) / 3.0f;
    }
  }
  return t;
}

}  // namespace scarpex
