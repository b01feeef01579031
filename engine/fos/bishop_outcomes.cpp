#include "fos/bishop_outcomes.h"

#include "core/fortran_format.h"
#include "fos/method_reports.h"

namespace scarpex {

namespace {

int32_t report_switch(const ProblemModel& m) {
  return m.report_switch();
}

void report_convergence(Engine& e) {
  write_free_line(e.status, {"    1     CONVERGENCE"});
  write_free_line(e.trace);
  e.model.solution_status = kConverged;
}

void report_non_convergence(Engine& e, const IterationResult& r) {
  static const FortranFormat kTrace("(10X,'Non convergence after ',I5,' Iterations',/)");
  static const FortranFormat kBetween(
      "(/,/,10X,'Factor of Safety for the Preceding Surface is ','Between ',F6.3,' and ',"
      "F6.3)");
  ProblemModel& m = e.model;
  kTrace.write(e.trace, {m.iteration_limit()});
  write_free_line(e.status, {"    2     NON CONVERGENCE"});
  write_free_line(e.trace);
  m.solution_status = kNotConverged;
  if (report_switch(m) == 0) return;
  if (m.search_active == 1) write_surface_listing(m, e.report);
  kBetween.write(e.report, {r.f_new, r.f_used});
}

void write_closing_report(Engine& e, const IterationResult& r) {
  static const FortranFormat kBishopWarning(
      "(/,/,10X,'WARNING - Factor Of Safety Is Calculated By The ','Modified Bishop',/,"
      "20X,'Method. This Method Is Valid Only ','If The Failure Surface',/,"
      "20X,'Approximates A Circle.')");
  static const FortranFormat kMisleading(
      "(/,/,10X,'***  The Above Factor Of Safety Is Misleading  ***')");
  ProblemModel& m = e.model;
  bool misleading = r.f_new <= r.misleading_limit;
  if (m.search_active == 1) {
    if (misleading && report_switch(m) == 1) {
      write_misleading_listing(m, e.report);
      write_specified_fos_line(e.report, r.f_new);
    }
    return;
  }
  m.list[1].fos = 0.0f;
  if (report_switch(m) != 1) return;
  write_specified_fos_line(e.report, r.f_new);
  if (m.bishop_method == 1) kBishopWarning.write(e.report);
  if (misleading) kMisleading.write(e.report);
}

}  // namespace

void report_iteration_outcome(Engine& e, const IterationResult& result) {
  ProblemModel& m = e.model;
  m.list[0].fos = result.f_new;
  bool spencer = m.spencer_method == 1;
  switch (result.outcome) {
    case Outcome::kConverged:
      if (spencer) return;  // Spencer's method goes on from this factor
      report_convergence(e);
      break;
    case Outcome::kNegative:
      report_negative_factor(e);
      break;
    case Outcome::kNotConverged:
      report_non_convergence(e, result);
      break;
  }
  if (!spencer) write_closing_report(e, result);
}

}  // namespace scarpex
