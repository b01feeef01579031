#include <gtest/gtest.h>

#include <string>

#include "input/command_readers.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::count_of;
using testing::make_reader_engine;

std::unique_ptr<Engine> water(const std::string& lines) {
  auto e = make_reader_engine(lines);
  read_water(*e);
  return e;
}

TEST(WaterReader, StoresSurfacesAndActivatesThem) {
  auto e = water("2 0.\n2\n0. 5. 10. 6.\n3 0. 1. 5. 2. 10. 3.\n");
  const ProblemModel& m = e->model;
  EXPECT_EQ(m.piezo_count, 2);
  EXPECT_EQ(m.water_unit_weight, 62.4f);  // 0. stands for 62.4 in any units
  EXPECT_EQ(m.piezo_point_count[2], 3);
  EXPECT_EQ(m.piezo_x[2][3], 10.0f);
  EXPECT_EQ(m.piezo_y[2][3], 3.0f);
  EXPECT_EQ(m.water_active, 1);
  EXPECT_EQ(m.input_error_flag, 0);
}

TEST(WaterReader, MoreThanFortyPointsAbortsWithoutStoringTheCount) {
  auto e = water("1 62.4\n41\n0. 5.\n");
  EXPECT_EQ(e->model.stop_code, 2);
  EXPECT_EQ(count_of(e->report.text(), "WA02"), 1);
  EXPECT_LE(e->model.piezo_point_count[1], 40);
}

TEST(WaterReader, MoreThanTenSurfacesAbortsBeforeReadingAny) {
  auto e = make_reader_engine("11 62.4\n");
  e->model.piezo_count = 2;
  read_water(*e);
  EXPECT_EQ(e->model.stop_code, 2);
  EXPECT_EQ(count_of(e->report.text(), "WA06"), 1);
  EXPECT_EQ(e->model.piezo_count, 2);
  EXPECT_EQ(e->model.water_unit_weight, 0.0f);
}

TEST(WaterReader, FormatErrorLeavesTheActiveFlagAsItWas) {
  auto e = make_reader_engine("1 62.4\n2\n0. 5. 10 6.\n");
  read_water(*e);
  EXPECT_EQ(e->model.stop_code, 2);
  EXPECT_EQ(e->model.water_active, 0);
}

}  // namespace
}  // namespace scarpex
