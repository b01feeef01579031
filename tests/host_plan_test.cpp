// The plan of a run: where names.dat goes and what it says, whether the engine is called, and
// products that could not be written refused before anything runs.
#include <gtest/gtest.h>

#include "cli/host_options.h"
#include "cli/run_plan.h"
#include "host_test_support.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;

RunPlan plan_of(const std::vector<std::string>& args) {
  std::string error;
  auto options = parse_options(args, error);
  EXPECT_TRUE(options) << error;
  std::optional<RunPlan> plan = plan_run(*options, error);
  EXPECT_TRUE(plan) << error;
  return plan.value_or(RunPlan{});
}

TEST(RunPlan, AnInputRunWritesNamesInTheFolderItWillMake) {
  TempFolder folder("plan_input");
  fs::copy_file(kExamples / "layered_slope.dat", folder / "slope.dat");
  const fs::path out = folder / "runs" / "one";
  RunPlan plan = plan_of({(folder / "slope.dat").string(), "--out", out.string(), "--svg",
                          (out / "x.svg").string(), "--json", "-", "--library", "lib.so"});
  EXPECT_EQ(plan.names_path, out / "names.dat");
  ASSERT_TRUE(plan.engine && plan.engine->names_text);
  EXPECT_NE(plan.engine->names_text->find("\n" + (folder / "slope.dat").string() + "\n"),
            std::string::npos);
  EXPECT_EQ(plan.engine->library_path, (fs::current_path() / "lib.so").string());
  EXPECT_TRUE(plan.engine->engine_output_to_stderr);
  EXPECT_TRUE(plan.products.json_to_stdout());
  // Planning makes nothing: the run folder comes with names.dat.
  EXPECT_FALSE(fs::exists(folder / "runs"));
}

TEST(RunPlan, ExistingNamesRunOrAreReadBack) {
  TempFolder folder("plan_existing");
  RunPlan named = plan_of({"--names", (folder / "names.dat").string()});
  EXPECT_EQ(named.names_path, folder / "names.dat");
  ASSERT_TRUE(named.engine);
  EXPECT_FALSE(named.engine->names_text);
  RunPlan read_back = plan_of({(folder / "slope.dat").string(), "--no-run"});
  EXPECT_EQ(read_back.names_path, folder / "names.dat");
  EXPECT_FALSE(read_back.engine);

  std::string error;
  auto options = parse_options({"--names", (folder / "other.dat").string()}, error);
  ASSERT_TRUE(options);
  EXPECT_FALSE(plan_run(*options, error));
  EXPECT_EQ(error, "--names must name a file called names.dat");
}

// A product that cannot be written ends the run before the engine is called: no names.dat, no
// output files, exit status 2.
TEST(RunPlan, AProductThatCannotBeWrittenStopsTheRunBeforeItStarts) {
  TempFolder folder("plan_products");
  fs::copy_file(kExamples / "layered_slope.dat", folder / "slope.dat");
  const std::string input = quoted((folder / "slope.dat").string());
  const fs::path missing = folder / "missing" / "x.svg";
  HostRun no_folder = run_scarpex(input + " --svg " + quoted(missing.string()) + kLibrary);
  EXPECT_EQ(no_folder.status, 2);
  EXPECT_NE(no_folder.err.find("cannot write " + missing.string() + ": there is no folder"),
            std::string::npos)
      << no_folder.err;
  fs::create_directory(folder / "page.html");
  HostRun a_folder =
      run_scarpex(input + " --html " + quoted((folder / "page.html").string()) + kLibrary);
  EXPECT_EQ(a_folder.status, 2);
  EXPECT_NE(a_folder.err.find("page.html: it is a folder"), std::string::npos) << a_folder.err;
  EXPECT_FALSE(fs::exists(folder / "names.dat"));
  EXPECT_FALSE(fs::exists(folder / "slope.out"));

  // A product in the run folder that the run makes is fine.
  const fs::path out = folder / "made" / "here";
  HostRun made = run_scarpex(input + " --out " + quoted(out.string()) + " --json " +
                             quoted((out / "r.json").string()) + kLibrary);
  EXPECT_EQ(made.status, 0) << made.err;
  EXPECT_TRUE(fs::exists(out / "r.json"));
}

}  // namespace
}  // namespace scarpex_host::testing
