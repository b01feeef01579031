#include "run/refine_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace scarpex_host {

namespace {

constexpr double kDegree = std::numbers::pi / 180;
// The searches start a surface at most 45 degrees downward, and at least 5 degrees below the
// ground's own inclination, unless the user restricted the angle.
constexpr double kSteepestStart = -45 * kDegree;
constexpr double kStartMargin = 5 * kDegree;
// Trial surfaces the engine takes: at least three points (the generators make no fewer), at
// most the 100 of a specified surface.
constexpr std::size_t kFewestPoints = 3;
constexpr std::size_t kMostPoints = 100;

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

// The elevation of the surface at `x`, which lies within its ends.
double surface_y_at(const Polyline& s, double x) {
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    if (x <= s[i + 1].x) {
      return s[i].y + (x - s[i].x) * (s[i + 1].y - s[i].y) / (s[i + 1].x - s[i].x);
    }
  }
  return s.back().y;
}

bool within(double x, const Range& range) {
  return x >= range.low - kRuleLengthTolerance && x <= range.high + kRuleLengthTolerance;
}

std::optional<std::string> shape_rule(const Polyline& s, const SurfaceRules& rules) {
  if (s.size() < kFewestPoints || s.size() > kMostPoints) {
    return std::to_string(s.size()) + " points";
  }
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    if (!(s[i + 1].x > s[i].x))
      return "point " + std::to_string(i + 2) + " is not right of the one before";
  }
  if (s.front().x < rules.ground.left_x() - kRuleLengthTolerance ||
      s.back().x > rules.ground.right_x() + kRuleLengthTolerance) {
    return "it reaches beyond the ground surface's ends";
  }
  for (const Point& p : s) {
    if (p.y <= -kRuleLengthTolerance) return "it reaches below y = 0";
    if (rules.min_elevation && p.y < *rules.min_elevation - kRuleLengthTolerance) {
      return "it reaches below the minimum elevation " + number(*rules.min_elevation);
    }
  }
  return std::nullopt;
}

std::optional<std::string> ground_rule(const Polyline& s, const SurfaceRules& rules) {
  if (rules.ground.distance_to(s.front()) > kRuleLengthTolerance ||
      rules.ground.distance_to(s.back()) > kRuleLengthTolerance) {
    return "an end is not on the ground surface";
  }
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    std::optional<double> ground = rules.ground.y_at(s[i].x);
    if (!ground || s[i].y > *ground + kRuleLengthTolerance) {
      return "point " + std::to_string(i + 1) + " lies above the ground";
    }
  }
  for (const Point& g : rules.ground.points()) {
    if (g.x <= s.front().x + kRuleLengthTolerance || g.x >= s.back().x - kRuleLengthTolerance) {
      continue;
    }
    if (surface_y_at(s, g.x) > g.y + kRuleLengthTolerance) {
      return "it passes above the ground at x = " + number(g.x);
    }
  }
  return std::nullopt;
}

std::optional<std::string> range_rule(const Polyline& s, const SurfaceRules& rules) {
  if (rules.initiation && !within(s.front().x, *rules.initiation)) {
    return "it starts outside the initiation range";
  }
  if (rules.termination && !within(s.back().x, *rules.termination)) {
    return "it ends outside the termination range";
  }
  return std::nullopt;
}

std::optional<std::string> angle_rule(const Polyline& s, const SurfaceRules& rules) {
  if (rules.first_segment_bounded) {
    double upper = rules.angle_upper;
    if (!rules.angle_restricted) {
      std::optional<double> ground = rules.ground.inclination_at(s.front().x);
      if (!ground) return "it starts where the ground has no inclination";
      upper = *ground - kStartMargin;
    }
    double first = inclination(s[0], s[1]);
    if (first < rules.angle_lower - kRuleAngleTolerance || first > upper + kRuleAngleTolerance) {
      return "its first segment starts at an angle the search does not allow";
    }
  }
  for (std::size_t i = 0; i + 1 < s.size(); ++i) {
    double angle = inclination(s[i], s[i + 1]);
    if (rules.steepest_descent && angle < *rules.steepest_descent - kRuleAngleTolerance) {
      return "segment " + std::to_string(i + 1) + " falls too steeply";
    }
    if (rules.steepens_on_the_way_up && i > 0) {
      double before = inclination(s[i - 1], s[i]);
      if (before > 0 && angle < before - kRuleAngleTolerance) {
        return "segment " + std::to_string(i + 1) + " is flatter than the rising one before it";
      }
    }
  }
  return std::nullopt;
}

std::optional<std::string> limit_rule(const Polyline& s, const SurfaceRules& rules) {
  for (const auto& limit : rules.limits) {
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
      if (crossing(s[i], s[i + 1], limit[0], limit[1])) return "it crosses a search limit";
    }
  }
  return std::nullopt;
}

}  // namespace

SurfaceRules rules_for(const SearchItems& items, const Drawing& drawing) {
  SurfaceRules rules(GroundSurface(drawing.ground_surface));
  // The Rankine blocks ignore the limits (the engine warns of it).
  if (items.kind != SearchKind::kBlock2) rules.limits = drawing.limits;
  rules.steepens_on_the_way_up = !items.circular();
  // No side of a block falls more steeply than 45 degrees.
  if (items.blocks()) {
    rules.steepest_descent = kSteepestStart;
    return rules;
  }
  rules.min_elevation = items.min_elevation;
  rules.initiation = Range{items.init_x_left, items.init_x_right};
  rules.termination = Range{items.term_x_left, items.term_x_right};
  rules.first_segment_bounded = true;
  rules.angle_restricted = items.angle_upper != 0 || items.angle_lower != 0;
  rules.angle_lower = rules.angle_restricted ? items.angle_lower * kDegree : kSteepestStart;
  rules.angle_upper = items.angle_upper * kDegree;
  if (!items.circular()) {
    rules.steepest_descent = rules.angle_restricted
                                 ? std::min(items.angle_lower * kDegree, kSteepestStart)
                                 : kSteepestStart;
  }
  return rules;
}

std::optional<std::string> broken_rule(const Polyline& surface, const SurfaceRules& rules) {
  for (auto rule : {shape_rule, ground_rule, range_rule, angle_rule, limit_rule}) {
    if (std::optional<std::string> broken = rule(surface, rules)) return broken;
  }
  return std::nullopt;
}

}  // namespace scarpex_host
