// SURFAC and SURBIS: a trial failure surface given point by point.
#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "input/command_readers.h"
#include "model/circle.h"
#include "model/geometry.h"

namespace scarpex {

namespace {

void write_trial_number(Engine& e) {
  static const FortranFormat kTrial("(' ntrial = ',I5)");
  kTrial.write(e.trace, {1});
  kTrial.write(e.status, {1});
}

void write_method_caption(Engine& e) {
  static const FortranFormat kBishop(
      "(/,/,10X,'* * Safety Factor Is Calculated By The Modified Bishop Method * *',/)");
  static const FortranFormat kJanbu(
      "(/,/,10X,'* * Safety Factor Is Calculated By The Modified Janbu Method * *',/)");
  (e.model.bishop_method == 1 ? kBishop : kJanbu).write(e.report);
}

bool read_points(Engine& e, int32_t count) {
  ProblemModel& m = e.model;
  for (int32_t i = 1; i <= count; ++i) {
    if (!read_real(e, m.surface_x[i]) || !read_real(e, m.surface_y[i])) return false;
    if (!(m.surface_x[i] > -m.coord_tolerance) || !(m.surface_y[i] > -m.coord_tolerance)) {
      report_input_error_item(e, "SF03", "Point", i);
    }
  }
  return true;
}

// The surface must start and end on the ground surface, from the left end of boundary 1 to
// the right end of the last top boundary. Without a ground surface (no valid profile, already
// reported) and without points (SF02) there is nothing to compare; a one-point surface
// (SF02) is checked with its only point as both ends.
void check_surface_ends(Engine& e) {
  ProblemModel& m = e.model;
  int32_t count = m.surface_point_count;
  int32_t top = m.top_boundary_count;
  if (count < 1 || top < 1 || top > kMaxBoundaries) return;
  float left = m.boundary_x_left[1];
  float right = m.boundary_x_right[top];
  float first = m.surface_x[1];
  float last = m.surface_x[count];
  if (first > right || !(left - first < m.coord_tolerance)) report_input_error(e, "SF05");
  if (last < left || !(last - right < m.coord_tolerance)) report_input_error(e, "SF06");
}

void write_points(Engine& e) {
  static const FortranFormat kRow("(12X,I3,2X,2F12.2)");
  const ProblemModel& m = e.model;
  for (int32_t i = 1; i <= m.surface_point_count; ++i) {
    kRow.write(e.report, {i, to_display_x(m, m.surface_x[i]), to_display_y(m, m.surface_y[i])});
  }
}

// The Modified Bishop method needs the circle through the first, middle and last points.
// When they give none (a surface of two or three points, whose middle index is the first
// point, or three collinear points) the surface cannot be analysed that way: SF07 is this
// reader's own code for it, the radius is stored as 0 and no circle line is written. A
// surface already refused by SF02 gets no second error.
void report_circle(Engine& e) {
  ProblemModel& m = e.model;
  m.circle_radius = 0.0f;
  if (m.surface_point_count < 2) return;
  Circle circle = surface_circle(m);
  if (!circle.found) {
    report_input_error(e, "SF07");
    return;
  }
  m.circle_radius = circle.radius;
  static const FortranFormat kCircle(
      "(/,10X,'Circle Center At X = ',F6.1,' ; Y = ',F6.1,'  and Radius, ',F6.1)");
  kCircle.write(e.report, {to_display_x(m, circle.x_centre), to_display_y(m, circle.y_centre),
                           circle.radius});
}

}  // namespace

void read_specified_surface(Engine& e) {
  ProblemModel& m = e.model;
  m.specified_surface_given = 1;
  write_trial_number(e);
  int32_t count = 0;
  if (!read_int(e, count)) return;
  write_method_caption(e);
  static const FortranFormat kCount(
      "('1',/,/,/,10X,'Trial Failure Surface Specified By',I3,' Coordinate Points')");
  kCount.write(e.report, {count});
  if (count > kMaxSurfacePoints) {
    // No point is stored: the model never holds a count its tables cannot hold.
    m.surface_point_count = 0;
    write_error_line(e.report, "SF01");
    abort_run(e);
    return;
  }
  m.surface_point_count = count;
  if (count < 2) report_input_error(e, "SF02");
  static const FortranFormat kHeading(
      "(/,/,12X,'Point',6X,'X-Surf',6X,'Y-Surf',/,13X,'No.',8X,A4,8X,A4,/)");
  kHeading.write(e.report, {m.length_label, m.length_label});
  if (!read_points(e, count)) return;
  check_surface_ends(e);
  write_points(e);
  if (m.bishop_method == 1) report_circle(e);
}

}  // namespace scarpex
