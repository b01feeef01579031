#include "output/slice_tables.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "output/slice_table_heading.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::make_reader_engine;

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int index_of(const std::vector<std::string>& lines, const std::string& line) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == line) return static_cast<int>(i);
  }
  return -1;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// `n` slices of width 2 from x = 10 with distinct values, and a line of thrust along them.
void fill_slices(ProblemModel& m, int32_t n) {
  SliceTable& s = m.slices;
  s.slice_count = n;
  for (int32_t j = 1; j <= n + 1; ++j) {
    s.x_edge[j] = 8.0f + 2.0f * static_cast<float>(j);
    s.y_edge[j] = 20.0f - static_cast<float>(j);
  }
  for (int32_t i = 1; i <= n; ++i) {
    float f = static_cast<float>(i);
    s.x_mid[i] = 9.0f + 2.0f * f;
    s.width[i] = 2.0f;
    s.weight[i] = 1000.0f * f;
    s.top_water_force[i] = 10.0f * f;
    s.base_water_force[i] = 100.0f * f;
    s.tie_normal_force[i] = f;
    s.tie_shear_force[i] = 2.0f * f;
    s.load_force[i] = 50.0f * f;
    s.base_total_stress[i] = 300.0f * f;
    s.base_effective_stress[i] = 200.0f * f;
    s.base_shear_stress[i] = 150.0f * f;
    s.base_pore_pressure[i] = 100.0f * f;
    m.thrust.thrust_x[i] = s.x_edge[i + 1];
    m.thrust.thrust_y[i] = s.y_edge[i + 1] + 1.0f;
    m.thrust.thrust_ratio[i] = 0.333f;
    m.thrust.side_force[i] = 500.0f * f;
  }
  m.list[0].fos = 1.2345f;
  m.list[0].theta = 12.5f;
  m.unit_system = 1;
}

TEST(SliceTables, TwoSlicesExactReportAndPlotRecords) {
  auto e = make_reader_engine("");
  fill_slices(e->model, 2);
  e->model.earthquake_kh = 0.1f;
  write_slice_tables(*e);
  EXPECT_EQ(e->report.text(),
            "\n\n                ***     1.235   ***\n\n\n\n"
            "\n               Individual data on the     2  slices\n\n\n"
            "                         Water     Water      Tie       Tie         Earthquake\n"
            "                         Force     Force     Force     Force           Force       "
            "Surcharge\n"
            " Slice  Width  Weight     Top       Bot      Norm       Tan       Hor       Ver      "
            "Load\n"
            "  No.     Ft     Lbs      Lbs       Lbs       Lbs       Lbs       Lbs       Lbs       "
            "Lbs    \n"
            "   1     2.0  1.00E+03  1.00E+01  1.00E+02  1.00E+00  2.00E+00  1.00E+02  0.00E+00  "
            "5.00E+01\n"
            "   2     2.0  2.00E+03  2.00E+01  2.00E+02  2.00E+00  4.00E+00  2.00E+02  0.00E+00  "
            "1.00E+02\n"
            " --------------------------------------------------\n\n");
  EXPECT_EQ(
      e->plot.text(),
      "INF\n 2\n"
      "   1     11.0000  1.000E+03  2.000E+00  1.000E+02  1.000E+00  2.000E+00  1.000E+02  "
      "0.000E+00  5.000E+01\n"
      "   2     13.0000  2.000E+03  2.000E+00  2.000E+02  2.000E+00  4.000E+00  2.000E+02  "
      "0.000E+00  1.000E+02\n"
      "INS\n"
      "   1     11.0000  3.000E+02  2.000E+02  1.500E+02  1.000E+02\n"
      "   2     13.0000  6.000E+02  4.000E+02  3.000E+02  2.000E+02\n"
      "INX\n"
      "   1     10.0000    19.0000\n   2     12.0000    18.0000\n   3     14.0000    17.0000\n");
}

TEST(SliceTables, FiveSlicesWithSpencerGiveMatchingBlocksAndTheLineOfThrust) {
  auto e = make_reader_engine("");
  fill_slices(e->model, 5);
  e->model.spencer_method = 1;
  e->model.thrust.side_force[1] = 12345.4f;
  e->model.thrust.side_force[5] = -2.4f;
  write_slice_tables(*e);
  const std::string& text = e->report.text();
  EXPECT_EQ(text.substr(0, 70),
            "\n\n          ***  FOS =     1.235   Spencer`s Theta =    12.50  ***\n\n\n\n");
  auto report = lines_of(text);
  int count_line = index_of(report, "               Individual data on the     5  slices");
  int rule = index_of(report, " --------------------------------------------------");
  ASSERT_GE(count_line, 0);
  EXPECT_EQ(rule - (count_line + 7), 5);  // two empty lines and four heading lines first
  const std::string thrust =
      " --------------------------------------------------\n\n\n\n"
      "                      *** Line of Thrust ***\n\n"
      "          Slice   X Coord.   Y Coord.          Side Force\n"
      "           No.      (ft)       (ft)      L/H      (lbs)\n\n"
      "            1      12.00     19.00     0.333      12345.\n";
  EXPECT_TRUE(contains(text, thrust));
  const std::string last_row = "            5      20.00     15.00     0.333         -2.\n\n\n";
  EXPECT_EQ(text.substr(text.size() - last_row.size()), last_row);

  auto plot = lines_of(e->plot.text());
  int inf = index_of(plot, "INF"), ins = index_of(plot, "INS");
  int inx = index_of(plot, "INX"), lot = index_of(plot, "LOT");
  EXPECT_EQ(plot[1], " 5");
  EXPECT_EQ(ins - inf, 2 + 5);
  EXPECT_EQ(inx - ins, 1 + 5);
  EXPECT_EQ(lot - inx, 1 + 6);
  ASSERT_EQ(static_cast<int>(plot.size()) - lot, 2 + 6);
  EXPECT_EQ(plot[static_cast<std::size_t>(lot + 1)], " 6 0.0");
  EXPECT_EQ(plot[static_cast<std::size_t>(lot + 2)],
            "   0  1.000E+01  1.900E+01  0.000E+00  0.000E+00");
  EXPECT_EQ(plot.back(), "   5  2.000E+01  1.500E+01  3.330E-01 -2.400E+00");
}

TEST(SliceTables, EarthquakeColumnsAreTheCoefficientsTimesTheWeight) {
  auto e = make_reader_engine("");
  fill_slices(e->model, 1);
  e->model.slices.weight[1] = 2000.0f;
  e->model.earthquake_kh = 0.1f;
  e->model.earthquake_kv = 0.05f;
  write_slice_tables(*e);
  // Norm, Tan, Hor, Ver, Load.
  EXPECT_TRUE(contains(e->report.text(), "  1.00E+00  2.00E+00  2.00E+02  1.00E+02  5.00E+01\n"));
  EXPECT_TRUE(contains(e->plot.text(), "  2.000E+02  1.000E+02  5.000E+01\n"));
}

TEST(SliceTables, MirroredThrustLineIsShownInTheUsersFrameButPlottedAsStored) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  fill_slices(m, 1);
  m.spencer_method = 1;
  m.unit_system = 2;
  m.frame_ints[1] = 1;        // mirrored
  m.frame_reals[2] = 100.0f;  // mirror axis
  m.frame_reals[6] = 5.0f;    // shift of y
  m.thrust.thrust_x[1] = 30.0f;
  m.thrust.thrust_y[1] = 10.0f;
  write_slice_tables(*e);
  EXPECT_TRUE(
      contains(e->report.text(), "           No.      (m)        (m)       L/H      (kN)\n"));
  EXPECT_TRUE(
      contains(e->report.text(), "            1      70.00     15.00     0.333        500.\n"));
  EXPECT_TRUE(contains(e->plot.text(), "   1  3.000E+01  1.000E+01  3.330E-01  5.000E+02\n"));
}

TEST(SliceTables, HeadingByUnitSystem) {
  EXPECT_EQ(slice_table_heading_line(2, 4),
            "  No.     M      KN       KN        KN        KN        KN        KN        KN"
            "        KN     ");
  EXPECT_EQ(slice_table_heading_line(3, 4),
            "  No.     L       F        F         F         F         F         F         F"
            "         F     ");
  EXPECT_EQ(slice_table_heading_line(7, 4), slice_table_heading_line(3, 4));
  // Generic units: the generic heading, and rows of the line of thrust without a heading.
  auto e = make_reader_engine("");
  fill_slices(e->model, 1);
  e->model.spencer_method = 1;
  e->model.unit_system = 3;
  write_slice_tables(*e);
  EXPECT_TRUE(contains(e->report.text(), slice_table_heading_line(3, 4) + "\n   1     2.0"));
  EXPECT_FALSE(contains(e->report.text(), "Line of Thrust"));
  EXPECT_TRUE(contains(e->report.text(), "\n\n            1      12.00     19.00     0.333"));
  // Unit system 0 or less: no heading at all.
  auto bare = make_reader_engine("");
  fill_slices(bare->model, 1);
  bare->model.unit_system = 0;
  write_slice_tables(*bare);
  EXPECT_TRUE(contains(bare->report.text(), "slices\n   1     2.0"));
}

TEST(SliceTables, SearchRecordDetailCarriesItsThetaAndCountsStayInTheTable) {
  auto e = make_reader_engine("");
  fill_slices(e->model, 3);
  e->model.spencer_method = 1;
  SliceTable best = e->model.slices;
  ThrustLine best_thrust = e->model.thrust;
  e->model.slices.slice_count = 0;  // the current surface is another one by now
  write_slice_detail(*e, best, best_thrust, 0.0f, 0.0f, 17.25f);
  EXPECT_TRUE(contains(e->plot.text(), "LOT\n 4 17.25\n"));
  EXPECT_TRUE(contains(e->report.text(), "Individual data on the     3  slices"));
  EXPECT_FALSE(contains(e->report.text(), "FOS"));

  for (int32_t count : {-4, kMaxSlices + 50}) {
    auto bad = make_reader_engine("");
    fill_slices(bad->model, 1);
    bad->model.slices.slice_count = count;
    bad->model.spencer_method = 1;
    write_slice_tables(*bad);
    auto plot = lines_of(bad->plot.text());
    int32_t n = count < 0 ? 0 : kMaxSlices;
    EXPECT_EQ(plot[1], " " + std::to_string(n));
    EXPECT_EQ(index_of(plot, "INX") - index_of(plot, "INS"), 1 + n);
    EXPECT_EQ(static_cast<int32_t>(plot.size()) - index_of(plot, "LOT"), 3 + n);
  }
}

}  // namespace
}  // namespace scarpex
