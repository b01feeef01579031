#include "results/assessment.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace scarpex_host {

namespace {

constexpr double kEngineWaterDefault = 62.4;  // used for a water unit weight of 0, in any units
constexpr double kSameWaterWeight = 0.005;
constexpr double kLevelTolerance = 0.001;

std::string fixed(double value, int decimals) {
  char text[64];
  auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return error == std::errc() ? std::string(text, end) : std::string("?");
}

std::string points_list(const std::vector<int>& points) {
  std::string text;
  for (std::size_t i = 0; i < points.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == points.size() ? " and " : ", ") + std::to_string(points[i]);
  }
  return text;
}

class Assessor {
 public:
  explicit Assessor(Results& r) : r_(r) {}

  void run() {
    crest_on_the_left();
    water_unit_weight();
    for (std::size_t i = 0; i < r_.analyses.size(); ++i) {
      const Analysis& a = r_.analyses[i];
      name_ = r_.analyses.size() > 1 ? " (analysis " + std::to_string(i + 1) + ")" : "";
      if (a.kind == AnalysisKind::kSearch) {
        search(a);
      } else {
        specified(a, &a == r_.headline());
      }
    }
  }

 private:
  void warn(const char* code, std::string message) {
    r_.warnings.push_back({code, std::move(message)});
  }

  // The engine expects slopes that rise to the right; drawn the other way, every trial of a
  // search comes out negative or meaningless.
  void crest_on_the_left() {
    if (r_.analyses.empty()) return;
    const Polyline& ground = r_.analyses.front().drawing.ground_surface;
    if (ground.size() < 2 || !(ground.front().y > ground.back().y + kLevelTolerance)) return;
    warn(warning_code::kCrestOnTheLeft,
         "The ground surface rises to the left (y = " + fixed(ground.front().y, 2) +
             " at its left end, " + fixed(ground.back().y, 2) +
             " at its right end): the engine expects slopes that rise to the right. Mirror the "
             "section: run scarpex with --mirror.");
  }

  void water_unit_weight() {
    if (r_.unit_system != "metric" || !r_.water_unit_weight) return;
    if (std::abs(*r_.water_unit_weight - kEngineWaterDefault) > kSameWaterWeight) return;
    warn(warning_code::kWaterUnitWeight,
         "The unit weight of water is 62.4, a value in pounds per cubic foot, in a metric "
         "problem: a unit weight of 0 in WATER stands for 62.4 whatever the units. Give it "
         "(9.81 kN/m3) in WATER.");
  }

  void specified(const Analysis& a, bool headline) {
    const std::string method = a.method.empty() ? "" : " " + a.method;
    if (a.status == SolutionStatus::kNotConverged) {
      warn(warning_code::kNotConverged, "The" + method + " analysis of the specified surface" +
                                            name_ +
                                            " did not converge: its factor of safety is no "
                                            "result.");
      if (headline) r_.incomplete_reasons.push_back("the final analysis did not converge");
    } else if (a.status == SolutionStatus::kNegative) {
      warn(warning_code::kNegativeFactor,
           "The" + method + " factor of safety of the specified surface" + name_ + " is negative.");
      if (headline) r_.incomplete_reasons.push_back("the final analysis gave a negative factor");
    }
    if (a.misleading) {
      warn(warning_code::kMisleading,
           "The report calls the factor of safety" + name_ +
               " misleading: some slice's base normal force has no meaning at it.");
    }
  }

  void search(const Analysis& a) {
    if (a.misleading) {
      warn(warning_code::kMisleading, "The report calls a factor of safety of the search" + name_ +
                                          " misleading: some slice's base normal force has no "
                                          "meaning at it.");
    }
    if (!a.search) return;
    const SearchOutcome& o = *a.search;
    const std::string requested = o.requested ? std::to_string(*o.requested) : "?";
    if (o.ended_early()) {
      warn(warning_code::kSearchEndedEarly,
           "The search" + name_ + " stopped generating surfaces at trial " +
               std::to_string(*o.ended_at_trial) + " of " + requested + ": " +
               std::to_string(o.analysed) +
               " trials were analysed. Use more initiation points with fewer surfaces each, or "
               "wider ranges.");
    }
    if (o.skipped > 0) {
      warn(warning_code::kTrialsSkipped,
           std::to_string(o.skipped) + " of " + requested + " trials of the search" + name_ +
               " were skipped (search limitations too restrictive), from initiation point" +
               (o.skipped_at_points.size() > 1 ? "s " : " ") + points_list(o.skipped_at_points) +
               ".");
    }
    if (a.critical_listed && a.critical.empty()) {
      warn(warning_code::kNoAdmissibleSurface,
           "No trial surface of the search" + name_ +
               " gave a factor of safety: " + std::to_string(o.analysed) + " analysed (" +
               std::to_string(o.not_converged) + " not converged, " + std::to_string(o.negative) +
               " negative), " + std::to_string(o.generation_failed) + " could not be generated, " +
               std::to_string(o.skipped) + " skipped.");
      r_.incomplete_reasons.push_back("the search" + name_ + " found no admissible surface");
    }
    if (o.requested && *o.requested > 0 && o.analysed < kCompleteShare * *o.requested) {
      r_.incomplete_reasons.push_back("the search" + name_ + " analysed " +
                                      std::to_string(o.analysed) + " of " + requested + " trials");
    }
    if (!a.critical.empty()) range_ends(a);
  }

  void range_ends(const Analysis& a) {
    for (const RangeEndMet& met : range_ends_met(a.setup, r_.frame, a.critical.front().points)) {
      warn(warning_code::kCriticalAtRangeEnd,
           "The most critical surface of the search" + name_ + " " +
               range_end_text(met, r_.length_unit) +
               ": the critical surface may lie beyond it. Widen the " + met.range + " range.");
    }
  }

  Results& r_;
  std::string name_;
};

std::optional<RangeEndMet> range_end_met(const std::optional<std::array<double, 2>>& range,
                                         const char* which, double end_a, double end_b) {
  if (!range) return std::nullopt;
  const double low = std::min((*range)[0], (*range)[1]);
  const double high = std::max((*range)[0], (*range)[1]);
  const double width = high - low;
  if (!(width > 0)) return std::nullopt;
  auto distance = [&](double x) { return x < low ? low - x : x > high ? x - high : 0.0; };
  const double x = distance(end_a) <= distance(end_b) ? end_a : end_b;
  const double margin = kRangeEndShare * width;
  const char* side = x - low <= margin ? "left" : high - x <= margin ? "right" : nullptr;
  if (side == nullptr) return std::nullopt;
  return RangeEndMet{which, side, x, low, high};
}

}  // namespace

std::vector<RangeEndMet> range_ends_met(const SearchSetup& setup, const PlotFrame& frame,
                                        const Polyline& surface) {
  std::vector<RangeEndMet> met;
  if (surface.size() < 2) return met;
  const double first = frame.to_display(surface.front()).x;
  const double last = frame.to_display(surface.back()).x;
  if (auto m = range_end_met(setup.initiation, "initiation", first, last)) met.push_back(*m);
  if (auto m = range_end_met(setup.termination, "termination", first, last)) met.push_back(*m);
  return met;
}

std::string range_end_text(const RangeEndMet& met, const std::string& length_unit) {
  const std::string unit = length_unit.empty() ? "" : " " + length_unit;
  return std::string("meets its ") + met.range + " range at x = " + fixed(met.x, 2) + unit +
         ", at the " + met.side + " end of the range (" + fixed(met.low, 2) + " to " +
         fixed(met.high, 2) + unit + ")";
}

void assess_results(Results& results) {
  Assessor(results).run();
}

}  // namespace scarpex_host
