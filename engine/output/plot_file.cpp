#include "output/plot_file.h"

#include <algorithm>

#include "core/fortran_format.h"
#include "model/circle.h"
#include "output/plot_drawing.h"

namespace scarpex {

namespace {

const FortranFormat& surface_point_layout() {
  static const FortranFormat kSurfacePoint("(2F15.4)");
  return kSurfacePoint;
}

// The circle through the first, the middle and the last point of the current surface. When
// no circle exists (fewer than two points, or collinear points such as a planar block) the
// centre and radius are written as 0, as the circle records of a block search are.
Circle current_circle(const ProblemModel& m) {
  Circle circle = surface_circle(m);
  if (!circle.found) return Circle{};
  return circle;
}

int32_t current_point_count(const ProblemModel& m) {
  return std::clamp(m.surface_point_count, 0, kMaxSurfacePoints);
}

// SRF: the specified surface with its factor of safety and circle.
void write_specified_surface(Engine& e) {
  static const FortranFormat kResult("(F15.3,3F15.4)");
  const ProblemModel& m = e.model;
  int32_t n = current_point_count(m);
  Circle circle = current_circle(m);
  e.plot.line("SRF");
  write_free_line(e.plot, {n});
  kResult.write(e.plot, {m.list[0].fos, circle.x_centre, circle.y_centre, circle.radius});
  write_polyline(e.plot, surface_point_layout(), m.surface_x, m.surface_y, n);
}

// SFS: one analysed trial surface of a search.
void write_trial_surface(Engine& e) {
  static const FortranFormat kResult("(F15.3,4F15.4)");
  const ProblemModel& m = e.model;
  int32_t n = current_point_count(m);
  Circle circle = current_circle(m);
  e.plot.line("SFS");
  write_free_line(e.plot, {m.ntrial});
  write_free_line(e.plot, {n, m.solution_status});
  kResult.write(e.plot, {m.list[0].fos, circle.x_centre, circle.y_centre, circle.radius,
                         m.spencer_theta_plot});
  write_polyline(e.plot, surface_point_layout(), m.surface_x, m.surface_y, n);
}

// TNS: the list of most critical surfaces at the end of a search, with their circle records.
void write_critical_list(Engine& e) {
  static const FortranFormat kCount("(I10)");
  static const FortranFormat kPoint("(2F12.4)");
  ProblemModel& m = e.model;
  int32_t shown = std::clamp(m.list_shown_count, 0, 10);
  e.plot.line("TNS");
  kCount.write(e.plot, {shown});
  for (int32_t k = 1; k <= shown; ++k) {
    const ListSlot& slot = m.list[static_cast<std::size_t>(k)];
    int32_t n = std::clamp(slot.point_count, 0, kMaxSurfacePoints);
    // Only a circular search has meaningful radii; the others are written with a radius of 0.
    float radius = m.circular_search == 1 ? m.circle_record_r[k] : 0.0f;
    kCount.write(e.plot, {n});
    write_free_line(e.plot, {slot.fos, m.circle_record_x[k], m.circle_record_y[k], radius});
    write_polyline(e.plot, kPoint, slot.x, slot.y, n);
  }
}

}  // namespace

void write_plot_records(Engine& e) {
  const ProblemModel& m = e.model;
  if (m.plot_stage == 2.0f) return write_trial_surface(e);
  if (m.plot_stage == 3.0f) return write_critical_list(e);
  write_problem_drawing(e);
  if (m.search_active != 1) write_specified_surface(e);
}

}  // namespace scarpex
