// What a run's result is worth: the warnings a user must read before trusting it, and the
// reasons why a completed run's result is incomplete.
#pragma once

#include "results/results.h"

namespace scarpex_host {

// Warning codes; the README lists them with their meaning.
namespace warning_code {
inline constexpr const char* kFileSkipped = "file-skipped";
inline constexpr const char* kSearchEndedEarly = "search-ended-early";
inline constexpr const char* kTrialsSkipped = "trials-skipped";
inline constexpr const char* kNoAdmissibleSurface = "no-admissible-surface";
inline constexpr const char* kCriticalAtRangeEnd = "critical-surface-at-range-end";
inline constexpr const char* kCrestOnTheLeft = "crest-on-the-left";
inline constexpr const char* kWaterUnitWeight = "water-unit-weight-62.4";
inline constexpr const char* kNotConverged = "not-converged";
inline constexpr const char* kNegativeFactor = "negative-factor-of-safety";
inline constexpr const char* kMisleading = "misleading-factor-of-safety";
inline constexpr const char* kNotRefined = "not-refined";
inline constexpr const char* kRefinedAtRangeEnd = "refined-surface-at-range-end";
inline constexpr const char* kFrameNotRepresentable = "frame-not-representable";
}  // namespace warning_code

// A search whose analysed trials are fewer than this share of those requested is incomplete.
inline constexpr double kCompleteShare = 0.9;
// A critical surface that meets a range within this share of its width from an end has
// probably been cut short by the range.
inline constexpr double kRangeEndShare = 0.01;

// Where a surface meets one of its search's ranges within kRangeEndShare of the range's width
// from an end, in the user's frame (as the report echoes the ranges): the end of the surface
// nearest the range. The search's critical surface and the refined one are warned of so.
struct RangeEndMet {
  const char* range = "";  // "initiation" or "termination"
  const char* side = "";   // "left" or "right"
  double x = 0, low = 0, high = 0;
};
std::vector<RangeEndMet> range_ends_met(const SearchSetup& setup, const PlotFrame& frame,
                                        const Polyline& surface);
// "meets its termination range at x = 41.20 m, at the left end of the range (41.00 to 60.00 m)"
std::string range_end_text(const RangeEndMet& met, const std::string& length_unit);

// Adds the warnings of the analyses to `results.warnings` and fills
// `results.incomplete_reasons`.
void assess_results(Results& results);

}  // namespace scarpex_host
