#include "cli/host_options.h"

#include <CLI/CLI.hpp>

#ifndef SCARPEX_VERSION
#define SCARPEX_VERSION "unknown"
#endif

namespace scarpex_host {

namespace {

constexpr const char* kDescription =
    "Runs the slope stability engine on INPUT.dat: writes names.dat in DIR (default: the\n"
    "folder of INPUT.dat), calls the engine there and reports where the report, plot,\n"
    "trace and status files are and how the run ended. With --names, runs an existing\n"
    "names.dat in its own folder, as any host program would. `scarpex batch` runs many\n"
    "input files, each in a process of its own.";

constexpr const char* kExitStatus =
    "\nExit status: 0 the run completed, 1 the run was aborted or did not finish, 2 no run\n"
    "could be made or its results could not be read, 3 the run completed but its result is\n"
    "incomplete (fewer than 90 % of a search's trials analysed, no admissible surface, or the\n"
    "final analysis not converged; with --strict, any warning).\n";

constexpr const char* kBatchDescription =
    "Runs every INPUT in a child process of its own, N at a time, each in the folder\n"
    "DIR/<name of the input>/ with its results as result.json beside the outputs. Shows a\n"
    "progress bar on a terminal (a line per file otherwise) and a summary table at the end.";

constexpr const char* kBatchExitStatus =
    "\nExit status: 0 every file completed without an incomplete result, 1 some did not\n"
    "(incomplete, aborted, failed or crashed), 2 no batch could be made.\n";

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
  m.add_option("--svg-convergence", o.convergence_svg_file,
               "draw the lowest factor of safety found so far against the trial into FILE (SVG)");
  m.add_flag("--strict", o.strict, "treat every warning as an incomplete result (exit status 3)");
  m.add_flag("--refine", o.refine,
             "after a search, move its most critical surfaces until the factor of safety "
             "stops falling (INPUT.refined.out)");
  m.add_flag("--no-run", o.no_run,
             "do not run: read the outputs of an earlier run named by names.dat");
  m.add_flag("--mirror", o.mirror,
             "the slope is drawn crest-left: run it mirrored (INPUT.mirrored.dat in DIR) and "
             "show it as drawn");
  m.add_option("--mirror-axis", o.mirror_axis,
               "mirror about x = A (implies --mirror; default: the largest x of the input)");
  m.add_option("--version-text", o.banner.version_text, "banner: version text (12 characters)");
  m.add_option("--id1", o.banner.identification_1, "banner: identification line 2");
  m.add_option("--id2", o.banner.identification_2, "banner: identification line 3");
  m.add_option("--id-word", o.banner.identification_word, "banner: identification word (line 4)");
  m.add_option("--id3", o.banner.identification_3, "banner: identification line 5");
  m.add_option("--prepared-by", o.banner.prepared_by, "banner: who prepared the model");

  app.batch = m.add_subcommand("batch", "run many input files, each in its own process");
  CLI::App& b = *app.batch;
  b.description(kBatchDescription);
  b.footer(kBatchExitStatus);
  add_common_options(b, o);
  b.add_option("inputs", o.batch_inputs, "the input data files");
  b.add_option("--jobs,-j", o.jobs, "how many runs at a time (default: one per core)");
  b.add_option("--out", o.output_dir, "folder of the run folders (default: the current folder)");
  b.add_option("--jsonl", o.jsonl_file, "write one JSON line of results per file to FILE");
  b.add_flag("--strict", o.strict, "treat every warning as an incomplete result");
  b.add_flag("--refine", o.refine, "refine the critical surface of every run's search");
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

// An option given with an empty value would be silently ignored: that is a mistake to say.
std::optional<std::string> empty_value(const App& app) {
  for (const CLI::App* command : {&app.main, static_cast<const CLI::App*>(app.batch)}) {
    for (const CLI::Option* option : command->get_options()) {
      if (option->count() == 0 || option->get_expected_min() == 0) continue;
      for (const std::string& value : option->results()) {
        if (value.empty()) return option->get_name() + " needs a value, not an empty text";
      }
    }
  }
  return std::nullopt;
}

std::optional<std::string> check(const HostOptions& o) {
  if (o.show_help || o.show_version) return std::nullopt;
  const std::string& word = o.banner.identification_word;
  if (word.find('\'') != std::string::npos && word.find('"') != std::string::npos) {
    return "--id-word cannot hold both quote characters: the engine would cut the word";
  }
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
  if ((o.mirror || !o.mirror_axis.empty()) && (!o.names_file.empty() || o.no_run)) {
    return "--mirror rewrites the input file of a run: it needs INPUT.dat and a run";
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
  if (!options.mirror_axis.empty()) options.mirror = true;
  if (auto problem = empty_value(app)) {
    error = *problem;
    return std::nullopt;
  }
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

}  // namespace scarpex_host
