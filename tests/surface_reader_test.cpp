#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "input/command_readers.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::count_of;
using testing::make_reader_engine;

// A ground surface from x = 10 to x = 50 over two top boundaries.
std::unique_ptr<Engine> surface_engine(const std::string& lines, int32_t bishop = 0) {
  auto e = make_reader_engine(lines);
  ProblemModel& m = e->model;
  m.boundary_count = 3;
  m.top_boundary_count = 2;
  m.boundary_x_left[1] = 10.0f, m.boundary_x_right[1] = 20.0f;
  m.boundary_x_left[2] = 20.0f, m.boundary_x_right[2] = 50.0f;
  m.boundary_x_left[3] = 0.0f, m.boundary_x_right[3] = 90.0f;  // a lower boundary
  m.bishop_method = bishop;
  return e;
}

std::unique_ptr<Engine> surface(const std::string& lines, int32_t bishop = 0) {
  auto e = surface_engine(lines, bishop);
  read_specified_surface(*e);
  return e;
}

TEST(SurfaceReader, StoresThePolylineAndMarksTheSurfaceGiven) {
  auto e = surface("3\n10. 20. 30. 12. 50. 35.\n");
  const ProblemModel& m = e->model;
  EXPECT_EQ(m.specified_surface_given, 1);
  EXPECT_EQ(m.surface_point_count, 3);
  EXPECT_EQ(m.surface_y[2], 12.0f);
  EXPECT_EQ(m.input_error_flag, 0);
}

struct EndCase {
  float first;
  float last;
  bool sf05;
  bool sf06;
};

void PrintTo(const EndCase& c, std::ostream* os) {
  *os << "first " << c.first << " last " << c.last;
}

class SurfaceEnds : public ::testing::TestWithParam<EndCase> {};

TEST_P(SurfaceEnds, AreCheckedAgainstTheGroundSurface) {
  const EndCase& c = GetParam();
  auto e = surface("2\n" + std::to_string(c.first) + " 20. " + std::to_string(c.last) + " 30.\n");
  EXPECT_EQ(count_of(e->report.text(), "SF05"), c.sf05 ? 1 : 0);
  EXPECT_EQ(count_of(e->report.text(), "SF06"), c.sf06 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, SurfaceEnds,
                         ::testing::Values(EndCase{10.0f, 50.0f, false, false},
                                           EndCase{9.9995f, 50.0005f, false, false},
                                           EndCase{9.99f, 50.002f, true, true},
                                           EndCase{50.0f, 10.0f, false, false},
                                           EndCase{50.01f, 9.99f, true, true}));

TEST(SurfaceReader, MoreThanAHundredPointsAbortsBeforeAnyPoint) {
  auto e = surface("101\n10. 20.\n");
  EXPECT_EQ(e->model.stop_code, 2);
  EXPECT_EQ(e->model.surface_point_count, 0);
}

TEST(SurfaceReader, FewerThanTwoPointsIsSF02AndOnlyStoredPointsAreChecked) {
  auto e = surface("0\n", 1);
  EXPECT_EQ(count_of(e->report.text(), "ERROR"), 1);
  EXPECT_EQ(count_of(e->report.text(), "SF02"), 1);
  EXPECT_EQ(count_of(e->report.text(), "Circle Center"), 0);
  e = surface("1\n5. 20.\n", 1);  // its only point is both ends: left of the ground
  EXPECT_EQ(count_of(e->report.text(), "SF05"), 1);
  EXPECT_EQ(count_of(e->report.text(), "SF06"), 1);
  EXPECT_EQ(e->model.stop_code, 0);
}

TEST(SurfaceReader, WithoutAGroundSurfaceTheEndsAreNotChecked) {
  auto e = make_reader_engine("2\n10. 20. 30. 40.\n");
  e->model.top_boundary_count = 0;
  read_specified_surface(*e);
  EXPECT_EQ(e->model.input_error_flag, 0);
}

TEST(SurfaceReader, BishopSurfaceGetsTheCircleThroughFirstMiddleAndLastPoints) {
  auto e = surface("5\n10. 20. 20. 12. 25. 9. 30. 12. 40. 20.\n", 1);
  // Points 1, 2 and 5: centre (25, 28.5), radius sqrt(297.25).
  EXPECT_NEAR(e->model.circle_radius, 17.24094f, 1e-4f);
  EXPECT_NE(e->report.text().find("Modified Bishop Method"), std::string::npos);
  EXPECT_NE(e->report.text().find("Circle Center At X =   25.0 ; Y =   28.5  and Radius,   17.2"),
            std::string::npos);
}

TEST(SurfaceReader, NoCircleThroughCollinearOrRepeatedPointsIsSF07) {
  auto e = surface("4\n10. 20. 20. 15. 30. 10. 50. 0.\n", 1);
  EXPECT_EQ(count_of(e->report.text(), "SF07"), 1);
  EXPECT_EQ(count_of(e->report.text(), "Circle Center"), 0);
  EXPECT_EQ(e->model.circle_radius, 0.0f);
  EXPECT_EQ(e->model.input_error_flag, 1);
  // Three points: the middle index names the first point again.
  e = surface("3\n10. 20. 30. 12. 50. 35.\n", 1);
  EXPECT_EQ(count_of(e->report.text(), "SF07"), 1);
}

}  // namespace
}  // namespace scarpex
