#include "fos/method_reports.h"

#include <algorithm>

#include "core/fortran_format.h"

namespace scarpex {

namespace {

void write_point_heading(const ProblemModel& m, TextSink& out, bool two_empty_lines) {
  static const FortranFormat kHeadingOne(
      "(12X,'Point',6X,'X-Surf',6X,'Y-Surf',/,13X,'No.',8X,A4,8X,A4,/)");
  static const FortranFormat kHeadingTwo(
      "(12X,'Point',6X,'X-Surf',6X,'Y-Surf',/,13X,'No.',8X,A4,8X,A4,/,/)");
  (two_empty_lines ? kHeadingTwo : kHeadingOne).write(out, {m.length_label, m.length_label});
}

void write_points(const ProblemModel& m, TextSink& out) {
  static const FortranFormat kPoint("(12X,I3,2X,2F12.2)");
  int32_t count = std::clamp(m.surface_point_count, 0, kMaxSurfacePoints);
  for (int32_t i = 1; i <= count; ++i) kPoint.write(out, {i, m.surface_x[i], m.surface_y[i]});
}

}  // namespace

void write_surface_listing(const ProblemModel& m, TextSink& out) {
  static const FortranFormat kTitle(
      "(/,/,/,10X,'The Trial Failure Surface In Question Is Defined',/,"
      "10X,'By The Following',I3,' Coordinate Points',/,/)");
  kTitle.write(out, {m.surface_point_count});
  write_point_heading(m, out, false);
  write_points(m, out);
}

void write_misleading_listing(const ProblemModel& m, TextSink& out) {
  static const FortranFormat kTitle(
      "(/,/,10X,'The Factor Of Safety For The Trial Failure Surface Defined',/,"
      "10X,'By The Coordinates Listed Below Is Misleading.',/,/,/,"
      "10X,'Failure Surface Defined By',I3,' Coordinate Points',/,/)");
  kTitle.write(out, {m.surface_point_count});
  write_point_heading(m, out, true);
  write_points(m, out);
}

void write_specified_fos_line(TextSink& out, float fos) {
  static const FortranFormat kLine(
      "(/,/,/,/,10X,'Factor Of Safety For The Preceding Specified',' Surface =',F7.3)");
  kLine.write(out, {fos});
}

void report_negative_factor(Engine& e) {
  static const FortranFormat kReport("(/,/,10X,'Negative Factor Of Safety ',/,/)");
  static const FortranFormat kTrace("(10X,'Negative Factor Of Safety ',/)");
  if (e.model.report_switch() == 1) kReport.write(e.report);
  kTrace.write(e.trace);
  write_free_line(e.status, {"    3     NEGATIVE FACTOR OF SAFETY"});
  write_free_line(e.trace);
  e.model.solution_status = kNegativeFos;
}

}  // namespace scarpex
