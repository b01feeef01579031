#include "search/search_data_items.h"

#include <algorithm>
#include <cstdint>

#include "model/geometry.h"
#include "core/fortran_format.h"
#include "core/data_reader.h"
#include "core/error_lines.h"

namespace scarpex {

namespace {

// Two x values closer than this are the same point for the range checks.
constexpr float kRangeTolerance = kCoordTolerance;

void write_heading(Engine& e) {
  static const FortranFormat kCircular(
      "('1',/,/,/,10X,'A Critical Failure Surface Searching Method, Using A Random ',/,"
      "10X,'Technique For Generating Circular Surfaces, Has Been Specified.',/,/)");
  static const FortranFormat kIrregular(
      "('1',/,/,/,10X,'A Critical Failure Surface Searching Method, Using A Random ',/,"
      "10X,'Technique For Generating Irregular Surfaces, Has Been Specified.',/,/)");
  (e.model.circular_search == 1 ? kCircular : kIrregular).write(e.report);
}

// The product is shown in an I5 field; it is formed wide and held to the integer range so
// that large counts show as asterisks instead of overflowing.
int32_t trial_count(int32_t points, int32_t per_point) {
  int64_t product = int64_t{points} * int64_t{per_point};
  return static_cast<int32_t>(std::clamp<int64_t>(product, INT32_MIN, INT32_MAX));
}

void write_counts(Engine& e) {
  static const FortranFormat kCounts(
      "(8X,I5,' Trial Surfaces Will Be Generated.',/,/,/,"
      "8X,I5,' Surfaces Initiate From Each Of ',I3,' Points Equally Spaced')");
  const ProblemModel& m = e.model;
  kCounts.write(e.report, {trial_count(m.init_point_count, m.surfaces_per_point),
                           m.surfaces_per_point, m.init_point_count});
}

void write_initiation_range(Engine& e, float first, float second) {
  static const FortranFormat kRange(
      "(10X,'Along The Ground Surface Between  X =',F7.2,A,/,"
      "39X,'and  X =',F7.2,A,/,/)");
  const ProblemModel& m = e.model;
  kRange.write(e.report,
               {to_display_x(m, first), m.length_label, to_display_x(m, second), m.length_label});
}

void write_termination_range(Engine& e, float first, float second) {
  static const FortranFormat kRange(
      "(10X,'Each Surface Terminates Between   X =',F8.2,A,/,"
      "38X,'and   X =',F8.2,A,/,/)");
  const ProblemModel& m = e.model;
  kRange.write(e.report,
               {to_display_x(m, first), m.length_label, to_display_x(m, second), m.length_label});
}

void check(Engine& e, bool fault, const char* code) {
  if (fault) report_input_error(e, code);
}

bool read_initiation_range(Engine& e) {
  ProblemModel& m = e.model;
  if (!read_real(e, m.init_x_left) || !read_real(e, m.init_x_right)) return false;
  if (m.mirror_flag() == 0) write_initiation_range(e, m.init_x_left, m.init_x_right);
  check(e, ground_left_end(m) - m.init_x_left >= kRangeTolerance, "RC01");
  check(e, m.init_x_left - m.init_x_right >= kRangeTolerance, "RC02");
  check(e, m.init_x_right - ground_right_end(m) >= kRangeTolerance, "RC03");
  return true;
}

bool read_termination_range(Engine& e) {
  ProblemModel& m = e.model;
  if (!read_real(e, m.term_x_left) || !read_real(e, m.term_x_right)) return false;
  if (m.mirror_flag() == 0) {
    write_termination_range(e, m.term_x_left, m.term_x_right);
  } else {
    // The user drew the problem the other way round: the surfaces start at the user's left,
    // which is the stored termination range, and end in the stored initiation range.
    write_initiation_range(e, m.term_x_right, m.term_x_left);
    write_termination_range(e, m.init_x_right, m.init_x_left);
  }
  check(e, m.term_x_right - ground_right_end(m) >= kRangeTolerance, "RC04");
  check(e, m.term_x_left - m.term_x_right >= kRangeTolerance, "RC05");
  check(e, m.term_x_right - m.init_x_right <= 0.0f, "RC06");
  return true;
}

bool read_min_elevation(Engine& e) {
  static const FortranFormat kLine(
      "(10X,'Unless Further Limitations Were Imposed, The Minimum Elevation',/,"
      "10X,'At Which A Surface Extends Is  Y =',F8.2,A,/,/)");
  ProblemModel& m = e.model;
  if (!read_real(e, m.min_elevation)) return false;
  kLine.write(e.report, {to_display_y(m, m.min_elevation), m.length_label});
  check(e, m.min_elevation < 0.0f, "RC07");
  return true;
}

bool read_segment_length(Engine& e) {
  static const FortranFormat kLine(
      "(8X,F7.2,A,' Line Segments Define Each Trial Failure Surface.',/,/)");
  ProblemModel& m = e.model;
  if (!read_real(e, m.segment_length)) return false;
  kLine.write(e.report, {m.segment_length, m.length_label});
  check(e, m.segment_length <= 0.0f, "RC08");
  return true;
}

// Both angles 0 leave the bounds to be derived at each initiation point.
bool read_angle_restriction(Engine& e, AngleRestriction& restriction) {
  static const FortranFormat kLines(
      "(10X,'Restrictions Have Been Imposed Upon The Angle Of Initiation.',/,"
      "10X,'The Angle Has Been Restricted Between The Angles Of',F6.1,/,"
      "10X,'And',F6.1,' deg.',/,/)");
  ProblemModel& m = e.model;
  float upper_degrees = 0.0f;
  float lower_degrees = 0.0f;
  if (!read_real(e, upper_degrees) || !read_real(e, lower_degrees)) return false;
  m.init_angle_upper = upper_degrees * m.deg_to_rad;
  m.init_angle_lower = lower_degrees * m.deg_to_rad;
  if (upper_degrees == 0.0f && lower_degrees == 0.0f) return true;
  m.angle_restricted = 1;
  kLines.write(e.report, {lower_degrees, upper_degrees});
  restriction.upper = m.init_angle_upper;
  restriction.lower = m.init_angle_lower;
  check(e, lower_degrees - upper_degrees >= kRangeTolerance, "RC13");
  return true;
}

}  // namespace

float ground_left_end(const ProblemModel& m) {
  return m.boundary_x_left[1];
}

float ground_right_end(const ProblemModel& m) {
  int32_t last = std::clamp(m.top_boundary_count, 1, kMaxBoundaries);
  return m.boundary_x_right[last];
}

AngleRestriction read_circular_search_items(Engine& e) {
  ProblemModel& m = e.model;
  AngleRestriction restriction;
  write_heading(e);
  if (!read_int(e, m.init_point_count) || !read_int(e, m.surfaces_per_point)) return restriction;
  write_counts(e);
  if (!read_initiation_range(e) || !read_termination_range(e)) return restriction;
  if (!read_min_elevation(e) || !read_segment_length(e)) return restriction;
  read_angle_restriction(e, restriction);
  return restriction;
}

}  // namespace scarpex
