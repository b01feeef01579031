// TIES: rows of tieback anchors. Each row has its head on a boundary of the profile (a head
// coordinate given as 0 is found on that boundary), a load per tieback, a horizontal spacing,
// an inclination below the horizontal and a length. The row is stored with its equivalent line
// load and the far end of the tieback. A count of 0 suppresses or reactivates the stored rows.
#include <cmath>

#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "input/command_readers.h"
#include "model/exact_math.h"
#include "model/geometry.h"

namespace scarpex {

namespace {

constexpr float kLowestElevation = -kCoordTolerance;

// Places the head of a row on its boundary, completing a coordinate given as 0; true when
// the head lies on the boundary. A boundary number that names no boundary of the profile
// is not found (TI05), and no boundary outside the table is read.
bool locate_head(const ProblemModel& m, int32_t b, float& x, float& y) {
  if (b < 1 || b > m.boundary_count || b > kMaxBoundaries) return false;
  const float x1 = m.boundary_x_left[b];
  const float y1 = m.boundary_y_left[b];
  const float x2 = m.boundary_x_right[b];
  const float y2 = m.boundary_y_right[b];
  int32_t found = 0;
  if (x == 0.0f) {
    segment_x_at(x1, y1, x2, y2, y, x, found);
    if (y == 0.0f) segment_y_at(x1, y1, x2, y2, x, y, found);
  } else if (y == 0.0f) {
    segment_y_at(x1, y1, x2, y2, x, y, found);
  } else {
    float ground = 0.0f;
    segment_y_at(x1, y1, x2, y2, x, ground, found);
    if (std::fabs(y - ground) > kCoordTolerance) found = 0;
  }
  return found == 1;
}

void write_headings(Engine& e, int32_t count) {
  static const FortranFormat kTitle(
      "('1',/,/,/,9X,'TIEBACK LOAD(S)',/,/,13X,I2,' Tieback Load(s) Specified')");
  kTitle.write(e.report, {count});
}

void write_table_heading(Engine& e) {
  static const FortranFormat kHeading(
      "(/,/,10X,'Tieback',3X,'X-Pos',4X,'Y-Pos',5X,'Load',4X,'Spacing',2X,'Inclination',2X,"
      "'Length',/,12X,'No.',5X,A4,5X,A4,6X,A3,5X,A4,6X,'(deg)',6X,A4,/)");
  const ProblemModel& m = e.model;
  kHeading.write(e.report,
                 {m.length_label, m.length_label, m.force_label, m.length_label, m.length_label});
}

// Reads one row into element i; false when the run is ending.
bool read_row(Engine& e, int32_t i) {
  ProblemModel& m = e.model;
  return read_int(e, m.tie_boundary[i]) && read_real(e, m.tie_x[i]) && read_real(e, m.tie_y[i]) &&
         read_real(e, m.tie_load[i]) && read_real(e, m.tie_spacing[i]) &&
         read_real(e, m.tie_inclination[i]) && read_real(e, m.tie_length[i]);
}

// The checks made before the row's echo line; every failing check is reported.
void check_row(Engine& e, int32_t i) {
  ProblemModel& m = e.model;
  if (!(m.tie_y[i] > kLowestElevation)) report_input_error_item(e, "TI03", "Tie ", i);
  const float inclination = m.tie_inclination[i];
  if (!(inclination >= 0.0f && inclination < 180.0f)) {
    report_input_error_item(e, "TI04", "Tie ", i);
  }
  if (!locate_head(m, m.tie_boundary[i], m.tie_x[i], m.tie_y[i])) {
    report_input_error_item(e, "TI05", "Tie ", i);
  }
  if (m.tie_spacing[i] < 1.0f) report_input_error_item(e, "TI06", "Tie ", i);
  if (m.tie_length[i] < 0.0f) report_input_error_item(e, "TI07", "Tie ", i);
}

void echo_row(Engine& e, int32_t i) {
  static const FortranFormat kRow("(12X,I2,1X,F10.2,F9.2,F11.1,F8.1,F11.2,F11.1)");
  const ProblemModel& m = e.model;
  kRow.write(e.report,
             {i, to_display_x(m, m.tie_x[i]), to_display_y(m, m.tie_y[i]), m.tie_load[i],
              m.tie_spacing[i], to_display_angle(m, m.tie_inclination[i]), m.tie_length[i]});
}

// The line load, the inclination in radians and the far end of the tieback.
void derive_row(Engine& e, int32_t i) {
  ProblemModel& m = e.model;
  // A spacing of 0 has been reported (TI06); the line load is then 0, not a division by 0.
  m.tie_line_load[i] = m.tie_spacing[i] != 0.0f ? m.tie_load[i] / m.tie_spacing[i] : 0.0f;
  m.tie_inclination[i] = m.tie_inclination[i] * m.deg_to_rad;
  if (m.tie_length[i] == 0.0f) {
    // A tieback of length 0 has no far end of its own; the head stands in for it, so that
    // the table never holds a stale end.
    m.tie_end_x[i] = m.tie_x[i];
    m.tie_end_y[i] = m.tie_y[i];
    return;
  }
  m.tie_end_x[i] = m.tie_x[i] + m.tie_length[i] * exact::cos(m.tie_inclination[i]);
  m.tie_end_y[i] = m.tie_y[i] - m.tie_length[i] * exact::sin(m.tie_inclination[i]);
  if (!(m.tie_end_y[i] > kLowestElevation)) report_input_error_item(e, "TI03", "Tie ", i);
}

void write_note(Engine& e) {
  static const FortranFormat kNote(
      "(/,/,10X,'NOTE - An Equivalent Line Load Is Calculated For Each Row Of Tiebacks',/,"
      "17X,'Assuming A Uniform Distribution Of Load Horizontally Between',/,"
      "17X,'Individual Tiebacks.')");
  kNote.write(e.report);
}

}  // namespace

void read_ties(Engine& e) {
  ProblemModel& m = e.model;
  int32_t count = 0;
  if (!read_int(e, count)) return;
  if (count == 0) {
    apply_suppression_rule(e, m.ties_active, m.tie_count, "TI01",
                           "TIEBACK ANCHOR LOAD DATA HAS BEEN SUPPRESSED",
                           "SUPPRESSED TIEBACK LOAD DATA HAS BEEN REACTIVATED");
    return;
  }
  write_headings(e, count);
  // A count outside 1 to 10 (a negative one included) is rejected and never stored, so that
  // no later step reads beyond the tieback table.
  if (count > kMaxTies || count < 0) {
    write_error_line(e.report, "TI02");
    abort_run(e);
    return;
  }
  m.tie_count = count;
  write_table_heading(e);
  for (int32_t i = 1; i <= count; ++i) {
    if (!read_row(e, i)) return;
    check_row(e, i);
    echo_row(e, i);
    derive_row(e, i);
  }
  m.ties_active = 1;
  write_note(e);
}

}  // namespace scarpex
