// The HTML page opened in headless Chromium: the rendered DOM holds the summary, the rows of
// the tables and the inline picture, and a screenshot of it is not blank. Skipped where no
// browser is installed (CTest label "browser"), unless SCARPEX_REQUIRE_BROWSER is set.
#include <gtest/gtest.h>

#include <cstdlib>

#include "host_test_support.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kHostData = fs::path(SCARPEX_TEST_DATA).parent_path() / "host_data";
const fs::path kBrowserData = fs::path(SCARPEX_TEST_DATA).parent_path() / "host_browser";

std::string browser() {
  for (const char* name : {"chromium", "chromium-browser"}) {
    std::string command = std::string("command -v ") + name + " > /dev/null 2>&1";
    if (std::system(command.c_str()) == 0) return name;
  }
  return {};
}

// Runs the browser on `page` with a fresh profile; what it prints goes to `output`.
bool run_browser(const std::string& name, const TempFolder& folder, const std::string& action,
                 const fs::path& page, const fs::path& output) {
  std::string command = "timeout 180 " + name +
                        " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                        " --disable-background-networking --disable-component-update --disable-sync"
                        " --user-data-dir=" +
                        quoted((folder / ("profile_" + output.stem().string())).string()) +
                        " --window-size=1200,1600 " + action + " " +
                        quoted("file://" + page.string()) + " > " + quoted(output.string()) +
                        " 2> " + quoted((folder / "browser.err").string());
  return std::system(command.c_str()) == 0;
}

int count_of(const std::string& text, const std::string& what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

TEST(Browser, PageRendersSummaryTablesAndPicture) {
  std::string name = browser();
  if (name.empty()) {
    // make test installs the browser: there a missing one is a fault, not a reason to skip.
    if (std::getenv("SCARPEX_REQUIRE_BROWSER") != nullptr) FAIL() << "no chromium installed";
    GTEST_SKIP() << "no chromium installed";
  }
  TempFolder folder("browser");
  fs::path page = folder / "report.html";
  HostRun host =
      run_scarpex("--names " + quoted((kHostData / "circle_search" / "names.dat").string()) +
                  " --no-run --html " + quoted(page.string()));
  ASSERT_EQ(host.status, 0) << host.err;

  ASSERT_TRUE(run_browser(name, folder, "--dump-dom", page, folder / "dom.html"))
      << read_file(folder / "browser.err");
  std::string dom = read_file(folder / "dom.html");
  EXPECT_NE(dom.find("id=\"summary\""), std::string::npos);
  EXPECT_NE(dom.find("CIRCULAR SEARCH FIXTURE"), std::string::npos);
  EXPECT_NE(dom.find("1.207"), std::string::npos);
  EXPECT_EQ(count_of(dom, "<tr class=\"surface\">"), 10);
  EXPECT_EQ(count_of(dom, "<tr class=\"slice\">"), 12);
  EXPECT_NE(dom.find("<svg"), std::string::npos);
  EXPECT_NE(dom.find("class=\"legend\""), std::string::npos);

  fs::path shot = folder / "shot.png";
  ASSERT_TRUE(
      run_browser(name, folder, "--screenshot=" + quoted(shot.string()), page, folder / "shot.log"))
      << read_file(folder / "browser.err");
  ASSERT_TRUE(fs::exists(shot));
  std::string command = "python3 -I " + quoted((kBrowserData / "png_variety.py").string()) + " " +
                        quoted(shot.string()) + " > " + quoted((folder / "variety.txt").string());
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_GT(std::stoi(read_file(folder / "variety.txt")), 50) << "the screenshot looks blank";
  EXPECT_NE(dom.find("id=\"convergence\""), std::string::npos);
}

// A result that must not be taken as it stands: the banner of its warnings comes before the
// factor of safety.
TEST(Browser, WarningsStandAboveTheFactorOfSafety) {
  std::string name = browser();
  if (name.empty()) {
    if (std::getenv("SCARPEX_REQUIRE_BROWSER") != nullptr) FAIL() << "no chromium installed";
    GTEST_SKIP() << "no chromium installed";
  }
  TempFolder folder("banner");
  copy_golden_outputs("search_all_trials_fail", folder.path());
  fs::path page = folder / "report.html";
  HostRun host = run_scarpex("--names " + quoted((folder / "names.dat").string()) +
                             " --no-run --html " + quoted(page.string()));
  ASSERT_EQ(host.status, 3) << host.err;
  ASSERT_TRUE(run_browser(name, folder, "--dump-dom", page, folder / "dom.html"))
      << read_file(folder / "browser.err");
  std::string dom = read_file(folder / "dom.html");
  const std::size_t banner = dom.find("id=\"warnings\"");
  ASSERT_NE(banner, std::string::npos);
  EXPECT_LT(banner, dom.find("id=\"summary\""));
  for (const char* code : {"search-ended-early", "trials-skipped", "no-admissible-surface"}) {
    EXPECT_NE(dom.find(std::string("data-code=\"") + code + "\""), std::string::npos) << code;
  }
  EXPECT_NE(dom.find("The result is incomplete"), std::string::npos);
}

}  // namespace
}  // namespace scarpex_host::testing
