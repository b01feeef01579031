#include "output/plot_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "test_engine.h"

namespace scarpex {
namespace {

using testing::make_reader_engine;
using Lines = std::vector<std::string>;

// The lines of the last record with the given tag, up to the next tag.
Lines last_record(const std::string& text, const std::string& tag) {
  Lines body;
  bool inside = false;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    bool is_tag = line.size() == 3 && line[0] >= 'A' && line[0] <= 'Z';
    if (line == tag) body.clear();
    if (is_tag)
      inside = line == tag;
    else if (inside)
      body.push_back(line);
  }
  return body;
}

// Three ground-surface boundaries and two subsurface ones; a search is running, so a drawing
// ends without SRF.
void make_problem(ProblemModel& m) {
  const float ends[5][4] = {
      {0, 10, 20, 10}, {20, 10, 40, 20}, {40, 20, 60, 20}, {0, 5, 60, 5}, {0, 2, 60, 3}};
  for (int32_t i = 1; i <= 5; ++i) {
    m.boundary_x_left[i] = ends[i - 1][0];
    m.boundary_y_left[i] = ends[i - 1][1];
    m.boundary_x_right[i] = ends[i - 1][2];
    m.boundary_y_right[i] = ends[i - 1][3];
  }
  m.boundary_count = 5;
  m.top_boundary_count = 3;
  m.search_active = 1;
}

void set_surface(ProblemModel& m, std::initializer_list<std::pair<float, float>> points) {
  m.surface_point_count = 0;
  for (auto [x, y] : points) {
    ++m.surface_point_count;
    m.surface_x[m.surface_point_count] = x;
    m.surface_y[m.surface_point_count] = y;
  }
}

TEST(PlotFile, DrawingFixedBlockBoundariesAndNplOnlyOnLaterDrawings) {
  auto e = make_reader_engine("");
  make_problem(e->model);
  write_plot_records(*e);
  const std::string first =
      "         0\n      1.00\n      2.00\n      3.00\n      4.00\n      5.00\n      6.00\n"
      "      7.00\n      8.00\n         0\n      1.00\n      2.00\n      3.00\n      4.00\n"
      "      5.00\n"
      "BND\n      0.00     10.00    3    5\n"
      "     20.0000     10.0000\n     40.0000     20.0000\n     60.0000     20.0000\n"
      "      0.0000      5.0000\n     60.0000      5.0000\n"
      "      0.0000      2.0000\n     60.0000      3.0000\n";
  EXPECT_EQ(e->plot.text(), first);
  write_plot_records(*e);
  EXPECT_EQ(e->plot.text(), first + "NPL\n" + first);
  e->model.plot_header_written = 0;  // as PROFIL leaves it
  write_plot_records(*e);
  EXPECT_EQ(e->plot.text(), first + "NPL\n" + first + first);
}

TEST(PlotFile, OptionalRecordsFollowTheirFlags) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  make_problem(m);
  m.piezo_count = 1;
  m.piezo_point_count[1] = 2;
  m.piezo_x[1][2] = 60;
  m.piezo_y[1][2] = 9;
  m.limit_count = 1;
  m.reinf_layer_count = 1;
  write_plot_records(*e);
  for (const char* tag : {"WTR", "LMT", "LDS", "TIE", "RNF", "BLK", "SRF"}) {
    EXPECT_TRUE(last_record(e->plot.text(), tag).empty()) << tag;
  }
  m.water_active = m.limits_active = m.reinf_given = 1;
  write_plot_records(*e);
  const std::string& text = e->plot.text();
  EXPECT_EQ(last_record(text, "WTR"), (Lines{"         1", "         2", "      0.0000      0.0000",
                                             "     60.0000      9.0000"}));
  EXPECT_EQ(last_record(text, "LMT").size(), 3u);
  EXPECT_EQ(last_record(text, "RNF"), (Lines{"         1", "         0"}));
  EXPECT_LT(text.rfind("WTR"), text.rfind("LMT"));
  EXPECT_LT(text.rfind("LMT"), text.rfind("RNF"));
}

TEST(PlotFile, LoadDiagramsScaleToTheLargestMeanIntensity) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  make_problem(m);
  m.loads_active = 1;
  m.load_count = 2;
  const float loads[2][4] = {{2, 6, 100, 200}, {10, 14, 300, 300}};
  for (int32_t i = 1; i <= 2; ++i) {
    m.load_x_left[i] = loads[i - 1][0];
    m.load_x_right[i] = loads[i - 1][1];
    m.load_intensity_left[i] = loads[i - 1][2];
    m.load_intensity_right[i] = loads[i - 1][3];
    m.load_y_left[i] = m.load_y_right[i] = 10;
  }
  write_plot_records(*e);
  EXPECT_EQ(
      last_record(e->plot.text(), "LDS"),
      (Lines{"         2", "      2.0000     10.0000", "      2.0000     10.1000",
             "      6.0000     10.2000", "      6.0000     10.0000", "     10.0000     10.0000",
             "     10.0000     10.3000", "     14.0000     10.3000", "     14.0000     10.0000"}));
  // A deflection leans the outline.
  m.load_deflection[2] = 90.0f * m.deg_to_rad;
  write_plot_records(*e);
  EXPECT_EQ(last_record(e->plot.text(), "LDS")[6], "      9.7000     10.0000");
  // No intensity anywhere (qmax 0): flat outlines instead of a division by zero.
  for (int32_t i = 1; i <= 2; ++i) m.load_intensity_left[i] = m.load_intensity_right[i] = 0;
  write_plot_records(*e);
  EXPECT_EQ(last_record(e->plot.text(), "LDS")[7], "     14.0000     10.0000");
}

TEST(PlotFile, TiebackTailsShowTheShareOfTheLargestLineLoad) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  make_problem(m);
  m.ties_active = 1;
  m.tie_count = 2;
  m.tie_x[1] = 30;
  m.tie_y[1] = 15;
  m.tie_length[1] = 20;
  m.tie_line_load[1] = 1250;
  m.tie_x[2] = 35;
  m.tie_y[2] = 17.5f;
  m.tie_line_load[2] = 625;  // length 0: no tail, and the third line repeats it
  write_plot_records(*e);
  EXPECT_EQ(last_record(e->plot.text(), "TIE"),
            (Lines{"         2", "     30.0000     15.0000", "     28.0000     15.0000",
                   "     48.0000     15.0000", "     35.0000     17.5000",
                   "     35.0000     17.5000", "     35.0000     17.5000"}));
  // Mirrored, a horizontal row is drawn pointing the other way (0 degrees shown as 180).
  m.tie_count = 1;
  m.frame_ints[1] = 1;
  write_plot_records(*e);
  EXPECT_EQ(last_record(e->plot.text(), "TIE")[2], "     32.0000     15.0000");
  EXPECT_EQ(last_record(e->plot.text(), "TIE")[3], "     12.0000     15.0000");
  // No line load anywhere (lmax 0): the tail stays at the head.
  m.frame_ints[1] = 0;
  m.tie_line_load[1] = 0;
  write_plot_records(*e);
  EXPECT_EQ(last_record(e->plot.text(), "TIE"),
            (Lines{"         1", "     30.0000     15.0000", "     30.0000     15.0000",
                   "     50.0000     15.0000"}));
}

TEST(PlotFile, BlockBoxOutline) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  make_problem(m);
  m.block_search = 1;
  m.box_count = 1;
  m.box_x_left[1] = 10;
  m.box_y_left[1] = 5;
  m.box_x_right[1] = 20;
  m.box_y_right[1] = 6;
  m.box_height[1] = 4;
  write_plot_records(*e);
  EXPECT_EQ(
      last_record(e->plot.text(), "BLK"),
      (Lines{"         1", "     10.0000      7.0000", "     10.0000      3.0000",
             "     20.0000      4.0000", "     20.0000      8.0000", "     10.0000      7.0000"}));
}

TEST(PlotFile, SpecifiedAndTrialSurfaceRecords) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  make_problem(m);
  m.search_active = 0;
  set_surface(m, {{0, 1}, {1, 0}, {1.5f, 0.5f}, {2, 1}});
  m.list[0].fos = 1.2345f;
  write_plot_records(*e);
  const std::string points =
      "         0.0000         1.0000\n         1.0000         0.0000\n"
      "         1.5000         0.5000\n         2.0000         1.0000\n";
  const std::string& text = e->plot.text();
  EXPECT_EQ(text.substr(text.rfind("SRF")),
            "SRF\n 4\n          1.235         1.0000         1.0000         1.0000\n" + points);
  // Collinear points have no circle: centre and radius are written as 0.
  set_surface(m, {{0, 0}, {1, 1}, {2, 2}});
  write_plot_records(*e);
  EXPECT_EQ(last_record(e->plot.text(), "SRF")[1],
            "          1.235         0.0000         0.0000         0.0000");

  auto trial = make_reader_engine("");
  ProblemModel& t = trial->model;
  set_surface(t, {{0, 1}, {1, 0}, {1.5f, 0.5f}, {2, 1}});
  t.search_active = 1;
  t.plot_stage = 2.0f;
  t.ntrial = 17;
  t.solution_status = 2;
  t.list[0].fos = 0.9876f;
  t.spencer_theta_plot = 11.5f;
  write_plot_records(*trial);
  EXPECT_EQ(trial->plot.text(),
            "SFS\n 17\n 4 2\n"
            "          0.988         1.0000         1.0000         1.0000        11.5000\n" +
                points);
  EXPECT_EQ(t.plot_header_written, 0);
}

TEST(PlotFile, CriticalListWithItsCircleRecords) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  m.plot_stage = 3.0f;
  m.list_shown_count = 2;
  for (int32_t k = 1; k <= 2; ++k) {
    ListSlot& slot = m.list[static_cast<std::size_t>(k)];
    slot.point_count = 2;
    slot.fos = 1.0f + 0.25f * static_cast<float>(k);
    slot.x = {0, 1, 3};
    slot.y = {0, 2, 4};
    m.circle_record_x[k] = 5;
    m.circle_record_y[k] = 6;
    m.circle_record_r[k] = 7;
  }
  m.circular_search = 1;
  write_plot_records(*e);
  const std::string points = "      1.0000      2.0000\n      3.0000      4.0000\n";
  EXPECT_EQ(e->plot.text(), "TNS\n         2\n         2\n 1.25 5.0 6.0 7.0\n" + points +
                                "         2\n 1.5 5.0 6.0 7.0\n" + points);
  // Other searches write a radius of 0; the writer only reads the model.
  m.circular_search = 0;
  write_plot_records(*e);
  EXPECT_EQ(last_record(e->plot.text(), "TNS")[2], " 1.25 5.0 6.0 0.0");
  EXPECT_EQ(m.circle_record_r[2], 7.0f);
}

TEST(PlotFile, CountsOutsideTheirTablesAreHeldToThem) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  make_problem(m);
  m.search_active = 0;
  m.top_boundary_count = 9;  // more ground boundaries than boundaries
  m.water_active = 1;
  m.piezo_count = 1;
  m.piezo_point_count[1] = 500;
  m.loads_active = 1;
  m.load_count = -3;
  m.surface_point_count = 1000;
  write_plot_records(*e);
  const std::string& text = e->plot.text();
  EXPECT_EQ(last_record(text, "BND")[0], "      0.00     10.00    5    5");
  EXPECT_EQ(last_record(text, "BND").size(), 1u + 5u);
  EXPECT_EQ(last_record(text, "WTR")[1], "        40");
  EXPECT_EQ(last_record(text, "WTR").size(), 2u + 40u);
  EXPECT_EQ(last_record(text, "LDS"), (Lines{"         0"}));
  EXPECT_EQ(last_record(text, "SRF")[0], " 100");
  EXPECT_EQ(last_record(text, "SRF").size(), 2u + 100u);
}

}  // namespace
}  // namespace scarpex
