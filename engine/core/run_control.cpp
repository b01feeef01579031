#include "core/run_control.h"

#include "core/fortran_format.h"

namespace scarpex {

void make_startup_settings(ProblemModel& m) {
  m.stop_code = 0;
  m.coord_tolerance = kCoordTolerance;
  m.deg_to_rad = kDegToRad;
  m.input_error_flag = 0;
  m.bishop_method = 0;
  m.spencer_method = 0;
  m.circular_search = 0;
  m.block_search = 0;
  m.block2_mode = 0;
  m.block_search_switch = 0.0f;
  m.search_active = 0;
  m.plot_header_written = 0;
  m.plot_stage = 0.0f;
  m.failed_generation_count = 0;
  // Flags of the command loop and the END record live for one run.
  m.surface_analysed = 0;
  m.first_command_seen = 0;
  m.line_loaded = 0;
  m.plot_end_written = 0;
}

void write_plot_end(Engine& e) {
  if (e.model.plot_end_written != 0) return;
  e.plot.line("END");
  e.model.plot_end_written = 1;
}

void abort_run(Engine& e) {
  static const FortranFormat kBanner(
      "(/,/,10X,'******************************************',/,"
      "10X,'******  EXECUTION OF SCARPEX ABORTED  ******',/,"
      "10X,'******************************************',/)");
  kBanner.write(e.trace);
  kBanner.write(e.report);
  write_plot_end(e);
  e.model.stop_code = kRunEnded;
}

void stop_run(Engine& e) {
  write_plot_end(e);
  e.model.stop_code = kRunEnded;
}

}  // namespace scarpex
