#include "run_command.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

#include "engine_call.h"
#include "html_writer.h"
#include "json_writer.h"
#include "number_text.h"
#include "results_reader.h"
#include "run_names.h"
#include "svg_writer.h"
#include "text_fields.h"

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

// Where the summary lines go: standard error when standard output carries the JSON document.
std::ostream& say(const HostOptions& options) {
  return options.json_file == "-" ? std::cerr : std::cout;
}

fs::path absolute_path(const std::string& name) {
  std::error_code error;
  fs::path path = fs::absolute(name, error);
  return error ? fs::path(name) : path.lexically_normal();
}

// Writes names.dat for an input file; returns its path, or nothing after saying why.
std::optional<fs::path> prepare_names_file(const HostOptions& options) {
  fs::path input = absolute_path(options.input_file);
  std::error_code error;
  if (!fs::is_regular_file(input, error)) {
    std::cerr << "scarpex: no input file " << input.string() << "\n";
    return std::nullopt;
  }
  // The engine keeps 255 characters of a name and drops trailing blanks: a longer name would
  // make it open another file.
  if (!engine_keeps_name(input.string())) {
    std::cerr << "scarpex: the engine cannot open " << input.string()
              << ": a run-file name has at most " << kEngineNameLength
              << " characters, without trailing blanks or line breaks\n";
    return std::nullopt;
  }
  fs::path folder =
      options.output_dir.empty() ? input.parent_path() : absolute_path(options.output_dir);
  fs::create_directories(folder, error);
  fs::path names_path = folder / "names.dat";
  std::ofstream names(names_path, std::ios::binary);
  names << names_file_text(options, input.string(), output_names_for(input.string()));
  names.close();
  if (!names) {
    std::cerr << "scarpex: cannot write " << names_path.string() << "\n";
    return std::nullopt;
  }
  return names_path;
}

// What a non-zero return code of DAROZI means (the engine has said the details on standard
// error already).
std::string engine_code_text(int32_t code) {
  switch (code) {
    case 1:
      return "names.dat is missing, unreadable or short";
    case 2:
      return "a run file could not be opened";
    case 3:
      return "an unexpected failure inside the engine";
    case 4:
      return "a run was already in progress";
    case 5:
      return "an output file could not be written completely: do not trust its contents";
    default:
      return "the engine could not make the run";
  }
}

bool write_text_file(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  if (!file) std::cerr << "scarpex: cannot write " << path << "\n";
  return static_cast<bool>(file);
}

// After a search: the circle of its most critical surface, in the user's frame, and the number
// of trials.
void print_search_summary(std::ostream& out, const Results& results, const Analysis& search) {
  if (!search.critical.empty() && search.critical.front().circle) {
    const Circle& circle = *search.critical.front().circle;
    Point centre = results.frame.to_display({circle.x, circle.y});
    out << "Critical circle: centre x = " << fixed_text(centre.x, 2)
        << ", y = " << fixed_text(centre.y, 2) << ", radius " << fixed_text(circle.radius, 2)
        << "\n";
  }
  out << "Trial surfaces: " << results.trial_count << " (" << search.trials.size()
      << " analysed)\n";
}

void print_summary(const HostOptions& options, const Results& results) {
  std::ostream& out = say(options);
  out << "Report file: " << results.files.report << "\n"
      << "Plot file:   " << results.files.plot << "\n"
      << "Trace file:  " << results.files.trace << "\n"
      << "Status file: " << results.files.status << "\n";
  for (const std::string& warning : results.warnings) std::cerr << "scarpex: " << warning << "\n";
  if (const Analysis* head = results.headline()) {
    const bool search = head->kind == AnalysisKind::kSearch;
    if (auto fos = head->factor_of_safety()) {
      out << (search ? "Lowest factor of safety: " : "Factor of safety: ") << fixed_text(*fos, 3);
      if (!head->method.empty()) out << " (" << head->method << ")";
      out << "\n";
    }
    if (search) print_search_summary(out, results, *head);
  }
  if (results.last_status.number != 0) {
    out << "Last status: " << results.last_status.number << " " << results.last_status.text << "\n";
  }
  for (const ErrorLine& error : results.errors) {
    out << "Error " << error.code << (error.detail.empty() ? "" : " " + error.detail) << "\n";
  }
  out << "Run " << outcome_name(results.outcome()) << "\n";
}

// The picture, page and document asked for; false when one of them could not be written.
bool write_products(const HostOptions& options, const Results& results) {
  bool ok = true;
  if (!options.svg_file.empty()) ok = write_text_file(options.svg_file, results_svg(results)) && ok;
  if (!options.html_file.empty())
    ok = write_text_file(options.html_file, results_html(results)) && ok;
  if (!options.json_file.empty()) {
    std::string json = results_json(results);
    if (options.json_file == "-") {
      std::cout << json << std::flush;
    } else {
      ok = write_text_file(options.json_file, json) && ok;
    }
  }
  for (const auto* file : {&options.svg_file, &options.html_file, &options.json_file}) {
    if (!file->empty() && *file != "-")
      say(options) << "Wrote " << absolute_path(*file).string() << "\n";
  }
  return ok;
}

}  // namespace

int run_command(const HostOptions& options) {
  fs::path names_path;
  if (!options.names_file.empty()) {
    names_path = absolute_path(options.names_file);
    if (names_path.filename() != "names.dat") {
      std::cerr << "scarpex: --names must name a file called names.dat\n";
      return kExitNoRun;
    }
  } else if (options.no_run) {
    names_path = absolute_path(options.input_file).parent_path() / "names.dat";
  } else {
    auto prepared = prepare_names_file(options);
    if (!prepared) return kExitNoRun;
    names_path = *prepared;
  }
  if (!options.no_run) {
    // The engine takes the threads of its searches from the environment.
    if (options.threads > 0) setenv("SCARPEX_THREADS", std::to_string(options.threads).c_str(), 1);
    std::string library = options.library.empty() ? default_library_path() : options.library;
    EngineCall call = call_engine(absolute_path(library).string(), names_path.parent_path(),
                                  options.json_file == "-");
    if (!call.called) {
      std::cerr << "scarpex: " << call.problem << "\n";
      return kExitNoRun;
    }
    if (call.result != 0) {
      std::cerr << "scarpex: " << engine_code_text(call.result) << " (engine code " << call.result
                << ")\n";
      return kExitNoRun;
    }
  }
  std::string why;
  std::optional<RunFiles> files = run_files_of(names_path, why);
  if (!files) {
    std::cerr << "scarpex: " << why << "\n";
    return kExitNoRun;
  }
  Results results;
  try {
    results = read_results(*files);
  } catch (const ResultsError& e) {
    std::cerr << "scarpex: " << e.what() << "\n";
    return kExitNoRun;
  }
  print_summary(options, results);
  if (results.analyses.empty() && (!options.svg_file.empty())) {
    std::cerr << "scarpex: no drawing in the plot file; the picture shows nothing of the problem\n";
  }
  bool written = write_products(options, results);
  if (!written) return kExitNoRun;
  return results.outcome() == Outcome::kCompleted ? kExitCompleted : kExitAborted;
}

}  // namespace scarpex_host
