#include "fos/spencer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <vector>

#include "core/fortran_format.h"
#include "fos/method_reports.h"
#include "fos/spencer_inner.h"
#include "fos/spencer_reports.h"
#include "fos/spencer_roots.h"
#include "fos/spencer_slices.h"
#include "fos/spencer_steps.h"
#include "model/geometry.h"
#include "output/thrust_output.h"

namespace scarpex {

namespace {

// The completed outer iterations, one entry each. Their number is bounded by the outer limit of
// the header, which is the user's choice, so they are not a fixed table; the usual few stay in
// place, and only an unusually long iteration moves them to the heap.
class OuterSteps {
 public:
  void push_back(const SpencerOuterStep& step) {
    if (count_ < kInPlace) {
      in_place_[count_++] = step;
      return;
    }
    if (heap_.empty()) heap_.assign(in_place_.begin(), in_place_.end());
    heap_.push_back(step);
    ++count_;
  }
  std::size_t size() const { return count_; }
  const SpencerOuterStep& operator[](std::size_t i) const { return all()[i]; }
  operator std::span<const SpencerOuterStep>() const { return all(); }  // NOLINT: a view

 private:
  static constexpr std::size_t kInPlace = 8;
  std::span<const SpencerOuterStep> all() const {
    if (!heap_.empty()) return heap_;
    return std::span<const SpencerOuterStep>(in_place_.data(), count_);
  }
  std::array<SpencerOuterStep, kInPlace> in_place_{};
  std::vector<SpencerOuterStep> heap_;
  std::size_t count_ = 0;
};

// The working state of one call.
struct SpencerRun {
  explicit SpencerRun(Engine& engine) : e(engine), m(engine.model) {}

  Engine& e;
  ProblemModel& m;
  SpencerSlices work;
  SpencerSweep sweep;
  SpencerSweep check_sweep;  // for judging a converged root, which leaves `sweep` as it is
  OuterSteps steps;
  float misleading_limit = 0.0f;  // L: only grows during the call
  float theta = 0.0f;             // theta(k), radians
  float start_fos = 0.0f;         // F(1) of the current outer iteration
  float method_fos = 0.0f;        // the Modified Bishop or Janbu factor the call started from

  bool report_switch() const { return m.report_switch() == 1; }
  float degrees(float radians) const { return radians / m.deg_to_rad; }
};

// Local non-convergence: no inner result for the current angle. The factor of safety stored is
// F(1) of the current outer iteration (the last line estimate, or the starting factor before
// there is one), so that a finite value always stands in slot 0; the surface is discarded by
// the search or ends the run after EXECUT. The trace line names the inner iteration limit,
// however early the iteration had to stop.
void fail_locally(SpencerRun& run) {
  ProblemModel& m = run.m;
  m.list[0].fos = run.start_fos;
  write_local_nonconvergence(run.e, m.solver_int_controls[3]);
  m.stop_code = kSpencerLocalFailed;
  m.solution_status = kNotConverged;
  if (run.start_fos <= run.misleading_limit && run.report_switch()) {
    write_spencer_misleading_listing(run.e, run.start_fos, run.degrees(run.theta));
  }
}

// Outer non-convergence after `iterations` outer iterations. The factor of safety is the last
// line estimate F*, or F(1) when no estimate was made (an outer limit of 0 or 1).
void fail_outer(SpencerRun& run, int32_t iterations) {
  ProblemModel& m = run.m;
  write_outer_nonconvergence(run.e, iterations);
  m.list[0].fos = run.start_fos;
  m.stop_code = kSpencerOuterFailed;
  m.solution_status = kNotConverged;
  if (!run.report_switch()) return;
  write_theta_table(run.e, run.steps);
  if (m.search_active == 1) {
    write_surface_listing(m, run.e.report);
    write_surface_listing(m, run.e.console);
  }
}

// The final pass of a converged specified surface: the interslice forces and the line of
// thrust recomputed with the result, and the line of thrust reported.
void final_pass(SpencerRun& run, float fos, float theta_degrees) {
  ProblemModel& m = run.m;
  // A converged factor of 0 would divide by zero; the line of the last sweep then stands.
  if (fos != 0.0f && std::isfinite(fos)) {
    prepare_slices(m, theta_degrees * m.deg_to_rad, fos, run.work, run.misleading_limit);
    if (sweep_slices(m, run.work, fos, run.sweep)) fill_thrust_line(m, run.sweep);
  }
  if (!run.report_switch()) return;
  write_thrust_rows(run.e);
  write_lot_record(run.e, m.slices, m.thrust, 0.0f);
}

// Records the angles of the search for a physical root as further outer iterations.
class RetraceSteps final : public SpencerRootRecorder {
 public:
  explicit RetraceSteps(SpencerRun& run) : run_(run) {}
  void record(const SpencerOuterStep& step) override {
    run_.steps.push_back(step);
    write_outer_trace_line(run_.e, static_cast<int32_t>(run_.steps.size()), step);
  }

 private:
  SpencerRun& run_;
};

void converge(SpencerRun& run, const SpencerOuterStep& step, int32_t kind) {
  ProblemModel& m = run.m;
  const float fos = (step.force_fos + step.moment_fos) / 2.0f;
  const float theta_degrees = run.degrees(step.theta);
  write_free_line(run.e.status, {kind == 1 ? "    1     CONVERGENCE SPENCER 1"
                                           : "    1     CONVERGENCE SPENCER 2"});
  write_free_line(run.e.trace);
  m.solution_status = kConverged;
  m.list[0].fos = fos;
  m.list[0].theta = theta_degrees;
  m.list[0].moment_fos = step.moment_fos;
  m.spencer_theta_plot = theta_degrees;
  fill_thrust_line(m, run.sweep);

  const bool misleading = fos <= run.misleading_limit;
  if (m.search_active == 1) {
    if (misleading && run.report_switch()) {
      write_spencer_misleading_listing(run.e, fos, theta_degrees);
    }
    return;
  }
  if (run.report_switch()) {
    write_theta_table(run.e, run.steps);
    write_specified_summary(run.e, fos, theta_degrees, misleading);
  }
  if (misleading) return;
  final_pass(run, fos, theta_degrees);
}

// A negative factor of safety that no search for the physical root could replace. Theta and Fm
// of slot 0 stay as they were, as after a non-convergence. There is no line of thrust: the
// slice tables of a specified surface show an empty one rather than an earlier surface's.
void fail_negative(SpencerRun& run, float fos) {
  run.m.list[0].fos = fos;
  run.m.thrust = ThrustLine{};
  report_negative_factor(run.e);
}

// The outer iteration has converged: a physical root is reported as it stands. Any other root
// is replaced by the physical one where a search from the start factor finds it; otherwise a
// negative factor is reported as negative and a positive one as no convergence, so that no
// spurious root is listed or reported as the factor of safety.
void settle(SpencerRun& run, const SpencerOuterStep& step, int32_t kind) {
  ProblemModel& m = run.m;
  RootVerdict verdict = judge_root(m, run.work, run.check_sweep, step, run.method_fos);
  if (verdict == RootVerdict::kPhysical) {
    converge(run, step, kind);
    return;
  }
  RetraceSteps recorder(run);
  std::optional<SpencerOuterStep> root =
      seek_physical_root(m, run.work, run.sweep, run.method_fos, m.spencer_agreement_tolerance(),
                         m.spencer_outer_limit(), recorder);
  if (root &&
      judge_root(m, run.work, run.check_sweep, *root, run.method_fos) == RootVerdict::kPhysical) {
    // A fresh solve: the limit of the angles that led astray says nothing about this root.
    run.misleading_limit = run.work.coupling_limit;
    converge(run, *root, 1);
    return;
  }
  const float fos = (step.force_fos + step.moment_fos) / 2.0f;
  if (verdict == RootVerdict::kNegative) {
    fail_negative(run, fos);
  } else {
    fail_outer(run, static_cast<int32_t>(run.steps.size()));
  }
}

// The estimate where the lines Fm(theta) and Ff(theta) through the last two iterations meet.
// False when they are parallel (or both vertical, for two equal angles): no further angle
// can then be derived from them.
bool line_estimate(const SpencerOuterStep& a, const SpencerOuterStep& b, float& theta_star,
                   float& fos_star) {
  // The primitive leaves the point unwritten for parallel lines; otherwise it writes where
  // the lines meet, inside the two segments or beyond them.
  const float unwritten = std::numeric_limits<float>::quiet_NaN();
  float x = unwritten;
  float y = unwritten;
  int32_t found = 0;
  intersect_segments(a.theta, a.moment_fos, b.theta, b.moment_fos, a.theta, a.force_fos, b.theta,
                     b.force_fos, x, y, found);
  if (!std::isfinite(x) || !std::isfinite(y)) return false;
  theta_star = std::max(x, 0.0f);
  fos_star = y;
  return true;
}

}  // namespace

void spencer_fos(Engine& e) {
  SpencerRun run(e);
  ProblemModel& m = run.m;
  const int32_t outer_limit = m.spencer_outer_limit();
  const float agreement = m.spencer_agreement_tolerance();
  run.theta = m.spencer_value * 0.5f * m.deg_to_rad;
  run.start_fos = m.list[0].fos;
  run.method_fos = run.start_fos;

  float previous_theta_star = 0.0f;
  float previous_fos_star = 0.0f;
  for (int32_t k = 1; k <= outer_limit; ++k) {
    // A surface without slices, or a starting factor that cannot be divided by, has no sweep.
    if (m.slices.slice_count < 1 || m.slices.slice_count > kMaxSlices || run.start_fos == 0.0f ||
        !std::isfinite(run.start_fos)) {
      fail_locally(run);
      return;
    }
    prepare_slices(m, run.theta, run.start_fos, run.work, run.misleading_limit);
    InnerResult inner = run_inner_iteration(m, run.work, run.start_fos, run.sweep);
    if (!inner.converged) {
      fail_locally(run);
      return;
    }
    SpencerOuterStep step{run.theta, inner.moment_fos, inner.force_fos};
    run.steps.push_back(step);
    write_outer_trace_line(e, k, step);
    if (agreement > std::fabs(step.moment_fos - step.force_fos)) {
      settle(run, step, 1);
      return;
    }
    if (k == 1) {
      run.theta = 1.5f * run.theta;
      continue;
    }
    const SpencerOuterStep& before = run.steps[run.steps.size() - 2];
    float theta_star = 0.0f;
    float fos_star = 0.0f;
    if (!line_estimate(before, step, theta_star, fos_star)) {
      fail_outer(run, k);
      return;
    }
    if (k >= 3 && std::fabs(fos_star - previous_fos_star) < agreement &&
        std::fabs(theta_star - previous_theta_star) < agreement) {
      settle(run, step, 2);
      return;
    }
    previous_theta_star = theta_star;
    previous_fos_star = fos_star;
    run.theta = next_theta(before.theta, step.theta, theta_star);
    run.start_fos = fos_star;
  }
  fail_outer(run, std::max(outer_limit, 0));
}

}  // namespace scarpex
