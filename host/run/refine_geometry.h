// Plane geometry of the refinement: the ground surface walked along its length, crossings of
// straight pieces, and a circle turned into a trial surface the way the circular search places
// its points. Coordinates are those of the input file (the plot file's frame).
#pragma once

#include <optional>
#include <vector>

#include "results/results.h"

namespace scarpex_host {

// Where two straight pieces p1-p2 and q1-q2 meet, ends included; nothing when they do not
// (parallel pieces never meet here).
struct Crossing {
  Point at;
  double along_first = 0;  // 0 at p1, 1 at p2
};
std::optional<Crossing> crossing(Point p1, Point p2, Point q1, Point q2);

// The ground surface: the top boundaries from left to right.
class GroundSurface {
 public:
  explicit GroundSurface(Polyline points);

  const Polyline& points() const { return points_; }
  double left_x() const { return points_.front().x; }
  double right_x() const { return points_.back().x; }
  double length() const { return lengths_.back(); }
  // The point at distance `s` along the surface from its left end (held within its ends).
  Point at(double s) const;
  // The distance along the surface of the point of it nearest to `p`.
  double distance_along(Point p) const;
  // How far `p` lies from the surface.
  double distance_to(Point p) const;
  // The lowest elevation of the surface at `x` (a vertical face holds several), or nothing
  // beyond its ends.
  std::optional<double> y_at(double x) const;
  // The inclination (radians, positive rising to the right) of the ground at `x`, as the
  // search finds it for an initiation point: the piece that holds x from its left end on; at
  // the foot of a vertical face that rises to the right, 90 degrees.
  std::optional<double> inclination_at(double x) const;

 private:
  Polyline points_;
  std::vector<double> lengths_;  // distance along the surface of each point
};

// The circle through three points; nothing when they are (nearly) on one line.
std::optional<Circle> circle_through(Point a, Point b, Point c);

// The trial surface of a circle as the circular search builds it: from the point where the
// circle enters the ground, chords of `segment_length` turning by the same angle, up to the
// chord that leaves the ground, whose end moves to where it leaves. Nothing when the circle
// makes no such surface: it does not cut the ground, its chords turn past the vertical before
// leaving it, or it needs more than `most_points` points.
std::optional<Polyline> circle_surface(const Circle& circle, const GroundSurface& ground,
                                       double segment_length, int most_points);

// `surface` cut down to its ends and `inner` of its inner points: the points that lie farthest
// from the line through the points kept, one after another (Douglas and Peucker).
Polyline simplified(const Polyline& surface, int inner);

// The horizontal extent of a surface, from its first point to its last.
inline double width_of(const Polyline& points) {
  return points.back().x - points.front().x;
}

// The inclination of the piece from `a` to `b` (radians, positive rising to the right).
double inclination(Point a, Point b);

}  // namespace scarpex_host
