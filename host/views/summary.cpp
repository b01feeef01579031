#include "views/summary.h"

#include <iostream>

#include "views/error_text.h"
#include "views/number_text.h"

namespace scarpex_host {

namespace {

// "6000 requested, 5546 analysed, 454 skipped": what became of the trials, the counts that
// are not 0.
std::string trial_counts(const Results& results, const Analysis& search) {
  if (!search.search) {
    return std::to_string(results.trial_count) + " (" + std::to_string(search.trial_records) +
           " analysed)";
  }
  const SearchOutcome& o = *search.search;
  std::string text = o.requested ? std::to_string(*o.requested) + " requested, " : "";
  text += std::to_string(o.analysed) + " analysed";
  if (o.generation_failed > 0)
    text += ", " + std::to_string(o.generation_failed) + " not generated";
  if (o.skipped > 0) text += ", " + std::to_string(o.skipped) + " skipped";
  return text;
}

// After a search: the circle of its most critical surface, in the user's frame, and what
// became of the trials.
void print_search_summary(std::ostream& out, const Results& results, const Analysis& search) {
  if (!search.critical.empty() && search.critical.front().circle) {
    const Circle& circle = *search.critical.front().circle;
    Point centre = results.frame.to_display({circle.x, circle.y});
    out << "Critical circle: centre x = " << fixed_text(centre.x, 2)
        << ", y = " << fixed_text(centre.y, 2) << ", radius " << fixed_text(circle.radius, 2)
        << "\n";
  }
  out << "Trial surfaces: " << trial_counts(results, search) << "\n";
}

// "Refined factor of safety: 0.983 (search 0.992), 412 evaluations, 0.3 s" and its report.
void print_refined(std::ostream& out, const RefinedSurface& refined) {
  out << "Refined factor of safety: " << fixed_text(refined.factor_of_safety, 3) << " (search "
      << fixed_text(refined.search_factor_of_safety, 3) << "), " << refined.evaluations
      << " evaluations, " << fixed_text(refined.seconds, 1) << " s\n"
      << "Refined surface report: " << refined.report << "\n";
}

// "Run completed", "Run completed with warnings", "Run incomplete: why" or "Run aborted".
void print_verdict(std::ostream& out, const Results& results) {
  out << "Run " << results.verdict();
  if (results.incomplete()) {
    const char* separator = ": ";
    for (const std::string& reason : results.incomplete_reasons) {
      out << separator << terminal_text(reason);
      separator = "; ";
    }
  }
  out << "\n";
}

}  // namespace

void print_summary(std::ostream& out, const Results& results) {
  out << "Report file: " << terminal_text(results.files.report) << "\n"
      << "Plot file:   " << terminal_text(results.files.plot) << "\n"
      << "Trace file:  " << terminal_text(results.files.trace) << "\n"
      << "Status file: " << terminal_text(results.files.status) << "\n";
  if (const Analysis* head = results.headline()) {
    const bool search = head->kind == AnalysisKind::kSearch;
    if (auto fos = head->factor_of_safety()) {
      out << (search ? "Lowest factor of safety: " : "Factor of safety: ") << fixed_text(*fos, 3);
      if (!head->method.empty()) out << " (" << head->method << ")";
      out << "\n";
    }
    if (search) print_search_summary(out, results, *head);
  }
  if (results.refined) print_refined(out, *results.refined);
  if (results.last_status.number != 0) {
    out << "Last status: " << results.last_status.number << " " << results.last_status.text << "\n";
  }
  for (const ErrorLine& error : results.errors) {
    out << "Error " << error.code << ": " << terminal_text(error_message(error)) << "\n";
  }
  for (const Warning& warning : results.warnings)
    out << "Warning: " << terminal_text(warning.message) << "\n";
  print_verdict(out, results);
}

}  // namespace scarpex_host
