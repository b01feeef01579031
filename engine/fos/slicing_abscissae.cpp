#include "fos/slicing_abscissae.h"

#include <algorithm>

#include "model/geometry.h"

namespace scarpex {

namespace {

struct Segment {
  float x1, y1, x2, y2;
};

// What the gathering needs of the model, with every count held inside its table.
struct Scene {
  const ProblemModel& m;
  int32_t points;      // surface points
  int32_t boundaries;  // all boundaries
  int32_t top;         // ground-surface boundaries
  int32_t piezos;      // piezometric surfaces in use (0 when water is not active)
  float x_first, x_last;

  explicit Scene(const ProblemModel& model) : m(model) {
    points = std::clamp(m.surface_point_count, 0, kMaxSurfacePoints);
    boundaries = std::clamp(m.boundary_count, 0, kMaxBoundaries);
    top = std::clamp(m.top_boundary_count, 0, boundaries);
    piezos = m.water_active != 0 ? std::clamp(m.piezo_count, 0, kMaxPiezoSurfaces) : 0;
    x_first = m.surface_x[1];
    x_last = m.surface_x[points];
  }
  int32_t piezo_points(int32_t j) const {
    return std::clamp(m.piezo_point_count[j], 0, kMaxPiezoPoints);
  }
  Segment boundary(int32_t b) const {
    return {m.boundary_x_left[b], m.boundary_y_left[b], m.boundary_x_right[b],
            m.boundary_y_right[b]};
  }
  Segment surface_segment(int32_t k) const {  // points k-1 to k
    return {m.surface_x[k - 1], m.surface_y[k - 1], m.surface_x[k], m.surface_y[k]};
  }
  Segment piezo_segment(int32_t j, int32_t p) const {  // points p-1 to p
    return {m.piezo_x[j][p - 1], m.piezo_y[j][p - 1], m.piezo_x[j][p], m.piezo_y[j][p]};
  }

  // True when (x, y) lies inside the sliding mass or on its base: the surface elevation at x,
  // taken on the first segment (from point 2) whose right point lies at or beyond x, is at or
  // below y. False beyond the surface's last point.
  bool inside_mass(float x, float y) const {
    for (int32_t k = 2; k <= points; ++k) {
      if (m.surface_x[k] < x) continue;
      Segment s = surface_segment(k);
      float ys = s.y2;  // a vertical segment keeps its right point's elevation
      int32_t found = 0;
      segment_y_at(s.x1, s.y1, s.x2, s.y2, x, ys, found);
      return ys <= y;
    }
    return false;
  }
};

// Two segments whose x-ranges, widened by the tolerance, do not meet cannot cross; skipping
// them saves most intersection calls without changing any result.
bool may_cross(const Segment& a, const Segment& b) {
  const float reach = 2.0f * kCoordTolerance;
  return std::max(std::min(a.x1, a.x2), std::min(b.x1, b.x2)) <=
         std::min(std::max(a.x1, a.x2), std::max(b.x1, b.x2)) + reach;
}

bool crossing(const Segment& a, const Segment& b, float& x, float& y) {
  if (!may_cross(a, b)) return false;
  int32_t found = 0;
  intersect_segments(a.x1, a.y1, a.x2, a.y2, b.x1, b.y1, b.x2, b.y2, x, y, found);
  return found == 1;
}

void add_surface_points(const Scene& s, AbscissaList& list) {
  for (int32_t k = 1; k <= s.points; ++k) list.add(s.m.surface_x[k]);
}

void add_ground_breaks(const Scene& s, AbscissaList& list) {
  for (int32_t b = 1; b <= s.top; ++b) {
    float x = s.m.boundary_x_right[b];
    if (x >= s.x_last) break;
    if (x > s.x_first) list.add(x);
  }
}

// Ends of the subsurface boundaries inside the sliding mass. A boundary that continues the
// one listed before it (or starts at or left of the surface) offers only its right end.
void add_boundary_ends(const Scene& s, AbscissaList& list) {
  const ProblemModel& m = s.m;
  for (int32_t b = s.top + 1; b <= s.boundaries; ++b) {
    Segment bd = s.boundary(b);
    if (!(bd.x2 > s.x_first && bd.x1 < s.x_last)) continue;
    bool continues = b > 1 && bd.x1 == m.boundary_x_right[b - 1];
    if (continues || bd.x1 <= s.x_first) {
      if (bd.x2 < s.x_last && s.inside_mass(bd.x2, bd.y2)) list.add(bd.x2);
      continue;
    }
    if (s.inside_mass(bd.x1, bd.y1)) list.add(bd.x1);
    if (s.inside_mass(bd.x2, bd.y2)) list.add(bd.x2);
  }
}

void add_piezo_points(const Scene& s, AbscissaList& list) {
  for (int32_t j = 1; j <= s.piezos; ++j) {
    for (int32_t p = 1; p <= s.piezo_points(j); ++p) {
      float x = s.m.piezo_x[j][p];
      if (x > s.x_first && x < s.x_last && s.inside_mass(x, s.m.piezo_y[j][p])) list.add(x);
    }
  }
}

void add_load_ends(const Scene& s, AbscissaList& list) {
  const ProblemModel& m = s.m;
  if (m.loads_active == 0) return;
  int32_t loads = std::clamp(m.load_count, 0, kMaxLoads);
  for (int32_t j = 1; j <= loads; ++j) {
    if (!(m.load_x_right[j] > s.x_first && m.load_x_left[j] < s.x_last)) continue;
    if (m.load_x_left[j] > s.x_first) list.add(m.load_x_left[j]);
    if (m.load_x_right[j] < s.x_last) list.add(m.load_x_right[j]);
  }
}

void add_boundary_surface_crossings(const Scene& s, AbscissaList& list) {
  for (int32_t b = s.top + 1; b <= s.boundaries; ++b) {
    Segment bd = s.boundary(b);
    for (int32_t k = 2; k <= s.points; ++k) {
      float x = 0.0f, y = 0.0f;
      if (crossing(bd, s.surface_segment(k), x, y)) list.add(x);
    }
  }
}

// Crossings of subsurface boundaries with piezometric lines inside the sliding mass.
void add_boundary_piezo_crossings(const Scene& s, AbscissaList& list) {
  for (int32_t b = s.top + 1; b <= s.boundaries; ++b) {
    Segment bd = s.boundary(b);
    for (int32_t j = 1; j <= s.piezos; ++j) {
      for (int32_t p = 2; p <= s.piezo_points(j); ++p) {
        Segment pz = s.piezo_segment(j, p);
        if (!(pz.x2 > s.x_first && pz.x1 < s.x_last)) continue;
        float x = 0.0f, y = 0.0f;
        if (!crossing(bd, pz, x, y)) continue;
        if (x > s.x_first && x < s.x_last && s.inside_mass(x, y)) list.add(x);
      }
    }
  }
}

void add_piezo_surface_crossings(const Scene& s, AbscissaList& list) {
  for (int32_t j = 1; j <= s.piezos; ++j) {
    for (int32_t p = 2; p <= s.piezo_points(j); ++p) {
      Segment pz = s.piezo_segment(j, p);
      for (int32_t k = 2; k <= s.points; ++k) {
        float x = 0.0f, y = 0.0f;
        if (crossing(pz, s.surface_segment(k), x, y)) list.add(x);
      }
    }
  }
}

}  // namespace

void gather_critical_abscissae(const ProblemModel& m, AbscissaList& list) {
  Scene scene(m);
  add_surface_points(scene, list);
  add_ground_breaks(scene, list);
  add_boundary_ends(scene, list);
  add_piezo_points(scene, list);
  add_load_ends(scene, list);
  add_boundary_surface_crossings(scene, list);
  add_boundary_piezo_crossings(scene, list);
  add_piezo_surface_crossings(scene, list);
}

int32_t sort_and_merge(std::span<float> values, float tolerance) {
  std::sort(values.begin(), values.end());
  int32_t kept = 0;
  std::size_t n = values.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i + 1 < n && values[i + 1] - values[i] < tolerance) continue;  // its run goes on
    values[static_cast<std::size_t>(kept++)] = values[i];
  }
  return kept;
}

}  // namespace scarpex
