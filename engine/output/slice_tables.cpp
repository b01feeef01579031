#include "output/slice_tables.h"

#include <algorithm>

#include "core/fortran_format.h"
#include "model/geometry.h"
#include "output/slice_table_heading.h"
#include "output/thrust_output.h"

namespace scarpex {

namespace {

// The slicing never leaves more slices than its table holds; a count outside the table is
// held to it so that no row is read beyond the table and the count lines match the rows.
int32_t bounded_slice_count(const SliceTable& slices) {
  return std::clamp(slices.slice_count, 0, kMaxSlices);
}

// The earthquake forces of one slice, the "Hor" and "Ver" columns of the table and INF.
struct QuakeForces {
  float horizontal;
  float vertical;
};

QuakeForces quake_forces(const SliceTable& slices, int32_t i, float kh, float kv) {
  return {kh * slices.weight[i], kv * slices.weight[i]};
}

void write_slice_rows(Engine& e, const SliceTable& slices, int32_t n, float kh, float kv) {
  static const FortranFormat kRow("(1X,I3,3X,F5.1,8(1X,1PE9.2))");
  static const FortranFormat kRule("(1X,'--------------------------------------------------',/)");
  for (int32_t i = 1; i <= n; ++i) {
    QuakeForces quake = quake_forces(slices, i, kh, kv);
    kRow.write(e.report,
               {i, slices.width[i], slices.weight[i], slices.top_water_force[i],
                slices.base_water_force[i], slices.tie_normal_force[i], slices.tie_shear_force[i],
                quake.horizontal, quake.vertical, slices.load_force[i]});
  }
  kRule.write(e.report);
}

void write_inf_rows(Engine& e, const SliceTable& slices, int32_t n, float kh, float kv) {
  static const FortranFormat kRow("(1X,I3,3X,F9.4,8(1X,1PE10.3))");
  for (int32_t i = 1; i <= n; ++i) {
    QuakeForces quake = quake_forces(slices, i, kh, kv);
    kRow.write(e.plot,
               {i, slices.x_mid[i], slices.weight[i], slices.width[i], slices.base_water_force[i],
                slices.tie_normal_force[i], slices.tie_shear_force[i], quake.horizontal,
                quake.vertical, slices.load_force[i]});
  }
}

void write_ins_record(Engine& e, const SliceTable& slices, int32_t n) {
  static const FortranFormat kRow("(1X,I3,3X,F9.4,4(1X,1PE10.3))");
  e.plot.line("INS");
  for (int32_t i = 1; i <= n; ++i) {
    kRow.write(e.plot,
               {i, slices.x_mid[i], slices.base_total_stress[i], slices.base_effective_stress[i],
                slices.base_shear_stress[i], slices.base_pore_pressure[i]});
  }
}

void write_inx_record(Engine& e, const SliceTable& slices, int32_t n) {
  static const FortranFormat kRow("(1X,I3,3X,F9.4,2X,F9.4)");
  e.plot.line("INX");
  for (int32_t j = 1; j <= n + 1; ++j) {
    kRow.write(e.plot, {j, slices.x_edge[j], slices.y_edge[j]});
  }
}

// The report's line of thrust, in the user's frame (the LOT record keeps the stored frame).
void write_thrust_report(Engine& e, const ThrustLine& thrust, int32_t n) {
  static const FortranFormat kRow("(10X,I3,F11.2,F10.2,F10.3,F12.0)");
  static const FortranFormat kTwoEmptyLines("(/)");
  const ProblemModel& m = e.model;
  write_thrust_report_heading(e);
  for (int32_t i = 1; i <= n; ++i) {
    kRow.write(e.report,
               {i, to_display_x(m, thrust.thrust_x[i]), to_display_y(m, thrust.thrust_y[i]),
                thrust.thrust_ratio[i], thrust.side_force[i]});
  }
  kTwoEmptyLines.write(e.report);
}

}  // namespace

void write_fos_summary_line(Engine& e, float fos, float theta_degrees) {
  static const FortranFormat kPlain("(/,/,16X,'*** ',F9.3,'   ***',/,/,/)");
  static const FortranFormat kSpencer(
      "(/,/,10X,'***  FOS = ',F9.3,'   Spencer`s Theta = ',F8.2,'  ***',/,/,/)");
  if (e.model.spencer_method == 1) {
    kSpencer.write(e.report, {fos, theta_degrees});
  } else {
    kPlain.write(e.report, {fos});
  }
}

void write_slice_detail(Engine& e, const SliceTable& slices, const ThrustLine& thrust, float kh,
                        float kv, float lot_theta_degrees) {
  static const FortranFormat kCountLine("(/,15X,'Individual data on the',2X,I4,2X,'slices')");
  int32_t n = bounded_slice_count(slices);
  kCountLine.write(e.report, {n});
  e.plot.line("INF");
  write_free_line(e.plot, {n});
  write_slice_table_heading(e);
  write_slice_rows(e, slices, n, kh, kv);
  write_inf_rows(e, slices, n, kh, kv);
  write_ins_record(e, slices, n);
  write_inx_record(e, slices, n);
  if (e.model.spencer_method != 1) return;
  write_thrust_report(e, thrust, n);
  write_lot_record(e, slices, thrust, lot_theta_degrees);
}

void write_slice_tables(Engine& e) {
  const ProblemModel& m = e.model;
  write_fos_summary_line(e, m.list[0].fos, m.list[0].theta);
  // A specified surface's LOT count line carries 0.0; only the search's record carries theta.
  write_slice_detail(e, m.slices, m.thrust, m.earthquake_kh, m.earthquake_kv, 0.0f);
}

}  // namespace scarpex
