#include "views/picture_trials.h"

#include <algorithm>
#include <cmath>

namespace scarpex_host {

std::vector<const TrialSurface*> trials_to_draw(const std::vector<TrialSurface>& trials) {
  std::vector<const TrialSurface*> all;
  std::size_t points = 0;
  for (const TrialSurface& t : trials) {
    all.push_back(&t);
    points += t.points.size();
  }
  if (points <= kTrialPointBudget || all.empty()) return all;
  std::stable_sort(all.begin(), all.end(), [](const TrialSurface* a, const TrialSurface* b) {
    bool ca = a->solution_status == 1, cb = b->solution_status == 1;
    if (ca != cb) return ca;
    return a->factor_of_safety < b->factor_of_safety;
  });
  double keep_share = static_cast<double>(kTrialPointBudget) / static_cast<double>(points);
  std::vector<const TrialSurface*> kept;
  double carried = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    carried += keep_share;
    if (i < kKeptCritical || carried >= 1.0) {
      kept.push_back(all[i]);
      if (carried >= 1.0) carried -= 1.0;
    }
  }
  std::sort(kept.begin(), kept.end(),
            [](const TrialSurface* a, const TrialSurface* b) { return a->trial < b->trial; });
  return kept;
}

std::string trial_path_data(const Polyline& points, const std::function<Point(Point)>& to_units) {
  std::string d;
  long px = 0, py = 0;
  bool first = true;
  for (const Point& p : points) {
    Point q = to_units(p);
    if (!std::isfinite(q.x) || !std::isfinite(q.y)) continue;
    long x = std::lround(q.x), y = std::lround(q.y);
    if (first) {
      d += 'M';
      d += std::to_string(x) + " " + std::to_string(y) + "l";
      first = false;
    } else {
      long dx = x - px, dy = y - py;
      // A minus sign separates two numbers by itself.
      if (d.back() != 'l' && dx >= 0) d += ' ';
      d += std::to_string(dx);
      if (dy >= 0) d += ' ';
      d += std::to_string(dy);
    }
    px = x, py = y;
  }
  if (!d.empty() && d.back() == 'l') d.pop_back();
  return d;
}

}  // namespace scarpex_host
