#include "views/summary.h"

#include <iostream>

#include "views/error_text.h"
#include "views/number_text.h"

namespace scarpex_host {

namespace {

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

}  // namespace

void print_summary(std::ostream& out, const Results& results) {
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
    out << "Error " << error.code << ": " << error_message(error) << "\n";
  }
  out << "Run " << outcome_name(results.outcome()) << "\n";
}

}  // namespace scarpex_host
