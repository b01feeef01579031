#include "host_test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace scarpex_host::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder(const std::string& label) {
  static int counter = 0;
  path_ = fs::temp_directory_path() /
          ("scarpex_" + label + "_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code error;
  fs::remove_all(path_, error);
}

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

void write_file(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

HostRun run_scarpex(const std::string& arguments, const fs::path& folder) {
  static int counter = 0;
  fs::path base = fs::temp_directory_path() /
                  ("scarpex_run_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
  std::string command = (folder.empty() ? "" : "cd " + quoted(folder.string()) + " && ") +
                        quoted(SCARPEX_HOST_PATH) + " " + arguments + " > " +
                        quoted(base.string() + ".out") + " 2> " + quoted(base.string() + ".err") +
                        " < /dev/null";
  int status = std::system(command.c_str());
  HostRun run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = read_file(base.string() + ".out");
  run.err = read_file(base.string() + ".err");
  fs::remove(base.string() + ".out");
  fs::remove(base.string() + ".err");
  return run;
}

std::string names_for_outputs(const std::string& input) {
  return "2025\nid 2\nid 3\nWORD\nid 5\ntester\n" + input + "\n" + input +
         "\nreport.out\nplot.plt\ntrace.trc\n\nstatus.sts\n";
}

void copy_golden_outputs(const std::string& name, const fs::path& folder) {
  fs::path source = fs::path(SCARPEX_TEST_DATA) / name;
  for (const char* file : {"report.out", "plot.plt", "trace.trc", "status.sts"}) {
    fs::copy_file(source / file, folder / file, fs::copy_options::overwrite_existing);
  }
  write_file(folder / "names.dat", names_for_outputs((source / "input.dat").string()));
}

std::vector<std::string> golden_case_names() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(SCARPEX_TEST_DATA)) {
    if (fs::exists(entry.path() / "input.dat")) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

fs::path golden_input(const std::string& name) {
  return fs::path(SCARPEX_TEST_DATA) / name / "input.dat";
}

}  // namespace scarpex_host::testing
