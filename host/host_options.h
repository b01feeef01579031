// Command-line options of the scarpex host and the names.dat it writes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scarpex_host {

enum class HostMode { kRun, kBatch };

struct HostOptions {
  HostMode mode = HostMode::kRun;
  std::string input_file;  // the input data file (mode: run an input file)
  std::string names_file;  // an existing names.dat (mode: --names)
  std::string output_dir;  // where names.dat and the outputs go; default: the input's folder
  std::string library;     // the engine library; default: beside this program
  int threads = 0;  // threads of a search; 0: SCARPEX_THREADS, else every core (batch: shared)
  std::string version_text = "2025";
  std::string identification_1 = "Scarpex command-line host";
  std::string identification_2 = "Slope stability analysis";
  std::string identification_word = "SCARPEX";
  std::string identification_3 = "Batch run";
  std::string prepared_by = "scarpex host";
  // What to make of the results.
  std::string svg_file, html_file, json_file;  // json_file "-": standard output
  bool no_run = false;                         // read the outputs of an earlier run
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

// The four output file names derived from the input file's base name.
struct OutputNames {
  std::string report, plot, trace, status;
};
OutputNames output_names_for(const std::string& input_path);

// The 13 lines of names.dat for an input file given by its absolute path.
std::string names_file_text(const HostOptions& options, const std::string& input_path,
                            const OutputNames& outputs);

}  // namespace scarpex_host
