// LOADS: surcharge strips on the ground surface, each with an intensity varying linearly from
// its left end to its right end and a deflection angle. A count of 0 suppresses or reactivates
// the stored loads.
#include <algorithm>

#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "input/command_readers.h"
#include "model/geometry.h"

namespace scarpex {

namespace {

// Number of the first top boundary, from `from` on, whose x-range holds x; 0 when none does.
// y receives the elevation on the last non-vertical boundary tried, so that it is the
// boundary's own elevation when one is found.
int32_t find_top_boundary(const ProblemModel& m, int32_t from, float x, float& y) {
  // Only the top boundaries that exist are tried, even when the profile named more.
  int32_t last = std::min({m.top_boundary_count, m.boundary_count, kMaxBoundaries});
  for (int32_t j = std::max(from, 1); j <= last; ++j) {
    int32_t found = 0;
    segment_y_at(m.boundary_x_left[j], m.boundary_y_left[j], m.boundary_x_right[j],
                 m.boundary_y_right[j], x, y, found);
    if (found == 1) return j;
  }
  return 0;
}

// Finds the ground elevation under one load end. Loads are given from left to right, so the
// search starts where the previous end was found; an end left of that (only after an LD05
// overlap) is looked for from the first top boundary. Returns false when no top boundary
// holds the end: y is then the extrapolated elevation, and the caller reports it.
bool place_on_ground(const ProblemModel& m, int32_t& position, float x, float& y) {
  int32_t j = find_top_boundary(m, position, x, y);
  if (j == 0 && position > 1) j = find_top_boundary(m, 1, x, y);
  if (j == 0) return false;
  position = j;
  return true;
}

void write_headings(Engine& e, int32_t count) {
  static const FortranFormat kTitle(
      "('1',/,/,/,9X,'BOUNDARY LOAD(S)',/,/,13X,I2,' Load(s) Specified')");
  kTitle.write(e.report, {count});
}

void write_table_heading(Engine& e) {
  static const FortranFormat kHeading(
      "(/,/,10X,'Load',8X,'X-Left',6X,'X-Right',5X,'Int.-Left',5X,'Int-Right',5X,"
      "'Deflection',/,11X,'No.',9X,A4,9X,A4,8X,A5,8X,A5,7X,'(deg)',/,/)");
  const ProblemModel& m = e.model;
  kHeading.write(e.report, {m.length_label, m.length_label, m.stress_label, m.stress_label});
}

void write_load_beyond_ground_warning(Engine& e, int32_t load) {
  static const FortranFormat kWarning(
      "(/,10X,'****  WARNING - LD06  ****',5X,'Load',I3,/,"
      "10X,'A Load End Lies Beyond The Ground Surface; Its Elevation Is Taken',/,"
      "10X,'On The Extended Line Of A Top Boundary.',/)");
  kWarning.write(e.report, {load});
}

// The checks of one load; every failing check is reported and reading goes on.
void check_load(Engine& e, int32_t i, int32_t& ground_position) {
  ProblemModel& m = e.model;
  const float limit = -kCoordTolerance;
  if (!(m.load_x_left[i] > limit && m.load_x_right[i] > limit)) {
    report_input_error_item(e, "LD03", "Load", i);
  }
  if (!(m.load_x_right[i] > m.load_x_left[i])) report_input_error_item(e, "LD04", "Load", i);
  if (i > 1 && m.load_x_left[i] < m.load_x_right[i - 1]) {
    report_input_error_item(e, "LD05", "Load", i);
  }
  // A load end beyond the ground surface stands on the extension of the last top boundary's
  // line tried. That is a valid input, so the run goes on, but it is seldom what the user
  // meant: a warning line LD06 says so (one per load), without setting input_error_flag.
  bool left_found = place_on_ground(m, ground_position, m.load_x_left[i], m.load_y_left[i]);
  bool right_found = place_on_ground(m, ground_position, m.load_x_right[i], m.load_y_right[i]);
  if (!left_found || !right_found) write_load_beyond_ground_warning(e, i);
}

void echo_loads(Engine& e, int32_t count) {
  static const FortranFormat kRow("(11X,I2,2X,2F13.2,3F13.1)");
  static const FortranFormat kNote(
      "(/,/,10X,'NOTE - Intensity Is Specified As A Uniformly Distributed',/,"
      "17X,'Force Acting On A Horizontally Projected Surface.')");
  const ProblemModel& m = e.model;
  for (int32_t i = 1; i <= count; ++i) {
    kRow.write(e.report,
               {i, to_display_x(m, m.load_x_left[i]), to_display_x(m, m.load_x_right[i]),
                m.load_intensity_left[i], m.load_intensity_right[i], m.load_deflection[i]});
  }
  kNote.write(e.report);
}

}  // namespace

void read_loads(Engine& e) {
  ProblemModel& m = e.model;
  int32_t count = 0;
  if (!read_int(e, count)) return;
  if (count == 0) {
    apply_suppression_rule(e, m.loads_active, m.load_count, "LD01",
                           "SURCHARGE BOUNDARY LOAD DATA HAS BEEN SUPPRESSED",
                           "SUPPRESSED BOUNDARY LOAD DATA HAS BEEN REACTIVATED");
    return;
  }
  write_headings(e, count);
  // A count outside 1 to 50 is echoed and rejected, and never stored, so that no later step
  // reads beyond the load table. A negative count (the data-line reader refuses a sign, so
  // this is a guard) is rejected like one that is too large.
  if (count > kMaxLoads || count < 0) {
    write_error_line(e.report, "LD02");
    abort_run(e);
    return;
  }
  m.load_count = count;
  write_table_heading(e);

  int32_t ground_position = 1;
  for (int32_t i = 1; i <= count; ++i) {
    if (!read_real(e, m.load_x_left[i]) || !read_real(e, m.load_x_right[i]) ||
        !read_real(e, m.load_intensity_left[i]) || !read_real(e, m.load_intensity_right[i]) ||
        !read_real(e, m.load_deflection[i])) {
      return;
    }
    check_load(e, i, ground_position);
  }
  echo_loads(e, count);
  // The echo shows the deflection as read; the analysis works in radians.
  for (int32_t i = 1; i <= count; ++i) m.load_deflection[i] = m.load_deflection[i] * m.deg_to_rad;
  m.loads_active = 1;
}

}  // namespace scarpex
