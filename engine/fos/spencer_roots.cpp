#include "fos/spencer_roots.h"

#include <cmath>

#include "fos/spencer_inner.h"
#include "model/constants.h"

namespace scarpex {

namespace {

constexpr float kLowestShareOfStart = 0.5f;
constexpr float kScanStepDegrees = 2.5f;
constexpr float kScanLastDegrees = 60.0f;
// How far beyond the converged factors the residuals are looked at: a share of the factor, or
// a number of convergence tolerances when that is more.
constexpr float kBalanceMargin = 0.01f;
constexpr float kBalanceMarginTolerances = 2.0f;

// One angle of the search: the two factors, and whether they can belong to a physical root.
struct AngleProbe {
  SpencerOuterStep step;
  bool admissible = false;
  float gap() const { return step.moment_fos - step.force_fos; }
};

bool admissible_factor(float fos, const SpencerSlices& work, float start_factor) {
  if (!(fos > 0.0f) || !m_theta_positive(work, fos)) return false;
  return !(start_factor > 0.0f) || fos >= kLowestShareOfStart * start_factor;
}

// Sign of the residuals a little below and a little above the converged factors: each balance
// closes where its residual changes sign. Each sweep starts with every resisting term switched
// on, as a sweep at that factor alone would.
bool balances_close(const ProblemModel& m, SpencerSlices& work, SpencerSweep& scratch,
                    const SpencerOuterStep& step, float tolerance) {
  const float low = std::fmin(step.force_fos, step.moment_fos);
  const float high = std::fmax(step.force_fos, step.moment_fos);
  const float below = low - std::fmax(kBalanceMargin * low, kBalanceMarginTolerances * tolerance);
  const float above = high + std::fmax(kBalanceMargin * high, kBalanceMarginTolerances * tolerance);
  if (!(below > 0.0f) || !m_theta_positive(work, below)) return false;
  restore_resisting(work);
  const bool swept_below = sweep_slices(m, work, below, scratch);
  const float force_below = scratch.force_residual;
  const float moment_below = scratch.moment_residual;
  restore_resisting(work);
  const bool swept_above = swept_below && sweep_slices(m, work, above, scratch);
  restore_resisting(work);
  if (!swept_above) return false;
  return (force_below < 0.0f) != (scratch.force_residual < 0.0f) &&
         (moment_below < 0.0f) != (scratch.moment_residual < 0.0f);
}

class RootSeeker {
 public:
  RootSeeker(ProblemModel& m, SpencerSlices& work, SpencerSweep& sweep, float start_factor,
             float agreement, SpencerRootRecorder& recorder)
      : m_(m),
        work_(work),
        sweep_(sweep),
        start_(start_factor),
        agreement_(agreement),
        recorder_(recorder) {}

  // The inner iteration at `theta` from the start factor, on slices prepared afresh (so that no
  // resisting term switched off at an earlier angle stays off).
  AngleProbe probe(float theta) {
    float unused_limit = 0.0f;
    prepare_slices(m_, theta, start_, work_, unused_limit);
    InnerResult inner = run_inner_iteration(m_, work_, start_, sweep_);
    AngleProbe p;
    p.step = SpencerOuterStep{theta, inner.moment_fos, inner.force_fos};
    p.admissible = inner.converged && admissible_factor(inner.moment_fos, work_, start_) &&
                   admissible_factor(inner.force_fos, work_, start_);
    recorder_.record(p.step);
    return p;
  }

  bool agrees(const AngleProbe& p) const { return p.admissible && agreement_ > std::fabs(p.gap()); }

  // The first pair of neighbouring admissible angles, from 0 up, whose gaps differ in sign;
  // a single angle when its factors already agree.
  bool bracket(AngleProbe& low, AngleProbe& high) {
    const int32_t steps = static_cast<int32_t>(kScanLastDegrees / kScanStepDegrees);
    AngleProbe previous;
    for (int32_t j = 0; j <= steps; ++j) {
      AngleProbe current = probe(static_cast<float>(j) * kScanStepDegrees * kDegToRad);
      if (agrees(current)) {
        low = high = current;
        return true;
      }
      if (current.admissible && previous.admissible &&
          (previous.gap() < 0.0f) != (current.gap() < 0.0f)) {
        low = previous;
        high = current;
        return true;
      }
      previous = current;
    }
    return false;
  }

  // Illinois false position between two angles whose gaps differ in sign; an angle that falls
  // outside the bracket or is not admissible is replaced by the bracket's middle.
  std::optional<SpencerOuterStep> refine(AngleProbe a, AngleProbe b, int32_t limit) {
    float gap_a = a.gap();
    for (int32_t step = 1; step <= limit; ++step) {
      float gap_b = b.gap();
      float theta = (a.step.theta * gap_b - b.step.theta * gap_a) / (gap_b - gap_a);
      float low = std::fmin(a.step.theta, b.step.theta);
      float high = std::fmax(a.step.theta, b.step.theta);
      float middle = 0.5f * (a.step.theta + b.step.theta);
      if (!(theta > low && theta < high)) theta = middle;
      AngleProbe c = probe(theta);
      if (!c.admissible && theta != middle) c = probe(middle);
      if (!c.admissible) return std::nullopt;
      if (agrees(c)) return c.step;
      if ((c.gap() < 0.0f) != (gap_b < 0.0f)) {
        a = b;
        gap_a = gap_b;
      } else {
        gap_a *= 0.5f;
      }
      b = c;
    }
    return std::nullopt;
  }

 private:
  ProblemModel& m_;
  SpencerSlices& work_;
  SpencerSweep& sweep_;
  float start_;
  float agreement_;
  SpencerRootRecorder& recorder_;
};

}  // namespace

RootVerdict judge_root(const ProblemModel& m, SpencerSlices& work, SpencerSweep& scratch,
                       const SpencerOuterStep& step, float start_factor) {
  const float fos = (step.force_fos + step.moment_fos) / 2.0f;
  if (fos <= 0.0f) return RootVerdict::kNegative;
  if (!admissible_factor(fos, work, start_factor)) return RootVerdict::kSpurious;
  const float tolerance = std::fmax(m.spencer_force_tolerance(), m.spencer_moment_tolerance());
  if (!balances_close(m, work, scratch, step, tolerance)) return RootVerdict::kSpurious;
  return RootVerdict::kPhysical;
}

std::optional<SpencerOuterStep> seek_physical_root(ProblemModel& m, SpencerSlices& work,
                                                   SpencerSweep& sweep, float start_factor,
                                                   float agreement, int32_t refinement_limit,
                                                   SpencerRootRecorder& recorder) {
  // Without a usable start there is nothing to start the inner iterations from.
  if (!(start_factor > 0.0f) || !std::isfinite(start_factor)) return std::nullopt;
  RootSeeker seeker(m, work, sweep, start_factor, agreement, recorder);
  AngleProbe low, high;
  if (!seeker.bracket(low, high)) return std::nullopt;
  if (seeker.agrees(high)) return high.step;
  return seeker.refine(low, high, refinement_limit);
}

}  // namespace scarpex
