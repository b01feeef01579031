#include "search/search_driver.h"

#include <memory>

#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "model/geometry.h"
#include "output/plot_file.h"
#include "search/block_data_items.h"
#include "search/critical_list.h"
#include "search/critical_list_report.h"
#include "search/initiation_points.h"
#include "search/parallel_trials.h"
#include "search/search_data_items.h"
#include "search/trial_steps.h"

namespace scarpex {

namespace {

constexpr float kDrawingStage = 0.0f;
constexpr float kListStage = 3.0f;

// Initiation points start half the tolerance to the right of their nominal abscissa.
constexpr float kInitiationOffset = 0.0005f;
constexpr float kSlopeMarginDegrees = 5.0f;

void set_up(ProblemModel& m, SearchState& s) {
  set_unit_labels(m);
  m.block_search = m.block_search_switch == 1.0f ? 1 : 0;
  if (m.block_search == 0) {
    m.angle_90 = 90.0f * m.deg_to_rad;
    s.slope_margin = kSlopeMarginDegrees * m.deg_to_rad;
    m.angle_restricted = 0;
  } else {
    m.init_point_count = 1;
    m.failed_generation_count = 0;
    s.slope_margin = 0.0f;
  }
  m.angle_45 = 45.0f * m.deg_to_rad;
  m.search_active = 1;
  m.specified_surface_given = 0;
  if (m.circular_search == 0) m.bishop_method = 0;
  start_critical_list(m);
}

void write_plot(Engine& e, float stage) {
  e.model.plot_stage = stage;
  write_plot_records(e);
}

// One trial. False when the search must end at once (a fatal stop_code). With other threads
// the analysis is theirs, and the trial is handed to them once generated.
bool run_trial(Engine& e, SearchState& s, ParallelTrials* parallel) {
  TrialStart start = start_trial(e, s);
  if (parallel != nullptr) return parallel->submit(e, s, start);
  if (start == TrialStart::kRunEnds) return false;
  if (start == TrialStart::kNoSurface) return true;
  TrialEnd end = analyse_trial(e);
  if (end == TrialEnd::kRunEnds) return false;
  if (end == TrialEnd::kDropped) return true;
  write_trial_record(e);
  if (end == TrialEnd::kListed) record_current_surface(e.model);
  return true;
}

// Places point 1 of the surfaces at x0 and sets the first-segment bounds for its trials afresh,
// which undoes the narrowing the generator made during the trials of the previous point.
// False after RC09 (the ground there is below the minimum elevation), which ends the run.
bool start_initiation_point(Engine& e, const SearchState& s, float x0) {
  ProblemModel& m = e.model;
  m.surface_x[1] = x0;
  InitiationPoint point = locate_initiation_point(m, x0);
  if (point.below_min_elevation) {
    write_error_line(e.report, "RC09");
    abort_run(e);
    return false;
  }
  m.surface_y[1] = point.y;
  m.start_boundary = point.boundary;
  if (m.angle_restricted == 1) {
    m.init_angle_upper = s.user_angles.upper;
    m.init_angle_lower = s.user_angles.lower;
  } else {
    m.init_angle_upper = point.angle_limit - s.slope_margin;
    m.init_angle_lower = -m.angle_45;
  }
  return true;
}

// Circular and irregular searches: surfaces_per_point trials from each initiation point. The
// first point is always processed, even for a point count of 0 or less.
bool run_point_trials(Engine& e, SearchState& s, ParallelTrials* parallel) {
  ProblemModel& m = e.model;
  m.start_boundary = 1;
  const float spacing = m.init_point_count == 1 ? 0.0f
                                                : (m.init_x_right - m.init_x_left) /
                                                      static_cast<float>(m.init_point_count - 1);
  if (m.circular_search == 1) set_termination_elevations(m);
  float x0 = m.init_x_left + kInitiationOffset;
  for (int32_t point = 1;; ++point) {
    // Trials skipped after a failed generation end with their initiation point, whose
    // narrowed angle bounds caused them: the next point starts with bounds of its own.
    if (m.stop_code == kLimitsTooRestrictive) m.stop_code = kRunGoesOn;
    if (!start_initiation_point(e, s, x0)) return false;
    for (int32_t trial = 1; trial <= m.surfaces_per_point; ++trial) {
      if (!run_trial(e, s, parallel)) return false;
    }
    if (point >= m.init_point_count) return true;
    x0 = x0 + spacing;
  }
}

bool run_block_trials(Engine& e, SearchState& s, ParallelTrials* parallel) {
  for (int32_t trial = 1; trial <= e.model.surfaces_per_point; ++trial) {
    if (!run_trial(e, s, parallel)) return false;
  }
  return true;
}

// A search that skipped trials says so after its list, so that its minimum is not taken for
// the minimum of every trial it announced; the run goes on with the next command.
void report_skipped_trials(Engine& e, int32_t skipped) {
  static const FortranFormat kLine(
      "(I6,' Trial Surfaces Were Skipped: Search Limitations Too Restrictive')");
  if (skipped > 0) kLine.write(e.report, {skipped});
  if (e.model.stop_code == kLimitsTooRestrictive) e.model.stop_code = kRunGoesOn;
}

void finish(Engine& e, int32_t skipped) {
  ProblemModel& m = e.model;
  if (m.list_sorted != 1) sort_critical_list(m);
  write_critical_list_report(e);
  report_skipped_trials(e, skipped);
  write_plot(e, kDrawingStage);
  write_plot(e, kListStage);
  m.search_active = 0;
  m.circular_search = 0;
  m.block_search = 0;
  m.block2_mode = 0;
  m.block_search_switch = 0.0f;
  m.bishop_method = 0;
  m.input_error_flag = 0;
}

// The threads a search may use: those the environment allows, one when it says nothing.
int32_t search_threads(const Engine& e) {
  return e.env.thread_count ? e.env.thread_count() : 1;
}

// Every trial of the search, on the calling thread alone or with others.
bool run_trials(Engine& e, SearchState& s) {
  std::unique_ptr<ParallelTrials> parallel = ParallelTrials::start(e, search_threads(e));
  bool completed = e.model.block_search == 1 ? run_block_trials(e, s, parallel.get())
                                             : run_point_trials(e, s, parallel.get());
  if (parallel != nullptr) completed = parallel->finish(e, s) && completed;
  return completed;
}

}  // namespace

void run_search(Engine& e, std::string_view /*command*/) {
  ProblemModel& m = e.model;
  SearchState s;
  set_up(m, s);
  if (m.block_search == 1) {
    read_block_search_items(e);
  } else {
    s.user_angles = read_circular_search_items(e);
  }
  if (m.stop_code > 0) return;
  // Every error of the search's data has been reported by now.
  if (m.input_error_flag != 0) {
    abort_run(e);
    return;
  }
  write_plot(e, kDrawingStage);
  bool completed = run_trials(e, s);
  if (!completed) return;
  finish(e, s.skipped);
}

}  // namespace scarpex
