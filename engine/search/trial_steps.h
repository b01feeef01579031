// The two halves of one trial of a search, shared by the search on the calling thread and the
// search on several: starting it (its number, the generation of its surface) on the thread that
// generates, and analysing its surface, on whichever thread analyses.
#pragma once

#include <cstdint>

#include "core/engine.h"
#include "search/search_data_items.h"

namespace scarpex {

// What the driver keeps for one search besides the model.
struct SearchState {
  float slope_margin = 0.0f;
  AngleRestriction user_angles;  // radians, when the user restricted the angle
  int32_t ntrial = 0;
  int32_t skipped = 0;  // trials reported as skipped because the limits are too restrictive
};

enum class TrialStart {
  kAnalyse,    // the surface is generated: its analysis comes next
  kNoSurface,  // the generation failed, the failure is reported: the next trial comes next
  kRunEnds,    // a fatal stop code
};

// Counts the trial, writes its number, generates its surface and reports a failed generation.
TrialStart start_trial(Engine& e, SearchState& s);

enum class TrialEnd {
  kDropped,   // Spencer's method failed or the surface cannot be sliced: nothing is written
  kRecorded,  // the SFS record is written; the list does not take the surface
  kListed,    // the SFS record is written and the list takes the surface
  kRunEnds,   // the analysis ended the run
};

// Analyses the trial's surface and clears the stop codes that only drop the surface. The SFS
// record is left to the caller.
TrialEnd analyse_trial(Engine& e);

// The SFS record of the trial just analysed.
void write_trial_record(Engine& e);

// Everything the trials of a search change in the model besides the analysis and the list:
// what the generation of the next trial starts from, and what it hands to the analysis.
struct GeneratorState {
  RandomState rng;
  int32_t ntrial = 0;
  int32_t skipped = 0;
  int32_t stop_code = 0;
  int32_t start_boundary = 0;
  int32_t failed_generation_count = 0;
  int32_t plot_end_written = 0;
  float init_angle_upper = 0.0f, init_angle_lower = 0.0f;
  float circle_radius = 0.0f;
  float plot_stage = 0.0f;
  int32_t surface_point_count = 0;
  Table<float, kMaxSurfacePoints> surface_x{}, surface_y{};
};

void save_generator_state(const Engine& e, const SearchState& s, GeneratorState& g);
void restore_generator_state(const GeneratorState& g, Engine& e, SearchState& s);
// Gives the model of another thread the trial's surface and the rest of the generator state
// its analysis may read.
void apply_generator_state(const GeneratorState& g, ProblemModel& m);

}  // namespace scarpex
