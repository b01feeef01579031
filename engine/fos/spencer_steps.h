// The small rules of Spencer's method: the side-force function, the tension crack, the trial
// factors of the inner iteration and the update of the side-force angle.
#pragma once

#include <cstdint>

namespace scarpex {

// Side-force function of slice i of n: 1 over the first 80 percent of the slices, then falling
// linearly to 0 at the last slice.
float side_force_function(int32_t i, int32_t n);

// Depth of a water-filled tension crack at the right end of the sliding mass, limited to the
// height of the last slice; 0 without cohesion.
float tension_crack_depth(float cohesion, float tan_phi, float pore_pressure_ratio,
                          float unit_weight, float fos, float height);

// Water force in a crack of depth z. The factor is half the unit weight of water in pounds per
// cubic foot, whatever the unit system.
float crack_water_force(float depth);

// The second trial of the inner iteration, from the first trial and the signs of its residuals.
float second_trial_factor(float first, float force_residual, float moment_residual);

struct SecantRoot {
  float value = 0.0f;
  bool found = false;  // false when the line through the points never reaches 0
};

// Where the straight line through (f_a, r_a) and (f_b, r_b) reaches 0, f_b being the current
// trial. Trials closer than the tolerance give their mean; a root of exactly 0 is replaced
// by the current trial.
SecantRoot secant_root(float f_a, float r_a, float f_b, float r_b, float tolerance);

// The next side-force angle from the last two angles and the estimate theta_star, all radians.
float next_theta(float theta_previous, float theta_current, float theta_star);

}  // namespace scarpex
