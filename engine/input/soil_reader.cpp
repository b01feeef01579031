// SOIL: a new set of isotropic soil types, or changes to some types of the present set.
#include <algorithm>

#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "input/command_readers.h"
#include "model/geometry.h"

namespace scarpex {

namespace {

// Items 1 to 7 of a soil type, as a change reads and every row shows them.
struct SoilItems {
  float total_unit_weight = 0.0f;
  float saturated_unit_weight = 0.0f;
  float cohesion = 0.0f;
  float friction_angle = 0.0f;
  float pore_pressure_ratio = 0.0f;
  float pore_pressure_constant = 0.0f;
  int32_t piezometric_surface = 0;
};

bool read_soil_items(Engine& e, SoilItems& s) {
  return read_real(e, s.total_unit_weight) && read_real(e, s.saturated_unit_weight) &&
         read_real(e, s.cohesion) && read_real(e, s.friction_angle) &&
         read_real(e, s.pore_pressure_ratio) && read_real(e, s.pore_pressure_constant) &&
         read_int(e, s.piezometric_surface);
}

void store_soil_items(ProblemModel& m, int32_t k, const SoilItems& s) {
  m.soil_total_unit_weight[k] = s.total_unit_weight;
  m.soil_saturated_unit_weight[k] = s.saturated_unit_weight;
  m.soil_cohesion[k] = s.cohesion;
  m.soil_friction_angle[k] = s.friction_angle;
  m.soil_pore_pressure_ratio[k] = s.pore_pressure_ratio;
  m.soil_pore_pressure_constant[k] = s.pore_pressure_constant;
  m.soil_piezometric_surface[k] = s.piezometric_surface;
}

// Items 9 to 16 of a depth-varying soil type.
bool read_depth_variation(Engine& e, int32_t k) {
  ProblemModel& m = e.model;
  return read_real(e, m.soil_y_ref_1[k]) && read_real(e, m.soil_y_ref_2[k]) &&
         read_real(e, m.soil_extra[1][k]) && read_real(e, m.soil_extra[2][k]) &&
         read_real(e, m.soil_cohesion_2[k]) && read_real(e, m.soil_friction_angle_2[k]) &&
         read_real(e, m.soil_extra[3][k]) && read_real(e, m.soil_extra[4][k]);
}

bool read_soil_type(Engine& e, int32_t k) {
  ProblemModel& m = e.model;
  SoilItems items;
  if (!read_soil_items(e, items)) return false;
  store_soil_items(m, k, items);
  if (!read_int(e, m.soil_depth_variation[k])) return false;
  if (m.soil_depth_variation[k] > 0) return read_depth_variation(e, k);
  return true;
}

// The heading of the soil table. Written without values it stops after the column captions,
// as the change echo needs.
void write_heading(Engine& e, int32_t heading_switch, bool with_labels) {
  static const FortranFormat kPlain(
      "(/,/,10X,'Soil',2X,'Total',2X,'Saturated',2X,'Cohesion',1X,'Friction',3X,'Pore',3X,"
      "'Pressure',3X,'Piez.',/,10X,'Type',1X,'Unit Wt.',1X,'Unit Wt.',1X,'Intercept',3X,"
      "'Angle',2X,'Pressure',1X,'Constant',1X,'Surface',/,11X,'No.',1X,A6,3X,A6,4X,A5,5X,"
      "'(deg)',3X,'Param.',4X,A5,4X,'No.',/)");
  static const FortranFormat kWithReference(
      "(/,/,10X,'Soil',2X,'Total',2X,'Saturated',2X,'Cohesion',1X,'Friction',3X,'Pore',3X,"
      "'Pressure',3X,'Piez.',3X,'Y Ref.',/,10X,'Type',1X,'Unit Wt.',1X,'Unit Wt.',1X,"
      "'Intercept',3X,'Angle',2X,'Pressure',1X,'Constant',1X,'Surface',3X,'Coord',/,11X,"
      "'No.',1X,A6,3X,A6,4X,A5,5X,'(deg)',3X,'Param.',4X,A5,4X,'No.',6X,A4,/)");
  const ProblemModel& m = e.model;
  if (!with_labels) {
    kPlain.write(e.report);
  } else if (heading_switch == 0) {
    kPlain.write(e.report,
                 {m.unit_weight_label, m.unit_weight_label, m.stress_label, m.stress_label});
  } else {
    kWithReference.write(e.report, {m.unit_weight_label, m.unit_weight_label, m.stress_label,
                                    m.stress_label, m.length_label});
  }
}

void write_plain_row(Engine& e, int32_t k) {
  static const FortranFormat kRow("(10X,I3,F8.1,F9.1,F10.1,F9.1,F8.2,F10.1,I7)");
  const ProblemModel& m = e.model;
  kRow.write(e.report, {k, m.soil_total_unit_weight[k], m.soil_saturated_unit_weight[k],
                        m.soil_cohesion[k], m.soil_friction_angle[k], m.soil_pore_pressure_ratio[k],
                        m.soil_pore_pressure_constant[k], m.soil_piezometric_surface[k]});
}

// A depth-varying type shows its first reference elevation at the end of its row and the
// values at the second one on a line of their own, under their columns.
void write_depth_varying_row(Engine& e, int32_t k) {
  static const FortranFormat kRow("(10X,I3,F8.1,F9.1,F10.1,F9.1,F8.2,F10.1,I7,F10.1)");
  static const FortranFormat kSecond("(10X,3X,8X,9X,F10.1,F9.1,8X,10X,7X,F10.1)");
  const ProblemModel& m = e.model;
  kRow.write(e.report, {k, m.soil_total_unit_weight[k], m.soil_saturated_unit_weight[k],
                        m.soil_cohesion[k], m.soil_friction_angle[k], m.soil_pore_pressure_ratio[k],
                        m.soil_pore_pressure_constant[k], m.soil_piezometric_surface[k],
                        to_display_y(m, m.soil_y_ref_1[k])});
  kSecond.write(e.report, {m.soil_cohesion_2[k], m.soil_friction_angle_2[k],
                           to_display_y(m, m.soil_y_ref_2[k])});
}

void read_new_set(Engine& e, int32_t heading_switch, int32_t n) {
  ProblemModel& m = e.model;
  static const FortranFormat kCount("(10X,I2,' Type(s) of Soil')");
  kCount.write(e.report, {n});
  int32_t boundaries = std::min(m.boundary_count, kMaxBoundaries);
  for (int32_t i = 1; i <= boundaries; ++i) {
    if (m.boundary_soil_type[i] > n) report_input_error_item(e, "Sl01", "Boundary", i);
  }
  if (n > kMaxSoils) {
    // The present set stays: the model never holds a count its tables cannot hold.
    write_error_line(e.report, "S102");
    abort_run(e);
    return;
  }
  m.soil_count = n;
  write_heading(e, heading_switch, true);
  for (int32_t k = 1; k <= n; ++k) {
    if (!read_soil_type(e, k)) return;
  }
  for (int32_t k = 1; k <= n; ++k) {
    if (m.soil_depth_variation[k] == 0) {
      write_plain_row(e, k);
    } else {
      write_depth_varying_row(e, k);
    }
  }
}

// One change: the type number, then items 1 to 7. False when the run is ending.
bool read_change(Engine& e) {
  ProblemModel& m = e.model;
  int32_t b = 0;
  if (!read_int(e, b)) return false;
  static const FortranFormat kChange("(/,15X,'Change Soil Type',I3)");
  kChange.write(e.report, {b});
  // A type number of 0 names no soil type; it is rejected like one above the count.
  if (b > m.soil_count || b <= 0) {
    report_input_error(e, "S105");
    if (b > kMaxSoils) {
      abort_run(e);
      return false;
    }
  }
  SoilItems items;
  if (!read_soil_items(e, items)) return false;
  // Type 0 has no place in the table: its values are read (to keep the data in step) and
  // dropped. The depth-variation values of a changed type are kept.
  if (b > 0) store_soil_items(m, b, items);
  return true;
}

void read_changes(Engine& e) {
  ProblemModel& m = e.model;
  if (m.soil_count <= 0) report_input_error(e, "S103");
  int32_t p = 0;
  if (!read_int(e, p)) return;
  static const FortranFormat kChanged(
      "('0',9X,'ISOTROPIC PARAMETERS OF',I3,' SOIL TYPE(S) HAVE BEEN CHANGED',/)");
  kChanged.write(e.report, {p});
  if (p > m.soil_count) {
    report_input_error(e, "S104");
    if (p > kMaxSoils) {
      abort_run(e);
      return;
    }
  }
  for (int32_t c = 1; c <= p; ++c) {
    if (!read_change(e)) return;
  }
  write_heading(e, 0, false);
  int32_t count = std::min(m.soil_count, kMaxSoils);
  for (int32_t k = 1; k <= count; ++k) write_plain_row(e, k);
}

}  // namespace

void read_soils(Engine& e) {
  ProblemModel& m = e.model;
  m.soil_given = 1;
  static const FortranFormat kTitle("('1',/,/,/,9X,'ISOTROPIC SOIL PARAMETERS',/,/)");
  kTitle.write(e.report);
  int32_t heading_switch = 0;
  int32_t n = 0;
  if (!read_int(e, heading_switch) || !read_int(e, n)) return;
  if (n != 0) {
    read_new_set(e, heading_switch, n);
  } else {
    read_changes(e);
  }
}

}  // namespace scarpex
