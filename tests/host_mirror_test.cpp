// A mirrored run: each command's data mirrored about the axis, the header's frame made to show
// the slope as drawn, inputs the host cannot mirror refused with their line, and a section
// drawn crest-left giving, run with --mirror, the very run of the same section drawn toe-left.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/host_options.h"
#include "host_test_support.h"
#include "run/mirror_input.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const fs::path kMirrorData = fs::path(SCARPEX_TEST_DATA).parent_path() / "host_data" / "mirror";

const std::string kHeader =
    "HEADER\n50 50 50 0 0 1\n0.0001 0.001 0.001 0.001\nFRAME\n0 0 0\n0. 0. 0. 0. 0. 0.\n";
// Crest left: the ground falls from (30, 30) to (70, 10); one lower boundary.
const std::string kProfile =
    "PROFIL\nSLOPE\n3 2 2\n0. 30. 30. 30. 1\n30. 30. 70. 10. 1\n"
    "0. 5. 70. 2. 2\n";
const std::string kMirroredHeader =
    "HEADER\n50 50 50 0 0 1\n0.0001 0.001 0.001 0.001\nFRAME\n1 0 0\n0. 70. 0. 0. 0. 0.\n";
const std::string kMirroredProfile =
    "PROFIL\nSLOPE\n3 2 2\n0. 10. 40. 30. 1\n40. 30. 70. 30. 1\n0. 2. 70. 5. 2\n";

std::string mirrored(const std::string& input, const std::string& axis = "70.") {
  std::string problem;
  std::optional<MirroredInput> result = mirror_input(input, axis, problem);
  return result ? result->text : "refused: " + problem;
}

struct CommandCase {
  const char* name;
  std::string command, expected;
};

TEST(MirrorInput, EveryCommandIsMirroredAboutTheAxis) {
  const CommandCase cases[] = {
      {"water points reversed", "WATER\n1 9.81\n3\n0. 20. 30.5 25. 70. 28.\n",
       "WATER\n1 9.81\n3\n0. 28.\n39.5 25.\n70. 20.\n"},
      {"water suppressed", "WATER\n0\n", "WATER\n0\n"},
      {"loads reversed, ends and intensities exchanged, deflection negated",
       "LOADS\n2\n5. 20. 100. 200. 10.\n25. 35.25 300. 400. -5.\n",
       "LOADS\n2\n34.75 45. 400. 300. 5.\n50. 65. 200. 100. -10.\n"},
      {"ties: top boundaries renumbered, head 0. kept, inclination from the other side",
       "TIES\n3\n1 0. 30. 1000. 2. 15. 10.\n2 40.5 0. 500. 1.5 20.25 0.\n3 10. 4. 100. 1. 30. 5.\n",
       "TIES\n3\n2 0. 30. 1000. 2. 165. 10.\n1 29.5 0. 500. 1.5 159.75 0.\n"
       "3 60. 4. 100. 1. 150. 5.\n"},
      {"earthquake as the engine reads it", "EQUAKE\n0.1o 0.05x 0.\n", "EQUAKE\n0.10 0.050 0.\n"},
      {"reinforcement points reversed", "REINF\n1\n2\n10. 5. 100. 50. 1. 20.5 6. 200. 60. 0.5\n",
       "REINF\n1\n2\n49.5 6. 200. 60. 0.5\n60. 5. 100. 50. 1.\n"},
      {"reinforcement count 0 reads nothing more", "REINF\n0\n", "REINF\n0\n"},
      {"anisotropy: limits negated, ranges reversed, top and bottom",
       "ANISO\n1\n1 1 3\n-30. 10. 20. 0. 20. 25. 90. 30. 30.\n2\n10. 5. 15. 95. 6. 16.\n",
       "ANISO\n1\n1 1 3\n0. 30. 30.\n30. 20. 25.\n90. 10. 20.\n2\n-10. 6. 16.\n95. 5. 15.\n"},
      {"anisotropy the engine refuses is left for it to report",
       "ANISO\n1\n1 0 2\n0. 10. 20. 80. 20. 25.\n", "ANISO\n1\n1 0 2\n0. 10. 20.\n80. 20. 25.\n"},
      {"limits: ends exchanged, order kept", "LIMITS\n2 1\n0. 3. 70. 3.\n20. 25. 30.5 28.\n",
       "LIMITS\n2 1\n0. 3. 70. 3.\n39.5 28. 50. 25.\n"},
      {"specified surface reversed", "SURFAC\n3\n10. 30. 35. 15. 60. 20.\n",
       "SURFAC\n3\n10. 20.\n35. 15.\n60. 30.\n"},
      {"Bishop surface reversed", "SURBIS\n2\n10. 30. 60. 20.\n", "SURBIS\n2\n10. 20.\n60. 30.\n"},
      {"circle search: initiation and termination exchange, angles kept",
       "CIRCLE\n3 10\n5. 15.\n40. 65.\n0. 2.5\n-10. -40.\n",
       "CIRCLE\n3 10\n5. 30.\n55. 65.\n0. 2.5\n-10. -40.\n"},
      {"random search likewise", "RANDOM\n1 10 5. 15. 40. 65. 0. 2.5 0. 0.\n",
       "RANDOM\n1 10\n5. 30.\n55. 65.\n0. 2.5\n0. 0.\n"},
      {"blocks: boxes reversed, ends exchanged",
       "BLOCK2\n100 2\n2.\n10. 5. 20. 6. 2.\n30. 7. 40.5 8. 3.\n",
       "BLOCK2\n100 2\n2.\n29.5 8. 40. 7. 3.\n50. 6. 60. 5. 2.\n"},
      {"soil with a depth variation as read",
       "SOIL\n1 2\n18. 20. 5. 30. 0. 0. 1 1\n10. 0. 0. 0. 2. 25. 0. 0.\n19. 21. 6. 31. 0.1 0. 0 "
       "0\n",
       "SOIL\n1 2\n18. 20. 5. 30. 0. 0. 1 1\n10. 0. 0. 0. 2. 25. 0. 0.\n"
       "19. 21. 6. 31. 0.1 0. 0 0\n"},
      {"soil changes as read", "SOIL\n0 0\n1\n2 18. 20. 5. 30. 0. 0. 1\n",
       "SOIL\n0 0\n1\n2 18. 20. 5. 30. 0. 0. 1\n"},
      {"Spencer as read", "SPENCR\n10.\n", "SPENCR\n10.\n"},
  };
  EXPECT_EQ(mirrored(kHeader + kProfile), kMirroredHeader + kMirroredProfile);
  for (const CommandCase& c : cases) {
    EXPECT_EQ(mirrored(kHeader + kProfile + c.command),
              kMirroredHeader + kMirroredProfile + c.expected)
        << c.name;
  }
}

TEST(MirrorInput, AxisAndFrame) {
  const std::string limits_beyond = "LIMITS\n1 0\n0. 2. 80.25 3.\n";
  std::string problem;
  auto by_default = mirror_input(kHeader + kProfile + limits_beyond, "", problem);
  ASSERT_TRUE(by_default) << problem;
  // The largest x of the file, not the ground's right end: nothing becomes negative.
  EXPECT_EQ(by_default->axis, "80.25");
  EXPECT_NE(by_default->text.find("LIMITS\n1 0\n0.00 3. 80.25 2.\n"), std::string::npos);

  // A shift in x stays in the picture; nulls and repeats of the header read as the engine
  // reads them, the solver controls kept as they stand.
  const std::string header =
      "HEADER\n50,,50,0,0,1\n0.0001 3*0.001\nFRAME\n0 5/\n1. 2. 3. 4. 7.5E0/\n";
  EXPECT_EQ(mirrored(header + kProfile),
            "HEADER\n50,,50,0,0,1\n0.0001 3*0.001\nFRAME\n1 5 0\n1. 77.5 3. 4. 7.5 0.\n" +
                kMirroredProfile);

  // What follows an EXECUT that ends the run is never read: copied as it stands.
  const std::string tail = "SOIL\n0 1\n18. 20. 5. 30. 0. 0. 0 0\nEXECUT\nnot read: 1,5 -3\n";
  EXPECT_EQ(mirrored(kHeader + kProfile + tail), kMirroredHeader + kMirroredProfile +
                                                     "SOIL\n0 1\n18. 20. 5. 30. 0. 0. 0 0\n"
                                                     "EXECUT\nnot read: 1,5 -3\n");
}

TEST(MirrorInput, InputsThatCannotBeMirroredAreRefusedWithTheirLine) {
  struct Refusal {
    std::string input, axis, expected;
  };
  const std::string mirrored_frame = "HEADER\n6*50\n4*0.001\nFRAME\n1 0 0\n0. 100. 0. 0. 0. 0.\n";
  const Refusal refusals[] = {
      {kHeader + kProfile, "50.", "line 11: x = 70. lies right of the mirror axis 50."},
      {mirrored_frame + kProfile, "", "line 6: the input is stored mirrored already"},
      {kHeader + "PROFIL\nS\n1 1 2\n-1. 30. 70. 10. 1\n", "", "line 10: x = -1. is negative"},
      {kHeader + kProfile + "TIES\n1\n1 70. 10. 1. 1. 0. 0.\n", "",
       "line 15: TIES: row 1: its head at x = 70. lies on the mirror axis"},
      {kHeader + kProfile + "LOADS\n1\n5 20. 1. 1. 0.\n", "", "line 15: LOADS: load 1 x-left '5'"},
      {kHeader + kProfile + "WATER\n11 9.81\n", "", "line 14: WATER: 11 piezometric surfaces"},
      {kHeader + kProfile + "SURFAC\n3\n10. 30. 35. 15.\n", "",
       "at the end of the file: the file ends where SURFAC surface point 3 x is due"},
      {kHeader + kProfile + "SOIL\n 0 1\n", "", "line 14: SOIL: the data line of heading switch"},
      {kHeader + kProfile + "CIRCL\n", "", "line 13: illegal command 'CIRCL'"},
      {kHeader + kProfile + "PROFIL\nS\n1 2 2\n0. 1. 2. 3. 1\n", "", "line 15: PROFIL: 2 top"},
      {kHeader + kProfile, "east", "the mirror axis 'east' is not a number"},
  };
  for (const Refusal& r : refusals) {
    std::string problem;
    EXPECT_FALSE(mirror_input(r.input, r.axis, problem)) << r.expected;
    EXPECT_EQ(problem.rfind(r.expected, 0), 0u) << problem;
  }
}

TEST(MirrorInput, OptionsNeedARunOfAnInputFile) {
  std::string error;
  auto implied = parse_options({"a.dat", "--mirror-axis", "80"}, error);
  ASSERT_TRUE(implied) << error;
  EXPECT_TRUE(implied->mirror);
  EXPECT_FALSE(parse_options({"a.dat", "--mirror", "--no-run"}, error));
  EXPECT_FALSE(parse_options({"--names", "run/names.dat", "--mirror"}, error));
}

json run_json(const std::string& arguments, const fs::path& folder) {
  HostRun run = run_scarpex(arguments + " --json -", folder);
  EXPECT_LE(run.status, 1) << run.err;
  return run.out.empty() ? json() : json::parse(run.out);
}

std::vector<std::string> tokens_after_header(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  const int kHeaderLines = 6;
  for (int i = 0; i < kHeaderLines; ++i) std::getline(lines, line);
  std::vector<std::string> tokens;
  for (std::string token; lines >> token;) tokens.push_back(token);
  return tokens;
}

// Each crest-left fixture is a golden toe-left run drawn the other way round, by hand.
TEST(MirroredRun, CrestLeftSectionGivesTheRunOfTheToeLeftSection) {
  const std::pair<const char*, const char*> sections[] = {
      {"anchored_crest_left.dat", "whole_all_six_commands"},
      {"layered_search_crest_left.dat", "search_circle_janbu_layered_water"},
  };
  for (const auto& [crest_left, toe_left] : sections) {
    SCOPED_TRACE(crest_left);
    TempFolder folder("mirror");
    fs::copy_file(kMirrorData / crest_left, folder / crest_left);
    HostRun run = run_scarpex(
        quoted((folder / crest_left).string()) + " --mirror --json -" + kLibrary, folder.path());
    EXPECT_NE(run.err.find("Mirrored about x = 70.: "), std::string::npos) << run.err;
    json mirrored_run = run.out.empty() ? json() : json::parse(run.out);
    copy_golden_outputs(toe_left, folder.path());
    json golden =
        run_json("--names " + quoted((folder / "names.dat").string()) + " --no-run", folder.path());
    ASSERT_FALSE(mirrored_run.is_null());
    EXPECT_EQ(mirrored_run["outcome"], "completed");
    EXPECT_EQ(mirrored_run["analyses"], golden["analyses"]);
    EXPECT_EQ(mirrored_run["summary"], golden["summary"]);

    // The run read the toe-left input, value for value; the user's file is as it was.
    fs::path written = folder / (fs::path(crest_left).stem().string() + ".mirrored.dat");
    EXPECT_EQ(tokens_after_header(read_file(written)),
              tokens_after_header(read_file(golden_input(toe_left))));
    EXPECT_EQ(read_file(folder / crest_left), read_file(kMirrorData / crest_left));

    // Shown through its frame, the ground is the one the user drew: crest left.
    const json& frame = mirrored_run["frame"];
    EXPECT_TRUE(frame["mirrored"].get<bool>());
    EXPECT_EQ(frame["mirror_axis_x"], 70.0);
    std::vector<std::pair<double, double>> shown;
    for (const json& p : mirrored_run["analyses"][0]["drawing"]["ground_surface"]) {
      shown.emplace_back(frame["mirror_axis_x"].get<double>() - p[0].get<double>(), p[1]);
    }
    std::vector<std::pair<double, double>> drawn = {{70, 20}, {50, 20}, {30, 30}, {0, 30}};
    EXPECT_EQ(shown, drawn);
  }
}

}  // namespace
}  // namespace scarpex_host::testing
