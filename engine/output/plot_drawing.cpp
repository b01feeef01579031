#include "output/plot_drawing.h"

#include <cmath>

#include "model/exact_math.h"
#include "model/geometry.h"

namespace scarpex {

namespace {

// The two layouts that most records share: a count, and one point of a polyline.
const FortranFormat& count_layout() {
  static const FortranFormat kCount("(I10)");
  return kCount;
}
const FortranFormat& point_layout() {
  static const FortranFormat kPoint("(2F12.4)");
  return kPoint;
}

// Counts written before a list of entries are the number of entries that follow: a count
// outside its table (never accepted by the readers) is held to the table.
int32_t bounded(int32_t count, int32_t table_size) {
  return std::clamp(count, 0, table_size);
}

void write_fixed_block(Engine& e) {
  static const FortranFormat kValue("(F10.2)");
  count_layout().write(e.plot, {0});
  for (int32_t v = 1; v <= 8; ++v) kValue.write(e.plot, {static_cast<float>(v)});
  count_layout().write(e.plot, {0});
  for (int32_t v = 1; v <= 5; ++v) kValue.write(e.plot, {static_cast<float>(v)});
}

// The ground surface as one polyline from the left end of boundary 1 through the right ends
// of the top boundaries, then each subsurface boundary by its two ends.
void write_boundaries(Engine& e) {
  static const FortranFormat kFirst("(2F10.2,2I5)");
  const ProblemModel& m = e.model;
  int32_t n = bounded(m.boundary_count, kMaxBoundaries);
  int32_t top = bounded(m.top_boundary_count, n);
  e.plot.line("BND");
  kFirst.write(e.plot, {m.boundary_x_left[1], m.boundary_y_left[1], top, n});
  for (int32_t i = 1; i <= top; ++i) {
    point_layout().write(e.plot, {m.boundary_x_right[i], m.boundary_y_right[i]});
  }
  for (int32_t i = top + 1; i <= n; ++i) {
    point_layout().write(e.plot, {m.boundary_x_left[i], m.boundary_y_left[i]});
    point_layout().write(e.plot, {m.boundary_x_right[i], m.boundary_y_right[i]});
  }
}

void write_water(Engine& e) {
  const ProblemModel& m = e.model;
  if (m.water_active == 0) return;
  int32_t count = bounded(m.piezo_count, kMaxPiezoSurfaces);
  e.plot.line("WTR");
  count_layout().write(e.plot, {count});
  for (int32_t j = 1; j <= count; ++j) {
    int32_t points = bounded(m.piezo_point_count[j], kMaxPiezoPoints);
    count_layout().write(e.plot, {points});
    write_polyline(e.plot, point_layout(), m.piezo_x[j], m.piezo_y[j], points);
  }
}

void write_limits(Engine& e) {
  const ProblemModel& m = e.model;
  if (m.limits_active == 0) return;
  int32_t count = bounded(m.limit_count, kMaxLimits);
  e.plot.line("LMT");
  count_layout().write(e.plot, {count});
  for (int32_t i = 1; i <= count; ++i) {
    point_layout().write(e.plot, {m.limit_x_left[i], m.limit_y_left[i]});
    point_layout().write(e.plot, {m.limit_x_right[i], m.limit_y_right[i]});
  }
}

// Each load is drawn as a four-point outline whose height is 0.3 at the largest mean
// intensity, leaning with the load's deflection.
void write_loads(Engine& e) {
  const ProblemModel& m = e.model;
  if (m.loads_active == 0) return;
  int32_t count = bounded(m.load_count, kMaxLoads);
  // qmax starts at 0, so it is never negative: when no load has a positive mean intensity it
  // stays 0 and every outline is drawn flat on the ground instead of dividing by zero (or
  // turning negative loads upside down).
  float qmax = 0.0f;
  for (int32_t i = 1; i <= count; ++i) {
    qmax = std::max(qmax, 0.5f * (m.load_intensity_left[i] + m.load_intensity_right[i]));
  }
  e.plot.line("LDS");
  count_layout().write(e.plot, {count});
  for (int32_t i = 1; i <= count; ++i) {
    float a = 0.0f;
    float b = 0.0f;
    if (qmax != 0.0f) {
      a = 0.3f * m.load_intensity_left[i] / qmax;
      b = 0.3f * m.load_intensity_right[i] / qmax;
    }
    float sin_d = exact::sin(m.load_deflection[i]);
    float cos_d = exact::cos(m.load_deflection[i]);
    point_layout().write(e.plot, {m.load_x_left[i], m.load_y_left[i]});
    point_layout().write(e.plot, {m.load_x_left[i] - a * sin_d, m.load_y_left[i] + a * cos_d});
    point_layout().write(e.plot, {m.load_x_right[i] - b * sin_d, m.load_y_right[i] + b * cos_d});
    point_layout().write(e.plot, {m.load_x_right[i], m.load_y_right[i]});
  }
}

// Each row is drawn as its head, a tail behind the head whose length shows the row's share of
// the largest line load, and the anchor end. The inclination is the one exception to the
// stored frame: it is shown as the user gave it.
void write_ties(Engine& e) {
  const ProblemModel& m = e.model;
  if (m.ties_active == 0) return;
  int32_t count = bounded(m.tie_count, kMaxTies);
  // lmax starts at 0 like qmax of the loads. When no row has a positive line load (lmax 0)
  // the tail has no scale: it is drawn at the head (c = 0) rather than dividing by zero.
  float lmax = 0.0f;
  for (int32_t i = 1; i <= count; ++i) lmax = std::max(lmax, m.tie_line_load[i]);
  e.plot.line("TIE");
  count_layout().write(e.plot, {count});
  for (int32_t i = 1; i <= count; ++i) {
    float c = 0.0f;
    if (lmax != 0.0f) c = m.tie_length[i] * 0.1f * m.tie_line_load[i] / lmax;
    float degrees = m.tie_inclination[i] / m.deg_to_rad;
    float t = to_display_angle(m, degrees) * m.deg_to_rad;
    float cos_t = exact::cos(t);
    float sin_t = exact::sin(t);
    float tail_x = m.tie_x[i] - c * cos_t;
    float tail_y = m.tie_y[i] + c * sin_t;
    point_layout().write(e.plot, {m.tie_x[i], m.tie_y[i]});
    point_layout().write(e.plot, {tail_x, tail_y});
    if (m.tie_length[i] != 0.0f) {
      point_layout().write(e.plot,
                           {tail_x + m.tie_length[i] * cos_t, tail_y - m.tie_length[i] * sin_t});
    } else {
      point_layout().write(e.plot, {tail_x, tail_y});
    }
  }
}

void write_reinforcement(Engine& e) {
  const ProblemModel& m = e.model;
  if (m.reinf_given == 0) return;
  int32_t count = bounded(m.reinf_layer_count, kMaxReinfLayers);
  e.plot.line("RNF");
  count_layout().write(e.plot, {count});
  for (int32_t j = 1; j <= count; ++j) {
    int32_t points = bounded(m.reinf_point_count[j], kMaxReinfPoints);
    count_layout().write(e.plot, {points});
    write_polyline(e.plot, point_layout(), m.reinf_x[j], m.reinf_y[j], points);
  }
}

// Each box of a block search as a closed outline around its centre line.
void write_boxes(Engine& e) {
  const ProblemModel& m = e.model;
  if (m.block_search == 0) return;
  int32_t count = bounded(m.box_count, kMaxBoxes);
  e.plot.line("BLK");
  count_layout().write(e.plot, {count});
  for (int32_t i = 1; i <= count; ++i) {
    float half = m.box_height[i] / 2.0f;
    point_layout().write(e.plot, {m.box_x_left[i], m.box_y_left[i] + half});
    point_layout().write(e.plot, {m.box_x_left[i], m.box_y_left[i] - half});
    point_layout().write(e.plot, {m.box_x_right[i], m.box_y_right[i] - half});
    point_layout().write(e.plot, {m.box_x_right[i], m.box_y_right[i] + half});
    point_layout().write(e.plot, {m.box_x_left[i], m.box_y_left[i] + half});
  }
}

}  // namespace

void write_problem_drawing(Engine& e) {
  // Every drawing after the first one of a problem is announced by NPL.
  if (e.model.plot_header_written == 1) e.plot.line("NPL");
  e.model.plot_header_written = 1;
  write_fixed_block(e);
  write_boundaries(e);
  write_water(e);
  write_limits(e);
  write_loads(e);
  write_ties(e);
  write_reinforcement(e);
  write_boxes(e);
}

}  // namespace scarpex
