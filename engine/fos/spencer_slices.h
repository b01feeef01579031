// The slice work of Spencer's method: preparing every slice for one side-force angle, and the
// sweep from left to right that gives the interslice forces and the line of thrust for one
// trial factor of safety.
#pragma once

#include <cstdint>

#include "model/problem_model.h"

namespace scarpex {

// Working values of one slice: those of the surface, and those of the current side-force angle.
struct SpencerSlice {
  // Of the surface alone.
  float cohesion = 0.0f, tan_phi = 0.0f;
  float cohesion_force = 0.0f;      // C
  float known_normal = 0.0f;        // N0: normal force of the known loads
  float resisting_prepared = 0.0f;  // S as prepared, before any sweep switched it off
  float tangential = 0.0f;          // T
  float effective_stress = 0.0f;    // base stresses of the known loads
  float pore_pressure = 0.0f;
  // Of the side-force angle.
  float theta = 0.0f;  // inclination of the force on the slice's right side, radians
  float sin_theta = 0.0f, cos_theta = 0.0f, tan_theta = 0.0f;
  float resisting = 0.0f;  // S; set to 0 when the mobilised shear turns negative
  float coupling = 0.0f;   // m = tan(alpha - theta) tan phi
  // Functions of the angles between the base and the side forces, which stay the same for
  // every sweep of one side-force angle: d = alpha - theta of this slice, and dl = alpha -
  // theta of the slice on its left (slices 2 onwards).
  float cos_d = 0.0f, sin_d = 0.0f, tan_d = 0.0f;
  float cos_dl = 0.0f, tan_dl = 0.0f;
};

struct SpencerSlices {
  int32_t count = 0;
  // The largest -m of the slices for the current angle (0 when none is positive): a trial
  // factor at or below it makes some slice's m-theta 0 or negative.
  float coupling_limit = 0.0f;
  Table<SpencerSlice, kMaxSlices> slice{};
  // The values of the surface alone (the reinforcement among them) are found once per surface,
  // at the first preparation.
  bool surface_prepared = false;
};

// The outcome of one sweep.
struct SpencerSweep {
  float force_residual = 0.0f;
  float moment_residual = 0.0f;
  Table<float, kMaxSlices> side_force{};  // E on the right side of each slice
  Table<float, kMaxSlices> thrust_y{};    // elevation of the line of thrust there
};

// Fills `work` for the side-force angle `theta` (radians), writes the base stresses of the
// slice table for the trial factor `fos`, and raises `misleading_limit` to the largest -m
// (which `work.coupling_limit` holds for this angle alone).
// The slice table must hold 1 to kMaxSlices slices; `work` must be new for each surface, as
// it keeps the values of the surface found at its first preparation.
void prepare_slices(ProblemModel& m, float theta, float fos, SpencerSlices& work,
                    float& misleading_limit);

// Sweeps the slices with the trial factor `fos`. False when the sweep breaks down (a trial
// of 0, a slice whose m-theta is 0, or a value that is not finite): the trial has no result.
bool sweep_slices(const ProblemModel& m, SpencerSlices& work, float fos, SpencerSweep& sweep);

// Switches the resisting term of every slice on again, as prepared for the angle.
void restore_resisting(SpencerSlices& work);

// Whether every slice's m-theta is positive for the trial factor `fos` at the angle `work` was
// prepared for, so that every base normal force of a sweep with it has a meaning.
bool m_theta_positive(const SpencerSlices& work, float fos);

// The line-of-thrust table of the model from a sweep.
void fill_thrust_line(ProblemModel& m, const SpencerSweep& sweep);

}  // namespace scarpex
