// Command-line options of the scarpex host.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/run_names.h"

namespace scarpex_host {

enum class HostMode { kRun, kBatch };

struct HostOptions {
  HostMode mode = HostMode::kRun;
  std::string input_file;  // the input data file (mode: run an input file)
  std::string names_file;  // an existing names.dat (mode: --names)
  std::string output_dir;  // where names.dat and the outputs go; default: the input's folder
  std::string library;     // the engine library; default: beside this program
  int threads = 0;  // threads of a search; 0: SCARPEX_THREADS, else every core (batch: shared)
  Banner banner;    // lines 1 to 6 of the names.dat the host writes
  // What to make of the results.
  std::string svg_file, html_file, json_file;  // json_file "-": standard output
  std::string convergence_svg_file;            // the lowest factor so far against the trial
  bool no_run = false;                         // read the outputs of an earlier run
  bool strict = false;                         // any warning makes the result incomplete
  bool refine = false;  // refine the critical surface of the last search (run/refine.h)
  // Run the input mirrored about a vertical axis (a section drawn crest-left); the axis as
  // given, empty for the default (the largest x of the input).
  bool mirror = false;
  std::string mirror_axis;
  bool show_help = false;
  bool show_version = false;
  // batch
  std::vector<std::string> batch_inputs;
  int jobs = 0;  // 0: one per core
  std::string jsonl_file;
};

// Parses the arguments; on a usage error returns nothing and sets `error`.
std::optional<HostOptions> parse_options(const std::vector<std::string>& args, std::string& error);

// The help text; `batch` for the batch command's.
std::string usage_text(bool batch = false);
std::string version_text();

}  // namespace scarpex_host
