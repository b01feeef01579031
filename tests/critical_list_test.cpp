// The list of most critical surfaces: the order it keeps, the best-surface record beside it,
// and its final report.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "search/critical_list.h"
#include "search/critical_list_report.h"
#include "test_engine.h"

namespace scarpex::testing {
namespace {

// Offers a surface with the given factor of safety; its points and slice count carry `tag` so
// that the slot and the best-surface record can be traced back to it.
void offer(ProblemModel& m, float fos, int32_t tag) {
  m.list[0].fos = fos;
  m.surface_point_count = 3;
  m.surface_x[1] = static_cast<float>(tag);
  m.surface_y[1] = 0.0f;
  m.surface_x[2] = static_cast<float>(tag) + 1.0f;
  m.surface_y[2] = -1.0f;
  m.surface_x[3] = static_cast<float>(tag) + 2.0f;
  m.surface_y[3] = 0.0f;
  m.slices.slice_count = tag;
  record_current_surface(m);
}

std::vector<float> listed(ProblemModel& m) {
  if (m.list_sorted != 1) sort_critical_list(m);
  std::vector<float> factors;
  for (int32_t k = 1; k <= m.list_shown_count; ++k) factors.push_back(m.list[k].fos);
  return factors;
}

std::unique_ptr<Engine> engine_with_empty_list() {
  auto e = make_reader_engine("");
  start_critical_list(e->model);
  return e;
}

TEST(CriticalList, FewerThanTenAreSortedAtTheEnd) {
  auto e = engine_with_empty_list();
  for (float fos : {1.5f, 1.2f, 1.4f}) offer(e->model, fos, 1);
  EXPECT_EQ(listed(e->model), (std::vector<float>{1.2f, 1.4f, 1.5f}));
}

TEST(CriticalList, TwelveFallingKeepTheTenLowest) {
  auto e = engine_with_empty_list();
  for (int32_t f = 12; f >= 1; --f) offer(e->model, static_cast<float>(f), f);
  EXPECT_EQ(listed(e->model), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(e->model.list_entry_count, 11);
  // The points moved with their factors.
  EXPECT_FLOAT_EQ(e->model.list[1].x[1], 1.0f);
  EXPECT_FLOAT_EQ(e->model.list[10].x[1], 10.0f);
}

TEST(CriticalList, TwelveRisingDropTheLastTwo) {
  auto e = engine_with_empty_list();
  for (int32_t f = 1; f <= 12; ++f) offer(e->model, static_cast<float>(f), f);
  EXPECT_EQ(listed(e->model), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(e->model.list_sorted, 1);
}

TEST(CriticalList, EqualFactorsListTheEarlierButRecordTheLaterInDetail) {
  auto e = engine_with_empty_list();
  offer(e->model, 2.0f, 7);
  offer(e->model, 1.3f, 8);
  offer(e->model, 1.3f, 9);
  EXPECT_EQ(listed(e->model), (std::vector<float>{1.3f, 1.3f, 2.0f}));
  EXPECT_FLOAT_EQ(e->model.list[1].x[1], 8.0f);
  EXPECT_EQ(e->model.best_surface.slices.slice_count, 9);
}

TEST(CriticalList, TiesNeverDisplaceAListedSurface) {
  auto e = engine_with_empty_list();
  for (int32_t tag = 1; tag <= 10; ++tag) offer(e->model, 1.0f, tag);
  offer(e->model, 1.0f, 11);
  for (int32_t k = 1; k <= 10; ++k) EXPECT_FLOAT_EQ(e->model.list[k].x[1], static_cast<float>(k));
}

TEST(CriticalList, BestRecordTakesEarthquakeCoefficientsAndTheta) {
  auto e = engine_with_empty_list();
  ProblemModel& m = e->model;
  m.earthquake_kh = 0.1f;
  m.earthquake_kv = 0.05f;
  m.spencer_theta_plot = 12.5f;
  offer(m, 1.1f, 4);
  m.spencer_theta_plot = 3.0f;
  offer(m, 1.7f, 5);  // not the lowest: the record stays
  EXPECT_FLOAT_EQ(m.best_surface.earthquake_kh, 0.1f);
  EXPECT_FLOAT_EQ(m.best_surface.earthquake_kv, 0.05f);
  EXPECT_FLOAT_EQ(m.best_surface.theta_degrees, 12.5f);
  EXPECT_EQ(m.best_surface.slices.slice_count, 4);
}

TEST(CriticalListReport, EmptyListSaysSoAndNothingElse) {
  auto e = engine_with_empty_list();
  write_critical_list_report(*e);
  EXPECT_EQ(e->report.text(),
            "1\n\n          No solution was obtained for \n"
            "          all the Failure Surfaces Examined.\n\n\n");
  EXPECT_EQ(e->plot.text(), "");
}

TEST(CriticalListReport, TwoSurfacesAPageWithCirclesAndTheDetailOfTheBest) {
  auto e = engine_with_empty_list();
  ProblemModel& m = e->model;
  m.circular_search = 1;
  m.bishop_method = 1;
  for (float fos : {1.5f, 1.2f, 1.4f}) offer(m, fos, 1);
  sort_critical_list(m);
  write_critical_list_report(*e);
  const std::string& report = e->report.text();
  EXPECT_EQ(report.rfind(
                "1\n\n          Following Are Displayed The   3 Most Critical Of The Trial\n", 0),
            0u);
  EXPECT_NE(report.find("* * Safety Factors Are Calculated By The Modified Bishop Method * *"),
            std::string::npos);
  EXPECT_EQ(count_of(report, "\n1\n"), 1);  // the page mark before the third surface
  EXPECT_LT(report.find("1.400"), report.find("\n1\n"));
  EXPECT_LT(report.find("\n1\n"), report.find("1.500"));
  // Points (1,0), (2,-1), (3,0) lie on the circle about (2,0) of radius 1.
  EXPECT_EQ(count_of(report, "Circle Center At X =    2.0 ; Y =    0.0  and Radius,    1.0"), 3);
  EXPECT_EQ(count_of(report, "Individual data on the"), 1);
  EXPECT_FLOAT_EQ(m.circle_record_x[3], 2.0f);
  EXPECT_FLOAT_EQ(m.circle_record_r[3], 1.0f);
  EXPECT_EQ(e->plot.text().rfind("INF\n", 0), 0u);
}

TEST(CriticalListReport, BlockSurfacesHaveNoCircleAndZeroRecords) {
  auto e = engine_with_empty_list();
  ProblemModel& m = e->model;
  m.block_search = 1;
  offer(m, 1.5f, 1);
  write_critical_list_report(*e);
  EXPECT_EQ(e->report.text().find("Circle Center"), std::string::npos);
  EXPECT_FLOAT_EQ(m.circle_record_x[1], 0.0f);
  EXPECT_FLOAT_EQ(m.circle_record_r[1], 0.0f);
}

TEST(CriticalListReport, CircleThroughFirstPoints) {
  ListSlot slot;
  slot.point_count = 3;
  slot.x = {0, 0.0f, 1.0f, 2.0f};
  slot.y = {0, 0.0f, 1.0f, 2.0f};  // collinear: no centre, all zeros
  Circle c = circle_through_first_points(slot);
  EXPECT_FALSE(c.found);
  EXPECT_EQ(c.radius, 0.0f);
  slot.y = {0, 1.0f, 0.0f, 0.0f};  // a level second chord takes the first chord's bisector
  slot.x = {0, 0.0f, 1.0f, 3.0f};
  c = circle_through_first_points(slot);
  ASSERT_TRUE(c.found);
  EXPECT_FLOAT_EQ(c.x_centre, 2.0f);
  EXPECT_FLOAT_EQ(c.y_centre, 2.0f);
  EXPECT_FLOAT_EQ(c.radius, std::sqrt(5.0f));
  slot.point_count = 2;  // fewer than three points: nothing beyond them is read
  EXPECT_FALSE(circle_through_first_points(slot).found);
}

}  // namespace
}  // namespace scarpex::testing
