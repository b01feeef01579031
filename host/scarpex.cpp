// scarpex: a command-line host for the slope stability engine. It prepares a run the way any
// host program does (names.dat and the input file), loads the engine library at run time,
// calls DAROZI and reports the outcome read back from the output files.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "host_options.h"

namespace fs = std::filesystem;
using scarpex_host::HostOptions;

namespace {

constexpr int kExitCompleted = 0;
constexpr int kExitAborted = 1;
constexpr int kExitNoRun = 2;

using DaroziFunction = int32_t (*)(int32_t, int32_t);

std::string default_library_path() {
  if (const char* from_env = std::getenv("SCARPEX_LIBRARY"); from_env && *from_env) {
    return from_env;
  }
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  fs::path folder = error ? fs::current_path() : self.parent_path();
  return (folder / "libScarpex2025_DLL.so").string();
}

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

// The 13 lines of names.dat, as the engine will read them.
std::vector<std::string> names_lines(const fs::path& names_path) {
  std::istringstream text(read_file(names_path));
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string trim(const std::string& text) {
  std::size_t begin = text.find_first_not_of(' ');
  std::size_t end = text.find_last_not_of(' ');
  return begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
}

// The factor of safety of the last detailed surface in the report: the summary line
// "*** 1.234   ***" or, with Spencer's method, "***  FOS = 1.234   Spencer`s Theta = ...".
std::string last_factor_of_safety(const std::string& report) {
  std::istringstream lines(report);
  std::string line, found;
  while (std::getline(lines, line)) {
    std::string text = trim(line);
    if (text.rfind("***  FOS = ", 0) == 0) {
      std::istringstream fields(text.substr(11));
      fields >> found;
    } else if (text.size() > 8 && text.rfind("*** ", 0) == 0 &&
               text.compare(text.size() - 3, 3, "***") == 0) {
      std::string middle = trim(text.substr(3, text.size() - 6));
      if (!middle.empty() && middle.find_first_not_of("0123456789.-*") == std::string::npos) {
        found = middle;
      }
    }
  }
  return found;
}

// The summary of the last search in the report: its lowest factor of safety is the first one
// after the heading of its list, with the circle line just before it.
struct SearchSummary {
  std::string fos, circle;
};

SearchSummary last_search_summary(const std::string& report) {
  SearchSummary summary;
  std::size_t list = report.rfind("Following Are Displayed The");
  if (list == std::string::npos) return summary;
  std::string tail = report.substr(list);
  std::size_t detail = tail.find("Individual data on the");
  summary.fos = last_factor_of_safety(tail.substr(0, detail));
  std::size_t circle = tail.find("Circle Center At");
  if (circle != std::string::npos && circle < detail) {
    summary.circle = trim(tail.substr(circle, tail.find('\n', circle) - circle));
  }
  return summary;
}

int report_outcome(const fs::path& run_folder, const std::vector<std::string>& names) {
  auto output = [&](std::size_t line) {
    fs::path name = trim(names[line - 1]);
    return name.is_absolute() ? name : run_folder / name;
  };
  fs::path report = output(9), plot = output(10), trace = output(11), status = output(13);
  std::cout << "Report file: " << report.string() << "\n"
            << "Plot file:   " << plot.string() << "\n"
            << "Trace file:  " << trace.string() << "\n"
            << "Status file: " << status.string() << "\n";
  std::string report_text = read_file(report);
  std::string status_text = read_file(status);
  bool aborted = report_text.find("EXECUTION OF SCARPEX ABORTED") != std::string::npos;
  int trials = 0;
  for (std::size_t at = status_text.find(" ntrial = "); at != std::string::npos;
       at = status_text.find(" ntrial = ", at + 1)) {
    ++trials;
  }
  SearchSummary search = last_search_summary(report_text);
  std::string fos = search.fos.empty() ? last_factor_of_safety(report_text) : search.fos;
  if (!search.fos.empty()) std::cout << "Lowest factor of safety: " << search.fos << "\n";
  if (!search.circle.empty()) std::cout << search.circle << "\n";
  if (trials > 0) std::cout << "Trial surfaces: " << trials << "\n";
  if (search.fos.empty() && !fos.empty()) std::cout << "Factor of safety: " << fos << "\n";
  std::istringstream status_lines(status_text);
  std::string line, last_status;
  while (std::getline(status_lines, line)) {
    if (!trim(line).empty() && line.find("ntrial") == std::string::npos) last_status = trim(line);
  }
  if (!last_status.empty()) std::cout << "Last status: " << last_status << "\n";
  std::cout << "Run " << (aborted ? "aborted" : "completed") << "\n";
  return aborted ? kExitAborted : kExitCompleted;
}

int call_engine(const std::string& library_path, const fs::path& run_folder) {
  void* library = dlopen(library_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::cerr << "scarpex: cannot load the engine library: " << dlerror() << "\n";
    return kExitNoRun;
  }
  auto darozi = reinterpret_cast<DaroziFunction>(dlsym(library, "DAROZI"));
  if (darozi == nullptr) {
    std::cerr << "scarpex: " << library_path << " has no DAROZI entry point\n";
    dlclose(library);
    return kExitNoRun;
  }
  std::error_code error;
  fs::current_path(run_folder, error);
  if (error) {
    std::cerr << "scarpex: cannot work in " << run_folder << ": " << error.message() << "\n";
    dlclose(library);
    return kExitNoRun;
  }
  std::cout.flush();
  int32_t result = darozi(0, 0);
  dlclose(library);
  if (result != 0) {
    std::cerr << "scarpex: the engine could not make the run (code " << result << ")\n";
    return kExitNoRun;
  }
  return kExitCompleted;
}

int run(const HostOptions& options) {
  std::string library = options.library.empty() ? default_library_path() : options.library;
  library = fs::absolute(library).string();
  fs::path names_path;
  if (!options.names_file.empty()) {
    names_path = fs::absolute(options.names_file);
    if (names_path.filename() != "names.dat") {
      std::cerr << "scarpex: --names must name a file called names.dat\n";
      return kExitNoRun;
    }
  } else {
    fs::path input = fs::absolute(options.input_file).lexically_normal();
    if (!fs::is_regular_file(input)) {
      std::cerr << "scarpex: no input file " << input.string() << "\n";
      return kExitNoRun;
    }
    fs::path folder =
        options.output_dir.empty() ? input.parent_path() : fs::absolute(options.output_dir);
    std::error_code error;
    fs::create_directories(folder, error);
    names_path = folder / "names.dat";
    std::ofstream names(names_path, std::ios::binary);
    names << scarpex_host::names_file_text(options, input.string(),
                                           scarpex_host::output_names_for(input.string()));
    if (!names) {
      std::cerr << "scarpex: cannot write " << names_path.string() << "\n";
      return kExitNoRun;
    }
  }
  fs::path folder = names_path.parent_path();
  int called = call_engine(library, folder);
  if (called != kExitCompleted) return called;
  std::vector<std::string> lines = names_lines(names_path);
  if (lines.size() < 13) return kExitNoRun;
  return report_outcome(folder, lines);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto options = scarpex_host::parse_options(args, error);
  if (!options) {
    std::cerr << "scarpex: " << error << "\n" << scarpex_host::usage_text();
    return kExitNoRun;
  }
  if (options->show_help) {
    std::cout << scarpex_host::usage_text();
    return kExitCompleted;
  }
  return run(*options);
}
