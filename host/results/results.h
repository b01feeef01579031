// The results of one run as the host reads them back from the four output files: plain data,
// with coordinates exactly as the plot file holds them (the input's own frame).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace scarpex_host {

struct Point {
  double x = 0, y = 0;
};
using Polyline = std::vector<Point>;

struct Circle {
  double x = 0, y = 0, radius = 0;
};

// The display frame of the plot header: the host applies it to every coordinate it draws.
struct PlotFrame {
  std::array<int, 3> ints{};      // mirror flag and two values kept for plotting programs
  std::array<double, 6> reals{};  // (2) mirror axis, (5) shift in x, (6) shift in y
  bool mirrored() const { return ints[0] == 1; }
  double mirror_axis_x() const { return reals[1]; }
  double shift_x() const { return reals[4]; }
  double shift_y() const { return reals[5]; }
  Point to_display(Point p) const {
    return {mirrored() ? mirror_axis_x() - p.x : shift_x() + p.x, shift_y() + p.y};
  }
};

struct Boundary {
  int index = 0;  // 1-based, as in the input
  bool top = false;
  Point left, right;
};

// One drawing of the problem (the records between the fixed block and the surface records).
struct Drawing {
  int top_boundary_count = 0;
  Polyline ground_surface;
  std::vector<Boundary> boundaries;
  std::vector<Polyline> piezometric_surfaces;
  std::vector<std::array<Point, 2>> limits;
  std::vector<std::array<Point, 4>> loads;     // load diagram outlines
  std::vector<std::array<Point, 3>> tiebacks;  // head, tail, end of the bonded length
  std::vector<Polyline> reinforcement;
  std::vector<std::array<Point, 5>> boxes;  // closed outlines
};

// A trial surface of a search (SFS record).
struct TrialSurface {
  int trial = 0;
  int solution_status = 0;  // 1 converged, 2 not converged, 3 negative factor of safety
  double factor_of_safety = 0;
  Circle circle;
  double theta = 0;
  Polyline points;
};

// A surface of the most critical list (TNS record) or the specified surface (SRF record).
struct ResultSurface {
  double factor_of_safety = 0;
  std::optional<Circle> circle;  // none when the record's radius is 0 (no circle)
  Polyline points;
};

struct SliceRow {
  int index = 0;
  double x_mid = 0, width = 0, weight = 0, base_water_force = 0, tie_normal_force = 0,
         tie_shear_force = 0, earthquake_horizontal = 0, earthquake_vertical = 0, load = 0;
  double base_total_stress = 0, base_effective_stress = 0, base_shear_stress = 0,
         base_pore_pressure = 0;
};

struct ThrustPoint {
  double x = 0, y = 0, ratio = 0, side_force = 0;
};

struct LineOfThrust {
  double theta = 0;  // count line of the record: the search's theta, 0 for a specified surface
  std::vector<ThrustPoint> points;  // row 0 (the surface's left end) first
};

struct SliceDetail {
  std::vector<SliceRow> rows;
  Polyline edges;  // N + 1 slice edges on the surface
};

// What the report echoes of a search's data items; ranges as the user sees them (the display
// frame), the initiation range first.
struct SearchSetup {
  std::optional<int> requested;  // trials announced; none when the count overflowed its field
  std::optional<int> surfaces_per_point, point_count;
  std::optional<std::array<double, 2>> initiation, termination;
};

// The trials of a search as its files tell them. Every trial started is analysed (a surface
// was generated and analysed, whatever its solution status), failed in generation (status 4)
// or skipped after a failed generation (status 5).
struct SearchOutcome {
  std::optional<int> requested;
  int started = 0;
  int analysed = 0;
  int generation_failed = 0;
  int skipped = 0;
  int not_converged = 0;  // of the analysed
  int negative = 0;       // of the analysed
  // The trial from which the search generated nothing more, when that was before its last
  // one: a run that ended during the search, or skipping that lasted to the end of it.
  std::optional<int> ended_at_trial;
  std::optional<int> best_found_at_trial;  // the trial that found the final minimum
  std::vector<int> skipped_at_points;      // initiation points (1-based) with skipped trials
  bool ended_early() const { return ended_at_trial.has_value(); }
};

// The lowest factor of safety found so far, at a trial where it fell (and at the last trial).
struct ConvergencePoint {
  int trial = 0;
  double lowest = 0;
};

enum class AnalysisKind { kSpecified, kSearch };
enum class SolutionStatus { kUnknown, kConverged, kNotConverged, kNegative };

// One analysis of the run: a specified surface (EXECUT) or one search.
struct Analysis {
  AnalysisKind kind = AnalysisKind::kSpecified;
  Drawing drawing;
  std::optional<ResultSurface> surface;  // specified surface
  std::vector<TrialSurface> trials;      // search trials, or a sample of them
  std::vector<ResultSurface> critical;   // search: most critical first
  bool critical_listed = false;          // the search reached its final list
  std::optional<SliceDetail> slices;
  std::optional<LineOfThrust> line_of_thrust;
  // From the report.
  std::string method;  // of the factor of safety: "Modified Bishop", "Modified Janbu", "Spencer"
  std::string base_method;  // under Spencer's method, the method that gave its starting value
  bool spencer = false;
  std::optional<double> theta;
  SolutionStatus status = SolutionStatus::kUnknown;
  bool misleading = false;
  // Searches.
  SearchSetup setup;
  std::optional<SearchOutcome> search;
  std::vector<ConvergencePoint> convergence;
  int trial_records = 0;          // SFS records read; `trials` holds them all or a sample
  bool trials_sampled = false;    // `trials` is a sample (every k-th and the most critical)
  std::optional<int> best_trial;  // the first converged trial with the lowest factor

  std::optional<double> factor_of_safety() const {
    if (surface) return surface->factor_of_safety;
    if (!critical.empty()) return critical.front().factor_of_safety;
    return std::nullopt;
  }
};

struct ErrorLine {
  std::string code;    // such as "PF02": four characters from the engine, longer for the host's
  std::string detail;  // what follows the code on its line, trimmed
  std::string file;    // "report" or "trace"
  int line = 0;
  // The line of the input file the engine was reading, for the errors that concern one: its
  // number (from 1) when the host found it in the input file, and its text (as the engine
  // copied it when the input file does not hold it).
  std::optional<int> input_line;
  std::optional<std::string> input_text;
};

struct CountedText {
  std::string text;
  int number = 0;  // status number; 0 for trace messages
  int count = 0;
};

// What a result is worth, said to the user; the codes are stable and listed in the README.
struct Warning {
  std::string code;
  std::string message;
};

// The search's critical surface refined (--refine): the lowest factor of safety the engine gave
// to any admissible surface the optimiser tried, starting from the search's most critical ones.
struct RefinedSurface {
  double factor_of_safety = 0;
  double search_factor_of_safety = 0;  // the search's own minimum, for comparison
  std::string method;                  // as for the search: "Modified Bishop", ..., "Spencer"
  Polyline points;                     // as the engine analysed them
  std::optional<Circle> circle;        // for a circular search
  int start_rank = 0;                  // the critical surface (1 to 10) it was refined from
  int evaluations = 0;                 // engine runs made
  double seconds = 0;
  std::string report;  // the slice table of its last run (INPUT.refined.out)
};

enum class Outcome { kCompleted, kAborted };

struct RunFiles {
  std::string input, report, plot, trace, status;
};

struct Results {
  RunFiles files;
  std::string title;
  std::string unit_system;  // "english", "metric", "generic" or empty when unknown
  std::string length_unit;  // "ft", "m", "L" or empty
  PlotFrame frame;
  bool plot_read = false;  // the plot file was there and read
  bool aborted = false;    // the abort banner is in the report or the trace file
  std::vector<Analysis> analyses;
  std::vector<ErrorLine> errors;
  std::vector<CountedText> status_lines;
  CountedText last_status;  // number 0 when the status file holds none
  std::vector<CountedText> trace_messages;
  int trial_count = 0;  // trials of the longest search (or 1 for a specified surface)
  std::vector<Warning> warnings;
  // Why the result is incomplete although the run completed: fewer than 90 % of a search's
  // trials analysed, no admissible surface, or a final analysis that did not converge.
  std::vector<std::string> incomplete_reasons;
  std::optional<double> water_unit_weight;  // as the report echoes it
  std::optional<RefinedSurface> refined;    // with --refine, after a search
  std::string reported_input;  // the input file the report's banner names (folder and name)

  Outcome outcome() const { return aborted ? Outcome::kAborted : Outcome::kCompleted; }
  bool incomplete() const { return !aborted && !incomplete_reasons.empty(); }
  // How a user should take the run: "aborted", "incomplete", "completed with warnings" (read
  // them before trusting the result) or "completed".
  const char* verdict() const;
  // The analysis whose result heads the summaries: the last one that has a factor of safety.
  const Analysis* headline() const {
    for (auto it = analyses.rbegin(); it != analyses.rend(); ++it) {
      if (it->factor_of_safety()) return &*it;
    }
    return analyses.empty() ? nullptr : &analyses.back();
  }
};

const char* outcome_name(Outcome outcome);
const char* status_name(SolutionStatus status);

}  // namespace scarpex_host
