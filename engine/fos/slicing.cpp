#include "fos/slicing.h"

#include <algorithm>
#include <cmath>

#include "core/fortran_format.h"
#include "fos/slicing_abscissae.h"
#include "model/exact_math.h"
#include "model/geometry.h"

namespace scarpex {

namespace {

// One layer of the soil column on a slice's centre line, from the top down. Layers are written
// whole before they are read, so a column of them is not cleared first.
struct Layer {
  float top;
  float bottom;
  int32_t soil;
  float water_level;
  float weight;
};

// The ground layer plus at most one layer per subsurface boundary.
constexpr int32_t kMaxLayers = kMaxBoundaries + 1;

bool soil_in_table(int32_t soil) {
  return soil >= 1 && soil <= kMaxSoils;
}

// A surface that cannot be analysed: the caller discards it on stop code 21.
void reject_surface(Engine& e, const char* status_text) {
  e.model.stop_code = kSurfaceNotSliced;
  write_free_line(e.status, {status_text});
}

constexpr const char* kExtendsGround = "    7     FAILURE SURFACE EXTEND GROUND";
// Our own wording for a surface that has no slice, or more slices than the table holds.
constexpr const char* kCannotSlice = "    7     FAILURE SURFACE CAN NOT BE SLICED";

// The lookups of one build_slices call, each resuming where the previous slice's ended.
struct Cursors {
  int32_t ground = 1;
  int32_t surface = 2;
  int32_t edge = 2;
  int32_t load = 1;
  Table<int32_t, kMaxPiezoSurfaces> piezo{};
  Cursors() { piezo.fill(2); }
};

struct Ends {
  float x1, y1, x2, y2;
};

// Finds, from segment `cursor` on, the first segment whose x-range holds x within the
// tolerance; the cursor moves to it. `segment(k)` gives segment k. Returns 0 when none does.
template <typename SegmentOf>
int32_t find_segment(int32_t& cursor, int32_t last, float x, float& y, SegmentOf segment) {
  for (int32_t k = cursor; k <= last; ++k) {
    auto [x1, y1, x2, y2] = segment(k);
    int32_t found = 0;
    segment_y_at(x1, y1, x2, y2, x, y, found);
    if (found == 1) {
      cursor = k;
      return k;
    }
  }
  return 0;
}

float inclination(const Ends& s) {
  return exact::atan((s.y1 - s.y2) / (s.x1 - s.x2));
}

class SliceBuilder {
 public:
  explicit SliceBuilder(Engine& e) : e_(e), m_(e.model), t_(e.model.slices) {
    points_ = std::clamp(m_.surface_point_count, 0, kMaxSurfacePoints);
    boundaries_ = std::clamp(m_.boundary_count, 0, kMaxBoundaries);
    top_ = std::clamp(m_.top_boundary_count, 0, boundaries_);
    piezos_ = m_.water_active != 0 ? std::clamp(m_.piezo_count, 0, kMaxPiezoSurfaces) : 0;
  }

  void run() {
    int32_t n = t_.slice_count;
    if (n < 1 || n > kMaxSlices || points_ < 2) return;  // rejected while collecting
    t_.y_edge[1] = surface_y_at_edge(t_.x_edge[1]);
    for (int32_t i = 1; i <= n; ++i) {
      if (!build_slice(i)) return;
    }
  }

 private:
  Ends surface_segment(int32_t k) const {
    return {m_.surface_x[k - 1], m_.surface_y[k - 1], m_.surface_x[k], m_.surface_y[k]};
  }
  Ends boundary(int32_t b) const {
    return {m_.boundary_x_left[b], m_.boundary_y_left[b], m_.boundary_x_right[b],
            m_.boundary_y_right[b]};
  }

  // Neighbouring slices mostly stand on the same ground segment: its slope is kept.
  float ground_inclination(int32_t g) {
    if (g != inclined_boundary_) {
      ground_slope_ = inclination(boundary(g));
      inclined_boundary_ = g;
    }
    return ground_slope_;
  }

  // An edge that no segment holds (a surface that is not ordered by x) takes the elevation of
  // the surface's first or last point, whichever end it lies beyond.
  float surface_y_at_edge(float x) {
    float y = 0.0f;
    auto ends = [this](int32_t k) { return surface_segment(k); };
    if (find_segment(cursors_.edge, points_, x, y, ends) != 0) return y;
    return x <= m_.surface_x[1] ? m_.surface_y[1] : m_.surface_y[points_];
  }

  bool build_slice(int32_t i) {
    float left = t_.x_edge[i];
    float right = t_.x_edge[i + 1];
    t_.y_edge[i + 1] = surface_y_at_edge(right);
    t_.width[i] = right - left;
    float x_mid = (left + right) * 0.5f;
    t_.x_mid[i] = x_mid;

    float y_top = 0.0f;
    int32_t g = find_segment(cursors_.ground, top_, x_mid, y_top,
                             [this](int32_t b) { return boundary(b); });
    if (g == 0) {  // the slice lies beyond the ends of the ground surface
      reject_surface(e_, kExtendsGround);
      return false;
    }
    t_.beta[i] = ground_inclination(g);

    float y_base = 0.0f;
    int32_t s = find_segment(cursors_.surface, points_, x_mid, y_base,
                             [this](int32_t k) { return surface_segment(k); });
    if (s == 0) {
      reject_surface(e_, kCannotSlice);
      return false;
    }
    t_.y_base[i] = y_base;
    t_.alpha[i] = inclination(surface_segment(s));
    if (y_top <= y_base) {
      reject_surface(e_, kExtendsGround);
      return false;
    }

    int32_t layer_count = stack_layers(x_mid, y_top, y_base, m_.boundary_soil_type[g]);
    assign_water_levels(x_mid, layer_count);
    weigh_slice(i, layer_count);
    add_water_forces(i, y_top, layer_count);
    add_load(i, x_mid);
    t_.height[i] = y_top - y_base;
    t_.centroid_height[i] = m_.bishop_method == 1 ? centroid_height(i, layer_count) : 0.0f;
    return true;
  }

  // The soil column from the ground down to the base; returns the number of layers.
  int32_t stack_layers(float x_mid, float y_top, float y_base, int32_t ground_soil) {
    int32_t count = 1;
    layers_[1] = Layer{y_top, y_base, ground_soil, 0.0f, 0.0f};
    for (int32_t b = top_ + 1; b <= boundaries_; ++b) {
      Ends bd = boundary(b);
      float y = 0.0f;
      int32_t found = 0;
      segment_y_at(bd.x1, bd.y1, bd.x2, bd.y2, x_mid, y, found);
      if (found != 1) continue;
      if (y_base >= y) break;
      layers_[count].bottom = y;
      ++count;
      layers_[count] = Layer{y, y_base, m_.boundary_soil_type[b], 0.0f, 0.0f};
    }
    return count;
  }

  // Level of piezometric surface j at x. Beyond its end points a surface is taken as level
  // with the nearer end point.
  float piezo_level(int32_t j, float x) {
    int32_t points = std::clamp(m_.piezo_point_count[j], 0, kMaxPiezoPoints);
    if (points == 0) return 0.0f;
    float y = 0.0f;
    auto ends = [this, j](int32_t p) {
      return Ends{m_.piezo_x[j][p - 1], m_.piezo_y[j][p - 1], m_.piezo_x[j][p], m_.piezo_y[j][p]};
    };
    if (find_segment(cursors_.piezo[j], points, x, y, ends) != 0) return y;
    return x <= m_.piezo_x[j][1] ? m_.piezo_y[j][1] : m_.piezo_y[j][points];
  }

  // Each layer takes the level of the piezometric surface that its soil names. A soil
  // without one, or naming a surface that is not defined, has the level 0.0.
  void assign_water_levels(float x_mid, int32_t layer_count) {
    Table<float, kMaxPiezoSurfaces> level{};
    for (int32_t j = 1; j <= piezos_; ++j) level[j] = piezo_level(j, x_mid);
    for (int32_t l = 1; l <= layer_count; ++l) {
      int32_t soil = layers_[l].soil;
      int32_t surface = soil_in_table(soil) ? m_.soil_piezometric_surface[soil] : 0;
      layers_[l].water_level = (surface >= 1 && surface <= piezos_) ? level[surface] : 0.0f;
    }
  }

  void weigh_slice(int32_t i, int32_t layer_count) {
    float weight = 0.0f;
    for (int32_t l = 1; l <= layer_count; ++l) {
      Layer& layer = layers_[l];
      layer.weight = layer_weight(m_, layer.top, layer.bottom, layer.soil, layer.water_level, i);
      weight += layer.weight;
    }
    t_.weight[i] = weight;
    t_.base_soil[i] = layers_[layer_count].soil;
  }

  void add_water_forces(int32_t i, float y_top, int32_t layer_count) {
    float gamma_w = m_.water_unit_weight;
    float b = t_.width[i];
    float y_base = t_.y_base[i];
    float base_level = layers_[layer_count].water_level;
    float base_force = 0.0f;
    if (base_level > y_base)
      base_force = gamma_w * (base_level - y_base) * b / exact::cos(t_.alpha[i]);
    float top_level = layers_[1].water_level;
    float top_force = 0.0f;
    if (y_top <= top_level) top_force = gamma_w * (top_level - y_top) * b / exact::cos(t_.beta[i]);

    int32_t soil = t_.base_soil[i];
    if (soil_in_table(soil)) {
      float ru = m_.soil_pore_pressure_ratio[soil];
      float pc = m_.soil_pore_pressure_constant[soil];
      if (ru != 0.0f || pc != 0.0f) {
        base_force += (ru * t_.weight[i] + pc * b) / exact::cos(t_.alpha[i]);
      }
    }
    t_.base_water_force[i] = base_force;
    t_.top_water_force[i] = top_force;
  }

  // At most one load acts on a slice: the first, from where the last scan stopped, whose
  // strip holds the centre line.
  void add_load(int32_t i, float x_mid) {
    t_.load_angle[i] = 0.0f;
    t_.load_force[i] = 0.0f;
    if (m_.loads_active == 0) return;
    int32_t loads = std::clamp(m_.load_count, 0, kMaxLoads);
    for (int32_t& j = cursors_.load; j <= loads; ++j) {
      if (m_.load_x_left[j] > x_mid) return;
      if (x_mid > m_.load_x_right[j]) continue;
      float x_left = m_.load_x_left[j];
      float span = m_.load_x_right[j] - x_left;
      float q_left = m_.load_intensity_left[j];
      float q_right = m_.load_intensity_right[j];
      // A strip of no length (rejected by the loads reader) carries its left intensity.
      float q = span > 0.0f ? q_left + (x_mid - x_left) * (q_right - q_left) / span : q_left;
      t_.load_angle[i] = m_.load_deflection[j];
      t_.load_force[i] = q * t_.width[i];
      return;
    }
  }

  float centroid_height(int32_t i, int32_t layer_count) const {
    float y_base = t_.y_base[i];
    float moment = 0.0f;
    for (int32_t l = 1; l <= layer_count; ++l) {
      const Layer& layer = layers_[l];
      moment += layer.weight * ((layer.top + layer.bottom) * 0.5f - y_base);
    }
    // A weightless column has no centre of weight; its mid-height stands in (the value only
    // ever multiplies the weight).
    if (t_.weight[i] == 0.0f) return t_.height[i] * 0.5f;
    return moment / t_.weight[i];
  }

  Engine& e_;
  ProblemModel& m_;
  SliceTable& t_;
  int32_t points_ = 0;
  int32_t boundaries_ = 0;
  int32_t top_ = 0;
  int32_t piezos_ = 0;
  Cursors cursors_;
  int32_t inclined_boundary_ = 0;  // the ground segment whose slope ground_slope_ holds
  float ground_slope_ = 0.0f;
  Table<Layer, kMaxLayers> layers_;
};

// One buffer per thread, kept between surfaces: no allocation per surface. Reached through a
// call that is never inlined, so that the thread-local address is looked up once per surface
// rather than at every use.
[[gnu::noinline]] AbscissaList& abscissa_buffer() {
  static thread_local AbscissaList list;
  return list;
}

}  // namespace

void collect_slice_abscissae(Engine& e) {
  ProblemModel& m = e.model;
  SliceTable& t = m.slices;
  t.slice_count = 0;
  if (m.surface_point_count < 2 || m.surface_point_count > kMaxSurfacePoints) {
    reject_surface(e, kCannotSlice);
    return;
  }
  AbscissaList& list = abscissa_buffer();
  list.clear();
  gather_critical_abscissae(m, list);
  std::span<float> values = list.values();
  int32_t edges = sort_and_merge(values, m.coord_tolerance);
  // The edge list holds 200 abscissae; a surface that needs more (or has no slice at all)
  // is rejected like one that leaves the ground.
  if (list.overflow() || edges < 2 || edges > kMaxSliceEdges) {
    reject_surface(e, kCannotSlice);
    return;
  }
  for (int32_t j = 1; j <= edges; ++j) t.x_edge[j] = values[static_cast<std::size_t>(j - 1)];
  t.slice_count = edges - 1;
}

void build_slices(Engine& e) {
  SliceBuilder(e).run();
}

float layer_weight(const ProblemModel& m, float y_top, float y_bottom, int32_t soil,
                   float water_level, int32_t slice) {
  if (!soil_in_table(soil) || slice < 1 || slice > kMaxSlices) return 0.0f;
  float gamma = m.soil_total_unit_weight[soil];
  float gamma_sat = m.soil_saturated_unit_weight[soil];
  float b = m.slices.width[slice];
  if (water_level >= y_top) return (y_top - y_bottom) * gamma_sat * b;
  if (water_level <= y_bottom) return (y_top - y_bottom) * gamma * b;
  return ((y_top - water_level) * gamma + (water_level - y_bottom) * gamma_sat) * b;
}

}  // namespace scarpex
