// Reads what the host needs from the report, trace and status files: the problem title and
// units, the method and summary lines of each analysis, error lines, the abort banner, status
// lines and trace messages.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/results.h"

namespace scarpex_host {

// One analysis as the report tells it.
struct ReportAnalysis {
  AnalysisKind kind = AnalysisKind::kSpecified;
  std::string method;
  bool spencer = false;
  bool executed = false;  // some line of the analysis itself (not only the surface echo)
  std::optional<double> factor_of_safety, theta;
  int listed_expected = -1;  // search: surfaces announced in the final list
  std::vector<double> listed_fos, listed_theta;
  bool theta_table = false, theta_result = false;
  bool not_converged = false, negative = false, misleading = false;
  SearchSetup setup;  // search: its echoed data items
};

struct ReportData {
  std::string title;
  std::string unit_system, length_unit;
  bool aborted = false;
  std::vector<ErrorLine> errors;
  std::vector<ReportAnalysis> analyses;
  std::optional<double> water_unit_weight;  // the last one echoed
  std::string input_folder, input_name;     // as the banner names the input file
};

ReportData read_report_file(const std::string& file, std::string_view text);
ReportData read_report_file(const std::string& file, std::istream& text);

struct TraceData {
  bool aborted = false;
  std::vector<ErrorLine> errors;
  std::vector<CountedText> messages;
};

TraceData read_trace_file(const std::string& file, std::string_view text);
TraceData read_trace_file(const std::string& file, std::istream& text);

// The trials of one analysis in the status file, from its " ntrial =     1" line on: per trial,
// the last outcome of its analysis (1 converged, 2 not converged, 3 negative), 4 when its
// surface could not be generated, 5 when it was skipped, 0 when none of these was written.
using TrialCodes = std::vector<unsigned char>;

struct StatusData {
  std::vector<CountedText> lines;  // distinct status lines in order of first appearance
  std::vector<TrialCodes> runs;
  CountedText last;  // the last status line of the file
  // Per trial-numbered segment that holds a method outcome (status 1, 2 or 3): the last one.
  std::vector<CountedText> outcomes;
};

StatusData read_status_file(const std::string& file, std::string_view text);
StatusData read_status_file(const std::string& file, std::istream& text);

}  // namespace scarpex_host
