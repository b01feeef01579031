// Shear strength at the base of a slice: the soil's isotropic values, varied with depth
// between two reference elevations, and selected by base inclination for anisotropic soils.
#pragma once

#include <cstdint>

#include "fos/repeat_memo.h"
#include "model/problem_model.h"

namespace scarpex {

struct BaseStrength {
  float cohesion = 0.0f;
  float friction_angle = 0.0f;  // degrees
  float tan_phi = 0.0f;
};

// `soil` is the slice's base soil, `y_base` its base elevation and `alpha` its base
// inclination in radians. A loop over slices passes one `tangent` memo for all of them.
BaseStrength base_strength(const ProblemModel& m, int32_t soil, float y_base, float alpha,
                           RepeatMemo<>* tangent = nullptr);

}  // namespace scarpex
