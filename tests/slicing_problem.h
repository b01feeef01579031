// Problems built directly in the model for the slicing and method tests.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "core/engine.h"

namespace scarpex::testing {

// Iteration limit, tolerance and report switch of the Modified Bishop/Janbu methods.
inline void set_method_controls(ProblemModel& m, int32_t limit = 50, float tolerance = 0.0001f,
                                int32_t report_switch = 1) {
  m.solver_int_controls[1] = limit;
  m.solver_real_controls[1] = tolerance;
  m.solver_int_controls[6] = report_switch;
}

// Appends a boundary; the first `top` boundaries added form the ground surface.
inline void add_boundary(ProblemModel& m, float xl, float yl, float xr, float yr, int32_t soil,
                         bool top) {
  int32_t b = ++m.boundary_count;
  m.boundary_x_left[b] = xl;
  m.boundary_y_left[b] = yl;
  m.boundary_x_right[b] = xr;
  m.boundary_y_right[b] = yr;
  m.boundary_soil_type[b] = soil;
  if (top) m.top_boundary_count = b;
}

struct SoilData {
  float gamma = 20.0f;
  float gamma_sat = 20.0f;
  float cohesion = 0.0f;
  float phi = 0.0f;
  float ru = 0.0f;
  float pc = 0.0f;
  int32_t piezo = 0;
};

inline void set_soil(ProblemModel& m, int32_t k, const SoilData& s) {
  m.soil_given = 1;
  if (m.soil_count < k) m.soil_count = k;
  m.soil_total_unit_weight[k] = s.gamma;
  m.soil_saturated_unit_weight[k] = s.gamma_sat;
  m.soil_cohesion[k] = s.cohesion;
  m.soil_friction_angle[k] = s.phi;
  m.soil_pore_pressure_ratio[k] = s.ru;
  m.soil_pore_pressure_constant[k] = s.pc;
  m.soil_piezometric_surface[k] = s.piezo;
}

inline void set_surface(ProblemModel& m, std::initializer_list<std::pair<float, float>> points) {
  int32_t k = 0;
  for (auto [x, y] : points) {
    ++k;
    m.surface_x[k] = x;
    m.surface_y[k] = y;
  }
  m.surface_point_count = k;
}

inline void add_piezo_surface(ProblemModel& m,
                              std::initializer_list<std::pair<float, float>> points,
                              float unit_weight) {
  m.water_active = 1;
  int32_t j = ++m.piezo_count;
  int32_t p = 0;
  for (auto [x, y] : points) {
    ++p;
    m.piezo_x[j][p] = x;
    m.piezo_y[j][p] = y;
  }
  m.piezo_point_count[j] = p;
  m.water_unit_weight = unit_weight;
}

// Number of times `needle` occurs in `text`.
inline int count_of(const std::string& text, const std::string& needle) {
  int n = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos;
       at = text.find(needle, at + needle.size())) {
    ++n;
  }
  return n;
}

}  // namespace scarpex::testing
