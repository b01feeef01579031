// Whole searches through DAROZI with the four output files on disk: analysed trial surfaces per
// second with 1, 2 and all threads side by side, bytes written per trial and heap allocations
// per trial, for circular, irregular and Rankine sliding-block searches on a layered slope with
// water. From the times with 1 and 2 threads, the serial fraction of the search (Karp-Flatt)
// and the speed-up it predicts for 8 and 64 threads (Amdahl). Run with `make bench`.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "allocation_count.h"
#include "run/darozi_export.h"
#include "run/thread_setting.h"

namespace {

namespace fs = std::filesystem;

const char* kHeader =
    "HEADER\n50 50 50 0 0 1\n0.0001 0.001 0.001 0.001\nFRAME\n0 0 0\n0. 0. 0. 0. 0. 0.\n";

// A 10 m slope over two layers with a water table; circles of 0.8 m segments give 30 to 60
// slices once the layer and water crossings are added.
const char* kProblem =
    "PROFIL\nLAYERED SLOPE WITH A WATER TABLE\n4 3 2\n"
    "0. 20. 20. 20. 1\n20. 20. 40. 30. 1\n40. 30. 70. 30. 1\n0. 15. 70. 22. 2\n"
    "SOIL\n0 2\n18.5 20. 5. 30. 0. 0. 1 0\n19.5 20.5 10. 25. 0. 0. 1 0\n"
    "WATER\n1 9.81\n4\n0. 17. 30. 19. 50. 24. 70. 25.\n";

// The commands of each search, with %d for the number of trials (from each point).
struct Search {
  const char* name;
  const char* commands;
  int trials;
};

const Search kSearches[] = {
    {"CIRCL2 201 x 100", "CIRCL2\n201 %d\n5. 20.\n41. 68.\n0. 0.8\n0. 0.\nEXECUT\n", 100},
    {"CIRCLE 10 x 500", "CIRCLE\n10 %d\n5. 20.\n41. 68.\n0. 0.8\n0. 0.\nEXECUT\n", 500},
    {"RANDOM 10 x 500", "RANDOM\n10 %d\n5. 20.\n41. 68.\n0. 1.5\n0. 0.\nEXECUT\n", 500},
    {"BLOCK2 5000", "BLOCK2\n%d 2\n1.5\n18. 15.5 24. 15.5 2.\n30. 16. 36. 17. 2.\nEXECUT\n", 5000},
};

const char* kNames =
    "BENCH 1.0\nSearch benchmark\n\n\nW\nBench\ninput.dat\ninput.dat\nreport.out\nplot.plt\n"
    "trace.trc\nunused\nstatus.sts\n";

std::string read_file(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

long count_of(const std::string& text, const std::string& what) {
  long n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Slices of the best surface, from the count line of its INF record.
long best_surface_slices(const std::string& plot) {
  auto at = plot.find("INF\n");
  return at == std::string::npos ? 0 : std::atol(plot.c_str() + at + 4);
}

struct Outcome {
  int32_t result = 0;
  double seconds = 0.0, cpu_seconds = 0.0;
  long allocations = 0, trials = 0, analysed = 0, slices = 0, trials_counted = 0;
  std::uintmax_t bytes = 0;
};

Outcome run_once(const Search& search, int trials) {
  {
    char commands[256];
    std::snprintf(commands, sizeof commands, search.commands, trials);
    std::ofstream input("input.dat", std::ios::binary);
    input << kHeader << kProblem << commands;
  }
  Outcome o;
  long long before = allocations_so_far();
  auto start = std::chrono::steady_clock::now();
  std::clock_t cpu_start = std::clock();
  o.result = DAROZI(0, 0);
  o.cpu_seconds = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
  o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  o.allocations = allocations_so_far() - before;
  std::string plot = read_file("plot.plt");
  o.analysed = count_of(plot, "\nSFS\n");
  o.trials = count_of(read_file("status.sts"), " ntrial = ");
  o.slices = best_surface_slices(plot);
  o.bytes = fs::file_size("report.out") + fs::file_size("plot.plt") + fs::file_size("trace.trc") +
            fs::file_size("status.sts");
  return o;
}

// The machine is shared: each search runs a few times with every thread count in turn, so
// that a busy moment does not fall on one count alone, and the fastest run of each counts.
constexpr int kRepeats = 5;

void use_threads(int threads) {
  setenv("SCARPEX_THREADS", std::to_string(threads).c_str(), 1);
}

// A short run first parses every layout once; the allocations per trial are those of the
// full run beyond a second short one, so that what a run makes once is not counted.
std::vector<Outcome> measure(const Search& search, const std::vector<int>& thread_counts) {
  std::vector<Outcome> best;
  for (int threads : thread_counts) {
    use_threads(threads);
    run_once(search, search.trials / 10);
    Outcome brief = run_once(search, search.trials / 10);
    Outcome o = run_once(search, search.trials);
    o.allocations -= brief.allocations;
    o.trials_counted = o.trials - brief.trials;
    best.push_back(o);
  }
  for (int r = 1; r < kRepeats; ++r) {
    for (std::size_t k = 0; k < thread_counts.size(); ++k) {
      use_threads(thread_counts[k]);
      Outcome again = run_once(search, search.trials);
      if (again.seconds < best[k].seconds) {
        best[k].seconds = again.seconds;
        best[k].cpu_seconds = again.cpu_seconds;
      }
    }
  }
  return best;
}

double rate(const Outcome& o) {
  return static_cast<double>(o.analysed) / o.seconds;
}

void run(const Search& search, const std::vector<int>& thread_counts) {
  std::vector<Outcome> outcomes = measure(search, thread_counts);
  const Outcome& o = outcomes.front();
  for (const Outcome& each : outcomes) {
    if (each.result != 0 || each.analysed == 0 || each.analysed != o.analysed) {
      std::printf("%-16s failed (result %d, %ld analysed)\n", search.name, each.result,
                  each.analysed);
      return;
    }
  }
  std::printf("%-16s %6ld trials, %6ld analysed, %6.0f bytes/trial, best surface %ld slices\n",
              search.name, o.trials, o.analysed,
              static_cast<double>(o.bytes) / static_cast<double>(o.trials), o.slices);
  for (std::size_t k = 0; k < outcomes.size(); ++k) {
    const Outcome& each = outcomes[k];
    std::printf(
        "  %2d thread%s %8.0f analysed/s (%8.0f per CPU second), x%4.2f, "
        "%5.3f allocations/trial\n",
        thread_counts[k], thread_counts[k] == 1 ? " " : "s", rate(each),
        static_cast<double>(each.analysed) / each.cpu_seconds, rate(each) / rate(o),
        static_cast<double>(each.allocations) / static_cast<double>(each.trials_counted));
  }
  if (outcomes.size() < 2) return;
  // Karp-Flatt: the serial fraction that explains the speed-up S with p = 2 threads, and what
  // Amdahl's law makes of it for more.
  const double speedup = rate(outcomes[1]) / rate(o);
  const double serial = (1.0 / speedup - 0.5) / 0.5;
  auto amdahl = [serial](double p) { return 1.0 / (serial + (1.0 - serial) / p); };
  std::printf("  serial fraction %.3f: predicts x%.1f on 8 threads, x%.1f on 64\n", serial,
              amdahl(8.0), amdahl(64.0));
}

}  // namespace

int main() {
  fs::path folder =
      fs::temp_directory_path() / ("scarpex_search_bench_" + std::to_string(getpid()));
  fs::create_directories(folder);
  fs::current_path(folder);
  std::ofstream("names.dat", std::ios::binary) << kNames;
  // 1, 2 and every core the process may use (the engine's own default).
  unsetenv("SCARPEX_THREADS");
  std::vector<int> thread_counts = {1, 2};
  const int all = scarpex::threads_from_environment();
  if (all > 2) thread_counts.push_back(all);
  for (const Search& search : kSearches) run(search, thread_counts);
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(folder);
  return 0;
}
