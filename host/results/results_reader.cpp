#include "results/results_reader.h"

#include <algorithm>
#include <cmath>

#include "results/assessment.h"
#include "results/file_reading.h"
#include "results/input_commands.h"
#include "results/input_lines.h"
#include "results/plot_reader.h"
#include "results/report_reader.h"
#include "results/search_outcome.h"
#include "results/text_fields.h"

namespace scarpex_host {

namespace {

// The file opened as a stream (files of any size are read in bounded memory), or nothing with
// a warning that says why it was skipped.
std::unique_ptr<std::ifstream> open_or_warn(const std::string& path, const char* what,
                                            Results& results) {
  if (path.empty()) {
    results.warnings.push_back(
        {warning_code::kFileSkipped, std::string("no ") + what + " file is named"});
    return nullptr;
  }
  FileStream file = open_regular_file(path);
  if (!file.stream) {
    results.warnings.push_back({warning_code::kFileSkipped,
                                std::string("skipped the ") + what + " file: " + file.problem});
  }
  return std::move(file.stream);
}

// A display-frame value too wide for its field in the plot file (1e8 or more) reads as asterisks:
// the picture then shows the input's own coordinates, and says so, rather than none at all.
void check_frame(Results& results) {
  constexpr std::size_t kMirrorAxis = 1, kShiftX = 4, kShiftY = 5;
  PlotFrame& frame = results.frame;
  bool dropped = false;
  for (std::size_t k : {kMirrorAxis, kShiftX, kShiftY}) {
    if (std::isfinite(frame.reals[k])) continue;
    if (k == kMirrorAxis && frame.mirrored()) frame.ints[0] = 0;
    frame.reals[k] = 0;
    dropped = true;
  }
  if (!dropped) return;
  results.warnings.push_back(
      {warning_code::kFrameNotRepresentable,
       "A value of the display frame did not fit its field in the plot file (asterisks): the "
       "coordinates are shown as the input file holds them, without that mirror or shift."});
}

void apply_report(Analysis& analysis, const ReportAnalysis& entry) {
  analysis.base_method = entry.method;
  analysis.spencer = entry.spencer || analysis.spencer;
  analysis.method = analysis.spencer ? "Spencer" : entry.method;
  if (analysis.spencer && analysis.base_method == "Spencer") analysis.base_method.clear();
  analysis.misleading = entry.misleading;
  if (analysis.kind == AnalysisKind::kSearch) {
    analysis.setup = entry.setup;
    if (!entry.listed_theta.empty() && analysis.spencer)
      analysis.theta = entry.listed_theta.front();
    return;
  }
  analysis.theta = entry.theta;
  if (entry.negative) {
    analysis.status = SolutionStatus::kNegative;
  } else if (entry.not_converged ||
             (entry.theta_table && !entry.theta_result && !entry.factor_of_safety)) {
    analysis.status = SolutionStatus::kNotConverged;
  } else if (entry.factor_of_safety) {
    analysis.status = SolutionStatus::kConverged;
  }
}

// The report tells the method and the outcome of each analysis; its analyses come in the
// order of the plot file's, specified surfaces and searches each in their own sequence.
// Under Spencer's method the report names only Spencer's, and a search without a result names
// none: the search command tells which method it used (before Spencer's).
void name_search_base_methods(Results& results) {
  FileText input = read_regular_file(results.files.input, kResultsFileCap);
  if (!input.text) return;
  std::vector<std::string> commands = search_commands(*input.text);
  std::size_t k = 0;
  for (Analysis& analysis : results.analyses) {
    if (analysis.kind != AnalysisKind::kSearch) continue;
    if (k >= commands.size()) break;
    const std::string& command = commands[k++];
    if (analysis.base_method.empty()) analysis.base_method = base_method_of(command);
  }
}

void pair_with_report(Results& results, const ReportData& report, const StatusData& status) {
  std::vector<const ReportAnalysis*> specified, searches;
  for (const ReportAnalysis& entry : report.analyses) {
    if (entry.kind == AnalysisKind::kSearch) {
      searches.push_back(&entry);
    } else {
      specified.push_back(&entry);  // only the last one can be a surface never analysed
    }
  }
  std::size_t next_specified = 0, next_search = 0;
  bool any_search = false;
  for (Analysis& analysis : results.analyses) {
    analysis.spencer = analysis.line_of_thrust.has_value();
    if (analysis.kind == AnalysisKind::kSearch) {
      any_search = true;
      if (next_search < searches.size()) apply_report(analysis, *searches[next_search++]);
      if (!analysis.critical.empty()) analysis.status = SolutionStatus::kConverged;
      if (analysis.spencer && !analysis.theta && analysis.line_of_thrust) {
        analysis.theta = analysis.line_of_thrust->theta;
      }
    } else if (next_specified < specified.size()) {
      apply_report(analysis, *specified[next_specified++]);
    }
  }
  // Without a search, each specified surface has one outcome segment in the status file;
  // its status number is the method's own verdict and overrides what the report suggests.
  if (any_search) return;
  std::size_t k = 0;
  for (Analysis& analysis : results.analyses) {
    if (k >= status.outcomes.size()) break;
    const CountedText& outcome = status.outcomes[k++];
    if (outcome.text.find("SPENCER") != std::string::npos && !analysis.spencer) {
      analysis.spencer = true;
      if (analysis.base_method.empty()) analysis.base_method = analysis.method;
      analysis.method = "Spencer";
    }
    int number = outcome.number;
    analysis.status = number == 1   ? SolutionStatus::kConverged
                      : number == 2 ? SolutionStatus::kNotConverged
                                    : SolutionStatus::kNegative;
  }
}

// The engine writes the header's and the data-line reader's errors to the report and then to
// the trace file: a trace error adds to the list only when no report line of the same code and
// detail is left to pair it with (the report may have been cut short).
void add_trace_errors(std::vector<ErrorLine>& errors, std::vector<ErrorLine> trace_errors) {
  const std::size_t report_count = errors.size();
  std::vector<bool> paired(report_count, false);
  for (ErrorLine& error : trace_errors) {
    bool in_report = false;
    for (std::size_t i = 0; i < report_count && !in_report; ++i) {
      in_report = !paired[i] && errors[i].code == error.code && errors[i].detail == error.detail;
      if (in_report) paired[i] = true;
    }
    if (!in_report) errors.push_back(std::move(error));
  }
}

// Names the input file's line of the errors that concern one. The results stand without it:
// an input file that cannot be read leaves the errors as the engine's files tell them.
void locate_in_input(Results& results) {
  if (std::none_of(results.errors.begin(), results.errors.end(), concerns_input_line)) return;
  if (results.files.input.empty()) return;
  FileText input = read_regular_file(results.files.input, kResultsFileCap);
  if (input.text) locate_input_lines(results.errors, *input.text);
}

}  // namespace

const char* outcome_name(Outcome outcome) {
  switch (outcome) {
    case Outcome::kCompleted:
      return "completed";
    case Outcome::kAborted:
      break;
  }
  return "aborted";
}

const char* Results::verdict() const {
  if (aborted) return "aborted";
  if (incomplete()) return "incomplete";
  return warnings.empty() ? "completed" : "completed with warnings";
}

const char* status_name(SolutionStatus status) {
  switch (status) {
    case SolutionStatus::kConverged:
      return "converged";
    case SolutionStatus::kNotConverged:
      return "not converged";
    case SolutionStatus::kNegative:
      return "negative";
    case SolutionStatus::kUnknown:
      break;
  }
  return "unknown";
}

Results read_results(const RunFiles& files) {
  Results results;
  results.files = files;
  FileStream report_file = files.report.empty() ? FileStream{nullptr, "no report file is named"}
                                                : open_regular_file(files.report);
  if (!report_file.stream) throw ResultsError(files.report, 0, "no report: " + report_file.problem);
  ReportData report = read_report_file(files.report, *report_file.stream);
  results.title = report.title;
  results.unit_system = report.unit_system;
  results.length_unit = report.length_unit;
  results.aborted = report.aborted;
  results.errors = report.errors;

  if (auto plot_file = open_or_warn(files.plot, "plot", results)) {
    PlotData plot = read_plot_file(files.plot, *plot_file);
    results.frame = plot.frame;
    check_frame(results);
    results.analyses = std::move(plot.analyses);
    results.plot_read = true;
    // Every way a run ends writes END: a file without it was cut, or its run did not finish.
    if (!plot.ended) {
      throw ResultsError(
          files.plot, plot.lines,
          "the file ends without its END record: it was cut, or its run did not finish");
    }
  }
  if (auto trace_file = open_or_warn(files.trace, "trace", results)) {
    TraceData trace = read_trace_file(files.trace, *trace_file);
    results.aborted = results.aborted || trace.aborted;
    results.trace_messages = std::move(trace.messages);
    add_trace_errors(results.errors, std::move(trace.errors));
  }
  StatusData status;
  if (auto status_file = open_or_warn(files.status, "status", results)) {
    status = read_status_file(files.status, *status_file);
    results.status_lines = status.lines;
    results.last_status = status.last;
    for (const TrialCodes& run : status.runs)
      results.trial_count = std::max(results.trial_count, static_cast<int>(run.size()));
  }
  results.water_unit_weight = report.water_unit_weight;
  results.reported_input = report.input_folder + report.input_name;
  pair_with_report(results, report, status);
  name_search_base_methods(results);
  fill_search_outcomes(results.analyses, status.runs);
  locate_in_input(results);
  assess_results(results);
  return results;
}

}  // namespace scarpex_host
