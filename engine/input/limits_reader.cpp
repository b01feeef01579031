// LIMITS: straight limit boundaries that restrict where the searches may generate trial
// surfaces. The first ones deflect a surface upward, the others downward. A count of 0
// suppresses or reactivates the stored limits.
#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "input/command_readers.h"
#include "model/geometry.h"

namespace scarpex {

namespace {

// Reads one coordinate of limit boundary i; a coordinate at or below -0.001 gets its own
// LM04 line. False when the run is ending.
bool read_coordinate(Engine& e, int32_t i, float& value) {
  if (!read_real(e, value)) return false;
  if (!(value > -kCoordTolerance)) report_input_error_item(e, "LM04", "Boundary", i);
  return true;
}

bool read_boundary(Engine& e, int32_t i) {
  ProblemModel& m = e.model;
  if (!read_coordinate(e, i, m.limit_x_left[i]) || !read_coordinate(e, i, m.limit_y_left[i]) ||
      !read_coordinate(e, i, m.limit_x_right[i]) || !read_coordinate(e, i, m.limit_y_right[i])) {
    return false;
  }
  if (m.limit_x_left[i] - m.limit_x_right[i] >= m.coord_tolerance) {
    report_input_error_item(e, "LM05", "Boundary", i);
  }
  return true;
}

void write_table_heading(Engine& e) {
  static const FortranFormat kHeading(
      "(10X,'Boundary',5X,'X-Left',5X,'Y-Left',4X,'X-Right',4X,'Y-Right',/,"
      "13X,'No.',8X,A4,7X,A4,7X,A4,7X,A4,/)");
  const std::string_view label = e.model.length_label;
  kHeading.write(e.report, {label, label, label, label});
}

void echo_boundaries(Engine& e) {
  static const FortranFormat kRow("(12X,I3,3X,4F11.2)");
  const ProblemModel& m = e.model;
  for (int32_t i = 1; i <= m.limit_count; ++i) {
    kRow.write(e.report,
               {i, to_display_x(m, m.limit_x_left[i]), to_display_y(m, m.limit_y_left[i]),
                to_display_x(m, m.limit_x_right[i]), to_display_y(m, m.limit_y_right[i])});
  }
}

}  // namespace

void read_limits(Engine& e) {
  static const FortranFormat kTitle(
      "('1',/,/,/,9X,'Searching Routine Will Be Limited To An Area Defined By',I3,"
      "' Boundaries')");
  static const FortranFormat kUpward(
      "(10X,'Of Which The First',I3,' Boundaries Will Deflect Surfaces Upward',/,/)");
  ProblemModel& m = e.model;
  int32_t count = 0;
  if (!read_int(e, count)) return;
  if (count == 0) {
    apply_suppression_rule(e, m.limits_active, m.limit_count, "LM01",
                           "SEARCH LIMIT BOUNDARY DATA HAS BEEN SUPPRESSED",
                           "SUPPRESSED SEARCH LIMIT BOUNDARY DATA HAS BEEN REACTIVATED");
    return;
  }
  kTitle.write(e.report, {count});
  // A count outside 1 to 20 (a negative one included) is rejected and never stored, so that
  // no later step reads beyond the limit table.
  if (count > kMaxLimits || count < 0) {
    write_error_line(e.report, "LM03");
    abort_run(e);
    return;
  }
  m.limit_count = count;

  if (!read_int(e, m.limit_upward_count)) return;
  kUpward.write(e.report, {m.limit_upward_count});
  // A negative number of upward boundaries means nothing either: reported like too many.
  if (m.limit_upward_count > count || m.limit_upward_count < 0) report_input_error(e, "LM02");

  write_table_heading(e);
  for (int32_t i = 1; i <= count; ++i) {
    if (!read_boundary(e, i)) return;
  }
  echo_boundaries(e);
  m.limits_active = 1;
}

}  // namespace scarpex
