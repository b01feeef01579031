#include "search/block_data_items.h"

#include <cmath>

#include "model/geometry.h"
#include "core/fortran_format.h"
#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/run_control.h"
#include "search/search_data_items.h"

namespace scarpex {

namespace {

constexpr float kBoxTolerance = kCoordTolerance;
constexpr int32_t kMinimumBlockTrials = 10;
// Box 1's bottom corners may lie at most 45 degrees below the left end of the ground.
constexpr float kSteepestBaseSlope = -1.0f;

void write_heading(Engine& e) {
  static const FortranFormat kHeading(
      "('1',/,/,/,10X,'A Critical Failure Surface Searching Method, Using A Random ',/,"
      "10X,'Technique For Generating Sliding Block Surfaces, Has Been ',/,"
      "10X,'Specified.',/,/)");
  static const FortranFormat kRankine(
      "(10X,'The Active And Passive Portions Of The Sliding Surfaces',/,"
      "10X,'Are Generated According To The Rankine Theory.',/,/)");
  kHeading.write(e.report);
  if (e.model.block2_mode == 1) kRankine.write(e.report);
}

void box_error(Engine& e, const char* code, int32_t box) {
  report_input_error_item(e, code, "Box", box);
}

float half_height(const ProblemModel& m, int32_t i) {
  return m.box_height[i] / 2.0f;
}

// The first top boundary from `first` on whose x-range (widened by the tolerance) holds x, with
// the ground elevation there; 0 when none does.
int32_t boundary_holding(const ProblemModel& m, float x, int32_t first, float& ground) {
  for (int32_t k = std::max(first, 1); k <= std::min(m.top_boundary_count, kMaxBoundaries); ++k) {
    int32_t found = 0;
    segment_y_at(m.boundary_x_left[k], m.boundary_y_left[k], m.boundary_x_right[k],
                 m.boundary_y_right[k], x, ground, found);
    if (found == 1) return k;
  }
  return 0;
}

// Whether a boundary's left end lies strictly below the line through the box's top corners.
bool corner_below_top_edge(const ProblemModel& m, int32_t i, int32_t k) {
  const float h = half_height(m, i);
  float edge = 0.0f;
  int32_t found = 0;
  segment_y_at(m.box_x_left[i], m.box_y_left[i] + h, m.box_x_right[i], m.box_y_right[i] + h,
               m.boundary_x_left[k], edge, found);
  // A box without width has no top edge line to compare with.
  if (std::fabs(m.box_x_left[i] - m.box_x_right[i]) < kBoxTolerance) return false;
  return m.boundary_y_left[k] < edge;
}

// The top edge of box i must lie within the ground. `scan_start` is where the previous box's
// scan of the top boundaries ended, and returns where this one ended.
bool top_edge_in_ground(const ProblemModel& m, int32_t i, int32_t& scan_start) {
  const float h = half_height(m, i);
  float ground_left = 0.0f;
  int32_t left = boundary_holding(m, m.box_x_left[i], scan_start, ground_left);
  // A corner above no top boundary is not within the ground either.
  if (left == 0) return false;
  scan_start = left;
  if (ground_left < m.box_y_left[i] + h) return false;
  float ground_right = 0.0f;
  int32_t right = boundary_holding(m, m.box_x_right[i], left, ground_right);
  if (right == 0) return false;
  scan_start = right;
  for (int32_t k = left + 1; k <= right; ++k) {
    if (corner_below_top_edge(m, i, k)) return false;
  }
  return ground_right >= m.box_y_right[i] + h;
}

void check_boxes(Engine& e) {
  const ProblemModel& m = e.model;
  const int32_t n = m.box_count;
  for (int32_t i = 1; i <= n; ++i) {
    if (m.box_x_left[i] - m.box_x_right[i] >= kBoxTolerance) box_error(e, "BK03", i);
  }
  for (int32_t i = 2; i <= n; ++i) {
    if (m.box_x_left[i] <= m.box_x_right[i - 1]) box_error(e, "BK04", i);
  }
  for (int32_t i = 1; i <= n; ++i) {
    const float h = std::fabs(half_height(m, i));
    if (m.box_x_left[i] <= -kBoxTolerance || m.box_x_right[i] <= -kBoxTolerance ||
        m.box_y_left[i] - h <= -kBoxTolerance || m.box_y_right[i] - h <= -kBoxTolerance) {
      box_error(e, "BK05", i);
    }
  }
  int32_t scan_start = 1;
  for (int32_t i = 1; i <= n; ++i) {
    if (!top_edge_in_ground(m, i, scan_start)) box_error(e, "BK06", i);
  }
}

// BK07 and BK08 concern the last and the first box; they are made only when boxes were read.
void check_box_ends(Engine& e) {
  const ProblemModel& m = e.model;
  if (m.box_count < 1) return;
  if (m.box_x_right[m.box_count] > ground_right_end(m)) report_input_error(e, "BK07");
  const float x1 = m.boundary_x_left[1];
  const float y1 = m.boundary_y_left[1];
  const float h1 = half_height(m, 1);
  const float left_run = m.box_x_left[1] - x1;
  if (left_run <= 0.0f || ((m.box_y_left[1] - y1) - h1) / left_run < kSteepestBaseSlope) {
    report_input_error(e, "BK08");
  }
  // A right corner straight below the ground's left end has no slope to test.
  const float right_run = m.box_x_right[1] - x1;
  if (right_run != 0.0f && ((m.box_y_right[1] - y1) - h1) / right_run < kSteepestBaseSlope) {
    report_input_error(e, "BK08");
  }
}

void write_box_table_heading(Engine& e) {
  static const FortranFormat kHeading(
      "(10X,'Box',8X,'X-Left',5X,'Y-Left',4X,'X-Right',4X,'Y-Right',6X,'Height',/,"
      "10X,'No.',9X,A4,7X,A4,7X,A4,7X,A4,8X,A4,/)");
  const std::string_view label = e.model.length_label;
  kHeading.write(e.report, {label, label, label, label, label});
}

// The rows show each box as the user drew it: in a mirrored problem its right end first.
void write_box_rows(Engine& e) {
  static const FortranFormat kRow("(9X,I3,4X,5F11.2)");
  const ProblemModel& m = e.model;
  for (int32_t i = 1; i <= m.box_count; ++i) {
    if (m.mirror_flag() == 0) {
      kRow.write(e.report, {i, to_display_x(m, m.box_x_left[i]), to_display_y(m, m.box_y_left[i]),
                            to_display_x(m, m.box_x_right[i]), to_display_y(m, m.box_y_right[i]),
                            m.box_height[i]});
    } else {
      kRow.write(e.report, {i, to_display_x(m, m.box_x_right[i]), to_display_y(m, m.box_y_right[i]),
                            to_display_x(m, m.box_x_left[i]), to_display_y(m, m.box_y_left[i]),
                            m.box_height[i]});
    }
  }
}

void write_limits_warning(Engine& e) {
  static const FortranFormat kWarning(
      "(/,/,10X,'WARNING - Limitation Boundaries Have Been Specified,',/,"
      "20X,'These Are Ignored In This Program Routine.',/,/)");
  if (e.model.block2_mode == 1 && e.model.limits_active == 1) kWarning.write(e.report);
}

bool read_counts(Engine& e) {
  static const FortranFormat kTrials("(8X,I5,' Trial Surfaces Will Be Generated.',/,/)");
  static const FortranFormat kBoxes(
      "(8X,I3,' Boxes Specified For Generation Of Central Block Base',/,/)");
  ProblemModel& m = e.model;
  if (!read_int(e, m.surfaces_per_point)) return false;
  kTrials.write(e.report, {m.surfaces_per_point});
  if (m.surfaces_per_point < kMinimumBlockTrials) report_input_error(e, "RC13");
  if (!read_int(e, m.box_count)) return false;
  kBoxes.write(e.report, {m.box_count});
  if (m.box_count > kMaxBoxes) {
    write_error_line(e.report, "BK01");
    abort_run(e);
    return false;
  }
  if (m.box_count < 1) report_input_error(e, kNoBoxesCode);
  return true;
}

bool read_segment_length(Engine& e) {
  static const FortranFormat kLength(
      "(10X,'Length Of Line Segments For Active And Passive Portions Of',/,"
      "10X,'Sliding Block Is',F6.1,/,/)");
  ProblemModel& m = e.model;
  if (!read_real(e, m.segment_length)) return false;
  kLength.write(e.report, {m.segment_length});
  if (m.segment_length <= 0.0f) report_input_error(e, "BK02");
  return true;
}

bool read_boxes(Engine& e) {
  ProblemModel& m = e.model;
  for (int32_t i = 1; i <= m.box_count; ++i) {
    if (!read_real(e, m.box_x_left[i]) || !read_real(e, m.box_y_left[i]) ||
        !read_real(e, m.box_x_right[i]) || !read_real(e, m.box_y_right[i]) ||
        !read_real(e, m.box_height[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

void read_block_search_items(Engine& e) {
  write_heading(e);
  if (!read_counts(e) || !read_segment_length(e) || !read_boxes(e)) return;
  write_box_table_heading(e);
  check_boxes(e);
  check_box_ends(e);
  write_box_rows(e);
  write_limits_warning(e);
}

}  // namespace scarpex
