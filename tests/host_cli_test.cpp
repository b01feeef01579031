// The scarpex program as a user meets it: help and version, bad input of every kind ending in
// a clear message and exit status 2, the files read back being the ones the engine wrote,
// and standard output that carries nothing but the JSON document when asked to.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/host_options.h"
#include "host_test_support.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

TEST(HostCli, HelpVersionAndOptionForms) {
  HostRun help = run_scarpex("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--svg"), std::string::npos);
  EXPECT_NE(help.out.find("batch"), std::string::npos);
  HostRun batch_help = run_scarpex("batch --help");
  EXPECT_EQ(batch_help.status, 0);
  EXPECT_NE(batch_help.out.find("--jobs"), std::string::npos);
  HostRun version = run_scarpex("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("scarpex ", 0), 0u);

  std::string error;
  auto options = parse_options({"a.dat", "--svg=x.svg", "--json", "-", "--html", "p.html"}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->svg_file, "x.svg");
  EXPECT_EQ(options->json_file, "-");
  auto batch = parse_options({"batch", "a.dat", "b.dat", "-j", "3", "--jsonl", "r.jsonl"}, error);
  ASSERT_TRUE(batch) << error;
  EXPECT_EQ(batch->mode, HostMode::kBatch);
  EXPECT_EQ(batch->batch_inputs.size(), 2u);
  EXPECT_EQ(batch->jobs, 3);
  EXPECT_FALSE(parse_options({"batch"}, error));
  EXPECT_FALSE(parse_options({"batch", "a.dat", "--jobs", "-1"}, error));
  EXPECT_FALSE(parse_options({"a.dat", "--no-run", "--out", "x"}, error));
  // A line break in a banner text must not shift the file names of names.dat.
  auto banner = parse_options({"a.dat", "--id1", "two\nlines"}, error);
  ASSERT_TRUE(banner);
  std::string names =
      names_file_text(banner->banner, "/data/a.dat", output_names_for("/data/a.dat"));
  EXPECT_NE(names.find("\ntwo lines\n"), std::string::npos);
  EXPECT_NE(names.find("\n/data/a.dat\n/data/a.dat\na.out\na.plt\na.trc\n\na.sts\n"),
            std::string::npos);
  HostRun usage = run_scarpex("--fast");
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.err.find("scarpex --help"), std::string::npos);
}

TEST(HostCli, BadInputGivesAClearMessageAndStatus2) {
  TempFolder folder("bad");
  HostRun missing = run_scarpex(quoted((folder / "none.dat").string()) + kLibrary);
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("no input file " + (folder / "none.dat").string()), std::string::npos);

  // A plot file cut in the middle of a record, and one cut between two records.
  copy_golden_outputs("spencer_converged_metric", folder.path());
  std::string plot = read_file(folder / "plot.plt");
  std::string names = quoted((folder / "names.dat").string());
  for (std::size_t end : {plot.find('\n', plot.find("INS") + 4) + 1, plot.find("INS")}) {
    write_file(folder / "plot.plt", plot.substr(0, end));
    HostRun cut = run_scarpex("--names " + names + " --no-run --json -");
    EXPECT_EQ(cut.status, 2);
    EXPECT_NE(cut.err.find((folder / "plot.plt").string() + ":"), std::string::npos) << cut.err;
    EXPECT_NE(
        cut.err.find(end == plot.find("INS") ? "without its END record" : "the file ends early"),
        std::string::npos)
        << cut.err;
    EXPECT_EQ(cut.out, "");
  }

  // A report that is not a readable file, and one that is not there.
  fs::remove(folder / "report.out");
  fs::create_directory(folder / "report.out");
  HostRun directory = run_scarpex("--names " + names + " --no-run");
  EXPECT_EQ(directory.status, 2);
  EXPECT_NE(directory.err.find("is not a regular file"), std::string::npos) << directory.err;
  fs::remove(folder / "report.out");
  HostRun absent = run_scarpex("--names " + names + " --no-run");
  EXPECT_EQ(absent.status, 2);
  EXPECT_NE(absent.err.find("no report"), std::string::npos) << absent.err;

  // A folder for the outputs that cannot be made: a file is in the way.
  write_file(folder / "in_the_way", "x");
  fs::copy_file(kExamples / "layered_slope.dat", folder / "slope.dat");
  HostRun blocked = run_scarpex(quoted((folder / "slope.dat").string()) + " --out " +
                                quoted((folder / "in_the_way" / "sub").string()) + kLibrary);
  EXPECT_EQ(blocked.status, 2);
  EXPECT_NE(blocked.err.find("cannot write"), std::string::npos) << blocked.err;
  HostRun unwritable = run_scarpex(quoted((folder / "slope.dat").string()) + " --svg " +
                                   quoted((folder / "in_the_way" / "x.svg").string()) + kLibrary);
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_NE(unwritable.err.find("cannot write " + (folder / "in_the_way" / "x.svg").string()),
            std::string::npos);
}

// Outputs named after devices are written by the engine but never read back by the host.
TEST(HostCli, DevicesAreNotReadBack) {
  TempFolder folder("device");
  fs::copy_file(kExamples / "layered_slope.dat", folder / "slope.dat");
  write_file(
      folder / "names.dat",
      "2025\na\nb\nW\nc\nd\nslope.dat\nslope.dat\nslope.out\n/dev/zero\n/dev/null\n\nslope.sts\n");
  HostRun run = run_scarpex("--names " + quoted((folder / "names.dat").string()) + kLibrary);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Warning: skipped the plot file: /dev/zero is not a regular file"),
            std::string::npos);
  EXPECT_NE(run.out.find("Warning: skipped the trace file: /dev/null is not a regular file"),
            std::string::npos);
  EXPECT_NE(run.out.find("Run completed"), std::string::npos);
}

// A report on a full device: the engine finishes the run as far as it goes and says so; the
// host does not call that a success.
TEST(HostCli, AnOutputThatCannotBeWrittenIsNoSuccess) {
  TempFolder folder("full");
  fs::copy_file(kExamples / "layered_slope.dat", folder / "slope.dat");
  write_file(
      folder / "names.dat",
      "2025\na\nb\nW\nc\nd\nslope.dat\nslope.dat\n/dev/full\nslope.plt\nslope.trc\n\nslope.sts\n");
  HostRun run = run_scarpex("--names " + quoted((folder / "names.dat").string()) + kLibrary);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("could not be written completely"), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Run completed"), std::string::npos);
}

// A name with leading blanks is a different file to the engine: the host reads that one, not
// the file without the blanks.
TEST(HostCli, ReadsTheFilesTheEngineWrote) {
  TempFolder folder("lead");
  fs::copy_file(kExamples / "layered_slope.dat", folder / "slope.dat");
  write_file(folder / "slope.out", "          ******  EXECUTION OF SCARPEX ABORTED  ******\n");
  write_file(folder / "names.dat",
             "2025\na\nb\nW\nc\nd\nslope.dat\nslope.dat\n  "
             "slope.out\nslope.plt\nslope.trc\n\nslope.sts\n");
  HostRun run = run_scarpex("--names " + quoted((folder / "names.dat").string()) + kLibrary);
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_TRUE(fs::exists(folder / "  slope.out"));
  EXPECT_NE(run.out.find("Report file: " + (folder / "  slope.out").string()), std::string::npos);
  EXPECT_NE(run.out.find("Factor of safety: 1.923"), std::string::npos) << run.out;
}

TEST(HostCli, JsonOnStandardOutputIsTheDocumentAlone) {
  TempFolder folder("stdout");
  fs::copy_file(kExamples / "layered_slope_spencer.dat", folder / "spencer.dat");
  HostRun run = run_scarpex(quoted((folder / "spencer.dat").string()) + " --json -" + kLibrary);
  ASSERT_EQ(run.status, 0) << run.err;
  json doc = json::parse(run.out);  // the engine's own console lines went to standard error
  EXPECT_EQ(doc["summary"]["method"], "Spencer");
  EXPECT_EQ(doc["summary"]["outcome"], "completed");
  EXPECT_NE(run.err.find("Spencer`s Method of Slices"), std::string::npos);
  EXPECT_NE(run.err.find("Run completed"), std::string::npos);
}

TEST(HostCli, PictureAndPageWritten) {
  TempFolder folder("products");
  fs::copy_file(kExamples / "layered_slope.dat", folder / "slope.dat");
  HostRun run = run_scarpex(quoted((folder / "slope.dat").string()) + " --svg " +
                            quoted((folder / "slope.svg").string()) + " --html " +
                            quoted((folder / "slope.html").string()) + kLibrary);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Wrote " + (folder / "slope.svg").string()), std::string::npos);
  std::string html = read_file(folder / "slope.html");
  EXPECT_NE(html.find("<svg"), std::string::npos);
  // Self-contained: nothing is fetched from elsewhere.
  for (const char* outside : {"http://", "https://", "src=", "<link", "@import"}) {
    std::string without_namespace = html;
    std::size_t ns = without_namespace.find("http://www.w3.org/2000/svg");
    if (ns != std::string::npos) without_namespace.erase(ns, 26);
    EXPECT_EQ(without_namespace.find(outside), std::string::npos) << outside;
  }
}

}  // namespace
}  // namespace scarpex_host::testing

namespace scarpex_host::testing {
namespace {

// --threads sets the threads of the engine's searches; the files do not depend on it.
TEST(HostCli, ThreadsOfTheSearches) {
  TempFolder folder("threads");
  std::vector<std::string> plots;
  for (const char* threads : {"1", "3"}) {
    fs::remove_all(folder / "run");
    fs::create_directories(folder / "run");
    fs::copy_file(golden_input("search_circl2_bishop_layered_water"), folder / "run" / "in.dat");
    HostRun run = run_scarpex(std::string("in.dat --threads ") + threads, folder / "run");
    EXPECT_EQ(run.status, 0) << run.err;
    plots.push_back(read_file(folder / "run" / "in.plt"));
  }
  EXPECT_FALSE(plots[0].empty());
  EXPECT_TRUE(plots[0] == plots[1]);
  HostRun refused = run_scarpex("in.dat --threads -2", folder / "run");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("--threads must be 1 or more"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace scarpex_host::testing
