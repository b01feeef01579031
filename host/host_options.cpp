#include "host_options.h"

#include <CLI/CLI.hpp>
#include <filesystem>

#ifndef SCARPEX_VERSION
#define SCARPEX_VERSION "unknown"
#endif

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDescription =
    "Runs the slope stability engine on INPUT.dat: writes names.dat in DIR (default: the\n"
    "folder of INPUT.dat), calls the engine there and reports where the report, plot,\n"
    "trace and status files are and how the run ended. With --names, runs an existing\n"
    "names.dat in its own folder, as any host program would. `scarpex batch` runs many\n"
    "input files, each in a process of its own.";

constexpr const char* kExitStatus =
    "\nExit status: 0 the run completed, 1 the run was aborted or did not finish, 2 no run\n"
    "could be made or its results could not be read.\n";

constexpr const char* kBatchDescription =
    "Runs every INPUT in a child process of its own, N at a time, each in the folder\n"
    "DIR/<name of the input>/ with its results as result.json beside the outputs. Shows a\n"
    "progress bar on a terminal (a line per file otherwise) and a summary table at the end.";

constexpr const char* kBatchExitStatus =
    "\nExit status: 0 every file completed, 1 some did not (aborted, failed or crashed),\n"
    "2 no batch could be made.\n";

struct App {
  CLI::App main{kDescription, "scarpex"};
  CLI::App* batch = nullptr;
};

void add_common_options(CLI::App& app, HostOptions& o) {
  app.set_help_flag();
  app.add_flag("-h,--help", o.show_help, "show this help and exit");
  app.add_option("--library", o.library,
                 "the engine library (default: beside this program, or the SCARPEX_LIBRARY "
                 "environment variable)");
  app.add_option("--threads", o.threads,
                 "threads of a search (default: the SCARPEX_THREADS environment variable, or "
                 "every core; a batch shares the cores among its runs)");
}

void build(App& app, HostOptions& o) {
  CLI::App& m = app.main;
  m.footer(kExitStatus);
  add_common_options(m, o);
  m.add_flag("--version", o.show_version, "show the version and exit");
  m.add_option("input", o.input_file, "the input data file INPUT.dat");
  m.add_option("--names", o.names_file, "run an existing PATH/names.dat in its folder");
  m.add_option("--out", o.output_dir, "folder for names.dat and the output files");
  m.add_option("--svg", o.svg_file, "draw the problem and its results into FILE (SVG)");
  m.add_option("--html", o.html_file, "write a self-contained HTML report to FILE");
  m.add_option("--json", o.json_file, "write the results as JSON to FILE ('-': standard output)");
  m.add_flag("--no-run", o.no_run,
             "do not run: read the outputs of an earlier run named by names.dat");
  m.add_option("--version-text", o.version_text, "banner: version text (12 characters)");
  m.add_option("--id1", o.identification_1, "banner: identification line 2");
  m.add_option("--id2", o.identification_2, "banner: identification line 3");
  m.add_option("--id-word", o.identification_word, "banner: identification word (line 4)");
  m.add_option("--id3", o.identification_3, "banner: identification line 5");
  m.add_option("--prepared-by", o.prepared_by, "banner: who prepared the model");

  app.batch = m.add_subcommand("batch", "run many input files, each in its own process");
  CLI::App& b = *app.batch;
  b.description(kBatchDescription);
  b.footer(kBatchExitStatus);
  add_common_options(b, o);
  b.add_option("inputs", o.batch_inputs, "the input data files");
  b.add_option("--jobs,-j", o.jobs, "how many runs at a time (default: one per core)");
  b.add_option("--out", o.output_dir, "folder of the run folders (default: the current folder)");
  b.add_option("--jsonl", o.jsonl_file, "write one JSON line of results per file to FILE");
}

// CLI11's own wording of a missing value, "--out: 1 required TEXT missing", made plain.
std::string plain_error(const CLI::Error& e) {
  std::string what = e.what();
  if (e.get_name() == "ArgumentMismatch") {
    std::size_t colon = what.find(':');
    if (colon != std::string::npos && what.find("missing") != std::string::npos) {
      return what.substr(0, colon) + " needs a value";
    }
  }
  return what;
}

std::optional<std::string> check(const HostOptions& o) {
  if (o.show_help || o.show_version) return std::nullopt;
  if (o.mode == HostMode::kBatch) {
    if (o.batch_inputs.empty()) return "batch: give at least one input file";
    if (o.jobs < 0) return "batch: --jobs must be 1 or more";
    if (o.threads < 0) return "batch: --threads must be 1 or more";
    return std::nullopt;
  }
  if (o.threads < 0) return "--threads must be 1 or more";
  if (o.input_file.empty() == o.names_file.empty()) return "give either an input file or --names";
  if (!o.names_file.empty() && !o.output_dir.empty()) {
    return "--out does not apply to --names: the run takes place beside names.dat";
  }
  if (o.no_run && !o.output_dir.empty()) {
    return "--out does not apply to --no-run: the outputs are read where names.dat names them";
  }
  return std::nullopt;
}

}  // namespace

std::optional<HostOptions> parse_options(const std::vector<std::string>& args, std::string& error) {
  HostOptions options;
  App app;
  build(app, options);
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.main.parse(reversed);
  } catch (const CLI::Error& e) {
    error = plain_error(e);
    return std::nullopt;
  }
  if (app.batch->parsed()) options.mode = HostMode::kBatch;
  if (auto problem = check(options)) {
    error = *problem;
    return std::nullopt;
  }
  return options;
}

std::string usage_text(bool batch) {
  HostOptions options;
  App app;
  build(app, options);
  return batch ? app.batch->help() : app.main.help();
}

std::string version_text() {
  return std::string("scarpex ") + SCARPEX_VERSION + "\n";
}

OutputNames output_names_for(const std::string& input_path) {
  std::string stem = fs::path(input_path).stem().string();
  return {stem + ".out", stem + ".plt", stem + ".trc", stem + ".sts"};
}

std::string names_file_text(const HostOptions& options, const std::string& input_path,
                            const OutputNames& outputs) {
  // The identification word is read as one free-format word: quote it when it holds blanks.
  std::string word = options.identification_word;
  if (word.find_first_of(" ,") != std::string::npos) word = "'" + word + "'";
  const std::string lines[] = {options.version_text,
                               options.identification_1,
                               options.identification_2,
                               word,
                               options.identification_3,
                               options.prepared_by,
                               input_path,
                               input_path,
                               outputs.report,
                               outputs.plot,
                               outputs.trace,
                               "",
                               outputs.status};
  // A line break inside a banner text would shift every later line of names.dat.
  std::string text;
  for (std::string line : lines) {
    for (char& c : line) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    text += line + "\n";
  }
  return text;
}

}  // namespace scarpex_host
