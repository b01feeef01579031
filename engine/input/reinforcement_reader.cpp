// REINF: layers of soil reinforcement, each a polyline of 2 to 40 points with the axial and
// shear force the layer carries at each point and an inclination factor. There is no
// suppression: once given, reinforcement stays in force. An error in a layer ends the run.
#include "core/data_reader.h"
#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"
#include "input/command_readers.h"
#include "model/geometry.h"

namespace scarpex {

namespace {

constexpr float kLowestValue = -kCoordTolerance;

void write_layer_heading(Engine& e, int32_t layer, int32_t points) {
  static const FortranFormat kHeading(
      "(/,/,/,10X,'REINFORCING LAYER NO. ',I3,/,/,10X,I3,' Points Define This Layer',/,/,"
      "15X,'Point',5X,'X-Coord',3X,'Y-Coord',4X,'Axial',5X,'Shear',5X,'Incl.',/,"
      "15X,' No. ',26X,'Force',5X,'Force',5X,'Factor')");
  // The unit line ends with nine blanks of its own.
  static const FortranFormat kUnits("(27X,A4,6X,A4,4X,A6,4X,A6,'         ',/)");
  const ProblemModel& m = e.model;
  kHeading.write(e.report, {layer, points});
  kUnits.write(e.report, {m.length_label, m.length_label, m.force_per_length_label,
                          m.force_per_length_label});
}

// The point error line: no empty line after it.
void report_point_error(Engine& e, std::string_view code, int32_t layer, int32_t point) {
  static const FortranFormat kLine(
      "(/,10X,'****  ERROR - ',A4,'  ****',5X,'LAYER NO.',I3,5X,'POINT NO.',I3)");
  kLine.write(e.report, {code, layer, point});
  e.model.input_error_flag = 1;
}

// The code of the first failing check of point (l, p), or an empty text.
std::string_view point_error(const ProblemModel& m, int32_t l, int32_t p) {
  if (!(m.reinf_x[l][p] > kLowestValue && m.reinf_y[l][p] > kLowestValue)) return "RF04";
  if (!(m.reinf_axial_force[l][p] > kLowestValue && m.reinf_shear_force[l][p] > kLowestValue)) {
    return "RF05";
  }
  const float factor = m.reinf_incl_factor[l][p];
  if (!(factor > kLowestValue) || factor > 1.0f + m.coord_tolerance) return "RF06";
  return {};
}

void echo_layer(Engine& e, int32_t l) {
  static const FortranFormat kRow("(15X,I3,3X,4F10.2,F10.3)");
  const ProblemModel& m = e.model;
  for (int32_t p = 1; p <= m.reinf_point_count[l]; ++p) {
    kRow.write(e.report,
               {p, to_display_x(m, m.reinf_x[l][p]), to_display_y(m, m.reinf_y[l][p]),
                m.reinf_axial_force[l][p], m.reinf_shear_force[l][p], m.reinf_incl_factor[l][p]});
  }
}

// Reads, checks and echoes layer l; false when the run is ending.
bool read_layer(Engine& e, int32_t l) {
  ProblemModel& m = e.model;
  int32_t points = 0;
  if (!read_int(e, points)) return false;
  // The point count is stored only once it fits the table, so that no later step reads
  // beyond a layer's points.
  if (points > kMaxReinfPoints) {
    write_error_line(e.report, "RF03");
    abort_run(e);
    return false;
  }
  if (points < 2) {
    report_input_error(e, "RF08");
    abort_run(e);
    return false;
  }
  m.reinf_point_count[l] = points;
  write_layer_heading(e, l, points);
  for (int32_t p = 1; p <= points; ++p) {
    if (!read_real(e, m.reinf_x[l][p]) || !read_real(e, m.reinf_y[l][p]) ||
        !read_real(e, m.reinf_axial_force[l][p]) || !read_real(e, m.reinf_shear_force[l][p]) ||
        !read_real(e, m.reinf_incl_factor[l][p])) {
      return false;
    }
    std::string_view code = point_error(m, l, p);
    if (!code.empty()) {
      report_point_error(e, code, l, p);
      abort_run(e);
      return false;
    }
  }
  echo_layer(e, l);
  return true;
}

}  // namespace

void read_reinforcement(Engine& e) {
  static const FortranFormat kTitle(
      "('1',/,/,/,9X,'REINFORCING LAYER(S)',/,/,13X,I2,' Reinforcing Layer(s) Specified')");
  ProblemModel& m = e.model;
  int32_t count = 0;
  if (!read_int(e, count)) return;
  if (count == 0) {
    report_input_error(e, "RF01");
    return;
  }
  kTitle.write(e.report, {count});
  // A count outside 1 to 50 (a negative one included) is rejected and never stored, so that
  // no later step reads beyond the layer table.
  if (count > kMaxReinfLayers || count < 0) {
    write_error_line(e.report, "RF02");
    abort_run(e);
    return;
  }
  m.reinf_layer_count = count;
  m.reinf_given = 1;
  for (int32_t l = 1; l <= count; ++l) {
    if (!read_layer(e, l)) return;
  }
}

}  // namespace scarpex
