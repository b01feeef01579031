#include "output/thrust_output.h"

#include <algorithm>

#include "core/fortran_format.h"

namespace scarpex {

void write_thrust_report_heading(Engine& e) {
  static const FortranFormat kFeet(
      "(/,/,22X,'*** Line of Thrust ***',/,/,"
      "10X,'Slice   X Coord.   Y Coord.          Side Force',/,"
      "10X,' No.      (ft)       (ft)      L/H      (lbs)',/)");
  static const FortranFormat kMetres(
      "(/,/,22X,'*** Line of Thrust ***',/,/,"
      "10X,'Slice   X Coord.   Y Coord.          Side Force',/,"
      "10X,' No.      (m)        (m)       L/H      (kN)',/)");
  // Generic units have no heading of their own: the rows stand without one.
  if (e.model.unit_system == 1) kFeet.write(e.report);
  if (e.model.unit_system == 2) kMetres.write(e.report);
}

void write_lot_record(Engine& e, const SliceTable& slices, const ThrustLine& thrust,
                      float theta_degrees) {
  static const FortranFormat kRow("(1X,I3,4(1X,1PE10.3))");
  // A count outside the table cannot come from the slicing; it is held to the table so
  // that the record stays consistent with the rows that follow it.
  int32_t n = std::clamp(slices.slice_count, 0, kMaxSlices);
  e.plot.line("LOT");
  write_free_line(e.plot, {n + 1, theta_degrees});
  // Row 0 is the surface's left end, where the line of thrust starts.
  kRow.write(e.plot, {0, slices.x_edge[1], slices.y_edge[1], 0.0f, 0.0f});
  for (int32_t i = 1; i <= n; ++i) {
    kRow.write(e.plot, {i, thrust.thrust_x[i], thrust.thrust_y[i], thrust.thrust_ratio[i],
                        thrust.side_force[i]});
  }
}

}  // namespace scarpex
