// The JSON document of the host against the output files themselves: every golden run's
// files are parsed here by a plain reader of their own and compared with what the host reads.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "host_test_support.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::vector<std::vector<std::string>> token_lines(const std::string& text) {
  std::vector<std::vector<std::string>> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::vector<std::string> tokens;
    std::string word;
    while (words >> word) tokens.push_back(word);
    lines.push_back(tokens);
  }
  return lines;
}

struct GoldenSurface {
  double fos = 0;
  std::vector<std::pair<double, double>> points;
};

struct GoldenSlices {
  std::vector<double> x_mid, weight, total_stress;
  std::vector<std::pair<double, double>> edges;
  std::vector<std::vector<double>> thrust;  // LOT right after INX
};

struct GoldenPlot {
  std::vector<GoldenSurface> surfaces;  // SRF records in order
  std::vector<GoldenSlices> slices;     // INF/INS/INX(/LOT) blocks in order
  std::vector<int> boundary_counts;     // total boundaries of each BND record
  std::vector<int> piezometric_counts;
  bool ended = false;
};

GoldenPlot parse_plot(const std::string& text) {
  GoldenPlot plot;
  auto lines = token_lines(text);
  auto number = [](const std::string& s) { return std::stod(s); };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].size() != 1) continue;
    const std::string& tag = lines[i][0];
    if (tag == "END") plot.ended = true;
    if (tag == "SRF") {
      GoldenSurface s;
      int n = std::stoi(lines[i + 1][0]);
      s.fos = number(lines[i + 2][0]);
      for (int k = 0; k < n; ++k) {
        s.points.emplace_back(number(lines[i + 3 + k][0]), number(lines[i + 3 + k][1]));
      }
      plot.surfaces.push_back(s);
    } else if (tag == "BND") {
      plot.boundary_counts.push_back(std::stoi(lines[i + 1][3]));
    } else if (tag == "WTR") {
      plot.piezometric_counts.push_back(std::stoi(lines[i + 1][0]));
    } else if (tag == "INF") {
      GoldenSlices s;
      int n = std::stoi(lines[i + 1][0]);
      for (int k = 0; k < n; ++k) {
        s.x_mid.push_back(number(lines[i + 2 + k][1]));
        s.weight.push_back(number(lines[i + 2 + k][2]));
      }
      std::size_t ins = i + 2 + n;
      for (int k = 0; k < n; ++k) s.total_stress.push_back(number(lines[ins + 1 + k][2]));
      std::size_t inx = ins + 1 + n;
      for (int k = 0; k <= n; ++k) {
        s.edges.emplace_back(number(lines[inx + 1 + k][1]), number(lines[inx + 1 + k][2]));
      }
      std::size_t lot = inx + 2 + n;
      if (lot < lines.size() && lines[lot].size() == 1 && lines[lot][0] == "LOT") {
        int rows = std::stoi(lines[lot + 1][0]);
        for (int k = 0; k < rows; ++k) {
          std::vector<double> row;
          for (std::size_t c = 1; c < lines[lot + 2 + k].size(); ++c)
            row.push_back(number(lines[lot + 2 + k][c]));
          s.thrust.push_back(row);
        }
      }
      plot.slices.push_back(s);
    }
  }
  return plot;
}

// The codes of the report's error lines, and the host's code for an illegal command banner.
std::vector<std::string> report_error_codes(const std::string& report) {
  std::vector<std::string> codes;
  const std::string marker = "****  ERROR - ";
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    std::size_t at = line.find(marker);
    if (at != std::string::npos) codes.push_back(line.substr(at + marker.size(), 4));
    if (line.find("- Illegal Command  ***") != std::string::npos) codes.push_back("HOST01");
  }
  return codes;
}

std::string three_decimals(double value) {
  std::ostringstream text;
  text.setf(std::ios::fixed);
  text.precision(3);
  text << value;
  return text.str();
}

// "*** 1.938 ***" summary lines of specified surfaces, in order.
std::vector<std::string> report_summary_values(const std::string& report) {
  std::vector<std::string> values;
  for (const auto& tokens : token_lines(report)) {
    if (tokens.size() == 3 && tokens[0] == "***" && tokens[2] == "***") values.push_back(tokens[1]);
    if (tokens.size() >= 5 && tokens[0] == "***" && tokens[1] == "FOS") values.push_back(tokens[3]);
  }
  return values;
}

// Whether the first, the middle (the engine's point n/2, counted from 1) and the last point
// of a surface lie on one line, or coincide.
bool collinear_ends(const json& points) {
  const std::size_t n = points.size();
  if (n < 2) return true;
  auto at = [&](std::size_t i, int xy) { return points[i][xy].get<double>(); };
  const std::size_t middle = n / 2 - 1;
  const double ax = at(middle, 0) - at(0, 0), ay = at(middle, 1) - at(0, 1);
  const double bx = at(n - 1, 0) - at(0, 0), by = at(n - 1, 1) - at(0, 1);
  return std::fabs(ax * by - ay * bx) <= 1e-9 * std::hypot(ax, ay) * std::hypot(bx, by);
}

class GoldenJson : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenJson, HoldsWhatTheFilesHold) {
  TempFolder folder("json");
  copy_golden_outputs(GetParam(), folder.path());
  HostRun run =
      run_scarpex("--names " + quoted((folder / "names.dat").string()) + " --no-run --json -");
  ASSERT_NE(run.status, 2) << run.err;
  json doc = json::parse(run.out);
  std::string report = read_file(folder / "report.out");
  GoldenPlot plot = parse_plot(read_file(folder / "plot.plt"));

  EXPECT_EQ(doc["schema"], "scarpex-results");
  bool aborted = report.find("EXECUTION OF SCARPEX ABORTED") != std::string::npos;
  EXPECT_EQ(doc["outcome"], aborted ? "aborted" : "completed");
  // Completed runs whose result is incomplete (a search without an admissible surface, a final
  // analysis that did not converge) exit with 3.
  EXPECT_EQ(run.status, aborted ? 1 : doc["verdict"] == "incomplete" ? 3 : 0);
  EXPECT_EQ(doc["verdict"] == "incomplete", !doc["incomplete_reasons"].empty());
  EXPECT_TRUE(plot.ended);

  std::vector<std::string> codes;
  for (const json& e : doc["errors"]) {
    if (e["file"] == "report") codes.push_back(e["code"]);
  }
  EXPECT_EQ(codes, report_error_codes(report));
  EXPECT_EQ(codes.size(), doc["errors"].size())
      << "the trace's copy of a report error listed as well";

  std::vector<json> specified, with_slices;
  std::size_t boundaries_seen = 0;
  for (const json& a : doc["analyses"]) {
    if (a["kind"] == "specified") specified.push_back(a);
    if (a["kind"] == "search") {
      // Under Spencer's method too, the method that gave the starting values (CIRCL2: Bishop).
      EXPECT_FALSE(a["base_method"].is_null());
      if (GetParam() == "search_circl2_spencer") {
        EXPECT_EQ(a["base_method"], "Modified Bishop");
      }
      // Every trial drawn was analysed; a trial that Spencer's method rejects is not drawn.
      ASSERT_TRUE(a["search"].is_object());
      EXPECT_GE(a["search"]["analysed"].get<std::size_t>(), a["trials"].size());
    }
    // The most critical surfaces are ranked from 1 on; a surface whose first, middle and last
    // points are collinear has no circle.
    for (std::size_t k = 0; k < a["critical"].size(); ++k) {
      const json& c = a["critical"][k];
      EXPECT_EQ(c["rank"], k + 1);
      EXPECT_TRUE(!collinear_ends(c["points"]) || c["circle"].is_null()) << "rank " << k + 1;
    }
    for (const json& t : a["trials"]) {
      EXPECT_TRUE(!collinear_ends(t["points"]) || t["circle"].is_null()) << "trial " << t["trial"];
    }
    if (GetParam() == "search_block_boxes_on_ground") {
      EXPECT_EQ(a["critical"].size(), 10u);
      EXPECT_FALSE(a["trials"].empty());
    }
    if (!a["slices"].is_null()) with_slices.push_back(a);
    ASSERT_LT(boundaries_seen, plot.boundary_counts.size() + 1);
    EXPECT_EQ(a["drawing"]["boundaries"].size(),
              static_cast<std::size_t>(plot.boundary_counts[boundaries_seen++]));
  }
  ASSERT_EQ(specified.size(), plot.surfaces.size());
  for (std::size_t k = 0; k < specified.size(); ++k) {
    const json& s = specified[k]["surface"];
    EXPECT_DOUBLE_EQ(s["factor_of_safety"].get<double>(), plot.surfaces[k].fos);
    EXPECT_DOUBLE_EQ(specified[k]["factor_of_safety"].get<double>(), plot.surfaces[k].fos);
    ASSERT_EQ(s["points"].size(), plot.surfaces[k].points.size());
    for (std::size_t p = 0; p < plot.surfaces[k].points.size(); ++p) {
      EXPECT_DOUBLE_EQ(s["points"][p][0].get<double>(), plot.surfaces[k].points[p].first);
      EXPECT_DOUBLE_EQ(s["points"][p][1].get<double>(), plot.surfaces[k].points[p].second);
    }
  }
  ASSERT_EQ(with_slices.size(), plot.slices.size());
  for (std::size_t k = 0; k < plot.slices.size(); ++k) {
    const json& s = with_slices[k]["slices"];
    const GoldenSlices& g = plot.slices[k];
    ASSERT_EQ(s["count"].get<std::size_t>(), g.x_mid.size());
    for (std::size_t i = 0; i < g.x_mid.size(); ++i) {
      EXPECT_DOUBLE_EQ(s["rows"][i]["x_mid"].get<double>(), g.x_mid[i]);
      EXPECT_DOUBLE_EQ(s["rows"][i]["weight"].get<double>(), g.weight[i]);
      EXPECT_DOUBLE_EQ(s["rows"][i]["base_total_stress"].get<double>(), g.total_stress[i]);
    }
    ASSERT_EQ(s["edges"].size(), g.edges.size());
    EXPECT_DOUBLE_EQ(s["edges"].back()[1].get<double>(), g.edges.back().second);
    const json& lot = with_slices[k]["line_of_thrust"];
    if (g.thrust.empty()) continue;
    ASSERT_FALSE(lot.is_null());
    ASSERT_EQ(lot["points"].size(), g.thrust.size());
    for (std::size_t i = 0; i < g.thrust.size(); ++i) {
      EXPECT_DOUBLE_EQ(lot["points"][i]["y"].get<double>(), g.thrust[i][1]);
      EXPECT_DOUBLE_EQ(lot["points"][i]["side_force"].get<double>(), g.thrust[i][3]);
    }
  }
  // The report's summary lines give the same factors, to their three decimals: one for a
  // specified surface, one for each listed surface of a search.
  std::vector<std::string> summaries = report_summary_values(report);
  std::vector<std::string> from_json;
  for (const json& a : with_slices) {
    if (a["kind"] == "search") {
      for (const json& c : a["critical"])
        from_json.push_back(three_decimals(c["factor_of_safety"].get<double>()));
    } else {
      from_json.push_back(three_decimals(a["factor_of_safety"].get<double>()));
    }
  }
  EXPECT_EQ(from_json, summaries);
}

INSTANTIATE_TEST_SUITE_P(EveryGoldenRun, GoldenJson, ::testing::ValuesIn(golden_case_names()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace scarpex_host::testing
