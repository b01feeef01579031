// The input files of a refinement's candidates: the run's problem with its search replaced by
// one specified surface, analysed by the same method. Every candidate file holds the same
// header and problem commands, so the engine starts each candidate from the same problem.
#pragma once

#include <optional>
#include <string>

#include "results/results.h"

namespace scarpex_host {

enum class SearchKind { kCircle, kCircle2, kRandom, kBlock, kBlock2 };

// The data items of the search being refined as its command gives them, in the input file's
// frame; for a block search only the segment length.
struct SearchItems {
  SearchKind kind = SearchKind::kCircle;
  double segment_length = 0;
  double init_x_left = 0, init_x_right = 0, term_x_left = 0, term_x_right = 0;
  double min_elevation = 0;
  double angle_upper = 0, angle_lower = 0;  // degrees; both 0: not restricted
  bool circular() const { return kind == SearchKind::kCircle || kind == SearchKind::kCircle2; }
  bool blocks() const { return kind == SearchKind::kBlock || kind == SearchKind::kBlock2; }
};

// The input file cut where the search begins.
struct RefineInput {
  // The header and the commands that define the problem before the search, as they stand.
  // Specified surfaces, EXECUT and earlier searches are left out: they analyse, and define
  // nothing the candidate needs.
  std::string problem;
  SearchItems search;
};

// The input file read as the engine reads it, cut at its `search_number`-th search command
// (from 1). Nothing, with `problem` saying why, when it cannot be read that far.
std::optional<RefineInput> refine_input_of(const std::string& input_text, int search_number,
                                           std::string& problem);

// SURBIS analyses by the Modified Bishop method, SURFAC (after no analysed SURBIS surface) by
// the Modified Janbu method; SPENCR in the problem adds Spencer's method to either.
enum class SurfaceCommand { kSurfac, kSurbis };

// The decimals of the coordinates written for a candidate, as the plot file holds them.
inline constexpr int kCandidateDecimals = 4;

// A coordinate as a candidate file writes it.
std::string written_text(double value);

// `points` rounded to the decimals a candidate file holds: the surface the engine analyses.
Polyline as_written(const Polyline& points);

// The candidate's input file: the problem, then the surface and EXECUT.
std::string candidate_input(const RefineInput& input, SurfaceCommand command,
                            const Polyline& points);

}  // namespace scarpex_host
