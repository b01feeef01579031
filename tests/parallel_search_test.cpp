// Searches on several threads give the files of one thread, byte for byte, and leave the same
// state for what follows: every golden run and every search kind with every method, the early
// end of a search, trials whose analysis ends the run, Spencer trials that take their SFS theta
// from an earlier trial, several commands in one run and two calls on one engine, each with 1,
// 2, 3 and 8 threads.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run/thread_setting.h"
#include "test_engine.h"

namespace scarpex::testing {
namespace {

namespace fs = std::filesystem;

const int kThreadCounts[] = {2, 3, 8};

std::unique_ptr<Engine> engine_with_threads(int32_t threads) {
  auto engine = make_test_engine();
  engine->env.thread_count = [threads] { return threads; };
  return engine;
}

// What a run leaves for the next call besides its files.
struct LeftState {
  int64_t random_state = 0;
  int32_t random_draws = 0;
  int32_t stop_code = 0, solution_status = 0, ntrial = 0, list_entries = 0, plot_end = 0;
  float fos = 0.0f, theta = 0.0f, theta_plot = 0.0f, lowest = 0.0f;
  bool operator==(const LeftState&) const = default;
};

LeftState left_state(const Engine& e) {
  const ProblemModel& m = e.model;
  return {e.rng.state,     e.rng.draws,          m.stop_code,        m.solution_status,
          m.ntrial,        m.list_entry_count,   m.plot_end_written, m.list[0].fos,
          m.list[0].theta, m.spencer_theta_plot, m.list_lowest_fos};
}

void expect_same_outputs(const RunOutputs& one, const RunOutputs& many, const std::string& what) {
  EXPECT_EQ(one.result, many.result) << what;
  EXPECT_TRUE(one.report == many.report) << what << ": report differs";
  EXPECT_TRUE(one.plot == many.plot) << what << ": plot file differs";
  EXPECT_TRUE(one.trace == many.trace) << what << ": trace file differs";
  EXPECT_TRUE(one.status == many.status) << what << ": status file differs";
  EXPECT_TRUE(one.console == many.console) << what << ": standard output differs";
}

// Runs the inputs one after the other on one engine per thread count (two calls of the
// library in one process) and compares every call and the state left with one thread's.
void expect_as_one_thread(const std::vector<std::string>& inputs, const std::string& what) {
  auto single = engine_with_threads(1);
  std::vector<RunOutputs> expected;
  for (const std::string& input : inputs) expected.push_back(run_input(*single, input));
  for (int threads : kThreadCounts) {
    auto engine = engine_with_threads(threads);
    for (std::size_t call = 0; call < inputs.size(); ++call) {
      RunOutputs actual = run_input(*engine, inputs[call]);
      expect_same_outputs(expected[call], actual,
                          what + ", call " + std::to_string(call + 1) + ", " +
                              std::to_string(threads) + " threads");
    }
    EXPECT_TRUE(left_state(*single) == left_state(*engine)) << what << ", " << threads;
  }
}

TEST(ParallelSearch, EveryGoldenRunAsOneThread) {
  for (const auto& entry : fs::directory_iterator(SCARPEX_TEST_DATA)) {
    const fs::path input = entry.path() / "input.dat";
    if (!fs::exists(input)) continue;
    expect_as_one_thread({read_text_file(input.string())}, entry.path().filename().string());
  }
}

// A slope over two layers with a water table, as the searches of the benchmark.
std::string layered_slope(bool report_switch = true) {
  std::string header = standard_header();
  if (!report_switch) header.replace(header.find("50 50 50 0 0 1"), 14, "50 50 50 0 0 0");
  return header +
         "PROFIL\nLAYERED SLOPE WITH A WATER TABLE\n4 3 2\n"
         "0. 20. 20. 20. 1\n20. 20. 40. 30. 1\n40. 30. 70. 30. 1\n0. 15. 70. 22. 2\n"
         "SOIL\n0 2\n18.5 20. 5. 30. 0. 0. 1 0\n19.5 20.5 10. 25. 0. 0. 1 0\n"
         "WATER\n1 9.81\n4\n0. 17. 30. 19. 50. 24. 70. 25.\n";
}

const char* const kCircle = "CIRCLE\n4 25\n5. 20.\n41. 68.\n0. 0.8\n0. 0.\n";
const char* const kCircl2 = "CIRCL2\n4 25\n5. 20.\n41. 68.\n0. 0.8\n0. 0.\n";
const char* const kRandom = "RANDOM\n4 25\n5. 20.\n41. 68.\n0. 1.5\n0. 0.\n";
const char* const kBlock = "BLOCK\n100 2\n1.5\n18. 15.5 24. 15.5 2.\n30. 16. 36. 17. 2.\n";
const char* const kBlock2 = "BLOCK2\n100 2\n1.5\n18. 15.5 24. 15.5 2.\n30. 16. 36. 17. 2.\n";

TEST(ParallelSearch, EverySearchKindWithEveryMethod) {
  for (const char* search : {kCircle, kCircl2, kRandom, kBlock, kBlock2}) {
    for (const char* method : {"", "SPENCR\n20.\n"}) {
      for (bool report_switch : {true, false}) {
        expect_as_one_thread({layered_slope(report_switch) + method + search + "EXECUT\n"},
                             std::string(search, 6) + (*method != 0 ? " by Spencer" : "") +
                                 (report_switch ? "" : ", report switch off"));
      }
    }
  }
}

// Spencer trials on a saturated, shaken slope: many do not converge or are negative, and the
// SFS record of a negative one carries the theta of the latest trial that converged.
TEST(ParallelSearch, SpencerTrialsWithoutConvergenceOrWithNegativeFactors) {
  const std::string slope = standard_header() +
                            "PROFIL\nSTEEP SLOPE\n3 3 1\n0. 20. 20. 20. 1\n20. 20. 30. 35. 1\n"
                            "30. 35. 70. 35. 1\nSOIL\n0 1\n18.5 20. 1. 5. 0.9 0. 0 0\n"
                            "EQUAKE\n0.5 0. 0.\nSPENCR\n20.\n";
  const std::string input =
      slope +
      "CIRCLE\n5 20\n5. 20.\n31. 68.\n0. 1.\n0. 0.\nRANDOM\n3 20\n5. 20.\n31. 68.\n0. "
      "1.5\n0. 0.\nEXECUT\n";
  RunOutputs one = run_input(*engine_with_threads(1), input);
  ASSERT_GT(count_of(one.status, "NEGATIVE FACTOR OF SAFETY"), 10);
  ASSERT_GT(count_of(one.status, "NON CONVERGENCE SPENCER"), 10);
  expect_as_one_thread({input}, "negative Spencer trials");
}

// The third initiation point lies in a ditch below the lowest elevation, so RC09 ends the run
// after the trials of the first two, which end on the level ground before the ditch.
TEST(ParallelSearch, TheEarlyEndOfASearch) {
  const std::string input = standard_header() +
                            "PROFIL\nGROUND WITH A DITCH\n5 5 1\n0. 20. 10. 20. 1\n"
                            "10. 20. 11. 10. 1\n11. 10. 14. 10. 1\n14. 10. 15. 20. 1\n"
                            "15. 20. 40. 20. 1\nSOIL\n0 1\n18.5 20. 10. 30. 0. 0. 0 0\n"
                            "CIRCLE\n3 20\n2. 12.5\n6. 40.\n12. 0.5\n0. 0.\nEXECUT\n";
  RunOutputs one = run_input(*engine_with_threads(1), input);
  ASSERT_EQ(error_lines(one.report), std::vector<std::string>{"RC09  ****"});
  ASSERT_EQ(count_of(one.plot, "SFS\n"), 40);
  expect_as_one_thread({input, layered_slope() + kCircle + "EXECUT\n"}, "RC09");
}

// Reinforcement under the Modified Janbu method: the first trial analysed reports RF09 and
// ends the run, with other trials generated behind it; the next call goes on with the random
// numbers one thread leaves.
TEST(ParallelSearch, ATrialWhoseAnalysisEndsTheRun) {
  const std::string reinforced =
      layered_slope() + "REINF\n1\n2\n10. 18. 50. 10. 1.\n40. 18. 50. 10. 1.\n";
  for (const char* search : {kRandom, kCircle, kBlock}) {
    const std::string input = reinforced + search + "EXECUT\n";
    RunOutputs one = run_input(*engine_with_threads(1), input);
    ASSERT_EQ(count_of(one.report, "ERROR - RF09"), 1) << search;
    expect_as_one_thread({input, layered_slope() + kRandom + "EXECUT\n"}, "RF09");
  }
}

TEST(ParallelSearch, SeveralSearchesAndSurfacesInOneRun) {
  const std::string input = layered_slope() + "SPENCR\n20.\n" + kCircl2 + kRandom +
                            "SURFAC\n4\n15. 20.\n25. 17.\n35. 21.\n42. 30.\n" + "EXECUT\n" +
                            kBlock2 + "EXECUT\n";
  expect_as_one_thread({input, input}, "searches and a surface");
}

TEST(ParallelSearch, AllTrialsFailingAndSkippedTrials) {
  const fs::path data(SCARPEX_TEST_DATA);
  expect_as_one_thread({read_text_file((data / "search_all_trials_fail" / "input.dat").string()),
                        read_text_file((data / "search_limits_deflecting" / "input.dat").string()),
                        layered_slope() + kCircle + "EXECUT\n"},
                       "failing searches");
}

TEST(ThreadSetting, WholeNumbersFromOneUpHeldToTheMaximum) {
  EXPECT_EQ(parse_thread_setting("1"), 1);
  EXPECT_EQ(parse_thread_setting(" 8 "), 8);
  EXPECT_EQ(parse_thread_setting("100000"), kMaxSearchThreads);
  for (const char* refused : {"", "0", "-2", "2.5", "two", "3x", " "}) {
    EXPECT_FALSE(parse_thread_setting(refused).has_value()) << refused;
  }
}

}  // namespace
}  // namespace scarpex::testing
