#include "search/trial_steps.h"

#include <cmath>

#include "core/fortran_format.h"
#include "fos/analyse_surface.h"
#include "output/plot_file.h"
#include "search/generate_surface.h"

namespace scarpex {

namespace {

constexpr float kTrialStage = 2.0f;

void write_trial_number(Engine& e) {
  static const FortranFormat kLine("(' ntrial = ',I5)");
  kLine.write(e.trace, {e.model.ntrial});
  kLine.write(e.status, {e.model.ntrial});
}

void report_generation_failure(Engine& e, std::string_view status, std::string_view trace) {
  write_free_line(e.status, {status});
  write_free_line(e.trace, {trace});
}

// The model's items that the generators carry from one trial to the next, under the same
// names in GeneratorState: copied either way.
template <class From, class To>
void copy_generator_items(const From& from, To& to) {
  to.stop_code = from.stop_code;
  to.start_boundary = from.start_boundary;
  to.failed_generation_count = from.failed_generation_count;
  to.plot_end_written = from.plot_end_written;
  to.init_angle_upper = from.init_angle_upper;
  to.init_angle_lower = from.init_angle_lower;
  to.circle_radius = from.circle_radius;
  to.plot_stage = from.plot_stage;
  to.surface_point_count = from.surface_point_count;
  to.surface_x = from.surface_x;
  to.surface_y = from.surface_y;
}

}  // namespace

TrialStart start_trial(Engine& e, SearchState& s) {
  ProblemModel& m = e.model;
  m.ntrial = ++s.ntrial;
  write_trial_number(e);
  generate_surface(e);  // circle, irregular surface or block, from the search's mode flags
  switch (m.stop_code) {
    case kRunGoesOn:
      m.plot_stage = kTrialStage;
      return TrialStart::kAnalyse;
    case kCircleNotGenerated:
    case kSurfaceNotGenerated:
      m.stop_code = kRunGoesOn;
      report_generation_failure(e, "    4     SURFACE CAN NOT BE GENERATED",
                                "Surface can not be generated");
      return TrialStart::kNoSurface;
    case kLimitsTooRestrictive:
      // Not cleared here: the angle bounds narrowed by the failed attempts stay narrow for the
      // rest of this initiation point, so every later trial from it that does not itself fail
      // with 10 or 11 is reported and skipped the same way. The next point clears it.
      report_generation_failure(e, "    5     SEARCH LIMITATIONS TOO RESTRICTIVE",
                                "Search limitations too restrictive");
      ++s.skipped;
      return TrialStart::kNoSurface;
    default:
      return TrialStart::kRunEnds;
  }
}

TrialEnd analyse_trial(Engine& e) {
  ProblemModel& m = e.model;
  analyse_surface(e);
  switch (m.stop_code) {
    case kRunGoesOn:
      break;
    case kSpencerOuterFailed:
    case kSpencerLocalFailed:
    case kSurfaceNotSliced:
      m.stop_code = kRunGoesOn;
      return TrialEnd::kDropped;
    default:
      return TrialEnd::kRunEnds;
  }
  // A factor that is not a finite number is never listed, whatever status came with it.
  if (m.solution_status <= kConverged && std::isfinite(m.list[0].fos)) return TrialEnd::kListed;
  return TrialEnd::kRecorded;
}

void write_trial_record(Engine& e) {
  write_plot_records(e);
}

void save_generator_state(const Engine& e, const SearchState& s, GeneratorState& g) {
  g.rng = e.rng;
  g.ntrial = s.ntrial;
  g.skipped = s.skipped;
  copy_generator_items(e.model, g);
}

void apply_generator_state(const GeneratorState& g, ProblemModel& m) {
  m.ntrial = g.ntrial;
  copy_generator_items(g, m);
}

void restore_generator_state(const GeneratorState& g, Engine& e, SearchState& s) {
  apply_generator_state(g, e.model);
  e.rng = g.rng;
  s.ntrial = g.ntrial;
  s.skipped = g.skipped;
}

}  // namespace scarpex
