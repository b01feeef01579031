#include <gtest/gtest.h>

#include <string>

#include "input/command_readers.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::count_of;
using testing::make_reader_engine;

// Three soil types; the second varies with depth.
constexpr const char* kThreeTypes =
    "1 3\n"
    "18. 19. 10. 30. 0.1 2. 1 0\n"
    "19. 20. 15. 28. 0. 0. 0 1\n"
    "10. 20. 1.5 2.5 25. 32. 3.5 4.5\n"
    "20. 21. 20. 26. 0. 0. 2 0\n";

// Reads a first SOIL command and then, when given, a second one.
std::unique_ptr<Engine> soils(const std::string& second = "") {
  auto e = make_reader_engine(std::string(kThreeTypes) + second);
  read_soils(*e);
  if (!second.empty()) {
    e->model.line_loaded = 0;  // as the command loop does before every command
    read_soils(*e);
  }
  return e;
}

TEST(SoilReader, NewSetStoresDepthVariationValuesInTheirInputOrder) {
  auto e = soils();
  const ProblemModel& m = e->model;
  EXPECT_EQ(m.soil_count, 3);
  EXPECT_EQ(m.soil_pore_pressure_constant[1], 2.0f);
  EXPECT_EQ(m.soil_piezometric_surface[1], 1);
  EXPECT_EQ(m.soil_y_ref_1[2], 10.0f);
  EXPECT_EQ(m.soil_y_ref_2[2], 20.0f);
  EXPECT_EQ(m.soil_extra[2][2], 2.5f);
  EXPECT_EQ(m.soil_cohesion_2[2], 25.0f);
  EXPECT_EQ(m.soil_friction_angle_2[2], 32.0f);
  EXPECT_EQ(m.soil_extra[4][2], 4.5f);
  EXPECT_EQ(m.soil_total_unit_weight[3], 20.0f);  // the data stayed in step
  EXPECT_EQ(m.input_error_flag, 0);
}

TEST(SoilReader, TooManyTypesAbortsAndKeepsThePresentSet) {
  auto e = soils("0 21\n");
  EXPECT_EQ(e->model.stop_code, 2);
  EXPECT_EQ(e->model.soil_count, 3);
}

TEST(SoilReader, ChangeReplacesItemsOneToSevenAndKeepsTheDepthVariation) {
  auto e = soils("0 0\n1\n2 17. 18. 5. 20. 0.2 1. 3\n");
  const ProblemModel& m = e->model;
  EXPECT_EQ(m.soil_count, 3);
  EXPECT_EQ(m.soil_total_unit_weight[2], 17.0f);
  EXPECT_EQ(m.soil_piezometric_surface[2], 3);
  EXPECT_EQ(m.soil_depth_variation[2], 1);
  EXPECT_EQ(m.soil_cohesion_2[2], 25.0f);
  EXPECT_EQ(m.soil_total_unit_weight[3], 20.0f);
  EXPECT_EQ(m.input_error_flag, 0);
}

TEST(SoilReader, ChangedTypeZeroIsRejectedAndItsValuesDropped) {
  auto e = soils("0 0\n2\n0 99. 99. 99. 99. 0. 0. 0\n1 17. 18. 5. 20. 0. 0. 0\n");
  const ProblemModel& m = e->model;
  EXPECT_EQ(count_of(e->report.text(), "S105"), 1);
  EXPECT_EQ(m.input_error_flag, 1);
  EXPECT_EQ(m.soil_total_unit_weight[0], 0.0f);
  EXPECT_EQ(m.soil_total_unit_weight[1], 17.0f);  // the next change is read in step
}

}  // namespace
}  // namespace scarpex
