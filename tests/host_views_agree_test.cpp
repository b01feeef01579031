// The page and the picture of a search show its most critical surfaces as the JSON document
// holds them: ranked from 1, with the same factors, and with no centre where there is no circle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "host_test_support.h"

namespace scarpex_host::testing {
namespace {

using nlohmann::json;

std::string three_decimals(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

// Every match of `pattern` in `text`, as "group 1 group 2 ...".
std::vector<std::string> matches(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex re(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
       ++it) {
    std::string groups;
    for (std::size_t g = 1; g < it->size(); ++g) groups += (g > 1 ? " " : "") + (*it)[g].str();
    found.push_back(groups);
  }
  return found;
}

TEST(HostViews, PageAndPictureRankTheCriticalSurfacesAsTheDocument) {
  for (const char* golden : {"search_random_with_limits", "search_block_boxes_on_ground"}) {
    TempFolder folder("views");
    copy_golden_outputs(golden, folder.path());
    HostRun run = run_scarpex("--names " + quoted((folder / "names.dat").string()) +
                                  " --no-run --json d.json --html p.html --svg s.svg",
                              folder.path());
    ASSERT_NE(run.status, 2) << run.err;
    const json doc = json::parse(read_file(folder / "d.json"));
    const json& critical = doc["analyses"][0]["critical"];
    ASSERT_EQ(critical.size(), 10u) << golden;
    std::vector<std::string> rows, ranked;
    for (std::size_t k = 0; k < critical.size(); ++k) {
      const std::string fos = three_decimals(critical[k]["factor_of_safety"].get<double>());
      rows.push_back(std::to_string(k + 1) + " " + fos + " " +
                     (critical[k]["circle"].is_null() ? "-" : "centre"));
      ranked.push_back(std::to_string(k + 1) + " " + fos);
    }
    // Rank, factor and centre x of each row of the page's table of surfaces.
    std::vector<std::string> page = matches(
        read_file(folder / "p.html"),
        R"re(<tr class="surface"><td>(\d+)</td><td>([-\d.]+)</td>(?:<td>[^<]*</td>){3}<td>([^<]*)</td>)re");
    for (std::string& row : page) {
      if (row.back() != '-') row = row.substr(0, row.rfind(' ')) + " centre";
    }
    EXPECT_EQ(page, rows) << golden;
    std::vector<std::string> picture =
        matches(read_file(folder / "s.svg"),
                R"re(class="critical[^"]*"[^>]* data-rank="(\d+)" data-fos="([-\d.]+)")re");
    std::sort(picture.begin(), picture.end(), [](const std::string& a, const std::string& b) {
      return std::stoi(a) < std::stoi(b);
    });
    EXPECT_EQ(picture, ranked) << golden;
  }
}

}  // namespace
}  // namespace scarpex_host::testing
