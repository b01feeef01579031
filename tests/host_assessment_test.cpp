// What the host says a result is worth: each warning and each outcome from an input that
// provokes it, seen in the host's text, its exit status and the JSON document.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "host_test_support.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

std::string example(const std::string& name) {
  return read_file(kExamples / name);
}

// `text` with the first `from` replaced by `to` (which must be there).
std::string with(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// A 10 m, 2H:1V slope (c' = 3, phi' = 19.6 degrees) searched by CIRCL2: many surfaces from
// each point narrow the angle bounds of some points until trials are skipped there.
std::string two_to_one_slope() {
  return "HEADER\n50 50 50 0 0 1\n0.0001 0.001 0.001 0.001\nFRAME\n0 0 0\n0. 0. 0. 0. 0. 0.\n"
         "PROFIL\nHOMOGENEOUS 10 M SLOPE, 2H:1V\n3 3 1\n"
         "0. 10. 20. 10. 1\n20. 10. 40. 20. 1\n40. 20. 70. 20. 1\n"
         "SOIL\n0 1\n20. 20. 3. 19.6 0. 0. 0 0\n"
         "CIRCL2\n20 300\n10. 20.\n40. 69.\n9.5 1.\n0. 0.\nEXECUT\n";
}

struct Case {
  const char* name;
  std::string input;
  std::set<std::string> warnings;
  int exit_status;
  const char* verdict;
};

std::vector<Case> cases() {
  const std::string circles = example("circle_search.dat");
  const std::string blocks = with(example("block2_search.dat"), "BLOCK2\n", "BLOCK\n");
  return {
      {"the bundled example", circles, {}, 0, "completed"},
      {"critical circle at the end of its initiation range",
       with(with(circles, "2. 29.\n", "5. 20.\n"), "38. 68.\n", "41. 68.\n"),
       {"critical-surface-at-range-end"},
       0,
       "completed with warnings"},
      {"crest on the left",  // the bundled example's section drawn the other way round
       with(with(circles,
                 "0. 20. 20. 20. 1\n20. 20. 40. 30. 1\n40. 30. 70. 30. 1\n0. 15. 70. 22. 2\n",
                 "0. 30. 30. 30. 1\n30. 30. 50. 20. 1\n50. 20. 70. 20. 1\n0. 22. 70. 15. 2\n"),
            "0. 17. 30. 19. 50. 24. 70. 25.\n", "0. 25. 20. 24. 40. 19. 70. 17.\n"),
       {"crest-on-the-left", "no-admissible-surface"},
       3,
       "incomplete"},
      {"metric water unit weight of 0",
       with(circles, "1 9.81\n", "1 0.\n"),
       {"water-unit-weight-62.4"},
       0,
       "completed with warnings"},
      // The initiation range ends at the toe, where the critical circle starts.
      {"trials skipped at some initiation points",
       two_to_one_slope(),
       {"trials-skipped", "critical-surface-at-range-end"},
       0,
       "completed with warnings"},
      {"a block search whose generation stops for good",
       with(blocks, "35. 17.75 45. 17.75 0.5\n", "35. 2. 45. 2. 0.5\n"),
       {"search-ended-early", "trials-skipped"},
       3,
       "incomplete"},
      {"a block search with its last box deep below the ground",
       with(with(blocks, "35. 17.75 45. 17.75 0.5\n", "35. 0.5 45. 0.5 0.5\n"), "500 2\n",
            "50 2\n"),
       {"search-ended-early", "trials-skipped", "no-admissible-surface"},
       3,
       "incomplete"},
      {"Spencer's method without convergence",
       read_file(golden_input("spencer_outer_nonconvergence")),
       {"not-converged"},
       3,
       "incomplete"},
  };
}

TEST(HostAssessment, EveryWarningAndOutcomeFromAnInputThatProvokesIt) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    TempFolder folder("assess");
    write_file(folder / "input.dat", c.input);
    HostRun run = run_scarpex(quoted((folder / "input.dat").string()) + " --json " +
                              quoted((folder / "r.json").string()) + kLibrary);
    EXPECT_EQ(run.status, c.exit_status) << run.out << run.err;
    json doc = json::parse(read_file(folder / "r.json"));
    std::set<std::string> codes;
    for (const json& w : doc["warnings"]) {
      codes.insert(w["code"].get<std::string>());
      // Each warning on a line of its own, before the verdict.
      const std::string line = "Warning: " + w["message"].get<std::string>() + "\n";
      EXPECT_LT(run.out.find(line), run.out.find("Run ")) << line;
    }
    EXPECT_EQ(codes, c.warnings);
    EXPECT_EQ(doc["verdict"], c.verdict);
    EXPECT_NE(run.out.find(std::string("Run ") + c.verdict), std::string::npos) << run.out;
    // Every trial of a search that ran to its end is analysed, failed or skipped.
    for (const json& a : doc["analyses"]) {
      if (a["kind"] != "search") continue;
      const json& s = a["search"];
      ASSERT_TRUE(s.is_object());
      if (s["ended_early"] == false) {
        EXPECT_EQ(
            s["analysed"].get<int>() + s["generation_failed"].get<int>() + s["skipped"].get<int>(),
            s["requested"].get<int>());
      }
      EXPECT_EQ(s["ended_at_trial"].is_null(), s["ended_early"] == false);
      EXPECT_EQ(s["best_found_at_trial"].is_null(), a["critical"].empty());
    }
  }
}

// --strict makes any warning an incomplete result; batch says what each file's result is
// worth and fails unless every one is complete.
TEST(HostAssessment, StrictRunsAndBatchOutcomes) {
  TempFolder folder("strict");
  const std::string circles = example("circle_search.dat");
  write_file(folder / "clean.dat", circles);
  write_file(folder / "edge.dat",
             with(with(circles, "2. 29.\n", "5. 20.\n"), "38. 68.\n", "41. 68.\n"));
  write_file(folder / "deep.dat",
             with(with(with(example("block2_search.dat"), "BLOCK2\n", "BLOCK\n"),
                       "35. 17.75 45. 17.75 0.5\n", "35. 0.5 45. 0.5 0.5\n"),
                  "500 2\n", "50 2\n"));
  EXPECT_EQ(run_scarpex(quoted((folder / "edge.dat").string()) + " --strict" + kLibrary).status, 3);
  EXPECT_EQ(run_scarpex(quoted((folder / "clean.dat").string()) + " --strict" + kLibrary).status,
            0);

  const std::string inputs =
      " " + quoted((folder / "clean.dat").string()) + " " + quoted((folder / "edge.dat").string());
  HostRun batch = run_scarpex("batch" + inputs + " --out " + quoted((folder / "b").string()) +
                              " --jsonl " + quoted((folder / "b.jsonl").string()) + kLibrary);
  EXPECT_EQ(batch.status, 0) << batch.out;
  EXPECT_NE(batch.out.find("completed with warnings"), std::string::npos);
  HostRun failing = run_scarpex("batch" + inputs + " " + quoted((folder / "deep.dat").string()) +
                                " --out " + quoted((folder / "c").string()) + kLibrary);
  EXPECT_EQ(failing.status, 1);
  EXPECT_NE(failing.out.find("incomplete: the search found no admissible surface"),
            std::string::npos)
      << failing.out;
}

}  // namespace
}  // namespace scarpex_host::testing
