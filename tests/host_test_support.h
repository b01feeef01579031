// Helpers of the host tests: temporary folders, running the scarpex program, names.dat files
// for output files that already exist.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace scarpex_host::testing {

// The option that names the engine library of this build, and the bundled examples.
inline const std::string kLibrary = std::string(" --library ") + SCARPEX_LIBRARY_PATH;
inline const std::filesystem::path kExamples =
    std::filesystem::path(SCARPEX_TEST_DATA).parent_path().parent_path() / "examples";

// A fresh folder, removed with everything in it at the end of the test.
class TempFolder {
 public:
  explicit TempFolder(const std::string& label);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct HostRun {
  int status = -1;  // exit status, -1 when the host did not exit normally
  std::string out, err;
};

// Runs the scarpex program with `arguments` (a shell-quoted string) in `folder`.
HostRun run_scarpex(const std::string& arguments, const std::filesystem::path& folder = {});

std::string quoted(const std::string& text);
std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& text);

// names.dat naming report.out, plot.plt, trace.trc and status.sts beside it.
std::string names_for_outputs(const std::string& input = "input.dat");

// Copies the four output files of a golden run (tests/data/NAME) into `folder` with a
// names.dat naming them.
void copy_golden_outputs(const std::string& name, const std::filesystem::path& folder);

std::vector<std::string> golden_case_names();

// The golden input file of tests/data/NAME.
std::filesystem::path golden_input(const std::string& name);

}  // namespace scarpex_host::testing
