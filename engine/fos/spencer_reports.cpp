#include "fos/spencer_reports.h"

#include <algorithm>

#include "core/fortran_format.h"
#include "fos/method_reports.h"
#include "model/geometry.h"
#include "output/thrust_output.h"

namespace scarpex {

namespace {

float degrees(const ProblemModel& m, float radians) {
  return radians / m.deg_to_rad;
}

}  // namespace

void write_outer_trace_line(Engine& e, int32_t k, const SpencerOuterStep& step) {
  static const FortranFormat kLine(
      "(6X,' spencer iter =',I9,'   fosm= ',F11.4,'   fosf= ',F12.4,'  fosfm= ',F12.4,"
      "'  theta= ',F12.4)");
  float mean = (step.moment_fos + step.force_fos) / 2.0f;
  kLine.write(e.trace, {k, step.moment_fos, step.force_fos, mean, degrees(e.model, step.theta)});
}

void write_theta_table(Engine& e, std::span<const SpencerOuterStep> steps) {
  static const FortranFormat kHeading(
      "(/,/,10X,'Spencer`s     FOS        FOS',/,"
      "10X,' Theta      (Moment)   (Force)',/,"
      "10X,' (deg)      (Equil.)   (Equil.)',/)");
  static const FortranFormat kRow("(9X,F7.2,F12.3,F10.3)");
  kHeading.write(e.console);
  kHeading.write(e.report);
  for (const SpencerOuterStep& step : steps) {
    float theta = degrees(e.model, step.theta);
    kRow.write(e.console, {theta, step.moment_fos, step.force_fos});
    kRow.write(e.report, {theta, step.moment_fos, step.force_fos});
  }
}

void write_fos_and_theta(TextSink& out, float fos, float theta_degrees) {
  static const FortranFormat kTheta("(10X,'Spencer`s Theta =',F7.2)");
  write_specified_fos_line(out, fos);
  kTheta.write(out, {theta_degrees});
}

void write_spencer_misleading_listing(Engine& e, float fos, float theta_degrees) {
  write_misleading_listing(e.model, e.report);
  write_misleading_listing(e.model, e.console);
  write_fos_and_theta(e.console, fos, theta_degrees);
  write_fos_and_theta(e.report, fos, theta_degrees);
}

void write_specified_summary(Engine& e, float fos, float theta_degrees, bool misleading) {
  static const FortranFormat kMethod(
      "(/,/,10X,'Factor Of Safety Is Calculated By Spencer`s ','Method of Slices')");
  static const FortranFormat kMisleading(
      "(/,/,10X,'***  The Above Factor Of Safety Is Misleading  ***')");
  write_fos_and_theta(e.report, fos, theta_degrees);
  write_fos_and_theta(e.console, fos, theta_degrees);
  kMethod.write(e.report);
  kMethod.write(e.console);
  if (!misleading) return;
  kMisleading.write(e.report);
  kMisleading.write(e.console);
}

void write_thrust_rows(Engine& e) {
  static const FortranFormat kRow("(10X,I3,F11.2,F10.2,F9.3,F12.0)");
  const ProblemModel& m = e.model;
  write_thrust_report_heading(e);
  int32_t n = std::clamp(m.slices.slice_count, 0, kMaxSlices);
  for (int32_t i = 1; i <= n; ++i) {
    kRow.write(e.report,
               {i, to_display_x(m, m.thrust.thrust_x[i]), to_display_y(m, m.thrust.thrust_y[i]),
                m.thrust.thrust_ratio[i], m.thrust.side_force[i]});
  }
}

void write_local_nonconvergence(Engine& e, int32_t iterations) {
  static const FortranFormat kTrace("(10X,'Non convergence after ',I5,' Local Iterations',/)");
  kTrace.write(e.trace, {iterations});
  write_free_line(e.trace, {"non Convergence Spencer Local"});
  write_free_line(e.status, {"    2     NON CONVERGENCE SPENCER LOCAL"});
}

void write_outer_nonconvergence(Engine& e, int32_t iterations) {
  static const FortranFormat kConsole(
      "(/,/,10X,'Factor Of Safety Calculation By Spencer`s Method of Slices',/,"
      "10X,'Has Gone Through ',I5,' Iterations',/,/)");
  static const FortranFormat kTrace("(10X,'Non convergence after ',I5,' Iterations',/)");
  kConsole.write(e.console, {iterations});
  kTrace.write(e.trace, {iterations});
  write_free_line(e.trace, {"Non Convergence Spencer"});
  write_free_line(e.status, {"    2     NON CONVERGENCE SPENCER"});
}

}  // namespace scarpex
