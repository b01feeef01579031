// PROFIL: the title, the unit system and the boundaries of the ground profile.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "input/command_readers.h"
#include "model/geometry.h"
#include "model/profile_order.h"

namespace scarpex {

namespace {

// A new profile invalidates everything that was placed on the old one. Soil types,
// reinforcement and the cavitation pressure do not depend on it and are kept.
void clear_profile_dependent_data(ProblemModel& m) {
  m.earthquake_kh = 0.0f;
  m.earthquake_kv = 0.0f;
  m.piezo_count = 0;
  m.load_count = 0;
  m.tie_count = 0;
  m.limit_count = 0;
  m.aniso_count = 0;
  m.aniso_active = 0;
  m.water_active = 0;
  m.loads_active = 0;
  m.ties_active = 0;
  m.limits_active = 0;
  m.specified_surface_given = 0;
  m.plot_header_written = 0;
}

// The title is a whole 80-column line of text, not a data line. Its absence at the end of
// the file is the same fault as a missing data line, and is reported the same way.
bool read_title(Engine& e) {
  ProblemModel& m = e.model;
  std::string line;
  if (!e.input.next_line(line)) {
    write_error_line(e.report, "FR01");
    write_error_line(e.trace, "FR01");
    abort_run(e);
    return false;
  }
  m.problem_title.assign(line);
  static const FortranFormat kTitle(
      "(/,/,/,/,'1',/,10X,'PROBLEM DESCRIPTION   ',10A4,/,32X,10A4,/,/)");
  std::vector<FmtValue> words;
  std::string_view title = m.problem_title.view();
  for (std::size_t at = 0; at < title.size(); at += 4) words.emplace_back(title.substr(at, 4));
  kTitle.write(e.report, words);
  return true;
}

void write_table_heading(Engine& e) {
  static const FortranFormat kHeading(
      "(/,/,10X,'Boundary',5X,'X-Left',5X,'Y-Left',4X,'X-Right',4X,'Y-Right',4X,'Soil Type',/,"
      "13X,'No.',8X,A4,7X,A4,7X,A4,7X,A4,5X,'Below Bnd',/)");
  std::string_view len = e.model.length_label;
  kHeading.write(e.report, {len, len, len, len});
}

void report_boundary_error(Engine& e, std::string_view code, int32_t i) {
  report_input_error_item(e, code, "Boundary", i);
}

void report_boundary_pair_error(Engine& e, std::string_view code, int32_t i, int32_t j) {
  static const FortranFormat kLine(
      "(/,10X,'****  ERROR - ',A4,'  ****',5X,'Boundaries',I3,' and',I3,/)");
  kLine.write(e.report, {code, i, j});
  e.model.input_error_flag = 1;
}

// One coordinate, with its own PF03 line when it is negative by the tolerance or more.
bool read_coordinate(Engine& e, int32_t i, float& value) {
  if (!read_real(e, value)) return false;
  if (!(value > -e.model.coord_tolerance)) report_boundary_error(e, "PF03", i);
  return true;
}

bool read_boundary(Engine& e, int32_t i) {
  ProblemModel& m = e.model;
  if (!read_coordinate(e, i, m.boundary_x_left[i])) return false;
  if (!read_coordinate(e, i, m.boundary_y_left[i])) return false;
  if (!read_coordinate(e, i, m.boundary_x_right[i])) return false;
  if (!read_coordinate(e, i, m.boundary_y_right[i])) return false;
  if (!(m.boundary_x_left[i] - m.boundary_x_right[i] < m.coord_tolerance)) {
    report_boundary_error(e, "PF04", i);
  }
  if (!read_int(e, m.boundary_soil_type[i])) return false;
  // A soil type of 0 names no soil, and one above the soil table can never be defined;
  // either would leave the slices of that layer without properties. PF07 is this reader's
  // own code for it.
  int32_t soil = m.boundary_soil_type[i];
  if (soil <= 0 || soil > kMaxSoils) report_boundary_error(e, "PF07", i);
  return true;
}

// Consecutive top boundaries must meet. Only boundaries that were read are compared, so a
// top count above the total count (already PF01) never reaches unread table entries.
void check_ground_continuity(Engine& e) {
  ProblemModel& m = e.model;
  int32_t last = std::min(m.top_boundary_count, m.boundary_count);
  for (int32_t i = 2; i <= last; ++i) {
    if (!(std::fabs(m.boundary_x_right[i - 1] - m.boundary_x_left[i]) < m.coord_tolerance) ||
        !(std::fabs(m.boundary_y_right[i - 1] - m.boundary_y_left[i]) < m.coord_tolerance)) {
      report_boundary_pair_error(e, "PF05", i - 1, i);
    }
  }
}

// The lower boundaries are tested pairwise from the last top boundary on. Without a top
// boundary (a top count of 0, already PF01) there is no layering to test.
void check_layer_order(Engine& e) {
  ProblemModel& m = e.model;
  int32_t n = m.boundary_count;
  int32_t nt = m.top_boundary_count;
  if (nt < 1 || n <= nt) return;
  for (int32_t i = nt; i < n; ++i) {
    for (int32_t j = i + 1; j <= n; ++j) {
      if (!boundary_pair_in_order(m, i, j)) report_boundary_pair_error(e, "PF06", i, j);
    }
  }
}

void write_boundary_rows(Engine& e) {
  static const FortranFormat kRow("(12X,I3,3X,4F11.2,7X,I2)");
  const ProblemModel& m = e.model;
  for (int32_t i = 1; i <= m.boundary_count; ++i) {
    kRow.write(e.report,
               {i, to_display_x(m, m.boundary_x_left[i]), to_display_y(m, m.boundary_y_left[i]),
                to_display_x(m, m.boundary_x_right[i]), to_display_y(m, m.boundary_y_right[i]),
                m.boundary_soil_type[i]});
  }
}

}  // namespace

void read_profile(Engine& e) {
  ProblemModel& m = e.model;
  clear_profile_dependent_data(m);
  if (!read_title(e)) return;

  int32_t n = 0;
  int32_t nt = 0;
  int32_t units = 0;
  if (!read_int(e, n) || !read_int(e, nt) || !read_int(e, units)) return;
  m.unit_system = units;
  set_unit_labels(m);

  static const FortranFormat kCounts(
      "(/,/,10X,'BOUNDARY COORDINATES',/,/,12X,I3,' Top   Boundaries',/,12X,I3,"
      "' Total Boundaries')");
  kCounts.write(e.report, {nt, n});
  // A top count of 0 leaves no ground surface, so it is rejected like one above the total.
  if (n < nt || nt <= 0) report_input_error(e, "PF01");
  if (n > kMaxBoundaries) {
    // No boundary is stored: the model never holds a count its tables cannot hold.
    m.boundary_count = 0;
    m.top_boundary_count = 0;
    write_error_line(e.report, "PF02");
    abort_run(e);
    return;
  }
  // The stored top count stays within the boundaries read, so that every later user of the
  // ground surface finds its boundaries in the table; the echo above shows the count given.
  m.boundary_count = n;
  m.top_boundary_count = std::clamp(nt, 0, n);

  write_table_heading(e);
  for (int32_t i = 1; i <= n; ++i) {
    if (!read_boundary(e, i)) return;
  }
  check_ground_continuity(e);
  check_layer_order(e);
  write_boundary_rows(e);
}

}  // namespace scarpex
