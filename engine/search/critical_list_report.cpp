#include "search/critical_list_report.h"

#include <algorithm>
#include <cmath>

#include "model/geometry.h"
#include "core/fortran_format.h"
#include "output/slice_tables.h"

namespace scarpex {

namespace {

constexpr int32_t kListedSlots = 10;

void write_empty_list(Engine& e) {
  static const FortranFormat kText(
      "('1',/,/,10X,'No solution was obtained for ',/,"
      "10X,'all the Failure Surfaces Examined.',/,/)");
  kText.write(e.report);
}

void write_heading(Engine& e, int32_t shown) {
  static const FortranFormat kHeading(
      "('1',/,/,10X,'Following Are Displayed The ',I3,' Most Critical Of The Trial',/,"
      "10X,'Failure Surfaces Examined.  They Are Ordered - Most Critical',/,"
      "10X,'First.',/,/)");
  static const FortranFormat kSpencer(
      "(10X,'* * Safety Factors Are Calculated By Spencer`s Method * *',/,/)");
  static const FortranFormat kBishop(
      "(10X,'* * Safety Factors Are Calculated By The Modified Bishop Method * *',/,/)");
  static const FortranFormat kJanbu(
      "(10X,'* * Safety Factors Are Calculated By The Modified Janbu Method * *',/,/)");
  kHeading.write(e.report, {shown});
  if (e.model.spencer_method == 1) {
    kSpencer.write(e.report);
  } else if (e.model.bishop_method == 1) {
    kBishop.write(e.report);
  } else {
    kJanbu.write(e.report);
  }
}

void write_points(Engine& e, const ListSlot& slot) {
  static const FortranFormat kCaption(
      "(10X,'Failure Surface Specified By',I3,' Coordinate Points',/,/,/,"
      "12X,'Point',6X,'X-Surf',6X,'Y-Surf',/,13X,'No.',8X,A,8X,A,/)");
  static const FortranFormat kRow("(12X,I3,2X,2F12.2)");
  const ProblemModel& m = e.model;
  int32_t n = std::clamp(slot.point_count, 0, kMaxSurfacePoints);
  kCaption.write(e.report, {n, m.length_label, m.length_label});
  for (int32_t p = 1; p <= n; ++p) {
    kRow.write(e.report, {p, to_display_x(m, slot.x[p]), to_display_y(m, slot.y[p])});
  }
}

void write_circle_line(Engine& e, const Circle& circle) {
  static const FortranFormat kLine(
      "(/,10X,'Circle Center At X = ',F6.1,' ; Y = ',F6.1,'  and Radius, ',F6.1)");
  const ProblemModel& m = e.model;
  kLine.write(e.report,
              {to_display_x(m, circle.x_centre), to_display_y(m, circle.y_centre), circle.radius});
}

// The detailed output of the most critical surface met, from the best-surface record; its LOT
// count line carries that surface's theta.
void write_best_surface_detail(Engine& e) {
  const BestSurfaceRecord& best = e.model.best_surface;
  write_slice_detail(e, best.slices, best.thrust, best.earthquake_kh, best.earthquake_kv,
                     best.theta_degrees);
}

void write_listed_surface(Engine& e, int32_t k) {
  static const FortranFormat kPageMark("('1')");
  ProblemModel& m = e.model;
  const ListSlot& slot = m.list[static_cast<std::size_t>(k)];
  if (k % 2 == 1 && k > 1) kPageMark.write(e.report);  // two surfaces a page
  // A block search has no circles: its records stay zero.
  Circle circle = m.block_search == 1 ? Circle{} : circle_through_first_points(slot);
  write_points(e, slot);
  if (m.circular_search == 1) write_circle_line(e, circle);
  m.circle_record_x[k] = circle.x_centre;
  m.circle_record_y[k] = circle.y_centre;
  // Only a circular search keeps a radius in its records; the plot file shows 0 for the others.
  m.circle_record_r[k] = m.circular_search == 1 ? circle.radius : 0.0f;
  write_fos_summary_line(e, slot.fos, slot.theta);
  if (k == 1) write_best_surface_detail(e);
}

}  // namespace

Circle circle_through_first_points(const ListSlot& slot) {
  if (slot.point_count < 3 || slot.point_count > kMaxSurfacePoints) return Circle{};
  const float x1 = slot.x[1], y1 = slot.y[1];
  const float x2 = slot.x[2], y2 = slot.y[2];
  const float x3 = slot.x[3], y3 = slot.y[3];
  const float denominator = 2.0f * ((x1 - x2) * (y3 - y2) - (y2 - y1) * (x2 - x3));
  // Collinear points have no centre: the circle is reported as zeros.
  if (denominator == 0.0f) return Circle{};
  Circle c;
  c.x_centre = (((x1 * x1 - x2 * x2) + (y3 - y1) * (y2 - y1)) * (y3 - y2) -
                (x2 * x2 - x3 * x3) * (y2 - y1)) /
               denominator;
  if (y3 != y2) {
    c.y_centre = (y3 + y2) / 2.0f + ((x2 - x3) / (y3 - y2)) * (c.x_centre - (x3 + x2) / 2.0f);
  } else {
    // A level second chord: the centre lies on the bisector of the first chord instead
    // (y1 differs from y2 here, or the denominator would be zero).
    c.y_centre = (y2 + y1) / 2.0f + ((x1 - x2) / (y2 - y1)) * (c.x_centre - (x2 + x1) / 2.0f);
  }
  const float dx = c.x_centre - x2;
  const float dy = c.y_centre - y2;
  c.radius = std::sqrt(dx * dx + dy * dy);
  if (!std::isfinite(c.x_centre) || !std::isfinite(c.y_centre) || !std::isfinite(c.radius)) {
    return Circle{};
  }
  c.found = true;
  return c;
}

void write_critical_list_report(Engine& e) {
  const int32_t shown = std::clamp(e.model.list_shown_count, 0, kListedSlots);
  if (shown == 0) return write_empty_list(e);
  write_heading(e, shown);
  for (int32_t k = 1; k <= shown; ++k) write_listed_surface(e, k);
}

}  // namespace scarpex
