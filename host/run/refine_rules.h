// Which surfaces a refinement may offer as the search's answer: those its search could have
// generated. A surface breaks no rule when it runs left to right within the problem's extent
// and the search limits, starts and ends on the ground surface within the initiation and
// termination ranges, stays inside the ground between its ends, starts into the ground at an
// angle the search allows and, unless it is a circle, never falls more steeply than the search
// lets a segment fall nor turns flatter on its way up.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "results/results.h"
#include "run/refine_geometry.h"
#include "run/refine_input.h"

namespace scarpex_host {

struct Range {
  double low = 0, high = 0;
};

struct SurfaceRules {
  explicit SurfaceRules(GroundSurface g) : ground(std::move(g)) {}

  GroundSurface ground;
  std::vector<std::array<Point, 2>> limits;  // the limit boundaries the search respects
  std::optional<double> min_elevation;
  std::optional<Range> initiation, termination;  // x of the first and of the last point
  // Bounds of the first segment's inclination (radians). The upper one, unless the user
  // restricted the angle, is that of the ground at the first point less a margin.
  bool first_segment_bounded = false;
  bool angle_restricted = false;
  double angle_lower = 0, angle_upper = 0;
  std::optional<double> steepest_descent;  // no segment falls more steeply (radians, < 0)
  bool steepens_on_the_way_up = false;     // no segment flatter than a rising one before it
};

// Tolerances of the rules: the engine's coordinate tolerance for positions, and for angles
// what the written decimals can turn a segment by.
inline constexpr double kRuleLengthTolerance = 0.001;
inline constexpr double kRuleAngleTolerance = 0.001;

// The rules of the search `items`, on the problem of `drawing` (the search's own).
SurfaceRules rules_for(const SearchItems& items, const Drawing& drawing);

// The first rule `surface` breaks, in words, or nothing when it breaks none.
std::optional<std::string> broken_rule(const Polyline& surface, const SurfaceRules& rules);

}  // namespace scarpex_host
