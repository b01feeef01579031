#include "fos/bishop_janbu.h"

#include <algorithm>
#include <cmath>

#include "core/fortran_format.h"
#include "fos/base_strength.h"
#include "fos/bishop_outcomes.h"
#include "fos/repeat_memo.h"
#include "model/exact_math.h"

namespace scarpex {

namespace {

// Per-slice working values of one call. Slices 1 to the slice count are written before they
// are read and the rest are never touched, so the tables are left unfilled: a search trial need
// not clear 2,000 entries it never uses.
struct SliceTerms {
  Table<float, kMaxSlices> cos_a, sin_a, tan_a, tan_phi, cohesion;
  Table<float, kMaxSlices> resisting, driving, coupling;
  Table<float, kMaxSlices> normal_load, pore_pressure;  // V and u of the base stresses
};

// Trigonometry that neighbouring slices share: the friction angle of one soil, the slope of
// one ground segment, the angle of one load.
struct SharedAngles {
  RepeatMemo<> tan_phi;
  RepeatMemo<CosSin> beta;
  RepeatMemo<CosSin> load;
};

// How the reinforcement moment enters the iteration (header controls 4 and 5).
enum class Reinforcement { kNone, kDrivingSide, kResistingSide };

struct Setup {
  bool bishop = false;
  int32_t slices = 0;
  bool circle = false;  // false: no usable radius (taken as infinite)
  float radius = 0.0f;
  Reinforcement reinforcement = Reinforcement::kNone;
  bool scaled = false;  // the reinforcement term is divided by the current F
  float moment = 0.0f;  // Mr
};

// A surface whose three defining points are collinear has no circle: its radius is
// taken as infinite, so that the terms divided by R vanish.
bool radius_usable(float r) {
  return std::isfinite(r) && r > 0.0f;
}

Setup make_setup(const ProblemModel& m) {
  Setup s;
  s.bishop = m.bishop_method == 1;
  s.slices = std::clamp(m.slices.slice_count, 0, kMaxSlices);
  s.radius = m.circle_radius;
  s.circle = radius_usable(s.radius);
  if (m.reinf_given == 1) {
    s.reinforcement =
        m.reinf_placement() == 0 ? Reinforcement::kDrivingSide : Reinforcement::kResistingSide;
    s.scaled = m.reinf_scaling() == 1;
    s.moment = m.reinforcement_moment;
  }
  return s;
}

// H / R and the like, with an infinite radius when there is no circle.
float over_radius(const Setup& s, float v) {
  return s.circle ? v / s.radius : 0.0f;
}

void prepare_slice(const ProblemModel& m, const Setup& s, int32_t i, SliceTerms& w,
                   SharedAngles& shared) {
  const SliceTable& t = m.slices;
  BaseStrength strength =
      base_strength(m, t.base_soil[i], t.y_base[i], t.alpha[i], &shared.tan_phi);
  float kh = m.earthquake_kh;
  float kv = m.earthquake_kv;
  float c = strength.cohesion;
  float tp = strength.tan_phi;
  float ca = exact::cos(t.alpha[i]);
  float sa = exact::sin(t.alpha[i]);
  float ta = exact::tan(t.alpha[i]);
  const CosSin beta = shared.beta(t.beta[i], cos_sin);
  const CosSin load = shared.load(t.load_angle[i], cos_sin);
  float cb = beta.cos, sb = beta.sin;
  float cd = load.cos, sd = load.sin;
  float b = t.width[i], W = t.weight[i], Q = t.load_force[i];
  float U = t.base_water_force[i], Ut = t.top_water_force[i];
  float Tn = t.tie_normal_force[i], Tt = t.tie_shear_force[i];
  if (s.bishop) {
    w.resisting[i] =
        (c * b + tp * ((1.0f - kv) * W - Tt * sa + Q * cd + Ut * cb + (Tn - U) * ca)) / ca;
    w.driving[i] = ((1.0f - kv) * W + Ut * cb + Q * cd) * sa -
                   (Ut * sb + Q * sd) * (ca - over_radius(s, t.height[i])) +
                   kh * W * (ca - over_radius(s, t.centroid_height[i])) - Tt;
  } else {
    w.resisting[i] =
        (c * b + tp * ((1.0f - kv) * W + Q * cd + Ut * cb + (Tn - U) * ca)) / (ca * ca);
    w.driving[i] = W * ((1.0f - kv) * ta + kh) + Ut * (ta * cb - sb) + Q * (ta * cd - sd) - Tt / ca;
  }
  w.coupling[i] = ta * tp;
  w.cos_a[i] = ca;
  w.sin_a[i] = sa;
  w.tan_a[i] = ta;
  w.tan_phi[i] = tp;
  w.cohesion[i] = c;
  w.normal_load[i] = (1.0f - kv) * W - Tt * sa + Q * cd + Ut * cb + (Tn - U) * ca;
  w.pore_pressure[i] = U * ca / b;
}

// m / F, which is 0 for a frictionless or level base whatever F is.
float coupling_over(float m, float f) {
  return m == 0.0f ? 0.0f : m / f;
}

void write_base_stresses(ProblemModel& m, const Setup& s, const SliceTerms& w, int32_t i, float f) {
  SliceTable& t = m.slices;
  float c = w.cohesion[i], tp = w.tan_phi[i], ca = w.cos_a[i], sa = w.sin_a[i];
  float b = t.width[i], U = t.base_water_force[i], V = w.normal_load[i];
  float u = w.pore_pressure[i];
  t.base_pore_pressure[i] = u;
  if (s.bishop) {
    float sigma = (V - (c * b * w.tan_a[i] - U * tp * sa) / f) * ca / ((ca + sa * tp / f) * b);
    float effective = sigma - u;
    t.base_total_stress[i] = sigma;
    t.base_effective_stress[i] = effective;
    t.base_shear_stress[i] = c + effective * tp / f;
  } else {
    float s0 = V * ca / b;
    float tau = c + tp * s0 / (f * (1.0f + coupling_over(w.coupling[i], f)));
    float effective = s0 - tau * tp;
    t.base_shear_stress[i] = tau;
    t.base_effective_stress[i] = effective;
    t.base_total_stress[i] = effective + u;
  }
}

// Sum of the resisting terms for F; negative terms are set to 0 for good.
float resisting_sum(const Setup& s, SliceTerms& w, float f) {
  float sum = 0.0f;
  for (int32_t i = 1; i <= s.slices; ++i) {
    w.resisting[i] = std::max(w.resisting[i], 0.0f);
    if (w.resisting[i] != 0.0f) sum += w.resisting[i] / (1.0f + coupling_over(w.coupling[i], f));
  }
  return sum;
}

// The base stresses follow the last F that the sums were formed with, leaving out F = 0, where
// they are undefined (the ones before stand, or none). They depend on nothing else that the
// iteration changes, so they are written once, for that F.
void write_all_base_stresses(ProblemModel& m, const Setup& s, const SliceTerms& w, float f) {
  if (f == 0.0f) return;
  for (int32_t i = 1; i <= s.slices; ++i) write_base_stresses(m, s, w, i, f);
}

// One new value of F from the sums, by the placement of the reinforcement term.
struct Step {
  float f_new = 0.0f;
  bool negative = false;  // ends the iteration with a negative result
  float numerator = 0.0f;
  float denominator = 0.0f;
};

float reinforcement_force(const Setup& s, float f) {
  if (!s.scaled) return over_radius(s, s.moment);
  float fr = f * s.radius;
  return (!s.circle || fr == 0.0f) ? 0.0f : s.moment / fr;
}

Step next_value(const Setup& s, float f, float resisting, float driving) {
  Step step;
  step.numerator = resisting;
  step.denominator = driving;
  switch (s.reinforcement) {
    case Reinforcement::kNone:
      // Nothing drives the mass: no factor can be formed. Treated like a non-positive
      // driving sum with reinforcement: F doubles and the result counts as negative.
      if (driving == 0.0f) {
        step.f_new = 2.0f * f;
        step.negative = true;
      } else {
        step.f_new = resisting / driving;
      }
      break;
    case Reinforcement::kDrivingSide:
      step.denominator = driving - reinforcement_force(s, f);
      if (step.denominator > 0.0f) {
        step.f_new = resisting / step.denominator;
      } else if (s.scaled) {
        step.f_new = 2.0f * f;
      } else {
        // A zero denominator cannot divide; F doubles instead, still a negative result.
        step.f_new = step.denominator != 0.0f ? resisting / step.denominator : 2.0f * f;
        step.negative = true;
      }
      break;
    case Reinforcement::kResistingSide:
      step.numerator = resisting + reinforcement_force(s, f);
      if (driving > 0.0f) {
        step.f_new = step.numerator / driving;
      } else {
        step.f_new = 2.0f * f;
        step.negative = !s.scaled;
      }
      break;
  }
  return step;
}

void write_iteration_line(Engine& e, const Setup& s, int32_t k, float f, const Step& step,
                          float resisting, float driving) {
  static const FortranFormat kPlainF(
      "('  iter= ',I5,'   fos= ',F9.4,'   ferr=',1PE12.4,'   sumt= ',1PE12.4,"
      "'   sumb= ',1PE12.4)");
  static const FortranFormat kPlainE(
      "('  iter= ',I5,'   fos= ',1PE9.2,'   ferr=',1PE12.4,'   sumt= ',1PE12.4,"
      "'   sumb= ',1PE12.4)");
  static const FortranFormat kDrivingF(
      "('  iter= ',I5,'   fos= ',F9.4,'   ferr= ',1PE12.4,'   sumt= ',1PE12.4,"
      "'   sumb= ',1PE12.4,'  sumsb= ',1PE12.4,'  sumrb= ',1PE12.4)");
  static const FortranFormat kDrivingE(
      "('  iter= ',I5,'   fos= ',1PE9.2,'   ferr= ',1PE12.4,'   sumt= ',1PE12.4,"
      "'   sumb= ',1PE12.4,'  sumsb= ',1PE12.4,'  sumrb= ',1PE12.4)");
  static const FortranFormat kResistingF(
      "('  iter= ',I5,'   fos= ',F9.4,'   ferr= ',1PE12.4,'   sumt= ',1PE12.4,"
      "'  sumst= ',1PE12.4,'  sumrt= ',1PE12.4,'   sumb= ',1PE12.4)");
  static const FortranFormat kResistingE(
      "('  iter= ',I5,'   fos= ',1PE9.2,'   ferr= ',1PE12.4,'   sumt= ',1PE12.4,"
      "'  sumst= ',1PE12.4,'  sumrt= ',1PE12.4,'   sumb= ',1PE12.4)");
  float fn = step.f_new;
  bool fixed = fn >= -100.0f && fn <= 1000.0f;
  float error = std::fabs(fn - f);
  switch (s.reinforcement) {
    case Reinforcement::kNone:
      (fixed ? kPlainF : kPlainE).write(e.trace, {k, fn, error, resisting, driving});
      break;
    case Reinforcement::kDrivingSide:
      (fixed ? kDrivingF : kDrivingE)
          .write(e.trace,
                 {k, fn, error, resisting, step.denominator, driving, driving - step.denominator});
      break;
    case Reinforcement::kResistingSide:
      (fixed ? kResistingF : kResistingE)
          .write(e.trace,
                 {k, fn, error, step.numerator, resisting, step.numerator - resisting, driving});
      break;
  }
}

void clear_base_stresses(SliceTable& t) {
  t.base_total_stress.fill(0.0f);
  t.base_effective_stress.fill(0.0f);
  t.base_shear_stress.fill(0.0f);
  t.base_pore_pressure.fill(0.0f);
}

}  // namespace

void bishop_janbu_fos(Engine& e) {
  ProblemModel& m = e.model;
  Setup s = make_setup(m);
  SliceTerms w;
  SharedAngles shared;
  float driving = 0.0f;
  float limit_l = 0.0f;
  clear_base_stresses(m.slices);
  for (int32_t i = 1; i <= s.slices; ++i) {
    prepare_slice(m, s, i, w, shared);
    driving += w.driving[i];
    limit_l = std::max(limit_l, -w.coupling[i]);
  }

  static const FortranFormat kStart("('  iter= ',I5,'   fos= ',F9.4)");
  float f = 1.5f;
  kStart.write(e.trace, {0, f});

  // Without any iteration (a limit of 0 or less) the result is not converged at F' = F = 0.
  IterationResult result;
  result.misleading_limit = limit_l;
  int32_t iteration_limit = m.iteration_limit();
  float tolerance = m.fos_tolerance();
  float stress_f = 0.0f;  // the last F other than 0 that the sums were formed with
  for (int32_t k = 1; k <= iteration_limit; ++k) {
    float resisting = resisting_sum(s, w, f);
    if (f != 0.0f) stress_f = f;
    Step step = next_value(s, f, resisting, driving);
    write_iteration_line(e, s, k, f, step, resisting, driving);
    result.f_new = step.f_new;
    result.f_used = f;
    if (step.negative) {
      result.outcome = Outcome::kNegative;
      break;
    }
    if (tolerance > std::fabs(step.f_new - f)) {
      result.outcome = step.f_new < 0.0f ? Outcome::kNegative : Outcome::kConverged;
      break;
    }
    f = step.f_new;
  }
  write_all_base_stresses(m, s, w, stress_f);
  report_iteration_outcome(e, result);
}

}  // namespace scarpex
