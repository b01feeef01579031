#include "run/refine_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace scarpex_host {

namespace {

// Below this the determinant of two directions, or of three points, says "parallel".
constexpr double kParallel = 1e-12;
// A chord of the circle that starts on the ground (the first one) touches it there: crossings
// within this share of the chord from its start are that touch, not an exit.
constexpr double kChordStartTouch = 1e-6;
// How far past a crossing the circle is looked at to tell entering the ground from leaving it,
// as a share of the angle between two points.
constexpr double kLookPastCrossing = 0.01;
// The circular search stops turning its chords this close to the vertical (radians).
constexpr double kVerticalMargin = 0.001;
// Two x closer than this are the same (the engine's coordinate tolerance).
constexpr double kSameX = 0.001;

double cross(Point a, Point b) {
  return a.x * b.y - a.y * b.x;
}

Point minus(Point a, Point b) {
  return {a.x - b.x, a.y - b.y};
}

double distance(Point a, Point b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// The share along a-b of the point of it nearest to p.
double nearest_share(Point p, Point a, Point b) {
  Point d = minus(b, a);
  double length_squared = d.x * d.x + d.y * d.y;
  if (length_squared == 0) return 0;
  double t = ((p.x - a.x) * d.x + (p.y - a.y) * d.y) / length_squared;
  return std::clamp(t, 0.0, 1.0);
}

Point between(Point a, Point b, double t) {
  return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

double distance_to_piece(Point p, Point a, Point b) {
  return distance(p, between(a, b, nearest_share(p, a, b)));
}

Point on_circle(const Circle& c, double angle) {
  return {c.x + c.radius * std::cos(angle), c.y + c.radius * std::sin(angle)};
}

// The angles (on the lower half of the circle, where a slip surface runs) at which the
// circle crosses the ground, in increasing order: from left to right along the lower half.
std::vector<double> lower_crossing_angles(const Circle& c, const GroundSurface& ground) {
  std::vector<double> angles;
  const Polyline& g = ground.points();
  for (std::size_t i = 0; i + 1 < g.size(); ++i) {
    Point d = minus(g[i + 1], g[i]);
    Point f = minus(g[i], {c.x, c.y});
    double a = d.x * d.x + d.y * d.y;
    double b = 2 * (f.x * d.x + f.y * d.y);
    double k = f.x * f.x + f.y * f.y - c.radius * c.radius;
    double discriminant = b * b - 4 * a * k;
    if (a == 0 || discriminant < 0) continue;
    for (double sign : {-1.0, 1.0}) {
      double t = (-b + sign * std::sqrt(discriminant)) / (2 * a);
      if (t < 0 || t > 1) continue;
      Point p = between(g[i], g[i + 1], t);
      double angle = std::atan2(p.y - c.y, p.x - c.x);
      if (angle > -std::numbers::pi && angle < 0) angles.push_back(angle);
    }
  }
  std::sort(angles.begin(), angles.end());
  return angles;
}

bool below_ground(Point p, const GroundSurface& ground) {
  std::optional<double> y = ground.y_at(p.x);
  return y && p.y < *y;
}

// The first crossing of the ground by the chord a-b beyond its start.
std::optional<Point> chord_exit(Point a, Point b, const GroundSurface& ground) {
  const Polyline& g = ground.points();
  std::optional<Crossing> first;
  for (std::size_t i = 0; i + 1 < g.size(); ++i) {
    std::optional<Crossing> c = crossing(a, b, g[i], g[i + 1]);
    if (!c || c->along_first <= kChordStartTouch) continue;
    if (!first || c->along_first < first->along_first) first = c;
  }
  if (!first) return std::nullopt;
  return first->at;
}

}  // namespace

std::optional<Crossing> crossing(Point p1, Point p2, Point q1, Point q2) {
  Point d1 = minus(p2, p1), d2 = minus(q2, q1);
  double denominator = cross(d1, d2);
  double scale = std::max(d1.x * d1.x + d1.y * d1.y, d2.x * d2.x + d2.y * d2.y);
  if (std::abs(denominator) <= kParallel * scale) return std::nullopt;
  Point w = minus(q1, p1);
  double t = cross(w, d2) / denominator;
  double u = cross(w, d1) / denominator;
  if (t < 0 || t > 1 || u < 0 || u > 1) return std::nullopt;
  return Crossing{between(p1, p2, t), t};
}

GroundSurface::GroundSurface(Polyline points) : points_(std::move(points)) {
  lengths_.push_back(0);
  for (std::size_t i = 1; i < points_.size(); ++i) {
    lengths_.push_back(lengths_.back() + distance(points_[i - 1], points_[i]));
  }
}

Point GroundSurface::at(double s) const {
  if (points_.size() < 2) return points_.empty() ? Point{} : points_.front();
  s = std::clamp(s, 0.0, length());
  std::size_t i = std::upper_bound(lengths_.begin(), lengths_.end(), s) - lengths_.begin();
  i = std::clamp<std::size_t>(i, 1, points_.size() - 1);
  double piece = lengths_[i] - lengths_[i - 1];
  double t = piece > 0 ? (s - lengths_[i - 1]) / piece : 0;
  return between(points_[i - 1], points_[i], t);
}

double GroundSurface::distance_along(Point p) const {
  double best_distance = INFINITY, along = 0;
  for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
    double t = nearest_share(p, points_[i], points_[i + 1]);
    double d = distance(p, between(points_[i], points_[i + 1], t));
    if (d < best_distance) {
      best_distance = d;
      along = lengths_[i] + t * (lengths_[i + 1] - lengths_[i]);
    }
  }
  return along;
}

double GroundSurface::distance_to(Point p) const {
  if (points_.size() == 1) return distance(p, points_.front());
  double best = INFINITY;
  for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
    best = std::min(best, distance_to_piece(p, points_[i], points_[i + 1]));
  }
  return best;
}

std::optional<double> GroundSurface::y_at(double x) const {
  std::optional<double> lowest;
  for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
    Point a = points_[i], b = points_[i + 1];
    if (x < a.x || x > b.x) continue;
    double y = b.x > a.x ? a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x) : std::min(a.y, b.y);
    lowest = lowest ? std::min(*lowest, y) : y;
  }
  return lowest;
}

std::optional<double> GroundSurface::inclination_at(double x) const {
  for (std::size_t i = 0; i + 1 < points_.size(); ++i) {
    Point a = points_[i], b = points_[i + 1];
    if (a.x == b.x) {
      if (std::abs(a.x - x) < kSameX && b.y > a.y) return std::numbers::pi / 2;
      continue;
    }
    const bool last = i + 2 == points_.size();
    if (a.x <= x && (x < b.x || (last && x <= b.x + kSameX))) return inclination(a, b);
  }
  return std::nullopt;
}

std::optional<Circle> circle_through(Point a, Point b, Point c) {
  double d = 2 * (a.x * (b.y - c.y) + b.x * (c.y - a.y) + c.x * (a.y - b.y));
  double scale = std::max({distance(a, b), distance(b, c), distance(a, c)});
  if (std::abs(d) <= kParallel * scale * scale) return std::nullopt;
  double a2 = a.x * a.x + a.y * a.y, b2 = b.x * b.x + b.y * b.y, c2 = c.x * c.x + c.y * c.y;
  Point centre{(a2 * (b.y - c.y) + b2 * (c.y - a.y) + c2 * (a.y - b.y)) / d,
               (a2 * (c.x - b.x) + b2 * (a.x - c.x) + c2 * (b.x - a.x)) / d};
  return Circle{centre.x, centre.y, distance(centre, b)};
}

std::optional<Polyline> circle_surface(const Circle& circle, const GroundSurface& ground,
                                       double segment_length, int most_points) {
  if (!(segment_length > 0) || !(segment_length < 2 * circle.radius)) return std::nullopt;
  const double turn = 2 * std::asin(segment_length / (2 * circle.radius));
  std::optional<double> entry;
  for (double angle : lower_crossing_angles(circle, ground)) {
    if (below_ground(on_circle(circle, angle + kLookPastCrossing * turn), ground)) {
      entry = angle;
      break;
    }
  }
  if (!entry) return std::nullopt;
  Polyline surface{on_circle(circle, *entry)};
  for (int k = 1; static_cast<int>(surface.size()) < most_points; ++k) {
    Point next = on_circle(circle, *entry + k * turn);
    if (inclination(surface.back(), next) + kVerticalMargin >= std::numbers::pi / 2) break;
    if (std::optional<Point> exit = chord_exit(surface.back(), next, ground)) {
      surface.push_back(*exit);
      if (surface.size() < 3) return std::nullopt;
      return surface;
    }
    surface.push_back(next);
  }
  return std::nullopt;
}

Polyline simplified(const Polyline& surface, int inner) {
  const std::size_t n = surface.size();
  if (n < 3 || inner >= static_cast<int>(n) - 2) return surface;
  std::vector<bool> kept(n, false);
  kept.front() = kept.back() = true;
  for (int added = 0; added < inner; ++added) {
    std::size_t farthest = 0, left = 0;
    double farthest_distance = -1;
    for (std::size_t i = 1; i + 1 < n; ++i) {
      if (kept[i]) {
        left = i;
        continue;
      }
      std::size_t right = i + 1;
      while (!kept[right]) ++right;
      double d = distance_to_piece(surface[i], surface[left], surface[right]);
      if (d > farthest_distance) farthest_distance = d, farthest = i;
    }
    kept[farthest] = true;
  }
  Polyline out;
  for (std::size_t i = 0; i < n; ++i) {
    if (kept[i]) out.push_back(surface[i]);
  }
  return out;
}

double inclination(Point a, Point b) {
  return std::atan2(b.y - a.y, b.x - a.x);
}

}  // namespace scarpex_host
