// The picture: well-formed XML (read back with Python's XML parser), one path per boundary and
// per listed surface, a legend, trial colours that follow the factor of safety, the frame of
// the plot header applied, and a reasonable size for 10,000 trials.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>

#include "host_test_support.h"
#include "results/results_reader.h"
#include "run/run_names.h"
#include "views/picture_scale.h"
#include "views/picture_trials.h"
#include "views/svg_writer.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kHostData = fs::path(SCARPEX_TEST_DATA).parent_path() / "host_data";

Results results_of(const fs::path& names) {
  std::string why;
  auto files = run_files_of(names, why);
  if (!files) throw std::runtime_error(why);
  return read_results(*files);
}

// The SVG as the XML parser sees it; fails the test when it is not well-formed.
json parsed_svg(const std::string& svg, const TempFolder& folder) {
  write_file(folder / "picture.svg", svg);
  std::string command = "python3 -I " + quoted((kHostData / "svg_summary.py").string()) + " " +
                        quoted((folder / "picture.svg").string()) + " > " +
                        quoted((folder / "summary.json").string());
  if (std::system(command.c_str()) != 0) return nullptr;
  return json::parse(read_file(folder / "summary.json"));
}

TEST(Picture, SearchWithTrialsListAndLegend) {
  TempFolder folder("svg");
  Results results = results_of(kHostData / "circle_search" / "names.dat");
  json svg = parsed_svg(results_svg(results), folder);
  ASSERT_FALSE(svg.is_null()) << "not well-formed XML";
  EXPECT_EQ(svg["root"], "{http://www.w3.org/2000/svg}svg");
  const Analysis& search = results.analyses[0];
  EXPECT_EQ(svg["paths"]["boundary top"].get<int>() + svg["paths"]["boundary"].get<int>(),
            static_cast<int>(search.drawing.boundaries.size()));
  EXPECT_EQ(svg["paths"]["critical"].get<int>() + svg["paths"]["critical best"].get<int>(), 10);
  EXPECT_EQ(svg["paths"]["piezometric"], 1);
  EXPECT_EQ(svg["paths"]["limit"], 1);
  EXPECT_EQ(svg["paths"]["line-of-thrust"], 1);
  EXPECT_EQ(svg["paths"]["centre"], 1);
  EXPECT_EQ(svg["legend"], 1);
  EXPECT_EQ(svg["paths"]["trial-bin not-converged"], 1);
  // The listed surfaces after the first are drawn in the colour of their legend line.
  EXPECT_EQ(svg["strokes"]["critical"], json::array({svg["legend_strokes"]["ten most critical"]}));

  // Each converged trial lies in the bin whose range holds its factor of safety, drawn in
  // that bin's legend colour; red for the lowest factors, blue for the highest.
  std::vector<double> converged;
  for (const TrialSurface& t : search.trials) {
    if (t.solution_status == 1) converged.push_back(t.factor_of_safety);
  }
  int drawn = 0;
  for (const json& bin : svg["bins"]) {
    double from = bin["from"];
    double to = bin["to"].is_null() ? 1e300 : bin["to"].get<double>();
    int expected = 0;
    for (double fos : converged) {
      bool last = bin["bin"] == FosColourScale::kBins - 1;
      if (fos >= from - 5e-4 && (last || fos < to - 5e-4)) ++expected;
    }
    EXPECT_EQ(bin["count"].get<int>(), expected) << "bin from " << from;
    EXPECT_EQ(bin["subpaths"].get<int>(), expected);
    EXPECT_EQ(bin["stroke"], svg["legend_bins"][std::to_string(bin["bin"].get<int>())]);
    drawn += expected;
  }
  EXPECT_EQ(drawn, static_cast<int>(converged.size()));
  FosColourScale scale = FosColourScale::for_values(converged);
  auto rgb = [](const std::string& hex) {
    return std::array<int, 3>{std::stoi(hex.substr(1, 2), nullptr, 16),
                              std::stoi(hex.substr(3, 2), nullptr, 16),
                              std::stoi(hex.substr(5, 2), nullptr, 16)};
  };
  std::array<int, 3> low = rgb(scale.colour(0)),
                     high = rgb(scale.colour(FosColourScale::kBins - 1));
  EXPECT_GT(low[0], low[2]);    // red for the most critical
  EXPECT_GT(high[2], high[0]);  // blue for the safest
  EXPECT_EQ(scale.bin(scale.low()), 0);
  EXPECT_EQ(scale.bin(1e9), FosColourScale::kBins - 1);
  bool labelled = false;
  for (const json& text : svg["texts"]) labelled = labelled || text == "FOS = 1.207";
  EXPECT_TRUE(labelled);
}

TEST(Picture, FrameOfThePlotHeaderApplied) {
  TempFolder folder("svgframe");
  copy_golden_outputs("spencer_mirrored", folder.path());
  Results results = results_of(folder / "names.dat");
  ASSERT_TRUE(results.frame.mirrored());
  json svg = parsed_svg(results_svg(results), folder);
  ASSERT_FALSE(svg.is_null());
  // Stored left to right, a mirrored boundary is drawn right to left.
  const json& first = svg["boundaries"]["1"];
  EXPECT_GT(first[0].get<double>(), first[1].get<double>());

  results.frame.ints[0] = 0;
  json plain = parsed_svg(results_svg(results), folder);
  EXPECT_LT(plain["boundaries"]["1"][0].get<double>(), plain["boundaries"]["1"][1].get<double>());
}

TEST(Picture, SpecifiedSurfaceAndNoDrawing) {
  TempFolder folder("svgspec");
  copy_golden_outputs("whole_all_six_commands", folder.path());
  json svg = parsed_svg(results_svg(results_of(folder / "names.dat")), folder);
  ASSERT_FALSE(svg.is_null());
  EXPECT_EQ(svg["paths"]["surface specified"], 1);
  EXPECT_EQ(svg["paths"]["load"], 2);
  EXPECT_EQ(svg["paths"]["tieback"], 2);
  EXPECT_EQ(svg["paths"]["reinforcement"], 2);
  EXPECT_EQ(svg["legend"], 1);

  Results empty;
  empty.title = "A <title> & more: caf\xe9 \xc3\xa9\x01";
  json none = parsed_svg(results_svg(empty), folder);
  ASSERT_FALSE(none.is_null());  // a stray Latin-1 byte must not make it ill-formed
  EXPECT_EQ(none["texts"][0], "A <title> & more: caf? \u00e9 ");
  EXPECT_EQ(none["legend"], 1);
}

// The compact outline reads back, step by step, as the points it was made of.
TEST(Picture, TrialOutlinesReadBackAsTheirPoints) {
  Polyline points = {{10.2, 20.7}, {13.9, 18.1}, {13.9, 25.0}, {9.0, 30.4}};
  std::string d = trial_path_data(points, [](Point p) { return p; });
  EXPECT_EQ(d, "M10 21l4-3 0 7-5 5");
  long x = 0, y = 0;
  std::istringstream steps(d.substr(1));
  char l;
  steps >> x >> y >> l;
  std::vector<std::pair<long, long>> read = {{x, y}};
  long dx, dy;
  while (steps >> dx >> dy) read.push_back({x += dx, y += dy});
  ASSERT_EQ(read.size(), points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(read[i].first, std::lround(points[i].x));
    EXPECT_EQ(read[i].second, std::lround(points[i].y));
  }
}

TEST(Picture, ThinningKeepsTheMostCriticalTrials) {
  std::vector<TrialSurface> trials;
  const int count = 30000;
  for (int t = 1; t <= count; ++t) {
    TrialSurface trial;
    trial.trial = t;
    trial.solution_status = 1;
    trial.factor_of_safety = 1.0 + ((t * 7919) % count) * 1e-4;  // lowest at trial count
    trial.points.assign(40, Point{});
    trials.push_back(trial);
  }
  std::vector<const TrialSurface*> drawn = trials_to_draw(trials);
  std::size_t points = 0;
  for (const TrialSurface* t : drawn) points += t->points.size();
  EXPECT_LE(points, kTrialPointBudget + kKeptCritical * 40);
  EXPECT_GT(points, kTrialPointBudget / 2);
  EXPECT_TRUE(std::is_sorted(drawn.begin(), drawn.end(),
                             [](auto* a, auto* b) { return a->trial < b->trial; }));
  // Every one of the most critical trials is drawn.
  std::vector<double> drawn_factors;
  for (const TrialSurface* t : drawn) drawn_factors.push_back(t->factor_of_safety);
  std::sort(drawn_factors.begin(), drawn_factors.end());
  for (std::size_t k = 0; k < kKeptCritical; ++k)
    EXPECT_DOUBLE_EQ(drawn_factors[k], 1.0 + k * 1e-4);
}

// A search of 10,000 trials of 40 points each stays readable and small.
TEST(Picture, TenThousandTrialsUnderFiveMegabytes) {
  Results results;
  Analysis search;
  search.kind = AnalysisKind::kSearch;
  search.drawing.ground_surface = {{0, 20}, {20, 20}, {40, 30}, {70, 30}};
  search.drawing.top_boundary_count = 3;
  constexpr int kTrials = 10000, kPoints = 40;
  for (int t = 1; t <= kTrials; ++t) {
    TrialSurface trial;
    trial.trial = t;
    trial.solution_status = t % 50 == 0 ? 2 : 1;
    trial.factor_of_safety = 1.2 + (t % 997) * 0.003;
    double cx = 25 + (t % 13), cy = 38 + (t % 7), r = 20 + (t % 11) * 0.7;
    for (int p = 0; p < kPoints; ++p) {
      double a = -2.6 + 2.2 * p / (kPoints - 1);
      trial.points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    search.trials.push_back(trial);
  }
  search.critical.push_back({1.2, Circle{25, 38, 20}, search.trials[0].points});
  results.analyses.push_back(search);
  std::string svg = results_svg(results);
  EXPECT_LT(svg.size(), 5u << 20);
  TempFolder folder("svgbig");
  json parsed = parsed_svg(svg, folder);
  ASSERT_FALSE(parsed.is_null());
  int paths = 0;
  for (const auto& entry : parsed["paths"].items()) paths += entry.value().get<int>();
  EXPECT_LT(paths, 60);  // a path per colour bin, not one per trial
  int counted = 0;
  for (const json& bin : parsed["bins"]) counted += bin["count"].get<int>();
  EXPECT_GT(counted, 5000);
}

}  // namespace
}  // namespace scarpex_host::testing
