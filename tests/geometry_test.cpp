#include "model/geometry.h"

#include <gtest/gtest.h>

namespace scarpex {
namespace {

TEST(SegmentYAt, FoundWithinTheWidenedRangeAndWrittenEitherWay) {
  float y = -1.0f;
  int32_t found = -1;
  segment_y_at(0, 0, 10, 10, 10.0005f, y, found);
  EXPECT_EQ(found, 1);
  EXPECT_FLOAT_EQ(y, 10.0005f);
  segment_y_at(0, 0, 10, 10, 10.002f, y, found);
  EXPECT_EQ(found, 0);
  EXPECT_FLOAT_EQ(y, 10.002f);
}

TEST(SegmentYAt, NearlyVerticalSegmentLeavesYUnwritten) {
  float y = 42.0f;
  int32_t found = -1;
  segment_y_at(5, 0, 5.0005f, 10, 5, y, found);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(y, 42.0f);
}

TEST(SegmentXAt, VerticalGivesTheMeanAbscissa) {
  float x = 0;
  int32_t found = 0;
  segment_x_at(4, 0, 4.0004f, 10, 123.0f, x, found);
  EXPECT_EQ(found, 1);
  EXPECT_FLOAT_EQ(x, 4.0002f);
}

TEST(SegmentXAt, OneSidedFoundTest) {
  float x = 0;
  int32_t found = 0;
  segment_x_at(10, 5, 20, 15, 10, x, found);  // rising: found
  EXPECT_EQ(found, 1);
  EXPECT_FLOAT_EQ(x, 15.0f);
  segment_x_at(10, 15, 20, 5, 10, x, found);  // falling: never found, x still written
  EXPECT_EQ(found, 0);
  EXPECT_FLOAT_EQ(x, 15.0f);
}

TEST(IntersectSegments, CrossingInsideAndOutsideBothRanges) {
  float x = 0, y = 0;
  int32_t found = 0;
  intersect_segments(0, 0, 10, 10, 0, 10, 10, 0, x, y, found);
  EXPECT_EQ(found, 1);
  EXPECT_FLOAT_EQ(x, 5.0f);
  EXPECT_FLOAT_EQ(y, 5.0f);
  intersect_segments(0, 0, 4, 4, 6, 0, 10, -4, x, y, found);
  EXPECT_EQ(found, 0);
  EXPECT_FLOAT_EQ(x, 3.0f);  // the crossing of the lines is written all the same
  EXPECT_FLOAT_EQ(y, 3.0f);
}

TEST(IntersectSegments, ParallelOrBothVerticalFindNothing) {
  float x = 7, y = 7;
  int32_t found = 1;
  intersect_segments(0, 0, 10, 10, 2, 2, 12, 12, x, y, found);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(x, 7.0f);
  found = 1;
  intersect_segments(1, 0, 1, 10, 2, 0, 2, 10, x, y, found);
  EXPECT_EQ(found, 0);
  EXPECT_EQ(y, 7.0f);
}

TEST(IntersectSegments, VerticalAgainstSloping) {
  float x = 0, y = 0;
  int32_t found = 0;
  intersect_segments(5, 0, 5, 10, 0, 0, 10, 10, x, y, found);
  EXPECT_EQ(found, 1);
  EXPECT_FLOAT_EQ(y, 5.0f);
  intersect_segments(0, 0, 10, 10, 5, 6, 5, 10, x, y, found);
  EXPECT_EQ(found, 0);  // y = 5 lies below the vertical segment by more than the tolerance
  intersect_segments(0, 0, 10, 10, 10.0005f, 0, 10.0005f, 20, x, y, found);
  EXPECT_EQ(found, 1);  // within the tolerance of A's right end
}

TEST(DisplayTransforms, MirroredAndShifted) {
  ProblemModel m;
  m.frame_ints[1] = 1;
  m.frame_reals[2] = 100.0f;
  m.frame_reals[6] = 2.0f;
  EXPECT_FLOAT_EQ(to_display_x(m, 30.0f), 70.0f);
  EXPECT_FLOAT_EQ(to_display_y(m, 30.0f), 32.0f);
  EXPECT_FLOAT_EQ(to_display_angle(m, 30.0f), 150.0f);
  m.frame_ints[1] = 0;
  m.frame_reals[5] = 5.0f;
  EXPECT_FLOAT_EQ(to_display_x(m, 30.0f), 35.0f);
  EXPECT_FLOAT_EQ(to_display_angle(m, 30.0f), 30.0f);
}

TEST(UnitLabels, FollowTheUnitSystem) {
  ProblemModel m;
  for (int32_t system : {0, 2, 7}) {
    m.unit_system = system;
    set_unit_labels(m);
    EXPECT_EQ(m.length_label, "  M ");
    EXPECT_EQ(m.unit_weight_label, "kN/M^3");
  }
  m.unit_system = 1;
  set_unit_labels(m);
  EXPECT_EQ(m.stress_label, " psf ");
  EXPECT_EQ(m.force_per_length_label, "lbs/ft");
  m.unit_system = 3;
  set_unit_labels(m);
  EXPECT_EQ(m.length_label, "  L ");
  EXPECT_EQ(m.force_label, "  F");
}

}  // namespace
}  // namespace scarpex
