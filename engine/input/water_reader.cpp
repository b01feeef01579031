// WATER: the piezometric surfaces and the unit weight of water.
#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "input/command_readers.h"
#include "model/geometry.h"

namespace scarpex {

namespace {

constexpr float kDefaultWaterUnitWeight = 62.4f;

void report_point_error(Engine& e, std::string_view code, int32_t j, int32_t p) {
  static const FortranFormat kLine(
      "(/,10X,'****  ERROR - ',A4,'  ****',5X,'Surface No. ',I2,' Point',I3,/)");
  kLine.write(e.report, {code, j, p});
  e.model.input_error_flag = 1;
}

bool read_points(Engine& e, int32_t j, int32_t count) {
  ProblemModel& m = e.model;
  for (int32_t p = 1; p <= count; ++p) {
    float& x = m.piezo_x[j][p];
    float& y = m.piezo_y[j][p];
    if (!read_real(e, x) || !read_real(e, y)) return false;
    if (!(x > -m.coord_tolerance) || !(y > -m.coord_tolerance)) {
      report_point_error(e, "WA04", j, p);
    }
    if (p != 1 && !(x > m.piezo_x[j][p - 1])) report_point_error(e, "WA05", j, p);
  }
  return true;
}

void write_points(Engine& e, int32_t j, int32_t count) {
  static const FortranFormat kRow("(12X,I3,2X,2F12.2)");
  const ProblemModel& m = e.model;
  for (int32_t p = 1; p <= count; ++p) {
    kRow.write(e.report, {p, to_display_x(m, m.piezo_x[j][p]), to_display_y(m, m.piezo_y[j][p])});
  }
}

// One surface: its point count, caption, checks, heading and points. False when the run
// is ending.
bool read_surface(Engine& e, int32_t j) {
  ProblemModel& m = e.model;
  int32_t count = 0;
  if (!read_int(e, count)) return false;
  if (j % 2 == 1 && j > 1) e.report.line("1");  // two surfaces to a page
  static const FortranFormat kCaption(
      "(/,/,/,10X,'Piezometric Surface No.',I3,' Specified by',I3,' Coordinate Points')");
  kCaption.write(e.report, {j, count});
  if (count > kMaxPiezoPoints) {
    // The surface is not stored: its table row holds no more than 40 points.
    m.piezo_point_count[j] = 0;
    write_error_line(e.report, "WA02");
    abort_run(e);
    return false;
  }
  m.piezo_point_count[j] = count;
  if (count <= 1) report_input_error(e, "WA03");
  static const FortranFormat kHeading(
      "(/,/,12X,'Point',6X,'X-Water',5X,'Y-Water',/,13X,'No.',9X,A4,8X,A4,/)");
  kHeading.write(e.report, {m.length_label, m.length_label});
  if (!read_points(e, j, count)) return false;
  write_points(e, j, count);
  return true;
}

}  // namespace

void read_water(Engine& e) {
  ProblemModel& m = e.model;
  int32_t n = 0;
  if (!read_int(e, n)) return;
  if (n == 0) {
    apply_suppression_rule(e, m.water_active, m.piezo_count, "WA01",
                           "WATER SURFACE DATA HAS BEEN SUPPRESSED",
                           "SUPPRESSED WATER SURFACE DATA HAS BEEN REACTIVATED");
    return;
  }
  static const FortranFormat kCount(
      "('1',/,/,/,9X,I2,' PIEZOMETRIC SURFACE(S) HAVE BEEN SPECIFIED')");
  kCount.write(e.report, {n});
  if (n > kMaxPiezoSurfaces) {
    // The table holds 10 surfaces; reading more would write past it. WA06 is this reader's
    // own code, fatal like the other table overflows. The stored surfaces stay as they were.
    write_error_line(e.report, "WA06");
    abort_run(e);
    return;
  }
  m.piezo_count = n;
  if (!read_real(e, m.water_unit_weight)) return;
  if (m.water_unit_weight == 0.0f) m.water_unit_weight = kDefaultWaterUnitWeight;
  static const FortranFormat kUnitWeight("(/,/,10X,'Unit Weight of Water =',F7.2,' ',A6)");
  kUnitWeight.write(e.report, {m.water_unit_weight, m.unit_weight_label});
  for (int32_t j = 1; j <= n; ++j) {
    if (!read_surface(e, j)) return;
  }
  m.water_active = 1;
}

}  // namespace scarpex
